// The Win32 error codes this system names, for both libraries (the
// platform layer and the suite's common library compile them in). Only
// names: the numbers are Windows' own and never change.
#pragma once

#include <cstdint>

namespace win32 {

inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorInvalidFunction = 1;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorTooManyOpenFiles = 4;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorBadEnvironment = 10;
inline constexpr uint32_t kErrorBadFormat = 11;
inline constexpr uint32_t kErrorNotSameDevice = 17;
inline constexpr uint32_t kErrorWriteFault = 29;
inline constexpr uint32_t kErrorGenFailure = 31;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorBrokenPipe = 109;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorBusy = 170;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorBadExeFormat = 193;
inline constexpr uint32_t kErrorFilenameExcedRange = 206;
inline constexpr uint32_t kErrorModNotFound = 126;
inline constexpr uint32_t kErrorProcessAborted = 1067;
inline constexpr uint32_t kErrorIoDevice = 1117;
inline constexpr uint32_t kErrorInvalidSid = 1337;
inline constexpr uint32_t kErrorResourceTypeNotFound = 1813;
inline constexpr uint32_t kErrorCantResolveFilename = 1921;

// WaitForSingleObject's time that never runs out (INFINITE).
inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

}  // namespace win32
