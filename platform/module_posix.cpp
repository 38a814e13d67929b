#include <dlfcn.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/module.h"
#include "platform/path.h"
#include "platform/win32_error.h"
#include "platform/library_objects.h"

namespace platform {

namespace {

struct LinkedBlockC {
  ModuleHandle module;
  const uint8_t* block;
  size_t size;
};

// Registrations come from static initialisers of loaded modules: the table
// is built on first use and kept until the library's unload (a module may
// register while another one unloads at exit).
std::mutex& tableLock() {
  static std::mutex* m = library_objects::keep(new std::mutex);
  return *m;
}
std::vector<LinkedBlockC>& table() {
  static auto* t = library_objects::keep(new std::vector<LinkedBlockC>);
  return *t;
}

}  // namespace

ModuleHandle moduleContaining(const void* address) {
  Dl_info info{};
  if (!address || dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

std::string moduleFileName(ModuleHandle module) {
  Dl_info info{};
  if (!module || dladdr(module, &info) == 0 || info.dli_fbase != module || !info.dli_fname) return "";
  std::string name = info.dli_fname;
  // The program itself is reported under the name it was started with.
  if (name.empty() || name.find('/') == std::string::npos) {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) name.assign(self, static_cast<size_t>(n));
  }
  char resolved[PATH_MAX];
  if (realpath(name.c_str(), resolved)) name = resolved;
  return name;
}

uint32_t readVersionResource(const std::string& path, std::vector<uint8_t>& block) {
  block.clear();
  char resolved[PATH_MAX];
  if (!realpath(nativePath(path).c_str(), resolved)) return kErrorFileNotFound;
  std::lock_guard<std::mutex> hold(tableLock());
  for (const LinkedBlockC& b : table()) {
    if (moduleFileName(b.module) == resolved) {
      block.assign(b.block, b.block + b.size);
      return kErrorSuccess;
    }
  }
  return kErrorResourceTypeNotFound;
}

bool registerLinkedVersionBlock(const void* block, size_t size) {
  std::lock_guard<std::mutex> hold(tableLock());
  table().push_back({moduleContaining(block), static_cast<const uint8_t*>(block), size});
  return true;
}

OsVersionC osVersion() {
  OsVersionC v;
  utsname u{};
  if (uname(&u) == 0) {
    char* end = nullptr;
    v.major = static_cast<uint32_t>(std::strtoul(u.release, &end, 10));
    if (end && *end == '.') v.minor = static_cast<uint32_t>(std::strtoul(end + 1, &end, 10));
    if (end && *end == '.') v.build = static_cast<uint32_t>(std::strtoul(end + 1, &end, 10));
  }
  return v;
}

std::string currentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string windowsDirectory() { return "C:\\WINDOWS"; }

}  // namespace platform
