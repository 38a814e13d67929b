// A text stream and the text service make the same text of the same bytes,
// whatever chunks the stream receives them in: both read UTF-8 by one rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/streams/text_encoding.h"
#include "runtime/strings/string_c.h"
#include "test_support.h"

namespace {

#define R "\xEF\xBF\xBD"  // U+FFFD

struct Case {
  std::string bytes;
  std::string text;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      {"plain", "plain"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xC0\xAF", R R},                          // overlong "/": C0 starts nothing
      {"\xE0\x80\xAF", R},                        // overlong "/", one sequence
      {"\xED\xA0\x80", R},                        // a surrogate
      {"\xF4\x90\x80\x80", R},                    // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", R R R R R},        // the old five-byte form: no lead byte, no continuations
      {"a\x80" "b", "a" R "b"},                   // a stray continuation byte
      {"\xE2\x82" "A", R "A"},                    // a sequence broken off
      {"x\xF0\x9F" "A", "x" R "A"},               // ... near the end too
      {"\xC3\xA9\xC3", "\xC3\xA9" R},             // cut off by the end
      {"\xF0\x9F\x98", R},
      {"\xFF\xFE", R R},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  return table;
}

bool hasReplacement(const std::string& s) { return s.find(R) != std::string::npos; }

// The bytes through a decoder in the chunks that `cuts` (ascending byte
// offsets) make.
std::string decodeInChunks(const TextEncodingI& e, const std::string& bytes, const std::vector<size_t>& cuts,
                           bool* invalid) {
  auto d = e.createDecoder();
  std::string out;
  size_t from = 0;
  for (size_t cut : cuts) {
    out += d->decode(bytes.data() + from, cut - from);
    from = cut;
  }
  out += d->decode(bytes.data() + from, bytes.size() - from);
  out += d->finish();
  *invalid = d->invalidSeen();
  return out;
}

// Whole, cut once at every offset, and byte by byte.
void expectEveryChunkingGives(const TextEncodingI& e, const Case& c) {
  std::vector<std::vector<size_t>> chunkings = {{}};
  std::vector<size_t> bytewise;
  for (size_t k = 1; k < c.bytes.size(); ++k) {
    chunkings.push_back({k});
    bytewise.push_back(k);
  }
  chunkings.push_back(bytewise);
  for (const auto& cuts : chunkings) {
    bool invalid = false;
    EXPECT_EQ(decodeInChunks(e, c.bytes, cuts, &invalid), c.text) << e.name() << " " << c.bytes << ", " << cuts.size()
                                                                    << " cuts";
    EXPECT_EQ(invalid, hasReplacement(c.text)) << e.name() << " " << c.bytes;
  }
}

TEST(Utf8Reading, TheTextServiceAndTheUtf8StreamAgree) {
  for (const Case& c : cases()) {
    EXPECT_EQ(StringC::fromUtf8(c.bytes).toUtf8(), c.text) << c.bytes;
    expectEveryChunkingGives(utf8TextEncoding(), c);
  }
}

// The UTF-16 encoders read their UTF-8 input by the same rule.
TEST(Utf8Reading, TheUtf16EncoderReadsAlike) {
  for (const Case& c : cases()) {
    auto encoder = utf16LETextEncoding().createEncoder();
    std::string utf16(encoder->maxOutput(c.bytes.size()), '\0');
    utf16.resize(encoder->encode(c.bytes.data(), c.bytes.size(), utf16.data(), utf16.size()));
    EXPECT_EQ(encoder->invalidSeen(), hasReplacement(c.text)) << c.bytes;
    auto decoder = utf16LETextEncoding().createDecoder();
    EXPECT_EQ(decoder->decode(utf16.data(), utf16.size()) + decoder->finish(), c.text) << c.bytes;
  }
}

// On a system whose 8-bit code page is UTF-8, the system decoder holds back
// a cut sequence by the same rule.
TEST(Utf8Reading, TheSystemDecoderOnAUtf8SystemAgrees) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  test_support::setEnv("LC_ALL", "C.UTF-8");
  const bool utf8System = StringC(U'\u20ac').encode("system-8") == "\xE2\x82\xAC";
  if (utf8System)
    for (const Case& c : cases()) expectEveryChunkingGives(systemTextEncoding(), c);
  if (saved)
    test_support::setEnv("LC_ALL", keep);
  else
    test_support::unsetEnv("LC_ALL");
  if (!utf8System) GTEST_SKIP() << "the system code page is not UTF-8 here";
}

#undef R

}  // namespace
