// "LogLevel" filter texts as each log instance reads them, with the
// instance's "TraceDepthMultiplier". Whatever the text, the parse ends, it
// starts from nothing, and the filter's two queries agree for every letter
// and number; the filter written back as a canonical text (letters with
// explicit bit ranges) parses to the very same masks, so nothing the parser
// accepted depends on the shape of the text that produced it. The instance
// filters exactly as its text says, and takes a short number, and nothing
// else, as its depth multiplier.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/utf8.h"
#include "fuzz/fuzz_check.h"
#include "log/loggers.h"
#include "log/trace_filter.h"

namespace {

// The letter indexes between "Z" and "a" can only be set by a letter range
// that spans both ends, so they are written as "Z-a"; every real letter is
// written as its own runs of bits, which also restores "Z" and "a".
std::string canonical(const TraceC& t) {
  std::string out;
  if (t.mask('[') != 0) out += "Z-a";
  for (int c = 'A'; c <= 'z'; ++c) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const uint32_t m = t.mask(static_cast<char>(c));
    if (!letter || m == 0) continue;
    out += static_cast<char>(c);
    for (int b = 0; b < 32;) {
      if (((m >> b) & 1u) == 0) {
        ++b;
        continue;
      }
      int e = b;
      while (e + 1 < 32 && ((m >> (e + 1)) & 1u)) ++e;
      out += std::to_string(b);
      if (e != b) out += "-" + std::to_string(e);
      out += ",";
      b = e + 1;
    }
  }
  return out;
}

// A logger with no preference of its own: the instance keeps the text.
class NullLogger final : public log_LoggerC {
 public:
  NullLogger() : log_LoggerC(KVAStringC("fuzz")) {}
  void log(const log_LogEntryC&) override {}
  bool isOpen() const override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // "LogLevel", then after a line feed (optional) "TraceDepthMultiplier".
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t feed = input.find('\n');
  const std::string_view filter = input.substr(0, feed);
  const std::string_view depth = feed == std::string_view::npos ? std::string_view() : input.substr(feed + 1);
  TraceC t;
  const bool ok = t.parse(filter);
  TraceC twice;
  twice.parse("A-z");
  FUZZ_CHECK(twice.parse(filter) == ok, "a parse does not depend on what was set before");
  for (int c = 'A'; c <= 'z'; ++c)
    FUZZ_CHECK(twice.mask(static_cast<char>(c)) == t.mask(static_cast<char>(c)), "a parse starts from nothing");

  const uint32_t gap = t.mask('[');
  FUZZ_CHECK(gap == 0 || gap == 0xFFFFFFFFu, "the letters between Z and a are all or nothing");
  for (int c = '[' + 1; c < 'a'; ++c)
    FUZZ_CHECK(t.mask(static_cast<char>(c)) == gap, "the letters between Z and a go together");
  if (gap != 0)
    FUZZ_CHECK(t.mask('Z') == 0xFFFFFFFFu && t.mask('a') == 0xFFFFFFFFu, "only a range over Z and a sets the gap");

  for (int c = 0; c < 256; ++c) {
    const uint32_t m = t.mask(static_cast<char>(c));
    const bool inRange = c >= 'A' && c <= 'z';
    if (!inRange) FUZZ_CHECK(m == 0, "no letter outside A..z has a mask");
    for (int32_t n : {-1, 32, 256, INT32_MIN, INT32_MAX})
      FUZZ_CHECK(!t.accepts(c, n), "numbers outside 0..31 are never accepted");
    for (int32_t n = 0; n < 32; ++n)
      FUZZ_CHECK(t.accepts(c, n) == (((m >> n) & 1u) != 0), "accepts agrees with mask");
  }
  FUZZ_CHECK(!t.accepts(-1, 0) && !t.accepts(1000, 0), "letters far out of range are refused");

  const std::string text = canonical(t);
  TraceC again;
  FUZZ_CHECK(again.parse(text), "the canonical text parses");
  for (int c = 'A'; c <= 'z'; ++c)
    FUZZ_CHECK(again.mask(static_cast<char>(c)) == t.mask(static_cast<char>(c)), "the canonical text keeps every mask");

  // The instance the log manager builds for each logger reads the text
  // through StringC and the logger's preference: for a text that survives
  // UTF-8 whole, it must filter as the raw bytes parsed above do.
  const StringC filterText = StringC::fromUtf8(filter);
  const StringC depthText = StringC::fromUtf8(depth);
  const log_LogInstanceC instance(std::make_unique<NullLogger>(), filterText, depthText);
  if (common::utf8::wellFormed(filter) && filter.find('\0') == std::string_view::npos)
    for (int c = 'A'; c <= 'z'; ++c)
      for (int32_t n = 0; n < 32; ++n)
        FUZZ_CHECK(instance.accepts(c, n) == t.accepts(c, n), "the instance filters as its text says");

  // The multiplier: a short decimal number is taken as its value, anything
  // else leaves the default an empty text gives; the value written back as
  // text gives itself again.
  const int m = instance.filter().depthMultiplier();
  const int byDefault = log_LogInstanceC(std::make_unique<NullLogger>(), filterText, StringC()).filter().depthMultiplier();
  int value = -1;
  const bool digitsOnly = !depth.empty() && depth.size() <= 5 && (depth[0] >= '0' && depth[0] <= '9') &&
                          std::from_chars(depth.data(), depth.data() + depth.size(), value).ptr == depth.data() + depth.size();
  if (digitsOnly) FUZZ_CHECK(m == value, "a short number is the multiplier");
  if (depth.find_first_not_of("0123456789") != std::string_view::npos || depth.empty())
    FUZZ_CHECK(m == byDefault, "a text that is not a number keeps the default");
  const StringC written = StringC::fromUtf8(std::to_string(m));
  FUZZ_CHECK(log_LogInstanceC(std::make_unique<NullLogger>(), filterText, written).filter().depthMultiplier() == m,
             "the multiplier written back gives itself");
  return 0;
}
