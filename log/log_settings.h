// What the log manager reads of the preferences, through one narrow
// interface that the preferences object implements (and tests fill). Every
// value is the expanded text, "" when unset.
#pragma once

#include "runtime/strings/string_c.h"

class log_LogSettingsI {
 public:
  virtual ~log_LogSettingsI() = default;
  // "LogLevel", "LogModules", "LogFlags", "LogFile", "LogFileOld",
  // "LogFileSize", "LogMsgCatPath", "ProgramPath", "TraceDepthMultiplier".
  virtual StringC value(const char* name) = 0;
};
