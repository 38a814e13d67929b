// AltHiveReaderC: reads one alternate registry hive (a policy place that
// replaces "SOFTWARE\Tarnwell Corp\Tarnwell" for the variables it applies
// to) into the shared state, at construction. The two readers of a tree are
// its first objects, so every variable built after them sees the hives.
//
//  - machine reader (isUser false): while the machine hive is absent, reads
//    the value from HKEY_LOCAL_MACHINE;
//  - user reader (isUser true): while the user-root copy is absent, reads
//    it from HKEY_CURRENT_USER; failing that, while the machine-root copy is
//    absent, from HKEY_LOCAL_MACHINE.
//
// A missing value leaves the hive absent (no default applies). A value that
// cannot be read as text, or is empty once trailing backslashes are dropped,
// is traced and left absent too, so that no variable searches a hive that
// would put its keys at the top of a root. Construct on one thread; holds
// nothing after construction.
#pragma once

#include "config/registry/conf_var_state.h"

class AltHiveReaderC {
 public:
  AltHiveReaderC(ConfVarStateC& state, const char* keyPath, const char* valueName, bool isUser);
  AltHiveReaderC(const AltHiveReaderC&) = delete;
  AltHiveReaderC& operator=(const AltHiveReaderC&) = delete;

 private:
  // Reads root\keyPath\valueName into the hive `which`; false when nothing
  // usable was there.
  bool readInto(tnw::RegKey root, ConfVarStateC::HiveE which);

  ConfVarStateC& state_;
  StringC keyPath_;
  StringC valueName_;
};
