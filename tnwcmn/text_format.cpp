#include "tnwcmn/text_format.h"

#include <cinttypes>
#include <cstdio>

#include "common/printf_directive.h"
#include "tnwcmn/utf8.h"

namespace tnw {

namespace {

namespace pf = common::printf_format;

// A directive's rendering: its flags, the resolved width and precision.
struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;
  int precision = -1;
  int lengthBits = 0;  // 8 for hh, 16 for h, 0 otherwise
};

const Arg* argAt(const ArgList* args, int pos) {
  if (!args || pos <= 0 || pos > args->count || !args->items) return nullptr;
  return &args->items[pos - 1];
}

bool isInteger(const Arg* a) {
  switch (a->type) {
    case kArgInt16: case kArgUInt16: case kArgInt32: case kArgUInt32:
    case kArgInt64: case kArgUInt64: case kArgChar:
      return true;
    default:
      return false;
  }
}

int64_t signedValue(const Arg* a) {
  switch (a->type) {
    case kArgInt16: return static_cast<int16_t>(a->v.i);
    case kArgUInt16: return static_cast<uint16_t>(a->v.i);
    case kArgInt32: return static_cast<int32_t>(a->v.i);
    case kArgUInt32: return static_cast<uint32_t>(a->v.i);
    default: return a->v.i;
  }
}

uint64_t unsignedValue(const Arg* a) {
  switch (a->type) {
    case kArgInt16: case kArgUInt16: return static_cast<uint16_t>(a->v.u);
    case kArgInt32: case kArgUInt32: case kArgChar: return static_cast<uint32_t>(a->v.u);
    default: return a->v.u;
  }
}

int clampWidth(int w) { return w > kMaxWidth ? kMaxWidth : w; }

// Pads `body` (UTF-8) to the directive's width, counted in characters.
void pad(std::string& out, const std::string& body, const Spec& s) {
  int chars = utf8::countChars(body);
  int fill = s.width > chars ? s.width - chars : 0;
  if (!s.left) out.append(static_cast<size_t>(fill), ' ');
  out += body;
  if (s.left) out.append(static_cast<size_t>(fill), ' ');
}

std::string cFlags(const Spec& s) {
  std::string f = "%";
  if (s.left) f += '-';
  if (s.plus) f += '+';
  if (s.space) f += ' ';
  if (s.alt) f += '#';
  if (s.zero) f += '0';
  if (s.width >= 0) f += std::to_string(s.width);
  if (s.precision >= 0) f += "." + std::to_string(s.precision);
  return f;
}

template <typename T>
std::string cFormat(const std::string& spec, T value) {
  char small[128];
  int n = std::snprintf(small, sizeof small, spec.c_str(), value);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), spec.c_str(), value);
  big.resize(static_cast<size_t>(n));
  return big;
}

void renderInteger(std::string& out, const Spec& s, char conv, const Arg* a) {
  if (conv == 'd' || conv == 'i') {
    int64_t v = signedValue(a);
    if (s.lengthBits == 8) v = static_cast<int8_t>(v);
    if (s.lengthBits == 16) v = static_cast<int16_t>(v);
    out += cFormat(cFlags(s) + "lld", static_cast<long long>(v));
  } else {
    uint64_t v = unsignedValue(a);
    if (s.lengthBits == 8) v = static_cast<uint8_t>(v);
    if (s.lengthBits == 16) v = static_cast<uint16_t>(v);
    out += cFormat(cFlags(s) + "ll" + conv, static_cast<unsigned long long>(v));
  }
}

