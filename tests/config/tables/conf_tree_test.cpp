// The declaration tables and the tree built from them: order, contents,
// lookups, the component map, the static defaults and the process's tree.
//
// The expected rows below are written out as the suite documents them, one
// row per line, and are never taken from the tables under test: a wrong
// name, default, flag or suffix in a table fails here.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "config/registry/conf_var_int32.h"
#include "config/registry/conf_var_string.h"
#include "config/tables/component_table.h"
#include "config/tables/conf_tree.h"
#include "config/tables/static_defaults.h"
#include "recording_registry.h"
#include "reg_fixture.h"
#include "test_clock.h"

namespace {

using namespace config_test;

std::string orEmpty(const char* text) { return text ? text : ""; }

// ---------------------------------------------------------------------------
// Key nodes.

// `parent` names the nearest node declared before this one with that name.
struct ExpectedKeyNodeX {
  const char* name;
  const char* parent;
  const char* legacyName;
  const char* attribute;
  bool hiveRoot;
};

constexpr const char* kNone = nullptr;

constexpr ExpectedKeyNodeX kExpectedKeyNodes[] = {
    {R"(SOFTWARE\Tarnwell Corp)", kNone, R"(SOFTWARE\Kelvane)", kNone, true},
    {"Tarnwell", R"(SOFTWARE\Tarnwell Corp)", "Quorbit", kNone, true},
    {"Common", "Tarnwell", kNone, kNone, false},
    {"InstallKeys", "Common", kNone, "Exclude", false},
    {"Rules", "Common", kNone, kNone, false},
    {"UploadSettings", "Common", kNone, "CopyAll", false},
    {"ReplicatorParent", "UploadSettings", kNone, kNone, false},
    {"DownloadSettings", "Common", kNone, "CopyAll", false},
    {R"(Launcher\CurrentVersion)", "Tarnwell", kNone, kNone, false},
    {"Common", R"(Launcher\CurrentVersion)", kNone, kNone, false},
    {"TrustedLocations", R"(Launcher\CurrentVersion)", kNone, "CopyAll", false},
    {"ExcludedLocations", R"(Launcher\CurrentVersion)", kNone, "CopyAll", false},
    {"Symbols", R"(Launcher\CurrentVersion)", kNone, "CopyAll", false},
    {R"(NetSelector\CurrentVersion)", "Tarnwell", R"(NetSelector\5.0)", "CopyAll", false},
    {R"(Policy Client\CurrentVersion)", "Tarnwell", R"(Policy Client\5.0)", "CopyAll", false},
    {R"(Schedule Agent\CurrentVersion)", "Tarnwell", R"(Schedule Agent\5.0)", kNone, false},
    {R"(Tracker\CurrentVersion)", "Tarnwell", kNone, "CopyAll", false},
    {"Downloader", "Tarnwell", kNone, kNone, false},
    {R"(Uploader\CurrentVersion)", "Tarnwell", R"(Uploader\5.0)", "CopyAll", false},
    {R"(RemoteExecution\CurrentVersion)", "Tarnwell", R"(RemoteExecution\5.0)", "CopyAll", false},
    {R"(Usage Agent\CurrentVersion)", "Tarnwell", R"(Usage Agent\5.0)", "CopyAll", false},
    {R"(VDI Endpoint Agent\CurrentVersion)", "Tarnwell", R"(VDI Endpoint Agent\5.0)", "CopyAll", false},
    {R"(Selector\CurrentVersion)", "Tarnwell", R"(Selector\5.0)", "CopyAll", false},
    {R"(Security Service\CurrentVersion)", "Tarnwell", kNone, kNone, false},
    {R"(Security Agent\CurrentVersion)", "Tarnwell", kNone, kNone, false},
    {R"(System Status Agent\CurrentVersion)", "Tarnwell", kNone, kNone, false},
};

// The index of the node `parent` of expected row `row`: the last row before
// it with that name; -1 for none.
int expectedParentIndex(size_t row) {
  const char* parent = kExpectedKeyNodes[row].parent;
  if (!parent) return -1;
  for (size_t i = row; i-- > 0;)
    if (std::string(kExpectedKeyNodes[i].name) == parent) return static_cast<int>(i);
  ADD_FAILURE() << "no node " << parent << " before " << kExpectedKeyNodes[row].name;
  return -2;
}

// ---------------------------------------------------------------------------
// Variables.

constexpr ConfVarC::TypeCode kStr = ConfVarC::kString;
constexpr ConfVarC::TypeCode kBool = ConfVarC::kBoolean;
constexpr ConfVarC::TypeCode kInt = ConfVarC::kInt32;

// `defaultText`: a string's default ("" for none), "true"/"false" for a
// boolean, the decimal default of an integer. `minimum` and `maximum` are
// checked for integers only.
struct ExpectedVariableX {
  const char* name;
  ConfVarC::TypeCode type;
  const char* defaultText;
  uint32_t flags;
  int32_t minimum;
  int32_t maximum;
  const char* overrideName;
  const char* attribute;
};

// A registry where both alternate hives are set, so that every variable of
// a tree built over it keeps the flags it was declared with.
constexpr const char* kPolicies = R"(SOFTWARE\Policies\Tarnwell Corp\Tarnwell)";

void importBothHives(RegFixtureC& registry) {
  registry.import(regText({"[HKEY_CURRENT_USER\\Software\\Tarnwell Corp\\Tarnwell\\Common]",
                           R"("UserAlternateRegistryHive"="SOFTWARE\\Policies\\Tarnwell Corp\\Tarnwell")",
                           "", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell Corp\\Tarnwell\\Common]",
                           R"("MachineAlternateRegistryHive"="SOFTWARE\\Policies\\Tarnwell Corp\\Tarnwell")"}));
}

