#include "runtime/strings/string_c.h"

#include <climits>
#include <cstring>
#include <string>

#include "common/utf8.h"
#include "runtime/strings/arg_list.h"
#include "runtime/services/common_services.h"
#include "runtime/strings/string_array.h"
#include "platform/library_objects.h"

namespace {

tnw::TextI* emptyText() {
  // One reference held for the library's life (given back at its unload;
  // strings still holding the text keep their own references).
  static tnw::TextI* empty = [] {
    tnw::TextI* t = common_services::textService()->create(nullptr, 0, "ascii");
    if (t) platform::library_objects::adopt([](void* p) { static_cast<tnw::TextI*>(p)->release(); }, t);
    return t;
  }();
  empty->addRef();
  return empty;
}

tnw::TextI* makeUtf8(std::string_view s) {
  if (s.empty()) return emptyText();
  return common_services::textService()->fromUtf8(s.data(), static_cast<int32_t>(s.size()));
}

// The character at byte i of a text (i < s.size()); texts are well-formed,
// the text service makes them so.
common::utf8::Sequence charAt(std::string_view s, size_t i) {
  return common::utf8::read(s.data() + i, s.data() + s.size());
}

}  // namespace

StringC::StringC() : text_(emptyText()) {}

StringC::StringC(const char* text, const char* encoding) {
  tnw::TextI* t = text ? common_services::textService()->create(text, -1, encoding) : nullptr;
  text_ = t ? t : emptyText();
}

StringC::StringC(const char* bytes, int32_t length, const char* encoding) {
  tnw::TextI* t = bytes && length > 0 ? common_services::textService()->create(bytes, length, encoding) : nullptr;
  text_ = t ? t : emptyText();
}

StringC::StringC(const char16_t* text, int32_t units) {
  tnw::TextI* t = text ? common_services::textService()->create(text, units, "wchar_t") : nullptr;
  text_ = t ? t : emptyText();
}

