// Expansion of $(Name) references against a variable environment.
//
// A name's raw value is scanned for "$(", then the first ")" after it; the
// text between is a reference, replaced by the expansion of that name one
// level deeper. A reference to the variable being expanded stays as it is;
// an unknown name gives "" (unknownAsEmpty) or its reference literally; at
// depth 0 a variable gives "". The scan resumes after the text just put in,
// so an inserted value is never scanned twice: every expansion ends, and a
// value that refers to itself ("a$(R)" in R) read through another variable
// gives that value once. There is no escape syntax.
//
// Hostile values (many references fanning out over ten levels) could ask
// for exponential work, so one expansion stops after kMaxReferences
// references or once its result passes kMaxBytes; the rest of the text is
// then kept as written and stopped() says so. The budget is per object:
// use one expander per read. Runs on the caller's thread; the environment
// must not change during the call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/prefs/env_environment.h"

class env_ExpanderC {
 public:
  static constexpr int32_t kDepth = 10;
  static constexpr uint32_t kMaxReferences = 100000;
  static constexpr size_t kMaxBytes = size_t{16} << 20;

  env_ExpanderC(env_EnvironmentI& environment, bool unknownAsEmpty)
      : env_(environment), unknownAsEmpty_(unknownAsEmpty) {}

  // The variable `name` expanded.
  StringC expandName(const StringC& name, int32_t depth = kDepth);
  // `raw`, read as a value of the variable `self` (an element of a list).
  StringC expandValue(const StringC& self, const StringC& raw, int32_t depth = kDepth);
  // An arbitrary text, not a name.
  StringC expandText(const StringC& text, int32_t depth = kDepth);

  bool stopped() const { return stopped_; }
  uint32_t references() const { return references_; }

 private:
  void name(std::string_view name, int32_t depth, std::string& out);
  void scan(const std::string* selfKey, std::string_view text, int32_t depth, std::string& out);

  env_EnvironmentI& env_;
  bool unknownAsEmpty_;
  bool stopped_ = false;
  uint32_t references_ = 0;
};
