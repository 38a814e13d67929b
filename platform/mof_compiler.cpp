#include "platform/mof_compiler.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "common/utf8.h"

namespace platform::mof {

namespace {

namespace fs = std::filesystem;
using wmi::VariantC;

char foldChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

std::string fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = foldChar(c);
  return out;
}

bool sameFold(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (foldChar(a[i]) != foldChar(b[i])) return false;
  return true;
}


bool isHigh(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLow(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string utf8Of(std::u16string_view s) { return common::utf8::fromUtf16(s); }

std::string hex(uint32_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return out;
}

// A namespace path split into its names: "\\server\" or "//server/" in
// front is dropped, both separators split, empty names vanish. `absolute`
// says whether the path starts at "root".
std::vector<std::string> splitNamespace(std::string_view path, bool& absolute) {
  std::string p(path);
  std::replace(p.begin(), p.end(), '/', '\\');
  size_t i = 0;
  absolute = false;
  if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
    i = p.find('\\', 2);
    if (i == std::string::npos) i = p.size();
    absolute = true;
  } else if (!p.empty() && p[0] == '\\') {
    absolute = true;
  }
  std::vector<std::string> parts;
  while (i < p.size()) {
    const size_t end = std::min(p.find('\\', i), p.size());
    if (end > i) parts.push_back(p.substr(i, end - i));
    i = end + 1;
  }
  if (!parts.empty() && sameFold(parts[0], "root")) absolute = true;
  return parts;
}

std::string joinNamespace(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += '\\';
    out += p;
  }
  return out;
}

// What a compilation reports, capped per file.
class SinkC {
 public:
  SinkC(std::vector<std::string>& problems, const std::string& file) : problems_(problems), file_(file) {}
  void report(size_t line, const std::string& what) {
    if (count_ > kMaxProblemsPerFile) return;
    const std::string where = file_ + ":" + std::to_string(line) + ": ";
    if (++count_ > kMaxProblemsPerFile)
      problems_.push_back(where + "more than " + std::to_string(kMaxProblemsPerFile) +
                          " problems; the rest of this file's are not reported");
    else
      problems_.push_back(where + what);
  }

 private:
  std::vector<std::string>& problems_;
  const std::string& file_;
  size_t count_ = 0;
};

// UTF-16LE (after its byte-order mark) as UTF-8.
std::string fromUtf16le(std::string_view bytes, SinkC& sink) {
  std::string out;
  out.reserve(bytes.size());
  size_t line = 1, reportedLine = 0;
  const auto unit = [&](size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    char32_t cp = unit(i);
    if (isHigh(cp) && i + 3 < bytes.size() && isLow(unit(i + 2))) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (isHigh(cp) || isLow(cp)) {
      cp = common::utf8::kReplacement;
      if (reportedLine != line) sink.report(line, "unpaired UTF-16 surrogate read as U+FFFD");
      reportedLine = line;
    }
    if (cp == '\n') ++line;
    common::utf8::append(out, cp);
  }
  if (i < bytes.size()) {
    sink.report(line, "UTF-16 text ends in half a character, read as U+FFFD");
    common::utf8::append(out, common::utf8::kReplacement);
  }
  return out;
}

enum class Tok { kEnd, kIdent, kNumber, kString, kChar, kAlias, kPunct, kInvalid };

struct TokenC {
  Tok kind = Tok::kEnd;
  char punct = 0;
  size_t line = 0;
  std::string text;      // kIdent, kNumber, kAlias (without "$")
  std::u16string units;  // kString, kChar
};

bool isOpener(char c) { return c == '{' || c == '[' || c == '('; }
bool isCloser(char c) { return c == '}' || c == ']' || c == ')'; }
bool isAsciiIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentCodePoint(char32_t cp) { return cp >= 0x80 && cp <= 0xFFEF; }

std::string quoteText(std::u16string_view units) {
  constexpr size_t kShown = 40;
  const bool cut = units.size() > kShown;
  size_t n = std::min(units.size(), kShown);
  if (cut && isHigh(units[n - 1])) --n;
  return "\"" + utf8Of(units.substr(0, n)) + (cut ? "...\"" : "\"");
}

std::string describe(const TokenC& t) {
  switch (t.kind) {
    case Tok::kEnd: return "end of file";
    case Tok::kIdent: return "\"" + t.text + "\"";
    case Tok::kNumber: return "number " + t.text;
    case Tok::kString: return "string " + quoteText(t.units);
    case Tok::kChar: return "character literal";
    case Tok::kAlias: return "\"$" + t.text + "\"";
    case Tok::kPunct: return std::string("'") + t.punct + "'";
    case Tok::kInvalid: break;
  }
  return "token";
}

// Tokens of a file's text, one at a time: a file may hold millions.
class LexerC {
 public:
  LexerC(std::string_view text, SinkC& sink) : s_(text), sink_(sink) {}

  const TokenC& peek() {
    if (!ready_) {
      scan();
      ready_ = true;
    }
    return tok_;
  }
  TokenC take() {
    peek();
    ready_ = false;
    return std::move(tok_);
  }
  bool isPunct(char c) {
    const TokenC& t = peek();
    return t.kind == Tok::kPunct && t.punct == c;
  }
  bool isWord(std::string_view w) {
    const TokenC& t = peek();
    return t.kind == Tok::kIdent && sameFold(t.text, w);
  }

 private:
  unsigned char at(size_t i) const { return static_cast<unsigned char>(s_[i]); }

  // The code point of the non-ASCII sequence at pos_, which it passes.
  char32_t codePoint() {
    const common::utf8::Sequence seq = common::utf8::read(s_.data() + pos_, s_.data() + s_.size());
    pos_ += seq.length;
    if (seq.status == common::utf8::Status::kWellFormed) return seq.codePoint;
    if (badLine_ != line_) sink_.report(line_, "ill-formed UTF-8 read as U+FFFD");
    badLine_ = line_;
    return common::utf8::kReplacement;
  }

  bool identCodePointAt(size_t i, size_t& length) const {
    const common::utf8::Sequence seq = common::utf8::read(s_.data() + i, s_.data() + s_.size());
    length = seq.length;
    return seq.status == common::utf8::Status::kWellFormed && isIdentCodePoint(seq.codePoint);
  }

