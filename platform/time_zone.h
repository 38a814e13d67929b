// The system's clock and the C runtime's notion of the local time zone, as
// date-time values need them. Times are seconds since 1970-01-01 00:00 UTC;
// broken-down records are the C library's `tm` (years since 1900, months
// 0-11). Every function is safe on any thread except useTimeZone.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

// The current time, whole seconds.
int64_t currentTime();
// The local zone's standard offset east of UTC in minutes (daylight saving
// not included): +60 for Central European Time, -300 for US Eastern.
int localStandardOffsetMinutes();
// t broken down as UTC; false when the runtime cannot represent it.
bool utcBreakDown(int64_t t, std::tm& out);
// t broken down as local time (tm_isdst set); false when not representable.
bool localBreakDown(int64_t t, std::tm& out);
// The fields of a UTC broken-down time (tm_year..tm_sec) as seconds;
// false when not representable.
bool utcSeconds(const std::tm& utc, int64_t& out);
// Whether daylight saving time is in force at the local wall-clock time
// given (tm_year..tm_sec): 1 yes, 0 no, -1 when the runtime cannot tell.
int localDaylight(const std::tm& local);
// Makes the process use the time zone rule given, in the TZ form both C
// runtimes read ("EST5EDT", "CET-1CEST"), and re-reads it. For tests and
// tools: other threads must not be converting times meanwhile.
void useTimeZone(const char* rule);

}  // namespace platform
