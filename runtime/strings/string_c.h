// StringC: the framework string. A handle to a shared, immutable,
// reference-counted text object of the suite's text service; the text is
// UTF-8. Copies share the object (copying is cheap and safe across
// threads); every change makes a new object, so a handle never sees another
// handle's change.
//
// Lengths and positions count characters (code points). A position that is
// not found is negative (kNotFound). Positions past the end are clamped,
// never undefined.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tnwcmn/tnwcmn.h"

class StringArrayC;
class ArgListC;

class StringC {
 public:
  static constexpr int32_t kNotFound = -1;

  // Empty. The empty text object is made once per process ("ascii").
  StringC();
  // `text` in the named encoding: "ascii", "system-8", "utf8", "wchar_t"
  // (then `text` points at char16_t units). An unknown name gives "".
  StringC(const char* text, const char* encoding);
  // `length` bytes of `bytes` in the named 8-bit encoding, NULs included:
  // use this wherever the length is known, since a NUL would end the text
  // above.
  StringC(const char* bytes, int32_t length, const char* encoding);
  // UTF-16 ("wchar_t"); units -1: up to a NUL.
  explicit StringC(const char16_t* text, int32_t units = -1);
  explicit StringC(char32_t c);
  static StringC fromUtf8(std::string_view utf8);
  // Takes over one reference of `text` (null gives "").
  static StringC adopt(tnw::TextI* text);

  StringC(const StringC& other);
  StringC(StringC&& other) noexcept;
  StringC& operator=(const StringC& other);
  StringC& operator=(StringC&& other) noexcept;
  ~StringC();

  int32_t length() const;
  bool isEmpty() const;

  bool operator==(const StringC& other) const;
  bool operator!=(const StringC& other) const { return !(*this == other); }
  bool operator<(const StringC& other) const { return compare(other) < 0; }
  // Byte order of the UTF-8 text: -1, 0 or 1.
  int compare(const StringC& other) const;
  // Same length and same text.
  bool equals(const StringC& other) const;
  bool equalsIgnoreCase(const StringC& other) const;

  int32_t find(char32_t c, int32_t from = 0) const;
  int32_t find(const StringC& s, int32_t from = 0) const;
  int32_t findFirstOf(const StringC& set, int32_t from = 0) const;
  // 0 outside the string.
  char32_t at(int32_t pos) const;

  // count -1: to the end.
  StringC substr(int32_t pos, int32_t count = -1) const;
  StringC& erase(int32_t pos, int32_t count = -1);
  StringC& append(const StringC& s);
  StringC& operator+=(const StringC& s) { return append(s); }
  friend StringC operator+(const StringC& a, const StringC& b);

  StringC& trimLeft(const StringC& set);
  StringC& trimRight(const StringC& set);
  StringC& replaceAll(const StringC& from, const StringC& to);
  StringArrayC split(const StringC& separators) const;

  // Decimal, with optional blanks and sign before the digits; reading stops
  // at the first non-digit. Empty or not a number gives 0; overflow
  // saturates.
  int64_t toInt64() const;
  StringC toLower() const;

  // The UTF-8 bytes (always NUL-terminated). Valid while this handle lives
  // and is not assigned to.
  std::string_view utf8() const;
  const char* c_str() const;
  std::string toUtf8() const { return std::string(utf8()); }
  // The text in a named encoding ("~" for what it can't represent).
  std::string encode(const char* encoding) const;
  std::u16string toUtf16() const;

  // Formats this text as a positional printf format.
  StringC format(const ArgListC& args) const;

  // The text object (borrowed), and a new reference for a callee that takes
  // texts over.
  tnw::TextI* text() const { return text_; }
  tnw::TextI* newRef() const;

 private:
  explicit StringC(tnw::TextI* adopted, int) : text_(adopted) {}
  int32_t byteOffset(int32_t pos) const;  // clamped
  bool ascii() const;

  tnw::TextI* text_;
};

// The UTF-8 bytes of a string, held for as long as this object lives.
class Utf8LockC {
 public:
  explicit Utf8LockC(const StringC& s) : s_(s) {}
  const char* data() const { return s_.c_str(); }
  int32_t size() const { return static_cast<int32_t>(s_.utf8().size()); }

 private:
  StringC s_;
};
