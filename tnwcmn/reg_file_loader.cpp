#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tnwcmn/code_page.h"
#include "tnwcmn/reg_store.h"
#include "tnwcmn/utf8.h"

namespace tnw::reg {

namespace {

std::u16string utf16le(std::string_view bytes) {
  std::u16string w(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return w;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

void appendUtf16le(std::string& out, std::string_view utf8text) {
  for (char16_t u : utf8::toUtf16(utf8text)) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  }
}

// Reads a quoted string starting at s[i] == '"'. Regedit escapes only the
// backslash and the quote; any other backslash stands for itself.
bool readQuoted(std::string_view s, size_t& i, std::string& out) {
  ++i;
  out.clear();
  while (i < s.size()) {
    char c = s[i++];
    if (c == '"') return true;
    if (c == '\\' && i < s.size() && (s[i] == '\\' || s[i] == '"')) c = s[i++];
    out.push_back(c);
  }
  return false;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool readHexBytes(std::string_view s, std::string& out) {
  out.clear();
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) break;
    int hi = hexDigit(s[i]);
    int lo = i + 1 < s.size() ? hexDigit(s[i + 1]) : -1;
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i < s.size()) {
      if (s[i] != ',') return false;
      ++i;
    }
  }
  return true;
}

class Loader {
 public:
  Loader(const std::string& file, Store& store, std::vector<std::string>& problems, uint32_t codePage)
      : file_(file), store_(store), problems_(problems), codePage_(codePage) {}

  // `eightBit`: the text is the file's own bytes, without a byte-order mark;
  // the header says how to read them. Otherwise it is UTF-8 already.
  void run(std::string_view text, bool eightBit) {
    size_t pos = 0;
    size_t lineNo = 0;
    bool headerSeen = false;
    std::string decoded;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      ++lineNo;
      std::string_view raw = text.substr(pos, end - pos);
      pos = end + 1;
      if (raw.size() > kMaxPhysicalLine) {
        longLine(lineNo, raw);
        continue;
      }
      std::string_view line = trim(raw);
      // A comment is never read, so its bytes are neither decoded nor reported.
      if (eightBit && headerSeen && !isComment(line) && !utf8::isAscii(line)) line = decodeLine(lineNo, line, decoded);
      if (skipContinuation_) {  // rest of a value that was already refused
        if (!isComment(line)) skipContinuation_ = continues(line);
        continue;
      }
      if (!pending_.empty()) {
        if (isComment(line)) continue;
        if (pending_.size() + line.size() > kMaxLogicalLine) {
          problem(pendingLine_, "continued value is too long; skipped");
          pending_.clear();
          skipContinuation_ = continues(line);
          continue;
        }
        if (continues(line)) {
          pending_.append(line.substr(0, line.size() - 1));
          continue;
        }
        pending_.append(line);
        std::string whole;
        whole.swap(pending_);
        valueLine(pendingLine_, whole);
        continue;
      }
      if (line.empty() || isComment(line)) continue;
      if (!headerSeen) {
        if (line == "Windows Registry Editor Version 5.00") {
          headerSeen = true;
          wide_ = true;
          continue;
        }
        if (line == "REGEDIT4") {
          headerSeen = true;
          wide_ = false;
          continue;
        }
        problem(lineNo, "not a registry file (no \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\" header); file skipped");
        return;
      }
      if (line.front() == '[') {
        keyLine(lineNo, line);
        continue;
      }
      if (continues(line)) {
        pending_.assign(line.substr(0, line.size() - 1));
        pendingLine_ = lineNo;
        continue;
      }
      valueLine(lineNo, line);
    }
    if (!pending_.empty()) valueLine(pendingLine_, pending_);
  }

 private:
  void problem(size_t line, const std::string& what) {
    problems_.push_back(file_ + ":" + std::to_string(line) + ": " + what);
  }

  static bool isComment(std::string_view line) { return !line.empty() && line.front() == ';'; }
  static bool continues(std::string_view line) { return !line.empty() && line.back() == '\\'; }

  // A line too long to read refuses the value it belongs to; the lines it
  // continues to (it may end in "\\" itself) belong to that value as well.
  void longLine(size_t lineNo, std::string_view raw) {
    const std::string size = std::to_string(raw.size());
    if (!pending_.empty()) {
      problem(pendingLine_, "continued value is too long (line " + std::to_string(lineNo) + " has " + size + " bytes); skipped");
      pending_.clear();
    } else {
      problem(lineNo, "line of " + size + " bytes is too long; skipped");
    }
    skipContinuation_ = continues(trim(raw));
  }

  // An 8-bit line after the header as UTF-8, held in `buffer`.
  std::string_view decodeLine(size_t lineNo, std::string_view line, std::string& buffer) {
    if (!wide_) {
      decodeAnsi(lineNo, line, buffer);
    } else {
      utf8::sanitize(line, buffer);
    }
    return buffer;
  }

