// UTF-8 <-> UTF-16 for the Windows implementations of this layer.
#pragma once

#include <string>

namespace platform {

std::wstring toWide(const std::string& utf8);
std::string fromWide(const wchar_t* text, size_t length);

}  // namespace platform
