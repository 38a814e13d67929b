#include "tnwcmn/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, AFileNamesItsCodePageByNumberOrIsReported) {
  const std::string tail = "; 1252 is used";
  struct Case {
    std::string text;
    uint32_t expected;
    std::string problem;  // after "m/ansi-code-page:1: ", "" for none
  } cases[] = {
      {"1251\n", 1251, ""},
      {" \t932 \r\n\r\n", 932, ""},
      {"1252", 1252, ""},
      {"", 1252, "no code page number"},
      {" \r\n", 1252, "no code page number"},
      {"cp1251", 1252, "\"cp1251\" is not a code page number"},
      {"12 51", 1252, "\"12 51\" is not a code page number"},
      {"-1251", 1252, "\"-1251\" is not a code page number"},
      {"4294968547", 1252, "\"4294968547\" is not a code page number"},  // 1251 above 2^32
      {"\x01\xE9", 1252, "\"??\" is not a code page number"},
      {std::string(50, '7'), 1252, "\"" + std::string(40, '7') + "...\" is not a code page number"},
      {"437", 1252, "code page 437 cannot be decoded here"},      // an OEM code page, never the ANSI one
      {"65001", 1252, "code page 65001 cannot be decoded here"},
      {"0", 1252, "code page 0 cannot be decoded here"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> problems;
    EXPECT_EQ(tnw::codepage::parseNamed(c.text, "m/ansi-code-page", problems), c.expected) << c.text;
    if (c.problem.empty())
      EXPECT_TRUE(problems.empty()) << c.text << ": " << problems.front();
    else
      EXPECT_EQ(problems, std::vector<std::string>{"m/ansi-code-page:1: " + c.problem + tail}) << c.text;
  }
}

TEST(CodePage, DecodesTheCharactersOfEachAnsiCodePage) {
  struct Case {
    uint32_t codePage;
    const char* bytes;
    const char* expected;
  } cases[] = {
      {1252, "caf\xE9 \x80 \x9F", "caf\xC3\xA9 \xE2\x82\xAC \xC5\xB8"},
      {1250, "\x8A\xE8", "\xC5\xA0\xC4\x8D"},
      {1251, "\xC0\xFF", "\xD0\x90\xD1\x8F"},
      {1253, "\xE1", "\xCE\xB1"},
      {874, "\xA1", "\xE0\xB8\x81"},
      {932, "\x95\x5C\xB1", "\xE8\xA1\xA8\xEF\xBD\xB1"},  // a double-byte character and a half-width katakana
      {936, "\xD6\xD0", "\xE4\xB8\xAD"},
      {949, "\xC7\xD1", "\xED\x95\x9C"},
      {950, "\xA4\xA4", "\xE4\xB8\xAD"},
      {1252, "plain", "plain"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(tnw::codepage::known(c.codePage)) << c.codePage;
    std::string out;
    std::vector<size_t> bad;
    tnw::codepage::decode(c.codePage, c.bytes, out, bad);
    EXPECT_EQ(out, c.expected) << c.codePage << " " << c.bytes;
    EXPECT_TRUE(bad.empty()) << c.codePage << " " << c.bytes;
  }
}

}  // namespace
