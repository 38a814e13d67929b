#include "platform/sid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

// Every expectation here holds for the system's own conversion too: on
// Windows this program checks ADVAPI32's reading of SID texts and its
// checks and comparisons of binary SIDs, on Linux the parser that stands in
// for it. The hexadecimal digits of a large authority are compared without
// regard to case, which the system does not promise.
//
// Wine differs in one documented respect: its ConvertStringSidToSid reads
// an identifier authority of 2^32 or more ("S-1-0x123456789ABC-7") as
// 4294967295, where Windows keeps all 48 bits (the string format writes such
// an authority in hexadecimal precisely because it does not fit in 32 bits).
// Only the assertions on that conversion are narrowed under Wine.

namespace {

using platform::SidC;

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

SidC sidOf(const std::string& text) {
  SidC sid;
  EXPECT_EQ(platform::stringToSid(text, sid), platform::kErrorSuccess) << text;
  return sid;
}

struct ValidCase {
  const char* text;
  const char* canonical;
};

// An authority of 2^32 or more: written in hexadecimal.
bool wideAuthority(const std::string& canonical) { return canonical.compare(0, 6, "S-1-0x") == 0; }

// Wine's converter cuts such an authority short (see the top).
bool wineCutsWideAuthorities() { return test_support::runningUnderWine(); }

TEST(Sid, ValidTextsConvertAndComeBackInCanonicalForm) {
  const ValidCase cases[] = {
      {"S-1-5-18", "S-1-5-18"},
      {"S-1-5-0", "S-1-5-0"},
      {"S-1-0-0", "S-1-0-0"},
      {"S-1-5-21-3623811015-3361044348-30300820-1013", "S-1-5-21-3623811015-3361044348-30300820-1013"},
      {"S-1-5-00018", "S-1-5-18"},
      {"S-1-005-0", "S-1-5-0"},
      {"S-1-4294967295-4294967295", "S-1-4294967295-4294967295"},
      {"S-1-0x5-32-544", "S-1-5-32-544"},
      {"S-1-0xffffffff-1", "S-1-4294967295-1"},
      {"S-1-0x100000000-9", "S-1-0x000100000000-9"},
      {"S-1-0x123456789abc-7", "S-1-0x123456789ABC-7"},
      {"S-1-0xFFFFFFFFFFFF-1", "S-1-0xFFFFFFFFFFFF-1"},
      {"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15", "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15"},
  };
  for (const ValidCase& c : cases) {
    SidC sid;
    ASSERT_EQ(platform::stringToSid(c.text, sid), platform::kErrorSuccess) << c.text;
    EXPECT_TRUE(platform::isValidSid(sid)) << c.text;
    const std::string back = platform::sidToString(sid);
    if (!(wideAuthority(c.canonical) && wineCutsWideAuthorities())) {
      EXPECT_EQ(upper(back), upper(c.canonical)) << c.text;
    }
    SidC again;
    EXPECT_EQ(platform::stringToSid(back, again), platform::kErrorSuccess) << back;
    EXPECT_EQ(again, sid) << c.text;
  }
}

TEST(Sid, TextThatIsNoSidIsRefusedAndLeavesNothing) {
  const std::string many(400, '9');
  const std::vector<std::string> cases = {
      "",
      "S",
      "S-",
      "S-1",
      "S-1-",
      "S-1-5",  // a SID text names at least one sub-authority
      "S-1-0x500000000",
      "s-1-5-18",
      "S-2-5-18",
      "S-0-5-18",
      "S-1-5-",
      "S-1-5-18-",
      "S-1-5--18",
      "S-1--5",
      " S-1-5-18",
      "S-1-5-18 ",
      "S-1-5 -18",
      "S-1-+5-18",
      "S-1-5-+18",
      "S-1--1-18",
      "S-1-5-18x",
      "S-1-5-0x12",
      "S-1-4294967296-1",
      "S-1-5-4294967296",
      "S-1-5-" + many,
      "S-1-" + many + "-1",
      "S-1-0x" + many,
      "S-1-0x1000000000000-1",
      "S-1-0x",
      "S-1-0x-1",
      "S-1-0xG-1",
      "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16",
      "BA",
      "SY",
      std::string("S-1-5-18\0-1", 11),
  };
  for (const std::string& text : cases) {
    SidC sid = {1, 2, 3};
    EXPECT_EQ(platform::stringToSid(text, sid), platform::kErrorInvalidSid) << text;
    EXPECT_TRUE(sid.empty()) << text;
  }
}

// The authority is big-endian, each sub-authority little-endian.
TEST(Sid, TheBinaryLayoutIsWindows) {
  EXPECT_EQ(sidOf("S-1-5-32-544"), (SidC{1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 0x02, 0, 0}));
  const SidC wide = {1, 1, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x78, 0x56, 0x34, 0x12};
  if (!wineCutsWideAuthorities()) {
    EXPECT_EQ(sidOf("S-1-0x123456789ABC-305419896"), wide);
  }
  EXPECT_EQ(upper(platform::sidToString(wide)), upper("S-1-0x123456789ABC-305419896"));
  EXPECT_EQ(platform::sidToString(SidC{1, 1, 0, 0, 0, 0, 0, 5, 0x12, 0, 0, 0}), "S-1-5-18");
  // Without sub-authorities the bytes are a valid SID with a string form,
  // though that text does not convert back.
  EXPECT_EQ(platform::sidToString(SidC{1, 0, 0, 0, 0, 0, 0, 5}), "S-1-5");
}

TEST(Sid, OnlyWellFormedBytesAreASid) {
  SidC fifteen = {1, 15, 0, 0, 0, 0, 0, 5};
  fifteen.resize(8 + 15 * 4, 7);
  SidC sixteen = {1, 16, 0, 0, 0, 0, 0, 5};
  sixteen.resize(8 + 16 * 4, 7);
  struct Case {
    const char* what;
    SidC bytes;
    bool valid;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"cut header", {1, 0, 0, 0, 0, 0, 0}, false},
      {"no sub-authority", {1, 0, 0, 0, 0, 0, 0, 5}, true},
      {"revision 2", {2, 0, 0, 0, 0, 0, 0, 5}, false},
      {"revision 0", {0, 0, 0, 0, 0, 0, 0, 5}, false},
      {"count 1, none there", {1, 1, 0, 0, 0, 0, 0, 5}, false},
      {"count 1, cut", {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0}, false},
      {"count 0, one more", {1, 0, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, false},
      {"count 1, a byte more", {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0, 0}, false},
      {"fifteen", fifteen, true},
      {"sixteen", sixteen, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::isValidSid(c.bytes), c.valid) << c.what;
    EXPECT_EQ(platform::sidToString(c.bytes).empty(), !c.valid) << c.what;
    EXPECT_EQ(platform::equalSid(c.bytes, c.bytes), c.valid) << c.what;
  }
}

TEST(Sid, EqualMeansTheSameValidSid) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case cases[] = {
      {"S-1-5-18", "S-1-5-18", true},
      {"S-1-5-18", "S-1-5-0018", true},
      {"S-1-5-32-544", "S-1-0x5-32-544", true},
      {"S-1-5-18", "S-1-5-19", false},
      {"S-1-5-21-1", "S-1-5-21-1-2", false},
      {"S-1-5-18", "S-1-1-18", false},
      {"S-1-5-7", "S-1-0x500000000-7", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::equalSid(sidOf(c.a), sidOf(c.b)), c.equal) << c.a << " " << c.b;
    EXPECT_EQ(platform::equalSid(sidOf(c.b), sidOf(c.a)), c.equal) << c.b << " " << c.a;
  }
  const SidC system = sidOf("S-1-5-18");
  SidC longer = system;
  longer.push_back(0);
  EXPECT_FALSE(platform::equalSid(system, longer));
  EXPECT_FALSE(platform::equalSid(SidC(), SidC()));
}

}  // namespace
