// The application information behind the search path's % codes: facts of
// the process computed once at start-up, then only read (immutable, so any
// thread may read them without a lock).
#pragma once

#include <string>

struct PrefsAppInfoC {
  std::string userWindowsDirectory;  // %U, no trailing separator
  std::string startDirectory;        // %W
  std::string moduleDirectory;       // %A / %BASE, no trailing separator
  std::string familyName;            // %F, as given
  std::string familyNameLower;       // %f
  std::string versionText = "450";   // %V uses two characters of it

  // The facts of this process. programPath: the program module's path
  // (the plug-in passes its own library's full path); family: the product
  // family name, or "" for the program's file name without ".exe".
  static PrefsAppInfoC fromSystem(const std::string& programPath, const std::string& family = "");
};
