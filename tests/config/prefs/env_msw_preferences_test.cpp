// Loading preference variables from a component's normal and policy keys.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "agent_tree.h"
#include "config/prefs/env_msw_preferences.h"
#include "reg_fixture.h"
#include "trace_capture.h"

namespace {

using namespace config_test;

StringC S(const std::string& utf8) { return StringC::fromUtf8(utf8); }

const std::string kMachineAgent = "[HKEY_LOCAL_MACHINE\\" + kAgentKey + "]";
const std::string kMachinePolicy = "[HKEY_LOCAL_MACHINE\\" + kPolicyHive + "\\VDI Endpoint Agent\\CurrentVersion]";

// Declares "Servers" and "Hosts" lists, as an agent declares its options.
class AgentPrefsC : public EnvPreferencesC {
 public:
  using EnvPreferencesC::EnvPreferencesC;
  void findOption(env_EnvOptsC& out, const StringC& name) override {
    const bool list = name.equalsIgnoreCase(S("Servers")) || name.equalsIgnoreCase(S("Hosts"));
    out = env_EnvOptsC(name, list ? env_EnvOptsC::kMultiValued : 0);
  }
};

class RegistryLoad : public ::testing::Test {
 protected:
  std::string read(const char* name) { return prefs.value(S(name)).toUtf8(); }
  std::vector<std::string> list(const char* name) {
    std::unique_ptr<StringArrayC> l(prefs.getList(S(name), true));
    std::vector<std::string> out;
    for (const StringC& s : *l) out.push_back(s.toUtf8());
    return out;
  }
  tnw::Status loadAgent() { return loader.loadComponent(S("VDIEndpointAgent"), true, S(",;")); }

