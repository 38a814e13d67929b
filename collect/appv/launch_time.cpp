#include "collect/appv/launch_time.h"

#include "collect/wmi/cim_datetime.h"
#include "runtime/datetime/file_time.h"

namespace {

// The offset east of UTC, in minutes, of the zone part of a text (what
// follows the time), or false.
bool zoneOffset(std::string_view zone, bool iso, int32_t& minutes) {
  minutes = 0;
  if (iso) {
    if (zone == "Z") return true;
    int32_t hhmm = 0;
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-') || !readDigits(zone, 1, 4, hhmm) || hhmm % 100 >= 60)
      return false;
    minutes = hhmm / 100 * 60 + hhmm % 100;
  } else {
    // [.mmmmmm][sUUU]
    if (!zone.empty() && zone[0] == '.') {
      int32_t micro = 0;
      if (!readDigits(zone, 1, 6, micro)) return false;
      zone.remove_prefix(7);
    }
    if (zone.empty()) return true;
    // As wide as the date-time reader takes it (Wine writes two digits);
    // a day or more is no zone, as for the rendering.
    if ((zone[0] != '+' && zone[0] != '-') || !readCimOffset(zone, 1, minutes) || minutes >= 24 * 60) return false;
  }
  if (zone[0] == '-') minutes = -minutes;
  return true;
}

}  // namespace

bool readLaunchTime(std::string_view text, uint64_t& fileTime) {
  datetime::SystemTimeC t;
  const bool iso = text.size() > 8 && text[8] == 'T';
  const size_t timeAt = iso ? 9 : 8;
  if (!readDigits(text, 0, 4, t.year) || !readDigits(text, 4, 2, t.month) || !readDigits(text, 6, 2, t.day) ||
      !readDigits(text, timeAt, 2, t.hour) || !readDigits(text, timeAt + 2, 2, t.minute) ||
      !readDigits(text, timeAt + 4, 2, t.second))
    return false;
  int32_t offset = 0;
  if (!zoneOffset(text.substr(timeAt + 6), iso, offset)) return false;
  uint64_t local = 0;
  if (!datetime::calendarToFileTime(t, local)) return false;
  const int64_t shift = static_cast<int64_t>(offset) * 60 * static_cast<int64_t>(datetime::kFileTimeTicksPerSecond);
  if (shift > 0 && local < static_cast<uint64_t>(shift)) return false;
  fileTime = local - static_cast<uint64_t>(shift);
  return true;
}
