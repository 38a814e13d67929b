#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
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

int renameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the flag: a hard link fails on an existing name
  // just the same, and the old name goes once the new one stands.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

namespace {

// The stdio cookie of a text-mode file: line feeds leave as CR LF.
struct TextFileC {
  int fd;
};

bool writeAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) {
      errno = ENOSPC;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

ssize_t textWrite(void* cookie, const char* data, size_t size) {
  const int fd = static_cast<TextFileC*>(cookie)->fd;
  size_t start = 0;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] != '\n') continue;
    if (!writeAll(fd, data + start, i - start) || !writeAll(fd, "\r\n", 2)) return -1;
    start = i + 1;
  }
  if (!writeAll(fd, data + start, size - start)) return -1;
  return static_cast<ssize_t>(size);
}

int textClose(void* cookie) {
  TextFileC* file = static_cast<TextFileC*>(cookie);
  const int r = ::close(file->fd);
  delete file;
  return r;
}

}  // namespace

std::FILE* openTextFileForWriting(const std::string& native, int* error) {
  const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (error) *error = errno;
    return nullptr;
  }
  cookie_io_functions_t io{};
  io.write = textWrite;
  io.close = textClose;
  TextFileC* cookie = new TextFileC{fd};
  std::FILE* file = ::fopencookie(cookie, "w", io);
  if (!file) {
    if (error) *error = errno ? errno : ENOMEM;
    ::close(fd);
    delete cookie;
  }
  return file;
}

int closeTextFile(std::FILE* file) {
  if (!file) return EBADF;
  // The buffered rest goes out first, so its error number is still known;
  // an earlier failed write left only the stream's error flag.
  int result = 0;
  if (std::fflush(file) != 0) result = errno ? errno : EIO;
  else if (std::ferror(file)) result = EIO;
  if (std::fclose(file) != 0 && result == 0) result = errno ? errno : EIO;
  return result;
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
