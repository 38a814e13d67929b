// AppVApplicationInfo: one App-V virtual application as WMI's class
// "Application" describes it. Pieces in set order, named after the WMI
// properties: Name, Version, PackageGUID (compared) and LastLaunchOnSystem
// (not compared: a later launch does not make an application new). Copies
// share the pieces. Monitor thread only.
#pragma once

#include <cstdint>

#include "collect/info/info_set.h"

class AppVApplicationInfo : public InfoSet {
 public:
  AppVApplicationInfo();
  AppVApplicationInfo(const AppVApplicationInfo&) = default;
  AppVApplicationInfo(AppVApplicationInfo&&) = default;
  AppVApplicationInfo& operator=(const AppVApplicationInfo&) = default;
  AppVApplicationInfo& operator=(AppVApplicationInfo&&) = default;
  ~AppVApplicationInfo() override = default;

  // The text WMI gives for an application that was never launched.
  static const StringC& nullLaunchTime();

  // False when LastLaunchOnSystem holds the null launch time.
  bool hasBeenLaunched() const;
  // True when the launch time is at or after `since` (a FILETIME). A launch
  // time that cannot be read counts as launched since (listing it beats
  // losing it for good); `unreadable` (may be null) then becomes true.
  bool launchedSince(uint64_t since, bool* unreadable = nullptr) const;

  const RefM<InfoPiece>& lastLaunch() const { return lastLaunch_; }

 private:
  RefM<InfoPiece> lastLaunch_;
};
