// Preference files and search paths. Whatever the bytes, decoding gives
// well-formed UTF-8 (the PrefsC promises UTF-8 to every reader), and every
// section header and entry line the reading keeps is then found by a lookup,
// the first of two same-named entries winning. The same bytes taken as a
// search path expand to entries none of which is empty.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
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

std::string_view trim(std::string_view s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The lines as a reader of the file would see them, checked against what
// the parse kept.
void checkLookups(std::string_view text, const PrefsC& prefs) {
  std::string section;
  std::set<std::pair<std::string, std::string>> seen;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(at, end - at);
    at = end + 1;
    if (raw.size() > ini_file::kMaxLineBytes || raw.find('\0') != std::string_view::npos) continue;
    const std::string_view line = trim(raw);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      section = std::string(trim(line.substr(1, close - 1)));
      if (!section.empty()) FUZZ_CHECK(prefs.section(section) != nullptr, "a section header gives its section");
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0 || section.empty()) continue;
    const std::string_view name = trim(line.substr(0, eq));
    const std::optional<std::string> found = prefs.lookup(section, name);
    FUZZ_CHECK(found.has_value(), "an entry is found by its section and name");
    if (seen.insert({lower(section), lower(name)}).second)
      FUZZ_CHECK(*found == trim(line.substr(eq + 1)), "the first entry of a name wins");
  }
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
  for (const std::string& entry : expandSearchPath(path, "vdi", context))
    FUZZ_CHECK(!entry.empty(), "a search path has no empty entry");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = ini_file::decode(bytes);
  FUZZ_CHECK(common::utf8::wellFormed(text), "a decoded file is UTF-8");
  PrefsC prefs("fuzz.ini");
  ini_file::parse(text, prefs);
  checkLookups(text, prefs);
  // A search path is one line of a preference or variable.
  checkSearchPath(bytes.substr(0, std::min<size_t>(bytes.find('\n'), 4096)));
  return 0;
}
