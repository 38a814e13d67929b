#include "common/printf_directive.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace pf = common::printf_format;
using Form = pf::Amount::Form;

// Each row reads the directive at the start of `format` with the sequence
// at 5.
TEST(PrintfDirective, ReadsOneDirective) {
  struct Case {
    const char* format;
    pf::Kind kind;
    size_t end;
    int argument;
    int next;  // the sequence after it
    Form width;
    int widthValue;
    Form precision;
    int precisionValue;
    pf::Length length;
  } cases[] = {
      {"%d|", pf::Kind::kConversion, 2, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kNone},
      {"%3$-08.3lx|", pf::Kind::kConversion, 10, 3, 5, Form::kNumber, 8, Form::kNumber, 3, pf::Length::kL},
      {"%*.*s", pf::Kind::kConversion, 5, 7, 8, Form::kStar, 5, Form::kStar, 6, pf::Length::kNone},
      {"%2$*1$.*9$S", pf::Kind::kConversion, 11, 2, 5, Form::kStar, 1, Form::kStar, 9, pf::Length::kNone},
      {"%*0$d", pf::Kind::kConversion, 5, 5, 6, Form::kStar, -1, Form::kAbsent, 0, pf::Length::kNone},
      {"%0$d", pf::Kind::kConversion, 4, -1, 5, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kNone},
      {"%.f", pf::Kind::kConversion, 3, 5, 6, Form::kAbsent, 0, Form::kNumber, 0, pf::Length::kNone},
      {"%hhd", pf::Kind::kConversion, 4, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kHH},
      {"%hlhd", pf::Kind::kConversion, 5, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kH},
      {"%lI32d", pf::Kind::kConversion, 6, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kL},
      {"%I64u %I", pf::Kind::kConversion, 5, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kLL},
      {"%Iu", pf::Kind::kConversion, 3, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kZ},
      {"%wqjztLc", pf::Kind::kConversion, 8, 5, 6, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kBigL},
      {"%99999999999$d", pf::Kind::kConversion, 14, 999999999, 5, Form::kAbsent, 0, Form::kAbsent, 0,
       pf::Length::kNone},
      {"%%d", pf::Kind::kPercent, 2, 0, 5, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kNone},
      {"%5%", pf::Kind::kUnknown, 3, 0, 5, Form::kNumber, 5, Form::kAbsent, 0, pf::Length::kNone},
      {"%*k", pf::Kind::kUnknown, 3, 0, 6, Form::kStar, 5, Form::kAbsent, 0, pf::Length::kNone},
      {"%*3d", pf::Kind::kUnknown, 3, 0, 6, Form::kStar, 5, Form::kAbsent, 0, pf::Length::kNone},
      {"%-*.*", pf::Kind::kTruncated, 5, 0, 7, Form::kStar, 5, Form::kStar, 6, pf::Length::kNone},
      {"%1$", pf::Kind::kTruncated, 3, 0, 5, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kNone},
      {"%", pf::Kind::kTruncated, 1, 0, 5, Form::kAbsent, 0, Form::kAbsent, 0, pf::Length::kNone},
  };
  for (const Case& c : cases) {
    int next = 5;
    const pf::Directive d = pf::readDirective(c.format, 0, next);
    EXPECT_EQ(d.kind, c.kind) << c.format;
    EXPECT_EQ(d.end, c.end) << c.format;
    EXPECT_EQ(d.argument, c.argument) << c.format;
    EXPECT_EQ(next, c.next) << c.format;
    EXPECT_EQ(d.width.form, c.width) << c.format;
    EXPECT_EQ(d.width.value, c.widthValue) << c.format;
    EXPECT_EQ(d.precision.form, c.precision) << c.format;
    EXPECT_EQ(d.precision.value, c.precisionValue) << c.format;
    EXPECT_EQ(d.length, c.length) << c.format;
  }
}

TEST(PrintfDirective, ReadsFlagsAndTheConversion) {
  int next = 1;
  const pf::Directive d = pf::readDirective(std::string("x%'- +#0'7G"), 1, next);
  EXPECT_TRUE(d.left && d.plus && d.space && d.alt && d.zero);
  EXPECT_EQ(d.conversion, 'G');
  EXPECT_EQ(d.takes, pf::Takes::kDouble);
  const pf::Directive plain = pf::readDirective("%p", 0, next);
  EXPECT_FALSE(plain.left || plain.plus || plain.space || plain.alt || plain.zero);
  EXPECT_EQ(plain.takes, pf::Takes::kPointer);
}

}  // namespace
