// Date-time values: the calendar rules, zone offsets and designators, mode
// conversion with day carry, normalisation bounds and the exact text forms.
// The local zone is fixed per test through the process's TZ rule, and dates
// far from the daylight-saving changes are used, so results do not depend on
// the machine or on which of the usual change rules the C runtime applies.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/time_zone.h"
#include "runtime/datetime/date_time.h"

namespace {

using namespace datetime;

std::tm brokenDown(int y, int mo, int d, int h, int mi, int s, int isdst) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_isdst = isdst;
  return t;
}

std::string iso(const DateTime& v) {
  std::string out = "unset";
  const uint32_t rc = v.formatIso(out);
  return rc == 0 ? out : "error " + std::to_string(rc);
}

class DateTimeTest : public ::testing::Test {
 protected:
  // Central European zone: standard +0100, daylight time in July.
  void SetUp() override { platform::useTimeZone("CET-1CEST"); }
};

TEST(DateTimeCalendar, LeapYearsAndFebruary29) {
  struct Case {
    int year;
    bool leap;
  } cases[] = {{1900, false}, {2000, true}, {2015, false}, {2016, true}, {2024, true}, {2100, false}, {2400, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.year);
    EXPECT_EQ(isLeapYear(c.year), c.leap);
    EXPECT_EQ(daysInYear(c.year), c.leap ? 366 : 365);
    EXPECT_EQ(daysInMonth(c.year, 2), c.leap ? 29 : 28);
    EXPECT_EQ(DatePart(c.year, 2, 29).isValid(), c.leap);
  }
}

