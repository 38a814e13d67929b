// Preference files and search paths. Whatever the bytes, decoding gives
// well-formed UTF-8 (the PrefsC promises UTF-8 to every reader) and parsing
// ends. The decoded lines then also describe a file to write: a line with
// "=" after its first byte an entry, any other a section header. That file,
// written in any of the layouts a person may use (blanks, comments, CR, LF
// or CRLF, a BOM or UTF-16), reads back as exactly the sections and entries
// written, in order, the first entry of a name winning a lookup; entries
// before the first header, and lines longer than the limit, are lost. The
// same bytes taken as a search path with only plain text and escapes
// expand to its non-empty ";" parts.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/utf8.h"
#include "config/prefs_file/ini_file.h"
#include "config/prefs_file/prefs.h"
#include "config/prefs_file/search_path.h"
#include "fuzz/fuzz_check.h"

namespace {

// The text without line ends, NULs (the reader drops a line holding one)
// and `drop`, trimmed as the reader trims.
std::string cleaned(std::string_view s, std::string_view drop = {}) {
  std::string out;
  for (char c : s)
    if (c != '\r' && c != '\n' && c != '\0' && drop.find(c) == std::string_view::npos) out += c;
  const size_t b = out.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return out.substr(b, out.find_last_not_of(" \t") - b + 1);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

struct SectionM {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;
};

// Little- or big-endian UTF-16 of well-formed UTF-8, after its BOM.
std::string utf16(std::string_view utf8, bool big) {
  std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
  auto unit = [&](uint32_t u) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += big ? hi : lo;
    out += big ? lo : hi;
  };
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    uint32_t cp = n == 1 ? b : n == 2 ? b & 0x1F : n == 3 ? b & 0x0F : b & 0x07;
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += n;
    if (cp >= 0x10000) {
      unit(0xD800 + ((cp - 0x10000) >> 10));
      unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

void checkWrittenFile(std::string_view text, uint8_t layout) {
  std::vector<SectionM> model;
  std::vector<std::string> lost;  // headers only on lines too long
  SectionM* current = nullptr;
  std::string file;
  const char* const ends[] = {"\n", "\r\n", "\r"};
  size_t index = 0;
  auto emit = [&](const std::string& line) {
    file += line;
    file += ends[(layout + index) % 3];
    return line.size() <= ini_file::kMaxLineBytes;
  };
  // A leading comment, so that a text starting with U+FEFF is not read as
  // one with a BOM.
  emit("; written");
  for (size_t at = 0; at <= text.size(); ++index) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view source = text.substr(at, end - at);
    at = end + 1;
    const std::string pad((layout >> 2) & 1 ? " \t" : "");
    if (index % 3 == 2 && (layout & 0x08)) emit(pad + "; " + cleaned(source));
    if (index % 4 == 3 && (layout & 0x10)) emit(pad);
    const size_t eq = source.find('=');
    if (eq != std::string_view::npos && eq > 0) {
      const std::string name = cleaned(source.substr(0, eq), "=");
      const std::string value = cleaned(source.substr(eq + 1));
      if (name.empty() || name[0] == ';' || name[0] == '[') continue;
      if (emit(pad + name + pad + "=" + pad + value + pad) && current) current->entries.emplace_back(name, value);
    } else {
      const std::string name = cleaned(source, "]");
      if (name.empty()) continue;
      if (!emit(pad + "[" + pad + name + pad + "]" + pad + "; x")) {
        lost.push_back(name);
        continue;
      }
      current = nullptr;
      for (SectionM& s : model)
        if (lower(s.name) == lower(name)) current = &s;
      if (!current) current = &model.emplace_back(SectionM{name, {}});
    }
  }
  std::string bytes = file;
  if (layout & 0x20) bytes = (layout & 0x40) ? utf16(file, layout & 0x80) : "\xEF\xBB\xBF" + file;
  const std::string decoded = ini_file::decode(bytes);
  FUZZ_CHECK(decoded == file, "a BOM or UTF-16 before well-formed text only changes the encoding");
  PrefsC prefs("written.ini");
  ini_file::parse(decoded, prefs);
  for (const std::string& name : lost) {
    bool written = false;
    for (const SectionM& s : model) written = written || lower(s.name) == lower(name);
    if (!written) FUZZ_CHECK(prefs.section(name) == nullptr, "a header on a line too long opens nothing");
  }
  for (const SectionM& s : model) {
    const auto* entries = prefs.section(s.name);
    FUZZ_CHECK(entries != nullptr, "a written section reads back");
    FUZZ_CHECK(*entries == s.entries, "a section reads back with its entries, in order");
    for (size_t i = 0; i < s.entries.size(); ++i) {
      size_t first = 0;
      while (lower(s.entries[first].first) != lower(s.entries[i].first)) ++first;
      FUZZ_CHECK(prefs.lookup(s.name, s.entries[i].first) == s.entries[first].second, "the first entry wins");
    }
  }
}

// Plain text, "%%", "%$" and "%;" only: the expansion is the non-empty
// ";" parts, escapes resolved. Any other "$" or "%" takes the context.
std::optional<std::vector<std::string>> plainEntries(std::string_view path) {
  std::vector<std::string> out;
  std::string entry;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == ';') {
      if (!entry.empty()) out.push_back(entry);
      entry.clear();
    } else if (path[i] == '$') {
      return std::nullopt;
    } else if (path[i] == '%') {
      if (i + 1 == path.size() || std::string_view("%$;").find(path[i + 1]) == std::string_view::npos)
        return std::nullopt;
      entry += path[++i];
    } else {
      entry += path[i];
    }
  }
  return out;
}

void checkSearchPath(std::string_view path) {
  const PrefsAppInfoC app{"C:\\Users\\me\\WINDOWS", "C:\\start", "C:\\mod", "Family", "family", "450"};
  // KUIPREFSPATH refers to itself: %E must expand it once, not forever.
  const MapEnvironmentC env{{{"HOME", "/home/me"}, {"TMP", "C:\\tmp"}, {"EMPTY", ""}, {"KUIPREFSPATH", "e1;%E;$HOME%S"}}};
  PrefsDiagnosticsC diagnostics;
  const SearchPathContextC context{app, env,
                                   [](std::string_view section, std::string_view name) -> std::optional<std::string> {
                                     if (section == "Launcher" && name == "CacheDirectory") return "C:\\cache";
                                     if (name == "LANG") return "de_AT.UTF-8@euro";
                                     return std::nullopt;
                                   },
                                   [] { return std::string("C:\\now\\"); }, &diagnostics};
  const std::vector<std::string> entries = expandSearchPath(path, "vdi", context);
  for (const std::string& entry : entries) FUZZ_CHECK(!entry.empty(), "a search path has no empty entry");
  if (const auto plain = plainEntries(path))
    FUZZ_CHECK(entries == *plain, "a path of plain text and escapes is its non-empty parts");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = ini_file::decode(bytes);
  FUZZ_CHECK(common::utf8::wellFormed(text), "a decoded file is UTF-8");
  PrefsC prefs("fuzz.ini");
  ini_file::parse(text, prefs);
  checkWrittenFile(text, size ? data[size - 1] : 0);
  // A search path is one line of a preference or variable.
  checkSearchPath(bytes.substr(0, std::min<size_t>(bytes.find('\n'), 4096)));
  return 0;
}
