// UTF-8 and UTF-16 helpers shared by the text service's encoders. Decoding
// never reads past `end` and maps every ill-formed sequence (overlong forms,
// surrogates, values above U+10FFFF, truncated sequences) to U+FFFD; what
// one ill-formed sequence is, is common/utf8.h's rule, the plug-in's too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/utf8.h"

namespace tnw::utf8 {

inline constexpr char32_t kReplacement = common::utf8::kReplacement;

// Decodes one code point at p (p < end) and advances p. *valid (optional) is
// cleared for an ill-formed sequence.
char32_t decode(const char*& p, const char* end, bool* valid = nullptr);

void append(std::string& out, char32_t cp);

// Copies `in`, replacing ill-formed sequences with U+FFFD. Returns how many
// replacements were made.
size_t sanitize(std::string_view in, std::string& out);

// Number of code points (each ill-formed sequence counts as one).
int32_t countChars(std::string_view in);

bool isAscii(std::string_view in);

// UTF-16 (host order code units) <-> UTF-8. Unpaired surrogates become U+FFFD.
std::string fromUtf16(const char16_t* data, size_t units);
std::u16string toUtf16(std::string_view in);

}  // namespace tnw::utf8