void renderString(std::string& out, const Spec& s, const Arg* a) {
  std::string_view text;
  if (a->type == kArgNarrow) {
    text = a->v.narrow ? std::string_view(a->v.narrow) : std::string_view("(null)");
  } else if (a->v.text) {
    text = std::string_view(a->v.text->utf8(), static_cast<size_t>(a->v.text->byteLength()));
  }
  std::string body;
  if (s.precision >= 0) {
    // Precision counts characters, never splitting one.
    const char* p = text.data();
    const char* end = p + text.size();
    for (int n = 0; n < s.precision && p < end; ++n) utf8::decode(p, end);
    body.assign(text.data(), p);
  } else {
    body.assign(text);
  }
  std::string clean;
  utf8::sanitize(body, clean);
  pad(out, clean, s);
}

}  // namespace

std::string formatPositional(std::string_view f, const ArgList* args) {
  // Replacing up front, not piece by piece: an unknown conversion is copied
  // as text and may be the first byte of a character whose rest follows.
  std::string clean;
  if (!utf8::isAscii(f)) {
    utf8::sanitize(f, clean);
    f = clean;
  }
  std::string out;
  out.reserve(f.size() + 32);
  int next = 1;
  size_t i = 0;
  while (i < f.size()) {
    const char c = f[i];
    if (c != '%') {
      size_t j = f.find('%', i);
      if (j == std::string_view::npos) j = f.size();
      out.append(f.substr(i, j - i));
      i = j;
      continue;
    }
    const size_t start = i;
    const pf::Directive d = pf::readDirective(f, i, next);
    i = d.end;
    if (d.kind == pf::Kind::kPercent) {
      out.push_back('%');
      continue;
    }
    if (d.kind != pf::Kind::kConversion) {
      out.append(f.substr(start, d.end - start));
      continue;
    }
    Spec s;
    s.left = d.left, s.plus = d.plus, s.space = d.space, s.alt = d.alt, s.zero = d.zero;
    // Length prefixes narrow integers (hh, h); the others only say what a
    // caller passed and are implied by the argument's own type.
    if (d.length == pf::Length::kHH) s.lengthBits = 8;
    if (d.length == pf::Length::kH) s.lengthBits = 16;
    bool starBad = false;
    auto amount = [&](const pf::Amount& from, int& target, bool isWidth) {
      if (from.form == pf::Amount::Form::kNumber) target = clampWidth(from.value);
      if (from.form != pf::Amount::Form::kStar) return;
      const Arg* a = argAt(args, from.value);
      if (!a || !isInteger(a)) {
        starBad = true;
        return;
      }
      int64_t v = signedValue(a);
      if (v < 0) {
        if (!isWidth) return;  // a negative precision is taken as absent
        s.left = true;
        v = v < -kMaxWidth ? kMaxWidth : -v;
      }
      target = static_cast<int>(v > kMaxWidth ? kMaxWidth : v);
    };
    amount(d.width, s.width, true);
    amount(d.precision, s.precision, false);
    const char conv = d.conversion;
    const Arg* a = argAt(args, d.argument);
    if (starBad || !a) continue;
    switch (d.takes) {
      case pf::Takes::kSigned: case pf::Takes::kUnsigned:
        if (isInteger(a)) renderInteger(out, s, conv, a);
        break;
      case pf::Takes::kChar:
        if (isInteger(a)) {
          std::string ch;
          utf8::append(ch, static_cast<char32_t>(unsignedValue(a)));
          pad(out, ch, s);
        }
        break;
      case pf::Takes::kNarrow: case pf::Takes::kText:
        if (a->type == kArgNarrow || a->type == kArgText) renderString(out, s, a);
        break;
      case pf::Takes::kPointer:
        if (a->type == kArgPointer) {
          Spec ps = s;
          ps.precision = -1;
          std::string body = cFormat("%0" + std::to_string(sizeof(void*) * 2) + "llX",
                                     static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a->v.p)));
          pad(out, body, ps);
        }
        break;
      case pf::Takes::kDouble:
        if (a->type == kArgDouble) out += cFormat(cFlags(s) + conv, a->v.d);
        break;
      case pf::Takes::kCount: case pf::Takes::kNothing:  // "%n" writes nothing
        break;
    }
  }
  return out;
}

}  // namespace tnw
