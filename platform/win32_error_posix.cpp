#include <cerrno>

#include "platform/win32_error.h"

namespace platform {

uint32_t win32FromErrno(int error) {
  switch (error) {
    case 0: return kErrorSuccess;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EMFILE: case ENFILE: return kErrorTooManyOpenFiles;
    case EACCES: case EPERM: case EROFS: case EISDIR: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEM: case EAGAIN: return kErrorNotEnoughMemory;
    case EXDEV: return kErrorNotSameDevice;
    case EEXIST: return kErrorFileExists;
    case EINVAL: return kErrorInvalidParameter;
    case ESPIPE: return kErrorInvalidFunction;
    case EPIPE: return kErrorBrokenPipe;
    case ENOSPC: case EDQUOT: return kErrorDiskFull;
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EBUSY: case ETXTBSY: return kErrorBusy;
    case ENOEXEC: return kErrorBadExeFormat;
    case ENAMETOOLONG: return kErrorFilenameExcedRange;
    case EIO: return kErrorIoDevice;
    case E2BIG: return kErrorBadEnvironment;
    case ELOOP: return kErrorCantResolveFilename;
    default: return kErrorGenFailure;
  }
}

}  // namespace platform
