// The exact trace lines of a search, built from their parts. Lines inside
// a read's scope carry two blanks of indentation.
#pragma once

#include <string>

namespace config_test {

inline std::string searchLine(const std::string& text) { return "Configuring/Registry/Search:   " + text; }
inline std::string getLine(const std::string& text) { return "Configuring/Registry/Get:   " + text; }
inline std::string getHeader(const char* type) {
  return std::string("Configuring/Registry/Get: Getting ") + type + " ConfVar value";
}

inline std::string lookingFor(const std::string& name) { return searchLine("Looking for \"" + name + "\" in registry"); }
inline std::string searching(const std::string& root, const std::string& key, const std::string& name) {
  return searchLine("Searching registry value \"" + root + "\\" + key + "\\" + name + "\".");
}
inline std::string found(const std::string& root, const std::string& key, const std::string& name) {
  return searchLine("Found registry value \"" + root + "\\" + key + "\\" + name + "\".");
}
inline std::string failedToFind(const std::string& root, const std::string& key, const std::string& name) {
  return searchLine("Failed to find registry value \"" + root + "\\" + key + "\\" + name + "\".");
}

inline const std::string kHKCU = "HKEY_CURRENT_USER";
inline const std::string kHKLM = "HKEY_LOCAL_MACHINE";

}  // namespace config_test
