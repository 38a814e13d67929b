// Reading an INI file into a PrefsC.
//
// The format: lines end at LF or CR; each is trimmed of " ", tab, CR, LF.
// Empty lines and lines starting with ";" are ignored. "[" opens the section
// named by the trimmed text up to the first "]" (no "]": ignored); a section
// met again is reused. Any other line with "=" after its first character is
// an entry: trimmed name before the first "=", trimmed value after it.
// Entries before the first section belong to none and are dropped.
//
// Bad input never stops the reading: a line holding a NUL byte (binary
// garbage) or longer than kMaxLineBytes is dropped. Text: UTF-8 (a BOM is
// skipped; after one, ill-formed bytes read as U+FFFD), UTF-16 with a BOM,
// and otherwise, when not well-formed UTF-8, the system's 8-bit code page;
// the PrefsC holds UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/prefs_file/prefs.h"

namespace ini_file {

inline constexpr size_t kMaxLineBytes = 64 * 1024;
// Larger files are refused as unreadable: no preference file is that big.
inline constexpr int64_t kMaxFileBytes = 16 * 1024 * 1024;

enum class LoadE { kLoaded, kNotFound, kUnreadable };

// Parses text (already UTF-8) into prefs; returns the count of lines
// dropped as bad input.
size_t parse(std::string_view utf8, PrefsC& prefs);

// The file's bytes as UTF-8 (see the header comment).
std::string decode(std::string_view bytes);

// Whether a file or directory exists at the Windows path.
bool exists(const std::string& path);
bool isDirectory(const std::string& path);

// Reads and parses the file at the Windows path (on Linux the machine
// root's drive folders apply). kNotFound when no file is there, kUnreadable
// when it cannot be opened or read in full, or is a directory or too large.
// *dropped (when given) receives the count of lines dropped as bad input.
LoadE load(const std::string& path, PrefsC& prefs, size_t* dropped = nullptr);

}  // namespace ini_file
