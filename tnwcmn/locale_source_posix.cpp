#include <cctype>
#include <cstdlib>

#include "tnwcmn/locale_source.h"
#include "tnwcmn/os.h"

namespace tnw::locale_source {

Facts read(int /*which: Linux has one locale for both*/) {
  std::string name;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    name = os::env(var);
    if (!name.empty()) break;
  }
  // language[_REGION][.charset][@modifier]
  name = name.substr(0, name.find_first_of(".@"));
  Facts f;
  const size_t sep = name.find_first_of("_-");
  std::string lang = name.substr(0, sep);
  std::string region = sep == std::string::npos ? std::string() : name.substr(sep + 1);
  bool letters = !lang.empty();
  for (char c : lang) letters = letters && std::isalpha(static_cast<unsigned char>(c));
  if (!letters || lang == "C" || lang == "POSIX") {
    lang = "en";
    region = "US";
  }
  for (char& c : lang) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : region) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  f.language = lang;
  f.alternative = alternativeOf(lang);
  f.region = region;
  return f;
}

}  // namespace tnw::locale_source
