#include <fcntl.h>
#include <poll.h>
#include <sys/pidfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/child_process.h"

namespace platform {

const char* nullDeviceName() { return "/dev/null"; }

SystemHandle openProcess(uint32_t processId, uint32_t* error) {
  const int fd = pidfd_open(static_cast<pid_t>(processId), 0);
  if (fd < 0) {
    if (error) *error = win32FromErrno(errno);
    return kInvalidHandle;
  }
  if (error) *error = 0;
  return fd;
}

bool processHasEnded(SystemHandle process) {
  if (process == kInvalidHandle) return false;
  pollfd p{static_cast<int>(process), POLLIN, 0};
  int n;
  while ((n = poll(&p, 1, 0)) < 0 && errno == EINTR) {
  }
  return n > 0 && (p.revents & POLLIN);
}

uint32_t processExitCode(SystemHandle process, uint32_t* code) {
  if (process == kInvalidHandle) return kErrorInvalidHandle;
  siginfo_t info{};
  if (waitid(P_PIDFD, static_cast<id_t>(process), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
    return win32FromErrno(errno);
  if (info.si_pid == 0) {
    if (code) *code = kStillActive;
  } else if (info.si_code == CLD_EXITED) {
    if (code) *code = static_cast<uint32_t>(info.si_status);
  } else {
    if (code) *code = 128 + static_cast<uint32_t>(info.si_status);
  }
  return 0;
}

void closeProcessHandle(SystemHandle process) {
  if (process == kInvalidHandle) return;
  siginfo_t info{};
  while (waitid(P_PIDFD, static_cast<id_t>(process), &info, WEXITED | WNOHANG) != 0 && errno == EINTR) {
  }
  close(static_cast<int>(process));
}

void closeHandle(SystemHandle handle) {
  if (handle != kInvalidHandle) close(static_cast<int>(handle));
}

uint32_t createPipe(FileHandle* readEnd, FileHandle* writeEnd) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    const uint32_t error = win32FromErrno(errno);
    *readEnd = *writeEnd = kNoFile;
    return error;
  }
  *readEnd = ends[0];
  *writeEnd = ends[1];
  return 0;
}

uint32_t setHandleInheritable(FileHandle handle, bool inheritable) {
  const int fd = static_cast<int>(handle);
  const int flags = fcntl(fd, F_GETFD);
  if (flags < 0 || fcntl(fd, F_SETFD, inheritable ? (flags & ~FD_CLOEXEC) : (flags | FD_CLOEXEC)) != 0)
    return win32FromErrno(errno);
  return 0;
}

uint32_t unloadUserProfile(SystemHandle, SystemHandle) { return 0; }

}  // namespace platform