std::string defaultTextOf(const ConfVarRowC& row) {
  switch (row.type) {
    case ConfVarC::kString:
      return orEmpty(row.text);
    case ConfVarC::kBoolean:
      return row.number == 1 ? "true" : row.number == 0 ? "false" : "boolean " + std::to_string(row.number);
    case ConfVarC::kInt32:
      return std::to_string(row.number);
    default:
      return "";
  }
}

std::string defaultTextOf(const ConfVarC& v) {
  switch (v.typeCode()) {
    case ConfVarC::kString:
      return static_cast<const ConfVarStringC&>(v).defaultValue().toUtf8();
    case ConfVarC::kBoolean:
      return static_cast<const ConfVarBooleanC&>(v).defaultValue() ? "true" : "false";
    case ConfVarC::kInt32:
      return std::to_string(static_cast<const ConfVarInt32C&>(v).defaultValue());
    default:
      return "";
  }
}

// The variables declared in `key` (a node named `nodeName` below
// `parentName`) are exactly `expected`, in that order: both the table rows
// and the objects of a tree built from them.
void expectDeclared(ConfKeyE key, const char* nodeName, const char* parentName,
                    std::span<const ExpectedVariableX> expected) {
  RegFixtureC registry;
  importBothHives(registry);
  RecordingRegistryC recorder;
  ConfTreeC tree(&recorder, &TestClockC::read);
  const ConfVarC* node = tree.keyNode(key);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->name().toUtf8(), nodeName);
  ASSERT_NE(node->parent(), nullptr);
  EXPECT_EQ(node->parent()->name().toUtf8(), parentName);

  std::vector<const ConfVarRowC*> rows;
  for (const ConfVarRowC& row : confVarRows())
    if (row.key == key) rows.push_back(&row);
  ASSERT_EQ(rows.size(), expected.size()) << nodeName;
  for (size_t i = 0; i < expected.size(); ++i) {
    const ExpectedVariableX& want = expected[i];
    const ConfVarRowC& row = *rows[i];
    SCOPED_TRACE(std::string("row ") + std::to_string(i) + " " + want.name);
    EXPECT_EQ(orEmpty(row.name), want.name);
    EXPECT_EQ(row.type, want.type);
    EXPECT_EQ(defaultTextOf(row), want.defaultText);
    EXPECT_EQ(row.flags, want.flags);
    if (want.type == ConfVarC::kInt32) {
      EXPECT_EQ(row.minimum, want.minimum);
      EXPECT_EQ(row.maximum, want.maximum);
    }
    EXPECT_EQ(orEmpty(row.overrideName), orEmpty(want.overrideName));
    EXPECT_EQ(orEmpty(row.envName), "");
    EXPECT_EQ(orEmpty(row.attribute), orEmpty(want.attribute));
  }

  std::vector<const ConfVarC*> built;
  for (const auto& object : tree.objects())
    if (object->parent() == node && object->typeCode() != ConfVarC::kKeyNode) built.push_back(object.get());
  ASSERT_EQ(built.size(), expected.size()) << nodeName;
  for (size_t i = 0; i < expected.size(); ++i) {
    const ExpectedVariableX& want = expected[i];
    const ConfVarC& v = *built[i];
    SCOPED_TRACE(std::string("object ") + std::to_string(i) + " " + want.name);
    EXPECT_EQ(v.name().toUtf8(), want.name);
    EXPECT_EQ(v.typeCode(), want.type);
    EXPECT_EQ(defaultTextOf(v), want.defaultText);
    EXPECT_EQ(v.flags(), want.flags);
    EXPECT_EQ(v.altHivePath().toUtf8(), kPolicies);
    if (want.type == ConfVarC::kInt32) {
      EXPECT_EQ(static_cast<const ConfVarInt32C&>(v).minimum(), want.minimum);
      EXPECT_EQ(static_cast<const ConfVarInt32C&>(v).maximum(), want.maximum);
    }
    EXPECT_EQ(v.overrideName().toUtf8(), orEmpty(want.overrideName));
    EXPECT_EQ(v.envName().toUtf8(), "");
    EXPECT_EQ(v.attribute().toUtf8(), orEmpty(want.attribute));
    EXPECT_EQ(tree.find(key, want.name), &v);
  }
}

