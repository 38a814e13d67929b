#include "collect/appv/appv_bubble_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collect/appv/launch_time.h"
#include "recording_errors.h"
#include "runtime/services/common_services.h"
#include "test_support.h"
#include "trace_capture.h"
#include "wmi/fake_wmi.h"

namespace {

using namespace wmi_test;

StringC u(const char* s) { return StringC::fromUtf8(s); }

// 2024-01-15 08:30:05 UTC as a FILETIME.
constexpr uint64_t kLogon = 133497810050000000ull;
constexpr uint64_t kSecond = 10000000ull;

TEST(LaunchTime, ReadsBothFormsOnTheRealInstant) {
  const struct Case {
    const char* text;
    bool ok;
    int64_t secondsFromLogon;
  } cases[] = {
      {"20240115083005.000000+000", true, 0},
      {"20240115093005.000000+060", true, 0},   // CET: an hour ahead of UTC
      {"20240115033005.000000-300", true, 0},   // US Eastern
      {"20240115083005.000000", true, 0},       // no offset: UTC
      {"20240115083005", true, 0},
      {"20240115T083005Z", true, 0},
      {"20240115T093005+0100", true, 0},
      {"20240115T140005+0530", true, 0},
      {"20240115T083004Z", true, -1},
      {"20240116T003005+1600", true, 0},        // offsets beyond a day's hours still count minutes
      {"20240115093005.000000+60", true, 0},    // Wine's two digits
      {"20240115083005.000000+00", true, 0},
      {"20240115093005.000000+0060", true, 0},
      {"20240115083005.000000+1440", false, 0},  // a day or more is no zone
      {"20240115083005.000000+", false, 0},
      {"20240115T083005", false, 0},            // the rendered form always has a zone
      {"20240115T083005+01", false, 0},
      {"20240115T083005+0160", false, 0},
      {"20240230083005.000000+000", false, 0},
      {"20240115083065.000000+000", false, 0},
      {"2024011508300", false, 0},
      {"2024-01-15 08:30:05", false, 0},
      {"", false, 0},
      {"16010101000000.000000+000", true, -13349781005},
  };
  for (const Case& c : cases) {
    uint64_t t = 42;
    EXPECT_EQ(readLaunchTime(c.text, t), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(static_cast<int64_t>(t - kLogon) / static_cast<int64_t>(kSecond), c.secondsFromLogon) << c.text;
    }
  }
}

AppVApplicationInfo app(const char* name, const char* version, const char* guid, const char* launched) {
  AppVApplicationInfo a;
  a.at(0)->get()->setValue(u(name));
  a.at(1)->get()->setValue(u(version));
  a.at(2)->get()->setValue(u(guid));
  a.lastLaunch()->setValue(u(launched));
  return a;
}

TEST(AppVApplicationInfo, LaunchTests) {
  const struct Case {
    const char* launched;
    uint64_t since;
    bool hasBeenLaunched, launchedSince, unreadable;
  } cases[] = {
      {"16010101000000.000000+000", 0, false, true, false},  // listed by neither test's caller: never launched
      {"16010101000000.000000", kLogon, false, false, false},
      {"20240115T093005+0100", kLogon, true, true, false},   // exactly at the logon
      {"20240115T093004+0100", kLogon, true, false, false},
      {"20240115083005.000000+000", kLogon, true, true, false},
      {"20240115083004.999999+000", kLogon, true, false, false},
      {"yesterday", kLogon, true, true, true},
      {"", kLogon, true, true, true},
  };
  for (const Case& c : cases) {
    const AppVApplicationInfo a = app("Word", "16", "{G}", c.launched);
    EXPECT_EQ(a.hasBeenLaunched(), c.hasBeenLaunched) << c.launched;
    bool unreadable = false;
    EXPECT_EQ(a.launchedSince(c.since, &unreadable), c.launchedSince) << c.launched;
    EXPECT_EQ(unreadable, c.unreadable) << c.launched;
  }
}

TEST(AppVApplicationInfo, RecordsCompareOnNameVersionAndPackage) {
  const AppVApplicationInfo a = app("Word", "16", "{G}", "20240115T093005+0100");
  EXPECT_FALSE(a.differsFrom(app("Word", "16", "{G}", "20250101T000000Z"))) << "a later launch is not new";
  EXPECT_TRUE(a.differsFrom(app("Word", "17", "{G}", "20240115T093005+0100")));
  EXPECT_TRUE(a.differsFrom(app("Word", "16", "{H}", "20240115T093005+0100")));
  EXPECT_TRUE(a.differsFrom(app("Excel", "16", "{G}", "20240115T093005+0100")));
}

AppVBubbleInfo bubble(std::initializer_list<AppVApplicationInfo> apps) {
  AppVBubbleInfo b;
  for (const AppVApplicationInfo& a : apps) b.append(a);
  return b;
}

std::vector<std::string> namesAndVersions(const ArrayM<AppVApplicationInfo>& list) {
  std::vector<std::string> out;
  for (const AppVApplicationInfo& a : list) out.push_back(a.at(0)->get()->value().toUtf8() + " " + a.at(1)->get()->value().toUtf8());
  return out;
}

TEST(AppVBubbleInfo, NewerThanKeepsOrderAndDuplicates) {
  const AppVApplicationInfo word = app("Word", "16", "{W}", "20240115T093005+0100");
  const AppVApplicationInfo excel = app("Excel", "16", "{E}", "20240115T093005+0100");
  const AppVApplicationInfo visio = app("Visio", "16", "{V}", "20240115T093005+0100");
  const struct Case {
    const char* what;
    AppVBubbleInfo mine, other;
    std::vector<std::string> newer;
  } cases[] = {
      {"same applications, other order", bubble({word, excel}), bubble({excel, word}), {}},
      {"both empty", bubble({}), bubble({}), {}},
      {"nothing reported before", bubble({word, excel}), bubble({}), {"Word 16", "Excel 16"}},
      {"one new in the middle", bubble({word, visio, excel}), bubble({excel, word}), {"Visio 16"}},
      {"only the version changed", bubble({app("Word", "17", "{W}", "20240115T093005+0100")}), bubble({word}),
       {"Word 17"}},
      {"only the launch time changed", bubble({app("Word", "16", "{W}", "20250101T000000Z")}), bubble({word}), {}},
      {"duplicates are kept", bubble({visio, visio, word}), bubble({word}), {"Visio 16", "Visio 16"}},
      {"nothing left", bubble({}), bubble({word}), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(namesAndVersions(c.mine.newerThan(c.other)), c.newer) << c.what;
}

// Lists larger than the first hash table, with duplicates on both sides:
// every known record is found whatever slot it probed into.
TEST(AppVBubbleInfo, NewerThanMatchesLongListsWithDuplicates) {
  AppVBubbleInfo before, now;
  std::vector<std::string> expected;
  for (int i = 0; i < 300; ++i) {
    const std::string n = std::to_string(i);
    const AppVApplicationInfo known = app(("App " + n).c_str(), "1", ("{" + n + "}").c_str(), "20240115T093005Z");
    before.append(known);
    if (i % 3 == 0) before.append(known);
    now.append(known);
    if (i % 50 == 0) {
      now.append(app(("App " + n).c_str(), "2", ("{" + n + "}").c_str(), "20240115T093005Z"));
      expected.push_back("App " + n + " 2");
    }
  }
  EXPECT_EQ(namesAndVersions(now.newerThan(before)), expected);
  EXPECT_EQ(now.newerThan(now).count(), 0u);
}

FakeObject instance(const char* name, const char* version, const char* guid, const char* launched,
                    uint32_t versionResult = 0) {
  return {{u"Name", {bstr(name), wmi::kCimString, 0}},
          {u"Version", {bstr(version), wmi::kCimString, versionResult}},
          {u"PackageGUID", {bstr(guid), wmi::kCimString, 0}},
          {u"LastLaunchOnSystem", {bstr(launched), wmi::kCimDatetime, 0}}};
}

class AppVCollect : public ::testing::Test {
 protected:
  void SetUp() override { common_services::overrideErrorService(&errors, false); }
  void TearDown() override { common_services::restoreErrorService(); }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& r : errors.reports) out.push_back(r.text);
    return out;
  }
  RecordingErrors errors;
  FakeWmiState fake;
  test_support::TempDirC dir;
};

TEST_F(AppVCollect, ListsTheApplicationsLaunchedSinceTheLogon) {
  fake.objects = {instance("Word", "16.0", "{W}", "20240115093005.000000+060"),     // at the logon
                  instance("Never", "1.0", "{N}", "16010101000000.000000+000"),     // never launched
                  instance("Before", "1.0", "{B}", "20240115083004.000000+000"),    // a second before
                  instance("Garbled", "2.0", "{G}", "soon"),                        // unreadable: listed
                  instance("Excel", "16.0", "{E}", "20240115123000.000000-300"),
                  instance("NoVersion", "x", "{V}", "20240116000000.000000+000", 0x80041004)};
  test_support::TraceCaptureC trace(dir.file("trace.log"), "VDIEndpointMonitor/VDIEndpoint/Agent");
  AppVBubbleInfo b(fakeWmi(fake));
  b.since = kLogon;
  ASSERT_TRUE(b.collect());
  EXPECT_EQ(StringC(fake.path.data(), static_cast<int32_t>(fake.path.size())).toUtf8(),
            "\\\\.\\root\\microsoft\\appvirt\\client");
  EXPECT_EQ(namesAndVersions(b), (std::vector<std::string>{"Word 16.0", "Garbled 2.0", "Excel 16.0", "NoVersion "}));
  EXPECT_EQ(b.at(0)->lastLaunch()->value().toUtf8(), "20240115T093005+0100") << "as the WMI layer renders it";
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{"VDIEndpointMonitor/VDIEndpoint/Agent: The launch time 'soon' of "
                                                     "App-V application 'Garbled' cannot be read; it is listed."}));
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "Failed to get WMI property 'Version': WBEM_E_PROVIDER_FAILURE (0x80041004)"}));
}

