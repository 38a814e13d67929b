#include "runtime/strings/arg_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "common/printf_directive.h"

namespace {

std::string fmt(const char* format, const ArgListC& args) { return StringC::fromUtf8(format).format(args).toUtf8(); }

TEST(ArgListC, MarshallingFollowsPositionsNotTextOrder) {
  const StringC name = StringC::fromUtf8("agent");
  // Argument 2 (a string) is named before argument 1 (an integer).
  const ArgListC list = ArgListC::fromVa("%2$S has %1$d pieces", 7, &name);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.abi()->items[0].type, tnw::kArgInt32);
  EXPECT_EQ(list.abi()->items[1].type, tnw::kArgText);
  EXPECT_EQ(fmt("%2$S has %1$d pieces", list), "agent has 7 pieces");
}

TEST(ArgListC, MarshallingReadsEveryKind) {
  const StringC s = StringC::fromUtf8("S");
  int anchor = 0;
  const ArgListC list = ArgListC::fromVa("%s %S %lld %hd %c %p %u %.*f %x", "narrow", &s, -5LL, 7, 'z', &anchor,
                                         4000000000u, 2, 1.5, 255);
  ASSERT_EQ(list.count(), 10);
  EXPECT_EQ(fmt("%s %S %lld %hd %c %u %.*f %x", ArgListC::fromVa("%s %S %lld %hd %c %u %.*f %x", "narrow", &s, -5LL, 7,
                                                                    'z', 4000000000u, 2, 1.5, 255)),
            "narrow S -5 7 z 4000000000 1.50 ff");
  EXPECT_EQ(list.abi()->items[5].v.p, &anchor);
}

TEST(ArgListC, AGapStopsTheReadingAndMissingPositionsFormatEmpty) {
  // Position 2 is never named: its type, so where 3 starts, is unknown.
  const ArgListC list = ArgListC::fromVa("%1$d %3$d", 1, 2, 3);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(fmt("%1$d [%3$d]", list), "1 []");
}

TEST(ArgListC, ScanStopsAtTheHundredAndTwentyEighthPosition) {
  std::string format;
  for (int i = 1; i <= 130; ++i) format += "%" + std::to_string(i) + "$d";
  int32_t types[ArgListC::kMaxPositions + 1];
  int32_t lengths[ArgListC::kMaxPositions + 1];
  EXPECT_EQ(ArgListC::scanFormat(format.c_str(), types, lengths), 128);
  EXPECT_EQ(ArgListC::scanFormat("%2$*1$s", types, lengths), 2);
  EXPECT_EQ(types[1], tnw::kArgInt32);  // "*" consumes an integer
  EXPECT_EQ(types[2], tnw::kArgNarrow);
}

// Naming the last position does not end the scan: the formatter reads the
// positions named after it, so the marshalling must too.
TEST(ArgListC, PositionsNamedAfterTheLastOneStillCount) {
  int32_t types[ArgListC::kMaxPositions + 1];
  int32_t lengths[ArgListC::kMaxPositions + 1];
  EXPECT_EQ(ArgListC::scanFormat("%128$d %1$s %2$lld %200$d", types, lengths), 128);
  EXPECT_EQ(types[1], tnw::kArgNarrow);
  EXPECT_EQ(types[2], tnw::kArgInt32);
  EXPECT_EQ(lengths[2], static_cast<int32_t>(common::printf_format::Length::kLL));
}

TEST(ArgListC, CopiesKeepTheirOwnTexts) {
  ArgListC a;
  {
    std::string temp = "temporary";
    a.addNarrow(temp.c_str()).addString(StringC::fromUtf8("kept"));
    temp.assign("overwritten");
  }
  ArgListC b = a;
  a = ArgListC(5);
  EXPECT_EQ(fmt("%s %S", b), "temporary kept");
  EXPECT_EQ(fmt("%d", a), "5");
  EXPECT_EQ(fmt("%s", ArgListC::of(static_cast<const char*>(nullptr))), "(null)");
}

// A list whose contents were moved away reads as empty and can be used
// again: copied from, assigned to and added to.
TEST(ArgListC, AMovedFromListIsEmptyAndUsable) {
  ArgListC a(7);
  ArgListC b(std::move(a));
  EXPECT_EQ(a.count(), 0);  // NOLINT: the state after a move is the point
  ArgListC copy(a);
  EXPECT_EQ(copy.count(), 0);
  ArgListC target(3);
  target = a;
  EXPECT_EQ(target.count(), 0);
  a.addInt32(9);
  EXPECT_EQ(fmt("%d", a), "9");
  ArgListC c(1);
  c = std::move(b);
  b = c;
  EXPECT_EQ(fmt("%d", b), "7");
}

}  // namespace
