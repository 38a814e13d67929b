#include "plugin/prefs/vdi_endpoint_ag_prefs.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config/prefs/env_environment.h"
#include "log/log_manager.h"
#include "platform/system_facts.h"
#include "runtime/services/common_services.h"
#include "agent_log.h"
#include "test_support.h"

namespace {

const char* const kAgentKey = "SOFTWARE\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion";

class AgentPrefs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::AgentLogC::instance(); }
  // The agent's key is set through the machine's registry: on Windows the
  // real one, which outlives the test, so it is cleared before and after.
  void SetUp() override {
    test_support::setEnv("TNW_MACHINE_ROOT", machine.path());
    test_support::writeFile(machine.file("registry/00-empty.reg"), "Windows Registry Editor Version 5.00\r\n");
    test_support::removeMachineKey(kAgentKey);
    common_services::registryContext()->reload();
    newLogMessages();
  }
  void TearDown() override {
    test_support::removeMachineKey(kAgentKey);
    common_services::overrideErrorService(nullptr, false);
  }

  // What this test added to the shared log: the message part of each line.
  static std::vector<std::string> newLogMessages() { return test_support::AgentLogC::instance().newMessages(); }
  std::string raw(VDIEndpointAgPrefs& p, const char* name) {
    StringC out;
    p.get(out, StringC::fromUtf8(name), false);
    return out.toUtf8();
  }
  std::string read(VDIEndpointAgPrefs& p, const char* name) { return p.value(StringC::fromUtf8(name)).toUtf8(); }

  test_support::TempDirC machine;
  env_EnvironmentC env;
};

const char* const kPath[] = {"C:\\Program Files\\Tarnwell\\vdiendpoint.dll"};

TEST_F(AgentPrefs, WithNothingConfiguredTheDefaultsAndDerivationsHold) {
  VDIEndpointAgPrefs p(StringC::fromUtf8("1.2.3.4"), &env);
  EXPECT_EQ(p.loadPreferences(1, kPath), 0);
  EXPECT_EQ(raw(p, "VDIFile"), "$(MachineId)_$(DateTime).vdi");
  EXPECT_EQ(raw(p, "VdiAccess"), "$(ServerLocation)/VdiAccess/$(UserId) on $(MachineId) $(DateTime).vdi");
  // Derived from the target as a template: the session's user and each
  // document's date-time fill it in at the upload.
  EXPECT_EQ(raw(p, "UploadFile"), "$(UserId) on $(MachineId) $(DateTime).vdi");
  EXPECT_EQ(raw(p, "VDIExtension"), "vdi");
  EXPECT_EQ(raw(p, "Upload"), "True");
  EXPECT_EQ(raw(p, "Delay"), "60");
  EXPECT_EQ(raw(p, "Disabled"), "False");
  EXPECT_EQ(raw(p, "LowProfile"), "True");
  EXPECT_EQ(raw(p, "DateTimeFormat"), "%Y%m%dT%H%M%S");
  EXPECT_EQ(raw(p, "Version"), "1.2.3.4");
  EXPECT_EQ(raw(p, "UploadPeriod"), "60");
  // The agent's section's declared defaults, not the suite-wide launcher log.
  EXPECT_EQ(raw(p, "LogFile"), "$(TempDirectory)\\Tarnwell\\vdi.log");
  EXPECT_EQ(raw(p, "VDIDirectory"), "$(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\VDIData");
  EXPECT_EQ(read(p, "MachineId"), read(p, "ComputerName"));
  EXPECT_FALSE(read(p, "MachineId").empty());
  EXPECT_TRUE(newLogMessages().empty());  // nothing invalid, nothing logged
}

TEST_F(AgentPrefs, RegistryValuesReplaceDefaultsAndArgumentsReplaceBoth) {
  test_support::setMachineDword(kAgentKey, "Delay", 15);
  test_support::setMachineString(kAgentKey, "VDIFile", "from the registry.vdi");
  test_support::setMachineString(kAgentKey, "UploadLocation", "registry");
  common_services::registryContext()->reload();
  VDIEndpointAgPrefs p(StringC::fromUtf8("1.0"), &env);
  const char* const argv[] = {"agent", "-x", "-oUploadLocation=there", "-o", "NoEqualsSign", "-o"};
  EXPECT_EQ(p.loadPreferences(6, argv), 0);
  EXPECT_EQ(read(p, "Delay"), "15");
  EXPECT_EQ(read(p, "VDIFile"), "from the registry.vdi");
  EXPECT_EQ(read(p, "UploadLocation"), "there");  // the argument over the registry
}

TEST_F(AgentPrefs, UploadFileComesFromTheUploadTarget) {
  struct Case {
    const char* target;
    const char* uploadFile;
    const char* extension;
  } cases[] = {
      {"\\\\server\\share\\report.dat", "report.dat", "dat"},
      {"$(ServerLocation)/inbox/plain", "plain.vdi", "vdi"},
  };
  for (const auto& c : cases) {
    env_EnvironmentC fresh;
    VDIEndpointAgPrefs p(StringC::fromUtf8("1.0"), &fresh);
    const std::string access = std::string("VdiAccess=") + c.target;
    const char* const argv[] = {"agent", "-o", access.c_str(), "-o", "UploadLocation=set"};
    EXPECT_EQ(p.loadPreferences(5, argv), 0);
    EXPECT_EQ(raw(p, "UploadFile"), c.uploadFile) << c.target;
    EXPECT_EQ(raw(p, "VDIExtension"), c.extension) << c.target;
  }
}

