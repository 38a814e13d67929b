// The search order: alternate hives and their choice, the legacy layout
// below a hive, the override table and the places each flag opens.
#include <gtest/gtest.h>

#include "agent_tree.h"
#include "config/registry/conf_var_boolean.h"
#include "config/tables/conf_tree.h"
#include "expected_trace.h"
#include "recording_registry.h"
#include "reg_fixture.h"
#include "test_clock.h"
#include "trace_capture.h"

namespace {

using namespace config_test;

const std::string kName = "EnableVirtAppUsageTracking";
const std::string kHiveAgentKey = kPolicyHive + "\\VDI Endpoint Agent\\CurrentVersion";
const std::string kHiveLegacyKey = kPolicyHive + "\\VDI Endpoint Agent\\5.0";

std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return out;
}

std::string hiveValue(const char* root, const char* valueName, const std::string& hive) {
  return regText({std::string("[") + root + "\\" + kHiveKey + "]",
                  "\"" + std::string(valueName) + "\"=\"" + escaped(hive) + "\""});
}

std::string value(const char* root, const std::string& key, const std::string& data) {
  return regText({std::string("[") + root + "\\" + key + "]", "\"" + kName + "\"=" + data});
}

std::string exists(const std::string& root, const std::string& key) { return "exists " + root + "\\" + key + "\\" + kName; }
std::string read(const std::string& root, const std::string& key) { return "read " + root + "\\" + key + "\\" + kName; }

class ConfVarSearch : public ::testing::Test {
 protected:
  RegFixtureC registry;
  RecordingRegistryC recorder;
  test_support::TraceCaptureC trace{registry.scratch().file("trace.log")};
};

TEST_F(ConfVarSearch, AUserAlternateHiveIsSearchedFirstInBothRoots) {
  registry.import(hiveValue("HKEY_CURRENT_USER", "UserAlternateRegistryHive", kPolicyHive));
  registry.import(value("HKEY_CURRENT_USER", kAgentKey, "\"YES\""));
  registry.import(value("HKEY_LOCAL_MACHINE", kHiveAgentKey, "\"NO\""));
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  EXPECT_EQ(v.flags(), 0xDAu);
  EXPECT_EQ(v.altHivePath().toUtf8(), kPolicyHive);
  recorder.forget();
  trace.newLines();

  EXPECT_FALSE(v.getValue());
  EXPECT_EQ(v.source(), ConfVarC::kSourceAltHive);
  EXPECT_EQ(recorder.calls(), (std::vector<std::string>{exists(kHKCU, kHiveAgentKey), exists(kHKCU, kHiveLegacyKey),
                                                        exists(kHKLM, kHiveAgentKey), read(kHKLM, kHiveAgentKey)}));
  EXPECT_EQ(trace.newLines(), (std::vector<std::string>{
                                  getHeader("boolean"),
                                  lookingFor(kName),
                                  searching(kHKCU, kHiveAgentKey, kName),
                                  failedToFind(kHKCU, kHiveAgentKey, kName),
                                  searching(kHKLM, kHiveAgentKey, kName),
                                  found(kHKLM, kHiveAgentKey, kName),
                                  getLine("Registry value EnableVirtAppUsageTracking=False"),
                              }));
}

