#include "runtime/process/process.h"

#include <cstring>

#include "platform/hresult.h"
#include "runtime/messages/error_report.h"
#include "runtime/messages/log_module.h"
#include "runtime/services/common_services.h"
#include "tnwcmn/tnwcmn.h"

namespace {

const LogModuleC kProcessModule("Communication/Process");

uint32_t reportSystemError(uint32_t error) {
  const uint32_t hr = static_cast<uint32_t>(tnw::hresultFromWin32(error));
  raiseError(hr, "{e}System error %1$d", ArgListC(static_cast<int32_t>(error)));
  return hr;
}

}  // namespace

CommPipeC::EndsC CommPipeC::open(bool inheritableRead, bool inheritableWrite) {
  EndsC ends;
  uint32_t error = platform::createPipe(&ends.read, &ends.write);
  if (error == 0 && inheritableRead) error = platform::setHandleInheritable(ends.read, true);
  if (error == 0 && inheritableWrite) error = platform::setHandleInheritable(ends.write, true);
  if (error != 0) {
    platform::closeFile(ends.read);
    platform::closeFile(ends.write);
    ends = EndsC();
    ends.status = reportSystemError(error);
  }
  return ends;
}

CommPipeC::CommPipeC(bool inheritableRead, bool inheritableWrite) : CommPipeC(open(inheritableRead, inheritableWrite)) {}

CommPipeC::CommPipeC(const EndsC& ends)
    : status_(ends.status),
      readHandle_(ends.read),
      writeHandle_(ends.write),
      readEnd_(ends.read, true),
      writeEnd_(ends.write, true) {}

void ProcessAccessLogC::failed(const char* format, uint32_t error) {
  if (error != 0) reportSystemError(error);
  kProcessModule.trace(format, error);
}

void ProcessAccessLogC::noted(const char* format, int32_t first, int32_t second) {
  kProcessModule.trace(format, first, second);
}

ProcessC::StdIODescC::StdIODescC(int which) : handle_(platform::standardHandle(which)) {}

void ProcessC::StdIODescC::setHandle(platform::FileHandle handle) {
  handle_ = handle;
  fileName_ = StringC();
}

bool ProcessC::StdIODescC::namesNullDevice() const { return fileName_.equalsIgnoreCase(StringC::fromUtf8("NUL:")); }

std::string ProcessC::StdIODescC::openName() const {
  return namesNullDevice() ? std::string(platform::nullDeviceName()) : fileName_.toUtf8();
}

ProcessC::ProcessC() = default;

ProcessC::~ProcessC() {
  inputPipe_.reset();
  outputPipe_.reset();
  delete[] startup_.desktop;
  startup_.desktop = nullptr;

  if (token_ != platform::kInvalidHandle) {
    uint32_t code = 0;
    if (exitCode(&code) == 0) {
      tnw::ErrorServiceI* errors = common_services::errorService();
      void* state = errors ? errors->saveState() : nullptr;
      if (profile_ != platform::kInvalidHandle) {
        if (const uint32_t error = platform::unloadUserProfile(token_, profile_))
          kProcessModule.trace("UnloadUserProfile failed: error %#lx", error);
      }
      if (accessGranted_) {
        ProcessAccessLogC log;
        platform::revokeSessionAccess(token_, log);
      }
      if (errors) errors->restoreState(state);
    }
    platform::closeHandle(token_);
  }

  platform::closeProcessHandle(process_.process);
  platform::closeHandle(process_.thread);
}

void ProcessC::setShowWindowOff() { startup_.flags &= ~platform::kStartfUseShowWindow; }

void ProcessC::setBusyCursorFeedback(bool on) {
  if (on) {
    startup_.flags |= platform::kStartfForceOnFeedback;
    startup_.flags &= ~platform::kStartfForceOffFeedback;
  } else {
    startup_.flags |= platform::kStartfForceOffFeedback;
    startup_.flags &= ~platform::kStartfForceOnFeedback;
  }
}

void ProcessC::setDesktop(const std::string& name) {
  char* copy = new char[name.size() + 1];
  std::memcpy(copy, name.c_str(), name.size() + 1);
  delete[] startup_.desktop;
  startup_.desktop = copy;
}

void ProcessC::attachProcess(const platform::ProcessRecord& record) {
  process_ = record;
  waitHandle_ = record.process;
}

void ProcessC::adoptUserToken(platform::SystemHandle token, platform::SystemHandle profile) {
  token_ = token;
  profile_ = profile;
}

bool ProcessC::grantSessionAccess() {
  if (token_ == platform::kInvalidHandle) return false;
  accessGranted_ = true;
  ProcessAccessLogC log;
  return platform::grantSessionAccess(token_, log);
}

uint32_t ProcessC::exitCode(uint32_t* value) {
  if (!value) return platform::kEPointer;
  *value = 0;
  if (waitHandle_ == platform::kInvalidHandle) return kNoProcess;
  if (exitCode_ == kUnknownExitCode) {
    if (!platform::processHasEnded(waitHandle_)) return kStillRunning;
    uint32_t code = 0;
    if (const uint32_t error = platform::processExitCode(waitHandle_, &code))
      return static_cast<uint32_t>(tnw::hresultFromWin32(error));
    exitCode_ = code;
  }
  *value = static_cast<uint32_t>(exitCode_);
  return 0;
}
