// How the WMI layer turns property values into text.
#pragma once

#include <string>
#include <string_view>

#include "platform/wmi.h"
#include "runtime/strings/string_c.h"

// A VARIANT as text: VT_EMPTY and VT_NULL empty; VT_I1, VT_I2, VT_I4
// decimal; VT_UI1, VT_UI2, VT_UI4 unsigned decimal; VT_R4, VT_R8 "%10.4f";
// VT_BSTR the string; VT_BOOL "TRUE" or "FALSE"; a VT_ARRAY its elements so
// converted, joined with ",". False (and `out` empty) for any other type,
// also inside an array.
bool variantToText(const platform::wmi::VariantC& value, StringC& out);
// The same text in UTF-8, appended to `out` (left as it was on false).
bool variantToUtf8(const platform::wmi::VariantC& value, std::string& out);

// A CIM date-time "yyyymmddHHMMSS.mmmmmmsUUU" (UUU the offset from UTC in
// minutes, s its sign) in the basic ISO form of the date-time values:
// "20240115T083005Z" for offset 0, else the offset as a signed HHMM
// ("20240115T083005+0100"). Only a text whose fields are all digits, whose
// date and time are valid and whose year lies in 1970-2037 (the years the
// date-time values keep) is re-rendered: for any other (the never-launched
// "16010101000000.000000+000" among them) the result is false.
bool cimDateTimeToIso(std::string_view cim, std::string& out);
