// printf-style formatting with the positional extension ("%2$S"), over a
// typed argument list.
//
// Formats are untrusted (they come from catalog files): "%n" writes nothing,
// a position the list lacks or whose type the conversion cannot take renders
// as empty text, widths and precisions are capped at kMaxWidth, and nothing
// is ever read beyond the list.
//
// The result is well-formed UTF-8 whatever the format holds: ill-formed
// bytes of the format (in its literal text as in a directive kept as text)
// come out as U+FFFD, as everywhere else in the text service.
#pragma once

#include <string>
#include <string_view>

#include "tnwcmn/tnwcmn.h"

namespace tnw {

inline constexpr int kMaxWidth = 4096;

std::string formatPositional(std::string_view format, const ArgList* args);

}  // namespace tnw