TEST_F(AgentPrefs, ValidationRepairsAndLogs) {
  struct Case {
    const char* name;
    const char* given;
    const char* after;
    const char* logged;
  } cases[] = {
      {"Disabled", "maybe", "True", "ERROR: Preference 'Disabled' is invalid: must be boolean value"},
      {"Disabled", "No", "No", nullptr},
      {"UploadPeriod", "0", "60", "ERROR: Preference 'UploadPeriod' is invalid: must be a number greater than 0"},
      {"UploadPeriod", "-5", "60", "ERROR: Preference 'UploadPeriod' is invalid: must be a number greater than 0"},
      {"UploadPeriod", "90", "90", nullptr},
      {"UploadPeriod", "0x10", "0x10", nullptr},
  };
  for (const auto& c : cases) {
    newLogMessages();
    env_EnvironmentC fresh;
    VDIEndpointAgPrefs p(StringC::fromUtf8("1.0"), &fresh);
    p.setDefaults();
    p.set(StringC::fromUtf8(c.name), StringC::fromUtf8(c.given), false);
    EXPECT_EQ(p.validate(), 0);
    EXPECT_EQ(raw(p, c.name), c.after) << c.name << "=" << c.given;
    const auto logged = newLogMessages();
    if (c.logged) {
      ASSERT_EQ(logged.size(), 1u) << c.name << "=" << c.given;
      EXPECT_EQ(logged[0], c.logged);
    } else {
      EXPECT_TRUE(logged.empty()) << c.name << "=" << c.given << ": " << logged.front();
    }
  }
}

TEST_F(AgentPrefs, FindOptionKnowsTheTableAndMakesTheRest) {
  VDIEndpointAgPrefs p(StringC::fromUtf8("1.0"), &env);
  env_EnvOptsC o;
  p.findOption(o, StringC::fromUtf8("Delay"));
  EXPECT_EQ(o.getName().toUtf8(), "Delay");
  EXPECT_EQ(o.options(), 0u);
  p.findOption(o, StringC::fromUtf8("delay"));  // same characters only
  EXPECT_EQ(o.getName().toUtf8(), "delay");
  int n = 0;
  for (const env_EnvOptsC* const* t = VDIEndpointAgPrefs::options(); *t; ++t) ++n;
  EXPECT_EQ(n, 17);
  EXPECT_EQ(VDIEndpointAgPrefs::options()[0]->getName().toUtf8(), "Disabled");
  EXPECT_EQ(VDIEndpointAgPrefs::options()[16]->getName().toUtf8(), "UserId");
}

TEST_F(AgentPrefs, AReloadClearsTheAgentsValuesButNotFixedOnes) {
  test_support::setMachineString(kAgentKey, "Delay", "7");
  common_services::registryContext()->reload();
  VDIEndpointAgPrefs p(StringC::fromUtf8("1.0"), &env);
  ASSERT_EQ(p.loadPreferences(1, kPath), 0);
  p.set(StringC::fromUtf8("UploadLocation"), StringC::fromUtf8("from a run"), false);
  p.set(StringC::fromUtf8("DateTime"), StringC::fromUtf8("20261210T100000"), false);
  p.reloadPreferences();
  EXPECT_EQ(read(p, "Delay"), "7");
  EXPECT_EQ(raw(p, "UploadLocation"), "");
  EXPECT_EQ(raw(p, "DateTime"), "");
  // A fixed Delay survives the clearing.
  p.set(StringC::fromUtf8("DelayFixed"), StringC::fromUtf8("True"), true);
  p.set(StringC::fromUtf8("Delay"), StringC::fromUtf8("30"), true);
  p.reloadPreferences();
  EXPECT_EQ(read(p, "Delay"), "30");
}

// The suite-wide table also holds "LogFile": the defaults that every reload
// sets again must not replace a value the registry fixed.
TEST_F(AgentPrefs, AReloadKeepsWhatTheRegistryFixed) {
  test_support::setMachineString(kAgentKey, "LogFile", "D:\\logs\\agent.log");
  test_support::setMachineString(kAgentKey, "LogFileFixed", "True");
  common_services::registryContext()->reload();
  VDIEndpointAgPrefs p(StringC::fromUtf8("1.0"), &env);
  ASSERT_EQ(p.loadPreferences(1, kPath), 0);
  EXPECT_EQ(raw(p, "LogFile"), "D:\\logs\\agent.log");
  p.reloadPreferences();
  EXPECT_EQ(raw(p, "LogFile"), "D:\\logs\\agent.log");
  p.reloadPreferences();
  EXPECT_EQ(raw(p, "LogFile"), "D:\\logs\\agent.log");
}

}  // namespace
