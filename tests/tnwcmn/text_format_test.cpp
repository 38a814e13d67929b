#include "tnwcmn/text_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tnwcmn/services.h"
#include "tnwcmn/text_object.h"

namespace {

struct Args {
  std::vector<tnw::Arg> items;
  std::vector<tnw::TextI*> texts;
  ~Args() {
    for (auto* t : texts) t->release();
  }
  Args& i32(int32_t v) { return push(tnw::kArgInt32, [&](tnw::Arg& a) { a.v.i = v; }); }
  Args& u32(uint32_t v) { return push(tnw::kArgUInt32, [&](tnw::Arg& a) { a.v.i = v; }); }
  Args& i64(int64_t v) { return push(tnw::kArgInt64, [&](tnw::Arg& a) { a.v.i = v; }); }
  Args& i16(int16_t v) { return push(tnw::kArgInt16, [&](tnw::Arg& a) { a.v.i = v; }); }
  Args& ptr(const void* v) { return push(tnw::kArgPointer, [&](tnw::Arg& a) { a.v.p = v; }); }
  Args& chr(char32_t v) { return push(tnw::kArgChar, [&](tnw::Arg& a) { a.v.i = v; }); }
  Args& narrow(const char* v) { return push(tnw::kArgNarrow, [&](tnw::Arg& a) { a.v.narrow = v; }); }
  Args& dbl(double v) { return push(tnw::kArgDouble, [&](tnw::Arg& a) { a.v.d = v; }); }
  Args& text(const char* v) {
    texts.push_back(tnw::makeText(v));
    tnw::TextI* t = texts.back();
    return push(tnw::kArgText, [&](tnw::Arg& a) { a.v.text = t; });
  }
  template <typename F>
  Args& push(int32_t type, F set) {
    tnw::Arg a{};
    a.type = type;
    set(a);
    items.push_back(a);
    return *this;
  }
  std::string fmt(const char* f) const {
    tnw::ArgList list{static_cast<int32_t>(items.size()), items.data()};
    return tnw::formatPositional(f, &list);
  }
};

TEST(TextFormat, PositionalArgumentsInAnyOrder) {
  Args a;
  a.text("agent").i32(7).u32(0x2a);
  EXPECT_EQ(a.fmt("%2$d: %1$S (%3$#x)"), "7: agent (0x2a)");
  EXPECT_EQ(a.fmt("%1$S %1$S"), "agent agent");
  EXPECT_EQ(a.fmt("100%% %1$S"), "100% agent");
}

TEST(TextFormat, SequentialFlagsWidthsPrecisions) {
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"[%5d]", "[   -3]"}, {"[%-5d]", "[-3   ]"}, {"[%05d]", "[-0003]"}, {"[%+d]", "[-3]"},
      {"[%.3s]", "[abc]"},   {"[%8.3s]", "[     abc]"}, {"[%x]", "[fffffffd]"},
  };
  for (const auto& c : cases) {
    Args a;
    if (std::string(c.format).find('s') != std::string::npos)
      a.narrow("abcdef");
    else
      a.i32(-3);
    EXPECT_EQ(a.fmt(c.format), c.expected) << c.format;
  }
  Args s;
  s.i32(6).i32(2).narrow("abcdef");
  EXPECT_EQ(s.fmt("[%*.*s]"), "[    ab]");
  Args p;
  p.narrow("abcdef").i32(4);
  EXPECT_EQ(p.fmt("[%1$*2$s]"), "[abcdef]");
  EXPECT_EQ(p.fmt("[%1$.*2$s]"), "[abcd]");
  Args neg;
  neg.i32(-4).narrow("ab");
  EXPECT_EQ(neg.fmt("[%*s]"), "[ab  ]");  // a negative width means left-justified
}

