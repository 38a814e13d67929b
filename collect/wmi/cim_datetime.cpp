#include "collect/wmi/cim_datetime.h"

bool readDigits(std::string_view s, size_t at, size_t count, int32_t& value) {
  if (at > s.size() || count > s.size() - at) return false;
  value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

bool readCimOffset(std::string_view s, size_t at, int32_t& value) {
  constexpr int32_t kCap = 99999;
  if (at >= s.size()) return false;
  value = 0;
  for (size_t i = at; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
    if (value > kCap) value = kCap;
  }
  return true;
}

bool readCimDateTime(std::string_view cim, CimDateTimeC& out) {
  CimDateTimeC t;
  int32_t micro = 0;
  if (cim.size() < 23 || !readDigits(cim, 0, 4, t.year) || !readDigits(cim, 4, 2, t.month) ||
      !readDigits(cim, 6, 2, t.day) || !readDigits(cim, 8, 2, t.hour) || !readDigits(cim, 10, 2, t.minute) ||
      !readDigits(cim, 12, 2, t.second) || cim[14] != '.' || !readDigits(cim, 15, 6, micro) ||
      (cim[21] != '+' && cim[21] != '-') || !readCimOffset(cim, 22, t.offsetMinutes))
    return false;
  if (cim[21] == '-') t.offsetMinutes = -t.offsetMinutes;
  out = t;
  return true;
}
