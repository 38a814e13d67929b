// Security identifiers (SIDs) as the local security authority gives them.
//
// A SID is held in its binary Windows layout: revision (1), sub-authority
// count (0-15), the 48-bit identifier authority big-endian, then each
// sub-authority as a 32-bit little-endian number. Windows converts text
// with ConvertStringSidToSidA and compares with EqualSid; Linux parses with
// the same rules (below). Both write the string form themselves, in the
// documented format (platform/sid_text.h). Every function is safe on any
// thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32_error.h"

namespace platform {

using SidC = std::vector<uint8_t>;

// ConvertStringSidToSidA. The text is "S-1-<authority>(-<sub-authority>)+":
// a capital "S", revision 1, the authority in decimal (below 2^32) or in
// hexadecimal after "0x" (below 2^48), one to 15 sub-authorities (the
// system refuses "S-1-5"), each decimal below 2^32; nothing else before,
// between or after (no blanks, no signs, no SDDL aliases). Returns 0 and the
// SID in `out`, or kErrorInvalidSid for text that is not a SID (`out` is
// then left empty). A binary SID without sub-authorities is still valid
// (isValidSid) and has a string form; only the text is refused.
uint32_t stringToSid(std::string_view text, SidC& out);

// The string form of a valid binary SID ("S-1-5-21-..."), the authority in
// hexadecimal ("0x" and 12 upper-case digits) when it does not fit in 32
// bits; "" when `sid` is not valid.
std::string sidToString(const SidC& sid);

// A well-formed binary SID: revision 1, at most 15 sub-authorities, and
// exactly as long as its count says.
bool isValidSid(const SidC& sid);

// EqualSid: true when both are valid and equal in every byte.
bool equalSid(const SidC& a, const SidC& b);

}  // namespace platform
