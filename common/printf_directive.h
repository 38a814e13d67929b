// The grammar of one directive of a positional printf format, read the same
// way by the common library's formatter and by the plug-in's marshalling of
// C variable arguments. The two must agree on every format: the marshalling
// decides from it which argument positions exist and what type each has,
// the formatter which position each conversion reads. Header-only, because
// the two libraries share no code at link time.
//
//   %[N$][flags][width][.precision][length]conversion
//
// flags are - + space # 0 and ' (accepted, no effect); width and precision
// are digits or "*" (optionally "*N$": the amount comes from an argument);
// length prefixes are h hh l ll q j z t L w I I32 I64, in any number, the
// last one deciding except that h h is hh and l l is ll (w and I32 change
// nothing). Conversions that take an argument are d i u o x X c C s S p n
// e E f F g G a A. Any other byte where the conversion belongs ends the
// directive as an unknown one ("%5%" is one); a format ending inside a
// directive leaves it truncated.
//
// Argument positions: "N$" names position N; without it a conversion takes
// the next sequential position, and so does each "*" without its own "N$",
// in the order width, precision, conversion. Sequential and explicit
// positions may be mixed; explicit ones do not move the sequence. "0$"
// names no position and takes none from the sequence. A "*" takes its
// position even when the directive turns out unknown or truncated; an
// unknown or truncated conversion takes none.
//
// Numbers stop growing past nine digits, so hostile formats stay bounded;
// the caller caps the widths and precisions it renders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace common::printf_format {

// The order is part of the contract: ArgListC::scanFormat reports these
// values.
enum class Length : int32_t { kNone, kHH, kH, kL, kLL, kZ, kT, kBigL };

// What a conversion takes.
enum class Takes { kNothing, kSigned, kUnsigned, kChar, kNarrow, kText, kPointer, kCount, kDouble };

enum class Kind {
  kPercent,     // "%%"
  kConversion,  // a known conversion
  kUnknown,     // an unknown conversion byte ended it
  kTruncated,   // the format ended inside it
};

// A width or a precision.
struct Amount {
  enum class Form { kAbsent, kNumber, kStar };
  Form form = Form::kAbsent;
  // kNumber: the number (a precision of "." alone is 0). kStar: the
  // argument position it reads, > 0, or -1 for "*0$" (none).
  int value = 0;
};

struct Directive {
  Kind kind = Kind::kTruncated;
  size_t end = 0;  // one past the directive's last byte
  bool left = false, plus = false, space = false, alt = false, zero = false;
  Amount width, precision;
  Length length = Length::kNone;
  char conversion = 0;  // kConversion and kUnknown
  Takes takes = Takes::kNothing;
  // kConversion: the position of its argument, > 0, or -1 for "0$".
  int argument = 0;
};

inline Takes takesOf(char conversion) {
  switch (conversion) {
    case 'd': case 'i': return Takes::kSigned;
    case 'u': case 'o': case 'x': case 'X': return Takes::kUnsigned;
    case 'c': case 'C': return Takes::kChar;
    case 's': return Takes::kNarrow;
    case 'S': return Takes::kText;
    case 'p': return Takes::kPointer;
    case 'n': return Takes::kCount;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A': return Takes::kDouble;
    default: return Takes::kNothing;
  }
}

namespace detail {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline int readNumber(std::string_view f, size_t& i) {
  int n = 0;
  for (; i < f.size() && isDigit(f[i]); ++i)
    if (n < 100000000) n = n * 10 + (f[i] - '0');
  return n;
}

// "N$" at i: N (> 0, or -1 for 0) and i moved past it; else 0, i unmoved.
inline int readPosition(std::string_view f, size_t& i) {
  size_t j = i;
  if (j >= f.size() || !isDigit(f[j])) return 0;
  const int n = readNumber(f, j);
  if (j >= f.size() || f[j] != '$') return 0;
  i = j + 1;
  return n > 0 ? n : -1;
}

inline void readAmount(std::string_view f, size_t& i, int& next, Amount& a) {
  if (i < f.size() && f[i] == '*') {
    ++i;
    const int p = readPosition(f, i);
    a.form = Amount::Form::kStar;
    a.value = p != 0 ? p : next++;
  } else {
    a.form = Amount::Form::kNumber;
    a.value = readNumber(f, i);
  }
}

}  // namespace detail

// Reads the directive whose "%" is at f[at]; `next` is the next sequential
// position (1 before the first directive) and is advanced by what the
// directive takes.
inline Directive readDirective(std::string_view f, size_t at, int& next) {
  using detail::isDigit;
  Directive d;
  size_t i = at + 1;
  if (i < f.size() && f[i] == '%') {
    d.kind = Kind::kPercent;
    d.end = i + 1;
    return d;
  }
  const int position = detail::readPosition(f, i);
  for (bool flag = true; flag && i < f.size(); ) {
    switch (f[i]) {
      case '-': d.left = true; break;
      case '+': d.plus = true; break;
      case ' ': d.space = true; break;
      case '#': d.alt = true; break;
      case '0': d.zero = true; break;
      case '\'': break;
      default: flag = false; continue;
    }
    ++i;
  }
  if (i < f.size() && (f[i] == '*' || isDigit(f[i]))) detail::readAmount(f, i, next, d.width);
  if (i < f.size() && f[i] == '.') detail::readAmount(f, ++i, next, d.precision);
  for (bool more = true; more && i < f.size();) {
    switch (f[i]) {
      case 'h': d.length = d.length == Length::kH ? Length::kHH : Length::kH; ++i; break;
      case 'l': d.length = d.length == Length::kL ? Length::kLL : Length::kL; ++i; break;
      case 'q': case 'j': d.length = Length::kLL; ++i; break;
      case 'L': d.length = Length::kBigL; ++i; break;
      case 'z': d.length = Length::kZ; ++i; break;
      case 't': d.length = Length::kT; ++i; break;
      case 'w': ++i; break;
      case 'I':
        if (f.substr(i + 1, 2) == "64") {
          d.length = Length::kLL;
          i += 3;
        } else if (f.substr(i + 1, 2) == "32") {
          i += 3;
        } else {
          d.length = Length::kZ;
          ++i;
        }
        break;
      default: more = false;
    }
  }
  if (i >= f.size()) {
    d.kind = Kind::kTruncated;
    d.end = f.size();
    return d;
  }
  d.conversion = f[i];
  d.end = i + 1;
  d.takes = takesOf(d.conversion);
  if (d.takes == Takes::kNothing) {
    d.kind = Kind::kUnknown;
    return d;
  }
  d.kind = Kind::kConversion;
  d.argument = position != 0 ? position : next++;
  return d;
}

}  // namespace common::printf_format
