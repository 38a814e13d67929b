// The marshalling scan (ArgListC::scanFormat) and the common library's
// formatter read formats alike: generated formats, each with what it must
// do worked out while it is built (the positions and types it names, the
// text it renders from a list of known arguments), go through both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/printf_directive.h"
#include "runtime/strings/arg_list.h"
#include "runtime/strings/string_c.h"
#include "tnwcmn/text_format.h"

namespace {

using common::printf_format::Length;

enum class Kind { kInt, kInt64, kChar, kNarrow, kText, kPointer, kDouble };

struct Value {
  Kind kind = Kind::kInt;
  int64_t i = 0;            // kInt, kInt64, kChar (the code point), kPointer
  double d = 0;             // kDouble
  const char* s = nullptr;  // kNarrow (may be null), kText; kChar: its UTF-8
};

const int32_t kInts[] = {0, 1, -1, 7, -3, 42, 255, 256, 65535, 65536, -100000, 0x12345678,
                         std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()};
const int64_t kInt64s[] = {0, -1, int64_t{1} << 40, -(int64_t{1} << 40) - 5, 4000000000LL,
                           std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()};
const std::pair<char32_t, const char*> kChars[] = {
    {U'A', "A"}, {U'0', "0"}, {U'\u00e9', "\xC3\xA9"}, {U'\u20ac', "\xE2\x82\xAC"},
    {U'\U0001F600', "\xF0\x9F\x98\x80"}};
const char* const kTexts[] = {"abcdef", "", "\xC3\xA9t\xC3\xA9", "\xE6\xBC\xA2\xE5\xAD\x97 ok", "x"};
const uintptr_t kPointers[] = {0, 0x1234, 0xdeadbeef};
const double kDoubles[] = {0.0, -1.5, 3.14159, 1e300, -0.0, 1234.5678, 0.000123,
                           std::numeric_limits<double>::infinity()};

// Conversions by what they take; an unknown one is any byte that is no
// flag, digit, length letter, "$", "*" or "." (ill-formed bytes included).
const char kSigned[] = "di";
const char kUnsigned[] = "uoxX";
const char kFloats[] = "eEfFgGaA";
struct Piece {
  const char* raw;
  const char* rendered;  // as the formatter gives it back: well-formed UTF-8
};
const Piece kUnknowns[] = {{"k", "k"}, {"y", "y"}, {"D", "D"}, {"U", "U"}, {"b", "b"}, {"!", "!"},
                             {"%", "%"}, {"\xC3\xA9", "\xC3\xA9"}, {"\xFF", "\xEF\xBF\xBD"}};
const char* const kLengthTokens[] = {"h", "hh", "l", "ll", "q", "j", "z", "t", "L", "w", "I", "I32", "I64"};
const char* const kFlagSets[] = {"", "-", "+", " ", "0", "'", "-0", "+ ", "0-+", "--", " +0'"};

int32_t abiTypeOf(char conversion) {
  if (std::strchr(kSigned, conversion)) return tnw::kArgInt32;
  if (std::strchr(kUnsigned, conversion)) return tnw::kArgUInt32;
  if (std::strchr(kFloats, conversion)) return tnw::kArgDouble;
  switch (conversion) {
    case 'c': case 'C': return tnw::kArgChar;
    case 's': return tnw::kArgNarrow;
    case 'S': return tnw::kArgText;
    default: return tnw::kArgPointer;  // p, n
  }
}

// The length prefixes in writing order: the last decides, h h is hh, l l is
// ll, w and I32 leave it.
Length lengthOf(const std::vector<std::string>& tokens) {
  Length l = Length::kNone;
  for (const std::string& t : tokens) {
    if (t == "h" || t == "hh" || t == "l" || t == "ll") {
      const bool h = t[0] == 'h';
      for (size_t n = 0; n < t.size(); ++n)
        l = h ? (l == Length::kH ? Length::kHH : Length::kH) : (l == Length::kL ? Length::kLL : Length::kL);
    } else if (t == "q" || t == "j" || t == "I64") {
      l = Length::kLL;
    } else if (t == "z" || t == "I") {
      l = Length::kZ;
    } else if (t == "t") {
      l = Length::kT;
    } else if (t == "L") {
      l = Length::kBigL;
    }
  }
  return l;
}

template <typename T>
std::string cFormat(const std::string& directive, T value) {
  const int n = std::snprintf(nullptr, 0, directive.c_str(), value);
  std::string out(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), directive.c_str(), value);
  out.resize(static_cast<size_t>(n));
  return out;
}

