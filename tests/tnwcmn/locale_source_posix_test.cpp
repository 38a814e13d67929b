#include <gtest/gtest.h>

#include "test_support.h"
#include "tnwcmn/locale_source.h"

namespace {

TEST(LocaleSource, ReadsTheLocaleVariables) {
  struct Case {
    const char* lang;
    const char* language;
    const char* alternative;
    const char* region;
  } cases[] = {
      {"de_DE.UTF-8", "de", "deu", "DE"},
      {"fr_CA", "fr", "fra", "CA"},
      {"pt", "pt", "por", ""},
      {"C", "en", "eng", "US"},
      {"", "en", "eng", "US"},
      {"sr_RS@latin", "sr", "srp", "RS"},
  };
  test_support::unsetEnv("LC_ALL");
  test_support::unsetEnv("LC_MESSAGES");
  for (const auto& c : cases) {
    test_support::setEnv("LANG", c.lang);
    const auto f = tnw::locale_source::read(2);
    EXPECT_EQ(f.language, c.language) << c.lang;
    EXPECT_EQ(f.alternative, c.alternative) << c.lang;
    EXPECT_EQ(f.region, c.region) << c.lang;
  }
  test_support::unsetEnv("LANG");
}

}  // namespace