TEST_F(ConfVarSearch, TheHiveOfAVariableComesFromTheReadersInTheirOrder) {
  struct Case {
    const char* what;
    const char* userFromUser;     // UserAlternateRegistryHive below HKCU (null: absent)
    const char* userFromMachine;  // the same below HKLM
    const char* machine;          // MachineAlternateRegistryHive below HKLM
    uint32_t flags;
    const char* hive;  // null: none, kFlagAltHive cleared
  };
  const Case cases[] = {
      {"user copy first", "U\\One", "U\\Two", "M", 0xDA, "U\\One"},
      {"machine-root user copy", nullptr, "U\\Two", "M", 0xDA, "U\\Two"},
      {"machine hive for a user variable", nullptr, nullptr, "M", 0xDA, "M"},
      {"machine hive for a machine variable", "U\\One", nullptr, "M", 0xCA, "M"},
      {"no machine hive for a machine variable", "U\\One", nullptr, nullptr, 0xCA, nullptr},
      {"none", nullptr, nullptr, nullptr, 0xDA, nullptr},
      {"empty user copy is ignored", "", "U\\Two", nullptr, 0xDA, "U\\Two"},
      {"trailing backslashes dropped", "U\\One\\\\", nullptr, nullptr, 0xDA, "U\\One"},
      {"only a backslash is no hive", "\\", nullptr, nullptr, 0xDA, nullptr},
  };
  for (const Case& c : cases) {
    registry.clear();
    if (c.userFromUser) registry.import(hiveValue("HKEY_CURRENT_USER", "UserAlternateRegistryHive", c.userFromUser));
    if (c.userFromMachine)
      registry.import(hiveValue("HKEY_LOCAL_MACHINE", "UserAlternateRegistryHive", c.userFromMachine));
    if (c.machine) registry.import(hiveValue("HKEY_LOCAL_MACHINE", "MachineAlternateRegistryHive", c.machine));
    AgentTreeC tree(recorder);
    ConfVarBooleanC v(tree.state, &tree.agent, nullptr, kName.c_str(), c.flags, nullptr, true);
    EXPECT_EQ(v.altHivePath().toUtf8(), c.hive ? c.hive : "") << c.what;
    EXPECT_EQ(v.flags(), c.hive ? c.flags : c.flags & ~ConfVarC::kFlagAltHive) << c.what;
  }
  const std::vector<std::string> lines = trace.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Configuring/Registry/Search: Ignoring empty alternate registry hive \"" + kHKCU + "\\" +
                          kHiveKey + "\\UserAlternateRegistryHive\"."),
            lines.end());
}

TEST_F(ConfVarSearch, AValueOnlyUnderTheLegacyKeyOfTheHiveIsFoundAndAFailedAttemptIsNeverRepeated) {
  const std::string hive = hiveValue("HKEY_CURRENT_USER", "UserAlternateRegistryHive", kPolicyHive);
  const std::string legacyValue = value("HKEY_LOCAL_MACHINE", kHiveLegacyKey, "\"NO\"");
  registry.import(hive);
  registry.import(legacyValue);
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  recorder.forget();
  trace.newLines();

  // First search: the legacy layout is tried once in each root, silently.
  EXPECT_FALSE(v.getValue());
  EXPECT_EQ(v.source(), ConfVarC::kSourceAltHive);
  EXPECT_EQ(v.foundKey().toUtf8(), kHiveLegacyKey);
  EXPECT_EQ(v.legacyState(ConfVarC::kUserSlot), ConfVarC::kLegacyNotFound);
  EXPECT_EQ(v.legacyState(ConfVarC::kMachineSlot), ConfVarC::kLegacyFound);
  EXPECT_EQ(recorder.calls(), (std::vector<std::string>{exists(kHKCU, kHiveAgentKey), exists(kHKCU, kHiveLegacyKey),
                                                        exists(kHKLM, kHiveAgentKey), exists(kHKLM, kHiveLegacyKey),
                                                        read(kHKLM, kHiveLegacyKey)}));
  EXPECT_EQ(trace.newLines(), (std::vector<std::string>{
                                  getHeader("boolean"),
                                  lookingFor(kName),
                                  searching(kHKCU, kHiveAgentKey, kName),
                                  failedToFind(kHKCU, kHiveAgentKey, kName),
                                  searching(kHKLM, kHiveAgentKey, kName),
                                  failedToFind(kHKLM, kHiveAgentKey, kName),
                                  getLine("Registry value EnableVirtAppUsageTracking=False"),
                              }));

  // Second: not again in the user root; in the machine root, traced.
  recorder.forget();
  TestClockC::advanceSeconds(6);
  EXPECT_FALSE(v.getValue());
  EXPECT_EQ(recorder.calls(), (std::vector<std::string>{exists(kHKCU, kHiveAgentKey), exists(kHKLM, kHiveAgentKey),
                                                        exists(kHKLM, kHiveLegacyKey), read(kHKLM, kHiveLegacyKey)}));
  const std::vector<std::string> second = trace.newLines();
  ASSERT_EQ(second.size(), 9u);
  EXPECT_EQ(second[6], searching(kHKLM, kHiveLegacyKey, kName));
  EXPECT_EQ(second[7], found(kHKLM, kHiveLegacyKey, kName));

  // The value goes: the machine root's legacy attempt fails and is final.
  registry.clear();
  registry.import(hive);
  recorder.forget();
  TestClockC::advanceSeconds(6);
  EXPECT_TRUE(v.getValue());
  EXPECT_EQ(v.source(), ConfVarC::kSourceDefault);
  EXPECT_EQ(v.legacyState(ConfVarC::kMachineSlot), ConfVarC::kLegacyNotFound);
  EXPECT_EQ(recorder.calls(), (std::vector<std::string>{exists(kHKCU, kHiveAgentKey), exists(kHKLM, kHiveAgentKey),
                                                        exists(kHKLM, kHiveLegacyKey), exists(kHKLM, kHiveLegacyKey),
                                                        exists(kHKCU, kAgentKey), exists(kHKLM, kAgentKey)}));

  // Even when it comes back, neither root's legacy layout is asked again.
  registry.import(legacyValue);
  recorder.forget();
  TestClockC::advanceSeconds(6);
  EXPECT_TRUE(v.getValue());
  EXPECT_EQ(recorder.calls(), (std::vector<std::string>{exists(kHKCU, kHiveAgentKey), exists(kHKLM, kHiveAgentKey),
                                                        exists(kHKCU, kAgentKey), exists(kHKLM, kAgentKey)}));
}

