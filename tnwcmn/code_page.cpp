#include "tnwcmn/code_page.h"

#include <algorithm>

namespace tnw::codepage {

uint32_t parseNamed(std::string_view text, const std::string& fileName, std::vector<std::string>& problems) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  auto refuse = [&](const std::string& what) {
    problems.push_back(fileName + ":1: " + what + "; " + std::to_string(kWindows1252) + " is used");
    return kWindows1252;
  };
  if (text.empty()) return refuse("no code page number");
  // Code page numbers have at most five digits; the bound also keeps the
  // sum below from overflowing.
  const bool digits = text.size() <= 5 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) {
    // Shown printable and short: the report is one line of valid text.
    std::string shown(text.substr(0, 40));
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
    if (text.size() > 40) shown += "...";
    return refuse("\"" + shown + "\" is not a code page number");
  }
  uint32_t number = 0;
  for (char c : text) number = number * 10 + static_cast<uint32_t>(c - '0');
  if (!known(number)) return refuse("code page " + std::to_string(number) + " cannot be decoded here");
  return number;
}

}  // namespace tnw::codepage
