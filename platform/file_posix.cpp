#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file.h"
#include "platform/win32_error.h"

namespace platform {

ReadOnlyFileC::~ReadOnlyFileC() { close(); }

uint32_t ReadOnlyFileC::open(const std::string& path) {
  close();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return win32FromErrno(errno);
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kErrorAccessDenied;  // as Windows answers for a directory
  }
  handle_ = fd;
  return kErrorSuccess;
}

void ReadOnlyFileC::close() {
  if (handle_ != kNone) ::close(static_cast<int>(handle_));
  handle_ = kNone;
}

int64_t ReadOnlyFileC::size() const {
  struct stat st {};
  if (handle_ == kNone || fstat(static_cast<int>(handle_), &st) != 0) return -1;
  return st.st_size;
}

int64_t ReadOnlyFileC::readAt(uint64_t offset, void* buffer, size_t n) const {
  if (handle_ == kNone) return -1;
  size_t done = 0;
  while (done < n) {
    ssize_t r = pread(static_cast<int>(handle_), static_cast<char*>(buffer) + done, n - done,
                      static_cast<off_t>(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return static_cast<int64_t>(done);
}

}  // namespace platform
