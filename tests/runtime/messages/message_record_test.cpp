#include "runtime/messages/message_record.h"

#include <gtest/gtest.h>

namespace {

using message_record::parse;
using message_record::parseKinds;

TEST(MessageRecord, KindLetters) {
  struct Case {
    const char* kinds;
    const char* variants;
    int32_t status;
  } cases[] = {
      {"", "", 4},   {"#", "", 0},  {"m", "", 1},   {"i", "", 2},  {"w", "", 3},  {"e", "", 4},
      {"f", "", 5},  {"iw", "", 3}, {"wi", "", 2},  {"Xe", "", 4}, {"Xw", "", 4}, {"Xw", "X", 3},
      {"wXi", "", 3}, {"wXi", "YX", 2}, {"i?!", "", 2}, {"i}w", "", 2}, {"i\x01w", "", 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parseKinds(c.kinds, c.variants), c.status) << "'" << c.kinds << "' with '" << c.variants << "'";
}

TEST(MessageRecord, BraceForm) {
  auto r = parse("{w} Disk is full");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.text, "Disk is full");
  r = parse("{i}\tTabbed");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.text, "Tabbed");
  r = parse("{i}  two blanks");
  EXPECT_EQ(r.text, " two blanks");  // only one blank is skipped
  r = parse("{w");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.text, "");
}

TEST(MessageRecord, FieldForm) {
  auto r = parse("\x01\x01i\x01Program path is '%1$S'\x01");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.text, "Program path is '%1$S'");
  r = parse("\x01\x01" "e\x01" "Failed to create new thread\x01" "Error code %d\x01");
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.text, "Failed to create new thread");
  EXPECT_EQ(r.detail, "Error code %d");
  // Records with an empty condition apply in turn; the last one wins.
  r = parse("\x01\x01i\x01" "first\x01\x01\x01\x01w\x01second\x01\x01\x01");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.text, "second");
  // A conditional record applies only to its selector, and ends the search.
  const char* selected = "\x01\x01i\x01plain\x01\x01\x01" "NT\x01" "e\x01" "for NT\x01\x01\x01\x01w\x01later\x01\x01\x01";
  EXPECT_EQ(parse(selected).text, "later");
  r = parse(selected, "", "NT");
  EXPECT_EQ(r.text, "for NT");
  EXPECT_EQ(r.status, 4);
  r = parse("\x01" "cond\x01i\x01only conditional\x01\x01\x01");
  EXPECT_EQ(r.text, "");
  EXPECT_EQ(r.status, 4);
}

TEST(MessageRecord, PlainText) {
  auto r = parse("Just a text {not} a record");
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.text, "Just a text {not} a record");
  EXPECT_EQ(parse("").text, "");
}

}  // namespace
