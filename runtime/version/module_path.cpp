#include "runtime/version/module_path.h"

#include "platform/module.h"

namespace module_path {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

}  // namespace

SplitC split(std::string_view path) {
  const size_t at = path.find_last_of("\\/:");
  if (at == std::string_view::npos) return {"", std::string(path)};
  return {std::string(path.substr(0, at)), std::string(path.substr(at + 1))};
}

std::string stripSuffix(std::string_view name, std::string_view suffix) {
  if (suffix.empty() || name.size() < suffix.size()) return std::string(name);
  const std::string_view tail = name.substr(name.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i)
    if (lower(tail[i]) != lower(suffix[i])) return std::string(name);
  return std::string(name.substr(0, name.size() - suffix.size()));
}

std::string currentDirectory() { return bannerDirectory(platform::currentDirectory()); }

std::string bannerDirectory(std::string dir) {
  // As a 260-character buffer holds it.
  if (dir.size() > 260) dir.resize(260);
  if (dir.size() >= 4 && (dir.back() == '\\' || dir.back() == '/' || dir.back() == ':')) dir.pop_back();
  return dir;
}

}  // namespace module_path