size_t codePoints(const std::string& s) {
  size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::string firstCodePoints(const std::string& s, int count) {
  size_t i = 0;
  for (int n = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && n++ == count) break;
  }
  return s.substr(0, i);
}

std::string pad(const std::string& body, int width, bool left) {
  const size_t chars = codePoints(body);
  const std::string fill(width > 0 && static_cast<size_t>(width) > chars ? width - chars : 0, ' ');
  return left ? body + fill : fill + body;
}

// One width or precision as the generator writes it.
struct AmountChoice {
  enum Form { kAbsent, kNumber, kStar } form = kAbsent;
  std::string digits;    // kNumber
  int starPosition = 0;  // kStar: 0 takes the next position, -1 writes "*0$"
};

struct DirectiveChoice {
  int position = 0;  // 0 takes the next position, -1 writes "0$", else "N$"
  std::string positionDigits;  // when set, written instead of `position`
  std::string flags;
  AmountChoice width, precision;
  std::vector<std::string> lengths;
  std::string conversion = "d";  // a known letter, or a kUnknowns raw text
  const char* unknownRendered = nullptr;  // set for an unknown conversion
  int cutAfter = -1;  // >= 0: the format ends after that many parts
};

// A format under construction with everything it must do.
class FormatModel {
 public:
  explicit FormatModel(std::mt19937& rng) : rng_(rng) {}

  void literal(const std::string& raw, const std::string& rendered) {
    format_ += raw;
    rendering_ += rendered;
  }

  void directive(const DirectiveChoice& c) {
    std::string text = "%";
    int part = 0;
    auto cut = [&] { return c.cutAfter == part++; };
    auto truncated = [&] {
      format_ += text;
      rendering_ += text;
    };
    if (cut()) return truncated();
    int position = c.position;
    if (!c.positionDigits.empty()) {
      position = std::numeric_limits<int>::max();
      text += c.positionDigits + "$";
    } else if (c.position != 0) {
      text += std::to_string(c.position < 0 ? 0 : c.position) + "$";
    }
    if (cut()) return truncated();
    text += c.flags;
    if (cut()) return truncated();
    bool starBad = false;
    Resolved r;
    r.left = c.flags.find('-') != std::string::npos;
    amount(c.width, text, true, r, starBad);
    if (cut()) return truncated();
    if (c.precision.form != AmountChoice::kAbsent) {
      text += '.';
      if (cut()) return truncated();
      amount(c.precision, text, false, r, starBad);
      if (cut()) return truncated();
    }
    for (const std::string& l : c.lengths) {
      text += l;
      if (cut()) return truncated();
    }
    if (c.unknownRendered) {
      if (text == "%" && c.conversion == "%") {  // that is "%%"
        format_ += "%%";
        rendering_ += "%";
        return;
      }
      format_ += text + c.conversion;
      rendering_ += text + c.unknownRendered;
      return;
    }
    const char conv = c.conversion[0];
    format_ += text + conv;
    if (position == 0) position = next_++;
    const Length length = lengthOf(c.lengths);
    use(position, abiTypeOf(conv), static_cast<int32_t>(length));
    if (starBad || conv == 'n') return;
    const Value* v = argument(position);
    if (v) rendering_ += render(c, conv, length, r, *v);
  }

  // The value at a position a conversion of `conv` takes: one that it
  // renders when the position is new, whatever was there before otherwise.
  void prepare(int position, char conv) {
    if (position <= 0 || position > kListPositions || args_.count(position)) return;
    Value v;
    if (std::strchr(kSigned, conv) || std::strchr(kUnsigned, conv)) {
      v.kind = rng_() % 2 ? Kind::kInt : Kind::kInt64;
    } else if (conv == 'c' || conv == 'C') {
      v.kind = Kind::kChar;
    } else if (conv == 's' || conv == 'S') {
      v.kind = rng_() % 2 ? Kind::kNarrow : Kind::kText;
    } else if (conv == 'p') {
      v.kind = Kind::kPointer;
    } else if (std::strchr(kFloats, conv)) {
      v.kind = Kind::kDouble;
    } else {
      v.kind = static_cast<Kind>(rng_() % 7);
    }
    args_[position] = fill(v);
  }

