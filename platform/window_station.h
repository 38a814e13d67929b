// Access of a token's logon SID to this process's window station and to the
// desktop of the calling thread: granted before a process starts under
// another user's token, so that it can use this desktop, and revoked after
// it ended. Linux has no window stations: both calls do nothing, report
// nothing and answer true.
#pragma once

#include <cstdint>

#include "platform/child_process.h"

namespace platform {

// Where the steps' outcomes go; the layer above reports and logs them.
class SessionAccessLogI {
 public:
  // A step failed and the operation stops. `format` is the message, a
  // printf format whose only directive, if any, is one "%#lx" for `error`:
  // the system's error, or 0 for a failure that has none (a token without a
  // logon SID, a missing DACL), whose format then has no directive.
  virtual void failed(const char* format, uint32_t error) = 0;
  // A step succeeded with something worth logging: a format of two "%d".
  virtual void noted(const char* format, int32_t first, int32_t second) = 0;

 protected:
  ~SessionAccessLogI() = default;
};

// The logon SID is the first group of the token's TokenGroups whose
// attributes hold SE_GROUP_LOGON_ID. Granting adds, for that SID, 0xF037F
// and an inherit-only 0xF01FF entry to the window station's DACL and 0xF01FF
// to the desktop's; revoking deletes every entry of that SID from both.
// Each DACL is copied into a new ACL, changed there and set; the first
// failing step stops the operation (a window station already changed stays
// so) and is passed to `log`. true when every step succeeded. Windows loads
// user32 at the first call. Any thread; the desktop is the caller's.
bool grantSessionAccess(SystemHandle token, SessionAccessLogI& log);
bool revokeSessionAccess(SystemHandle token, SessionAccessLogI& log);

}  // namespace platform
