// CitrixVDIEndpointInfo: who uses this virtual desktop from which client.
// Registry values that Citrix's desktop agent and Windows keep give the
// client's name, the desktop's host name, domain and catalog and the
// brokering user's SID; that SID, matched against the interactive logon
// sessions, gives the user's name, domain and logon time.
//
// Pieces in set order: endPointClientName, vdiName, vdiDomain,
// vdiTemplateName, userID (hidden; only when some registry place has it),
// userName, userDomain, logonTime. The sources (which key, which registry
// view, which sub-key) are chosen once, by the constructor, so a registry
// change is seen by the next collector. Copies share the pieces, and the
// 64-bit view key that the registry pieces read below stays open until the
// last piece using it is gone.
//
// Used by the monitor thread alone: a fresh collector every cycle.
#pragma once

#include <cstdint>

#include "collect/citrix/logon_session_source.h"
#include "collect/info/info_set.h"

class CitrixVDIEndpointInfo : public InfoSet {
 public:
  // The system's logon sessions.
  CitrixVDIEndpointInfo();
  // Another source of sessions; it must outlive the collector.
  explicit CitrixVDIEndpointInfo(LogonSessionSourceI& sessions);
  CitrixVDIEndpointInfo(const CitrixVDIEndpointInfo&) = default;
  CitrixVDIEndpointInfo& operator=(const CitrixVDIEndpointInfo&) = default;
  ~CitrixVDIEndpointInfo() override = default;

  // Refreshes every piece: false without a userID (silently), at the first
  // registry value that is missing (logged: S 5, "Citrix VDI endpoint
  // information '%s' is not found."), or when the user's SID does not
  // decode or the sessions cannot be enumerated (traced). No matching
  // session is not a failure: the three session pieces become empty.
  // Sets the preference "UserId" to the user's name on every run of the
  // session step.
  bool collect();

  // The matched session's logon time (FILETIME; 0 until a session matched).
  uint64_t logonFileTime() const { return logonFileTime_; }

  const RefM<InfoPiece>& userID() const { return userID_; }
  const RefM<InfoPiece>& userName() const { return userName_; }
  const RefM<InfoPiece>& userDomain() const { return userDomain_; }
  const RefM<InfoPiece>& logonTime() const { return logonTime_; }

 private:
  bool collectLogonSession();

  RefM<InfoPiece> userID_;
  RefM<InfoPiece> userName_;
  RefM<InfoPiece> userDomain_;
  RefM<InfoPiece> logonTime_;
  uint64_t logonFileTime_ = 0;
  LogonSessionSourceI* sessions_;
};
