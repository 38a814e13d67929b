#include <tuple>
#include <utility>

#include "platform/sid.h"

namespace platform {

namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxSubAuthorities = 15;
constexpr uint64_t kMaxDecimal = 0xFFFFFFFFull;
constexpr uint64_t kMaxAuthority = 0xFFFFFFFFFFFFull;

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Every step keeps the value below its limit, so no text can wrap it.
bool parseNumber(std::string_view field, unsigned base, uint64_t limit, uint64_t& value) {
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

bool parseAuthority(std::string_view field, uint64_t& value) {
  if (field.size() >= 2 && field[0] == '0' && field[1] == 'x') return parseNumber(field.substr(2), 16, kMaxAuthority, value);
  return parseNumber(field, 10, kMaxDecimal, value);
}

uint64_t authorityOf(const SidC& sid) {
  uint64_t a = 0;
  for (size_t i = 2; i < kHeaderSize; ++i) a = (a << 8) | sid[i];
  return a;
}

uint32_t subAuthorityOf(const SidC& sid, size_t index) {
  const size_t at = kHeaderSize + 4 * index;
  return static_cast<uint32_t>(sid[at]) | static_cast<uint32_t>(sid[at + 1]) << 8 |
         static_cast<uint32_t>(sid[at + 2]) << 16 | static_cast<uint32_t>(sid[at + 3]) << 24;
}

}  // namespace

uint32_t stringToSid(std::string_view text, SidC& out) {
  out.clear();
  constexpr std::string_view kPrefix = "S-1-";
  if (text.substr(0, kPrefix.size()) != kPrefix) return kErrorInvalidSid;
  std::string_view rest = text.substr(kPrefix.size());

  auto nextField = [&rest] {
    const size_t dash = rest.find('-');
    const std::string_view field = rest.substr(0, dash);
    rest = dash == std::string_view::npos ? std::string_view() : rest.substr(dash + 1);
    return std::pair(field, dash != std::string_view::npos);
  };

  auto [authorityField, more] = nextField();
  uint64_t authority = 0;
  if (!parseAuthority(authorityField, authority)) return kErrorInvalidSid;

  SidC sid(kHeaderSize, 0);
  sid[0] = 1;
  for (size_t i = 0; i < 6; ++i) sid[2 + i] = static_cast<uint8_t>(authority >> (8 * (5 - i)));
  size_t count = 0;
  while (more) {
    std::string_view field;
    std::tie(field, more) = nextField();
    uint64_t value = 0;
    if (++count > kMaxSubAuthorities || !parseNumber(field, 10, kMaxDecimal, value)) return kErrorInvalidSid;
    for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<uint8_t>(value >> shift));
  }
  sid[1] = static_cast<uint8_t>(count);
  out = std::move(sid);
  return kErrorSuccess;
}

std::string sidToString(const SidC& sid) {
  if (!isValidSid(sid)) return {};
  std::string s = "S-1-";
  const uint64_t authority = authorityOf(sid);
  if (authority > kMaxDecimal) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    s += "0x";
    for (int shift = 44; shift >= 0; shift -= 4) s += kHex[(authority >> shift) & 0xF];
  } else {
    s += std::to_string(authority);
  }
  for (size_t i = 0; i < sid[1]; ++i) {
    s += '-';
    s += std::to_string(subAuthorityOf(sid, i));
  }
  return s;
}

bool isValidSid(const SidC& sid) {
  return sid.size() >= kHeaderSize && sid[0] == 1 && sid[1] <= kMaxSubAuthorities &&
         sid.size() == kHeaderSize + 4u * sid[1];
}

bool equalSid(const SidC& a, const SidC& b) { return isValidSid(a) && isValidSid(b) && a == b; }

}  // namespace platform
