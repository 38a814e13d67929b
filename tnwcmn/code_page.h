// Windows code pages by number (1252, 1251, 932, ...), the form GetACP and
// the registry's Nls\CodePage\ACP give. The Linux registry store reads
// "REGEDIT4" files with them: regedit writes those in the machine's ANSI
// code page, not in UTF-8.
//
// Linux decodes through iconv ("CP<number>"), Windows through its own
// tables, so the two may differ on bytes a code page leaves undefined
// (glibc refuses 0x81 in 1252, Windows reads it as U+0081).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tnw::codepage {

// The ANSI code page of a machine that names none.
inline constexpr uint32_t kWindows1252 = 1252;

// The ANSI code pages of Windows: 874, 932, 936, 949, 950 and 1250 to 1258.
// All of them are ASCII below 0x80 and take one or two bytes a character.
constexpr bool isAnsi(uint32_t number) {
  return number == 874 || number == 932 || number == 936 || number == 949 || number == 950 ||
         (number >= 1250 && number <= 1258);
}

// Whether `number` is an ANSI code page this system can decode.
bool known(uint32_t number);

// Decodes `bytes` of code page `number` into well-formed UTF-8 in `utf8`.
// A byte that starts no character of the code page (or a character cut off
// at the end) becomes U+FFFD, its offset in `bytes` is appended to `bad`,
// and decoding goes on with the next byte. For a code page known() refuses,
// every byte above 0x7F is bad. Thread-safe.
void decode(uint32_t number, std::string_view bytes, std::string& utf8, std::vector<size_t>& bad);

// Reads the text of a file that names a code page: its decimal number, with
// blanks and line ends around it ("1251\n"). Anything else, or a code page
// known() refuses, is appended to `problems` as "<fileName>:1: <what>" and
// gives kWindows1252.
uint32_t parseNamed(std::string_view text, const std::string& fileName, std::vector<std::string>& problems);

}  // namespace tnw::codepage
