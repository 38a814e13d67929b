#include "reg_fixture.h"

#include <cctype>
#include <sstream>

namespace config_test {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::string regText(std::initializer_list<std::string> lines) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string toWow64Layout(const std::string& regText) {
  const std::string prefixes[] = {"[HKEY_LOCAL_MACHINE\\SOFTWARE", "[-HKEY_LOCAL_MACHINE\\SOFTWARE"};
  std::istringstream in(regText);
  std::string out, line;
  while (std::getline(in, line)) {
    for (const std::string& p : prefixes) {
      const std::string head = lower(line.substr(0, p.size()));
      const char next = line.size() > p.size() ? line[p.size()] : '\0';
      if (head == lower(p) && (next == '\\' || next == ']') &&
          lower(line.substr(p.size(), 13)) != "\\wow6432node\\")
        line = line.substr(0, p.size()) + "\\WOW6432Node" + line.substr(p.size());
    }
    out += line + "\n";
  }
  return out;
}

std::vector<std::string> keysOf(const std::string& regText) {
  std::istringstream in(regText);
  std::vector<std::string> keys;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line[1] != '-' && line.back() == ']')
      keys.push_back(line.substr(1, line.size() - 2));
  }
  return keys;
}

}  // namespace config_test
