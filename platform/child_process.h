// Child processes in Windows terms: the records CreateProcess takes and
// fills, process handles (the wait that tells a process has ended, its exit
// code, closing), anonymous pipes for redirected standard handles and the
// clean-up after a process that ran under another user's token.
//
// Linux: a process handle is a pidfd (pidfd_open) of a child of this
// process. A child's exit code is read without reaping it, as Windows keeps
// an ended process until its last handle is closed; closeProcessHandle
// reaps it. There are no user profiles, and tokens and thread handles are
// plain descriptors to close.
//
// Every call may come from any thread; handles are the caller's to share.
#pragma once

#include <cstdint>

#include "platform/file_stream.h"
#include "platform/win32_error.h"

namespace platform {

// HANDLE. -1 (INVALID_HANDLE_VALUE) is "none" wherever a record holds one.
using SystemHandle = intptr_t;
inline constexpr SystemHandle kInvalidHandle = -1;

// STARTUPINFOA, field for field: 68 bytes on 32-bit Windows, whose
// back-end checks the layout against the system's.
struct StartupRecord {
  uint32_t size;
  char* reserved;
  char* desktop;
  char* title;
  uint32_t x;
  uint32_t y;
  uint32_t xSize;
  uint32_t ySize;
  uint32_t xCountChars;
  uint32_t yCountChars;
  uint32_t fillAttribute;
  uint32_t flags;
  uint16_t showWindow;
  uint16_t reserved2Size;
  uint8_t* reserved2;
  FileHandle stdInput;
  FileHandle stdOutput;
  FileHandle stdError;
};

// StartupRecord::flags.
inline constexpr uint32_t kStartfUseShowWindow = 0x1;
inline constexpr uint32_t kStartfForceOnFeedback = 0x40;
inline constexpr uint32_t kStartfForceOffFeedback = 0x80;

// PROCESS_INFORMATION.
struct ProcessRecord {
  SystemHandle process = kInvalidHandle;
  SystemHandle thread = kInvalidHandle;
  uint32_t processId = 0;
  uint32_t threadId = 0;
};

// CreateProcess's creation flags.
inline constexpr uint32_t kNormalPriorityClass = 0x20;
inline constexpr uint32_t kCreateSeparateWowVdm = 0x800;

// The exit code GetExitCodeProcess answers for a process that has not ended
// (STILL_ACTIVE).
inline constexpr uint32_t kStillActive = 259;

// The system's name of the null device ("NUL" on Windows, "/dev/null").
const char* nullDeviceName();

// A handle to the process `processId` that can be waited on and asked for
// its exit code; kInvalidHandle with the Win32 error in *error. Linux: the
// process must be a child of this one for its exit code to be known.
SystemHandle openProcess(uint32_t processId, uint32_t* error);

// A wait of 0 ms on the process: true only when it has ended (false as well
// when the wait fails).
bool processHasEnded(SystemHandle process);

// GetExitCodeProcess: 0 and the code in *code (kStillActive while the
// process runs), or the Win32 error with *code untouched. Linux: a child
// ended by a signal answers 128 plus the signal's number, as shells report
// it; one that is not this process's child cannot be asked (an error).
uint32_t processExitCode(SystemHandle process, uint32_t* code);

// CloseHandle of a process handle; kInvalidHandle is ignored. Linux: an
// ended child is reaped first; one still running is left to whoever
// started it.
void closeProcessHandle(SystemHandle process);

// CloseHandle of any other handle (thread, token); kInvalidHandle is
// ignored.
void closeHandle(SystemHandle handle);

// CreatePipe with default security: two ends that a child does not
// inherit. 0, or the Win32 error with both ends kNoFile.
uint32_t createPipe(FileHandle* readEnd, FileHandle* writeEnd);

// SetHandleInformation(HANDLE_FLAG_INHERIT) (Linux: FD_CLOEXEC cleared
// when inheritable). 0 or the Win32 error.
uint32_t setHandleInheritable(FileHandle handle, bool inheritable);

// UnloadUserProfile of a profile loaded for `token`; 0 or the Win32 error.
// Windows loads userenv at the first call (its load error is the answer
// when it cannot); Linux has no profiles and answers 0.
uint32_t unloadUserProfile(SystemHandle token, SystemHandle profile);

}  // namespace platform
