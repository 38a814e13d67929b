// Child processes: ProcessC describes one (its argument list, standard
// streams, startup options, the process once started and, when it runs
// under another user's token, what must be given back when it ends);
// CommPipeC is the pipe behind a redirected standard stream.
//
// Starting a process from a ProcessC is not this framework's: a starter
// (CreateProcess, or the shell) reads the records and options and hands the
// started process back with attachProcess. The uploader launch uses only
// the options, the exit-code query and the destruction.
//
// Failures are traced under the log module "Communication/Process"; those
// of a system call are first reported to the error service as the HRESULT
// of the system error. Nothing throws. A ProcessC belongs to one thread at a
// time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/child_process.h"
#include "platform/window_station.h"
#include "runtime/streams/streams.h"
#include "runtime/strings/string_array.h"
#include "runtime/strings/string_c.h"

// An anonymous pipe, its read end as an FDInputStreamC and its write end as
// an FDOutputStreamC, each owning its handle. The end a child is to get is
// made inheritable; the other stays this process's own.
class CommPipeC {
 public:
  CommPipeC(bool inheritableRead, bool inheritableWrite);
  CommPipeC(const CommPipeC&) = delete;
  CommPipeC& operator=(const CommPipeC&) = delete;

  // 0, or the HRESULT of the system error that stopped the pipe (already
  // reported); both streams then have no handle and fail every call.
  uint32_t status() const { return status_; }
  FDInputStreamC& readEnd() { return readEnd_; }
  FDOutputStreamC& writeEnd() { return writeEnd_; }
  // The ends as created, for a starter to hand to the child; valid while
  // their stream is open.
  platform::FileHandle readHandle() const { return readHandle_; }
  platform::FileHandle writeHandle() const { return writeHandle_; }

 private:
  struct EndsC {
    platform::FileHandle read = platform::kNoFile;
    platform::FileHandle write = platform::kNoFile;
    uint32_t status = 0;
  };
  static EndsC open(bool inheritableRead, bool inheritableWrite);
  explicit CommPipeC(const EndsC& ends);

  uint32_t status_;
  platform::FileHandle readHandle_;
  platform::FileHandle writeHandle_;
  FDInputStreamC readEnd_;
  FDOutputStreamC writeEnd_;
};

// How a ProcessC reports the steps of granting and revoking window-station
// and desktop access: a failure with a system error is reported as its
// HRESULT, then every failure's message is traced with the error
// ("%#lx"); a step's note is traced with its two numbers.
class ProcessAccessLogC final : public platform::SessionAccessLogI {
 public:
  void failed(const char* format, uint32_t error) override;
  void noted(const char* format, int32_t first, int32_t second) override;
};

class ProcessC : public StringArrayC {
 public:
  // Results of exitCode besides 0 and HRESULTs of system errors.
  static constexpr uint32_t kNoProcess = 0xE1AC0001;
  static constexpr uint32_t kStillRunning = 0xE1AC0002;

  static constexpr uint32_t kDefaultCreationFlags = platform::kCreateSeparateWowVdm | platform::kNormalPriorityClass;
  static constexpr int32_t kDefaultMode = 2;

  // One standard stream of the child: one of the caller's own standard
  // handles until it is given another handle or a file. The handle is never
  // the descriptor's to close.
  class StdIODescC {
   public:
    platform::FileHandle handle() const { return handle_; }
    // A handle instead of a file; no file is named after it.
    void setHandle(platform::FileHandle handle);
    // "" while the stream is a handle. "NUL:" (in any case) names the null
    // device.
    const StringC& fileName() const { return fileName_; }
    void setFileName(const StringC& name) { fileName_ = name; }
    bool namesNullDevice() const;
    // The name a starter opens (UTF-8): the system's null device for
    // "NUL:", else the file name.
    std::string openName() const;

   protected:
    // `which`: 0 input, 1 output, 2 error.
    explicit StdIODescC(int which);

   private:
    platform::FileHandle handle_;
    StringC fileName_;
  };
  class StdInDescC final : public StdIODescC {
   public:
    StdInDescC() : StdIODescC(0) {}
  };
  class StdOutDescC final : public StdIODescC {
   public:
    StdOutDescC() : StdIODescC(1) {}
  };
  class StdErrDescC final : public StdIODescC {
   public:
    StdErrDescC() : StdIODescC(2) {}
  };

