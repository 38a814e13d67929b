// Expanding a preference search path into its entries.
//
// A path is a list of entries separated by ";". In each entry, left to
// right: $NAME and $(NAME) (letters, digits, "_") become the process
// environment variable or nothing; "%%", "%$" and "%;" the character;
// %U the user's Windows directory; %A / %BASE the module directory; %WIN
// the Windows directory ("SystemRoot", else "windir", else "C:\WINDOWS");
// %W the start directory; %CWD the current directory; %SYS the Windows
// directory + "\SYSTEM32"; %F / %f the family name as given / lower case;
// %V two characters of the version text; %N / %NAME the name passed; %S
// ".ini" (once per entry); %T / %TEMP the first set of "TMPDIR", "TMP",
// "TEMP"; %CACHE / %C "CacheDirectory" of section "Launcher"; %E the
// variable "KUIPREFSPATH" expanded as a search path (once per expansion);
// %L the preference variable "LANG", %l %t %c its language, territory and
// code set; %X ends the expansion. Any other code drops its whole entry,
// with the line "Cannot expand variable ..." when diagnostics are on.
// Entries that expand to nothing are dropped.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/prefs_file/prefs_app_info.h"
#include "config/prefs_file/prefs_diagnostics.h"
#include "config/prefs_file/process_environment.h"

struct SearchPathContextC {
  const PrefsAppInfoC& app;
  const PrefsEnvironmentI& environment;
  // A preference (section, name) of the files found so far; for "LANG" the
  // preference variable. May be empty (then nothing).
  std::function<std::optional<std::string>(std::string_view section, std::string_view name)> preference;
  // The current directory now (%CWD); empty: the system's.
  std::function<std::string()> currentDirectory;
  // Null when diagnostics are off.
  PrefsDiagnosticsC* diagnostics = nullptr;
};

std::vector<std::string> expandSearchPath(std::string_view path, std::string_view name,
                                          const SearchPathContextC& context);
