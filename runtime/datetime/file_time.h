// Windows file times and their calendar fields, as FileTimeToSystemTime
// and SystemTimeToFileTime convert them: a file time counts 100-nanosecond
// intervals since 1 January 1601 00:00 UTC; the calendar fields are UTC,
// proleptic Gregorian. Pure arithmetic, the same on every system; safe on
// any thread.
#pragma once

#include <cstdint>

namespace datetime {

inline constexpr uint64_t kFileTimeTicksPerSecond = 10000000;

struct SystemTimeC {
  int32_t year = 0;      // 1601 to 30827
  int32_t month = 0;     // 1-12
  int32_t weekday = 0;   // 0 Sunday to 6 (ignored by calendarToFileTime)
  int32_t day = 0;       // 1 to the month's length
  int32_t hour = 0, minute = 0, second = 0;
  int32_t milliseconds = 0;
};

// FileTimeToSystemTime: false for a time at or beyond 2^63 (which Windows
// refuses), true and the fields otherwise.
bool fileTimeToCalendar(uint64_t fileTime, SystemTimeC& out);

// SystemTimeToFileTime: false when a field is out of range (year 1601 to
// 30827, month, day of the month, hour below 24, minute and second below
// 60, milliseconds below 1000).
bool calendarToFileTime(const SystemTimeC& fields, uint64_t& out);

}  // namespace datetime
