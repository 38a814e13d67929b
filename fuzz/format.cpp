// Positional formats over ArgListC. The input chooses a few typed arguments
// and then the format text:
//   byte 0: the argument count (low three bits); bit 3: see below
//   each argument: a type byte, then 8 value bytes, or for the two text
//   types a length byte (up to 16) and that many bytes
//   the rest: the format
// Properties: each argument alone renders as std::to_string (integers) or
// its own text gives it; the result is well-formed UTF-8 and bounded by
// what the format and the arguments can give (every width and precision is
// capped); a copied list formats alike (its texts are rebuilt, not shared);
// a list marshalled the way C variable arguments are, from the positions
// and types the format names, formats the same when more arguments follow
// it. And the real marshalling from a va_list: the format's directives are
// rewritten onto a fixed pack with one position per C type a length names
// (int, the promoted short, long, long long, ptrdiff_t, their unsigned
// kinds, char, both texts, a pointer, double, long double); the list read
// from the va_list holds the pack's leading named positions and formats as
// a list built by hand from the same C values does. Bit 3 of byte 0 puts a
// directive for every position first, so that no gap stops the reading.
#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/printf_directive.h"
#include "common/utf8.h"
#include "fuzz/fuzz_check.h"
#include "runtime/strings/arg_list.h"
#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"
#include "tnwcmn/text_format.h"

namespace {

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  uint64_t word() {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | byte();
    return v;
  }
  std::string text(size_t length) {
    length = std::min(length, n);
    std::string s(reinterpret_cast<const char*>(p), length);
    p += length;
    n -= length;
    return s;
  }
};

// What one argument alone must render as through "%N$d", "%N$u" or
// "%N$s"/"%N$S" (empty: not checked).
std::string expected;
const char* conversion = "";

// Adds one argument of ABI type `type` (any other value picks one) from
// `in`; returns the bytes of text it may render.
size_t addArgument(ArgListC& list, int32_t type, Reader& in) {
  conversion = "";
  const auto integer = [&](auto v, const char* c) {
    expected = std::to_string(v);
    conversion = c;
    list.add(v);
    return size_t{0};
  };
  switch (type) {
    case tnw::kArgInt16: return integer(static_cast<int16_t>(in.word()), "d");
    case tnw::kArgUInt16: return integer(static_cast<uint16_t>(in.word()), "u");
    case tnw::kArgInt32: return integer(static_cast<int32_t>(in.word()), "d");
    case tnw::kArgUInt32: return integer(static_cast<uint32_t>(in.word()), "u");
    case tnw::kArgInt64: return integer(static_cast<int64_t>(in.word()), "d");
    case tnw::kArgUInt64: return integer(static_cast<uint64_t>(in.word()), "u");
    case tnw::kArgPointer: list.addPointer(reinterpret_cast<const void*>(static_cast<uintptr_t>(in.word()))); return 0;
    case tnw::kArgChar: list.addChar(static_cast<char32_t>(in.word())); return 0;
    case tnw::kArgNarrow: {
      const uint8_t length = in.byte();
      if (length & 0x80) {
        list.addNarrow(nullptr);
        return 6;
      }
      const std::string s = in.text(length & 0x0F);
      list.addNarrow(s.c_str());  // copied by the list; stops at a NUL
      expected = s.substr(0, s.find('\0'));
      if (common::utf8::wellFormed(expected)) conversion = "s";
      return s.size();
    }
    case tnw::kArgText: {
      const std::string s = in.text(in.byte() & 0x0F);
      list.addString(StringC::fromUtf8(s));
      expected = s;
      if (common::utf8::wellFormed(s) && s.find('\0') == std::string::npos) conversion = "S";
      return StringC::fromUtf8(s).utf8().size();
    }
    case tnw::kArgDouble: {
      const uint64_t bits = in.word();
      double d;
      std::memcpy(&d, &bits, sizeof d);
      list.addDouble(d);
      return 0;
    }
    default: return addArgument(list, 1 + static_cast<int32_t>(static_cast<uint32_t>(type) % 11), in);
  }
}

std::string render(const std::string& format, const ArgListC& args) {
  return StringC::fromUtf8(format).format(args).toUtf8();
}

namespace pf = common::printf_format;

