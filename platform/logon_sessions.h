// The logon sessions of the local security authority, as
// LsaEnumerateLogonSessions and LsaGetLogonSessionData give them. Every call
// answers an NTSTATUS (named in platform/hresult.h); the LSA's buffers are
// freed inside each call (LsaFreeReturnBuffer on every path), so nothing
// here owns system memory after it returns.
//
// Windows: the real LSA (secur32.dll, loaded on first use so that the
// products import no more than they do; kStatusDllNotFound or
// kStatusProcedureNotFound when it is missing).
//
// Linux: the machine root's table MACHINE/logon-sessions when that file
// exists, else the system's utmpx database.
//  - The table holds one session per line, "TYPE SID TIME DOMAIN\USER": the
//    logon type in decimal, a string SID, the logon time as UTC
//    "YYYY-MM-DDTHH:MM:SSZ", and the down-level logon name, which may hold
//    blanks (the first "\" separates domain and user; without one the
//    domain is empty). Fields are separated by blanks or tabs; "#" starts a
//    comment line; blank lines are ignored. A line that does not read is
//    skipped and named in `problems` as "FILE:LINE: what". A line longer
//    than 64 KiB is skipped unread; a table larger than 16 MiB is not read
//    at all (no sessions, one problem "FILE: what"). A table that exists
//    but cannot be opened or read (no permission, not a regular file)
//    fails the enumeration with kStatusAccessDenied and one problem.
//  - A utmpx USER_PROCESS record is a session of logon type 10 when it has a
//    remote host, else 2; its SID is the Unix-user SID S-1-22-1-<uid> (a
//    record whose user is unknown to the system is skipped), its domain
//    "Unix User", its logon time the record's time.
//  An enumeration takes a snapshot of the source; session data is answered
//  from the latest snapshot, so an identifier of an earlier enumeration
//  answers kStatusNoSuchLogonSession, as a session that has ended does on
//  Windows.
//
// Threads: any thread; calls are serialised inside.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/hresult.h"
#include "platform/sid.h"

namespace platform {

// Logon types the agent looks at (SECURITY_LOGON_TYPE).
inline constexpr uint32_t kLogonInteractive = 2;
inline constexpr uint32_t kLogonNetwork = 3;
inline constexpr uint32_t kLogonRemoteInteractive = 10;

// A logon session identifier (LUID).
struct LogonIdC {
  uint32_t lowPart = 0;
  int32_t highPart = 0;
};

// What the agent reads of SECURITY_LOGON_SESSION_DATA.
struct LogonSessionDataC {
  uint32_t logonType = 0;
  SidC sid;                     // empty when the session has none
  std::u16string userName;      // UTF-16, as the LSA gives it
  std::u16string logonDomain;
  uint64_t logonTime = 0;       // FILETIME: 100 ns since 1601-01-01 UTC
};

// LsaEnumerateLogonSessions. On success `ids` holds the sessions in the
// order the source gives them. `problems` (may be null) is replaced with
// what this enumeration found wrong in the Linux table; Windows leaves it
// empty. Every enumeration, also one that fails, replaces the snapshot.
uint32_t enumerateLogonSessions(std::vector<LogonIdC>& ids, std::vector<std::string>* problems = nullptr);

// LsaGetLogonSessionData for one identifier of the last enumeration.
uint32_t logonSessionData(const LogonIdC& id, LogonSessionDataC& out);

}  // namespace platform
