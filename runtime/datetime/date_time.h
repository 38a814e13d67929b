// Date-time values: a calendar date and a time of day in one of two zone
// modes (local wall-clock time or UTC). A value carries the local zone's
// standard offset and its daylight flag, so it can move between the modes.
// It gives the agent "now" and two text forms: strftime's and the basic ISO
// form "YYYYMMDDTHHMMSS" followed by "Z" or a signed "HHMM" offset.
//
// Values are plain data: copy them freely; one value is not for concurrent
// modification. The C runtime's local zone (TZ) is read on every call that
// needs it.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace datetime {

// The zone offset argument meaning "the local zone of the C runtime".
inline constexpr int32_t kLocalZone = -9999;

// Zone modes.
inline constexpr int32_t kLocalTime = 0;
inline constexpr int32_t kUtc = 1;

// Results of formatIso: 0 is success.
inline constexpr uint32_t kInvalidDate = 0xE0D70063;
inline constexpr uint32_t kInvalidTime = 0xE0D70064;

// The Gregorian rule: divisible by 400, or by 4 and not by 100.
bool isLeapYear(int32_t year);
int32_t daysInYear(int32_t year);
// 0 for a month outside 1-12.
int32_t daysInMonth(int32_t year, int32_t month);

struct DatePart {
  int32_t year = 0;
  int32_t month = 0;       // 1-12
  int32_t day = 0;         // 1 to the month's length
  int32_t weekday = -1;    // 0 Sunday to 6; -1 while not computed
  int32_t dayOfYear = -1;  // 0 (1 January) to 365; -1 while not computed
  bool invalid = true;     // built from nothing

  DatePart() = default;
  // Weekday and day of year stay -1 until computeDerived.
  DatePart(int32_t y, int32_t m, int32_t d) : year(y), month(m), day(d), invalid(false) {}

  // Year at least 1, month 1-12, day within the month, not flagged invalid.
  bool isValid() const;
  // Fills weekday and day of year from year, month and day; both become -1
  // when the date is not valid.
  void computeDerived();
  // Moves the date by whole days (either sign) across month and year ends;
  // weekday and day of year follow. Does nothing to a date that is not valid.
  void addDays(int32_t days);
};

struct TimePart {
  int32_t hour = 0, minute = 0, second = 0;
  int32_t zoneMode = kLocalTime;
  int32_t zoneOffset = 0;  // the local zone's standard offset east of UTC, minutes
  bool daylight = false;       // daylight saving time is in force for this moment
  bool daylightKnown = false;  // the daylight flag was determined
  bool invalid = true;         // built from nothing, or with a bad offset or mode

  TimePart() = default;
  // zoneOffsetArgument: kLocalZone, or +-HHMM (hours x 100 + minutes) with
  // HH below 24 and MM below 60; anything else leaves the time invalid.
  TimePart(int32_t h, int32_t m, int32_t s, int32_t mode, int32_t zoneOffsetArgument);

  // Hour, minute and second in range, not flagged invalid.
  bool isValid() const;
  // Stores the offset the argument means; false (and the time marked invalid)
  // when it is refused.
  bool setZoneOffset(int32_t zoneOffsetArgument);
  // Moves the time of day to the mode given by the offset plus an hour when
  // daylight saving is in force. Returns the whole days the move crossed
  // (-1, 0 or +1 for real offsets); 0 and nothing changed when the time is
  // already in that mode or the mode is not kLocalTime or kUtc.
  int32_t convertTo(int32_t mode);
};

class DateTime {
 public:
  // 1 January 2000, 00:00:00 local time in the local zone, normalised.
  DateTime();

  // The current moment as local wall-clock time (daylight hour included).
  void setNow();
  // From a broken-down time (tm_year + 1900, tm_mon + 1, tm_mday, tm_hour,
  // tm_min, tm_sec; tm_isdst >= 0 makes the daylight flag known), then
  // normalised. A refused offset or a mode other than kLocalTime or kUtc
  // leaves the time invalid.
  void set(const std::tm& t, int32_t zoneMode, int32_t zoneOffsetArgument);
  // Moves the value to the mode (kLocalTime or kUtc), carrying whole days
  // into the date; nothing when it is already in that mode.
  void convertTo(int32_t zoneMode);

  // strftime of the value with `format` into an 80-character buffer; "" when
  // the value is not valid, the result does not fit, or the format holds a
  // conversion other than %a %A %b %B %c %d %H %I %j %m %M %p %S %U %w %W %x
  // %X %y %Y %z %Z %% (each may carry the "#" flag). The text is in the
  // locale's character set (LC_TIME).
  std::string format(const char* format) const;
  // The basic ISO form, such as "20240115T083005Z" or "20240715T083005+0200".
  // Returns 0 and sets `out`, or kInvalidDate / kInvalidTime (date checked
  // first) and leaves `out` unchanged.
  uint32_t formatIso(std::string& out) const;

  bool isValid() const { return date_.isValid() && time_.isValid(); }
  int32_t zoneMode() const { return time_.zoneMode; }
  const DatePart& date() const { return date_; }
  const TimePart& time() const { return time_; }

 private:
  // Keeps the date within what the C runtime's 32-bit times reach (a year
  // before 1970 becomes 1 January 1970, one from 2038 on 1 January 2038),
  // fills weekday and day of year, and learns the local zone's daylight flag
  // for the moment.
  void normalise();

  DatePart date_;
  TimePart time_;
};

}  // namespace datetime