// ---------------------------------------------------------------------------

TEST(ConfTreeC, TheKeyNodesAreDeclaredInOrderWithTheirParentsLegacyNamesAndAttributes) {
  constexpr size_t kNodes = std::size(kExpectedKeyNodes);
  static_assert(kNodes == 26);

  // The table rows.
  const auto rows = confKeyRows();
  ASSERT_EQ(rows.size(), kNodes);
  for (size_t i = 0; i < kNodes; ++i) {
    const ExpectedKeyNodeX& want = kExpectedKeyNodes[i];
    SCOPED_TRACE(std::string("row ") + std::to_string(i) + " " + want.name);
    EXPECT_EQ(static_cast<size_t>(rows[i].key), i);
    EXPECT_EQ(orEmpty(rows[i].name), want.name);
    EXPECT_EQ(static_cast<int>(rows[i].parent), expectedParentIndex(i));
    EXPECT_EQ(orEmpty(rows[i].legacyName), orEmpty(want.legacyName));
    EXPECT_EQ(orEmpty(rows[i].attribute), orEmpty(want.attribute));
    EXPECT_EQ(rows[i].isHiveRoot, want.hiveRoot);
  }

  // The tree: every node built before the objects below it, in this order.
  RegFixtureC registry;
  RecordingRegistryC recorder;
  ConfTreeC tree(&recorder, &TestClockC::read);
  std::set<const ConfVarC*> built;
  std::vector<const ConfVarC*> nodes;
  for (const auto& object : tree.objects()) {
    if (object->parent()) {
      EXPECT_TRUE(built.count(object->parent())) << object->name().toUtf8();
    }
    built.insert(object.get());
    if (object->typeCode() == ConfVarC::kKeyNode) nodes.push_back(object.get());
  }
  ASSERT_EQ(nodes.size(), kNodes);
  for (size_t i = 0; i < kNodes; ++i) {
    const ExpectedKeyNodeX& want = kExpectedKeyNodes[i];
    const ConfVarC& node = *nodes[i];
    SCOPED_TRACE(std::string("node ") + std::to_string(i) + " " + want.name);
    EXPECT_EQ(tree.keyNode(static_cast<ConfKeyE>(i)), &node);
    EXPECT_EQ(node.name().toUtf8(), want.name);
    const int parent = expectedParentIndex(i);
    EXPECT_EQ(node.parent(), parent < 0 ? nullptr : nodes[static_cast<size_t>(parent)]);
    EXPECT_EQ(node.legacyName().toUtf8(), orEmpty(want.legacyName));
    EXPECT_EQ(node.attribute().toUtf8(), orEmpty(want.attribute));
    EXPECT_EQ(node.isHiveRoot(), want.hiveRoot);
  }
  EXPECT_EQ(tree.keyNode(ConfKeyE::kNone), nullptr);
  EXPECT_EQ(tree.keyNode(ConfKeyE::kCount), nullptr);
}