  int next() const { return next_; }

  // Runs the format through the scan and the formatter; failures describe
  // the first difference.
  ::testing::AssertionResult check() {
    ArgListC list;
    for (int p = 1; p <= (args_.empty() ? 0 : args_.rbegin()->first); ++p) {
      if (!args_.count(p)) args_[p] = fill(Value{});
      add(list, args_[p]);
    }
    const std::string got = StringC::fromUtf8(format_).format(list).toUtf8();
    if (got != rendering_) {
      const size_t at = static_cast<size_t>(
          std::mismatch(got.begin(), got.begin() + std::min(got.size(), rendering_.size()), rendering_.begin()).first -
          got.begin());
      const size_t from = at > 30 ? at - 30 : 0;
      return ::testing::AssertionFailure() << "format \"" << format_ << "\" differs at byte " << at << ": \""
                                           << got.substr(from, 60) << "\", expected \"" << rendering_.substr(from, 60)
                                           << "\"";
    }
    int32_t types[ArgListC::kMaxPositions + 1];
    int32_t lengths[ArgListC::kMaxPositions + 1];
    const int highest = ArgListC::scanFormat(format_.c_str(), types, lengths);
    const int expectedHighest = uses_.empty() ? 0 : uses_.rbegin()->first;
    if (highest != expectedHighest)
      return ::testing::AssertionFailure() << "format \"" << format_ << "\": scan names up to " << highest
                                           << ", expected " << expectedHighest;
    for (int p = 1; p <= ArgListC::kMaxPositions; ++p) {
      const auto u = uses_.find(p);
      const int32_t type = u == uses_.end() ? 0 : u->second.first;
      const int32_t length = u == uses_.end() ? 0 : u->second.second;
      if (types[p] != type || lengths[p] != length)
        return ::testing::AssertionFailure() << "format \"" << format_ << "\": position " << p << " scanned as type "
                                             << types[p] << " length " << lengths[p] << ", expected " << type
                                             << " length " << length;
    }
    return ::testing::AssertionSuccess();
  }

  static constexpr int kListPositions = 32;  // positions above are never in the list

 private:
  struct Resolved {
    bool left = false;
    int width = -1, precision = -1;
  };

  // Writes a width or precision and works out its amount.
  void amount(const AmountChoice& a, std::string& text, bool isWidth, Resolved& r, bool& starBad) {
    int& target = isWidth ? r.width : r.precision;
    if (a.form == AmountChoice::kNumber) {
      text += a.digits;
      target = std::min(std::stoi("0" + a.digits.substr(0, 9)), tnw::kMaxWidth);
    } else if (a.form == AmountChoice::kStar) {
      text += '*';
      int p = a.starPosition;
      if (p != 0) text += std::to_string(p < 0 ? 0 : p) + "$";
      if (p == 0) p = next_++;
      use(p, tnw::kArgInt32, 0);
      const Value* v = argument(p);
      if (!v || (v->kind != Kind::kInt && v->kind != Kind::kInt64 && v->kind != Kind::kChar)) {
        starBad = true;
      } else if (v->i >= 0) {
        target = static_cast<int>(std::min<int64_t>(v->i, tnw::kMaxWidth));
      } else if (isWidth) {
        r.left = true;
        target = static_cast<int>(v->i < -tnw::kMaxWidth ? tnw::kMaxWidth : -v->i);
      }
    }
  }

  void use(int position, int32_t type, int32_t length) {
    if (position >= 1 && position <= ArgListC::kMaxPositions) uses_.emplace(position, std::make_pair(type, length));
  }

  const Value* argument(int position) const {
    const auto a = args_.find(position);
    return a == args_.end() ? nullptr : &a->second;
  }

  Value fill(Value v) {
    switch (v.kind) {
      case Kind::kInt: v.i = kInts[rng_() % std::size(kInts)]; break;
      case Kind::kInt64: v.i = kInt64s[rng_() % std::size(kInt64s)]; break;
      case Kind::kChar: {
        const auto& c = kChars[rng_() % std::size(kChars)];
        v.i = c.first;
        v.s = c.second;
        break;
      }
      case Kind::kNarrow: {
        const size_t k = rng_() % (std::size(kTexts) + 1);
        v.s = k < std::size(kTexts) ? kTexts[k] : nullptr;
        break;
      }
      case Kind::kText: v.s = kTexts[rng_() % std::size(kTexts)]; break;
      case Kind::kPointer: v.i = static_cast<int64_t>(kPointers[rng_() % std::size(kPointers)]); break;
      case Kind::kDouble: v.d = kDoubles[rng_() % std::size(kDoubles)]; break;
    }
    return v;
  }

