// AppVBubbleInfo: the App-V applications launched in the current user's
// session (the session's virtual environment, its "bubble"), read through
// WMI from "root\microsoft\appvirt\client", class "Application". The list
// keeps enumeration order; `since` (a FILETIME, the user's logon) bounds
// which launches count. Copies copy the list (sharing the records' pieces),
// the WMI connection and `since`.
//
// Monitor thread only: the WMI connection belongs to the thread that made
// it, at the first collect, and goes with the last copy.
#pragma once

#include <cstdint>

#include "collect/appv/appv_application_info.h"
#include "collect/info/array.h"
#include "collect/wmi/wmi_platform.h"
#include "collect/wmi/wmi_service.h"

class AppVBubbleInfo : public ArrayM<AppVApplicationInfo> {
 public:
  // `system`: the COM and WMI calls of the connection (tests give their
  // own; it must outlive every copy).
  explicit AppVBubbleInfo(const WmiPlatformC& system = defaultWmiPlatform()) : system_(&system) {}

  // Replaces the list with the applications that have been launched, at or
  // after `since`. False only when the first connection fails (traced
  // "Failed to initialize WMIServiceC."); enumeration and property failures
  // are reported by the WMI layer and the list keeps what could be read.
  bool collect();

  // The records of this list that no record of `other` equals (Name,
  // Version and PackageGUID), in this list's order, duplicates kept. Time
  // linear in both lists.
  ArrayM<AppVApplicationInfo> newerThan(const AppVBubbleInfo& other) const;

  uint64_t since = 0;
  const RefM<WMIServiceC>& connection() const { return connection_; }

 private:
  RefM<WMIServiceC> connection_;
  const WmiPlatformC* system_;
};
