#include <dlfcn.h>
#include <sys/stat.h>

#include "platform/dynlib.h"

namespace platform {

LibraryHandle loadLibrary(const std::string& path, uint32_t* error, std::string* message) {
  void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (h) {
    if (error) *error = kErrorSuccess;
    return h;
  }
  const char* e = dlerror();
  if (message) *message = e ? e : "unknown loader error";
  if (error) {
    // dlopen leaves errno unset; a name without a folder is searched for.
    struct stat st {};
    const bool found = path.find('/') != std::string::npos && stat(path.c_str(), &st) == 0;
    *error = found ? kErrorBadExeFormat : kErrorModNotFound;
  }
  return nullptr;
}

void* findSymbol(LibraryHandle library, const std::string& name) {
  if (!library || name.empty()) return nullptr;
  return dlsym(library, name.c_str());
}

void freeLibrary(LibraryHandle library) {
  if (library) dlclose(library);
}

bool unloadHoldsLoaderLock() { return false; }

}  // namespace platform