TEST(ConfTreeC, OnlyTheSixNodesOfThisAgentAndTheSharedKeysDeclareVariables) {
  RegFixtureC registry;
  RecordingRegistryC recorder;
  ConfTreeC tree(&recorder, &TestClockC::read);
  const std::set<const ConfVarC*> declaring = {
      tree.keyNode(ConfKeyE::kTarnwell),         tree.keyNode(ConfKeyE::kCommon),
      tree.keyNode(ConfKeyE::kRules),            tree.keyNode(ConfKeyE::kReplicatorParent),
      tree.keyNode(ConfKeyE::kLauncherCommon),   tree.keyNode(ConfKeyE::kVdiEndpointAgent)};
  size_t variables = 0;
  for (const auto& object : tree.objects()) {
    if (object->typeCode() == ConfVarC::kKeyNode) continue;
    ++variables;
    EXPECT_TRUE(declaring.count(object->parent())) << object->name().toUtf8();
  }
  EXPECT_EQ(variables, 5u + 35u + 7u + 2u + 1u + 9u);
  EXPECT_EQ(confVarRows().size(), variables);
}

TEST(ConfTreeC, TheVariablesOfTarnwell) {
  constexpr ExpectedVariableX kExpected[] = {
      {"ETCPInstallDir", kStr, "", 0xD8, 0, 0, kNone, "Exclude"},
      {"ETCPVersion", kStr, "", 0xD8, 0, 0, kNone, "Exclude"},
      {"ETDPInstallDir", kStr, "", 0xD8, 0, 0, kNone, "Exclude"},
      {"ETDPVersion", kStr, "", 0xD8, 0, 0, kNone, "Exclude"},
      {"InstallDir", kStr, "", 0xD8, 0, 0, kNone, "Exclude"},
  };
  static_assert(std::size(kExpected) == 5);
  expectDeclared(ConfKeyE::kTarnwell, "Tarnwell", R"(SOFTWARE\Tarnwell Corp)", kExpected);
}

