// The text objects behind every string of the process.
#pragma once

#include <string>
#include <string_view>

#include "tnwcmn/tnwcmn.h"

namespace tnw {

// A new text with one reference; `utf8` must already be well formed.
TextI* makeText(std::string_view utf8);

// A new text from bytes that may be ill formed (replaced with U+FFFD).
TextI* makeTextSanitized(std::string_view bytes);

inline std::string_view view(const TextI* t) {
  return t ? std::string_view(t->utf8(), static_cast<size_t>(t->byteLength())) : std::string_view();
}

// Releases a text handed to a service (null allowed).
inline void consume(TextI* t) {
  if (t) t->release();
}

}  // namespace tnw