// The pack's position for what a conversion takes with its length prefix,
// by the C type a caller passes for it.
int packPosition(pf::Takes takes, pf::Length length) {
  using L = pf::Length;
  const bool shortInt = length == L::kH || length == L::kHH;
  const bool size = length == L::kZ || length == L::kT;
  switch (takes) {
    case pf::Takes::kSigned: return shortInt ? 2 : length == L::kL ? 3 : length == L::kLL ? 4 : size ? 5 : 1;
    case pf::Takes::kUnsigned: return shortInt ? 7 : length == L::kL ? 8 : length == L::kLL ? 9 : size ? 10 : 6;
    case pf::Takes::kChar: return 11;
    case pf::Takes::kNarrow: return 12;
    case pf::Takes::kText: return 13;
    case pf::Takes::kPointer: case pf::Takes::kCount: return 14;
    case pf::Takes::kDouble: return length == L::kBigL ? 16 : 15;
    case pf::Takes::kNothing: break;
  }
  return 0;
}
constexpr int kPack = 16;

std::string amount(const pf::Amount& a, bool named[]) {
  if (a.form == pf::Amount::Form::kNumber) return std::to_string(a.value);
  if (a.form != pf::Amount::Form::kStar) return {};
  if (a.value < 0) return "*0$";
  named[1] = true;
  return "*1$";
}

// The format with every directive naming the pack position of its type
// (stars the int at 1); truncated directives, and unknown ones with a
// star, dropped. `named` gets the
// positions it names.
std::string ontoPack(std::string_view f, bool named[]) {
  static const char* const kLengths[] = {"", "hh", "h", "l", "ll", "z", "t", "L"};
  std::string out;
  int next = 1;
  for (size_t i = 0; i < f.size();) {
    if (f[i] != '%') {
      out += f[i++];
      continue;
    }
    const size_t start = i;
    const pf::Directive d = pf::readDirective(f, i, next);
    i = d.end;
    // An unknown one names no position unless it has a star; written anew
    // its conversion byte (a digit, ".") could read as part of another.
    const bool star = d.width.form == pf::Amount::Form::kStar || d.precision.form == pf::Amount::Form::kStar;
    if (d.kind == pf::Kind::kPercent || (d.kind == pf::Kind::kUnknown && !star)) out += f.substr(start, i - start);
    if (d.kind != pf::Kind::kConversion) continue;
    const int pos = d.argument < 0 ? 0 : packPosition(d.takes, d.length);
    if (pos > 0) named[pos] = true;
    out += "%" + std::to_string(pos) + "$";
    if (d.left) out += '-';
    if (d.plus) out += '+';
    if (d.space) out += ' ';
    if (d.alt) out += '#';
    if (d.zero) out += '0';
    out += amount(d.width, named);
    if (d.precision.form != pf::Amount::Form::kAbsent) out += "." + amount(d.precision, named);
    out += kLengths[static_cast<int>(d.length)];
    out += d.conversion;
  }
  return out;
}

