// Registry contents for one test, given as .reg text in the form
// `reg export` writes, with key paths as a 32-bit process sees them
// (HKEY_LOCAL_MACHINE\SOFTWARE\X, never ...\WOW6432Node\X).
//
// Linux: a fresh machine root (TNW_MACHINE_ROOT) whose registry/ folder
// gets every text as a file, HKEY_LOCAL_MACHINE\SOFTWARE keys moved below
// WOW6432Node as `reg import /reg:32` stores them. Windows: every text is
// imported into the real registry with reg.exe, and the keys it names are
// deleted again by clear() and at the end.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "test_support.h"

namespace config_test {

// A .reg text: the version 5 header, then the lines.
std::string regText(std::initializer_list<std::string> lines);

// The 32-bit view's physical path of every HKEY_LOCAL_MACHINE\SOFTWARE key
// named in a .reg text (Linux store layout).
std::string toWow64Layout(const std::string& regText);

// The key names of a .reg text's "[...]" lines, "-" lines left out.
std::vector<std::string> keysOf(const std::string& regText);

class RegFixtureC {
 public:
  RegFixtureC();
  ~RegFixtureC();
  RegFixtureC(const RegFixtureC&) = delete;
  RegFixtureC& operator=(const RegFixtureC&) = delete;

  void import(const std::string& regText);
  // Removes everything imported so far.
  void clear();
  // Linux only: a file in the registry of the remote machine `machine`.
  void importRemote(const std::string& machine, const std::string& regText);

  // A scratch folder for the test's own files (traces).
  const test_support::TempDirC& scratch() const { return scratch_; }

 private:
  test_support::TempDirC scratch_;
  std::vector<std::string> files_;
  std::vector<std::string> keys_;
  int imports_ = 100;  // file names sort in import order
};

}  // namespace config_test
