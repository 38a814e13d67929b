#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/win32_error.h"
#include "platform/path.h"

namespace platform {

std::string nativeFileName(const std::string& windowsPath, bool) { return nativePath(windowsPath); }

uint32_t fileAttributes(const std::string& native) {
  struct stat st {};
  if (native.empty() || lstat(native.c_str(), &st) != 0) return kInvalidAttributes;
  uint32_t a = 0;
  if (S_ISLNK(st.st_mode)) {
    a |= kAttrReparsePoint;
    struct stat target {};
    if (stat(native.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) a |= kAttrDirectory;
  } else if (S_ISDIR(st.st_mode)) {
    a |= kAttrDirectory;
  } else if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    a |= kAttrDevice;
  }
  if (!(st.st_mode & S_IWUSR)) a |= kAttrReadOnly;
  return a ? a : kAttrNormal;
}

uint32_t setFileAttributes(const std::string& native, uint32_t attributes) {
  struct stat st {};
  if (stat(native.c_str(), &st) != 0) return win32FromErrno(errno);
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & kAttrReadOnly) ? (mode & ~static_cast<mode_t>(0222)) : (mode | S_IWUSR);
  return chmod(native.c_str(), mode) == 0 ? kErrorSuccess : win32FromErrno(errno);
}

int unlinkFile(const std::string& native) { return ::unlink(native.c_str()) == 0 ? 0 : errno; }
int removeDirectory(const std::string& native) { return ::rmdir(native.c_str()) == 0 ? 0 : errno; }
int makeDirectory(const std::string& native) { return ::mkdir(native.c_str(), 0777) == 0 ? 0 : errno; }
int renameFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int removeTree(const std::string& native) {
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return errno;
  if (!S_ISDIR(st.st_mode)) return unlinkFile(native);
  if (DIR* d = opendir(native.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      removeTree(native + "/" + name);
    }
    closedir(d);
  }
  return removeDirectory(native);
}

bool sameFile(const std::string& a, const std::string& b, bool* known) {
  struct stat sa {}, sb {};
  const bool ok = stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0;
  if (known) *known = ok;
  return ok ? sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino : a == b;
}

}  // namespace platform
