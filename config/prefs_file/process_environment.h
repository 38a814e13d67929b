// The process environment variables the preference-file search reads, behind
// an interface so that a test can give its own. The process's reader is
// safe from any thread as long as nobody changes the environment meanwhile.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

class PrefsEnvironmentI {
 public:
  virtual ~PrefsEnvironmentI() = default;
  // The value of a set variable (possibly ""), nothing when unset.
  virtual std::optional<std::string> get(std::string_view name) const = 0;
};

// getenv of the process.
class ProcessEnvironmentC final : public PrefsEnvironmentI {
 public:
  static const ProcessEnvironmentC& instance();
  std::optional<std::string> get(std::string_view name) const override;
};

// A fixed set of variables (tests, embedding programs).
class MapEnvironmentC final : public PrefsEnvironmentI {
 public:
  MapEnvironmentC() = default;
  explicit MapEnvironmentC(const std::map<std::string, std::string>& values) : values_(values.begin(), values.end()) {}
  void set(const std::string& name, const std::string& value) { values_[name] = value; }
  void unset(const std::string& name) { values_.erase(name); }
  std::optional<std::string> get(std::string_view name) const override;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};
