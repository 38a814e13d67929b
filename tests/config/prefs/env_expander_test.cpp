// $(...) expansion: nesting, self-references, cycles, the depth limit,
// unknown names, and hostile values that must end quickly.
#include <gtest/gtest.h>

#include <string>

#include "config/prefs/env_expander.h"
#include "config/prefs/env_preferences.h"

namespace {

StringC S(const std::string& utf8) { return StringC::fromUtf8(utf8); }

class Expansion : public ::testing::Test {
 protected:
  void define(std::initializer_list<std::pair<const char*, std::string>> vars) {
    for (const auto& [name, value] : vars) prefs.set(S(name), S(value), true);
  }
  std::string read(const char* name) { return prefs.value(S(name)).toUtf8(); }

  env_EnvironmentC env;
  EnvPreferencesC prefs{&env};
};

TEST_F(Expansion, ReferencesAreReplacedAsTheyNest) {
  struct Case {
    std::string a, b, c;
    std::string expected;
  };
  const Case cases[] = {
      {"x$(B)y", "1", "", "x1y"},
      {"$(B)$(B)", "[$(C)]", "c", "[c][c]"},
      {"$(b)", "lower", "", "lower"},                    // names ignore case
      {"$(B", "1", "", "$(B"},                           // no ")"
      {"a)$(B)", "1", "", "a)1"},
      {"$(B)", "$(C)", "$(A)", ""},                      // a cycle ends empty at the depth limit
      {"$(A)", "", "", "$(A)"},                          // itself: kept
      {"<$(B)>", "a$(B)", "", "<a$(B)>"},                // B's own reference kept, scanned once
      {"$()", "", "", ""},                               // the empty name is unknown
      {"$(B)$(C)", "$(", "C)", "$(C)"},                  // an inserted text is not scanned again
  };
  for (const Case& c : cases) {
    env.clear();
    define({{"A", c.a}, {"B", c.b}, {"C", c.c}});
    EXPECT_EQ(read("A"), c.expected) << c.a << " / " << c.b << " / " << c.c;
  }
}

TEST_F(Expansion, AVariableThatRefersToItselfThroughAnotherIsKeptOnce) {
  define({{"X", "$(R)"}, {"R", "a$(R)"}});
  EXPECT_EQ(read("X"), "a$(R)");
  EXPECT_EQ(read("R"), "a$(R)");
}

TEST_F(Expansion, UnknownNamesVanishOrStayWritten) {
  define({{"A", "x$(B)y"}});
  EXPECT_EQ(read("A"), "xy");
  EXPECT_EQ(read("Nothing"), "");
  prefs.setUnknownAsEmpty(false);
  EXPECT_EQ(read("A"), "x$(B)y");
  EXPECT_EQ(read("Nothing"), "$(Nothing)");
}

TEST_F(Expansion, ReferencesNestNineLevelsBelowTheVariableRead) {
  // V1 refers to V2 ... each to the next; the last holds "end".
  auto chain = [this](int length) {
    env.clear();
    for (int i = 1; i < length; ++i) prefs.set(S("V" + std::to_string(i)), S("$(V" + std::to_string(i + 1) + ")"), true);
    prefs.set(S("V" + std::to_string(length)), S("end"), true);
    return read("V1");
  };
  EXPECT_EQ(chain(10), "end");  // nine references
  EXPECT_EQ(chain(11), "");     // ten: empty at the tenth level
}

TEST_F(Expansion, RawReadsAndTheExpansionSwitch) {
  define({{"A", "x$(B)"}, {"B", "1"}});
  StringC out;
  prefs.get(out, S("A"), false);
  EXPECT_EQ(out.toUtf8(), "x$(B)");
  prefs.setExpandOnRead(false);
  prefs.get(out, S("A"), true);
  EXPECT_EQ(out.toUtf8(), "x$(B)");
  prefs.setExpandOnRead(true);
  prefs.expandText(out, S("[$(A)] $(Missing)"));
  EXPECT_EQ(out.toUtf8(), "[x1] ");
}

TEST_F(Expansion, AMegabyteValueWithManyReferencesExpandsInFull) {
  std::string big;
  for (int i = 0; i < 50000; ++i) big += "ab$(B)cd ";  // 450 kB, 50000 references
  big += std::string(600000, 'z') + "$(";              // an opening without its end
  define({{"A", big}, {"B", "1"}});
  const std::string out = read("A");
  ASSERT_EQ(out.size(), 50000u * 6 + 600002u);
  EXPECT_EQ(out.substr(0, 16), "ab1cd ab1cd ab1c");
  EXPECT_EQ(out.substr(out.size() - 3), "z$(");
}

TEST_F(Expansion, FanOutStopsAtTheBudgetAndKeepsTheRestWritten) {
  // Each level refers ten times to the next: 10^9 references if unbounded.
  for (int i = 1; i <= 9; ++i) {
    std::string v;
    for (int k = 0; k < 10; ++k) v += "$(F" + std::to_string(i + 1) + ")";
    prefs.set(S("F" + std::to_string(i)), S(v), true);
  }
  prefs.set(S("F10"), S("x"), true);
  env_ExpanderC x(env, true);
  const std::string out = x.expandName(S("F1")).toUtf8();
  EXPECT_TRUE(x.stopped());
  EXPECT_EQ(x.references(), env_ExpanderC::kMaxReferences + 1);
  EXPECT_EQ(out.find_first_not_of('x'), out.find("$(F"));  // x... then the unexpanded rest
  EXPECT_NE(out.find("$(F"), std::string::npos);
}

TEST_F(Expansion, AHugeExpansionStopsAtItsSize) {
  // 1 MB doubled on each of nine levels would be half a terabyte.
  define({{"D10", std::string(1 << 20, 'q')}});
  for (int i = 1; i <= 9; ++i)
    prefs.set(S("D" + std::to_string(i)), S("$(D" + std::to_string(i + 1) + ")$(D" + std::to_string(i + 1) + ")"), true);
  env_ExpanderC x(env, true);
  const size_t size = x.expandName(S("D1")).utf8().size();
  EXPECT_TRUE(x.stopped());
  EXPECT_GT(size, env_ExpanderC::kMaxBytes);
  EXPECT_LT(size, env_ExpanderC::kMaxBytes + (size_t{12} << 20));
}

TEST_F(Expansion, ADeepNestOfOpeningsEndsAtTheFirstClosing) {
  std::string deep;
  for (int i = 0; i < 200000; ++i) deep += "$(";
  deep += "A)";
  define({{"A", deep}});
  EXPECT_EQ(read("A"), "");  // one unknown name: "$($(...$(A"
  prefs.setUnknownAsEmpty(false);
  EXPECT_EQ(read("A"), deep);
}

}  // namespace