  // No process, no token, no pipes; the caller's standard handles; an
  // all-zero startup record (its size word too: a starter fills it);
  // creation flags kDefaultCreationFlags; mode kDefaultMode; exit code
  // unknown.
  ProcessC();
  // In this order: the pipes go and the startup record's desktop name is
  // freed; with a user token, and only when the exit-code query succeeds,
  // the error service's state is saved, the loaded profile (if any) is
  // unloaded (a failure traced as "UnloadUserProfile failed: error %#lx"),
  // granted access is revoked, and the state is given back; the token is
  // closed whatever happened before; then the process and thread handles.
  // No failure stops a later step.
  ~ProcessC();
  ProcessC(const ProcessC&) = delete;
  ProcessC& operator=(const ProcessC&) = delete;

  // Clears STARTF_USESHOWWINDOW: the record's show command is not used.
  void setShowWindowOff();
  // true: STARTF_FORCEONFEEDBACK set, STARTF_FORCEOFFFEEDBACK cleared;
  // false the other way round.
  void setBusyCursorFeedback(bool on);
  const platform::StartupRecord& startupInfo() const { return startup_; }
  // The desktop the child is to use ("winsta0\default"); the record holds
  // a copy of its own.
  void setDesktop(const std::string& name);

  uint32_t creationFlags() const { return creationFlags_; }
  int32_t mode() const { return mode_; }

  StdInDescC& standardInput() { return stdIn_; }
  StdOutDescC& standardOutput() { return stdOut_; }
  StdErrDescC& standardError() { return stdErr_; }

  // CreateProcess's texts: the program, the command line, the directory the
  // child starts in (each "" until set).
  const StringC& applicationName() const { return applicationName_; }
  const StringC& commandLine() const { return commandLine_; }
  const StringC& currentDirectory() const { return currentDirectory_; }
  void setApplicationName(const StringC& text) { applicationName_ = text; }
  void setCommandLine(const StringC& text) { commandLine_ = text; }
  void setCurrentDirectory(const StringC& text) { currentDirectory_ = text; }

  // The pipes of redirected standard streams, owned from here on.
  void setInputPipe(std::unique_ptr<CommPipeC> pipe) { inputPipe_ = std::move(pipe); }
  void setOutputPipe(std::unique_ptr<CommPipeC> pipe) { outputPipe_ = std::move(pipe); }

  // The started process: both handles of `record` are this object's from
  // here on, and its process handle is the one the exit-code query waits
  // on. Once per object.
  void attachProcess(const platform::ProcessRecord& record);
  const platform::ProcessRecord& processInformation() const { return process_; }

  // A child run under another user's token: the token and the profile
  // loaded for it (kInvalidHandle: none) are this object's from here on.
  void adoptUserToken(platform::SystemHandle token, platform::SystemHandle profile);
  platform::SystemHandle userToken() const { return token_; }
  platform::SystemHandle userProfile() const { return profile_; }
  // Grants the token's logon SID access to this process's window station
  // and the calling thread's desktop; false without a token or when a step
  // failed (traced). Once tried, the access is revoked at destruction even
  // if the grant stopped half-way: revoking entries that are not there
  // changes nothing.
  bool grantSessionAccess();
  bool sessionAccessGranted() const { return accessGranted_; }

  // The child's exit code into *value, which is 0 unless set. Result 0;
  // kNoProcess before attachProcess; kStillRunning while a wait of 0 ms on
  // the process does not succeed; the HRESULT of the system error when the
  // code cannot be read (asked again next time); E_POINTER
  // (platform::kEPointer) for a null `value`. The code is read from the
  // system once and then kept.
  uint32_t exitCode(uint32_t* value);

 private:
  static constexpr int64_t kUnknownExitCode = -1;

  std::unique_ptr<CommPipeC> inputPipe_;
  platform::SystemHandle waitHandle_ = platform::kInvalidHandle;
  std::unique_ptr<CommPipeC> outputPipe_;
  StdInDescC stdIn_;
  StdOutDescC stdOut_;
  StdErrDescC stdErr_;
  platform::StartupRecord startup_{};
  platform::ProcessRecord process_;
  uint32_t creationFlags_ = kDefaultCreationFlags;
  platform::SystemHandle token_ = platform::kInvalidHandle;
  platform::SystemHandle profile_ = platform::kInvalidHandle;
  bool accessGranted_ = false;
  StringC applicationName_;
  StringC commandLine_;
  StringC currentDirectory_;
  int32_t mode_ = kDefaultMode;
  int64_t exitCode_ = kUnknownExitCode;
};
