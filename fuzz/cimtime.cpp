// CIM date-times as WMI gives them, their re-rendering in the basic ISO
// form, and the launch-time reader the App-V collector compares with the
// logon time. Properties: the fields read stay in the ranges their digit
// counts allow; a text the renderer accepts becomes an ISO text that the
// launch-time reader reads back to the instant of the fields with the
// offset applied, at which launchedSince turns from true to false; when the
// reader also takes the CIM text itself, both give the same instant.
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  CimDateTimeC f;
  const bool fields = readCimDateTime(text, f);
  if (fields) {
    FUZZ_CHECK(f.year >= 0 && f.year <= 9999 && f.month >= 0 && f.month <= 99 && f.day >= 0 && f.day <= 99,
               "date fields within their digits");
    FUZZ_CHECK(f.hour >= 0 && f.hour <= 99 && f.minute >= 0 && f.minute <= 99 && f.second >= 0 && f.second <= 99,
               "time fields within their digits");
    FUZZ_CHECK(f.offsetMinutes >= -99999 && f.offsetMinutes <= 99999, "the offset is capped");
  }

  std::string iso = "untouched";
  const bool rendered = cimDateTimeToIso(text, iso);
  uint64_t direct = 0;
  const bool readsDirectly = readLaunchTime(text, direct);
  if (!rendered) {
    FUZZ_CHECK(iso == "untouched", "a refused text leaves the output alone");
    return 0;
  }
  FUZZ_CHECK(fields, "only a readable CIM text is rendered");
  FUZZ_CHECK(f.year >= 1970 && f.year <= 2037, "rendered years lie in the kept range");
  FUZZ_CHECK(iso.size() == 16 || iso.size() == 20, "the ISO text is of its two lengths");

  datetime::SystemTimeC t;
  t.year = f.year, t.month = f.month, t.day = f.day, t.hour = f.hour, t.minute = f.minute, t.second = f.second;
  uint64_t local = 0;
  FUZZ_CHECK(datetime::calendarToFileTime(t, local), "a rendered date is a calendar date");
  const uint64_t instant =
      local - static_cast<uint64_t>(static_cast<int64_t>(f.offsetMinutes) * 60 *
                                    static_cast<int64_t>(datetime::kFileTimeTicksPerSecond));

  uint64_t back = 0;
  FUZZ_CHECK(readLaunchTime(iso, back), "the launch-time reader reads the ISO text");
  FUZZ_CHECK(back == instant, "the ISO text is the same instant");
  if (readsDirectly) FUZZ_CHECK(direct == instant, "the CIM text read directly is the same instant");

  AppVApplicationInfo app;
  app.lastLaunch()->setValue(StringC::fromUtf8(iso));
  bool unreadable = true;
  FUZZ_CHECK(app.hasBeenLaunched(), "a rendered time is a launch");
  FUZZ_CHECK(app.launchedSince(instant, &unreadable) && !unreadable, "launched at the instant itself");
  FUZZ_CHECK(!app.launchedSince(instant + 1, &unreadable) && !unreadable, "not launched after the instant");
  return 0;
}
