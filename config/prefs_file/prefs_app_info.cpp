#include "config/prefs_file/prefs_app_info.h"

#include "platform/module.h"
#include "runtime/version/module_path.h"

namespace {

std::string withoutTrailingSeparator(std::string dir) {
  while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir;
}

std::string lowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
  return s;
}

}  // namespace

PrefsAppInfoC PrefsAppInfoC::fromSystem(const std::string& programPath, const std::string& family) {
  PrefsAppInfoC info;
  info.userWindowsDirectory = withoutTrailingSeparator(platform::windowsDirectory());
  info.startDirectory = module_path::currentDirectory();
  const module_path::SplitC parts = module_path::split(programPath);
  info.moduleDirectory = withoutTrailingSeparator(parts.directory.empty() ? info.startDirectory : parts.directory);
  info.familyName = family.empty() ? module_path::stripSuffix(parts.fileName, ".exe") : family;
  info.familyNameLower = lowerAscii(info.familyName);
  return info;
}