  void identifier(Tok kind) {
    const size_t start = pos_;
    size_t length = 0;
    while (pos_ < s_.size()) {
      const char d = s_[pos_];
      if (isAsciiIdentStart(d) || isDigit(d))
        ++pos_;
      else if (at(pos_) >= 0x80 && identCodePointAt(pos_, length))
        pos_ += length;
      else
        break;
    }
    tok_.kind = kind;
    tok_.text.assign(s_.substr(start, pos_ - start));
  }

  void skipComment() {
    const size_t start = line_;
    pos_ += 2;
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '*' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
        pos_ += 2;
        return;
      }
      if (c == '\n') ++line_;
      if (at(pos_) >= 0x80)
        codePoint();
      else
        ++pos_;
    }
    sink_.report(start, "unterminated comment");
  }

  // The contents of a quoted literal whose opening quote is passed. False
  // when the line or the text ends first.
  bool quoted(char quote, std::u16string& out) {
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '\n') return false;
      if (c == quote) {
        ++pos_;
        return true;
      }
      if (at(pos_) >= 0x80) {
        common::utf8::appendUtf16(out, codePoint());
        continue;
      }
      ++pos_;
      if (c != '\\') {
        out.push_back(static_cast<char16_t>(c));
        continue;
      }
      if (pos_ >= s_.size() || s_[pos_] == '\n') return false;
      const char e = s_[pos_];
      switch (e) {
        case 'b': out.push_back(u'\b'); ++pos_; continue;
        case 't': out.push_back(u'\t'); ++pos_; continue;
        case 'n': out.push_back(u'\n'); ++pos_; continue;
        case 'f': out.push_back(u'\f'); ++pos_; continue;
        case 'r': out.push_back(u'\r'); ++pos_; continue;
        case '"': case '\'': case '\\': out.push_back(static_cast<char16_t>(e)); ++pos_; continue;
        case 'x': case 'X': {
          ++pos_;
          uint32_t value = 0;
          int digits = 0;
          for (; digits < 4 && pos_ < s_.size(); ++digits, ++pos_) {
            const char h = foldChar(s_[pos_]);
            if (isDigit(h))
              value = value * 16 + static_cast<uint32_t>(h - '0');
            else if (h >= 'a' && h <= 'f')
              value = value * 16 + static_cast<uint32_t>(h - 'a' + 10);
            else
              break;
          }
          if (digits == 0) {
            sink_.report(line_, std::string("escape \"\\") + e + "\" without hex digits; read as \"" + e + "\"");
            out.push_back(static_cast<char16_t>(e));
          } else {
            out.push_back(static_cast<char16_t>(value));
          }
          continue;
        }
        default: break;
      }
      std::string shown;
      char32_t cp;
      if (at(pos_) >= 0x80) {
        cp = codePoint();
      } else {
        cp = static_cast<unsigned char>(e);
        ++pos_;
      }
      common::utf8::append(shown, cp);
      sink_.report(line_, "unknown escape \"\\" + shown + "\"; read as \"" + shown + "\"");
      common::utf8::appendUtf16(out, cp);
    }
    return false;
  }

  void scan() {
    tok_ = TokenC{};
    bool strayReported = false;
    for (;;) {
      while (pos_ < s_.size()) {
        const char c = s_[pos_];
        if (c == '\n') {
          ++line_;
          ++pos_;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
          ++pos_;
        } else {
          break;
        }
      }
      tok_.line = line_;
      if (pos_ >= s_.size()) return;
      const char c = s_[pos_];
      const char next = pos_ + 1 < s_.size() ? s_[pos_ + 1] : '\0';
      if (c == '/' && next == '/') {
        while (pos_ < s_.size() && s_[pos_] != '\n') {
          if (at(pos_) >= 0x80)
            codePoint();
          else
            ++pos_;
        }
        continue;
      }
      if (c == '/' && next == '*') {
        skipComment();
        continue;
      }
      size_t length = 0;
      if (isAsciiIdentStart(c) || (at(pos_) >= 0x80 && identCodePointAt(pos_, length))) {
        identifier(Tok::kIdent);
        return;
      }
      if (isDigit(c) || (c == '.' && isDigit(next))) {
        const size_t start = pos_;
        const bool hexNumber = c == '0' && (next == 'x' || next == 'X');
        while (pos_ < s_.size()) {
          const char d = s_[pos_];
          if (isAsciiIdentStart(d) || isDigit(d) || d == '.')
            ++pos_;
          else if ((d == '+' || d == '-') && !hexNumber && foldChar(s_[pos_ - 1]) == 'e')
            ++pos_;
          else
            break;
        }
        tok_.kind = Tok::kNumber;
        tok_.text.assign(s_.substr(start, pos_ - start));
        return;
      }
      if (c == '"') {
        ++pos_;
        tok_.kind = Tok::kString;
        if (!quoted('"', tok_.units)) {
          sink_.report(tok_.line, "unterminated string");
          tok_.kind = Tok::kInvalid;
        }
        return;
      }
      if (c == '\'') {
        ++pos_;
        tok_.kind = Tok::kChar;
        if (!quoted('\'', tok_.units)) {
          sink_.report(tok_.line, "unterminated character literal");
          tok_.kind = Tok::kInvalid;
        } else if (tok_.units.size() != 1) {
          sink_.report(tok_.line, tok_.units.empty() ? "empty character literal"
                                                     : "character literal holds more than one UTF-16 unit");
          tok_.kind = Tok::kInvalid;
        }
        return;
      }
      if (c == '$' && (isAsciiIdentStart(next) || (static_cast<unsigned char>(next) >= 0x80 &&
                                                   identCodePointAt(pos_ + 1, length)))) {
        ++pos_;
        identifier(Tok::kAlias);
        return;
      }
      if (std::string_view("{}[]();,=:#-+").find(c) != std::string_view::npos) {
        ++pos_;
        tok_.kind = Tok::kPunct;
        tok_.punct = c;
        return;
      }
      std::string what;
      if (at(pos_) < 0x80) {
        what = c >= 0x21 && c <= 0x7E ? std::string("unexpected character '") + c + "'"
                                      : "unexpected byte 0x" + hex(at(pos_), 2);
        ++pos_;
      } else {
        const size_t line = line_;
        what = "unexpected character U+" + hex(codePoint(), 4);
        tok_.line = line;
      }
      if (!strayReported) sink_.report(tok_.line, what);
      strayReported = true;
    }
  }

  std::string_view s_;
  SinkC& sink_;
  size_t pos_ = 0;
  size_t line_ = 1;
  size_t badLine_ = 0;
  TokenC tok_;
  bool ready_ = false;
};

