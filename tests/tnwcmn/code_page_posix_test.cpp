// Bytes a code page leaves undefined, as the Linux tables define them
// (Windows reads some of them as C1 controls instead).
#include <gtest/gtest.h>

#include "tnwcmn/code_page.h"
#include "tnwcmn/reg_store.h"
#include "tnwcmn/registry_value.h"

namespace {

const char* const kFffd = "\xEF\xBF\xBD";

TEST(CodePagePosix, UndefinedBytesBecomeReplacementCharactersAtTheirOffsets) {
  struct Case {
    uint32_t codePage;
    std::string bytes;
    std::string expected;
    std::vector<size_t> bad;
  } cases[] = {
      {1252, "a\x81" "b\x8D", std::string("a") + kFffd + "b" + kFffd, {1, 3}},
      {932, "\x95\"x", std::string(kFffd) + "\"x", {0}},        // a lead byte without its second byte
      {932, "a\x95", std::string("a") + kFffd, {1}},            // cut off at the end
      {437, "\xE9!", std::string(kFffd) + "!", {0}},            // not an ANSI code page: nothing above 0x7F
  };
  for (const auto& c : cases) {
    std::string out;
    std::vector<size_t> bad;
    tnw::codepage::decode(c.codePage, c.bytes, out, bad);
    EXPECT_EQ(out, c.expected) << c.codePage;
    EXPECT_EQ(bad, c.bad) << c.codePage;
  }
}

TEST(CodePagePosix, Regedit4BytesOutsideTheCodePageAreReportedAndTheValueKept) {
  struct Case {
    uint32_t codePage;
    const char* line;  // line 3, after the header and the key
    const char* name;
    std::string expected;
    const char* problem;
  } cases[] = {
      {1252, "\"A\"=\"caf\x81\"", "A", std::string("caf") + kFffd,
       "r4.reg:3: byte 0x81 is not a character of code page 1252; read as U+FFFD"},
      {1252, "\"B\"=\"\x81\x8D\x90\"", "B", std::string(kFffd) + kFffd + kFffd,
       "r4.reg:3: 3 bytes are not characters of code page 1252 (the first is 0x81); read as U+FFFD"},
      {1252, "\"P\"=hex(2):41,9d,00", "P", std::string("A") + kFffd,
       "r4.reg:3: byte 0x9D is not a character of code page 1252; read as U+FFFD"},
      {1252, "\"Q\"=hex(7):41,00,\\\n  ;\x81 a comment is skipped whole\n  81,00,00", "Q", std::string("A;") + kFffd,
       "r4.reg:3: byte 0x81 is not a character of code page 1252; read as U+FFFD"},
      {932, "\"J\"=\"\x95\"", "J", kFffd, "r4.reg:3: byte 0x95 is not a character of code page 932; read as U+FFFD"},
  };
  for (const auto& c : cases) {
    tnw::reg::Store store;
    std::vector<std::string> problems;
    tnw::reg::loadRegFile(std::string("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n") + c.line + "\r\n", "r4.reg", store,
                          problems, c.codePage);
    EXPECT_EQ(problems, std::vector<std::string>{c.problem}) << c.line;
    const auto* key = store.find("HKEY_LOCAL_MACHINE", {"K"});
    ASSERT_NE(key, nullptr);
    const auto* value = key->value(c.name);
    ASSERT_NE(value, nullptr) << c.line;
    std::string text;
    ASSERT_EQ(tnw::reg::valueToText(value->type, value->data, text), tnw::kOk);
    EXPECT_EQ(text, c.expected) << c.line;
  }
}

}  // namespace