TEST(TextFormat, IntegerWidthsFollowTheArgument) {
  Args a;
  a.i64(-1234567890123LL).i16(-2).u32(4000000000u);
  EXPECT_EQ(a.fmt("%lld %d %u"), "-1234567890123 -2 4000000000");
  EXPECT_EQ(a.fmt("%2$x %2$hx %2$hhx"), "fffe fffe fe");
  EXPECT_EQ(a.fmt("%3$d"), "4000000000");  // an unsigned value keeps its value under %d
}

TEST(TextFormat, CharactersPointersAndDoubles) {
  Args a;
  a.chr(U'\u00e9').ptr(reinterpret_cast<const void*>(0x1234)).dbl(2.5);
  EXPECT_EQ(a.fmt("%c"), "\xC3\xA9");
  const std::string p = a.fmt("%2$p");
  EXPECT_EQ(p.size(), sizeof(void*) * 2);
  EXPECT_EQ(p.substr(p.size() - 4), "1234");
  EXPECT_EQ(a.fmt("%3$.1f"), "2.5");
}

TEST(TextFormat, PrecisionAndWidthCountCharactersNotBytes) {
  Args a;
  a.narrow("\xC3\xA9t\xC3\xA9");  // "été"
  EXPECT_EQ(a.fmt("[%.2s]"), "[\xC3\xA9t]");
  EXPECT_EQ(a.fmt("[%4s]"), "[ \xC3\xA9t\xC3\xA9]");
}

TEST(TextFormat, HostileFormatsNeverReadOrWriteOutsideTheList) {
  Args a;
  a.i32(5).narrow("x");
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"%n%1$d", "5"},                 // %n writes nothing
      {"%3$d|%9999$s|", "||"},         // positions the list lacks
      {"%1$s|%2$d|", "||"},            // a number as a string, a string as a number
      {"%0$d|", "|"},                  // position 0 names no argument
      {"%", "%"},                      // a lone percent at the end
      {"%1$", "%1$"},                  // a directive cut off
      {"%y %1$d", "%y 5"},             // unknown conversion stays as it is
      {"%*9$d|", "|"},                 // a width from a missing position
  };
  for (const auto& c : cases) EXPECT_EQ(a.fmt(c.format), c.expected) << c.format;
  EXPECT_LE(a.fmt("%999999999999d").size(), static_cast<size_t>(tnw::kMaxWidth));
  EXPECT_LE(a.fmt("%.999999999f").size(), static_cast<size_t>(tnw::kMaxWidth) + 1);
  EXPECT_EQ(tnw::formatPositional("%d %s", nullptr), " ");
}

TEST(TextFormat, IllFormedBytesOfTheFormatBecomeReplacementCharacters) {
  Args a;
  a.i32(5);
  struct Case {
    const char* format;
    const char* expected;
  } cases[] = {
      {"\xff[%d]", "\xEF\xBF\xBD[5]"},                         // a stray byte in the literal text
      {"%d\xC3", "5\xEF\xBF\xBD"},                             // a sequence cut off at the end
      {"\xE0\x80\xAF|%d", "\xEF\xBF\xBD|5"},                   // an overlong form
      {"\xED\xA0\x80%d", "\xEF\xBF\xBD" "5"},                  // a surrogate
      {"%\xff %d", "%\xEF\xBF\xBD 5"},                         // an unknown conversion kept as text
      {"%1$\xC3\xA9|%d", "%1$\xC3\xA9|5"},                     // ... never splits a good character
      {"caf\xC3\xA9 %d \xF0\x9F\x98\x80", "caf\xC3\xA9 5 \xF0\x9F\x98\x80"},  // good text is untouched
  };
  for (const auto& c : cases) EXPECT_EQ(a.fmt(c.format), c.expected) << c.format;

  // The text service hands out the same well-formed text.
  tnw::ArgList list{static_cast<int32_t>(a.items.size()), a.items.data()};
  tnw::TextI* out = tnw::textService().formatUtf8("\xff[%d]", &list);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(tnw::view(out), "\xEF\xBF\xBD[5]");
  out->release();
}

}  // namespace
