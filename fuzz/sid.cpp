// String SIDs: the text rule both systems apply before converting. Whatever
// the text, the parse ends; an accepted text converts to a valid binary SID
// whose string form parses back to the same parts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/sid.h"
#include "platform/sid_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  platform::sid_text::PartsC parts;
  const bool accepted = platform::sid_text::parse(text, parts);
  platform::SidC sid;
  const uint32_t status = platform::stringToSid(text, sid);
  FUZZ_CHECK((status == 0) == accepted, "the converter and the text rule agree");
  if (!accepted) {
    FUZZ_CHECK(sid.empty(), "a refused text leaves no SID");
    return 0;
  }
  FUZZ_CHECK(parts.count >= 1 && parts.count <= platform::sid_text::kMaxSubAuthorities, "sub-authority count");
  FUZZ_CHECK(platform::isValidSid(sid), "an accepted text gives a valid SID");
  platform::sid_text::PartsC again;
  const std::string written = platform::sidToString(sid);
  FUZZ_CHECK(platform::sid_text::parse(written, again), "the written form parses");
  FUZZ_CHECK(again.authority == parts.authority && again.count == parts.count, "round trip keeps the parts");
  for (size_t i = 0; i < parts.count; ++i)
    FUZZ_CHECK(again.subAuthorities[i] == parts.subAuthorities[i], "round trip keeps each sub-authority");
  return 0;
}
