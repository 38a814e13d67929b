// String SIDs: the text rule both systems apply before converting. Whatever
// the text, the parse ends. The oracle is a reading of its own: the text
// split at "-" into "S", "1", an authority and 1 to 15 sub-authorities,
// each field's value from its digits with leading zeros set aside (so
// that no digit count can overflow). The rule accepts exactly the texts
// that reading takes, with the same values; the binary SID holds them in
// the Windows layout; its string form is the canonical text of those
// values.
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/sid.h"
#include "platform/sid_text.h"

namespace {

// The value of a field of digits in `base`, when it is at most `limit`.
bool value(std::string_view field, int base, uint64_t limit, uint64_t& out) {
  const std::string_view digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (field.empty() || field.find_first_not_of(digits) != std::string_view::npos) return false;
  const size_t lead = field.find_first_not_of('0');
  if (lead == std::string_view::npos) return out = 0, true;
  field.remove_prefix(lead);
  if (field.size() > (base == 16 ? 12u : 10u)) return false;
  out = std::stoull(std::string(field), nullptr, base);
  return out <= limit;
}

bool reference(std::string_view text, uint64_t& authority, std::vector<uint32_t>& subs) {
  std::vector<std::string_view> fields;
  for (size_t at = 0;;) {
    const size_t dash = text.find('-', at);
    fields.push_back(text.substr(at, dash == std::string_view::npos ? std::string_view::npos : dash - at));
    if (dash == std::string_view::npos) break;
    at = dash + 1;
  }
  if (fields.size() < 4 || fields.size() > 18 || fields[0] != "S" || fields[1] != "1") return false;
  const std::string_view a = fields[2];
  if (a.size() >= 2 && a.substr(0, 2) == "0x" ? !value(a.substr(2), 16, 0xFFFFFFFFFFFFull, authority)
                                               : !value(a, 10, 0xFFFFFFFFull, authority))
    return false;
  for (size_t i = 3; i < fields.size(); ++i) {
    uint64_t v = 0;
    if (!value(fields[i], 10, 0xFFFFFFFFull, v)) return false;
    subs.push_back(static_cast<uint32_t>(v));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::sid_text::PartsC parts;
  const bool accepted = platform::sid_text::parse(text, parts);
  uint64_t authority = 0;
  std::vector<uint32_t> subs;
  FUZZ_CHECK(accepted == reference(text, authority, subs), "the rule takes exactly the texts of the grammar");
  platform::SidC sid;
  const uint32_t status = platform::stringToSid(text, sid);
  FUZZ_CHECK((status == 0) == accepted, "the converter takes what the rule takes");
  if (!accepted) {
    FUZZ_CHECK(sid.empty(), "a refused text leaves no SID");
    return 0;
  }
  FUZZ_CHECK(parts.authority == authority && parts.count == subs.size(), "the rule reads the authority and count");
  for (size_t i = 0; i < subs.size(); ++i)
    FUZZ_CHECK(parts.subAuthorities[i] == subs[i], "the rule reads each sub-authority");

  // Windows layout: revision 1, the count, the authority as 6 big-endian
  // bytes, then each sub-authority as 4 little-endian bytes.
  FUZZ_CHECK(platform::isValidSid(sid) && sid.size() == 8 + 4 * subs.size() && sid[0] == 1 && sid[1] == subs.size(),
             "an accepted text gives a valid SID of its count");
  for (size_t i = 0; i < 6; ++i)
    FUZZ_CHECK(sid[2 + i] == static_cast<uint8_t>(authority >> (40 - 8 * i)), "the authority is big-endian");
  for (size_t i = 0; i < subs.size(); ++i)
    for (size_t b = 0; b < 4; ++b)
      FUZZ_CHECK(sid[8 + 4 * i + b] == static_cast<uint8_t>(subs[i] >> (8 * b)), "sub-authorities are little-endian");

  char head[32];
  if (authority > 0xFFFFFFFFull)
    std::snprintf(head, sizeof head, "S-1-0x%012" PRIX64, authority);
  else
    std::snprintf(head, sizeof head, "S-1-%" PRIu64, authority);
  std::string canonical = head;
  for (const uint32_t s : subs) canonical += "-" + std::to_string(s);
  FUZZ_CHECK(platform::sidToString(sid) == canonical, "the string form is the canonical text");
  return 0;
}
