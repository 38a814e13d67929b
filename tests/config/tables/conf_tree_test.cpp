// The declaration tables and the tree built from them: order, contents,
// lookups, the component map, the static defaults and the process's tree.
#include <gtest/gtest.h>

#include <map>
#include <set>

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

TEST(ConfTreeC, EveryKeyNodeComesBeforeItsVariablesAndTheTablesOrderIsKept) {
  RegFixtureC registry;
  RecordingRegistryC recorder;
  ConfTreeC tree(&recorder, &TestClockC::read);
  std::set<const ConfVarC*> built;
  std::vector<std::string> nodes;
  std::vector<std::string> variables;
  std::map<const ConfVarC*, int> perNode;
  for (const auto& object : tree.objects()) {
    if (object->parent()) {
      EXPECT_TRUE(built.count(object->parent())) << object->name().toUtf8();
    }
    built.insert(object.get());
    if (object->typeCode() == ConfVarC::kKeyNode) {
      nodes.push_back(object->name().toUtf8());
    } else {
      variables.push_back(object->name().toUtf8());
      ++perNode[object->parent()];
    }
  }
  std::vector<std::string> nodeRows, variableRows;
  for (const ConfKeyRowC& row : confKeyRows()) nodeRows.push_back(row.name);
  for (const ConfVarRowC& row : confVarRows()) variableRows.push_back(row.name);
  EXPECT_EQ(nodes, nodeRows);
  EXPECT_EQ(variables, variableRows);
  EXPECT_EQ(nodes.size(), 26u);

  const std::pair<ConfKeyE, int> counts[] = {{ConfKeyE::kTarnwell, 5},         {ConfKeyE::kCommon, 35},
                                             {ConfKeyE::kRules, 7},            {ConfKeyE::kReplicatorParent, 2},
                                             {ConfKeyE::kLauncherCommon, 1},   {ConfKeyE::kVdiEndpointAgent, 9}};
  for (const auto& [key, count] : counts) EXPECT_EQ(perNode[tree.keyNode(key)], count) << static_cast<int>(key);
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
  EXPECT_EQ(componentRows().size(), 29u);
  for (const ComponentRowC& row : componentRows())
    EXPECT_EQ(componentKeySuffix(StringC::fromUtf8(row.component)).toUtf8(), row.keySuffix) << row.component;
  EXPECT_EQ(componentKeySuffix(StringC::fromUtf8("VDIEndpointAgent")).toUtf8(), "\\VDI Endpoint Agent\\CurrentVersion");
  EXPECT_EQ(componentKeySuffix(StringC::fromUtf8("Root")).toUtf8(), "");
  EXPECT_EQ(componentKeySuffix(StringC::fromUtf8("NoSuchComponent")).toUtf8(), "");
}

TEST(StaticDefaults, RowsKeepTheirOrderAndALaterRowReplacesAnEarlierOne) {
  std::map<std::string, std::string> stored;
  std::vector<std::string> names;
  for (const StaticDefaultRowC& row : staticDefaultRows()) {
    stored[row.name] = row.text;
    names.push_back(row.name);
  }
  EXPECT_EQ(stored["TempDirectory"], "C:\\TEMP");
  EXPECT_EQ(stored["LogFile"], "$(TempDirectory)\\Tarnwell\\launcher.log");
  EXPECT_EQ(stored["URLComputerDomain"], "$(ComputerDomain)_domain/");
  EXPECT_EQ(std::count(names.begin(), names.end(), "LogFile"), 2);
  auto at = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
  EXPECT_LT(at("NetworkTimeout"), at("LogLevel"));
  EXPECT_LT(at("OSNAMES"), at("TempDirectory"));
  EXPECT_LT(at("PackageDatabasePath"), at("PostponePath"));
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
