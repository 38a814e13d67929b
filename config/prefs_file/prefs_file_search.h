// PrefsFileSearchC: the search for preference files and the lookups in
// the files found.
//
// Construction runs the search once: the "-kuiprefs" path (or the default
// path) is expanded into entries, each entry into candidate files (a bare
// name in each default directory, a directory with each default file
// name), and the files that exist are parsed and chained in that order. A
// file whose "Environment" section holds "KUIPREFSPATH" stops the search;
// a non-empty value is searched at once (nested, same rules), and the
// outer search goes on only when that nested search did not stop. A file
// already in the chain is skipped (so a KUIPREFSPATH that leads back cannot
// loop), and a KUIPREFSPATH met at nesting depth kMaxNesting is not
// followed: that file stops the search. A file that exists but cannot be
// read stops the search; the files found before it stay.
//
// With the environment variable "KUIPREFSDEBUG" set, every step is printed
// to the diagnostics (kept until the log manager is attached there), and
// lookups of the variable or section it names print their outcome.
//
// Lookups may come from any thread: the chain is read under the object's
// lock. The object must outlive its callers; the process's one search
// belongs to the process context.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/prefs_file/prefs.h"
#include "config/prefs_file/prefs_app_info.h"
#include "config/prefs_file/prefs_diagnostics.h"
#include "config/prefs_file/process_environment.h"
#include "runtime/locks/spin_lock.h"

struct PrefsSearchSetupC {
  // The path given with "-kuiprefs"; nothing or "" searches the default.
  std::optional<std::string> searchPath;
  PrefsAppInfoC app;
  // The name %N stands for ("" when the program has none).
  std::string name;
  const PrefsEnvironmentI* environment = &ProcessEnvironmentC::instance();
  PrefsDiagnosticsC* diagnostics = &PrefsDiagnosticsC::process();
};

class PrefsFileSearchC {
 public:
  static constexpr const char* kDefaultSearchPath = "%U\\%N%S;%A\\%N%S;%U\\%f%V%S;%A\\%f%V%S;%WIN\\%F%V\\%f%V%S";
  static constexpr const char* kDefaultDirectories = "%U;%A;%WIN\\%F%V";
  static constexpr const char* kDefaultFiles = "%N%S;%f%V%S";
  static constexpr const char* kSuffix = ".ini";
  static constexpr int kMaxNesting = 8;

  explicit PrefsFileSearchC(PrefsSearchSetupC setup);
  ~PrefsFileSearchC();
  PrefsFileSearchC(const PrefsFileSearchC&) = delete;
  PrefsFileSearchC& operator=(const PrefsFileSearchC&) = delete;

  // The value of (section, name) in the first file of the chain that has
  // it; else, for section "Environment" (any case) while the
  // use-environment-variables flag is set, the process environment
  // variable; else `fallback`.
  std::string lookup(std::string_view section, std::string_view name, std::string_view fallback) const;
  // As lookup, nothing instead of a default.
  std::optional<std::string> find(std::string_view section, std::string_view name) const;

  // The preference variable `name` (section "Environment"), in a buffer of
  // the calling thread that the thread's next call overwrites; null when
  // it has no value.
  const char* lookupVariable(std::string_view name) const;

  // The entries of the section in the first file that has it; nothing when
  // no file has it.
  std::optional<std::vector<PrefsC::EntryC>> lookupSection(std::string_view section) const;

  // Set after the search when a found file defines the preference variable
  // "KUIUSEENVIRONMENTVARS" or the process has that environment variable.
  bool useEnvironmentVariables() const { return useEnvironment_; }

  // The chain's files in order, and the last file found ("" when none).
  std::vector<std::string> files() const;
  std::string lastFileFound() const;

 private:
  bool searchPath(const std::string& path, int depth);
  void loadCandidate(const std::string& candidate, int depth);
  std::vector<std::string> expand(std::string_view path) const;
  bool inChain(const std::string& file) const;
  std::optional<std::pair<std::string, std::string>> findWithSource(std::string_view section,
                                                                    std::string_view name) const;
  void print(std::string_view format, const std::vector<std::string>& args = {}) const;
  bool debugNames(std::string_view name) const;

  PrefsSearchSetupC setup_;
  std::optional<std::string> debug_;  // "KUIPREFSDEBUG", when set
  mutable SpinLockWord lock_{0};
  std::unique_ptr<PrefsC> head_;
  PrefsC* tail_ = nullptr;
  std::string lastFound_;
  bool stopped_ = false;
  bool useEnvironment_ = false;
};
