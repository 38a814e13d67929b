// CIM date-times as WMI gives them, their re-rendering in the basic ISO
// form, and the launch-time reader the App-V collector compares with the
// logon time. The oracle is a calendar of its own (days counted from the
// civil date and back, the UTC instant from those days): the fields read
// are the numbers the text's digits spell, the offset capped; the renderer
// takes exactly the texts whose fields form a date of the kept years, a
// time of day and an offset under a day; its ISO text reads back to the
// oracle's instant, at which launchedSince turns from true to false; and
// when the launch-time reader also takes the CIM text itself, it gives the
// same instant.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "collect/appv/appv_application_info.h"
#include "collect/appv/launch_time.h"
#include "collect/wmi/cim_datetime.h"
#include "collect/wmi/wmi_value_text.h"
#include "fuzz/fuzz_check.h"
#include "runtime/datetime/file_time.h"

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12; a day
// past the month's end runs on into the next).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = yoe + era * 400 + (m <= 2);
}

// The number the digits of `text` at [at, at + n) spell, -1 when they are
// not all digits.
int64_t number(std::string_view text, size_t at, size_t n) {
  int64_t v = -1;
  if (at + n > text.size()) return -1;
  const auto r = std::from_chars(text.data() + at, text.data() + at + n, v);
  return r.ec == std::errc() && r.ptr == text.data() + at + n && text[at] != '-' && text[at] != '+' ? v : -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  CimDateTimeC f;
  const bool fields = readCimDateTime(text, f);
  if (fields) {
    FUZZ_CHECK(f.year == number(text, 0, 4) && f.month == number(text, 4, 2) && f.day == number(text, 6, 2) &&
                   f.hour == number(text, 8, 2) && f.minute == number(text, 10, 2) && f.second == number(text, 12, 2),
               "the fields are the numbers their digits spell");
    FUZZ_CHECK(text[14] == '.' && number(text, 15, 6) >= 0 && (text[21] == '+' || text[21] == '-'),
               "a read text has its separator, microseconds and sign");
    // The offset's digits run to the end; a number past the cap (or too
    // long for 64 bits) reads as the cap.
    uint64_t magnitude = 0;
    const auto r = std::from_chars(text.data() + 22, text.data() + text.size(), magnitude);
    FUZZ_CHECK(r.ptr == text.data() + text.size() && text.size() > 22 && text[22] != '-' && text[22] != '+',
               "the offset is all digits");
    const int64_t capped = r.ec == std::errc() && magnitude < 99999 ? static_cast<int64_t>(magnitude) : 99999;
    FUZZ_CHECK(f.offsetMinutes == (text[21] == '-' ? -capped : capped), "the offset is its digits, signed and capped");
  }

  std::string iso = "untouched";
  const bool rendered = cimDateTimeToIso(text, iso);
  uint64_t direct = 0;
  const bool readsDirectly = readLaunchTime(text, direct);

  int64_t y = 0, m = 0, d = 0;
  const bool calendarDate = fields && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
                            (civilFromDays(daysFromCivil(f.year, f.month, f.day), y, m, d), y == f.year && m == f.month && d == f.day);
  const bool renderable = calendarDate && f.year >= 1970 && f.year <= 2037 && f.hour < 24 && f.minute < 60 &&
                          f.second < 60 && f.offsetMinutes > -24 * 60 && f.offsetMinutes < 24 * 60;
  FUZZ_CHECK(rendered == renderable, "the renderer takes exactly a date and time of the kept years");
  if (!rendered) {
    FUZZ_CHECK(iso == "untouched", "a refused text leaves the output alone");
    return 0;
  }
  FUZZ_CHECK(iso.size() == (f.offsetMinutes == 0 ? 16u : 20u), "the ISO text is Z or a signed HHMM offset");

  // FILETIME counts 100 ns from 1601-01-01, 134774 days before 1970.
  const int64_t seconds = (daysFromCivil(f.year, f.month, f.day) + 134774) * 86400 + f.hour * 3600 + f.minute * 60 +
                          f.second - static_cast<int64_t>(f.offsetMinutes) * 60;
  const uint64_t instant = static_cast<uint64_t>(seconds) * datetime::kFileTimeTicksPerSecond;

  uint64_t back = 0;
  FUZZ_CHECK(readLaunchTime(iso, back), "the launch-time reader reads the ISO text");
  FUZZ_CHECK(back == instant, "the ISO text is the same instant");
  // A raw text the agent keeps (one the renderer refused) is read directly
  // by the launched-since test, so both readers must take the same offsets.
  FUZZ_CHECK(readsDirectly, "a CIM text the renderer takes is read directly too");
  FUZZ_CHECK(direct == instant, "the CIM text read directly is the same instant");

  AppVApplicationInfo app;
  app.lastLaunch()->setValue(StringC::fromUtf8(iso));
  bool unreadable = true;
  FUZZ_CHECK(app.hasBeenLaunched(), "a rendered time is a launch");
  FUZZ_CHECK(app.launchedSince(instant, &unreadable) && !unreadable, "launched at the instant itself");
  FUZZ_CHECK(!app.launchedSince(instant + 1, &unreadable) && !unreadable, "not launched after the instant");
  return 0;
}
