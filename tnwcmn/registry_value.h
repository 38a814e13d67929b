// Conversions of raw registry data that the service applies the same way on
// both systems.
#pragma once

#include <string>
#include <vector>

#include "tnwcmn/tnwcmn.h"

namespace tnw::reg {

// REG_SZ and REG_EXPAND_SZ as stored (up to the first NUL), REG_DWORD,
// REG_DWORD_BIG_ENDIAN and REG_QWORD in decimal, REG_MULTI_SZ joined with
// ";". Other types: kUnsupportedType.
Status valueToText(uint32_t type, const std::string& data, std::string& text);

// A REG_MULTI_SZ as its items (an empty item ends the list, as on Windows);
// a string value as one item. Other types: kUnsupportedType.
Status valueToList(uint32_t type, const std::string& data, std::vector<std::string>& items);

}  // namespace tnw::reg