struct TypeNameC {
  const char* name;
  int32_t cimType;
};

constexpr TypeNameC kTypes[] = {
    {"string", wmi::kCimString},   {"boolean", wmi::kCimBoolean}, {"datetime", wmi::kCimDatetime},
    {"char16", wmi::kCimChar16},   {"real32", wmi::kCimReal32},   {"real64", wmi::kCimReal64},
    {"sint8", wmi::kCimSint8},     {"uint8", wmi::kCimUint8},     {"sint16", wmi::kCimSint16},
    {"uint16", wmi::kCimUint16},   {"sint32", wmi::kCimSint32},   {"uint32", wmi::kCimUint32},
    {"sint64", wmi::kCimSint64},   {"uint64", wmi::kCimUint64},   {"reference", wmi::kCimReference},
};

int32_t typeByName(std::string_view name) {
  for (const auto& t : kTypes)
    if (t.cimType != wmi::kCimReference && sameFold(name, t.name)) return t.cimType;
  return 0;
}

std::string typeName(int32_t cimType) {
  for (const auto& t : kTypes)
    if (t.cimType == cimType) return t.name;
  return "value";
}

uint16_t vtOf(int32_t cimType) {
  switch (cimType) {
    case wmi::kCimSint8: case wmi::kCimSint16: case wmi::kCimChar16: return wmi::kVtI2;
    case wmi::kCimUint8: return wmi::kVtUi1;
    case wmi::kCimUint16: case wmi::kCimSint32: case wmi::kCimUint32: return wmi::kVtI4;
    case wmi::kCimReal32: return wmi::kVtR4;
    case wmi::kCimReal64: return wmi::kVtR8;
    case wmi::kCimBoolean: return wmi::kVtBool;
    default: return wmi::kVtBstr;
  }
}

struct LiteralC {
  enum Kind { kNumber, kString, kChar, kTrue, kFalse, kNull, kOther } kind = kOther;
  std::string text;  // kNumber with its sign; kOther as written
  std::u16string units;
  size_t line = 0;
};

std::string describe(const LiteralC& lit) {
  switch (lit.kind) {
    case LiteralC::kString: return quoteText(lit.units);
    case LiteralC::kChar: return "'" + utf8Of(lit.units) + "'";
    case LiteralC::kTrue: return "true";
    case LiteralC::kFalse: return "false";
    case LiteralC::kNull: return "null";
    default: return lit.text;
  }
}

enum class Conv { kOk, kNotType, kRange };

// A decimal, hexadecimal ("0x") or octal (leading "0") integer with an
// optional sign.
Conv parseInteger(std::string_view text, bool& negative, uint64_t& magnitude) {
  negative = false;
  magnitude = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && foldChar(text[1]) == 'x') {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;
    text.remove_prefix(1);
  }
  if (text.empty()) return Conv::kNotType;
  bool overflow = false;
  for (char c : text) {
    const char f = foldChar(c);
    unsigned digit;
    if (isDigit(f))
      digit = static_cast<unsigned>(f - '0');
    else if (f >= 'a' && f <= 'f')
      digit = static_cast<unsigned>(f - 'a' + 10);
    else
      return Conv::kNotType;
    if (digit >= base) return Conv::kNotType;
    if (magnitude > (UINT64_MAX - digit) / base) overflow = true;
    magnitude = magnitude * base + digit;
  }
  return overflow ? Conv::kRange : Conv::kOk;
}

Conv parseReal(const std::string& text, double& out) {
  std::string_view t = text;
  if (!t.empty() && t[0] == '+') t.remove_prefix(1);
  const std::string_view digits = !t.empty() && t[0] == '-' ? t.substr(1) : t;
  if (digits.size() > 2 && digits[0] == '0' && foldChar(digits[1]) == 'x') {
    bool negative;
    uint64_t magnitude;
    const Conv c = parseInteger(text, negative, magnitude);
    if (c != Conv::kOk) return c;
    out = negative ? -static_cast<double>(magnitude) : static_cast<double>(magnitude);
    return Conv::kOk;
  }
  const auto r = std::from_chars(t.data(), t.data() + t.size(), out, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) return Conv::kRange;
  if (r.ec != std::errc() || r.ptr != t.data() + t.size()) return Conv::kNotType;
  return Conv::kOk;
}

// "yyyymmddHHMMSS.mmmmmmsUUU" (s "+" or "-") or the interval form with ":"
// there; any field may be "*" digits.
bool isCimDatetime(std::u16string_view s) {
  if (s.size() != 25) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (i == 14) {
      if (c != u'.') return false;
    } else if (i == 21) {
      if (c != u'+' && c != u'-' && c != u':') return false;
    } else if (!((c >= u'0' && c <= u'9') || c == u'*')) {
      return false;
    }
  }
  return true;
}

struct RangeC {
  uint64_t negativeLimit;  // the largest magnitude below zero
  uint64_t positiveLimit;
};

RangeC rangeOf(int32_t cimType) {
  switch (cimType) {
    case wmi::kCimSint8: return {128, 127};
    case wmi::kCimUint8: return {0, 255};
    case wmi::kCimSint16: return {32768, 32767};
    case wmi::kCimUint16: case wmi::kCimChar16: return {0, 65535};
    case wmi::kCimSint32: return {2147483648u, 2147483647u};
    case wmi::kCimUint32: return {0, 4294967295u};
    case wmi::kCimSint64: return {uint64_t{1} << 63, (uint64_t{1} << 63) - 1};
    default: return {0, UINT64_MAX};
  }
}

