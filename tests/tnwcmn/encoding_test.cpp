#include "tnwcmn/encoding.h"

#include <gtest/gtest.h>

#include "tnwcmn/utf8.h"

namespace {

using tnw::encoding::Kind;

std::string decode(Kind k, const std::string& bytes) {
  std::string out;
  tnw::encoding::decode(k, bytes.data(), static_cast<int32_t>(bytes.size()), out);
  return out;
}

std::string encode(Kind k, const std::string& utf8) {
  std::string out;
  tnw::encoding::encode(k, utf8, out);
  return out;
}

TEST(Encoding, NamesAreKnownWithoutRegardToCase) {
  EXPECT_EQ(tnw::encoding::parse("ascii"), Kind::kAscii);
  EXPECT_EQ(tnw::encoding::parse("System-8"), Kind::kSystem8);
  EXPECT_EQ(tnw::encoding::parse("UTF8"), Kind::kUtf8);
  EXPECT_EQ(tnw::encoding::parse("wchar_t"), Kind::kWide);
  EXPECT_EQ(tnw::encoding::parse("latin-9"), Kind::kUnknown);
  EXPECT_EQ(tnw::encoding::parse(nullptr), Kind::kUnknown);
}

TEST(Encoding, IllFormedUtf8BecomesReplacementCharacters) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"plain", "plain"},
      {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},            // a stray byte
      {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},      // overlong "/"
      {"\xED\xA0\x80", "\xEF\xBF\xBD"},                  // an encoded surrogate
      {"\xE2\x82", "\xEF\xBF\xBD"},                  // truncated at the end
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},      // a valid 4-byte sequence
  };
  for (const auto& c : cases) EXPECT_EQ(decode(Kind::kUtf8, c.in), c.out) << c.in;
}

TEST(Encoding, WideIsUtf16WithSurrogatePairs) {
  const char16_t w[] = {u'A', 0xD83D, 0xDE00, 0xDC00, 0};
  std::string out;
  tnw::encoding::decode(Kind::kWide, w, -1, out);
  EXPECT_EQ(out, "A\xF0\x9F\x98\x80\xEF\xBF\xBD");  // the lone low surrogate is replaced
  const std::string bytes = encode(Kind::kWide, "A\xF0\x9F\x98\x80");
  ASSERT_EQ(bytes.size(), 6u);
  std::u16string back(reinterpret_cast<const char16_t*>(bytes.data()), 3);
  EXPECT_EQ(back, (std::u16string{u'A', 0xD83D, 0xDE00}));
}

TEST(Encoding, AsciiMarksWhatItCannotHold) {
  EXPECT_EQ(encode(Kind::kAscii, "caf\xC3\xA9!"), "caf~!");
  EXPECT_EQ(decode(Kind::kAscii, "caf\xE9"), "caf\xEF\xBF\xBD");
}

TEST(Encoding, SystemCodePageRoundTripsWhatItCanRepresent) {
  const std::string text = "Program path is 'C:\\Agent'";
  EXPECT_EQ(decode(Kind::kSystem8, encode(Kind::kSystem8, text)), text);
}


}  // namespace
