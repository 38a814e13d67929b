// The remote step of the search, on the Linux store's remote machines
// (MACHINE/remote/<name>/registry, named by TNW_REMOTE_MACHINE): root 0 is
// the remote HKEY_LOCAL_MACHINE, root 1 its HKEY_USERS.
#include <gtest/gtest.h>

#include "agent_tree.h"
#include "config/registry/conf_var_boolean.h"
#include "expected_trace.h"
#include "platform/win32_error.h"
#include "recording_registry.h"
#include "reg_fixture.h"
#include "test_clock.h"
#include "trace_capture.h"

namespace {

using namespace config_test;

const std::string kName = "EnableVirtAppUsageTracking";
const std::string kRemote = "HKLM_REMOTE_MACHINE";

std::string value(const char* root, const char* data) {
  return regText({std::string("[") + root + "\\" + kAgentKey + "]", "\"" + kName + "\"=" + data});
}

std::string exists(const std::string& root) { return "exists " + root + "\\" + kAgentKey + "\\" + kName; }

class ConfVarRemote : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_REMOTE_MACHINE", "farm01");
    common_services::registryContext()->reload();
  }
  void TearDown() override {
    test_support::unsetEnv("TNW_REMOTE_MACHINE");
    common_services::registryContext()->reload();
  }

  RegFixtureC registry;
  RecordingRegistryC recorder;
  test_support::TraceCaptureC trace{registry.scratch().file("trace.log")};
};

TEST_F(ConfVarRemote, AValueOnlyOnTheRemoteMachineIsFoundThere) {
  registry.importRemote("farm01", value("HKEY_LOCAL_MACHINE", "\"NO\""));
  AgentTreeC tree(recorder);
  ConfVarBooleanC v(tree.state, &tree.agent, nullptr, kName.c_str(), 0xDA, nullptr, true);
  EXPECT_FALSE(v.getValue());
  EXPECT_EQ(v.source(), ConfVarC::kSourceRemote);
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               getHeader("boolean"),
                               lookingFor(kName),
                               searching(kHKCU, kAgentKey, kName),
                               failedToFind(kHKCU, kAgentKey, kName),
                               searching(kHKLM, kAgentKey, kName),
                               failedToFind(kHKLM, kAgentKey, kName),
                               searching(kRemote, kAgentKey, kName),
                               found(kRemote, kAgentKey, kName),
                               getLine("Registry value EnableVirtAppUsageTracking=False"),
                           }));
}

TEST_F(ConfVarRemote, RulesOfTheRemoteStep) {
  const tnw::Status kAccessDenied = tnw::hresultFromWin32(platform::kErrorAccessDenied);
  struct Case {
    const char* what;
    const char* local;       // value in the local HKLM (null: none)
    const char* remoteHklm;  // root 0
    const char* remoteHku;   // root 1, at the same key path
    tnw::Status root0Fault;  // kOk: none
    bool withoutRemoteRoots;
    uint32_t flags;
    bool expected;
    int32_t source;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {"the local machine root comes first", "\"YES\"", "\"NO\"", nullptr, tnw::kOk, false, 0xDA, true,
       ConfVarC::kSourceMachine, {exists(kHKCU), exists(kHKLM), "read " + kHKLM + "\\" + kAgentKey + "\\" + kName}},
      {"not found on root 0 ends the step", nullptr, nullptr, "\"NO\"", tnw::kOk, false, 0xDA, true,
       ConfVarC::kSourceDefault, {exists(kHKCU), exists(kHKLM), exists("REMOTE0")}},
      {"another failure of root 0 leads to root 1", nullptr, nullptr, "\"NO\"", kAccessDenied, false, 0xDA, false,
       ConfVarC::kSourceRemote,
       {exists(kHKCU), exists(kHKLM), exists("REMOTE0"), exists("REMOTE1"),
        "read REMOTE1\\" + kAgentKey + "\\" + kName}},
      {"no remote root", nullptr, "\"NO\"", nullptr, tnw::kOk, true, 0xDA, true, ConfVarC::kSourceDefault,
       {exists(kHKCU), exists(kHKLM)}},
      {"remote-only variables skip the local machine", "\"NO\"", nullptr, nullptr, tnw::kOk, false,
       ConfVarC::kFlagRemote, true, ConfVarC::kSourceDefault, {exists("REMOTE0")}},
  };
  for (const Case& c : cases) {
    registry.clear();
    if (c.local) registry.import(value("HKEY_LOCAL_MACHINE", c.local));
    if (c.remoteHklm) registry.importRemote("farm01", value("HKEY_LOCAL_MACHINE", c.remoteHklm));
    if (c.remoteHku) registry.importRemote("farm01", value("HKEY_USERS", c.remoteHku));
    RecordingRegistryC r;
    if (c.root0Fault != tnw::kOk) r.failRoot(common_services::registryContext()->remoteRoot(0), c.root0Fault);
    if (c.withoutRemoteRoots) r.withoutRemoteRoots();
    AgentTreeC tree(r);
    ConfVarBooleanC v(tree.state, &tree.agent, nullptr, kName.c_str(), c.flags, nullptr, true);
    r.forget();
    trace.newLines();
    EXPECT_EQ(v.getValue(), c.expected) << c.what;
    EXPECT_EQ(v.source(), c.source) << c.what;
    EXPECT_EQ(r.calls(), c.calls) << c.what;
    const std::vector<std::string> lines = trace.newLines();
    const bool reported = std::find(lines.begin(), lines.end(),
                                    searchLine("Registry handle is not valid. Returned error " +
                                               std::to_string(kAccessDenied))) != lines.end();
    EXPECT_EQ(reported, c.root0Fault != tnw::kOk) << c.what;
  }
}

}  // namespace
