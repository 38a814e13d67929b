// The App-V collector over the Linux WMI stand-in: the layers together, as
// the agent runs on a machine root.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "collect/appv/appv_bubble_info.h"
#include "recording_errors.h"
#include "runtime/services/common_services.h"
#include "test_support.h"

namespace {

const char kClient[] =
    "#pragma namespace(\"\\\\\\\\.\\\\root\\\\microsoft\\\\appvirt\\\\client\")\n"
    "class Application { string Name; string Version; string PackageGUID; datetime LastLaunchOnSystem; };\n"
    "instance of Application { Name = \"Ledger\"; Version = \"12\"; PackageGUID = \"{L}\";\n"
    "  LastLaunchOnSystem = \"20240115093005.000000+060\"; };\n"
    "instance of Application { Name = \"Never\"; Version = \"1\"; PackageGUID = \"{N}\";\n"
    "  LastLaunchOnSystem = \"16010101000000.000000+000\"; };\n"
    "instance of Application { Name = \"Early\"; Version = \"1\"; PackageGUID = \"{E}\";\n"
    "  LastLaunchOnSystem = \"20240115083004.000000+000\"; };\n"
    "instance of Application { Name = \"Mail\"; Version = \"8\"; PackageGUID = \"{M}\";\n"
    "  LastLaunchOnSystem = \"20240115033005.000000-300\"; };\n";

// 2024-01-15 08:30:05 UTC.
constexpr uint64_t kLogon = 133497810050000000ull;

class AppVRepository : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
    common_services::overrideErrorService(&errors, false);
  }
  void TearDown() override {
    common_services::restoreErrorService();
    test_support::unsetEnv("TNW_MACHINE_ROOT");
  }
  std::vector<std::string> collected(AppVBubbleInfo& b) {
    std::vector<std::string> out;
    for (const AppVApplicationInfo& a : b)
      out.push_back(a.at(0)->get()->value().toUtf8() + " " + a.lastLaunch()->value().toUtf8());
    return out;
  }
  test_support::TempDirC machine;
  RecordingErrors errors;
};

TEST_F(AppVRepository, ListsWhatTheMachinesWmiHolds) {
  test_support::writeFile(machine.file("wmi/appv/client.mof"), kClient);
  AppVBubbleInfo b;
  b.since = kLogon;
  ASSERT_TRUE(b.collect());
  EXPECT_EQ(collected(b), (std::vector<std::string>{"Ledger 20240115T093005+0100", "Mail 20240115T033005-0500"}));
  EXPECT_TRUE(errors.reports.empty());

  // A new application appears while the connection stays.
  test_support::writeFile(machine.file("wmi/appv/more.mof"),
                          "#pragma namespace(\"root\\\\microsoft\\\\appvirt\\\\client\")\n"
                          "instance of Application { Name = \"Chart\"; Version = \"3\"; PackageGUID = \"{C}\";\n"
                          "  LastLaunchOnSystem = \"20240116000000.000000+000\"; };\n");
  AppVBubbleInfo before = b;
  ASSERT_TRUE(b.collect());
  const ArrayM<AppVApplicationInfo> newer = b.newerThan(before);
  ASSERT_EQ(newer.count(), 1u);
  EXPECT_EQ(newer.at(0)->at(0)->get()->value().toUtf8(), "Chart");
}

TEST_F(AppVRepository, WithoutTheClientsNamespaceTheCollectionFails) {
  test_support::writeFile(machine.file("wmi/other.mof"), "#pragma namespace(\"root\\\\cimv2\")\nclass X { string A; };\n");
  AppVBubbleInfo b;
  EXPECT_FALSE(b.collect());
  ASSERT_EQ(errors.reports.size(), 3u);
  EXPECT_EQ(errors.reports[0].text,
            "Failed to connect to the WMI provider namespace 'root\\microsoft\\appvirt\\client' on server 'localhost': "
            "WBEM_E_INVALID_NAMESPACE (0x8004100e)");
  EXPECT_EQ(errors.reports[2].id, 0xE1730017u);
}

}  // namespace
