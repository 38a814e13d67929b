#include "runtime/strings/string_c.h"

#include <gtest/gtest.h>

#include <climits>
#include <thread>
#include <vector>

#include "runtime/strings/arg_list.h"
#include "runtime/strings/kva_string.h"
#include "runtime/strings/string_array.h"

namespace {

StringC u(const char* s) { return StringC::fromUtf8(s); }

TEST(StringC, ConstructionNamesTheInputEncoding) {
  EXPECT_TRUE(StringC().isEmpty());
  EXPECT_EQ(StringC("vdiendpoint", "ascii"), u("vdiendpoint"));
  EXPECT_EQ(StringC("\xC3\xA9", "utf8").length(), 1);
  EXPECT_EQ(StringC(u"Tarnwell VDI Endpoint Plugin"), u("Tarnwell VDI Endpoint Plugin"));
  EXPECT_EQ(StringC(U'\u20ac'), u("\xE2\x82\xAC"));
  EXPECT_EQ(StringC("x", "no-such-encoding"), StringC());
  EXPECT_EQ(StringC(static_cast<const char*>(nullptr), "ascii"), StringC());
}

TEST(StringC, PositionsCountCharacters) {
  const StringC s = u("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC" "5");  // "été €5"
  EXPECT_EQ(s.length(), 6);
  EXPECT_EQ(s.find(U't'), 1);
  EXPECT_EQ(s.find(U'\u20ac'), 4);
  EXPECT_EQ(s.find(u("\xC3\xA9"), 1), 2);
  EXPECT_EQ(s.find(U'x'), StringC::kNotFound);
  EXPECT_EQ(s.find(U't', 99), StringC::kNotFound);
  EXPECT_EQ(s.findFirstOf(u(" 5")), 3);
  EXPECT_EQ(s.at(2), U'\u00e9');
  EXPECT_EQ(s.at(6), 0u);
  EXPECT_EQ(s.at(-1), 0u);
  EXPECT_EQ(s.substr(2, 3), u("\xC3\xA9 \xE2\x82\xAC"));
  EXPECT_EQ(s.substr(4), u("\xE2\x82\xAC" "5"));
  EXPECT_EQ(s.substr(40, 2), StringC());
  StringC e = s;
  e.erase(1, 2);
  EXPECT_EQ(e, u("\xC3\xA9 \xE2\x82\xAC" "5"));
  EXPECT_EQ(s.length(), 6);  // the copy was not touched
}

TEST(StringC, EditingOperations) {
  StringC s = u("  a,b;;c  ");
  s.trimLeft(u(" ")).trimRight(u(" "));
  EXPECT_EQ(s, u("a,b;;c"));
  const StringArrayC parts = s.split(u(",;"));
  ASSERT_EQ(parts.count(), 4);
  EXPECT_EQ(parts.at(0), u("a"));
  EXPECT_EQ(parts.at(2), StringC());
  EXPECT_EQ(parts.at(3), u("c"));
  EXPECT_EQ(parts.at(4), StringC());
  StringC r = u("$(A) and $(A)");
  r.replaceAll(u("$(A)"), u("x"));
  EXPECT_EQ(r, u("x and x"));
  EXPECT_EQ(u("ab") + u("cd"), u("abcd"));
  EXPECT_EQ(u("MiXeD \xC3\x89").toLower(), u("mixed \xC3\xA9"));
  EXPECT_TRUE(u("abc").equals(u("abc")));
  EXPECT_LT(u("abc").compare(u("abd")), 0);
}

TEST(StringC, ConversionToInt64) {
  struct Case {
    const char* text;
    int64_t value;
  } cases[] = {
      {"", 0},       {"abc", 0},   {"42", 42},   {"  -17", -17}, {"+8", 8},
      {"12abc", 12}, {"-", 0},     {"9223372036854775807", INT64_MAX},
      {"99999999999999999999", INT64_MAX},       {"-9223372036854775808", INT64_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(u(c.text).toInt64(), c.value) << c.text;
}

TEST(StringC, EncodesAndFormats) {
  EXPECT_EQ(u("caf\xC3\xA9").encode("ascii"), "caf~");
  EXPECT_EQ(u("A\xF0\x9F\x98\x80").toUtf16(), (std::u16string{u'A', 0xD83D, 0xDE00}));
  EXPECT_EQ(u("Program version is '%1$S %2$S'").format(ArgListC::of(u("VDI Endpoint Monitor"), u("1.0"))),
            u("Program version is 'VDI Endpoint Monitor 1.0'"));
  KVAStringC k(u("name"));
  k.append('!').append("?");
  EXPECT_STREQ(k.narrow(), "name!?");
  EXPECT_EQ(std::u16string(k.wide()), u"name!?");
  EXPECT_TRUE(KVAStringC().isEmpty());
  EXPECT_STREQ(KVAStringC(static_cast<const char*>(nullptr)).narrow(), "");
}

TEST(StringC, CopiesShareAcrossThreadsSafely) {
  const StringC shared = u("shared text");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        StringC copy = shared;
        StringC other = std::move(copy);
        EXPECT_EQ(other.length(), 11);
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(shared, u("shared text"));
}

}  // namespace
