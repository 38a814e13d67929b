#include "platform/time_zone.h"

#include <cstdlib>

namespace platform {

int64_t currentTime() { return static_cast<int64_t>(std::time(nullptr)); }

int localStandardOffsetMinutes() {
  tzset();
  // `timezone` is the standard offset in seconds west of UTC.
  return static_cast<int>(-timezone / 60);
}

bool utcBreakDown(int64_t t, std::tm& out) {
  const std::time_t tt = static_cast<std::time_t>(t);
  return gmtime_r(&tt, &out) != nullptr;
}

bool localBreakDown(int64_t t, std::tm& out) {
  const std::time_t tt = static_cast<std::time_t>(t);
  return localtime_r(&tt, &out) != nullptr;
}

bool utcSeconds(const std::tm& utc, int64_t& out) {
  std::tm copy = utc;
  const std::time_t t = timegm(&copy);
  if (t == static_cast<std::time_t>(-1) && !(copy.tm_year == 69 && copy.tm_yday == 364 && copy.tm_hour == 23 &&
                                             copy.tm_min == 59 && copy.tm_sec == 59))
    return false;
  out = static_cast<int64_t>(t);
  return true;
}

int localDaylight(const std::tm& local) {
  std::tm copy = local;
  copy.tm_isdst = -1;
  if (std::mktime(&copy) == static_cast<std::time_t>(-1) && copy.tm_isdst < 0) return -1;
  return copy.tm_isdst > 0 ? 1 : (copy.tm_isdst == 0 ? 0 : -1);
}

void useTimeZone(const char* rule) {
  setenv("TZ", rule, 1);
  tzset();
}

}  // namespace platform