  static void add(ArgListC& list, const Value& v) {
    switch (v.kind) {
      case Kind::kInt: list.addInt32(static_cast<int32_t>(v.i)); break;
      case Kind::kInt64: list.addInt64(v.i); break;
      case Kind::kChar: list.addChar(static_cast<char32_t>(v.i)); break;
      case Kind::kNarrow: list.addNarrow(v.s); break;
      case Kind::kText: list.addString(StringC::fromUtf8(v.s)); break;
      case Kind::kPointer: list.addPointer(reinterpret_cast<const void*>(static_cast<uintptr_t>(v.i))); break;
      case Kind::kDouble: list.addDouble(v.d); break;
    }
  }

  // What the C library makes of the directive, the flags as written (but
  // "'", whose grouping the formatter leaves out).
  static std::string cDirective(const DirectiveChoice& c, const Resolved& r) {
    std::string d = "%";
    for (char f : c.flags)
      if (f != '\'') d += f;
    if (r.left) d += '-';
    if (r.width >= 0) d += std::to_string(r.width);
    if (r.precision >= 0) d += "." + std::to_string(r.precision);
    return d;
  }

  static std::string render(const DirectiveChoice& c, char conv, Length length, const Resolved& r, const Value& v) {
    const bool integer = v.kind == Kind::kInt || v.kind == Kind::kInt64 || v.kind == Kind::kChar;
    if (std::strchr(kSigned, conv) || std::strchr(kUnsigned, conv)) {
      if (!integer) return std::string();
      const std::string d = cDirective(c, r);
      if (length == Length::kH || length == Length::kHH)
        return cFormat(d + (length == Length::kH ? "h" : "hh") + conv, static_cast<int>(v.i));
      if (v.kind == Kind::kInt) return cFormat(d + conv, static_cast<int>(v.i));
      return cFormat(d + "ll" + conv, static_cast<long long>(v.i));
    }
    if (conv == 'c' || conv == 'C') {
      // Any integer is a code point (no length narrows it); one that is no
      // character comes out as U+FFFD.
      if (v.kind == Kind::kChar) return pad(v.s, r.width, r.left);
      if (!integer) return std::string();
      const uint64_t code = v.kind == Kind::kInt ? static_cast<uint32_t>(v.i) : static_cast<uint64_t>(v.i);
      const auto cp = static_cast<char32_t>(code);
      return pad(StringC(cp).toUtf8(), r.width, r.left);
    }
    if (conv == 's' || conv == 'S') {
      if (v.kind != Kind::kNarrow && v.kind != Kind::kText) return std::string();
      const std::string text = v.s ? v.s : "(null)";
      return pad(r.precision >= 0 ? firstCodePoints(text, r.precision) : text, r.width, r.left);
    }
    if (conv == 'p') {
      if (v.kind != Kind::kPointer) return std::string();
      return pad(cFormat("%0" + std::to_string(2 * sizeof(void*)) + "llX", static_cast<unsigned long long>(v.i)),
                 r.width, r.left);
    }
    return v.kind == Kind::kDouble ? cFormat(cDirective(c, r) + conv, v.d) : std::string();
  }

  std::mt19937& rng_;
  std::string format_, rendering_;
  int next_ = 1;
  std::map<int, Value> args_;
  std::map<int, std::pair<int32_t, int32_t>> uses_;  // the first use of each position
};

// The conversions that take an argument, each once.
const std::string kKnown = std::string(kSigned) + kUnsigned + "cCsSpn" + kFloats;

// Prepares the arguments a directive reads, in the order it reads them.
void prepareArguments(FormatModel& m, const DirectiveChoice& c) {
  int next = m.next();
  auto star = [&](const AmountChoice& a) {
    if (a.form != AmountChoice::kStar) return;
    m.prepare(a.starPosition > 0 ? a.starPosition : (a.starPosition == 0 ? next++ : -1), 'd');
  };
  star(c.width);
  star(c.precision);
  if (!c.unknownRendered && c.positionDigits.empty()) m.prepare(c.position == 0 ? next : c.position, c.conversion[0]);
}

