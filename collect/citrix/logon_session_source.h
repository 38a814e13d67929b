// Where the Citrix collector finds the logon sessions: the local security
// authority through the platform layer, or, in tests, a source of their
// own (an ended session, a failing enumeration). Used on the monitor
// thread; the source must outlive the collectors that use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/logon_sessions.h"

class LogonSessionSourceI {
 public:
  virtual ~LogonSessionSourceI() = default;
  // As platform::enumerateLogonSessions and platform::logonSessionData:
  // NTSTATUS results.
  virtual uint32_t enumerate(std::vector<platform::LogonIdC>& ids, std::vector<std::string>* problems) = 0;
  virtual uint32_t sessionData(const platform::LogonIdC& id, platform::LogonSessionDataC& out) = 0;
};

// The system's sessions (process-wide, kept until the library's unload).
LogonSessionSourceI& systemLogonSessions();
