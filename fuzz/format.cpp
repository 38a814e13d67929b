// Positional formats over ArgListC. The input chooses a few typed arguments
// and then the format text:
//   byte 0: the argument count (low three bits)
//   each argument: a type byte, then 8 value bytes, or for the two text
//   types a length byte (up to 16) and that many bytes
//   the rest: the format
// Properties: the result is well-formed UTF-8 and bounded by what the
// format and the arguments can give (every width and precision is capped);
// a copied list formats alike (its texts are rebuilt, not shared); and a
// list marshalled the way C variable arguments are, from the positions and
// types the format names, formats the same when more arguments follow it:
// the formatter reads no position the marshalling did not see.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

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

// Adds one argument of ABI type `type` (any other value picks one) from
// `in`; returns the bytes of text it may render.
size_t addArgument(ArgListC& list, int32_t type, Reader& in) {
  switch (type) {
    case tnw::kArgInt16: list.addInt16(static_cast<int16_t>(in.word())); return 0;
    case tnw::kArgUInt16: list.addUInt16(static_cast<uint16_t>(in.word())); return 0;
    case tnw::kArgInt32: list.addInt32(static_cast<int32_t>(in.word())); return 0;
    case tnw::kArgUInt32: list.addUInt32(static_cast<uint32_t>(in.word())); return 0;
    case tnw::kArgInt64: list.addInt64(static_cast<int64_t>(in.word())); return 0;
    case tnw::kArgUInt64: list.addUInt64(in.word()); return 0;
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
      return s.size();
    }
    case tnw::kArgText: {
      const std::string s = in.text(in.byte() & 0x0F);
      list.addString(StringC::fromUtf8(s));
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const int count = in.byte() & 7;
  ArgListC list;
  size_t longestText = 6;
  for (int i = 0; i < count; ++i) longestText = std::max(longestText, addArgument(list, in.byte(), in));
  const std::string format = in.text(in.n);
  FUZZ_CHECK(list.count() == count, "every argument added");

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
  return 0;
}
