// Reading a boolean variable: the default, the true words, which root wins,
// the freshness window and reads that fail after the search found the value.
#include <gtest/gtest.h>

#include <thread>

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

std::string agentValue(const char* root, const std::string& data) {
  return regText({std::string("[") + root + "\\" + kAgentKey + "]", "\"" + kName + "\"=" + data});
}

class ConfVarBoolean : public ::testing::Test {
 protected:
  RegFixtureC registry;
  RecordingRegistryC recorder;
  test_support::TraceCaptureC trace{registry.scratch().file("trace.log")};
};

TEST_F(ConfVarBoolean, NothingSetReadsTheDefaultTrueAndTracesIt) {
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  EXPECT_EQ(v.flags(), 0xDAu & ~ConfVarC::kFlagAltHive);  // no hive configured
  EXPECT_EQ(v.source(), ConfVarC::kSourceNotRead);
  EXPECT_TRUE(v.getValue());
  EXPECT_EQ(v.source(), ConfVarC::kSourceDefault);
  EXPECT_EQ(trace.lines(), (std::vector<std::string>{
                               getHeader("boolean"),
                               lookingFor(kName),
                               searching(kHKCU, kAgentKey, kName),
                               failedToFind(kHKCU, kAgentKey, kName),
                               searching(kHKLM, kAgentKey, kName),
                               failedToFind(kHKLM, kAgentKey, kName),
                               getLine("Default value EnableVirtAppUsageTracking=True"),
                           }));
}

TEST_F(ConfVarBoolean, TrueWordsInAnyCaseAreTrueAndEverythingElseFalse) {
  struct Case {
    std::string data;  // as a .reg file writes it
    bool expected;
  };
  const Case cases[] = {
      {"\"YES\"", true},  {"\"ON\"", true},   {"\"ENABLED\"", true}, {"\"yes\"", true},     {"\"Enabled\"", true},
      {"\"TRUE\"", true}, {"\"t\"", true},    {"\"1\"", true},       {"\"Ok\"", true},      {"\"active\"", true},
      {"dword:00000001", true},               {"\"FALSE\"", false},  {"\"0\"", false},      {"\"NO\"", false},
      {"\"\"", false},    {"\"2\"", false},   {"\" yes\"", false},   {"\"yes \"", false},   {"\"Y\"", false},
      {"dword:00000000", false},              {"dword:00000002", false},
  };
  std::vector<std::string> lines = {"[HKEY_LOCAL_MACHINE\\" + kAgentKey + "]"};
  for (size_t i = 0; i < std::size(cases); ++i) lines.push_back("\"V" + std::to_string(i) + "\"=" + cases[i].data);
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (const auto& l : lines) text += l + "\r\n";
  registry.import(text);
  AgentTreeC tree(recorder);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string name = "V" + std::to_string(i);
    // The default is the opposite, so a fallback to it cannot pass.
    ConfVarBooleanC v(tree.state, &tree.agent, nullptr, name.c_str(), ConfVarC::kFlagMachineRoot, nullptr,
                      !cases[i].expected);
    EXPECT_EQ(v.getValue(), cases[i].expected) << cases[i].data;
    EXPECT_EQ(v.source(), ConfVarC::kSourceMachine) << cases[i].data;
  }
}

TEST_F(ConfVarBoolean, UserRootWinsOverMachineRootWhenTheVariableLooksThere) {
  registry.import(agentValue("HKEY_CURRENT_USER", "\"NO\""));
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"YES\""));
  struct Case {
    uint32_t flags;
    bool expected;
    int32_t source;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {0xDA, false, ConfVarC::kSourceUser,
       {"exists " + kHKCU + "\\" + kAgentKey + "\\" + kName, "read " + kHKCU + "\\" + kAgentKey + "\\" + kName}},
      {0xCA, true, ConfVarC::kSourceMachine,
       {"exists " + kHKLM + "\\" + kAgentKey + "\\" + kName, "read " + kHKLM + "\\" + kAgentKey + "\\" + kName}},
  };
  for (const Case& c : cases) {
    AgentTreeC tree(recorder);
    ConfVarBooleanC v(tree.state, &tree.agent, nullptr, kName.c_str(), c.flags, nullptr, true);
    recorder.forget();
    EXPECT_EQ(v.getValue(), c.expected) << c.flags;
    EXPECT_EQ(v.source(), c.source) << c.flags;
    EXPECT_EQ(recorder.calls(), c.calls) << c.flags;
  }
}

