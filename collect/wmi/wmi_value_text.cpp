#include "collect/wmi/wmi_value_text.h"

#include <cstdio>

#include "collect/wmi/cim_datetime.h"
#include "common/utf8.h"

namespace wmi = platform::wmi;

namespace {

bool scalarToText(uint16_t type, const wmi::VariantC& v, std::string& out) {
  char buffer[400];
  switch (type) {
    case wmi::kVtEmpty:
    case wmi::kVtNull:
      return true;
    case wmi::kVtI1:
      out += std::to_string(static_cast<int8_t>(v.integer));
      return true;
    case wmi::kVtI2:
      out += std::to_string(static_cast<int16_t>(v.integer));
      return true;
    case wmi::kVtI4:
      out += std::to_string(static_cast<int32_t>(v.integer));
      return true;
    case wmi::kVtUi1:
      out += std::to_string(static_cast<uint8_t>(v.integer));
      return true;
    case wmi::kVtUi2:
      out += std::to_string(static_cast<uint16_t>(v.integer));
      return true;
    case wmi::kVtUi4:
      out += std::to_string(static_cast<uint32_t>(v.integer));
      return true;
    case wmi::kVtR4:
    case wmi::kVtR8: {
      // Any double fits: at most 309 digits before the point.
      const int n = std::snprintf(buffer, sizeof buffer, "%10.4f", type == wmi::kVtR4 ? static_cast<float>(v.real) : v.real);
      if (n < 0 || static_cast<size_t>(n) >= sizeof buffer) return false;
      out.append(buffer, static_cast<size_t>(n));
      return true;
    }
    case wmi::kVtBstr:
      // The same conversion the text service makes, without a text object
      // of its own for every property.
      common::utf8::appendFromUtf16(out, v.text);
      return true;
    case wmi::kVtBool:
      out += v.integer != 0 ? "TRUE" : "FALSE";
      return true;
    default:
      return false;
  }
}

}  // namespace

bool variantToUtf8(const wmi::VariantC& value, std::string& out) {
  const size_t kept = out.size();
  bool ok = true;
  if (value.type & wmi::kVtArray) {
    // The elements of a VARIANT array carry their own types; an array of a
    // type no element could be converted from fails even when it is empty.
    const uint16_t elementType = static_cast<uint16_t>(value.type & ~wmi::kVtArray);
    if (elementType != wmi::kVtVariant) {
      std::string probe;
      ok = scalarToText(elementType, wmi::VariantC{}, probe);
    }
    for (size_t i = 0; ok && i < value.elements.size(); ++i) {
      if (i) out += ',';
      const wmi::VariantC& element = value.elements[i];
      ok = scalarToText(elementType == wmi::kVtVariant ? element.type : elementType, element, out);
    }
  } else {
    ok = scalarToText(value.type, value, out);
  }
  if (!ok) out.resize(kept);
  return ok;
}

bool variantToText(const wmi::VariantC& value, StringC& out) {
  std::string text;
  const bool ok = variantToUtf8(value, text);
  out = ok ? StringC::fromUtf8(text) : StringC();
  return ok;
}

bool cimDateTimeToIso(std::string_view cim, std::string& out) {
  // Rendered field by field: a collector reads one of these for every
  // application on every cycle, and the date-time value's general
  // conversion costs more than the rest of the property's reading.
  CimDateTimeC f;
  if (!readCimDateTime(cim, f) || f.year < 1970 || f.year > 2037 || f.offsetMinutes <= -24 * 60 ||
      f.offsetMinutes >= 24 * 60)
    return false;
  static constexpr int32_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = f.year % 4 == 0 && (f.year % 100 != 0 || f.year % 400 == 0);
  if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > kDays[f.month - 1] + (f.month == 2 && leap ? 1 : 0) ||
      f.hour > 23 || f.minute > 59 || f.second > 59)
    return false;

  char text[24];
  char* p = text;
  const auto put = [&p](int32_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10) p[i] = static_cast<char>('0' + value % 10);
    p += digits;
  };
  put(f.year, 4);
  put(f.month, 2);
  put(f.day, 2);
  *p++ = 'T';
  put(f.hour, 2);
  put(f.minute, 2);
  put(f.second, 2);
  if (f.offsetMinutes == 0) {
    *p++ = 'Z';
  } else {
    const int32_t magnitude = f.offsetMinutes < 0 ? -f.offsetMinutes : f.offsetMinutes;
    *p++ = f.offsetMinutes < 0 ? '-' : '+';
    put(magnitude / 60, 2);
    put(magnitude % 60, 2);
  }
  out.assign(text, static_cast<size_t>(p - text));
  return true;
}
