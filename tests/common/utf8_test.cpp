#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using common::utf8::Status;

struct Step {
  char32_t codePoint;
  size_t length;
  Status status;
  bool operator==(const Step&) const = default;
};

std::vector<Step> steps(const std::string& bytes) {
  std::vector<Step> out;
  for (const char* p = bytes.data(); p < bytes.data() + bytes.size();) {
    const common::utf8::Sequence s = common::utf8::read(p, bytes.data() + bytes.size());
    out.push_back({s.codePoint, s.length, s.status});
    p += s.length;
  }
  return out;
}

constexpr char32_t kR = common::utf8::kReplacement;
constexpr Status kOk = Status::kWellFormed;
constexpr Status kBad = Status::kIllFormed;
constexpr Status kCut = Status::kCutOff;

TEST(Utf8, EachIllFormedStepIsOneReplacement) {
  struct Case {
    std::string bytes;
    std::vector<Step> steps;
  } cases[] = {
      {"A\x7F", {{U'A', 1, kOk}, {0x7F, 1, kOk}}},
      {"\xC2\x80\xDF\xBF", {{0x80, 2, kOk}, {0x7FF, 2, kOk}}},
      {"\xE0\xA0\x80\xEF\xBF\xBF", {{0x800, 3, kOk}, {0xFFFF, 3, kOk}}},
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", {{0x10000, 4, kOk}, {0x10FFFF, 4, kOk}}},
      {"\xC0\xAF", {{kR, 1, kBad}, {kR, 1, kBad}}},         // C0 and C1 start nothing
      {"\xE0\x80\xAF", {{kR, 3, kBad}}},                    // overlong: the whole sequence
      {"\xF0\x80\x80\xAF", {{kR, 4, kBad}}},
      {"\xED\xA0\x80", {{kR, 3, kBad}}},                    // a surrogate
      {"\xF4\x90\x80\x80", {{kR, 4, kBad}}},                // above U+10FFFF
      {"\xF5\x80", {{kR, 1, kBad}, {kR, 1, kBad}}},         // F5..FF start nothing
      {"\xE2\x82" "A", {{kR, 2, kBad}, {U'A', 1, kOk}}},    // broken off: the lead and what continued it
      {"\xF0\x9F\x98", {{kR, 3, kCut}}},                    // cut off by the end
      {"\xE0\x80", {{kR, 2, kCut}}},                        // ... even where the rest could not mend it
      {"\xC3", {{kR, 1, kCut}}},
  };
  for (const Case& c : cases) EXPECT_EQ(steps(c.bytes), c.steps) << c.bytes;
}

TEST(Utf8, AppendWritesTheShortestFormAndReplacesNonCharacters) {
  struct Case {
    char32_t codePoint;
    std::string bytes;
  } cases[] = {
      {U'A', "A"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0xD800, "\xEF\xBF\xBD"},
      {0xDFFF, "\xEF\xBF\xBD"},
      {0x110000, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    std::string out;
    common::utf8::append(out, c.codePoint);
    EXPECT_EQ(out, c.bytes) << std::hex << static_cast<uint32_t>(c.codePoint);
  }
}

// Every well-formed code point reads back from what append writes.
TEST(Utf8, EveryCharacterRoundTrips) {
  for (char32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    std::string bytes;
    common::utf8::append(bytes, cp);
    const common::utf8::Sequence s = common::utf8::read(bytes.data(), bytes.data() + bytes.size());
    ASSERT_EQ(s.codePoint, cp);
    ASSERT_EQ(s.length, bytes.size());
    ASSERT_EQ(s.status, kOk);
  }
}

// ASCII runs are copied in bulk: the characters around them, pairs and
// lone surrogates at either end of a run still convert one by one.
TEST(Utf8, Utf16ConvertsRunsAndSurrogates) {
  struct Case {
    std::u16string in;
    std::string out;
  };
  const Case cases[] = {
      {u"", ""},
      {u"Slide Maker", "Slide Maker"},
      {u"caf\u00e9 au lait", "caf\xC3\xA9 au lait"},
      {u"\u20ac5", "\xE2\x82\xAC" "5"},
      {u"a\U0001F600b", "a\xF0\x9F\x98\x80" "b"},
      {std::u16string(u"x") + char16_t(0xD800), "x\xEF\xBF\xBD"},           // lone high at the end
      {char16_t(0xDC00) + std::u16string(u"yz"), "\xEF\xBF\xBDyz"},         // lone low at the start
      {std::u16string(u"a") + char16_t(0xD800) + u"b", "a\xEF\xBF\xBD" "b"},  // high then ASCII
      // Longer than a conversion block, a pair straddling its end.
      {std::u16string(255, u'x') + u"\U0001F600" + std::u16string(300, u'\u00e9'),
       std::string(255, 'x') + "\xF0\x9F\x98\x80" + [] {
         std::string e;
         for (int i = 0; i < 300; ++i) e += "\xC3\xA9";
         return e;
       }()},
      {std::u16string(256, u'y') + char16_t(0xDC00), std::string(256, 'y') + "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(common::utf8::fromUtf16(c.in), c.out);
    std::string appended = "kept:";
    common::utf8::appendFromUtf16(appended, c.in);
    EXPECT_EQ(appended, "kept:" + c.out);
  }
}

}  // namespace