AmountChoice randomAmount(std::mt19937& rng, bool precision) {
  AmountChoice a;
  switch (rng() % 8) {
    case 0: case 1: case 2: return a;
    case 3: case 4:
      a.form = AmountChoice::kNumber;
      a.digits = std::to_string(1 + rng() % 25);
      if (precision && rng() % 3 == 0) a.digits = "0" + a.digits;
      return a;
    case 5:
      a.form = AmountChoice::kNumber;
      a.digits = precision && rng() % 2 ? "" : std::to_string(5000 + rng() % 100000);
      return a;
    default:
      a.form = AmountChoice::kStar;
      a.starPosition = rng() % 3 ? 0 : static_cast<int>(rng() % 10) - 1;
      return a;
  }
}

DirectiveChoice randomDirective(std::mt19937& rng, bool last) {
  DirectiveChoice c;
  switch (rng() % 10) {
    case 0: case 1: c.position = 1 + static_cast<int>(rng() % 10); break;
    case 2: c.position = rng() % 2 ? -1 : 40 + static_cast<int>(rng() % 200); break;
    case 3: if (rng() % 4 == 0) c.positionDigits = "99999999999"; break;
    default: break;
  }
  for (int n = static_cast<int>(rng() % 3); n > 0; --n) c.flags += kFlagSets[rng() % std::size(kFlagSets)];
  c.width = randomAmount(rng, false);
  c.precision = randomAmount(rng, true);
  for (int n = static_cast<int>(rng() % 5 == 0 ? 2 : rng() % 2); n > 0; --n)
    c.lengths.push_back(kLengthTokens[rng() % std::size(kLengthTokens)]);
  if (rng() % 8 == 0) {
    const Piece& u = kUnknowns[rng() % std::size(kUnknowns)];
    c.conversion = u.raw;
    c.unknownRendered = u.rendered;
  } else {
    // Any conversion, whatever an explicit position already holds: the
    // formatter renders nothing for one that cannot take it.
    c.conversion = std::string(1, kKnown[rng() % kKnown.size()]);
    if (std::strchr("oxXeEfFgGaA", c.conversion[0]) && rng() % 3 == 0) c.flags += '#';  // where C defines it
  }
  if (last && rng() % 4 == 0) c.cutAfter = static_cast<int>(rng() % (6 + c.lengths.size()));
  return c;
}

void randomLiteral(std::mt19937& rng, FormatModel& m) {
  static const Piece kLiterals[] = {{"abc", "abc"}, {" ", " "}, {"x$*.1", "x$*.1"}, {"%%", "%"},
                                      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
                                      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                                      {"\xFF", "\xEF\xBF\xBD"}, {"[", "["}};
  const Piece& l = kLiterals[rng() % std::size(kLiterals)];
  m.literal(l.raw, l.rendered);
}

// Fails the test with the first few differences, not thousands of them.
class FailureBudget {
 public:
  void add(const ::testing::AssertionResult& r) {
    ++checked_;
    if (!r && failures_++ < 5) ADD_FAILURE() << r.message();
  }
  int checked() const { return checked_; }
  int failures() const { return failures_; }

 private:
  int checked_ = 0, failures_ = 0;
};

TEST(FormatScan, RandomFormatsAgreeWithTheFormatter) {
  std::mt19937 rng(20240611);
  FailureBudget budget;
  for (int n = 0; n < 6000; ++n) {
    FormatModel m(rng);
    const int pieces = static_cast<int>(rng() % 7);
    for (int k = 0; k < pieces; ++k) {
      if (rng() % 3 == 0) {
        randomLiteral(rng, m);
        continue;
      }
      const DirectiveChoice c = randomDirective(rng, k == pieces - 1);
      prepareArguments(m, c);
      m.directive(c);
    }
    budget.add(m.check());
  }
  EXPECT_EQ(budget.failures(), 0) << "of " << budget.checked();
}

