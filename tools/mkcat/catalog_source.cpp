#include "catalog_source.h"

#include <algorithm>
#include <cstdio>

namespace mkcat {

namespace {

int hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseNumber(const std::string& s, int base, uint64_t& out) {
  if (s.empty() || s.size() > 10) return false;
  out = 0;
  for (char c : s) {
    int d = base == 16 ? hex(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return false;
    out = out * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  return true;
}

bool parseId(const std::string& id, uint16_t& set, uint32_t& message) {
  uint64_t v = 0;
  if (id.size() > 2 && id[0] == '0' && (id[1] == 'x' || id[1] == 'X')) {
    if (!parseNumber(id.substr(2), 16, v) || v > 0xFFFFFFFFu) return false;
    set = static_cast<uint16_t>((v >> 16) & 0xFFF);
    message = static_cast<uint32_t>(v & 0xFFFF);
    return true;
  }
  const size_t m = id.find('m');
  if (id.size() < 4 || id[0] != 's' || m == std::string::npos) return false;
  uint64_t s = 0;
  if (!parseNumber(id.substr(1, m - 1), 10, s) || s > 0xFFF || !parseNumber(id.substr(m + 1), 10, v) ||
      v > 0xFFFF)
    return false;
  set = static_cast<uint16_t>(s);
  message = static_cast<uint32_t>(v);
  return true;
}

bool unescape(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '\\') {
      out += in[i];
      continue;
    }
    if (++i >= in.size()) return false;
    switch (in[i]) {
      case '\\': out += '\\'; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'x': {
        int hi = i + 1 < in.size() ? hex(in[i + 1]) : -1;
        int lo = i + 2 < in.size() ? hex(in[i + 2]) : -1;
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

void put32(std::string& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out += static_cast<char>((v >> s) & 0xFF);
}
void put16(std::string& out, uint32_t v) {
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>(v & 0xFF);
}
uint32_t get32(const std::string& s, size_t at) {
  return (static_cast<uint32_t>(static_cast<unsigned char>(s[at])) << 24) |
         (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 16) |
         (static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 8) |
         static_cast<unsigned char>(s[at + 3]);
}
uint16_t get16(const std::string& s, size_t at) {
  return static_cast<uint16_t>((static_cast<unsigned char>(s[at]) << 8) | static_cast<unsigned char>(s[at + 1]));
}

// "s435m2". Built with snprintf: GCC 12 warns falsely (-Wrestrict) on
// "s" + std::to_string(...).
std::string messageName(uint32_t set, uint32_t message) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "s%um%u", set, message);
  return buf;
}

}  // namespace

std::string escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::vector<MessageC> parseSource(const std::string& source, std::vector<std::string>& errors) {
  std::vector<MessageC> out;
  size_t pos = 0;
  for (size_t lineNo = 1; pos <= source.size(); ++lineNo) {
    size_t end = source.find('\n', pos);
    if (end == std::string::npos) end = source.size();
    std::string line = source.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') {
      if (end == source.size()) break;
      continue;
    }
    line = line.substr(start);
    const size_t sp = line.find_first_of(" \t");
    const std::string id = line.substr(0, sp);
    const std::string raw = sp == std::string::npos ? std::string() : line.substr(sp + 1);
    MessageC m{};
    if (!parseId(id, m.set, m.message)) {
      errors.push_back("line " + std::to_string(lineNo) + ": \"" + id + "\" is not a message identifier");
    } else if (!unescape(raw, m.text)) {
      errors.push_back("line " + std::to_string(lineNo) + ": bad escape in the text");
    } else if (m.text.size() > 0xFFFF) {
      errors.push_back("line " + std::to_string(lineNo) + ": text longer than 65535 bytes");
    } else {
      out.push_back(std::move(m));
    }
    if (end == source.size()) break;
  }
  return out;
}

std::string compile(std::vector<MessageC> messages, std::vector<std::string>& errors) {
  std::stable_sort(messages.begin(), messages.end(), [](const MessageC& a, const MessageC& b) {
    return a.set < b.set || (a.set == b.set && a.message < b.message);
  });
  for (size_t i = 1; i < messages.size(); ++i)
    if (messages[i].set == messages[i - 1].set && messages[i].message == messages[i - 1].message)
      errors.push_back(messageName(messages[i].set, messages[i].message) + " is defined twice");
  std::string out = "kestract";
  put32(out, static_cast<uint32_t>(messages.size()));
  uint32_t offset = static_cast<uint32_t>(12 + 12 * messages.size());
  for (const auto& m : messages) {
    put16(out, m.set);
    put16(out, static_cast<uint32_t>(m.text.size()));
    put32(out, m.message);
    put32(out, offset);
    offset += static_cast<uint32_t>(m.text.size());
  }
  for (const auto& m : messages) out += m.text;
  return out;
}

bool dump(const std::string& c, std::string& source, std::string& error) {
  source.clear();
  if (c.size() < 12 || c.compare(0, 8, "kestract") != 0) {
    error = "not a message catalog (no \"kestract\" header)";
    return false;
  }
  const uint32_t n = get32(c, 8);
  if (static_cast<uint64_t>(n) * 12 + 12 > c.size()) {
    error = "the entry count " + std::to_string(n) + " does not fit in the file";
    return false;
  }
  for (uint32_t i = 0; i < n; ++i) {
    const size_t e = 12 + 12 * static_cast<size_t>(i);
    const uint16_t set = get16(c, e);
    const uint16_t len = get16(c, e + 2);
    const uint32_t msg = get32(c, e + 4);
    const uint32_t off = get32(c, e + 8);
    source += messageName(set, msg);
    source += ' ';
    if (static_cast<uint64_t>(off) + len > c.size()) {
      source += "# text past the end of the file\n";
      continue;
    }
    source += escape(c.substr(off, len)) + "\n";
  }
  return true;
}

}  // namespace mkcat
