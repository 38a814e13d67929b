// Reading the fields of CIM date-times, the text form in which WMI gives
// a DATETIME property: "yyyymmddHHMMSS.mmmmmmsUUU", s the sign and UUU the
// offset from UTC in minutes.
#pragma once

#include <cstdint>
#include <string_view>

struct CimDateTimeC {
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int32_t offsetMinutes = 0;  // east of UTC
};

// The `count` characters of `text` from `at` as a decimal number; false
// unless they are all there and all digits.
bool readDigits(std::string_view text, size_t at, size_t count, int32_t& value);

// The offset digits of a CIM date-time, from `at` to the end of `text`, as
// readCimDateTime reads them (any count, at least one; past 99999 the value
// stays 99999); false when there are none or one is not a digit.
bool readCimOffset(std::string_view text, size_t at, int32_t& minutes);

// The fields of the full form: 14 digits of date and time, the
// microseconds (not kept) and from position 21 a signed offset in minutes,
// read as a number whatever its count of digits: Windows writes three,
// Wine's WMI two ("+00"), and an offset of a day or more (four digits or
// more) must be seen as such, so a longer one reads as at least 99999. The
// fields are not checked as a calendar date.
bool readCimDateTime(std::string_view text, CimDateTimeC& out);
