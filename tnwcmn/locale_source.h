// Where the locale service gets its facts: the user's or system's locale
// settings on Windows, the environment's locale variables on Linux.
#pragma once

#include <string>

namespace tnw::locale_source {

struct Facts {
  std::string language;     // ISO 639-1, lower case: "en"
  std::string alternative;  // ISO 639-2, lower case: "eng"
  std::string region;       // ISO 3166-1, upper case: "US"
};

// which: 1 the system's locale, 2 the user's.
Facts read(int which);

// ISO 639-2 (terminology) form of a two-letter code; the code itself when
// the table lacks it.
std::string alternativeOf(const std::string& language);

}  // namespace tnw::locale_source
