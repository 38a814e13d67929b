#include "runtime/datetime/file_time.h"

#include "runtime/datetime/date_time.h"

namespace datetime {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days from 1601-01-01 to the given date (proleptic Gregorian); the
// 400-year cycle starting in 1601 makes the leap rule line up.
int64_t daysSince1601(int32_t year, int32_t month, int32_t day) {
  const int64_t y = year - 1601;
  int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int32_t m = 1; m < month; ++m) days += daysInMonth(year, m);
  return days + day - 1;
}

}  // namespace

bool fileTimeToCalendar(uint64_t fileTime, SystemTimeC& out) {
  if (fileTime >= (uint64_t{1} << 63)) return false;
  const uint64_t totalSeconds = fileTime / kFileTimeTicksPerSecond;
  int64_t days = static_cast<int64_t>(totalSeconds / kSecondsPerDay);
  const int64_t secondsOfDay = static_cast<int64_t>(totalSeconds % kSecondsPerDay);

  SystemTimeC t;
  // 1 January 1601 was a Monday.
  t.weekday = static_cast<int32_t>((days + 1) % 7);
  constexpr int64_t kDaysPer400Years = 146097;
  int32_t year = 1601 + static_cast<int32_t>(days / kDaysPer400Years) * 400;
  days %= kDaysPer400Years;
  while (days >= daysInYear(year)) {
    days -= daysInYear(year);
    ++year;
  }
  int32_t month = 1;
  while (days >= daysInMonth(year, month)) {
    days -= daysInMonth(year, month);
    ++month;
  }
  t.year = year;
  t.month = month;
  t.day = static_cast<int32_t>(days) + 1;
  t.hour = static_cast<int32_t>(secondsOfDay / 3600);
  t.minute = static_cast<int32_t>(secondsOfDay / 60 % 60);
  t.second = static_cast<int32_t>(secondsOfDay % 60);
  t.milliseconds = static_cast<int32_t>(fileTime % kFileTimeTicksPerSecond / 10000);
  out = t;
  return true;
}

bool calendarToFileTime(const SystemTimeC& f, uint64_t& out) {
  if (f.year < 1601 || f.year > 30827 || f.month < 1 || f.month > 12 || f.day < 1 ||
      f.day > daysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 ||
      f.second < 0 || f.second > 59 || f.milliseconds < 0 || f.milliseconds > 999)
    return false;
  const int64_t seconds = daysSince1601(f.year, f.month, f.day) * kSecondsPerDay + f.hour * 3600 + f.minute * 60 + f.second;
  out = static_cast<uint64_t>(seconds) * kFileTimeTicksPerSecond + static_cast<uint64_t>(f.milliseconds) * 10000;
  return true;
}

}  // namespace datetime
