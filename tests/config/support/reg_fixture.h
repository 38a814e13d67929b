// Registry contents for one test, given as .reg text in the form
// `reg export` writes, with key paths as a 32-bit process sees them
// (HKEY_LOCAL_MACHINE\SOFTWARE\X, never ...\WOW6432Node\X).
//
// Linux: a fresh machine root (TNW_MACHINE_ROOT) whose registry/ folder
// gets every text as a file, HKEY_LOCAL_MACHINE\SOFTWARE keys moved below
// WOW6432Node as `reg import /reg:32` stores them. Windows: every text is
// imported into the real registry with reg.exe, and clear() (and the end)
// puts back what was there before: each value a text sets or deletes gets
// its former data again (or goes again), each key that did not exist goes
// with everything below it. Keys that existed stay, with the rest of their
// values untouched. A text that deletes a key that existed ("[-KEY]") is
// refused: that could not be put back.
#pragma once

#include <functional>
#include <initializer_list>
#include <set>
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
  // Windows: the steps that put the registry back, in the order taken, and
  // what they already cover (a value's or a key's former state is kept once).
  std::vector<std::function<void()>> undo_;
  std::set<std::string> saved_;
  int imports_ = 100;  // file names sort in import order
};

}  // namespace config_test