Conv convert(int32_t cimType, const LiteralC& lit, VariantC& out) {
  out = VariantC{};
  out.type = vtOf(cimType);
  switch (cimType) {
    case wmi::kCimString:
    case wmi::kCimReference:
      if (lit.kind != LiteralC::kString) return Conv::kNotType;
      out.text = lit.units;
      return Conv::kOk;
    case wmi::kCimDatetime:
      if (lit.kind != LiteralC::kString || !isCimDatetime(lit.units)) return Conv::kNotType;
      out.text = lit.units;
      return Conv::kOk;
    case wmi::kCimBoolean:
      if (lit.kind != LiteralC::kTrue && lit.kind != LiteralC::kFalse) return Conv::kNotType;
      out.integer = lit.kind == LiteralC::kTrue ? -1 : 0;
      return Conv::kOk;
    case wmi::kCimReal32:
    case wmi::kCimReal64: {
      if (lit.kind != LiteralC::kNumber) return Conv::kNotType;
      double d = 0;
      const Conv c = parseReal(lit.text, d);
      if (c != Conv::kOk) return c;
      if (cimType == wmi::kCimReal32) {
        if (std::fabs(d) > FLT_MAX) return Conv::kRange;
        d = static_cast<float>(d);
      }
      out.real = d;
      return Conv::kOk;
    }
    default: break;
  }
  if (cimType == wmi::kCimChar16 && lit.kind == LiteralC::kChar) {
    out.integer = static_cast<int16_t>(lit.units[0]);
    return Conv::kOk;
  }
  if (lit.kind != LiteralC::kNumber) return Conv::kNotType;
  bool negative;
  uint64_t magnitude;
  const Conv c = parseInteger(lit.text, negative, magnitude);
  if (c != Conv::kOk) return c;
  const RangeC range = rangeOf(cimType);
  if (magnitude > (negative ? range.negativeLimit : range.positiveLimit)) return Conv::kRange;
  const int64_t value = negative ? static_cast<int64_t>(uint64_t{0} - magnitude) : static_cast<int64_t>(magnitude);
  switch (cimType) {
    case wmi::kCimUint32: out.integer = static_cast<int32_t>(static_cast<uint32_t>(magnitude)); break;
    case wmi::kCimChar16: out.integer = static_cast<int16_t>(static_cast<uint16_t>(magnitude)); break;
    case wmi::kCimSint64: {
      const std::string d = std::to_string(value);
      out.text.assign(d.begin(), d.end());
      break;
    }
    case wmi::kCimUint64: {
      const std::string d = std::to_string(magnitude);
      out.text.assign(d.begin(), d.end());
      break;
    }
    default: out.integer = value; break;
  }
  return Conv::kOk;
}

size_t weight(const VariantC& v) { return 1 + v.elements.size(); }

}  // namespace

// One file's compilation into a repository.
class CompilerC {
 public:
  CompilerC(RepositoryC& repository, const std::string& file)
      : repo_(repository), file_(file), sink_(repository.problems_, file_) {}

