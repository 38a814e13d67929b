// Set, set list, fixed variables, boolean reads, lists and the process's
// environment.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/prefs/env_log_settings.h"
#include "config/prefs/env_preferences.h"
#include "config/prefs/qb_context.h"

namespace {

StringC S(const std::string& utf8) { return StringC::fromUtf8(utf8); }

std::vector<std::string> items(StringArrayC* list) {
  std::unique_ptr<StringArrayC> owned(list);
  std::vector<std::string> out;
  for (const StringC& s : *owned) out.push_back(s.toUtf8());
  return out;
}

// Declares "Servers" a list, as an agent declares its options.
class ListPrefsC : public EnvPreferencesC {
 public:
  using EnvPreferencesC::EnvPreferencesC;
  void findOption(env_EnvOptsC& out, const StringC& name) override {
    out = env_EnvOptsC(name, name.equalsIgnoreCase(S("Servers")) ? env_EnvOptsC::kMultiValued : 0);
  }
};

class Preferences : public ::testing::Test {
 protected:
  std::string read(const char* name) { return prefs.value(S(name)).toUtf8(); }

  env_EnvironmentC env;
  ListPrefsC prefs{&env};
};

TEST_F(Preferences, AFixedVariableRefusesAnUnforcedSet) {
  struct Case {
    const char* companion;  // name = value, "" for none
    const char* value;
    bool fixed;
  };
  const Case cases[] = {
      {"LogFileFixed", "True", true}, {"LogFileFxd", "Yes", true}, {"LogFileFixed", "False", false},
      {"LogFileFixed", "1", false},   {"LogFileFixed", "true", false}, {"LogFileFixed", "$(On)", true},
      {"", "", false},
  };
  for (const Case& c : cases) {
    env.clear();
    prefs.set(S("On"), S("True"), false);
    prefs.set(S("LogFile"), S("old"), false);
    if (*c.companion) prefs.set(S(c.companion), S(c.value), true);
    EXPECT_EQ(prefs.isFixed(S("LogFile")), c.fixed) << c.companion << "=" << c.value;
    prefs.set(S("LogFile"), S("new"), false);
    EXPECT_EQ(read("LogFile"), c.fixed ? "old" : "new") << c.companion << "=" << c.value;
    prefs.set(S("LogFile"), S("forced"), true);
    EXPECT_EQ(read("LogFile"), "forced");
  }
}

TEST_F(Preferences, NamesEndingInFixedOrFxdAreFixedByThemselves) {
  struct Case {
    const char* name;
    bool fixed;
  };
  const Case cases[] = {{"ShowIconFixed", true}, {"AFxd", true}, {"Fixed", false}, {"Fxd", false},
                        {"XFIXED", true},        {"Fix", false}, {"Fixedness", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(prefs.isFixed(S(c.name)), c.fixed) << c.name;
    prefs.set(S(c.name), S("v"), false);
    EXPECT_EQ(read(c.name), c.fixed ? "" : "v") << c.name;
    prefs.set(S(c.name), S("w"), true);
    EXPECT_EQ(read(c.name), "w") << c.name;
  }
}

TEST_F(Preferences, AListSetKeepsThePreviousValuesWhereItNamesItself) {
  StringArrayC first;
  first.add(S("a"));
  first.add(S("b"));
  prefs.setList(S("Servers"), &first, false);
  StringArrayC second;
  second.add(S("$(Servers)"));
  second.add(S("d"));
  prefs.setList(S("Servers"), &second, false);
  EXPECT_EQ(items(prefs.getList(S("Servers"), true)), (std::vector<std::string>{"a", "b", "d"}));
  StringArrayC front;
  front.add(S("z"));
  front.add(S("$(servers)"));
  prefs.setList(S("Servers"), &front, false);
  EXPECT_EQ(items(prefs.getList(S("Servers"), true)), (std::vector<std::string>{"z", "a", "b", "d"}));
  EXPECT_EQ(read("Servers"), "z");  // the element at the cursor
  prefs.setList(S("Servers"), nullptr, false);
  EXPECT_EQ(items(prefs.getList(S("Servers"), true)).size(), 4u);
  prefs.set(S("ServersFixed"), S("True"), true);
  prefs.setList(S("Servers"), &first, false);
  EXPECT_EQ(items(prefs.getList(S("Servers"), true)).size(), 4u);
}

TEST_F(Preferences, ASingleValuedListSetKeepsItsLastElement) {
  prefs.set(S("One"), S("old"), false);
  StringArrayC list;
  list.add(S("$(One)-x"));
  list.add(S("$(One)"));
  prefs.setList(S("One"), &list, false);
  // "$(One)-x" is set as written, then "$(One)" puts back the former "old".
  EXPECT_EQ(read("One"), "old");
  EXPECT_EQ(items(prefs.getList(S("Missing"), true)).size(), 0u);
}

TEST_F(Preferences, ListElementsExpandEachAndSetsAppend) {
  prefs.set(S("Dir"), S("C:\\x"), false);
  prefs.set(S("Servers"), S("$(Dir)\\1"), false);
  prefs.set(S("Servers"), S("$(Servers)"), false);
  EXPECT_EQ(items(prefs.getList(S("Servers"), true)), (std::vector<std::string>{"C:\\x\\1", "$(Servers)"}));
  EXPECT_EQ(items(prefs.getList(S("Servers"), false)), (std::vector<std::string>{"$(Dir)\\1", "$(Servers)"}));
  prefs.appendToList(S("Plain"), S("1"));
  prefs.set(S("Single"), S("a"), false);
  prefs.appendToList(S("Single"), S("b"));
  EXPECT_EQ(items(prefs.getList(S("Single"), true)), (std::vector<std::string>{"a", "b"}));
}

TEST_F(Preferences, BooleanReadsKnowFourWordsOnly) {
  struct Case {
    const char* text;
    int expected;  // -1: the fallback
  };
  const Case cases[] = {{"True", 1}, {"Yes", 1},  {"False", 0}, {"No", 0},   {"TRUE", -1},
                        {"1", -1},   {"0", -1},   {"", -1},     {" Yes", -1}, {"$(T)", 1}};
  prefs.set(S("T"), S("Yes"), false);
  for (const Case& c : cases) {
    prefs.set(S("B"), S(c.text), false);
    for (bool fallback : {false, true})
      EXPECT_EQ(prefs.getBoolean(S("B"), fallback), c.expected < 0 ? fallback : c.expected == 1) << c.text;
  }
  EXPECT_TRUE(prefs.getBoolean(S("Absent"), true));
}

TEST_F(Preferences, EmptinessExistenceAndRemoval) {
  prefs.set(S("Ref"), S("$(Nothing)"), false);
  prefs.set(S("Blank"), S(""), false);
  prefs.set(S("Full"), S("x"), false);
  EXPECT_TRUE(prefs.isEmpty(S("Ref")));
  EXPECT_TRUE(prefs.isEmpty(S("Blank")));
  EXPECT_TRUE(prefs.isEmpty(S("Absent")));
  EXPECT_FALSE(prefs.isEmpty(S("Full")));
  prefs.setExpandOnRead(false);
  EXPECT_FALSE(prefs.isEmpty(S("Ref")));  // the raw text counts then
  prefs.setExpandOnRead(true);
  EXPECT_TRUE(prefs.exists(S("blank")));
  prefs.remove(S("BLANK"));
  EXPECT_FALSE(prefs.exists(S("Blank")));
  prefs.setList(S("Servers"), std::make_unique<StringArrayC>().get(), false);
  EXPECT_FALSE(prefs.exists(S("Servers")));
}

TEST_F(Preferences, TheProcessEnvironmentIsReplacedInPlace) {
  EnvPreferencesC view;  // attaches to the process's
  env_EnvironmentC fresh;
  EnvPreferencesC(&fresh).set(S("Fresh"), S("1"), false);
  view.set(S("Stale"), S("x"), false);
  QBContextC::process().replaceEnvironment(fresh);
  EXPECT_EQ(view.environment(), QBContextC::process().environment());
  EXPECT_FALSE(view.exists(S("Stale")));
  EXPECT_EQ(view.value(S("Fresh")).toUtf8(), "1");
  fresh.clear();  // the context keeps its own copy
  EXPECT_EQ(view.value(S("Fresh")).toUtf8(), "1");
  prefs.reattach();
  EXPECT_EQ(prefs.environment(), QBContextC::process().environment());
  QBContextC::process().replaceEnvironment(env_EnvironmentC());
}

TEST_F(Preferences, TheLogManagerReadsExpandedValues) {
  prefs.set(S("TempDirectory"), S("C:\\T"), false);
  prefs.set(S("LogFile"), S("$(TempDirectory)\\vdi.log"), false);
  EnvLogSettingsC settings(prefs);
  log_LogSettingsI& asSettings = settings;
  EXPECT_EQ(asSettings.value("LogFile").toUtf8(), "C:\\T\\vdi.log");
  EXPECT_EQ(asSettings.value("LogModules").toUtf8(), "");
}

}  // namespace