TEST(ConfTreeC, TheVariablesOfCommon) {
  constexpr ExpectedVariableX kExpected[] = {
      {"MachineId", kStr, "$(MachineName)", 0xDA, 0, 0, kNone, kNone},
      {"UserId", kStr, "$(UserName)", 0xDA, 0, 0, kNone, kNone},
      {"BeaconUID", kStr, "", 0xD8, 0, 0, kNone, kNone},
      {"ShowIcon", kBool, "false", 0xDA, 0, 0, kNone, kNone},
      {"UserInteractionLevel", kStr, "Status", 0xDA, 0, 0, kNone, kNone},
      {"EventLogs", kBool, "true", 0xDA, 0, 0, kNone, kNone},
      {"ComputerDomain", kStr, "$(OSComputerDomain)", 0xDA, 0, 0, kNone, kNone},
      {"UserLogonDomain", kStr, "$(OSUserLogonDomain)", 0xDA, 0, 0, kNone, kNone},
      {"MachineAlternateRegistryHive", kStr, R"(SOFTWARE\Policies\Tarnwell Corp\Tarnwell)", 0xDA, 0, 0, kNone, kNone},
      {"UserAlternateRegistryHive", kStr, R"(SOFTWARE\Policies\Tarnwell Corp\Tarnwell)", 0xDA, 0, 0, kNone, kNone},
      {"CheckCertificateRevocation", kBool, "true", 0xDA, 0, 0, kNone, kNone},
      {"CheckServerCertificate", kBool, "true", 0xDA, 0, 0, kNone, kNone},
      {"AnalyseMSSECURE", kBool, "true", 0xDA, 0, 0, kNone, kNone},
      {"OfficeConvertPath", kStr, R"($(ProgramFiles)\Microsoft Baseline Security Analyser\OfficeUpd\convert.exe)", 0xDA, 0, 0, kNone, kNone},
      {"RerunMBSAScanAfterPolicy", kBool, "true", 0xDA, 0, 0, kNone, kNone},
      {"OfficeInventoryPath", kStr, R"($(ProgramFiles)\Microsoft Baseline Security Analyser\OfficeUpd\inventory.exe)", 0xDA, 0, 0, kNone, kNone},
      {"UserUploadDirectory", kStr, "", 0xD8, 0, 0, kNone, kNone},
      {"MachineUploadDirectory", kStr, "", 0xD8, 0, 0, kNone, kNone},
      {"UploadDirectory", kStr, "", 0xD8, 0, 0, kNone, kNone},
      {"AllowPeerToPeer", kBool, "false", 0xDA, 0, 0, kNone, kNone},
      {"IgnoreConnectionWindows", kBool, "false", 0xFA, 0, 0, "IgnoreConnectionWindows", kNone},
      {"ParentConnectionWindows", kStr, "", 0xDA, 0, 0, kNone, kNone},
      {"PeerConnectionWindows", kStr, "", 0xDA, 0, 0, kNone, kNone},
      {"ParentActivityTimeout", kInt, "300", 0xDA, 0, 7200, kNone, kNone},
      {"PolicyRefreshPeriod", kInt, "0", 0xDA, 0, 1000000000, kNone, kNone},
      {"PolicyPackageRefreshPeriod", kInt, "0", 0xDA, 0, 1000000000, kNone, kNone},
      {"NetworkTimeout", kInt, "30", 0xDA, 0, 2147483647, kNone, kNone},
      {"NetworkHighUsage", kInt, "100", 0xDA, 0, 100, kNone, kNone},
      {"NetworkLowUsage", kInt, "100", 0xDA, 0, 100, kNone, kNone},
      {"NetworkSense", kBool, "false", 0xDA, 0, 0, kNone, kNone},
      {"ScriptDir", kStr, R"($(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\Scripts)", 0xDA, 0, 0, kNone, kNone},
      {"PackageDatabasePath", kStr, R"($(CommonAppDataFolder)\\Cache\\packagedb.cdb)", 0xDA, 0, 0, kNone, kNone},
      {"PackageDatabaseTypes", kStr, "", 0xDA, 0, 0, kNone, kNone},
      {"MinimumDCSpeed", kInt, "0", 0xDA, 0, 1000000000, kNone, kNone},
      {"AutoDetectDC", kBool, "true", 0xDA, 0, 0, kNone, kNone},
  };
  static_assert(std::size(kExpected) == 35);
  expectDeclared(ConfKeyE::kCommon, "Common", "Tarnwell", kExpected);
}

TEST(ConfTreeC, TheVariablesOfRules) {
  constexpr ExpectedVariableX kExpected[] = {
      {"Log", kStr, "$(ServerLocation)/Logs/$(MachineId) at $(Datetime)_$(GUID).log", 0xDA, 0, 0, kNone, kNone},
      {"Inventory", kStr, "$(ServerLocation)/Inventories/$(UserId) on $(MachineId) at $(DateTime) ($(Generation)).qbi", 0xDA, 0, 0, kNone, kNone},
      {"PolicyComplianceLog", kStr, "$(ServerLocation)/PolicyComplianceLogs/$(UserId) on $(MachineId) at $(DateTime).plc", 0xDA, 0, 0, kNone, kNone},
      {"ReplicateLog", kStr, "", 0xD8, 0, 0, kNone, kNone},
      {"UsageData", kStr, "$(ServerLocation)/UsageData/$(MachineId) at $(DateTime).mmi", 0xDA, 0, 0, kNone, kNone},
      {"SecurityAnalysis", kStr, "$(ServerLocation)/SecurityAnalysis/$(MachineId) at $(DataTime).msa", 0xDA, 0, 0, kNone, kNone},
      {"SecurityEventLog", kStr, "$(ServerLocation)/SecurityEventLogs/$(MachineId)-$(DateTime)-$(GUID).msel", 0xDA, 0, 0, kNone, kNone},
  };
  static_assert(std::size(kExpected) == 7);
  expectDeclared(ConfKeyE::kRules, "Rules", "Common", kExpected);
}

