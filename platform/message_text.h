// The system's own words for a result code, as FormatMessageW gives them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dynlib.h"

namespace platform {

// The message table text of `code`: from `module` first (a library loaded
// with loadLibrary; null: none), then the system's; UTF-8, inserts left as
// they stand, the trailing line end and blanks removed. "" when neither
// knows the code. Linux has no message tables: `module` is not read, and
// the system's texts are Windows' own (default language) for the Win32
// codes platform/win32_error.h names, every code win32FromErrno answers
// among them; "" for any other code. Any thread.
std::string systemMessageText(uint32_t code, LibraryHandle module);

}  // namespace platform
