#include "tnwcmn/text_format.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "tnwcmn/utf8.h"

namespace tnw {

namespace {

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;
  int precision = -1;
  int lengthBits = 0;  // 8 for hh, 16 for h, 0 otherwise
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads decimal digits, saturating so that hostile numbers stay bounded.
int readNumber(std::string_view f, size_t& i) {
  long long n = 0;
  while (i < f.size() && isDigit(f[i])) {
    if (n < 100000000) n = n * 10 + (f[i] - '0');
    ++i;
  }
  return static_cast<int>(n);
}

// "N$" after the current position: returns N (> 0) and advances, else 0.
int readPosition(std::string_view f, size_t& i) {
  size_t j = i;
  if (j >= f.size() || !isDigit(f[j])) return 0;
  int n = readNumber(f, j);
  if (j < f.size() && f[j] == '$') {
    i = j + 1;
    return n > 0 ? n : -1;  // "%0$" names no argument
  }
  return 0;
}

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
    const size_t start = i++;
    if (i >= f.size()) {
      out.push_back('%');
      break;
    }
    if (f[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    Spec s;
    int pos = readPosition(f, i);
    for (; i < f.size(); ++i) {
      const char fl = f[i];
      if (fl == '-') s.left = true;
      else if (fl == '+') s.plus = true;
      else if (fl == ' ') s.space = true;
      else if (fl == '#') s.alt = true;
      else if (fl == '0') s.zero = true;
      else if (fl == '\'') continue;
      else break;
    }
    bool starBad = false;
    auto starValue = [&](int& target, bool isWidth) {
      ++i;
      int p = readPosition(f, i);
      if (p == 0) p = next++;
      const Arg* a = argAt(args, p);
      if (!a || !isInteger(a)) {
        starBad = true;
        return;
      }
      int64_t v = signedValue(a);
      if (v < 0) {
        if (isWidth) {
          s.left = true;
          v = -v;
        } else {
          return;  // a negative precision is taken as absent
        }
      }
      target = clampWidth(static_cast<int>(v > kMaxWidth ? kMaxWidth : v));
    };
    if (i < f.size() && f[i] == '*') {
      starValue(s.width, true);
    } else if (i < f.size() && isDigit(f[i])) {
      s.width = clampWidth(readNumber(f, i));
    }
    if (i < f.size() && f[i] == '.') {
      ++i;
      if (i < f.size() && f[i] == '*') {
        starValue(s.precision, false);
      } else {
        s.precision = clampWidth(readNumber(f, i));
      }
    }
    // Length prefixes: they narrow integers (hh, h); the others only say
    // what a caller passed and are implied by the argument's own type.
    while (i < f.size()) {
      const char l = f[i];
      if (l == 'h') {
        s.lengthBits = s.lengthBits == 16 ? 8 : 16;
        ++i;
      } else if (l == 'l' || l == 'L' || l == 'q' || l == 'j' || l == 'z' || l == 't' || l == 'w') {
        ++i;
      } else if (l == 'I') {
        ++i;
        if (f.substr(i, 2) == "64" || f.substr(i, 2) == "32") i += 2;
      } else {
        break;
      }
    }
    if (i >= f.size()) {
      out.append(f.substr(start));
      break;
    }
    const char conv = f[i++];
    const bool known = std::strchr("diuoxXcCsSpneEfFgGaA", conv) != nullptr;
    if (!known) {
      out.append(f.substr(start, i - start));
      continue;
    }
    if (pos == 0) pos = next++;
    const Arg* a = argAt(args, pos);
    if (conv == 'n' || starBad || !a) continue;
    switch (conv) {
      case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
        if (isInteger(a)) renderInteger(out, s, conv, a);
        break;
      case 'c': case 'C':
        if (isInteger(a)) {
          std::string ch;
          utf8::append(ch, static_cast<char32_t>(unsignedValue(a)));
          pad(out, ch, s);
        }
        break;
      case 's': case 'S':
        if (a->type == kArgNarrow || a->type == kArgText) renderString(out, s, a);
        break;
      case 'p':
        if (a->type == kArgPointer) {
          Spec ps = s;
          ps.precision = -1;
          std::string body = cFormat("%0" + std::to_string(sizeof(void*) * 2) + "llX",
                                     static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(a->v.p)));
          pad(out, body, ps);
        }
        break;
      default:  // floating point
        if (a->type == kArgDouble) out += cFormat(cFlags(s) + conv, a->v.d);
        break;
    }
  }
  return out;
}

}  // namespace tnw
