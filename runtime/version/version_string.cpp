#include "runtime/version/version_string.h"

#include "runtime/version/version_reader.h"

namespace version_string {

namespace {

void trimTrailingBlanks(std::string& s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r')) s.pop_back();
}

// A value ends at its first NUL, as the 8-bit text it is copied as.
std::string upToNul(const std::string& s) { return s.substr(0, s.find('\0')); }

std::optional<std::string> valueOf(int selector, platform::ModuleHandle module) {
  if (!module) return std::nullopt;
  VersionC reader(selector);
  if (!reader.readModule(module)) return std::nullopt;
  return reader.text();
}

}  // namespace

bool isServed(int selector) { return (selector >= 0 && selector <= 8) || selector == 10 || selector == 12; }

std::string combine(const std::optional<std::string>& processModuleValue,
                    const std::optional<std::string>& ownModuleValue) {
  std::string text;
  if (processModuleValue) {
    text = upToNul(*processModuleValue).substr(0, kProcessPartLimit);
    trimTrailingBlanks(text);
  }
  if (ownModuleValue) {
    if (!text.empty()) text += '\n';
    text += upToNul(*ownModuleValue).substr(0, kTotalLimit - text.size());
    trimTrailingBlanks(text);
  }
  return text;
}

platform::ModuleHandle ownModule() {
  static const platform::ModuleHandle own = platform::moduleContaining(reinterpret_cast<const void*>(&isServed));
  return own;
}

std::string of(int selector, platform::ModuleHandle processModule, platform::ModuleHandle own) {
  if (!isServed(selector)) return "";
  return combine(valueOf(selector, processModule), valueOf(selector, own));
}

}  // namespace version_string
