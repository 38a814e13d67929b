#include <windows.h>

#include <atomic>

#include "host/host_system.h"
#include "platform/wide.h"

namespace host_system {

namespace {
std::atomic<bool> stopFlag{false};
BOOL WINAPI onControl(DWORD) {
  stopFlag = true;
  return TRUE;
}
}  // namespace

std::string defaultPluginPath() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::string exe = platform::fromWide(buf, n);
  size_t sep = exe.find_last_of("\\/");
  return (sep == std::string::npos ? std::string(".") : exe.substr(0, sep)) + "\\vdiendpoint.dll";
}

void setEnvironment(const char* name, const std::string& value) {
  SetEnvironmentVariableW(platform::toWide(name).c_str(), platform::toWide(value).c_str());
}

void installStopHandlers() { SetConsoleCtrlHandler(onControl, TRUE); }

bool stopRequested() { return stopFlag.load(); }

}  // namespace host_system