  void decodeAnsi(size_t lineNo, std::string_view bytes, std::string& out) {
    std::vector<size_t> bad;
    codepage::decode(codePage_, bytes, out, bad);
    if (bad.empty()) return;
    char first[8];
    std::snprintf(first, sizeof first, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(bytes[bad.front()])));
    const std::string page = "code page " + std::to_string(codePage_);
    if (bad.size() == 1)
      problem(lineNo, "byte " + std::string(first) + " is not a character of " + page + "; read as U+FFFD");
    else
      problem(lineNo, std::to_string(bad.size()) + " bytes are not characters of " + page + " (the first is " + first +
                          "); read as U+FFFD");
  }

  void keyLine(size_t lineNo, std::string_view line) {
    key_ = nullptr;
    if (line.back() != ']') {
      problem(lineNo, "key line without closing \"]\"; values up to the next key are skipped");
      return;
    }
    std::string_view inner = line.substr(1, line.size() - 2);
    const bool remove = !inner.empty() && inner.front() == '-';
    if (remove) inner.remove_prefix(1);
    const size_t sep = inner.find('\\');
    const std::string root = canonicalRoot(inner.substr(0, sep));
    if (root.empty()) {
      problem(lineNo, "unknown root key \"" + std::string(inner.substr(0, sep)) + "\"; values up to the next key are skipped");
      return;
    }
    const auto path = splitPath(sep == std::string_view::npos ? std::string_view() : inner.substr(sep + 1));
    if (remove) {
      store_.removeKey(root, path);
      return;
    }
    key_ = store_.create(root, path);
  }

  void valueLine(size_t lineNo, std::string_view line) {
    if (!key_) {
      problem(lineNo, "value outside a key; skipped");
      return;
    }
    Value v;
    size_t i = 0;
    if (line.front() == '@') {
      i = 1;
    } else if (line.front() == '"') {
      if (!readQuoted(line, i, v.name)) {
        problem(lineNo, "unterminated value name; skipped");
        return;
      }
    } else {
      problem(lineNo, "neither a key nor a value; skipped");
      return;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size() || line[i] != '=') {
      problem(lineNo, "value without \"=\"; skipped");
      return;
    }
    std::string_view data = trim(line.substr(i + 1));
    if (data == "-") {
      store_.removeValue(key_, v.name);
      return;
    }
    if (!data.empty() && data.front() == '"') {
      size_t j = 0;
      std::string text;
      if (!readQuoted(data, j, text)) {
        problem(lineNo, "unterminated string; skipped");
        return;
      }
      if (!trim(data.substr(j)).empty()) {
        problem(lineNo, "text after the closing quote; skipped");
        return;
      }
      v.type = 1;
      appendUtf16le(v.data, text);
      v.data.append(2, '\0');
      store_.setValue(key_, std::move(v));
      return;
    }
    const std::string lower = fold(data.substr(0, std::min<size_t>(data.size(), 16)));
    if (lower.rfind("dword:", 0) == 0) {
      std::string_view digits = data.substr(6);
      if (digits.empty() || digits.size() > 8) {
        problem(lineNo, "bad dword value; skipped");
        return;
      }
      uint32_t n = 0;
      for (char c : digits) {
        int d = hexDigit(c);
        if (d < 0) {
          problem(lineNo, "bad dword value; skipped");
          return;
        }
        n = n * 16 + static_cast<uint32_t>(d);
      }
      v.type = 4;
      for (int b = 0; b < 4; ++b) v.data.push_back(static_cast<char>((n >> (8 * b)) & 0xFF));
      store_.setValue(key_, std::move(v));
      return;
    }
    std::string_view hex;
    if (lower.rfind("hex:", 0) == 0) {
      v.type = 3;
      hex = data.substr(4);
    } else if (lower.rfind("hex(", 0) == 0) {
      const size_t close = data.find("):");
      if (close == std::string_view::npos || close == 4 || close > 12) {
        problem(lineNo, "bad hex(N) type; skipped");
        return;
      }
      uint32_t t = 0;
      for (char c : data.substr(4, close - 4)) {
        int d = hexDigit(c);
        if (d < 0) {
          problem(lineNo, "bad hex(N) type; skipped");
          return;
        }
        t = t * 16 + static_cast<uint32_t>(d);
      }
      v.type = t;
      hex = data.substr(close + 2);
    } else {
      problem(lineNo, "unknown value type; skipped");
      return;
    }
    if (!readHexBytes(hex, v.data)) {
      problem(lineNo, "bad hex data; skipped");
      return;
    }
    if (!wide_ && (v.type == 2 || v.type == 7)) {
      // REGEDIT4 files hold these as 8-bit text in the ANSI code page, however
      // the file itself is encoded; the store keeps UTF-16LE.
      std::string text;
      decodeAnsi(lineNo, v.data, text);
      v.data.clear();
      appendUtf16le(v.data, text);
      if (v.data.size() < 2 || v.data.compare(v.data.size() - 2, 2, std::string(2, '\0')) != 0)
        v.data.append(2, '\0');
    }
    store_.setValue(key_, std::move(v));
  }

  const std::string& file_;
  Store& store_;
  std::vector<std::string>& problems_;
  const uint32_t codePage_;
  KeyNode* key_ = nullptr;
  bool wide_ = true;  // "Windows Registry Editor Version 5.00", not "REGEDIT4"
  std::string pending_;
  size_t pendingLine_ = 0;
  bool skipContinuation_ = false;
};

}  // namespace

void loadRegFile(std::string_view bytes, const std::string& fileName, Store& store,
                 std::vector<std::string>& problems, uint32_t ansiCodePage) {
  if (bytes.size() > kMaxFileBytes) {
    problems.push_back(fileName + ":0: file of " + std::to_string(bytes.size()) + " bytes is too large; skipped");
    return;
  }
  Loader loader(fileName, store, problems, ansiCodePage);
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    bytes.remove_prefix(2);
    if (bytes.size() % 2 != 0) problems.push_back(fileName + ":1: odd number of bytes in a UTF-16 file; the last byte is ignored");
    const std::u16string w = utf16le(bytes);
    loader.run(utf8::fromUtf16(w.data(), w.size()), false);
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    std::string text;
    utf8::sanitize(bytes.substr(3), text);
    loader.run(text, false);
  } else {
    loader.run(bytes, true);
  }
}

}  // namespace tnw::reg
