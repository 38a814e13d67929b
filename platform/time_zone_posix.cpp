#include "platform/time_zone.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace platform {

int64_t currentTime() { return static_cast<int64_t>(std::time(nullptr)); }

namespace {

// tzset() looks at /etc/localtime (a stat, often more) on every call, and
// every date-time value asks for the offset: a WMI listing of a thousand
// applications would ask a thousand times a cycle. The zone is read again
// at most once a second, and at once after useTimeZone.
constexpr int64_t kZoneRecheckNs = 1000000000;
std::atomic<int64_t> zoneCheckedAt{INT64_MIN};
std::atomic<int> zoneOffset{0};

int64_t monotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

int localStandardOffsetMinutes() {
  const int64_t now = monotonicNs();
  const int64_t checked = zoneCheckedAt.load(std::memory_order_acquire);
  if (checked != INT64_MIN && now - checked < kZoneRecheckNs) return zoneOffset.load(std::memory_order_relaxed);
  tzset();
  // `timezone` is the standard offset in seconds west of UTC.
  const int offset = static_cast<int>(-timezone / 60);
  zoneOffset.store(offset, std::memory_order_relaxed);
  zoneCheckedAt.store(now, std::memory_order_release);
  return offset;
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
  // mktime would re-read the zone (tzset) on every call. The wall time is
  // tried as standard time and as daylight time instead (localtime_r keeps
  // the zone that localStandardOffsetMinutes last read): the reading that
  // gives the same wall time back is the one in force. A wall time both
  // readings give (the repeated hour in autumn) counts as daylight time, as
  // the first of the two; one neither gives (the skipped hour in spring) is
  // read as mktime reads it, as standard time moved on.
  std::tm wall = local;
  const std::time_t asUtc = timegm(&wall);
  if (asUtc == static_cast<std::time_t>(-1) && !(wall.tm_year == 69 && wall.tm_yday == 364)) return -1;
  const std::time_t standard = asUtc - static_cast<std::time_t>(localStandardOffsetMinutes()) * 60;
  auto gives = [&](std::time_t t, int dst) {
    std::tm out{};
    if (!localtime_r(&t, &out)) return false;
    return (out.tm_isdst > 0) == (dst > 0) && out.tm_year == local.tm_year && out.tm_mon == local.tm_mon &&
           out.tm_mday == local.tm_mday && out.tm_hour == local.tm_hour && out.tm_min == local.tm_min &&
           out.tm_sec == local.tm_sec;
  };
  if (gives(standard - 3600, 1)) return 1;
  if (gives(standard, 0)) return 0;
  std::tm out{};
  if (!localtime_r(&standard, &out)) return -1;
  return out.tm_isdst > 0 ? 1 : 0;
}

void useTimeZone(const char* rule) {
  setenv("TZ", rule, 1);
  tzset();
  zoneCheckedAt.store(INT64_MIN, std::memory_order_release);
}

}  // namespace platform
