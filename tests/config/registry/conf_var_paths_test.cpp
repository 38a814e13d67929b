// Key paths of the declared tree: plain, in the legacy layout, and below an
// alternate hive, with the caches of the plain ones left intact.
#include <gtest/gtest.h>

#include "agent_tree.h"
#include "config/tables/conf_tree.h"
#include "recording_registry.h"
#include "reg_fixture.h"
#include "test_clock.h"

namespace {

using namespace config_test;

const std::string H = kPolicyHive;

TEST(ConfVarPaths, KeyPathsPlainLegacyAndBelowTheHive) {
  RegFixtureC registry;
  registry.import(regText({"[HKEY_CURRENT_USER\\" + kHiveKey + "]",
                           R"("UserAlternateRegistryHive"="SOFTWARE\\Policies\\Tarnwell Corp\\Tarnwell")"}));
  RecordingRegistryC recorder;
  ConfTreeC tree(&recorder, &TestClockC::read);
  struct Case {
    ConfKeyE key;
    const char* name;
    std::string plain, legacy, hive, hiveLegacy;
  };
  const Case cases[] = {
      {ConfKeyE::kVdiEndpointAgent, "EnableVirtAppUsageTracking", kAgentKey, kLegacyAgentKey,
       H + "\\VDI Endpoint Agent\\CurrentVersion", H + "\\VDI Endpoint Agent\\5.0"},
      {ConfKeyE::kTarnwell, "InstallDir", "SOFTWARE\\Tarnwell Corp\\Tarnwell", "SOFTWARE\\Kelvane\\Quorbit", H, H},
      {ConfKeyE::kReplicatorParent, "Host", "SOFTWARE\\Tarnwell Corp\\Tarnwell\\Common\\UploadSettings\\ReplicatorParent",
       "SOFTWARE\\Kelvane\\Quorbit\\Common\\UploadSettings\\ReplicatorParent",
       H + "\\Common\\UploadSettings\\ReplicatorParent", H + "\\Common\\UploadSettings\\ReplicatorParent"},
      {ConfKeyE::kLauncherCommon, "GlobalConfigSource", "SOFTWARE\\Tarnwell Corp\\Tarnwell\\Launcher\\CurrentVersion\\Common",
       "SOFTWARE\\Kelvane\\Quorbit\\Launcher\\CurrentVersion\\Common", H + "\\Launcher\\CurrentVersion\\Common",
       H + "\\Launcher\\CurrentVersion\\Common"},
  };
  for (const Case& c : cases) {
    ConfVarC* v = tree.find(c.key, c.name);
    ASSERT_NE(v, nullptr) << c.name;
    // Alternating, so that an alternate-hive path left in a plain cache
    // would show.
    EXPECT_EQ(v->keyPath(false).toUtf8(), c.plain) << c.name;
    EXPECT_EQ(v->keyPath(true).toUtf8(), c.hive) << c.name;
    EXPECT_EQ(v->legacyKeyPath(true).toUtf8(), c.hiveLegacy) << c.name;
    EXPECT_EQ(v->keyPath(false).toUtf8(), c.plain) << c.name;
    EXPECT_EQ(v->legacyKeyPath(false).toUtf8(), c.legacy) << c.name;
    EXPECT_EQ(v->legacyKeyPath(true).toUtf8(), c.hiveLegacy) << c.name;
    EXPECT_EQ(v->fullPath(false).toUtf8(), c.plain + "\\" + c.name) << c.name;
    EXPECT_EQ(v->fullPath(true).toUtf8(), c.hive + "\\" + c.name) << c.name;
  }
  EXPECT_EQ(tree.keyNode(ConfKeyE::kSoftwareTarnwellCorp)->fullPath(false).toUtf8(), "SOFTWARE\\Tarnwell Corp");
  EXPECT_EQ(tree.keyNode(ConfKeyE::kTarnwell)->fullPath(true).toUtf8(), H);
  EXPECT_EQ(tree.keyNode(ConfKeyE::kVdiEndpointAgent)->fullPath(false).toUtf8(), kAgentKey);
  EXPECT_EQ(tree.keyNode(ConfKeyE::kNone), nullptr);
}

}  // namespace