  void compile(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes) {
      sink_.report(0, "file of " + std::to_string(bytes.size()) + " bytes is larger than the limit of " +
                          std::to_string(kMaxFileBytes) + " bytes; skipped");
      return;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
      run(bytes.substr(3));
    } else if (bytes.substr(0, 2) == "\xFF\xFE") {
      const std::string text = fromUtf16le(bytes.substr(2), sink_);
      run(text);
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
      sink_.report(0, "UTF-16 big-endian text is not read; skipped");
    } else {
      run(bytes);
    }
  }

 private:
  enum class Got { kValue, kSkipped, kEnd };

  void report(size_t line, const std::string& what) { sink_.report(line, what); }

  void run(std::string_view text) {
    LexerC lexer(text, sink_);
    lex_ = &lexer;
    current_ = {"root", "default"};
    for (;;) {
      const TokenC& t = lex_->peek();
      if (t.kind == Tok::kEnd) break;
      if (lex_->isPunct('#')) {
        pragma();
      } else if (lex_->isPunct('[')) {
        skipTopGroup();
      } else if (lex_->isPunct(';')) {
        lex_->take();
      } else if (lex_->isWord("class")) {
        classDeclaration();
      } else if (lex_->isWord("instance")) {
        instanceDeclaration();
      } else if (lex_->isWord("qualifier")) {
        lex_->take();
        syncTop();
      } else {
        unexpected(t, "a class, an instance or a pragma");
        if (!(t.kind == Tok::kPunct && isOpener(t.punct))) lex_->take();
        syncTop();
      }
    }
    lex_ = nullptr;
  }

  void unexpected(const TokenC& t, const std::string& expected) {
    if (t.kind == Tok::kInvalid || (t.kind == Tok::kEnd && inBody_)) return;
    report(t.line, "unexpected " + describe(t) + "; expected " + expected);
  }

  // Skips the tokens of a group: with depth 0 the next token opens it,
  // else the lexer is `depth` levels inside. Stops past the group's closer,
  // or before a ';' directly inside it when `stopAtSemicolon`. False at the
  // end of the text, and before a '#': no group holds a directive, so the
  // group is taken as not closed and the directive is read, not lost.
  bool skipNested(size_t depth, bool stopAtSemicolon) {
    bool reported = false;
    for (;;) {
      const TokenC& t = lex_->peek();
      if (t.kind == Tok::kEnd || (t.kind == Tok::kPunct && t.punct == '#')) return false;
      if (t.kind == Tok::kPunct) {
        if (isOpener(t.punct)) {
          if (++depth > kMaxNesting && !reported) {
            report(t.line, "brackets nested deeper than " + std::to_string(kMaxNesting) + " levels");
            reported = true;
          }
        } else if (isCloser(t.punct) && depth > 0) {
          if (--depth == 0) {
            lex_->take();
            return true;
          }
        } else if (t.punct == ';' && stopAtSemicolon && depth == 1) {
          return true;
        }
      }
      lex_->take();
    }
  }
  bool skipGroup() { return skipNested(0, false); }

  void skipTopGroup() {
    const TokenC& t = lex_->peek();
    const size_t line = t.line;
    const char opener = t.punct;
    if (!skipGroup()) report(line, std::string("'") + opener + "' is not closed");
  }

  // After a spoiled top-level declaration: up to its ';' or the next
  // declaration.
  void syncTop() {
    for (;;) {
      const TokenC& t = lex_->peek();
      if (t.kind == Tok::kEnd || lex_->isPunct('#') || lex_->isWord("class") || lex_->isWord("instance") ||
          lex_->isWord("qualifier"))
        return;
      if (lex_->isPunct(';')) {
        lex_->take();
        return;
      }
      if (t.kind == Tok::kPunct && isOpener(t.punct)) {
        skipTopGroup();
        continue;
      }
      lex_->take();
    }
  }

  // After a spoiled item of a class or instance body: past its ';', or up
  // to the body's '}'.
  void syncBody() {
    for (;;) {
      const TokenC& t = lex_->peek();
      if (t.kind == Tok::kEnd || lex_->isPunct('}')) return;
      if (lex_->isPunct(';')) {
        lex_->take();
        return;
      }
      if (t.kind == Tok::kPunct && isOpener(t.punct)) {
        skipGroup();
        continue;
      }
      lex_->take();
    }
  }

  // The ';' after a declaration's '}'.
  // `what` names the declaration ("class", "instance of") for a complaint.
  void endDeclaration(size_t line, const char* what = nullptr, const std::string& name = std::string()) {
    if (lex_->isPunct(';'))
      lex_->take();
    else if (what)
      report(line, std::string("missing ';' after ") + what + " \"" + name + "\"");
  }

  void skipLine(size_t line) {
    for (;;) {
      const TokenC& t = lex_->peek();
      if (t.kind == Tok::kEnd || t.line != line) return;
      if (t.kind == Tok::kPunct && isOpener(t.punct))
        skipGroup();
      else
        lex_->take();
    }
  }

  NamespaceC* declare(const std::vector<std::string>& parts) {
    std::string name;
    NamespaceC* ns = nullptr;
    for (const auto& part : parts) {
      if (!name.empty()) name += '\\';
      name += part;
      auto& slot = repo_.namespaces_[fold(name)];
      if (!slot) {
        slot = std::make_unique<NamespaceC>();
        slot->name = name;
      }
      ns = slot.get();
    }
    return ns;
  }

  NamespaceC* currentNamespace() {
    auto it = repo_.namespaces_.find(fold(joinNamespace(current_)));
    return it == repo_.namespaces_.end() ? nullptr : it->second.get();
  }

  void pragma() {
    const size_t line = lex_->take().line;
    if (!lex_->isWord("pragma") || lex_->peek().line != line) {
      const TokenC& t = lex_->peek();
      report(line, t.kind == Tok::kIdent && t.line == line ? "unknown directive \"#" + t.text + "\"; skipped"
                                                           : "'#' without \"pragma\"; skipped");
      skipLine(line);
      return;
    }
    lex_->take();
    if (lex_->peek().kind != Tok::kIdent || lex_->peek().line != line) {
      report(line, "#pragma without a name; skipped");
      skipLine(line);
      return;
    }
    const std::string name = lex_->take().text;
    if (!sameFold(name, "namespace")) {
      if (lex_->isPunct('(') && lex_->peek().line == line && !skipGroup()) report(line, "'(' is not closed");
      skipLine(line);
      return;
    }
    std::u16string value;
    bool good = lex_->isPunct('(');
    if (good) {
      lex_->take();
      good = lex_->peek().kind == Tok::kString;
      while (lex_->peek().kind == Tok::kString) value += lex_->take().units;
      good = good && lex_->isPunct(')');
    }
    if (!good) {
      if (lex_->peek().kind != Tok::kInvalid) report(line, "#pragma namespace needs (\"name\"); ignored");
      skipLine(line);
      return;
    }
    lex_->take();
    bool absolute;
    const std::string path = utf8Of(value);
    std::vector<std::string> parts = splitNamespace(path, absolute);
    if (parts.empty()) {
      report(line, "#pragma namespace names no namespace; ignored");
      return;
    }
    if (absolute && !sameFold(parts[0], "root")) {
      report(line, "namespace \"" + joinNamespace(parts) + "\" is not below \"root\"; ignored");
      return;
    }
    if (!absolute) {
      std::vector<std::string> full = current_;
      full.insert(full.end(), parts.begin(), parts.end());
      parts = std::move(full);
    }
    if (joinNamespace(parts).size() > kMaxNamespaceLength) {
      report(line, "namespace path longer than " + std::to_string(kMaxNamespaceLength) + " characters; ignored");
      return;
    }
    current_ = std::move(parts);
    declare(current_);
  }

  std::unordered_map<std::string, int32_t>& indexOf(const ClassC& cls) {
    auto& index = indexes_[&cls];
    if (index.empty())
      for (size_t i = 0; i < cls.properties.size(); ++i)
        index.emplace(fold(cls.properties[i].name), static_cast<int32_t>(i));
    return index;
  }

  // Checked before a class's defaults are copied, so that refusing costs
  // no more than reading.
  size_t weightOf(const ClassC& cls) {
    auto [it, fresh] = weights_.try_emplace(&cls, 0);
    if (fresh)
      for (const auto& p : cls.properties) it->second += weight(p.value);
    return it->second;
  }

  bool withinValueLimit(size_t w, size_t line, const char* what, const std::string& name) {
    if (repo_.values_ + w <= kMaxValues) return true;
    report(line, std::string(what) + " \"" + name + "\" would take the repository past its limit of " +
                     std::to_string(kMaxValues) + " values; refused");
    return false;
  }

  void classDeclaration() {
    const size_t line = lex_->take().line;
    if (lex_->peek().kind != Tok::kIdent) {
      unexpected(lex_->peek(), "a class name after \"class\"");
      syncTop();
      return;
    }
    const std::string name = lex_->take().text;
    std::string super;
    if (lex_->isPunct(':')) {
      lex_->take();
      if (lex_->peek().kind != Tok::kIdent) {
        unexpected(lex_->peek(), "a superclass name after \"" + name + " :\"");
        syncTop();
        return;
      }
      super = lex_->take().text;
    }
    if (lex_->isPunct(';')) {
      lex_->take();
      report(line, "class \"" + name + "\" has no body; skipped");
      return;
    }
    if (!lex_->isPunct('{')) {
      unexpected(lex_->peek(), "'{' after \"class " + name + "\"");
      syncTop();
      return;
    }
    const NamespaceC* existing = currentNamespace();
    const ClassC* base = nullptr;
    std::string refusal;
    if (existing && existing->findClass(name)) {
      refusal = "class \"" + name + "\" is already declared in namespace \"" + existing->name +
                "\"; this declaration ignored";
    } else if (!super.empty()) {
      base = existing ? existing->findClass(super) : nullptr;
      if (!base) refusal = "class \"" + name + "\" derives from undeclared class \"" + super + "\"; refused";
    }
    if (!refusal.empty()) {
      report(line, refusal);
      if (skipGroup()) endDeclaration(line);
      return;
    }
    if (base && !withinValueLimit(weightOf(*base), line, "class", name)) {
      if (skipGroup()) endDeclaration(line);
      return;
    }
    lex_->take();
    auto cls = std::make_unique<ClassC>();
    cls->name = name;
    std::unordered_map<std::string, int32_t> index;
    std::vector<bool> own;
    if (base) {
      cls->superclass = base->name;
      cls->properties = base->properties;
      index = indexOf(*base);
      own.assign(cls->properties.size(), false);
    }
    size_t endLine = line;
    const bool closed = readBody("a property declaration in class \"" + name + "\"", endLine, [&] {
      property(*cls, index, own);
      return true;
    });
    if (!closed) {
      report(line, "class \"" + name + "\" is not closed; refused");
      return;
    }
    endDeclaration(endLine, "class", name);
    size_t w = 0;
    for (const auto& p : cls->properties) w += weight(p.value);
    if (!withinValueLimit(w, line, "class", name)) return;
    repo_.values_ += w;
    NamespaceC* ns = declare(current_);
    ns->classes[fold(name)] = std::move(cls);
  }

  // Reads the members of a "{ ... }" body whose "{" was taken: empty
  // statements and qualifier lists are passed over, an identifier starts a
  // member that `member` reads (false: the input ended), anything else is
  // reported as not being `expected` and skipped. True when the closing "}"
  // came, its line then in `endLine`; false when the input ended first.
  template <typename MemberFn>
  bool readBody(const std::string& expected, size_t& endLine, MemberFn member) {
    inBody_ = true;
    bool closed = false;
    for (;;) {
      const TokenC& t = lex_->peek();
      if (t.kind == Tok::kEnd) break;
      if (lex_->isPunct('}')) {
        endLine = lex_->take().line;
        closed = true;
        break;
      }
      if (lex_->isPunct(';')) {
        lex_->take();
        continue;
      }
      if (lex_->isPunct('[')) {
        skipGroup();
        continue;
      }
      if (t.kind != Tok::kIdent) {
        unexpected(t, expected);
        if (t.kind == Tok::kPunct && isOpener(t.punct))
          skipGroup();
        else
          lex_->take();
        syncBody();
        continue;
      }
      if (!member()) break;
    }
    inBody_ = false;
    return closed;
  }

  void property(ClassC& cls, std::unordered_map<std::string, int32_t>& index, std::vector<bool>& own) {
    const TokenC type = lex_->take();
    bool reference = false;
    if (lex_->isWord("ref")) {
      lex_->take();
      reference = true;
    }
    if (lex_->peek().kind != Tok::kIdent) {
      unexpected(lex_->peek(), "a property name after \"" + type.text + (reference ? " ref" : "") + "\"");
      syncBody();
      return;
    }
    const TokenC name = lex_->take();
    if (lex_->isPunct('(')) {
      skipGroup();
      syncBody();
      return;
    }
    bool array = false;
    if (lex_->isPunct('[')) {
      lex_->take();
      array = true;
      if (lex_->peek().kind == Tok::kNumber) lex_->take();
      if (!lex_->isPunct(']')) {
        unexpected(lex_->peek(), "']' after \"" + name.text + "[\"");
        syncBody();
        return;
      }
      lex_->take();
    }
    const int32_t base = reference ? wmi::kCimReference : typeByName(type.text);
    if (base == 0) {
      report(type.line, "unknown type \"" + type.text + "\" of property \"" + name.text + "\"; skipped");
      syncBody();
      return;
    }
    PropertyC p;
    p.name = name.text;
    p.cimType = base | (array ? wmi::kCimFlagArray : 0);
    p.value.type = wmi::kVtNull;
    bool hasDefault = false;
    bool synced = false;
    if (lex_->isPunct('=')) {
      lex_->take();
      const Got got = value(p.name, p.cimType, p.value);
      if (got == Got::kEnd) return;
      hasDefault = got == Got::kValue;
      if (!hasDefault) {
        p.value = VariantC{};
        p.value.type = wmi::kVtNull;
        syncBody();
        synced = true;
      }
    }
    if (!synced) {
      if (lex_->isPunct(';')) {
        lex_->take();
      } else {
        unexpected(lex_->peek(), "';' after property \"" + p.name + "\"");
        syncBody();
      }
    }
    const std::string key = fold(p.name);
    auto it = index.find(key);
    if (it == index.end()) {
      index.emplace(key, static_cast<int32_t>(cls.properties.size()));
      own.push_back(true);
      cls.properties.push_back(std::move(p));
      return;
    }
    const auto i = static_cast<size_t>(it->second);
    if (own[i]) {
      report(name.line, "property \"" + p.name + "\" is declared twice in class \"" + cls.name +
                            "\"; the later one skipped");
    } else if (cls.properties[i].cimType != p.cimType) {
      report(name.line,
             "property \"" + p.name + "\" of class \"" + cls.name + "\" changes the type it inherits; skipped");
    } else {
      own[i] = true;
      if (hasDefault) cls.properties[i].value = std::move(p.value);
    }
  }

  void instanceDeclaration() {
    const size_t line = lex_->take().line;
    if (!lex_->isWord("of")) {
      unexpected(lex_->peek(), "\"of\" after \"instance\"");
      syncTop();
      return;
    }
    lex_->take();
    if (lex_->peek().kind != Tok::kIdent) {
      unexpected(lex_->peek(), "a class name after \"instance of\"");
      syncTop();
      return;
    }
    const std::string name = lex_->take().text;
    if (lex_->isWord("as")) {
      lex_->take();
      if (lex_->peek().kind != Tok::kAlias) {
        unexpected(lex_->peek(), "an alias \"$name\" after \"as\"");
        syncTop();
        return;
      }
      lex_->take();
    }
    if (!lex_->isPunct('{')) {
      unexpected(lex_->peek(), "'{' after \"instance of " + name + "\"");
      syncTop();
      return;
    }
    NamespaceC* ns = currentNamespace();
    const ClassC* cls = ns ? ns->findClass(name) : nullptr;
    if (!cls) {
      report(line, "instance of undeclared class \"" + name + "\"; refused");
      if (skipGroup()) endDeclaration(line);
      return;
    }
    if (ns->instances.size() >= kMaxInstances) {
      if (fullReported_.insert(ns).second)
        report(line, "namespace \"" + ns->name + "\" holds its limit of " + std::to_string(kMaxInstances) +
                         " instances; this instance and later ones refused");
      if (skipGroup()) endDeclaration(line);
      return;
    }
    if (!withinValueLimit(weightOf(*cls), line, "instance of", name)) {
      if (skipGroup()) endDeclaration(line);
      return;
    }
    lex_->take();
    InstanceC instance;
    instance.cls = cls;
    instance.file = file_;
    instance.line = line;
    instance.values.reserve(cls->properties.size());
    for (const auto& p : cls->properties) instance.values.push_back(p.value);
    const auto& index = indexOf(*cls);
    std::vector<bool> set(cls->properties.size(), false);
    size_t endLine = line;
    const bool closed = readBody("a property assignment in instance of \"" + name + "\"", endLine, [&] {
      const TokenC property = lex_->take();
      if (!lex_->isPunct('=')) {
        unexpected(lex_->peek(), "'=' after \"" + property.text + "\"");
        syncBody();
        return true;
      }
      lex_->take();
      auto it = index.find(fold(property.text));
      if (it == index.end()) {
        report(property.line,
               "property \"" + property.text + "\" is not declared by class \"" + cls->name + "\"; skipped");
        syncBody();
        return true;
      }
      const auto i = static_cast<size_t>(it->second);
      VariantC v;
      const Got got = value(property.text, cls->properties[i].cimType, v);
      if (got == Got::kEnd) return false;
      if (got == Got::kSkipped) {
        syncBody();
        return true;
      }
      if (set[i]) {
        report(property.line, "property \"" + property.text + "\" is set twice; the later value skipped");
      } else {
        instance.values[i] = std::move(v);
        set[i] = true;
      }
      if (lex_->isPunct(';')) {
        lex_->take();
      } else {
        unexpected(lex_->peek(), "';' after the value of \"" + property.text + "\"");
        syncBody();
      }
      return true;
    });
    if (!closed) {
      report(line, "instance of \"" + name + "\" is not closed; refused");
      return;
    }
    endDeclaration(endLine, "instance of", name);
    size_t w = 0;
    for (const auto& v : instance.values) w += weight(v);
    if (!withinValueLimit(w, line, "instance of", name)) return;
    repo_.values_ += w;
    ns->instances.push_back(std::move(instance));
  }

  // One literal of a value. kSkipped: reported (or spoiled by a token the
  // lexer reported), the lexer past what was read.
  Got literal(const std::string& property, LiteralC& lit) {
    const TokenC& t = lex_->peek();
    lit.line = t.line;
    switch (t.kind) {
      case Tok::kEnd: return Got::kEnd;
      case Tok::kInvalid: lex_->take(); return Got::kSkipped;
      case Tok::kNumber:
        lit.kind = LiteralC::kNumber;
        lit.text = lex_->take().text;
        return Got::kValue;
      case Tok::kString:
        lit.kind = LiteralC::kString;
        while (lex_->peek().kind == Tok::kString) lit.units += lex_->take().units;
        if (lex_->peek().kind == Tok::kInvalid) {
          lex_->take();
          return Got::kSkipped;
        }
        return Got::kValue;
      case Tok::kChar:
        lit.kind = LiteralC::kChar;
        lit.units = lex_->take().units;
        return Got::kValue;
      case Tok::kAlias:
        lit.kind = LiteralC::kOther;
        lit.text = "$" + lex_->take().text;
        return Got::kValue;
      case Tok::kIdent:
        lit.text = lex_->take().text;
        lit.kind = sameFold(lit.text, "true")    ? LiteralC::kTrue
                   : sameFold(lit.text, "false") ? LiteralC::kFalse
                   : sameFold(lit.text, "null")  ? LiteralC::kNull
                                                 : LiteralC::kOther;
        return Got::kValue;
      case Tok::kPunct:
        if (t.punct == '-' || t.punct == '+') {
          const char sign = lex_->take().punct;
          if (lex_->peek().kind == Tok::kNumber) {
            lit.kind = LiteralC::kNumber;
            lit.text = sign + lex_->take().text;
          } else {
            lit.kind = LiteralC::kOther;
            lit.text = std::string(1, sign);
          }
          return Got::kValue;
        }
        break;
    }
    report(t.line, "value of \"" + property + "\" is missing");
    return Got::kSkipped;
  }

  bool convertInto(const std::string& property, int32_t cimType, const LiteralC& lit, VariantC& out) {
    switch (convert(cimType, lit, out)) {
      case Conv::kOk: return true;
      case Conv::kNotType:
        report(lit.line, "value of \"" + property + "\" is not a " + typeName(cimType) + ": " + describe(lit));
        return false;
      case Conv::kRange:
        report(lit.line,
               "value of \"" + property + "\" is out of range for " + typeName(cimType) + ": " + describe(lit));
        return false;
    }
    return false;
  }

  // A value for a property of `cimType`, arrays read without recursion.
  // kSkipped: reported, the lexer at the ';' or '}' that ends it or before.
  Got value(const std::string& property, int32_t cimType, VariantC& out) {
    const bool array = (cimType & wmi::kCimFlagArray) != 0;
    const int32_t base = cimType & ~wmi::kCimFlagArray;
    if (!lex_->isPunct('{')) {
      LiteralC lit;
      const Got got = literal(property, lit);
      if (got != Got::kValue) return got;
      if (lit.kind == LiteralC::kNull) {
        out = VariantC{};
        out.type = wmi::kVtNull;
        return Got::kValue;
      }
      if (array) {
        report(lit.line, "value of \"" + property + "\" is not an array of " + typeName(base) + ": " + describe(lit));
        return Got::kSkipped;
      }
      return convertInto(property, base, lit, out) ? Got::kValue : Got::kSkipped;
    }
    if (!array) {
      report(lex_->peek().line, "value of \"" + property + "\" is not a " + typeName(base) + ": an array");
      return skipGroup() ? Got::kSkipped : Got::kEnd;
    }
    lex_->take();
    const auto spoiled = [&] { return skipNested(1, true) ? Got::kSkipped : Got::kEnd; };
    VariantC result;
    result.type = static_cast<uint16_t>(wmi::kVtArray | vtOf(base));
    if (lex_->isPunct('}')) {
      lex_->take();
      out = std::move(result);
      return Got::kValue;
    }
    bool full = false;
    for (;;) {
      if (lex_->isPunct('{')) {
        report(lex_->peek().line, "value of \"" + property + "\" holds an array inside an array; skipped");
        return spoiled();
      }
      LiteralC lit;
      const Got got = literal(property, lit);
      if (got == Got::kEnd) return Got::kEnd;
      if (got == Got::kSkipped) return spoiled();
      if (lit.kind == LiteralC::kNull) {
        report(lit.line, "value of \"" + property + "\" holds null inside an array; skipped");
        return spoiled();
      }
      if (!full && result.elements.size() == kMaxArrayElements) {
        report(lit.line, "value of \"" + property + "\" has more than " + std::to_string(kMaxArrayElements) +
                             " elements; only the first " + std::to_string(kMaxArrayElements) + " are kept");
        full = true;
      }
      if (!full) {
        VariantC element;
        if (!convertInto(property, base, lit, element)) return spoiled();
        result.elements.push_back(std::move(element));
      }
      if (lex_->isPunct(',')) {
        lex_->take();
        continue;
      }
      if (lex_->isPunct('}')) {
        lex_->take();
        break;
      }
      unexpected(lex_->peek(), "',' or '}' in the value of \"" + property + "\"");
      return spoiled();
    }
    out = std::move(result);
    return Got::kValue;
  }

  RepositoryC& repo_;
  const std::string file_;
  SinkC sink_;
  LexerC* lex_ = nullptr;
  std::vector<std::string> current_;
  bool inBody_ = false;
  std::unordered_map<const ClassC*, std::unordered_map<std::string, int32_t>> indexes_;
  std::unordered_map<const ClassC*, size_t> weights_;
  std::set<const NamespaceC*> fullReported_;
};

