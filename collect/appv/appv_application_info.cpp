#include "collect/appv/appv_application_info.h"

#include "collect/appv/launch_time.h"

const StringC& AppVApplicationInfo::nullLaunchTime() {
  static const StringC* text = new StringC(StringC::fromUtf8("16010101000000.000000"));
  return *text;
}

AppVApplicationInfo::AppVApplicationInfo() {
  append(new InfoPiece("Name", true, false));
  append(new InfoPiece("Version", true, false));
  append(new InfoPiece("PackageGUID", true, false));
  lastLaunch_ = new InfoPiece("LastLaunchOnSystem", false, false);
  append(lastLaunch_);
}

bool AppVApplicationInfo::hasBeenLaunched() const {
  return lastLaunch_->valueRef().find(nullLaunchTime()) == StringC::kNotFound;
}

bool AppVApplicationInfo::launchedSince(uint64_t since, bool* unreadable) const {
  uint64_t launched = 0;
  const bool read = readLaunchTime(lastLaunch_->valueRef().utf8(), launched);
  if (unreadable) *unreadable = !read;
  return !read || launched >= since;
}