TEST(ConfTreeC, TheVariablesOfReplicatorParent) {
  constexpr ExpectedVariableX kExpected[] = {
      {"Host", kStr, "", 0xD8, 0, 0, kNone, kNone},
      {"Directory", kStr, "", 0xD8, 0, 0, kNone, kNone},
  };
  static_assert(std::size(kExpected) == 2);
  expectDeclared(ConfKeyE::kReplicatorParent, "ReplicatorParent", "UploadSettings", kExpected);
}

TEST(ConfTreeC, TheVariableOfTheLauncherCommonNode) {
  constexpr ExpectedVariableX kExpected[] = {
      {"GlobalConfigSource", kStr, "", 0xDA, 0, 0, kNone, kNone},
  };
  static_assert(std::size(kExpected) == 1);
  expectDeclared(ConfKeyE::kLauncherCommon, "Common", R"(Launcher\CurrentVersion)", kExpected);
}

TEST(ConfTreeC, TheVariablesOfTheVdiEndpointAgent) {
  constexpr ExpectedVariableX kExpected[] = {
      {"Delay", kInt, "60", 0xDA, 0, 100000, kNone, kNone},
      {"LogFile", kStr, R"($(TempDirectory)\Tarnwell\vdi.log)", 0xDA, 0, 0, kNone, kNone},
      {"LogFileOld", kStr, R"($(TempDirectory)\Tarnwell\vdi.old.log)", 0xDA, 0, 0, kNone, kNone},
      {"LogFileSize", kInt, "4000000", 0xDA, 1, 1000000000, kNone, kNone},
      {"LogLevel", kStr, "A-z", 0xDA, 0, 0, kNone, kNone},
      {"UploadFile", kStr, "$(UserId) on $(MachineId) at $(DateTime)", 0xDA, 0, 0, kNone, kNone},
      {"VDIDirectory", kStr, R"($(CommonAppDataFolder)\Tarnwell Corp\Tarnwell\VDI Endpoint Agent\VDIData)", 0xDA, 0, 0, kNone, kNone},
      {"VDIExtension", kStr, "VDI", 0xDA, 0, 0, kNone, kNone},
      {"EnableVirtAppUsageTracking", kBool, "true", 0xDA, 0, 0, kNone, kNone},
  };
  static_assert(std::size(kExpected) == 9);
  expectDeclared(ConfKeyE::kVdiEndpointAgent, R"(VDI Endpoint Agent\CurrentVersion)", "Tarnwell", kExpected);
}

