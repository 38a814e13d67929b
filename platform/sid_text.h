// The string form of a SID as platform/sid.h reads and writes it, one rule
// for both back-ends. Reading: Linux builds the binary SID from the parts;
// Windows refuses what the rule refuses before the system converts the
// rest, since ConvertStringSidToSidA takes more than the rule (SDDL aliases
// such as "BA", and in some implementations blanks, empty or signed fields
// and numbers that do not fit, read as something else). Writing follows the
// documented format on both (Wine's ConvertSidToStringSidA writes an
// authority of 2^31 or more as a negative number, or not at all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sid_text {

inline constexpr size_t kMaxSubAuthorities = 15;

struct PartsC {
  uint64_t authority = 0;  // below 2^48
  uint32_t subAuthorities[kMaxSubAuthorities] = {};
  size_t count = 0;  // 1 to 15
};

namespace detail {

inline int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Every step keeps the value at or below its limit, so no text can wrap it.
inline bool number(std::string_view field, unsigned base, uint64_t limit, uint64_t& value) {
  if (field.empty()) return false;
  value = 0;
  for (const char c : field) {
    const int d = base == 16 ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (d < 0) return false;
    value = value * base + static_cast<unsigned>(d);
    if (value > limit) return false;
  }
  return true;
}

}  // namespace detail

// "S-1-<authority>(-<sub-authority>){1,15}": the authority decimal below
// 2^32 or "0x" and hexadecimal below 2^48, each sub-authority decimal
// below 2^32, leading zeros allowed, nothing else anywhere. False for any
// other text (`out` is then unspecified).
inline bool parse(std::string_view text, PartsC& out) {
  constexpr std::string_view kPrefix = "S-1-";
  if (text.substr(0, kPrefix.size()) != kPrefix) return false;
  std::string_view rest = text.substr(kPrefix.size());
  size_t dash = rest.find('-');
  // A SID names at least one sub-authority.
  if (dash == std::string_view::npos) return false;
  const std::string_view authority = rest.substr(0, dash);
  const bool hex = authority.size() >= 2 && authority[0] == '0' && authority[1] == 'x';
  if (!(hex ? detail::number(authority.substr(2), 16, 0xFFFFFFFFFFFFull, out.authority)
            : detail::number(authority, 10, 0xFFFFFFFFull, out.authority)))
    return false;
  out.count = 0;
  while (dash != std::string_view::npos) {
    rest = rest.substr(dash + 1);
    dash = rest.find('-');
    uint64_t value = 0;
    if (out.count == kMaxSubAuthorities || !detail::number(rest.substr(0, dash), 10, 0xFFFFFFFFull, value))
      return false;
    out.subAuthorities[out.count++] = static_cast<uint32_t>(value);
  }
  return true;
}

// The string form of a binary SID in its Windows layout, which the caller
// has checked (revision 1, its length as its count says): the authority in
// decimal below 2^32, else "0x" and 12 upper-case hexadecimal digits, then
// each sub-authority in decimal.
inline std::string format(const std::vector<uint8_t>& sid) {
  uint64_t authority = 0;
  for (size_t i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string s = "S-1-";
  if (authority > 0xFFFFFFFFull) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    s += "0x";
    for (int shift = 44; shift >= 0; shift -= 4) s += kHex[(authority >> shift) & 0xF];
  } else {
    s += std::to_string(authority);
  }
  for (size_t i = 0; i < sid[1]; ++i) {
    const size_t at = 8 + 4 * i;
    const uint32_t value = static_cast<uint32_t>(sid[at]) | static_cast<uint32_t>(sid[at + 1]) << 8 |
                           static_cast<uint32_t>(sid[at + 2]) << 16 | static_cast<uint32_t>(sid[at + 3]) << 24;
    s += '-';
    s += std::to_string(value);
  }
  return s;
}

}  // namespace platform::sid_text
