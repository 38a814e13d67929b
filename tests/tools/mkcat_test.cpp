#include "catalog_source.h"

#include <gtest/gtest.h>

namespace {

TEST(Mkcat, CompilesSortedBigEndianEntries) {
  std::vector<std::string> errors;
  auto messages = mkcat::parseSource("s435m2 two\n# comment\n\n0xE1B30001 one\\x01\\t\\\\\n", errors);
  ASSERT_TRUE(errors.empty());
  const std::string cat = mkcat::compile(messages, errors);
  ASSERT_TRUE(errors.empty());
  const std::string expected = std::string("kestract\0\0\0\2", 12) +
                               std::string("\x01\xB3\0\x06\0\0\0\x01\0\0\0\x24", 12) +  // s435 len 6 m1 at 36
                               std::string("\x01\xB3\0\x03\0\0\0\x02\0\0\0\x2A", 12) +  // s435 len 3 m2 at 42
                               "one\x01\t\\" "two";
  EXPECT_EQ(cat, expected);
  std::string source, error;
  ASSERT_TRUE(mkcat::dump(cat, source, error));
  EXPECT_EQ(source, "s435m1 one\\x01\\t\\\\\ns435m2 two\n");
}

TEST(Mkcat, ReportsBadLinesAndDuplicates) {
  std::vector<std::string> errors;
  auto messages = mkcat::parseSource("x1 nope\ns435m1 bad \\q escape\ns4096m1 set too big\ns1m1 a\ns1m1 b\n", errors);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].rfind("line 1:", 0), 0u);
  EXPECT_EQ(errors[1].rfind("line 2:", 0), 0u);
  EXPECT_EQ(errors[2].rfind("line 3:", 0), 0u);
  mkcat::compile(messages, errors);
  ASSERT_EQ(errors.size(), 4u);
  EXPECT_NE(errors[3].find("defined twice"), std::string::npos);
  std::string source, error;
  EXPECT_FALSE(mkcat::dump("kestract\xFF\xFF\xFF\xFF", source, error));
  EXPECT_FALSE(mkcat::dump("short", source, error));
}

}  // namespace
