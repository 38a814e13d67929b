#include "tnwcmn/locale_source.h"

#include <cstring>

namespace tnw::locale_source {

std::string alternativeOf(const std::string& language) {
  static const char* const table[][2] = {
      {"ar", "ara"}, {"bg", "bul"}, {"ca", "cat"}, {"cs", "ces"}, {"da", "dan"}, {"de", "deu"},
      {"el", "ell"}, {"en", "eng"}, {"es", "spa"}, {"et", "est"}, {"fi", "fin"}, {"fr", "fra"},
      {"he", "heb"}, {"hr", "hrv"}, {"hu", "hun"}, {"it", "ita"}, {"ja", "jpn"}, {"ko", "kor"},
      {"lt", "lit"}, {"lv", "lav"}, {"nb", "nob"}, {"nl", "nld"}, {"no", "nor"}, {"pl", "pol"},
      {"pt", "por"}, {"ro", "ron"}, {"ru", "rus"}, {"sk", "slk"}, {"sl", "slv"}, {"sr", "srp"},
      {"sv", "swe"}, {"th", "tha"}, {"tr", "tur"}, {"uk", "ukr"}, {"zh", "zho"},
  };
  for (const auto& row : table)
    if (language == row[0]) return row[1];
  return language;
}

}  // namespace tnw::locale_source
