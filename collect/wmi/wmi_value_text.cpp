#include "collect/wmi/wmi_value_text.h"

#include <cstdio>
#include <ctime>

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
      out += StringC(v.text.data(), static_cast<int32_t>(v.text.size())).utf8();
      return true;
    case wmi::kVtBool:
      out += v.integer != 0 ? "TRUE" : "FALSE";
      return true;
    default:
      return false;
  }
}

bool digits(std::string_view s, size_t at, size_t count, int32_t& value) {
  if (at + count > s.size()) return false;
  value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

}  // namespace

bool variantToText(const wmi::VariantC& value, StringC& out) {
  std::string text;
  bool ok = true;
  if (value.type & wmi::kVtArray) {
    const uint16_t elementType = static_cast<uint16_t>(value.type & ~wmi::kVtArray);
    for (size_t i = 0; ok && i < value.elements.size(); ++i) {
      if (i) text += ',';
      ok = scalarToText(elementType, value.elements[i], text);
    }
  } else {
    ok = scalarToText(value.type, value, text);
  }
  out = ok ? StringC::fromUtf8(text) : StringC();
  return ok;
}

bool cimDateTimeToIso(std::string_view cim, std::string& out) {
  int32_t year, month, day, hour, minute, second, offset;
  if (!digits(cim, 0, 4, year) || !digits(cim, 4, 2, month) || !digits(cim, 6, 2, day) || !digits(cim, 8, 2, hour) ||
      !digits(cim, 10, 2, minute) || !digits(cim, 12, 2, second) || cim.size() < 25 ||
      (cim[21] != '+' && cim[21] != '-') || cim.size() > 26 || !digits(cim, 22, cim.size() - 22, offset))
    return false;
  if (year < 1970 || year > 2037 || offset >= 24 * 60) return false;
  if (cim[21] == '-') offset = -offset;

  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = 0;  // the offset already says all: no local daylight hour joins it
  datetime::DateTime value;
  const int32_t magnitude = offset < 0 ? -offset : offset;
  const int32_t hhmm = magnitude / 60 * 100 + magnitude % 60;
  if (offset == 0)
    value.set(t, datetime::kUtc, 0);
  else
    value.set(t, datetime::kLocalTime, offset < 0 ? -hhmm : hhmm);
  if (!value.isValid() || value.date().month != month || value.date().day != day) return false;
  return value.formatIso(out) == 0;
}
