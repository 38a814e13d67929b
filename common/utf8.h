// Reading and writing one UTF-8 sequence: the one rule of what is
// well-formed, shared by the common library's text service and the
// plug-in's text streams (header-only: the two libraries share no code at
// link time).
//
// Well-formed: the shortest form of a code point up to U+10FFFF that is not
// a surrogate. What the reader does with the rest, as one step each:
//  - a byte that cannot start a sequence (80..C1, F5..FF): that byte alone;
//  - a good lead byte followed by a byte that does not continue it: the
//    lead and the continuation bytes before that byte;
//  - a complete sequence giving an overlong form, a surrogate or a value
//    above U+10FFFF: the whole sequence (so "E0 80 AF" is one step, while
//    "C0 AF" is two, C0 being no lead byte);
//  - a good lead byte whose sequence the end of the input cuts off: all the
//    bytes up to the end, reported apart so that a reader of a stream can
//    wait for the rest.
// Each ill-formed step stands for one U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace common::utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

enum class Status { kWellFormed, kIllFormed, kCutOff };

struct Sequence {
  char32_t codePoint;  // kReplacement unless kWellFormed
  size_t length;       // bytes read, >= 1
  Status status;
};

// Reads the sequence at p; p < end.
inline Sequence read(const char* p, const char* end) {
  const auto b0 = static_cast<unsigned char>(*p);
  if (b0 < 0x80) return {b0, 1, Status::kWellFormed};
  int extra;
  char32_t cp;
  char32_t least;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1, cp = b0 & 0x1F, least = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2, cp = b0 & 0x0F, least = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3, cp = b0 & 0x07, least = 0x10000;
  } else {
    return {kReplacement, 1, Status::kIllFormed};
  }
  const char* q = p + 1;
  for (int i = 0; i < extra; ++i, ++q) {
    if (q >= end) return {kReplacement, static_cast<size_t>(q - p), Status::kCutOff};
    if ((static_cast<unsigned char>(*q) & 0xC0) != 0x80)
      return {kReplacement, static_cast<size_t>(q - p), Status::kIllFormed};
    cp = (cp << 6) | (static_cast<unsigned char>(*q) & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return {kReplacement, static_cast<size_t>(q - p), Status::kIllFormed};
  return {cp, static_cast<size_t>(q - p), Status::kWellFormed};
}

// Whether every byte of `s` belongs to a well-formed sequence.
inline bool wellFormed(std::string_view s) {
  const char* p = s.data();
  const char* const end = p + s.size();
  while (p < end) {
    const Sequence q = read(p, end);
    if (q.status != Status::kWellFormed) return false;
    p += q.length;
  }
  return true;
}

// Writes cp in its shortest form at `to` (room for 4 bytes) and returns
// the end; a surrogate or a value above U+10FFFF is written as U+FFFD.
inline char* encode(char* to, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    *to++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *to++ = static_cast<char>(0xC0 | (cp >> 6));
    *to++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *to++ = static_cast<char>(0xE0 | (cp >> 12));
    *to++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *to++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *to++ = static_cast<char>(0xF0 | (cp >> 18));
    *to++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *to++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *to++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return to;
}

// Appends cp in its shortest form (as encode writes it).
inline void append(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, static_cast<size_t>(encode(bytes, cp) - bytes));
}

// Appends cp in UTF-16: a surrogate pair above U+FFFF.
inline void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

// UTF-8 to UTF-16, each ill-formed step of read() as one U+FFFD.
inline std::u16string toUtf16(std::string_view in) {
  std::u16string out;
  out.reserve(in.size());
  const char* p = in.data();
  const char* const end = p + in.size();
  while (p < end) {
    const Sequence s = read(p, end);
    p += s.length;
    appendUtf16(out, s.codePoint);
  }
  return out;
}

// Appends `in` in UTF-8, an unpaired surrogate as U+FFFD. Converted a
// block at a time on the stack and appended once per block: this runs for
// every text a Windows API hands over.
inline void appendFromUtf16(std::string& out, std::u16string_view in) {
  constexpr size_t kBlock = 256;
  char buffer[3 * kBlock + 4];  // 3 bytes a unit; a pair that starts last takes 4
  size_t i = 0;
  while (i < in.size()) {
    char* to = buffer;
    const size_t stop = in.size() - i < kBlock ? in.size() : i + kBlock;
    while (i < stop) {
      char32_t c = in[i++];
      if (c < 0x80) {
        *to++ = static_cast<char>(c);
        continue;
      }
      if (c >= 0xD800 && c <= 0xDBFF && i < in.size() && in[i] >= 0xDC00 && in[i] <= 0xDFFF)
        c = 0x10000 + ((c - 0xD800) << 10) + (in[i++] - 0xDC00);
      to = encode(to, c);  // a lone surrogate becomes U+FFFD here
    }
    out.append(buffer, static_cast<size_t>(to - buffer));
  }
}

// UTF-16 to UTF-8, an unpaired surrogate as U+FFFD.
inline std::string fromUtf16(std::u16string_view in) {
  std::string out;
  appendFromUtf16(out, in);
  return out;
}

}  // namespace common::utf8
