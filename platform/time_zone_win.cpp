#include "platform/time_zone.h"

#include <cstdlib>
#include <time.h>

namespace platform {

int64_t currentTime() { return static_cast<int64_t>(_time64(nullptr)); }

int localStandardOffsetMinutes() {
  // _timezone: seconds west of UTC, standard time (msvcrt.dll has no
  // _get_timezone; its data export is the same value).
  _tzset();
  return static_cast<int>(-_timezone / 60);
}

bool utcBreakDown(int64_t t, std::tm& out) {
  const __time64_t tt = t;
  return _gmtime64_s(&out, &tt) == 0;
}

bool localBreakDown(int64_t t, std::tm& out) {
  const __time64_t tt = t;
  return _localtime64_s(&out, &tt) == 0;
}

bool utcSeconds(const std::tm& utc, int64_t& out) {
  std::tm copy = utc;
  const __time64_t t = _mkgmtime64(&copy);
  if (t == -1) return false;  // the CRT refuses moments before 1970
  out = static_cast<int64_t>(t);
  return true;
}

int localDaylight(const std::tm& local) {
  std::tm copy = local;
  copy.tm_isdst = -1;
  if (_mktime64(&copy) == -1) return -1;
  return copy.tm_isdst > 0 ? 1 : (copy.tm_isdst == 0 ? 0 : -1);
}

void useTimeZone(const char* rule) {
  _putenv_s("TZ", rule);
  _tzset();
}

}  // namespace platform
