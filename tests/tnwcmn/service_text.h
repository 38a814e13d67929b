// Texts for calls into the common library's services in tests.
#pragma once

#include <string>

#include "tnwcmn/tnwcmn.h"

// A new text for a service to take over.
inline tnw::TextI* t(const char* s) { return TnwTextService(1)->fromUtf8(s, -1); }

// The UTF-8 of a text a service handed out, releasing it.
inline std::string take(tnw::TextI* text) {
  if (!text) return "<null>";
  std::string s(text->utf8(), static_cast<size_t>(text->byteLength()));
  text->release();
  return s;
}
