#include <windows.h>

#include <cstddef>

#include "platform/child_process.h"

namespace platform {

namespace {

static_assert(sizeof(StartupRecord) == sizeof(STARTUPINFOA));
static_assert(offsetof(StartupRecord, desktop) == offsetof(STARTUPINFOA, lpDesktop));
static_assert(offsetof(StartupRecord, flags) == offsetof(STARTUPINFOA, dwFlags));
static_assert(offsetof(StartupRecord, showWindow) == offsetof(STARTUPINFOA, wShowWindow));
static_assert(offsetof(StartupRecord, stdInput) == offsetof(STARTUPINFOA, hStdInput));
static_assert(offsetof(StartupRecord, stdError) == offsetof(STARTUPINFOA, hStdError));
static_assert(sizeof(void*) != 4 || sizeof(StartupRecord) == 68);
static_assert(sizeof(ProcessRecord) == sizeof(PROCESS_INFORMATION));
static_assert(STILL_ACTIVE == kStillActive);
static_assert(STARTF_USESHOWWINDOW == kStartfUseShowWindow && STARTF_FORCEONFEEDBACK == kStartfForceOnFeedback &&
              STARTF_FORCEOFFFEEDBACK == kStartfForceOffFeedback);
static_assert(NORMAL_PRIORITY_CLASS == kNormalPriorityClass && CREATE_SEPARATE_WOW_VDM == kCreateSeparateWowVdm);

HANDLE native(SystemHandle h) { return reinterpret_cast<HANDLE>(h); }

// userenv is loaded when a profile is first unloaded, so that the library
// imports no more than the system's core DLLs; it stays loaded.
using UnloadUserProfileFn = BOOL(WINAPI*)(HANDLE, HANDLE);

struct Userenv {
  UnloadUserProfileFn unload = nullptr;
  DWORD loadError = 0;
};

const Userenv& userenv() {
  static const Userenv functions = [] {
    Userenv f;
    HMODULE m = LoadLibraryW(L"userenv.dll");
    if (m)
      f.unload = reinterpret_cast<UnloadUserProfileFn>(reinterpret_cast<void*>(GetProcAddress(m, "UnloadUserProfile")));
    if (!f.unload) f.loadError = GetLastError() ? GetLastError() : kErrorModNotFound;
    return f;
  }();
  return functions;
}

}  // namespace

const char* nullDeviceName() { return "NUL"; }

SystemHandle openProcess(uint32_t processId, uint32_t* error) {
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!h) {
    if (error) *error = GetLastError();
    return kInvalidHandle;
  }
  if (error) *error = 0;
  return reinterpret_cast<SystemHandle>(h);
}

bool processHasEnded(SystemHandle process) { return WaitForSingleObject(native(process), 0) == WAIT_OBJECT_0; }

uint32_t processExitCode(SystemHandle process, uint32_t* code) {
  DWORD value = 0;
  if (!GetExitCodeProcess(native(process), &value)) return GetLastError();
  if (code) *code = value;
  return 0;
}

void closeProcessHandle(SystemHandle process) { closeHandle(process); }

void closeHandle(SystemHandle handle) {
  if (handle != kInvalidHandle) CloseHandle(native(handle));
}

uint32_t createPipe(FileHandle* readEnd, FileHandle* writeEnd) {
  HANDLE r = nullptr, w = nullptr;
  if (!CreatePipe(&r, &w, nullptr, 0)) {
    *readEnd = *writeEnd = kNoFile;
    return GetLastError();
  }
  *readEnd = reinterpret_cast<FileHandle>(r);
  *writeEnd = reinterpret_cast<FileHandle>(w);
  return 0;
}

uint32_t setHandleInheritable(FileHandle handle, bool inheritable) {
  if (!SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, inheritable ? HANDLE_FLAG_INHERIT : 0))
    return GetLastError();
  return 0;
}

uint32_t unloadUserProfile(SystemHandle token, SystemHandle profile) {
  if (!userenv().unload) return userenv().loadError;
  if (!userenv().unload(native(token), native(profile))) return GetLastError();
  return 0;
}

}  // namespace platform
