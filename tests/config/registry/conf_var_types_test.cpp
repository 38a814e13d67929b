// Reads of text, number and list variables: conversions, range clamping,
// bad numbers, defaults and resetToDefault.
#include <gtest/gtest.h>

#include "agent_tree.h"
#include "config/registry/conf_var_int32.h"
#include "config/registry/conf_var_string.h"
#include "config/registry/conf_var_string_array.h"
#include "expected_trace.h"
#include "recording_registry.h"
#include "reg_fixture.h"
#include "test_clock.h"
#include "trace_capture.h"

namespace {

using namespace config_test;

class ConfVarTypes : public ::testing::Test {
 protected:
  // One value per line below the agent's machine key.
  void values(std::initializer_list<std::string> lines) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kAgentKey + "]\r\n";
    for (const std::string& l : lines) text += l + "\r\n";
    registry.import(text);
  }

  RegFixtureC registry;
  RecordingRegistryC recorder;
  test_support::TraceCaptureC trace{registry.scratch().file("trace.log")};
};

TEST_F(ConfVarTypes, TextsAreTakenAsStored) {
  values({R"("S"="C:\\Temp\\x")", R"("E"=hex(2):25,00,54,00,4d,00,50,00,25,00,00,00)", R"("D"=dword:0000002a)",
          R"("M"=hex(7):61,00,00,00,62,00,00,00,00,00)", R"("B"=hex:01)"});
  AgentTreeC tree(recorder);
  struct Case {
    const char* name;
    std::string expected;
  };
  const Case cases[] = {{"S", "C:\\Temp\\x"}, {"E", "%TMP%"}, {"D", "42"}, {"M", "a;b"},
                        {"B", "the default"},  // unreadable: the default
                        {"Absent", "the default"}};
  for (const Case& c : cases) {
    ConfVarStringC v(tree.state, &tree.agent, nullptr, c.name, nullptr, 0xCA, nullptr, "the default");
    EXPECT_EQ(v.currentValue().toUtf8(), "") << c.name;
    EXPECT_EQ(v.getValue().toUtf8(), c.expected) << c.name;
  }
  const std::vector<std::string> lines = trace.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), getLine("Registry value S=C:\\Temp\\x")), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), getLine("Default value Absent=the default")), lines.end());
}

TEST_F(ConfVarTypes, TheDefaultTextIsReadInTheEncodingItsFlagNames) {
  AgentTreeC tree(recorder);
  ConfVarStringC utf8(tree.state, &tree.agent, nullptr, "X", nullptr, ConfVarC::kFlagUtf8, nullptr, "\xC3\xA9");
  ConfVarStringC system8(tree.state, &tree.agent, nullptr, "X", nullptr, 0, nullptr, "\xE9");
  EXPECT_EQ(utf8.getValue().toUtf8(), "\xC3\xA9");
  EXPECT_EQ(system8.getValue().toUtf8(), StringC("\xE9", "system-8").toUtf8());
  utf8.resetToDefault();
  EXPECT_EQ(utf8.currentValue().toUtf8(), "\xC3\xA9");
}

TEST_F(ConfVarTypes, NumbersAreDecimalOrHexadecimalAndClampedToTheirRange) {
  struct Case {
    std::string data;
    int32_t expected;
    std::string note;  // the line traced before the value's, "" for none
    bool isDefault;
  };
  const Case cases[] = {
      {"\"42\"", 42, "", false},
      {"\" +12 \"", 12, "", false},
      {"\"0x1F\"", 31, "", false},
      {"\"0XfF\"", 255, "", false},
      {"\"-0x10\"", 0, "Registry value N=-0x10 is outside 0..100000; 0 is used", false},
      {"dword:00000007", 7, "", false},
      {"\"-5\"", 0, "Registry value N=-5 is outside 0..100000; 0 is used", false},
      {"\"100001\"", 100000, "Registry value N=100001 is outside 0..100000; 100000 is used", false},
      {"\"99999999999999999999999\"", 100000,
       "Registry value N=99999999999999999999999 is outside 0..100000; 100000 is used", false},
      {"dword:ffffffff", 100000, "Registry value N=4294967295 is outside 0..100000; 100000 is used", false},
      {"\"abc\"", 60, "Registry value N=\"abc\" is not a number; the default is used", true},
      {"\"12abc\"", 60, "Registry value N=\"12abc\" is not a number; the default is used", true},
      {"\"0x\"", 60, "Registry value N=\"0x\" is not a number; the default is used", true},
      {"\"\"", 60, "Registry value N=\"\" is not a number; the default is used", true},
  };
  for (const Case& c : cases) {
    registry.clear();
    values({"\"N\"=" + c.data});
    AgentTreeC tree(recorder);
    ConfVarInt32C v(tree.state, &tree.agent, nullptr, "N", 0xCA, 60, 0, 100000);
    trace.newLines();
    EXPECT_EQ(v.getValue(), c.expected) << c.data;
    std::vector<std::string> expected = {getHeader("int32"), lookingFor("N"), searching(kHKLM, kAgentKey, "N"),
                                         found(kHKLM, kAgentKey, "N")};
    if (!c.note.empty()) expected.push_back(getLine(c.note));
    expected.push_back(getLine((c.isDefault ? "Default value N=" : "Registry value N=") + std::to_string(c.expected)));
    EXPECT_EQ(trace.newLines(), expected) << c.data;
    v.resetToDefault();
    EXPECT_EQ(v.currentValue(), 60);
  }
}

TEST_F(ConfVarTypes, ListsComeFromMultiStringsOrTextSplitAtSemicolons) {
  values({R"("M"=hex(7):61,00,3b,00,62,00,00,00,63,00,00,00,00,00)", R"("T"="x;;y;")", R"("D"=dword:00000003)"});
  AgentTreeC tree(recorder);
  struct Case {
    const char* name;
    std::vector<std::string> expected;
  };
  const Case cases[] = {{"M", {"a;b", "c"}}, {"T", {"x", "y"}}, {"D", {"3"}}, {"Absent", {}}};
  for (const Case& c : cases) {
    ConfVarStringArrayC v(tree.state, &tree.agent, c.name, 0xCA);
    EXPECT_FALSE(v.hasValues());
    std::vector<std::string> got;
    for (const StringC& s : v.getValue()) got.push_back(s.toUtf8());
    EXPECT_EQ(got, c.expected) << c.name;
    EXPECT_TRUE(v.hasValues());
  }
  const std::vector<std::string> lines = trace.lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), getLine("Registry value M=a;b;c")), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), getLine("Default value Absent=")), lines.end());
}

}  // namespace
