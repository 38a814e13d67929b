#include <errno.h>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "tnwcmn/encoding.h"
#include "tnwcmn/utf8.h"

namespace tnw::system8 {

namespace {

// The charset of the environment's locale, re-read when the locale
// variables change (tests switch them; the process itself never does).
std::string charset() {
  static std::mutex lock;
  static std::string key = "\x01";
  static std::string name;
  std::string now;
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    now += v ? v : "";
    now += '\n';
  }
  std::lock_guard<std::mutex> guard(lock);
  if (now != key) {
    key = now;
    name = "ANSI_X3.4-1968";
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (loc) {
      const char* cs = nl_langinfo_l(CODESET, loc);
      if (cs && *cs) name = cs;
      freelocale(loc);
    }
  }
  return name;
}

bool isUtf8(const std::string& cs) {
  return strcasecmp(cs.c_str(), "UTF-8") == 0 || strcasecmp(cs.c_str(), "utf8") == 0;
}

bool isAsciiSet(const std::string& cs) {
  return cs == "ANSI_X3.4-1968" || strcasecmp(cs.c_str(), "ASCII") == 0;
}

}  // namespace

std::string decode(std::string_view bytes) {
  std::string out;
  std::string cs = charset();
  if (isUtf8(cs) || utf8::isAscii(bytes)) {
    utf8::sanitize(bytes, out);
    return out;
  }
  if (isAsciiSet(cs)) {
    for (char c : bytes) {
      if (static_cast<unsigned char>(c) < 0x80)
        out.push_back(c);
      else
        utf8::append(out, utf8::kReplacement);
    }
    return out;
  }
  iconv_t cd = iconv_open("UTF-8", cs.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    utf8::sanitize(bytes, out);
    return out;
  }
  std::string buf(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* o = buf.data();
    size_t oLeft = buf.size();
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf.data(), o);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Undecodable or truncated byte: replace it and go on after it.
      utf8::append(out, utf8::kReplacement);
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

std::string encode(std::string_view text) {
  std::string cs = charset();
  if (isUtf8(cs)) return std::string(text);
  std::string out;
  if (isAsciiSet(cs) || utf8::isAscii(text)) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      char32_t cp = utf8::decode(p, end);
      out.push_back(cp < 0x80 ? static_cast<char>(cp) : '~');
    }
    return out;
  }
  iconv_t cd = iconv_open(cs.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (char c : text) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '~');
    return out;
  }
  // One character at a time, so that an unrepresentable one becomes "~"
  // without losing the shift state or the rest of the text.
  const char* p = text.data();
  const char* end = p + text.size();
  char buf[16];
  while (p < end) {
    const char* start = p;
    utf8::decode(p, end);
    char* in = const_cast<char*>(start);
    size_t inLeft = static_cast<size_t>(p - start);
    char* o = buf;
    size_t oLeft = sizeof buf;
    if (iconv(cd, &in, &inLeft, &o, &oLeft) == static_cast<size_t>(-1)) {
      out.push_back('~');
    } else {
      out.append(buf, o);
    }
  }
  char* o = buf;
  size_t oLeft = sizeof buf;
  iconv(cd, nullptr, nullptr, &o, &oLeft);
  out.append(buf, o);
  iconv_close(cd);
  return out;
}

}  // namespace tnw::system8
