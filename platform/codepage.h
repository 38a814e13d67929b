// Facts about the system's 8-bit code page that byte-by-byte decoding needs.
#pragma once

namespace platform {

// Whether b starts a two-byte character of the thread's ANSI code page
// (IsDBCSLeadByteEx). Linux: false (its multi-byte locales are UTF-8,
// which the callers recognise themselves).
bool isSystemLeadByte(unsigned char b);

}  // namespace platform
