#include "config/prefs_file/ini_file.h"

#include "common/utf8.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "runtime/strings/string_c.h"

namespace ini_file {

namespace {

std::string_view trim(std::string_view s) {
  const char* blanks = " \t\r\n";
  const size_t b = s.find_first_not_of(blanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

// A file that declares UTF-8 by its byte-order mark is read as UTF-8 even
// when it is not well-formed (a hand edit in another encoding): each
// ill-formed sequence becomes U+FFFD rather than reaching readers that rely
// on PrefsC holding UTF-8.
std::string replaceIllFormed(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end) {
    const common::utf8::Sequence q = common::utf8::read(p, end);
    if (q.status == common::utf8::Status::kWellFormed)
      out.append(p, q.length);
    else
      common::utf8::append(out, common::utf8::kReplacement);
    p += q.length;
  }
  return out;
}

std::string fromUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = [&](size_t at) {
      const auto a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
      return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    char32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = common::utf8::kReplacement;
    common::utf8::append(out, cp);
  }
  return out;
}

}  // namespace

std::string decode(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return replaceIllFormed(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return fromUtf16(bytes.substr(2), false);
  if (bytes.substr(0, 2) == "\xFE\xFF") return fromUtf16(bytes.substr(2), true);
  if (common::utf8::wellFormed(bytes)) return std::string(bytes);
  return StringC(bytes.data(), static_cast<int32_t>(bytes.size()), "system-8").toUtf8();
}

size_t parse(std::string_view text, PrefsC& prefs) {
  size_t dropped = 0;
  std::string section;
  bool inSection = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(at, end - at);
    at = end + 1;
    if (raw.size() > kMaxLineBytes || raw.find('\0') != std::string_view::npos) {
      ++dropped;
      continue;
    }
    const std::string_view line = trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      section = std::string(trim(line.substr(1, close - 1)));
      inSection = !section.empty();
      prefs.addSection(section);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0 || !inSection) continue;
    prefs.addEntry(section, trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
  }
  return dropped;
}

bool exists(const std::string& path) {
  return platform::fileAttributes(platform::nativeFileName(path, false)) != platform::kInvalidAttributes;
}

bool isDirectory(const std::string& path) {
  const uint32_t a = platform::fileAttributes(platform::nativeFileName(path, false));
  return a != platform::kInvalidAttributes && (a & platform::kAttrDirectory);
}

LoadE load(const std::string& path, PrefsC& prefs, size_t* dropped) {
  const std::string native = platform::nativeFileName(path, false);
  const uint32_t attributes = platform::fileAttributes(native);
  if (attributes == platform::kInvalidAttributes) return LoadE::kNotFound;
  if (attributes & platform::kAttrDirectory) return LoadE::kUnreadable;
  platform::ReadOnlyFileC file;
  if (file.open(native) != 0) return LoadE::kUnreadable;
  const int64_t size = file.size();
  if (size < 0 || size > kMaxFileBytes) return LoadE::kUnreadable;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size > 0 && file.readAt(0, bytes.data(), bytes.size()) != size) return LoadE::kUnreadable;
  const size_t bad = parse(decode(bytes), prefs);
  if (dropped) *dropped = bad;
  return LoadE::kLoaded;
}

}  // namespace ini_file