void checkVaList(const std::string& format, bool everyPosition, Reader in) {
  bool named[kPack + 1] = {};
  std::string packed = ontoPack(format, named);
  if (everyPosition) {
    packed = "%1$d%2$hd%3$ld%4$lld%5$zd%6$u%7$hu%8$lu%9$llu%10$zu%11$c%12$s%13$S%14$p%15$g%16$Lg|" + packed;
    for (bool& n : named) n = true;
  }
  const uint64_t w = in.word();
  const int i = static_cast<int>(w);
  const int h = static_cast<int>(w >> 8);  // passed as an int, more than a short holds
  const long l = static_cast<long>(in.word());
  const long long ll = static_cast<long long>(in.word());
  const ptrdiff_t z = static_cast<ptrdiff_t>(in.word());
  const unsigned u = static_cast<unsigned>(w >> 16);
  const unsigned uh = static_cast<unsigned>(w >> 24);
  const unsigned long ul = static_cast<unsigned long>(in.word());
  const unsigned long long ull = in.word();
  const size_t uz = static_cast<size_t>(in.word());
  const int c = static_cast<int>(in.word() & 0x1FFFFF);
  const std::string narrow = in.text(in.byte() & 0x0F);
  const StringC text = StringC::fromUtf8(in.text(in.byte() & 0x0F));
  const void* p = reinterpret_cast<const void*>(static_cast<uintptr_t>(in.word()));
  uint64_t bits = in.word();
  double f;
  std::memcpy(&f, &bits, sizeof f);
  const long double lf = static_cast<long double>(f) / 3;

  const ArgListC viaVa = ArgListC::fromVa(packed.c_str(), i, h, l, ll, z, u, uh, ul, ull, uz, c, narrow.c_str(), &text,
                                          p, f, lf);
  int leading = 0;
  while (leading < kPack && named[leading + 1]) ++leading;
  FUZZ_CHECK(viaVa.count() == leading, "the va_list is read up to the first position the format does not name");
  // Built by hand to the same length: positions past it must format as
  // absent in both.
  ArgListC byHand;
  int k = 0;
  const auto take = [&] { return k++ < leading; };
  if (take()) byHand.addInt32(i);
  if (take()) byHand.addInt16(static_cast<int16_t>(h));
  if (take()) byHand.add(l);
  if (take()) byHand.addInt64(ll);
  if (take()) byHand.addInt64(z);
  if (take()) byHand.addUInt32(u);
  if (take()) byHand.addUInt16(static_cast<uint16_t>(uh));
  if (take()) byHand.add(ul);
  if (take()) byHand.addUInt64(ull);
  if (take()) byHand.addUInt64(uz);
  if (take()) byHand.addChar(static_cast<char32_t>(c));
  if (take()) byHand.addNarrow(narrow.c_str());
  if (take()) byHand.addString(text);
  if (take()) byHand.addPointer(p);
  if (take()) byHand.addDouble(f);
  if (take()) byHand.addDouble(static_cast<double>(lf));
  FUZZ_CHECK(render(packed, viaVa) == render(packed, byHand), "the va_list gives the values the caller passed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const int count = in.byte() & 7;
  ArgListC list;
  size_t longestText = 6;
  for (int i = 0; i < count; ++i) {
    longestText = std::max(longestText, addArgument(list, in.byte(), in));
    if (*conversion) {
      const std::string directive = "%" + std::to_string(i + 1) + "$" + conversion;
      FUZZ_CHECK(render(directive, list) == expected, "an argument alone renders as its value");
    }
  }
  const std::string format = in.text(in.n);

  const std::string out = render(format, list);
  FUZZ_CHECK(common::utf8::wellFormed(out), "the result is well-formed UTF-8");
  const size_t directives = static_cast<size_t>(std::count(format.begin(), format.end(), '%'));
  // A directive gives at most a capped width of padding around its body: a
  // text argument (ill-formed bytes tripled), a number of at most a capped
  // precision of digits after the 309 of the largest double.
  const size_t perDirective = 2 * tnw::kMaxWidth + 3 * longestText + 400;
  FUZZ_CHECK(out.size() <= 3 * format.size() + directives * perDirective, "the result is bounded");

  const ArgListC copy(list);
  FUZZ_CHECK(render(format, copy) == out, "a copied list formats alike");
  ArgListC assigned = ArgListC::of(1, "x", StringC::fromUtf8("y"));
  assigned = list;
  FUZZ_CHECK(render(format, assigned) == out, "an assigned list formats alike");

  // The marshalling reads C strings: a format ends at its first NUL.
  const std::string cFormat = format.substr(0, format.find('\0'));
  int32_t types[ArgListC::kMaxPositions + 1];
  int32_t lengths[ArgListC::kMaxPositions + 1];
  const int highest = ArgListC::scanFormat(cFormat.c_str(), types, lengths);
  FUZZ_CHECK(highest >= 0 && highest <= ArgListC::kMaxPositions, "the scan names positions in range");
  ArgListC marshalled;
  Reader values{data, size};
  for (int pos = 1; pos <= highest && types[pos] != 0; ++pos) {
    FUZZ_CHECK(types[pos] >= tnw::kArgInt16 && types[pos] <= tnw::kArgDouble, "the scan gives ABI types");
    addArgument(marshalled, types[pos], values);
  }
  const std::string once = render(cFormat, marshalled);
  FUZZ_CHECK(common::utf8::wellFormed(once), "the marshalled result is well-formed UTF-8");
  if (marshalled.count() == highest && highest + 3 <= ArgListC::kMaxPositions) {
    ArgListC longer(marshalled);
    longer.addNarrow("EXTRA").addInt32(77).addString(StringC::fromUtf8("MORE"));
    FUZZ_CHECK(render(cFormat, longer) == once, "the formatter reads only positions the scan named");
  }
  checkVaList(cFormat, size && (data[0] & 8), Reader{data, size});
  return 0;
}
