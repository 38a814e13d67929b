#include "config/prefs_file/search_path.h"

#include <algorithm>

#include "runtime/version/module_path.h"

namespace {

constexpr std::string_view kCodes[] = {"NAME", "BASE", "CACHE", "TEMP", "WIN", "CWD", "SYS", "%", "$", ";",
                                       "U",    "A",    "W",     "F",    "f",   "V",   "N",   "S", "T", "C",
                                       "E",    "L",    "l",     "t",    "c",   "X"};

bool nameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string withoutTrailingSeparator(std::string dir) {
  while (dir.size() > 1 && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return dir;
}

class ExpanderC {
 public:
  ExpanderC(std::string_view name, const SearchPathContextC& c) : name_(name), c_(c) {}

  std::vector<std::string> run(std::string_view path) {
    expand(path);
    finishEntry();
    return std::move(entries_);
  }

 private:
  void expand(std::string_view text) {
    size_t entryStart = 0;
    for (size_t i = 0; i < text.size() && !ended_;) {
      const char ch = text[i];
      if (ch == ';') {
        finishEntry();
        entryStart = ++i;
      } else if (dropping_) {
        i += (ch == '%' && i + 1 < text.size()) ? 2 : 1;
      } else if (ch == '$') {
        i = dollar(text, i);
      } else if (ch == '%') {
        i = percent(text, i, entryStart);
      } else {
        current_ += ch;
        ++i;
      }
    }
  }

  size_t dollar(std::string_view text, size_t i) {
    const bool paren = i + 1 < text.size() && text[i + 1] == '(';
    size_t j = i + (paren ? 2 : 1);
    const size_t nameStart = j;
    while (j < text.size() && nameChar(text[j])) ++j;
    if (j == nameStart || (paren && (j >= text.size() || text[j] != ')'))) {
      current_ += '$';
      return i + 1;
    }
    if (auto v = c_.environment.get(text.substr(nameStart, j - nameStart))) current_ += *v;
    return paren ? j + 1 : j;
  }

  size_t percent(std::string_view text, size_t i, size_t entryStart) {
    const std::string_view rest = text.substr(i + 1);
    for (std::string_view code : kCodes) {
      if (rest.substr(0, code.size()) == code) {
        substitute(code);
        return i + 1 + code.size();
      }
    }
    dropping_ = true;
    if (c_.diagnostics) {
      c_.diagnostics->print("Cannot expand variable \"%%%1$s\", ignoring \"%2$s\"",
                            {std::string(rest.substr(0, 1)), rawEntry(text, entryStart)});
    }
    return i + (rest.empty() ? 1 : 2);
  }

  // The entry as written: from its start to the next ";" that is not "%;".
  static std::string rawEntry(std::string_view text, size_t start) {
    size_t j = start;
    while (j < text.size() && text[j] != ';') j += (text[j] == '%' && j + 1 < text.size()) ? 2 : 1;
    return std::string(text.substr(start, j - start));
  }

  void substitute(std::string_view code) {
    const PrefsAppInfoC& app = c_.app;
    if (code == "%" || code == "$" || code == ";") {
      current_ += code;
    } else if (code == "U") {
      current_ += app.userWindowsDirectory;
    } else if (code == "A" || code == "BASE") {
      current_ += app.moduleDirectory;
    } else if (code == "WIN") {
      current_ += windowsDirectory();
    } else if (code == "W") {
      current_ += app.startDirectory;
    } else if (code == "CWD") {
      current_ += withoutTrailingSeparator(c_.currentDirectory ? c_.currentDirectory()
                                                                : module_path::currentDirectory());
    } else if (code == "SYS") {
      current_ += windowsDirectory() + "\\SYSTEM32";
    } else if (code == "F") {
      current_ += app.familyName;
    } else if (code == "f") {
      current_ += app.familyNameLower;
    } else if (code == "V") {
      current_ += app.versionText.substr(0, 2);
    } else if (code == "N" || code == "NAME") {
      current_ += name_;
    } else if (code == "S") {
      if (!suffixUsed_) current_ += ".ini";
      suffixUsed_ = true;
    } else if (code == "T" || code == "TEMP") {
      for (const char* v : {"TMPDIR", "TMP", "TEMP"}) {
        if (auto t = c_.environment.get(v)) {
          current_ += *t;
          break;
        }
      }
    } else if (code == "C" || code == "CACHE") {
      current_ += preference("Launcher", "CacheDirectory");
    } else if (code == "E") {
      if (!environmentUsed_) {
        environmentUsed_ = true;
        if (auto v = c_.environment.get("KUIPREFSPATH")) expand(*v);
      }
    } else if (code == "L" || code == "l" || code == "t" || code == "c") {
      current_ += languagePart(code[0], preference("Environment", "LANG"));
    } else if (code == "X") {
      ended_ = true;
    }
  }

  std::string preference(std::string_view section, std::string_view name) const {
    if (!c_.preference) return "";
    return c_.preference(section, name).value_or("");
  }

  std::string windowsDirectory() const {
    for (const char* v : {"SystemRoot", "windir"})
      if (auto w = c_.environment.get(v)) return withoutTrailingSeparator(*w);
    return "C:\\WINDOWS";
  }

  // "en_US.UTF-8@euro": l "en", t "US", c "UTF-8".
  static std::string languagePart(char which, const std::string& lang) {
    if (which == 'L') return lang;
    const std::string value = lang.substr(0, lang.find('@'));
    const size_t us = value.find('_'), dot = value.find('.');
    if (which == 'l') return value.substr(0, std::min(us, dot));
    if (which == 't') {
      if (us == std::string::npos || (dot != std::string::npos && dot < us)) return "";
      return value.substr(us + 1, dot == std::string::npos ? std::string::npos : dot - us - 1);
    }
    return dot == std::string::npos ? "" : value.substr(dot + 1);
  }

  void finishEntry() {
    if (!dropping_ && !current_.empty()) entries_.push_back(current_);
    current_.clear();
    dropping_ = false;
    suffixUsed_ = false;
  }

  std::string_view name_;
  const SearchPathContextC& c_;
  std::vector<std::string> entries_;
  std::string current_;
  bool dropping_ = false;
  bool suffixUsed_ = false;
  bool environmentUsed_ = false;
  bool ended_ = false;
};

}  // namespace

std::vector<std::string> expandSearchPath(std::string_view path, std::string_view name,
                                          const SearchPathContextC& context) {
  return ExpanderC(name, context).run(path);
}
