#include "runtime/datetime/date_time.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/time_zone.h"

namespace datetime {

namespace {

constexpr int32_t kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int32_t kMinutesPerDay = 24 * 60;

// Floor division: minutes before midnight belong to the previous day.
int32_t floorDiv(int32_t a, int32_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Sakamoto's rule for the Gregorian calendar; 0 is Sunday.
int32_t weekdayOf(int32_t y, int32_t m, int32_t d) {
  static constexpr int32_t t[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) --y;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

std::tm toTm(const DatePart& d, const TimePart& t) {
  std::tm out{};
  out.tm_year = d.year - 1900;
  out.tm_mon = d.month - 1;
  out.tm_mday = d.day;
  out.tm_hour = t.hour;
  out.tm_min = t.minute;
  out.tm_sec = t.second;
  out.tm_wday = d.weekday < 0 ? 0 : d.weekday;
  out.tm_yday = d.dayOfYear < 0 ? 0 : d.dayOfYear;
  out.tm_isdst = t.daylightKnown ? (t.daylight ? 1 : 0) : -1;
  return out;
}

}  // namespace

bool isLeapYear(int32_t year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int32_t daysInYear(int32_t year) { return isLeapYear(year) ? 366 : 365; }

int32_t daysInMonth(int32_t year, int32_t month) {
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kMonthLengths[month - 1];
}

bool DatePart::isValid() const {
  return !invalid && year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

void DatePart::computeDerived() {
  if (!isValid()) {
    weekday = dayOfYear = -1;
    return;
  }
  int32_t yday = day - 1;
  for (int32_t m = 1; m < month; ++m) yday += daysInMonth(year, m);
  dayOfYear = yday;
  weekday = weekdayOf(year, month, day);
}

void DatePart::addDays(int32_t days) {
  if (!isValid() || days == 0) return;
  computeDerived();
  // The day of year is 0-based throughout, so the carry into the next year
  // happens exactly past its last day.
  int32_t yday = dayOfYear + days;
  while (yday < 0) {
    --year;
    yday += daysInYear(year);
  }
  while (yday >= daysInYear(year)) {
    yday -= daysInYear(year);
    ++year;
  }
  dayOfYear = yday;
  month = 1;
  while (yday >= daysInMonth(year, month)) {
    yday -= daysInMonth(year, month);
    ++month;
  }
  day = yday + 1;
  weekday = ((weekday + days) % 7 + 7) % 7;
}

TimePart::TimePart(int32_t h, int32_t m, int32_t s, int32_t mode, int32_t zoneOffsetArgument)
    : hour(h), minute(m), second(s), zoneMode(mode), invalid(false) {
  if (mode != kLocalTime && mode != kUtc) invalid = true;
  setZoneOffset(zoneOffsetArgument);
}

bool TimePart::isValid() const {
  return !invalid && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

bool TimePart::setZoneOffset(int32_t argument) {
  if (argument == kLocalZone) {
    zoneOffset = platform::localStandardOffsetMinutes();
    return true;
  }
  const int32_t magnitude = std::abs(argument);
  if (magnitude / 100 >= 24 || magnitude % 100 >= 60) {
    invalid = true;
    return false;
  }
  const int32_t minutes = magnitude / 100 * 60 + magnitude % 100;
  zoneOffset = argument < 0 ? -minutes : minutes;
  return true;
}

int32_t TimePart::convertTo(int32_t mode) {
  if (mode == zoneMode || (mode != kLocalTime && mode != kUtc)) return 0;
  const int32_t shift = zoneOffset + (daylight ? 60 : 0);
  const int32_t total = hour * 60 + minute + (mode == kUtc ? -shift : shift);
  const int32_t days = floorDiv(total, kMinutesPerDay);
  const int32_t inDay = total - days * kMinutesPerDay;
  hour = inDay / 60;
  minute = inDay % 60;
  zoneMode = mode;
  return days;
}

DateTime::DateTime() : date_(2000, 1, 1), time_(0, 0, 0, kLocalTime, kLocalZone) { normalise(); }

void DateTime::setNow() {
  std::tm utc{};
  if (!platform::utcBreakDown(platform::currentTime(), utc)) {
    date_ = DatePart();
    time_ = TimePart();
    return;
  }
  set(utc, kUtc, kLocalZone);
  convertTo(kLocalTime);
}

void DateTime::set(const std::tm& t, int32_t zoneMode, int32_t zoneOffsetArgument) {
  date_ = DatePart(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  time_ = TimePart(t.tm_hour, t.tm_min, t.tm_sec, zoneMode, zoneOffsetArgument);
  if (t.tm_isdst >= 0) {
    time_.daylightKnown = true;
    time_.daylight = t.tm_isdst > 0;
  }
  normalise();
}

void DateTime::convertTo(int32_t zoneMode) { date_.addDays(time_.convertTo(zoneMode)); }

void DateTime::normalise() {
  if (date_.year < 1970) {
    date_.year = 1970;
    date_.month = date_.day = 1;
  } else if (date_.year >= 2038) {
    date_.year = 2038;
    date_.month = date_.day = 1;
  }
  date_.computeDerived();
  if (!isValid()) return;

  const std::tm moment = toTm(date_, time_);
  int result = -1;
  if (time_.zoneMode == kUtc) {
    int64_t seconds = 0;
    std::tm local{};
    if (platform::utcSeconds(moment, seconds) && platform::localBreakDown(seconds, local)) result = local.tm_isdst;
  } else {
    if (time_.daylightKnown) return;
    result = platform::localDaylight(moment);
  }
  time_.daylight = result > 0;
  time_.daylightKnown = result >= 0;
}

namespace {

// The conversions both C runtimes know. The Windows runtime ends the
// process on any other (an invalid-parameter report), and a format comes
// from preferences anyone with registry access can set: one with another
// conversion, or a lone "%" at its end, formats nothing.
bool portableFormat(const char* fmt) {
  static constexpr std::string_view kConversions = "aAbBcdHIjmMpSUwWxXyYzZ%";
  for (const char* p = fmt; *p; ++p) {
    if (*p != '%') continue;
    ++p;
    if (*p == '#') ++p;
    if (*p == '\0' || kConversions.find(*p) == std::string_view::npos) return false;
  }
  return true;
}

}  // namespace

std::string DateTime::format(const char* fmt) const {
  // The C runtime's strftime rejects out-of-range fields (on Windows by
  // ending the process), so only a valid value reaches it.
  if (fmt == nullptr || !isValid() || !portableFormat(fmt)) return std::string();
  DatePart date = date_;
  date.computeDerived();
  const std::tm t = toTm(date, time_);
  char buffer[80];
  const size_t n = std::strftime(buffer, sizeof buffer, fmt, &t);
  return std::string(buffer, n);
}

uint32_t DateTime::formatIso(std::string& out) const {
  if (!date_.isValid()) return kInvalidDate;
  if (!time_.isValid()) return kInvalidTime;
  char buffer[48];
  int n = std::snprintf(buffer, sizeof buffer, "%02d%02d%02dT%02d%02d%02d", date_.year, date_.month, date_.day,
                        time_.hour, time_.minute, time_.second);
  if (time_.zoneMode == kUtc) {
    std::snprintf(buffer + n, sizeof buffer - n, "Z");
  } else {
    // The daylight hour joins the offset before it is split into hours and
    // minutes, so a zone just west of UTC in summer gets the right sign.
    const int32_t offset = time_.zoneOffset + (time_.daylight ? 60 : 0);
    const int32_t magnitude = offset < 0 ? -offset : offset;
    std::snprintf(buffer + n, sizeof buffer - n, "%c%04d", offset < 0 ? '-' : '+',
                  magnitude / 60 * 100 + magnitude % 60);
  }
  out = buffer;
  return 0;
}

}  // namespace datetime