TEST(DateTimeCalendar, DateValidity) {
  struct Case {
    DatePart date;
    bool valid;
  } cases[] = {
      {DatePart(2015, 12, 31), true}, {DatePart(2015, 4, 30), true}, {DatePart(2015, 4, 31), false},
      {DatePart(2015, 1, 0), false},  {DatePart(2015, 0, 1), false}, {DatePart(2015, 13, 1), false},
      {DatePart(0, 1, 1), false},     {DatePart(1, 1, 1), true},     {DatePart(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.date.year << "-" << c.date.month << "-" << c.date.day);
    EXPECT_EQ(c.date.isValid(), c.valid);
  }
}

TEST(DateTimeCalendar, TimeValidity) {
  struct Case {
    TimePart time;
    bool valid;
  } cases[] = {
      {TimePart(0, 0, 0, kLocalTime, 0), true},   {TimePart(23, 59, 59, kUtc, 0), true},
      {TimePart(24, 0, 0, kUtc, 0), false},       {TimePart(0, 60, 0, kUtc, 0), false},
      {TimePart(0, 0, 60, kUtc, 0), false},       {TimePart(-1, 0, 0, kUtc, 0), false},
      {TimePart(12, 0, 0, 2, 0), false},          {TimePart(12, 0, 0, kLocalTime, 2460), false},
      {TimePart(), false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cases[i].time.isValid(), cases[i].valid);
  }
}

TEST(DateTimeCalendar, AddDaysCarriesAcrossMonthAndYearEnds) {
  struct Case {
    int y, m, d, days;
    int ey, em, ed, weekday, dayOfYear;
  } cases[] = {
      {2015, 12, 31, 1, 2016, 1, 1, 5, 0},    {2016, 1, 1, -1, 2015, 12, 31, 4, 364},
      {2016, 2, 28, 1, 2016, 2, 29, 1, 59},   {2016, 2, 29, 1, 2016, 3, 1, 2, 60},
      {2015, 2, 28, 1, 2015, 3, 1, 0, 59},    {2016, 12, 31, 1, 2017, 1, 1, 0, 0},
      {2000, 3, 1, -1, 2000, 2, 29, 2, 59},   {1900, 3, 1, -1, 1900, 2, 28, 3, 58},
      {2015, 6, 15, 400, 2016, 7, 19, 2, 200}, {2016, 7, 19, -400, 2015, 6, 15, 1, 165},
      {2016, 7, 19, 0, 2016, 7, 19, 2, 200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d << " " << c.days);
    DatePart date(c.y, c.m, c.d);
    date.computeDerived();
    date.addDays(c.days);
    EXPECT_EQ(date.year, c.ey);
    EXPECT_EQ(date.month, c.em);
    EXPECT_EQ(date.day, c.ed);
    EXPECT_EQ(date.weekday, c.weekday);
    EXPECT_EQ(date.dayOfYear, c.dayOfYear);
  }
}

TEST(DateTimeCalendar, ZoneOffsetArgument) {
  platform::useTimeZone("EST5EDT");
  struct Case {
    int argument;
    bool accepted;
    int minutes;
  } cases[] = {
      {0, true, 0},        {100, true, 60},       {-500, true, -300},  {530, true, 330},
      {-330, true, -210},  {2359, true, 1439},    {-2359, true, -1439}, {2460, false, 0},
      {1260, false, 0},    {-2400, false, 0},     {99, false, 0},      {kLocalZone, true, -300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.argument);
    TimePart t(12, 0, 0, kLocalTime, c.argument);
    EXPECT_EQ(t.isValid(), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(t.zoneOffset, c.minutes);
    }
  }
}

TEST(DateTimeCalendar, TimeConversionReturnsDaysMoved) {
  struct Case {
    int h, m, offset;
    bool daylight;
    int mode;
    int eh, em, days;
  } cases[] = {
      {23, 30, 100, false, kLocalTime, 0, 30, 1},   // from UTC: +60 minutes past midnight
      {0, 30, 100, false, kUtc, 23, 30, -1},         // to UTC: back before midnight
      {0, 30, 100, true, kUtc, 22, 30, -1},          // the daylight hour joins the shift
      {20, 0, -500, false, kUtc, 1, 0, 1},
      {12, 0, 530, false, kUtc, 6, 30, 0},
      {0, 0, 0, false, kUtc, 0, 0, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(i);
    TimePart t(c.h, c.m, 7, c.mode == kUtc ? kLocalTime : kUtc, c.offset);
    t.daylight = c.daylight;
    EXPECT_EQ(t.convertTo(c.mode), c.days);
    EXPECT_EQ(t.hour, c.eh);
    EXPECT_EQ(t.minute, c.em);
    EXPECT_EQ(t.second, 7);
    EXPECT_EQ(t.zoneMode, c.mode);
    EXPECT_EQ(t.convertTo(c.mode), 0);  // already there: nothing moves
    EXPECT_EQ(t.hour, c.eh);
  }
}

TEST_F(DateTimeTest, LocalToUtcAndBackWithDayCarry) {
  struct Case {
    int y, mo, d, h, mi, offset, isdst;
    const char* local;
    const char* utc;
  } cases[] = {
      {2016, 1, 1, 0, 30, 100, 0, "20160101T003000+0100", "20151231T233000Z"},
      {2015, 12, 31, 23, 30, -500, 0, "20151231T233000-0500", "20160101T043000Z"},
      {2016, 2, 28, 22, 0, -500, 0, "20160228T220000-0500", "20160229T030000Z"},
      {2015, 2, 28, 22, 0, -500, 0, "20150228T220000-0500", "20150301T030000Z"},
      {2016, 3, 1, 0, 30, 100, 0, "20160301T003000+0100", "20160229T233000Z"},
      {2015, 3, 1, 0, 30, 100, 0, "20150301T003000+0100", "20150228T233000Z"},
      {2016, 7, 15, 1, 30, 100, 1, "20160715T013000+0200", "20160714T233000Z"},
      {2016, 7, 1, 3, 0, 530, 0, "20160701T030000+0530", "20160630T213000Z"},
      {2016, 12, 31, 20, 0, -1000, 0, "20161231T200000-1000", "20170101T060000Z"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.local);
    DateTime v;
    v.set(brokenDown(c.y, c.mo, c.d, c.h, c.mi, 0, c.isdst), kLocalTime, c.offset);
    EXPECT_EQ(iso(v), c.local);
    v.convertTo(kUtc);
    EXPECT_EQ(v.zoneMode(), kUtc);
    EXPECT_EQ(iso(v), c.utc);
    v.convertTo(kLocalTime);
    EXPECT_EQ(iso(v), c.local);
  }
}

TEST_F(DateTimeTest, UtcToLocalTakesTheLocalZonesDaylightFlag) {
  struct Case {
    std::tm utc;
    int offset;
    const char* local;
  } cases[] = {
      // 23:30 on 31 December 2015 moved by +60 minutes.
      {brokenDown(2015, 12, 31, 23, 30, 0, -1), 100, "20160101T003000+0100"},
      {brokenDown(2016, 7, 14, 23, 30, 0, -1), kLocalZone, "20160715T013000+0200"},
      {brokenDown(2016, 1, 15, 8, 30, 5, -1), kLocalZone, "20160115T093005+0100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.local);
    DateTime v;
    v.set(c.utc, kUtc, c.offset);
    v.convertTo(kLocalTime);
    EXPECT_EQ(iso(v), c.local);
  }
}

TEST_F(DateTimeTest, ZoneDesignators) {
  struct Case {
    int offset, isdst;
    const char* suffix;
  } cases[] = {
      {100, 1, "+0200"},   {-500, 1, "-0400"},  {530, 0, "+0530"},  {-500, 0, "-0500"},
      {0, 0, "+0000"},     {-330, 0, "-0330"},  {-330, 1, "-0230"}, {2359, 0, "+2359"},
      {-30, 1, "+0030"},   // half an hour west in summer: half an hour east
      {-30, 0, "-0030"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.suffix);
    DateTime v;
    v.set(brokenDown(2024, 1, 15, 8, 30, 5, c.isdst), kLocalTime, c.offset);
    EXPECT_EQ(iso(v), std::string("20240115T083005") + c.suffix);
  }
  DateTime utc;
  utc.set(brokenDown(2024, 1, 15, 8, 30, 5, 0), kUtc, 100);
  EXPECT_EQ(iso(utc), "20240115T083005Z");
}

TEST_F(DateTimeTest, NormalisationBounds) {
  struct Case {
    int y, mo, d;
    int ey, emo, ed, weekday, dayOfYear;
  } cases[] = {
      {1969, 12, 31, 1970, 1, 1, 4, 0},   {1900, 6, 15, 1970, 1, 1, 4, 0},
      {1970, 1, 1, 1970, 1, 1, 4, 0},     {2037, 12, 31, 2037, 12, 31, 4, 364},
      {2038, 1, 19, 2038, 1, 1, 5, 0},    {2100, 2, 28, 2038, 1, 1, 5, 0},
      {2016, 2, 29, 2016, 2, 29, 1, 59},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.y << "-" << c.mo << "-" << c.d);
    DateTime v;
    v.set(brokenDown(c.y, c.mo, c.d, 12, 0, 0, -1), kLocalTime, 100);
    EXPECT_EQ(v.date().year, c.ey);
    EXPECT_EQ(v.date().month, c.emo);
    EXPECT_EQ(v.date().day, c.ed);
    EXPECT_EQ(v.date().weekday, c.weekday);
    EXPECT_EQ(v.date().dayOfYear, c.dayOfYear);
    EXPECT_EQ(v.time().hour, 12);  // only the date is changed
    EXPECT_TRUE(v.time().daylightKnown);
    EXPECT_FALSE(v.time().daylight);  // winter dates, and 1 January for the clamped ones
  }
}

TEST_F(DateTimeTest, DaylightFlagFromTheLocalZoneUnlessKnown) {
  struct Case {
    int mo, isdst, mode;
    bool daylight;
  } cases[] = {
      {1, -1, kLocalTime, false}, {7, -1, kLocalTime, true}, {7, 0, kLocalTime, false},
      {1, 1, kLocalTime, true},   {7, 0, kUtc, true},        {1, 1, kUtc, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    DateTime v;
    v.set(brokenDown(2016, cases[i].mo, 15, 12, 0, 0, cases[i].isdst), cases[i].mode, kLocalZone);
    EXPECT_TRUE(v.time().daylightKnown);
    EXPECT_EQ(v.time().daylight, cases[i].daylight);
  }
}

TEST_F(DateTimeTest, IsoFormErrors) {
  struct Case {
    std::tm t;
    int mode, offset;
    uint32_t error;
  } cases[] = {
      {brokenDown(2015, 2, 29, 8, 0, 0, 0), kLocalTime, 100, kInvalidDate},
      {brokenDown(2015, 2, 28, 24, 0, 0, 0), kLocalTime, 100, kInvalidTime},
      {brokenDown(2015, 2, 28, 8, 0, 0, 0), kLocalTime, 2460, kInvalidTime},
      {brokenDown(2015, 2, 28, 8, 0, 0, 0), kLocalTime, 1260, kInvalidTime},
      {brokenDown(2015, 2, 28, 8, 0, 0, 0), 2, 100, kInvalidTime},
      {brokenDown(2015, 13, 1, 8, 60, 0, 0), kUtc, 100, kInvalidDate},  // the date is checked first
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    DateTime v;
    v.set(cases[i].t, cases[i].mode, cases[i].offset);
    std::string out = "unchanged";
    EXPECT_EQ(v.formatIso(out), cases[i].error);
    EXPECT_EQ(out, "unchanged");
    EXPECT_FALSE(v.isValid());
    EXPECT_EQ(v.format("%Y"), "");
  }
  EXPECT_EQ(kInvalidTime, 0xE0D70064u);
}

TEST_F(DateTimeTest, StrftimeForms) {
  DateTime v;
  v.set(brokenDown(2016, 2, 29, 13, 5, 9, -1), kLocalTime, 100);
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"%Y%m%dT%H%M%S", "20160229T130509"},
      {"%Y-%m-%d %H:%M:%S", "2016-02-29 13:05:09"},
      {"%A %j %B", "Monday 060 February"},
      {"", ""},
      {"100%% %#d", "100% 29"},
      // Conversions one of the two runtimes lacks (the Windows one ends the
      // process on them) and a lone "%" format nothing.
      {"%Y-%m-%dT%T", ""},
      {"%F", ""},
      {"%e", ""},
      {"%Y%", ""},
      {"%#", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(v.format(c.format), c.expected);
  }
  EXPECT_EQ(v.format(std::string(79, 'x').c_str()), std::string(79, 'x'));
  EXPECT_EQ(v.format(std::string(80, 'x').c_str()), "");  // no room for the terminator
}

TEST_F(DateTimeTest, DefaultConstruction) {
  DateTime v;
  EXPECT_TRUE(v.isValid());
  EXPECT_EQ(v.zoneMode(), kLocalTime);
  EXPECT_EQ(iso(v), "20000101T000000+0100");
  EXPECT_EQ(v.date().weekday, 6);
  EXPECT_EQ(v.date().dayOfYear, 0);
}

TEST(DateTimeNow, IsLocalWallClockTime) {
  for (const char* zone : {"CET-1CEST", "EST5EDT", "UTC0", "IST-5:30"}) {
    SCOPED_TRACE(zone);
    platform::useTimeZone(zone);
    std::string got, expected;
    // Retried in case the second changes between the two readings.
    for (int attempt = 0; attempt < 3; ++attempt) {
      DateTime v;
      v.setNow();
      EXPECT_EQ(v.zoneMode(), kLocalTime);
      got = v.format("%Y%m%dT%H%M%S");
      std::tm local{};
      ASSERT_TRUE(platform::localBreakDown(platform::currentTime(), local));
      char buffer[32];
      expected.assign(buffer, std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%S", &local));
      if (got == expected) break;
    }
    EXPECT_EQ(got, expected);
  }
}

}  // namespace
