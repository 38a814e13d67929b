#include "collect/appv/appv_application_info.h"

#include "collect/appv/launch_time.h"
#include "platform/library_objects.h"

const StringC& AppVApplicationInfo::nullLaunchTime() {
  static const StringC* text = platform::library_objects::keep(new StringC(StringC::fromUtf8("16010101000000.000000")));
  return *text;
}

namespace {

// The pieces' names, decoded once for the process: a collection builds a
// record for every application of the client.
struct PieceNamesC {
  StringC name{"Name", "system-8"};
  StringC version{"Version", "system-8"};
  StringC packageGuid{"PackageGUID", "system-8"};
  StringC lastLaunch{"LastLaunchOnSystem", "system-8"};
};

const PieceNamesC& pieceNames() {
  static const PieceNamesC* names = platform::library_objects::keep(new PieceNamesC);
  return *names;
}

}  // namespace

AppVApplicationInfo::AppVApplicationInfo() {
  const PieceNamesC& names = pieceNames();
  append(new InfoPiece(names.name, true, false));
  append(new InfoPiece(names.version, true, false));
  append(new InfoPiece(names.packageGuid, true, false));
  lastLaunch_ = new InfoPiece(names.lastLaunch, false, false);
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
