// The instant an App-V application was last launched, from the text WMI
// gives for LastLaunchOnSystem.
#pragma once

#include <cstdint>
#include <string_view>

// Reads the launch time as a FILETIME (UTC). Accepted:
//  - the CIM date-time "yyyymmddHHMMSS[.mmmmmm][sUUU]" (UUU the offset from
//    UTC in minutes, applied; without it the time is UTC);
//  - the basic ISO form the WMI layer renders, "yyyymmddTHHMMSS" followed by
//    "Z" or a signed "HHMM" offset (applied).
// False when the text is neither, or its fields do not form a valid time.
bool readLaunchTime(std::string_view text, uint64_t& fileTime);