// Every conversion byte with every length prefix, position form, width and
// precision form, then the same directives cut after each of their parts.
TEST(FormatScan, EveryDirectiveShapeAgreesWithTheFormatter) {
  std::mt19937 rng(7);
  FailureBudget budget;
  std::vector<std::pair<std::string, const char*>> conversions;
  for (char c : kKnown) conversions.emplace_back(std::string(1, c), nullptr);
  for (const Piece& u : kUnknowns) conversions.emplace_back(u.raw, u.rendered);
  std::vector<std::vector<std::string>> lengths = {{}};
  for (const char* t : kLengthTokens) lengths.push_back({t});
  lengths.push_back({"h", "l"});
  lengths.push_back({"l", "h", "h"});
  const AmountChoice widths[] = {{}, {AmountChoice::kNumber, "7", 0}, {AmountChoice::kStar, "", 0},
                                 {AmountChoice::kStar, "", 3}, {AmountChoice::kStar, "", -1}};
  const AmountChoice precisions[] = {{}, {AmountChoice::kNumber, "", 0}, {AmountChoice::kNumber, "3", 0},
                                     {AmountChoice::kStar, "", 0}, {AmountChoice::kStar, "", 4}};
  int shape = 0;
  for (const auto& [conv, unknown] : conversions)
    for (const auto& l : lengths)
      for (int position : {0, 2, -1})
        for (const AmountChoice& w : widths)
          for (const AmountChoice& p : precisions) {
            DirectiveChoice c;
            c.position = position;
            c.flags = kFlagSets[shape % std::size(kFlagSets)];
            if (!unknown && std::strchr("oxXeEfFgGaA", conv[0]) && shape % 3 == 0) c.flags += '#';
            c.width = w;
            c.precision = p;
            c.lengths = l;
            c.conversion = conv;
            c.unknownRendered = unknown;
            const int cuts = shape++ % 8 == 0 ? 7 : 0;
            for (int cut = -1; cut < cuts; ++cut) {
              c.cutAfter = cut;
              FormatModel m(rng);
              m.literal("<", "<");
              prepareArguments(m, c);
              m.directive(c);
              if (cut < 0) m.literal(">", ">");
              budget.add(m.check());
            }
          }
  EXPECT_GT(budget.checked(), 10000);
  EXPECT_EQ(budget.failures(), 0) << "of " << budget.checked();
}

// Formats of arbitrary bytes, beyond what the generator writes: whatever
// the scan leaves unnamed, the formatter never reads, so the marshalling
// never misses an argument the text needs.
TEST(FormatScan, TheFormatterReadsNoPositionTheScanLeavesOut) {
  static const char kAlphabet[] = "%%%%$$**..-+ #0'1234567890hlqjztLwI64dixXcCsSpnfgaeyk\xC3\xA9\xFF";
  std::mt19937 rng(99);
  FailureBudget budget;
  for (int n = 0; n < 4000; ++n) {
    std::string format;
    for (size_t k = rng() % 24; k > 0; --k) format += kAlphabet[rng() % (sizeof kAlphabet - 1)];
    int32_t types[ArgListC::kMaxPositions + 1];
    int32_t lengths[ArgListC::kMaxPositions + 1];
    const int highest = ArgListC::scanFormat(format.c_str(), types, lengths);
    // The named positions hold what the scan asks for; the unnamed ones
    // hold something else in each list, each kind of argument once.
    const StringC f = StringC::fromUtf8(format);
    std::string first;
    for (int filler = 0; filler < 4; ++filler) {
      ArgListC list;
      for (int p = 1; p <= highest + 2; ++p) {
        switch (p <= highest ? types[p] : 0) {
          case tnw::kArgInt32: list.addInt32(-p); break;
          case tnw::kArgUInt32: list.addUInt32(p); break;
          case tnw::kArgChar: list.addChar(U'a'); break;
          case tnw::kArgNarrow: list.addNarrow("narrow"); break;
          case tnw::kArgText: list.addString(StringC::fromUtf8("text")); break;
          case tnw::kArgPointer: list.addPointer(&first); break;
          case tnw::kArgDouble: list.addDouble(0.5); break;
          default:
            if (filler == 0) list.addInt32(1000 + p);
            if (filler == 1) list.addNarrow("unnamed");
            if (filler == 2) list.addDouble(-2.5);
            if (filler == 3) list.addPointer(&f);
        }
      }
      const std::string out = f.format(list).toUtf8();
      if (filler == 0) first = out;
      budget.add(out == first ? ::testing::AssertionSuccess()
                              : ::testing::AssertionFailure() << "format \"" << format
                                                              << "\" reads an unnamed position: \"" << first
                                                              << "\" / \"" << out << "\"");
    }
  }
  EXPECT_EQ(budget.failures(), 0) << "of " << budget.checked();
}

}  // namespace
