#include "platform/message_text.h"
#include "platform/win32_error.h"

namespace platform {

namespace {

struct SystemTextC {
  uint32_t code;
  const char* text;
};

// Windows' own texts (the system table, default language) of every code
// this system names, which covers all that win32FromErrno answers.
constexpr SystemTextC kSystemTexts[] = {
    {kErrorSuccess, "The operation completed successfully."},
    {kErrorInvalidFunction, "Incorrect function."},
    {kErrorFileNotFound, "The system cannot find the file specified."},
    {kErrorPathNotFound, "The system cannot find the path specified."},
    {kErrorTooManyOpenFiles, "The system cannot open the file."},
    {kErrorAccessDenied, "Access is denied."},
    {kErrorInvalidHandle, "The handle is invalid."},
    {kErrorNotEnoughMemory, "Not enough memory resources are available to process this command."},
    {kErrorBadEnvironment, "The environment is incorrect."},
    {kErrorBadFormat, "An attempt was made to load a program with an incorrect format."},
    {kErrorNotSameDevice, "The system cannot move the file to a different disk drive."},
    {kErrorWriteFault, "The system cannot write to the specified device."},
    {kErrorGenFailure, "A device attached to the system is not functioning."},
    {kErrorSharingViolation, "The process cannot access the file because it is being used by another process."},
    {kErrorFileExists, "The file exists."},
    {kErrorInvalidParameter, "The parameter is incorrect."},
    {kErrorBrokenPipe, "The pipe has been ended."},
    {kErrorDiskFull, "There is not enough space on the disk."},
    {kErrorInsufficientBuffer, "The data area passed to a system call is too small."},
    {kErrorModNotFound, "The specified module could not be found."},
    {kErrorDirNotEmpty, "The directory is not empty."},
    {kErrorBusy, "The requested resource is in use."},
    {kErrorAlreadyExists, "Cannot create a file when that file already exists."},
    {kErrorBadExeFormat, "%1 is not a valid Win32 application."},
    {kErrorFilenameExcedRange, "The filename or extension is too long."},
    {kErrorProcessAborted, "The process terminated unexpectedly."},
    {kErrorIoDevice, "The request could not be performed because of an I/O device error."},
    {kErrorInvalidSid, "The security ID structure is invalid."},
    {kErrorResourceTypeNotFound, "The specified resource type cannot be found in the image file."},
    {kErrorCantResolveFilename, "The name of the file cannot be resolved by the system."},
};

}  // namespace

std::string systemMessageText(uint32_t code, LibraryHandle) {
  for (const SystemTextC& entry : kSystemTexts)
    if (entry.code == code) return entry.text;
  return std::string();
}

}  // namespace platform