  RegFixtureC registry;
  env_EnvironmentC env;
  AgentPrefsC prefs{&env};
  EnvMSWPreferencesC loader{&env, &prefs};
};

TEST_F(RegistryLoad, TheKeysOfAComponent) {
  EXPECT_EQ(loader.normalKeyPath(S("VDIEndpointAgent"), true).toUtf8(),
            "HKLM\\Software\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion");
  EXPECT_EQ(loader.policyKeyPath(S("VDIEndpointAgent"), true).toUtf8(),
            "HKLM\\Software\\Policies\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion");
  EXPECT_EQ(loader.normalKeyPath(S("Root"), false).toUtf8(), "HKCU\\Software\\Tarnwell Corp\\Tarnwell");
  EXPECT_EQ(loader.normalKeyPath(S("NoSuchComponent"), true).toUtf8(), "HKLM\\Software\\Tarnwell Corp\\Tarnwell");
  prefs.set(S("Hive"), S("SOFTWARE\\Mine"), false);
  prefs.set(S("UserAlternateRegistryHive"), S("$(Hive)\\User"), false);
  EXPECT_EQ(loader.policyKeyPath(S("Common"), false).toUtf8(), "HKCU\\SOFTWARE\\Mine\\User\\Common");
}

TEST_F(RegistryLoad, ValuesOfEveryTypeAndLists) {
  registry.import(regText({kMachineAgent, R"("Delay"=dword:0000002a)", R"("LogFile"="$(TempDirectory)\\a.log")",
                           R"("Expand"=hex(2):25,00,54,00,25,00,00,00)",
                           R"("Servers"="a;b,c")", R"("Hosts"=hex(7):68,00,31,00,00,00,68,00,32,00,00,00,00,00)",
                           R"("Multi"=hex(7):78,00,00,00,79,00,00,00,00,00)", R"("EmptyList"="")",
                           R"("Binary"=hex:01,02)"}));
  prefs.set(S("TempDirectory"), S("C:\\T"), false);
  EXPECT_EQ(loadAgent(), tnw::kFail);  // the binary value
  EXPECT_EQ(read("Delay"), "42");
  EXPECT_EQ(read("LogFile"), "C:\\T\\a.log");
  EXPECT_EQ(read("Expand"), "%T%");
  EXPECT_EQ(list("Servers"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(list("Hosts"), (std::vector<std::string>{"h1", "h2"}));
  EXPECT_EQ(read("Multi"), "x;y");  // single-valued: joined
  EXPECT_TRUE(prefs.exists(S("EmptyList")));
  EXPECT_FALSE(prefs.exists(S("Binary")));
}

TEST_F(RegistryLoad, ListsSplitAtTheGivenSeparatorsOnly) {
  registry.import(regText({kMachineAgent, R"("Servers"="a;b,c")"}));
  loader.loadComponent(S("VDIEndpointAgent"), true, S(""));
  EXPECT_EQ(list("Servers"), (std::vector<std::string>{"a;b,c"}));
  prefs.remove(S("Servers"));
  loader.loadComponent(S("VDIEndpointAgent"), true, S(","));
  EXPECT_EQ(list("Servers"), (std::vector<std::string>{"a;b", "c"}));
}

TEST_F(RegistryLoad, PolicyValuesComeAfterNormalOnes) {
  registry.import(regText({kMachineAgent, R"("Delay"="10")", R"("LogLevel"="G0")", "", kMachinePolicy,
                           R"("Delay"="20")", R"("Servers"="p")"}));
  EXPECT_EQ(loadAgent(), tnw::kOk);
  EXPECT_EQ(read("Delay"), "20");
  EXPECT_EQ(read("LogLevel"), "G0");
  EXPECT_EQ(list("Servers"), (std::vector<std::string>{"p"}));
}

TEST_F(RegistryLoad, AFixedNormalValueHoldsAgainstThePolicy) {
  registry.import(regText({kMachineAgent, R"("Delay"="10")", R"("DelayFixed"="True")", "", kMachinePolicy,
                           R"("Delay"="20")", R"("DelayFixed"="False")"}));
  loadAgent();
  // The policy's own companion is forced in; its value was refused before.
  EXPECT_EQ(read("Delay"), "10");
  EXPECT_EQ(read("DelayFixed"), "False");
}

TEST_F(RegistryLoad, CompanionsAreReadWithTheirValueOnly) {
  registry.import(regText({kMachineAgent, R"("ShowIconFixed"="True")", R"("ShowIcon"="False")",
                           R"("OrphanFxd"="Yes")", R"("LogFileFxd"="Yes")", R"("LogFile"="x.log")"}));
  prefs.set(S("ShowIcon"), S("True"), false);
  loadAgent();
  EXPECT_EQ(read("ShowIcon"), "False");       // set before its companion fixed it
  EXPECT_EQ(read("ShowIconFixed"), "True");   // read with ShowIcon
  EXPECT_EQ(read("LogFileFxd"), "Yes");
  EXPECT_FALSE(prefs.exists(S("OrphanFxd")));  // never a variable of its own
  prefs.set(S("ShowIcon"), S("True"), false);
  EXPECT_EQ(read("ShowIcon"), "False");
  loadAgent();  // a second load: the companion now fixes ShowIcon before its read
  EXPECT_EQ(read("LogFile"), "x.log");
}

TEST_F(RegistryLoad, OneValueOfAComponentAndMissingKeys) {
  registry.import(regText({"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell Corp\\Tarnwell\\Common\\Rules]",
                           R"("VdiAccess"="$(ServerLocation)/x;y")", R"("Log"="other")"}));
  EXPECT_EQ(loader.loadComponentValue(S("Rules"), true, S("VdiAccess"), S("")), tnw::kOk);
  prefs.setUnknownAsEmpty(false);
  EXPECT_EQ(read("VdiAccess"), "$(ServerLocation)/x;y");
  EXPECT_FALSE(prefs.exists(S("Log")));
  EXPECT_EQ(loader.loadComponent(S("UsageAgent"), false, S(",;")), tnw::kOk);  // neither key exists
  EXPECT_EQ(loader.loadKeyPath(S("HKCR\\Software"), S("")), tnw::kInvalidArg);
  EXPECT_EQ(loader.loadKeyPath(S("HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell Corp\\Tarnwell\\Common\\Rules"), S("")),
            tnw::kOk);
  EXPECT_EQ(read("Log"), "other");
}

TEST_F(RegistryLoad, ALoaderWithoutTargetFillsItself) {
  registry.import(regText({kMachineAgent, R"("Delay"="7")"}));
  EnvMSWPreferencesC self(&env);
  self.loadComponent(S("VDIEndpointAgent"), true, S(",;"));
  EXPECT_EQ(&self.target(), &self);
  EXPECT_EQ(read("Delay"), "7");
}

TEST_F(RegistryLoad, ARefusedSetIsTraced) {
  test_support::TraceCaptureC trace(registry.scratch().file("trace.log"), "Configuring/Preferences");
  registry.import(regText({kMachineAgent, R"("Delay"="10")"}));
  prefs.set(S("DelayFxd"), S("Yes"), true);
  loadAgent();
  const std::vector<std::string> lines = trace.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Configuring/Preferences: Delay is fixed: the set to \"10\" is refused"),
            lines.end());
}

}  // namespace
