#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_stream.h"
#include "platform/win32_error.h"

namespace platform {

FileHandle openFile(const std::string& path, Disposition disposition, uint32_t access, uint32_t, bool append,
                    uint32_t* error) {
  int flags = O_CLOEXEC;
  if ((access & kAccessRead) && (access & kAccessWrite))
    flags |= O_RDWR;
  else if (access & kAccessWrite)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;
  switch (disposition) {
    case Disposition::kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case Disposition::kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case Disposition::kOpenExisting: break;
    case Disposition::kOpenAlways: flags |= O_CREAT; break;
    case Disposition::kTruncateExisting: flags |= O_TRUNC; break;
    default:
      if (error) *error = kErrorInvalidParameter;
      return kNoFile;
  }
  if (append) flags |= O_APPEND;
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) {
    if (error) *error = win32FromErrno(errno);
    return kNoFile;
  }
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    if (error) *error = kErrorAccessDenied;
    return kNoFile;
  }
  if (error) *error = kErrorSuccess;
  return fd;
}

void closeFile(FileHandle file) {
  if (file != kNoFile) ::close(static_cast<int>(file));
}

int64_t readFile(FileHandle file, void* buffer, uint32_t n, uint32_t* error) {
  for (;;) {
    ssize_t r = ::read(static_cast<int>(file), buffer, n);
    if (r >= 0) return r;
    if (errno == EINTR) continue;
    if (error) *error = win32FromErrno(errno);
    return -1;
  }
}

int64_t writeFile(FileHandle file, const void* buffer, uint32_t n, uint32_t* error) {
  for (;;) {
    ssize_t r = ::write(static_cast<int>(file), buffer, n);
    if (r >= 0) return r;
    if (errno == EINTR) continue;
    if (error) *error = win32FromErrno(errno);
    return -1;
  }
}

int64_t appendFile(FileHandle file, const void* buffer, uint32_t n, uint32_t* error) {
  return writeFile(file, buffer, n, error);  // the descriptor was opened with O_APPEND
}

int64_t seekFile(FileHandle file, int64_t offset, int origin, uint32_t* error) {
  const int whence = origin == 0 ? SEEK_SET : (origin == 1 ? SEEK_CUR : SEEK_END);
  off_t r = lseek(static_cast<int>(file), static_cast<off_t>(offset), whence);
  if (r < 0 && error) *error = win32FromErrno(errno);
  return r;
}

int64_t fileSize(FileHandle file, uint32_t* error) {
  struct stat st {};
  if (fstat(static_cast<int>(file), &st) != 0) {
    if (error) *error = win32FromErrno(errno);
    return -1;
  }
  return st.st_size;
}

uint32_t setFileLength(FileHandle file, int64_t length) {
  return ftruncate(static_cast<int>(file), static_cast<off_t>(length)) == 0 ? 0 : win32FromErrno(errno);
}

uint32_t flushFile(FileHandle file) { return fsync(static_cast<int>(file)) == 0 || errno == EINVAL ? 0 : win32FromErrno(errno); }

FileHandle standardHandle(int which) { return which >= 0 && which <= 2 ? which : kNoFile; }

}  // namespace platform