TEST_F(ConfVarBoolean, TwoReadsWithinFiveSecondsSearchOnceAndASixthSecondSearchesAgain) {
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"YES\""));
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  recorder.forget();
  const std::vector<std::string> searchLines = {
      getHeader("boolean"),
      lookingFor(kName),
      searching(kHKCU, kAgentKey, kName),
      failedToFind(kHKCU, kAgentKey, kName),
      searching(kHKLM, kAgentKey, kName),
      found(kHKLM, kAgentKey, kName),
  };
  auto withResult = [&](const char* result) {
    std::vector<std::string> l = searchLines;
    l.push_back(getLine(std::string("Registry value EnableVirtAppUsageTracking=") + result));
    return l;
  };

  TestClockC::set(2000 * TestClockC::kSecond);
  EXPECT_TRUE(v.getValue());
  const size_t accesses = recorder.calls().size();
  EXPECT_EQ(accesses, 3u);  // two lookups and the read
  EXPECT_EQ(trace.newLines(), withResult("True"));

  registry.clear();
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"NO\""));
  TestClockC::advanceSeconds(5);
  EXPECT_TRUE(v.getValue());  // still the value read five seconds ago
  EXPECT_EQ(recorder.calls().size(), accesses);
  EXPECT_EQ(trace.newLines(), std::vector<std::string>{});

  TestClockC::advanceSeconds(1);
  EXPECT_FALSE(v.getValue());
  EXPECT_EQ(recorder.calls().size(), 2 * accesses);
  EXPECT_EQ(trace.newLines(), withResult("False"));
}

TEST_F(ConfVarBoolean, AClockSteppedBackDoesNotFreezeTheValue) {
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"YES\""));
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  TestClockC::set(5000 * TestClockC::kSecond);
  EXPECT_TRUE(v.getValue());
  registry.clear();
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"NO\""));
  TestClockC::set(4000 * TestClockC::kSecond);  // an hour back
  EXPECT_FALSE(v.getValue());
  recorder.forget();
  TestClockC::advanceSeconds(1);
  EXPECT_FALSE(v.getValue());
  EXPECT_TRUE(recorder.calls().empty());  // fresh again from the new read
}

TEST_F(ConfVarBoolean, AReadThatFailsAfterTheSearchFoundTheValueGivesTheDefault) {
  struct Case {
    const char* what;
    std::string data;
    tnw::Status readFault;  // kOk: none
    tnw::Status status;     // what the read answers
  };
  const Case cases[] = {
      {"unreadable", "hex:01,02", tnw::kOk, tnw::kUnsupportedType},
      {"vanished", "\"NO\"", tnw::kRegNotFound, tnw::kRegNotFound},
  };
  for (const Case& c : cases) {
    registry.clear();
    registry.import(agentValue("HKEY_LOCAL_MACHINE", c.data));
    recorder.failReads(c.readFault);
    ConfTreeC tree(&recorder, &TestClockC::read);
    ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
    trace.newLines();
    EXPECT_TRUE(v.getValue()) << c.what;
    EXPECT_EQ(v.source(), ConfVarC::kSourceDefault) << c.what;
    const std::vector<std::string> lines = trace.newLines();
    ASSERT_GE(lines.size(), 2u) << c.what;
    EXPECT_EQ(lines[lines.size() - 2], getLine("Failed to read registry value \"" + kHKLM + "\\" + kAgentKey + "\\" +
                                               kName + "\". Returned error " + std::to_string(c.status)))
        << c.what;
    EXPECT_EQ(lines.back(), getLine("Default value EnableVirtAppUsageTracking=True")) << c.what;
  }
}

// The stored value differs from the one a variable holds before its first
// read (false), so a thread that got an answer before the store would show.
TEST_F(ConfVarBoolean, ThreadsReadingTogetherAllSeeTheStoredValue) {
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"YES\""));
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 50; ++i) {
        if (i % 10 == 0) TestClockC::advanceSeconds(6);
        if (!v.getValue()) ++wrong;
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(v.source(), ConfVarC::kSourceMachine);
}

// A read that comes back into a read on the same thread (a trace or a
// registry call reading a variable) answers without taking the lock again.
TEST_F(ConfVarBoolean, AReadInsideAReadDoesNotDeadlock) {
  registry.import(agentValue("HKEY_LOCAL_MACHINE", "\"NO\""));
  ConfTreeC tree(&recorder, &TestClockC::read);
  ConfVarBooleanC& v = tree.enableVirtAppUsageTracking();
  int inner = 0;
  bool innerValue = false;
  recorder.onValueExists([&] {
    if (inner++ == 0) innerValue = v.getValue();
  });
  EXPECT_FALSE(v.getValue());
  EXPECT_TRUE(innerValue);  // not read yet: the default
}

}  // namespace
