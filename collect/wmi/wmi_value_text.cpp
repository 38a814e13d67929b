#include "collect/wmi/wmi_value_text.h"

#include <cstdio>
#include <ctime>

#include "collect/wmi/cim_datetime.h"
#include "common/utf8.h"
#include "runtime/datetime/date_time.h"

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
      out += common::utf8::fromUtf16(v.text);
      return true;
    case wmi::kVtBool:
      out += v.integer != 0 ? "TRUE" : "FALSE";
      return true;
    default:
      return false;
  }
}

}  // namespace

bool variantToText(const wmi::VariantC& value, StringC& out) {
  std::string text;
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
      if (i) text += ',';
      const wmi::VariantC& element = value.elements[i];
      ok = scalarToText(elementType == wmi::kVtVariant ? element.type : elementType, element, text);
    }
  } else {
    ok = scalarToText(value.type, value, text);
  }
  out = ok ? StringC::fromUtf8(text) : StringC();
  return ok;
}

bool cimDateTimeToIso(std::string_view cim, std::string& out) {
  CimDateTimeC f;
  if (!readCimDateTime(cim, f) || f.year < 1970 || f.year > 2037 || f.offsetMinutes <= -24 * 60 ||
      f.offsetMinutes >= 24 * 60)
    return false;

  std::tm t{};
  t.tm_year = f.year - 1900;
  t.tm_mon = f.month - 1;
  t.tm_mday = f.day;
  t.tm_hour = f.hour;
  t.tm_min = f.minute;
  t.tm_sec = f.second;
  t.tm_isdst = 0;  // the offset already says all: no local daylight hour joins it
  datetime::DateTime value;
  const int32_t magnitude = f.offsetMinutes < 0 ? -f.offsetMinutes : f.offsetMinutes;
  const int32_t hhmm = magnitude / 60 * 100 + magnitude % 60;
  if (f.offsetMinutes == 0)
    value.set(t, datetime::kUtc, 0);
  else
    value.set(t, datetime::kLocalTime, f.offsetMinutes < 0 ? -hhmm : hhmm);
  if (!value.isValid() || value.date().month != f.month || value.date().day != f.day) return false;
  return value.formatIso(out) == 0;
}
