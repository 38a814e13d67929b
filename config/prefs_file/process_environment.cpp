#include "config/prefs_file/process_environment.h"

#include <cstdlib>

const ProcessEnvironmentC& ProcessEnvironmentC::instance() {
  static const ProcessEnvironmentC environment;
  return environment;
}

std::optional<std::string> ProcessEnvironmentC::get(std::string_view name) const {
  const char* v = std::getenv(std::string(name).c_str());
  if (!v) return std::nullopt;
  return std::string(v);
}

std::optional<std::string> MapEnvironmentC::get(std::string_view name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}
