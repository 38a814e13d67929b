// env_EnvDefaultBuilderC: fills an environment with the built-in variables,
// in this order: "ProgramPath" (the folder of this module), "PID", the
// operating-system values ("WinNT" "True", "Win95" and "Win31" "False",
// "OSVersionNumber" "major.minor"), the machine and user identity, the
// shell folders, the system folders, "Architecture", the suite
// directories, and last the static default table, whose rows replace
// values of the same names (so "TempDirectory" is "C:\TEMP" whatever the
// system says, and "ProgramPath" the table's).
//
// Facts come from platform/system_facts.h and platform/module.h; the shell
// folders and the program-files folders from the registry service: each
// shell folder from the "Shell Folders" key below
// "Software\Microsoft\Windows\CurrentVersion\Explorer" of HKCU, then of HKLM; a folder neither holds is left
// unset (the agent's own defaults then derive one). "ComputerDNSName" is
// computed on its first read. The suite directories are stored as
// unexpanded texts ("$(CommonAppDataFolder)\...") so that they follow later
// changes of the folders, and are set without force; every other built-in
// is stored directly, as the table is.
//
// Runs on the caller's thread; the registry service is borrowed.
#pragma once

#include "config/prefs/env_preferences.h"
#include "tnwcmn/tnwcmn.h"

class env_EnvDefaultBuilderC {
 public:
  // `registry` null: the common library's registry service.
  explicit env_EnvDefaultBuilderC(tnw::RegistryServiceI* registry = nullptr);

  // Fills the environment of `prefs`.
  void build(EnvPreferencesC& prefs);

 private:
  void store(const char* name, const StringC& value);
  StringC registryText(tnw::RegKey root, const char* keyPath, const char* name, uint32_t view);
  void identity();
  void shellFolders();
  void systemFolders();
  void suiteDirectories();

  tnw::RegistryServiceI* registry_;
  EnvPreferencesC* prefs_ = nullptr;
};