TEST_F(AppVCollect, ANewCollectionReplacesTheListOnTheSameConnection) {
  fake.objects = {instance("Word", "16.0", "{W}", "20240115093005.000000+060")};
  AppVBubbleInfo b(fakeWmi(fake));
  ASSERT_TRUE(b.collect());
  const RefM<WMIServiceC> first = b.connection();
  fake.objects.push_back(instance("Excel", "16.0", "{E}", "20240115093005.000000+060"));
  ASSERT_TRUE(b.collect());
  EXPECT_EQ(b.connection(), first);
  EXPECT_EQ(namesAndVersions(b), (std::vector<std::string>{"Word 16.0", "Excel 16.0"}));
  int connects = 0;
  for (const std::string& e : fake.events) connects += e == "connect";
  EXPECT_EQ(connects, 1);
}

TEST_F(AppVCollect, WithoutTheAppVClientTheFirstCollectionFails) {
  fake.connectResult = 0x8004100E;
  test_support::TraceCaptureC trace(dir.file("trace.log"), "VDIEndpointMonitor/VDIEndpoint/Agent");
  AppVBubbleInfo b(fakeWmi(fake));
  EXPECT_FALSE(b.collect());
  EXPECT_EQ(trace.lines(),
            (std::vector<std::string>{"VDIEndpointMonitor/VDIEndpoint/Agent: Failed to initialize WMIServiceC."}));
  ASSERT_EQ(errors.reports.size(), 3u);
  EXPECT_EQ(errors.reports[0].id, 0xE1730009u);
  EXPECT_EQ(errors.reports[1].id, 0xE1730001u);
  EXPECT_EQ(errors.reports[2].id, 0xE1730017u);
  EXPECT_EQ(errors.reports[2].text, "The specified WMI namespace is invalid or does not exist on the host");
}

TEST_F(AppVCollect, AFailedEnumerationIsAnEmptyList) {
  fake.enumResult = 0x80041010;
  AppVBubbleInfo b(fakeWmi(fake));
  b.append(app("Old", "1", "{O}", "20240115093005+0100"));
  EXPECT_TRUE(b.collect());
  EXPECT_EQ(b.count(), 0u);
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "Failed to enumerate the WMI class 'Application': WBEM_E_INVALID_CLASS (0x80041010)"}));
}

}  // namespace
