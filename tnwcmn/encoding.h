// The named encodings of the text service. Names are compared without regard
// to case: "ascii", "system-8", "utf8" (also "utf-8"), "wchar_t".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tnw::encoding {

enum class Kind { kUnknown, kAscii, kSystem8, kUtf8, kWide };

Kind parse(const char* name);

// Decodes `length` units (bytes; char16_t for kWide; -1: up to a NUL) into
// well-formed UTF-8. Returns false only for kUnknown.
bool decode(Kind kind, const void* data, int32_t length, std::string& utf8);

// Encodes well-formed UTF-8. kWide gives char16_t code units in host order.
// Characters the target cannot represent become "~".
bool encode(Kind kind, std::string_view utf8, std::string& bytes);

}  // namespace tnw::encoding

namespace tnw::system8 {

// The system's 8-bit code page: the thread's ANSI code page on Windows, the
// character set of the environment's locale (LC_ALL, LC_CTYPE, LANG) on
// Linux. decode never fails (bad bytes give U+FFFD); encode writes "~" for
// what the code page cannot represent.
std::string decode(std::string_view bytes);
std::string encode(std::string_view utf8);

}  // namespace tnw::system8