TEST(ConfTreeC, VariablesCarryTheirDeclaredFields) {
  RegFixtureC registry;
  RecordingRegistryC recorder;
  ConfTreeC tree(&recorder, &TestClockC::read);

  auto* delay = tree.find<ConfVarInt32C>(ConfKeyE::kVdiEndpointAgent, "delay");  // any case
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->name().toUtf8(), "Delay");
  EXPECT_EQ(delay->defaultValue(), 60);
  EXPECT_EQ(delay->minimum(), 0);
  EXPECT_EQ(delay->maximum(), 100000);
  EXPECT_EQ(tree.find<ConfVarBooleanC>(ConfKeyE::kVdiEndpointAgent, "Delay"), nullptr);  // not a boolean
  EXPECT_EQ(tree.find(ConfKeyE::kVdiEndpointAgent, "NoSuchValue"), nullptr);
  EXPECT_EQ(tree.find(ConfKeyE::kCommon, "Delay"), nullptr);  // declared elsewhere

  auto* installDir = tree.find<ConfVarStringC>(ConfKeyE::kTarnwell, "InstallDir");
  ASSERT_NE(installDir, nullptr);
  EXPECT_EQ(installDir->attribute().toUtf8(), "Exclude");
  EXPECT_EQ(installDir->flags(), 0x58u);  // 0xD8 without a hive
  auto* scriptDir = tree.find<ConfVarStringC>(ConfKeyE::kCommon, "ScriptDir");
  ASSERT_NE(scriptDir, nullptr);
  EXPECT_EQ(scriptDir->defaultValue().toUtf8(), "$(CommonAppDataFolder)\\\\Tarnwell Corp\\\\Tarnwell\\\\Scripts");

  ConfVarBooleanC& tracking = tree.enableVirtAppUsageTracking();
  EXPECT_EQ(&tracking, tree.find(ConfKeyE::kVdiEndpointAgent, "EnableVirtAppUsageTracking"));
  EXPECT_TRUE(tracking.defaultValue());
  EXPECT_EQ(tracking.typeCode(), ConfVarC::kBoolean);

  const ConfVarC& agent = *tree.keyNode(ConfKeyE::kVdiEndpointAgent);
  EXPECT_EQ(agent.legacyName().toUtf8(), "VDI Endpoint Agent\\5.0");
  EXPECT_EQ(agent.attribute().toUtf8(), "CopyAll");
  EXPECT_FALSE(agent.isHiveRoot());
  EXPECT_TRUE(tree.keyNode(ConfKeyE::kTarnwell)->isHiveRoot());

  // resetToDefault through the base class.
  auto* level = tree.find<ConfVarStringC>(ConfKeyE::kVdiEndpointAgent, "LogLevel");
  ASSERT_NE(level, nullptr);
  static_cast<ConfVarC*>(level)->resetToDefault();
  EXPECT_EQ(level->currentValue().toUtf8(), "A-z");
}

TEST(ComponentTable, NamesMapToTheirKeySuffixes) {
  struct ExpectedComponentX {
    const char* component;
    const char* keySuffix;
  };
  constexpr ExpectedComponentX kExpected[] = {
      {"Root", ""},
      {"Common", R"(\Common)"},
      {"Rules", R"(\Common\Rules)"},
      {"CommonDownloadSettings", R"(\Common\DownloadSettings)"},
      {"CommonUploadSettings", R"(\Common\UploadSettings)"},
      {"CommonRun", R"(\Common\Run)"},
      {"CommonRunOnce", R"(\Common\RunOnce)"},
      {"Relaunch", R"(\Relaunch\CurrentVersion)"},
      {"ListeningAgent", R"(\Listening Agent\CurrentVersion)"},
      {"MasterService", R"(\Master Service\CurrentVersion)"},
      {"InstallationAgent", R"(\Launcher\CurrentVersion)"},
      {"InventoryAgent", R"(\Tracker\CurrentVersion)"},
      {"UsageAgent", R"(\Usage Agent\CurrentVersion)"},
      {"VDIEndpointAgent", R"(\VDI Endpoint Agent\CurrentVersion)"},
      {"SchedulingAgent", R"(\Schedule Agent\CurrentVersion)"},
      {"PolicyAgent", R"(\Policy Client\CurrentVersion)"},
      {"PolicySDK", R"(\Policy SDK\CurrentVersion)"},
      {"UploadingAgent", R"(\Uploader\CurrentVersion)"},
      {"SelectionAgent", R"(\Selector\CurrentVersion)"},
      {"FailoverPlugin", R"(\NetSelector\CurrentVersion)"},
      {"DistributionAgent", R"(\Replication Agent\CurrentVersion)"},
      {"DistributionLocations", R"(\DeploymentLocations\CurrentVersion)"},
      {"WarehousePolicy", R"(\Policy\CurrentVersion)"},
      {"WarehousePolicyDistributor", R"(\Policy Distributor\CurrentVersion)"},
      {"WarehousePolicyMigrator", R"(\Policy Migrator\CurrentVersion)"},
      {"SecurityAgent", R"(\Security Agent\CurrentVersion)"},
      {"SecurityService", R"(\Security Service\CurrentVersion)"},
      {"RemoteExecution", R"(\RemoteExecution\CurrentVersion)"},
      {"PackageRetriever", R"(\PackageRetriever\CurrentVersion)"},
  };
  static_assert(std::size(kExpected) == 29);

  const auto rows = componentRows();
  ASSERT_EQ(rows.size(), std::size(kExpected));
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(std::string("row ") + std::to_string(i) + " " + kExpected[i].component);
    EXPECT_EQ(orEmpty(rows[i].component), kExpected[i].component);
    EXPECT_EQ(orEmpty(rows[i].keySuffix), kExpected[i].keySuffix);
  }
  for (const ExpectedComponentX& want : kExpected)
    EXPECT_EQ(componentKeySuffix(StringC::fromUtf8(want.component)).toUtf8(), want.keySuffix) << want.component;
  EXPECT_EQ(componentKeySuffix(StringC::fromUtf8("NoSuchComponent")).toUtf8(), "");
  EXPECT_EQ(componentKeySuffix(StringC::fromUtf8("vdiendpointagent")).toUtf8(), "");  // names compare exactly
}