int32_t ClassC::find(std::string_view name) const {
  for (size_t i = 0; i < properties.size(); ++i)
    if (sameFold(properties[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

const ClassC* NamespaceC::findClass(std::string_view name) const {
  auto it = classes.find(fold(name));
  return it == classes.end() ? nullptr : it->second.get();
}

RepositoryC::RepositoryC() {
  auto root = std::make_unique<NamespaceC>();
  root->name = "root";
  namespaces_["root"] = std::move(root);
}

void RepositoryC::compile(const std::string& file, std::string_view bytes) {
  CompilerC compiler(*this, file);
  compiler.compile(bytes);
}

void RepositoryC::compileDirectory(const std::string& directory) {
  for (const std::string& path : mofFiles(directory, &problems_)) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) {
      problems_.push_back(path + ":0: cannot be read; skipped");
      continue;
    }
    if (size > kMaxFileBytes) {
      problems_.push_back(path + ":0: file of " + std::to_string(size) + " bytes is larger than the limit of " +
                          std::to_string(kMaxFileBytes) + " bytes; skipped");
      continue;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (in) in.read(bytes.data(), static_cast<std::streamsize>(size));
    if (!in && !in.eof()) {
      problems_.push_back(path + ":0: cannot be read; skipped");
      continue;
    }
    bytes.resize(static_cast<size_t>(in.gcount()));
    compile(path, bytes);
  }
}

const NamespaceC* RepositoryC::findNamespace(std::string_view path) const {
  bool absolute;
  const std::vector<std::string> parts = splitNamespace(path, absolute);
  if (parts.empty()) return nullptr;
  auto it = namespaces_.find(fold(joinNamespace(parts)));
  return it == namespaces_.end() ? nullptr : it->second.get();
}

bool RepositoryC::namespaceExists(std::string_view path) const { return findNamespace(path) != nullptr; }

std::vector<std::string> RepositoryC::namespaces() const {
  std::vector<std::string> names;
  names.reserve(namespaces_.size());
  for (const auto& [key, ns] : namespaces_) names.push_back(ns->name);
  return names;
}

std::vector<std::string> mofFiles(const std::string& directory, std::vector<std::string>* problems) {
  std::vector<std::string> files;
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) return files;
  std::vector<fs::path> pending{fs::path(directory)};
  while (!pending.empty()) {
    const fs::path dir = std::move(pending.back());
    pending.pop_back();
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
      std::error_code statError;
      if (fs::is_directory(it->symlink_status(statError))) {
        pending.push_back(it->path());
        continue;
      }
      const std::string name = it->path().filename().string();
      if (name.size() <= 4 || !sameFold(std::string_view(name).substr(name.size() - 4), ".mof")) continue;
      const fs::file_status target = it->status(statError);
      if (fs::is_regular_file(target) || target.type() == fs::file_type::not_found)
        files.push_back(it->path().string());
    }
    if (ec && problems) problems->push_back(dir.string() + ":0: directory cannot be read; skipped");
    ec.clear();
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace platform::mof