StringC::StringC(char32_t c) {
  // As UTF-16: the text service does the encoding (and refuses what isn't a
  // character).
  char16_t units[2];
  int32_t n = 1;
  if (c >= 0x10000 && c <= 0x10FFFF) {
    units[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    units[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    n = 2;
  } else {
    units[0] = c > 0xFFFF ? u'\uFFFD' : static_cast<char16_t>(c);
  }
  tnw::TextI* t = common_services::textService()->create(units, n, "wchar_t");
  text_ = t ? t : emptyText();
}

StringC StringC::fromUtf8(std::string_view utf8) { return StringC(makeUtf8(utf8), 0); }

StringC StringC::adopt(tnw::TextI* text) { return StringC(text ? text : emptyText(), 0); }

StringC::StringC(const StringC& other) : text_(other.text_) { text_->addRef(); }

StringC::StringC(StringC&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }

StringC& StringC::operator=(const StringC& other) {
  if (this != &other) {
    other.text_->addRef();
    if (text_) text_->release();
    text_ = other.text_;
  }
  return *this;
}

StringC& StringC::operator=(StringC&& other) noexcept {
  if (this != &other) {
    if (text_) text_->release();
    text_ = other.text_;
    other.text_ = nullptr;
  }
  return *this;
}

StringC::~StringC() {
  if (text_) text_->release();
}

// A moved-from handle is only ever destroyed or assigned to; the accessors
// below still answer as for "" to stay safe.
int32_t StringC::length() const { return text_ ? text_->charLength() : 0; }
bool StringC::isEmpty() const { return !text_ || text_->byteLength() == 0; }

std::string_view StringC::utf8() const {
  if (!text_) return std::string_view();
  return std::string_view(text_->utf8(), static_cast<size_t>(text_->byteLength()));
}

const char* StringC::c_str() const { return text_ ? text_->utf8() : ""; }

bool StringC::ascii() const { return !text_ || text_->charLength() == text_->byteLength(); }

int32_t StringC::byteOffset(int32_t pos) const {
  std::string_view s = utf8();
  if (pos <= 0) return 0;
  if (ascii()) return pos >= static_cast<int32_t>(s.size()) ? static_cast<int32_t>(s.size()) : pos;
  size_t i = 0;
  for (int32_t n = 0; n < pos && i < s.size(); ++n) {
    i += charAt(s, i).length;
  }
  return static_cast<int32_t>(i);
}

// Texts shared between strings (a collector's piece names) are equal
// without a look at their bytes.
bool StringC::operator==(const StringC& other) const { return text_ == other.text_ || utf8() == other.utf8(); }

int StringC::compare(const StringC& other) const {
  if (text_ == other.text_) return 0;
  const int r = utf8().compare(other.utf8());
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool StringC::equals(const StringC& other) const {
  return length() == other.length() && utf8() == other.utf8();
}

bool StringC::equalsIgnoreCase(const StringC& other) const { return toLower() == other.toLower(); }

int32_t StringC::find(char32_t c, int32_t from) const { return find(StringC(c), from); }

int32_t StringC::find(const StringC& s, int32_t from) const {
  if (from < 0) from = 0;
  if (from > length()) return kNotFound;
  std::string_view hay = utf8();
  size_t at = hay.find(s.utf8(), static_cast<size_t>(byteOffset(from)));
  if (at == std::string_view::npos) return kNotFound;
  if (ascii()) return static_cast<int32_t>(at);
  return static_cast<int32_t>(StringC::fromUtf8(hay.substr(0, at)).length());
}

int32_t StringC::findFirstOf(const StringC& set, int32_t from) const {
  std::string_view s = utf8();
  std::string_view chars = set.utf8();
  if (from < 0) from = 0;
  size_t i = static_cast<size_t>(byteOffset(from));
  int32_t pos = from;
  while (i < s.size()) {
    const size_t len = charAt(s, i).length;
    std::string_view one = s.substr(i, len);
    // Compare whole characters of the set, not single bytes.
    for (size_t j = 0; j < chars.size();) {
      const size_t l2 = charAt(chars, j).length;
      if (chars.substr(j, l2) == one) return pos;
      j += l2;
    }
    i += len;
    ++pos;
  }
  return kNotFound;
}

char32_t StringC::at(int32_t pos) const {
  if (pos < 0 || pos >= length()) return 0;
  return charAt(utf8(), static_cast<size_t>(byteOffset(pos))).codePoint;
}

StringC StringC::substr(int32_t pos, int32_t count) const {
  if (pos < 0) pos = 0;
  const int32_t b = byteOffset(pos);
  const int32_t e = count < 0 ? static_cast<int32_t>(utf8().size()) : byteOffset(pos + count);
  if (b == 0 && e == static_cast<int32_t>(utf8().size())) return *this;
  return fromUtf8(utf8().substr(static_cast<size_t>(b), static_cast<size_t>(e - b)));
}

StringC& StringC::erase(int32_t pos, int32_t count) {
  if (pos < 0) pos = 0;
  const int32_t b = byteOffset(pos);
  const int32_t e = count < 0 ? static_cast<int32_t>(utf8().size()) : byteOffset(pos + count);
  if (e <= b) return *this;
  std::string s(utf8());
  s.erase(static_cast<size_t>(b), static_cast<size_t>(e - b));
  *this = fromUtf8(s);
  return *this;
}

StringC& StringC::append(const StringC& other) {
  if (other.isEmpty()) return *this;
  if (isEmpty()) return *this = other;
  std::string s(utf8());
  s.append(other.utf8());
  *this = fromUtf8(s);
  return *this;
}

StringC operator+(const StringC& a, const StringC& b) {
  StringC r(a);
  r.append(b);
  return r;
}

StringC& StringC::trimLeft(const StringC& set) {
  int32_t n = 0;
  const int32_t len = length();
  while (n < len && set.find(at(n)) >= 0) ++n;
  if (n) *this = substr(n);
  return *this;
}

StringC& StringC::trimRight(const StringC& set) {
  int32_t len = length();
  int32_t end = len;
  while (end > 0 && set.find(at(end - 1)) >= 0) --end;
  if (end != len) *this = substr(0, end);
  return *this;
}

StringC& StringC::replaceAll(const StringC& from, const StringC& to) {
  if (from.isEmpty()) return *this;
  std::string_view s = utf8();
  std::string_view f = from.utf8();
  std::string out;
  size_t i = 0;
  bool changed = false;
  while (true) {
    size_t j = s.find(f, i);
    if (j == std::string_view::npos) break;
    out.append(s.substr(i, j - i));
    out.append(to.utf8());
    i = j + f.size();
    changed = true;
  }
  if (!changed) return *this;
  out.append(s.substr(i));
  *this = fromUtf8(out);
  return *this;
}

StringArrayC StringC::split(const StringC& separators) const {
  StringArrayC parts;
  int32_t start = 0;
  const int32_t len = length();
  while (start <= len) {
    int32_t at = findFirstOf(separators, start);
    if (at < 0) at = len;
    parts.add(substr(start, at - start));
    start = at + 1;
  }
  return parts;
}

int64_t StringC::toInt64() const {
  std::string_view s = utf8();
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  uint64_t v = 0;
  bool overflow = false;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    const unsigned d = static_cast<unsigned>(s[i] - '0');
    if (v > (static_cast<uint64_t>(INT64_MAX) + 1 - d) / 10) overflow = true;
    if (!overflow) v = v * 10 + d;
  }
  if (overflow || v > static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0)) return negative ? INT64_MIN : INT64_MAX;
  return negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
}

StringC StringC::toLower() const { return adopt(common_services::textService()->toLower(newRef())); }

std::string StringC::encode(const char* encoding) const {
  int32_t needed = 0;
  auto* svc = common_services::textService();
  svc->encode(newRef(), encoding, nullptr, 0, &needed);
  std::string out(static_cast<size_t>(needed), '\0');
  if (needed > 0 && svc->encode(newRef(), encoding, out.data(), needed, &needed) != tnw::kOk) out.clear();
  return out;
}

std::u16string StringC::toUtf16() const {
  std::string bytes = encode("wchar_t");
  std::u16string w(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < w.size(); ++i) {
    char16_t u;
    std::memcpy(&u, bytes.data() + 2 * i, 2);
    w[i] = u;
  }
  return w;
}

StringC StringC::format(const ArgListC& args) const {
  return adopt(common_services::textService()->format(newRef(), args.abi()));
}

tnw::TextI* StringC::newRef() const {
  tnw::TextI* t = text_ ? text_ : emptyText();
  if (text_) t->addRef();
  return t;
}