TEST_F(ConfVarSearch, TheOverrideTableAnswersBeforeTheRegistry) {
  registry.import(regText({"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell Corp\\Tarnwell\\Common]",
                           "\"IgnoreConnectionWindows\"=\"YES\""}));
  struct Case {
    const char* what;
    std::vector<const char*> entry;  // {"-"}: no entry
    bool expected;
    int32_t source;
    bool registryAsked;
  };
  const Case cases[] = {
      {"entry", {"TRUE", "ignored"}, true, ConfVarC::kSourceOverride, false},
      {"empty entry", {}, false, ConfVarC::kSourceOverride, false},
      {"no entry", {"-"}, true, ConfVarC::kSourceMachine, true},
  };
  for (const Case& c : cases) {
    ConfTreeC tree(&recorder, &TestClockC::read);
    StringArrayC values;
    for (const char* s : c.entry) values.add(StringC::fromUtf8(s));
    if (c.entry.size() != 1 || std::string(c.entry[0]) != "-")
      tree.state().addOverride(StringC::fromUtf8("IgnoreConnectionWindows"), &values);
    auto* v = tree.find<ConfVarBooleanC>(ConfKeyE::kCommon, "IgnoreConnectionWindows");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->overrideName().toUtf8(), "IgnoreConnectionWindows");
    recorder.forget();
    trace.newLines();
    EXPECT_EQ(v->getValue(), c.expected) << c.what;
    EXPECT_EQ(v->source(), c.source) << c.what;
    EXPECT_EQ(!recorder.calls().empty(), c.registryAsked) << c.what;
    if (!c.registryAsked) {
      EXPECT_EQ(trace.newLines(), std::vector<std::string>{getHeader("boolean")}) << c.what;
    }
  }
}

TEST_F(ConfVarSearch, EachFlagOpensItsPlacesInOrder) {
  struct Case {
    uint32_t flags;
    const char* name;
    std::vector<std::string> calls;
  };
  const std::string n = kName;
  const Case cases[] = {
      {ConfVarC::kFlagUserRoot, n.c_str(), {exists(kHKCU, kAgentKey)}},
      {ConfVarC::kFlagMachineRoot, n.c_str(), {exists(kHKLM, kAgentKey)}},
      {ConfVarC::kFlagRemote, n.c_str(), {exists(kHKLM, kAgentKey)}},  // no remote machine: the local one
      {ConfVarC::kFlagUserRoot | ConfVarC::kFlagMachineRoot, n.c_str(),
       {exists(kHKCU, kAgentKey), exists(kHKLM, kAgentKey)}},
      {0, n.c_str(), {}},
      {0xDA, "", {}},  // no value name: nothing to look for
  };
  for (const Case& c : cases) {
    AgentTreeC tree(recorder);
    ConfVarBooleanC v(tree.state, &tree.agent, nullptr, c.name, c.flags, nullptr, true);
    recorder.forget();
    EXPECT_TRUE(v.getValue()) << c.flags;
    EXPECT_EQ(v.source(), ConfVarC::kSourceDefault) << c.flags;
    EXPECT_EQ(recorder.calls(), c.calls) << c.flags;
  }
}

}  // namespace
