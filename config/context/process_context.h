// ProcessContextC: the per-process context record, and its initialisation
// from a short argument vector.
//
// current() gives the record of the calling process, creating it on first
// use (records are kept in a list searched by process id, so a forked
// child gets its own); records live until the process ends. initialise()
// runs on the starting thread before other threads read the record;
// afterwards the record is only read, except that a later initialise()
// (the next Start) replaces the preference-file search and setEnvironment
// replaces the environment copy, both while no other thread uses them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/context/context_environment.h"
#include "config/prefs_file/prefs_app_info.h"
#include "config/prefs_file/prefs_diagnostics.h"
#include "config/prefs_file/prefs_file_search.h"
#include "config/prefs_file/process_environment.h"
#include "platform/module.h"

class ProcessContextC {
 public:
  // Called at the end of every initialisation; false makes initialise()
  // answer null. One callback per process (a new one replaces the old).
  using InitCallbackT = std::function<bool(ProcessContextC&)>;

  static ProcessContextC& current();
  static void setInitCallback(InitCallbackT callback);

  // A record of its own (tests, and current() itself). `environment` and
  // `diagnostics` are what its preference-file searches read and print to.
  explicit ProcessContextC(const PrefsEnvironmentI& environment = ProcessEnvironmentC::instance(),
                           PrefsDiagnosticsC& diagnostics = PrefsDiagnosticsC::process());
  ~ProcessContextC();
  ProcessContextC(const ProcessContextC&) = delete;
  ProcessContextC& operator=(const ProcessContextC&) = delete;

  // Edits argv in place: "-kuiprefs PATH" is removed (PATH becomes the
  // search path, "" meaning the default), and "-kui hInstance=N" (N a
  // non-empty decimal) is removed and N stored as the module handle; other
  // arguments stay, in order, and the freed slots at the end are set to
  // null. Options are looked for from index 1 while the index is below
  // argc - 1. Creates the application information on the first call
  // (argv[0] is the program's path; programName, when given, is the
  // family name, else the file name of argv[0] without ".exe"), then
  // replaces the search when a path was given, or makes the first one.
  // Returns this record, or null when the callback refuses.
  ProcessContextC* initialise(int& argc, char** argv, const std::optional<std::string>& programName = std::nullopt);

  uint32_t processId() const { return processId_; }
  uint32_t threadId() const { return threadId_; }
  const std::string& name() const { return name_; }
  platform::ModuleHandle moduleHandle() const { return moduleHandle_; }
  const platform::OsVersionC& osInformation() const { return os_; }
  // Null before the first initialise().
  const PrefsAppInfoC* appInfo() const { return appInfo_.get(); }
  const PrefsFileSearchC* prefsSearch() const { return search_.get(); }

  // Destroys the environment held and keeps a deep copy of `given`.
  void setEnvironment(const ContextEnvironmentI& given);
  // The copy held, or null.
  ContextEnvironmentI* environment() const { return environment_.get(); }

  // The version text of a selector: this record's module, then the
  // library's own (see runtime/version/version_string.h).
  std::string versionString(int selector) const;

 private:
  friend class ProcessContextListC;
  ProcessContextC* next_ = nullptr;

  uint32_t processId_;
  uint32_t threadId_;
  std::string name_ = "standalone";
  platform::ModuleHandle moduleHandle_ = nullptr;
  platform::OsVersionC os_;
  std::unique_ptr<PrefsAppInfoC> appInfo_;
  std::string searchName_;
  std::unique_ptr<PrefsFileSearchC> search_;
  std::unique_ptr<ContextEnvironmentI> environment_;
  const PrefsEnvironmentI& processEnvironment_;
  PrefsDiagnosticsC& diagnostics_;
};