// The rows whose texts the suite gives, in the order of its full table: a
// later row of the same name replaces an earlier one, and "LogFile" comes
// twice with the same text.
TEST(StaticDefaults, TheTellingRowsInTheirOrder) {
  struct ExpectedDefaultX {
    const char* name;
    const char* text;
  };
  constexpr ExpectedDefaultX kExpected[] = {
      {"NetworkTimeout", "30"},
      {"LogLevel", "A-z"},
      {"LogModules", "default"},
      {"LogType", "Auto"},
      {"LogFile", R"($(TempDirectory)\Tarnwell\launcher.log)"},
      {"LogFile", R"($(TempDirectory)\Tarnwell\launcher.log)"},
      {"LogFileOld", R"($(TempDirectory)\Tarnwell\launcher.old)"},
      {"LogFileSize", "4000000"},
      {"OS", "unknown"},
      {"OSVERSION", "0,0,0,0"},
      {"OSNAMES", "$(OS)"},
      {"TempDirectory", R"(C:\TEMP)"},
      {"WinDirectory", R"(C:\WINDOWS)"},
      {"SysDirectory", R"(C:\WINDOWS\SYSTEM)"},
      {"FontDirectory", R"(C:\WINDOWS\FONTS)"},
      {"ProgramPath", R"(C:\PROGRA~1\QUORBIT\LAUNCHER)"},
      {"ProgramFiles", R"(C:\PROGRA~1)"},
      {"TEMP", R"(C:\TEMP)"},
      {"WIN", R"(C:\WINDOWS)"},
      {"SYS", R"(C:\WINDOWS\SYSTEM)"},
      {"PROGFILES", R"(C:\PROGRA~1)"},
      {"ComputerDomain", "$(OSComputerDomain)"},
      {"UserLogonDomain", "$(OSUserLogonDomain)"},
      {"URLComputerDomain", "$(ComputerDomain)_domain/"},
      {"URLUserLogonDomain", "$(UserLogonDomain)_domain/"},
      {"PackageDatabasePath", R"($(CommonAppDataFolder)\cache\packagedb.cdb)"},
      {"PostponePath", R"($(ProgramPath)\tnwpostpone.exe)"},
  };
  static_assert(std::size(kExpected) == 27);

  const auto rows = staticDefaultRows();
  ASSERT_EQ(rows.size(), std::size(kExpected));
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(std::string("row ") + std::to_string(i) + " " + kExpected[i].name);
    EXPECT_EQ(orEmpty(rows[i].name), kExpected[i].name);
    EXPECT_EQ(orEmpty(rows[i].text), kExpected[i].text);
  }
}

TEST(ConfTreeC, TheProcessTreeIsBuiltOnFirstUseWithTheHivesOfThatMoment) {
  RegFixtureC registry;
  registry.import(regText({"[HKEY_CURRENT_USER\\Software\\Tarnwell Corp\\Tarnwell\\Common]",
                           R"("UserAlternateRegistryHive"="SOFTWARE\\Policies\\Tarnwell Corp\\Tarnwell")"}));
  ConfTreeC& tree = confTree();
  EXPECT_EQ(&tree, &confTree());
  EXPECT_EQ(tree.enableVirtAppUsageTracking().altHivePath().toUtf8(), "SOFTWARE\\Policies\\Tarnwell Corp\\Tarnwell");
}

}  // namespace
