#include <string>
#include <utility>

#include "platform/sid.h"
#include "platform/sid_text.h"

namespace platform {

namespace {

constexpr size_t kHeaderSize = 8;

}  // namespace

uint32_t stringToSid(std::string_view text, SidC& out) {
  out.clear();
  sid_text::PartsC parts;
  if (!sid_text::parse(text, parts)) return kErrorInvalidSid;
  SidC sid(kHeaderSize, 0);
  sid[0] = 1;
  sid[1] = static_cast<uint8_t>(parts.count);
  for (size_t i = 0; i < 6; ++i) sid[2 + i] = static_cast<uint8_t>(parts.authority >> (8 * (5 - i)));
  for (size_t i = 0; i < parts.count; ++i)
    for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<uint8_t>(parts.subAuthorities[i] >> shift));
  out = std::move(sid);
  return kErrorSuccess;
}

std::string sidToString(const SidC& sid) { return isValidSid(sid) ? sid_text::format(sid) : std::string(); }

bool isValidSid(const SidC& sid) {
  return sid.size() >= kHeaderSize && sid[0] == 1 && sid[1] <= sid_text::kMaxSubAuthorities &&
         sid.size() == kHeaderSize + 4u * sid[1];
}

bool equalSid(const SidC& a, const SidC& b) { return isValidSid(a) && isValidSid(b) && a == b; }

}  // namespace platform
