#include <dlfcn.h>

#include "platform/dynlib.h"

namespace platform {

LibraryHandle loadLibrary(const std::string& path, std::string* error) {
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h && error) {
    const char* e = dlerror();
    *error = e ? e : "unknown loader error";
  }
  return h;
}

void* findSymbol(LibraryHandle library, const std::string& name) {
  if (!library || name.empty()) return nullptr;
  return dlsym(library, name.c_str());
}

void freeLibrary(LibraryHandle library) {
  if (library) dlclose(library);
}

}  // namespace platform
