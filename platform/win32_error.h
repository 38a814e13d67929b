// The one error vocabulary of the platform layer: Win32 error codes, named.
//
// Every platform call that can fail answers in these terms, in one of two
// forms: a uint32_t result that is 0 on success or the code, or (for calls
// that return a handle or a count) a failure value with the code in an
// `error` out-parameter. The layers above compare with these names, never
// with bare numbers. Exceptions, stated in their headers: the file-system
// calls of platform/file_system.h answer the runtime library's errno values,
// as the file service's callers expect them.
//
// On Linux every back-end turns errno into a code through win32FromErrno, so
// one errno always means one code.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorInvalidFunction = 1;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorTooManyOpenFiles = 4;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorNotSameDevice = 17;
inline constexpr uint32_t kErrorWriteFault = 29;
inline constexpr uint32_t kErrorGenFailure = 31;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorBrokenPipe = 109;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorBusy = 170;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorBadExeFormat = 193;
inline constexpr uint32_t kErrorFilenameExcedRange = 206;
inline constexpr uint32_t kErrorModNotFound = 126;
inline constexpr uint32_t kErrorIoDevice = 1117;

// WaitForSingleObject's time that never runs out (INFINITE).
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// Linux back-ends only: the Win32 code for an errno value (0 for 0; codes
// without a closer match are ERROR_GEN_FAILURE).
uint32_t win32FromErrno(int error);

}  // namespace platform
