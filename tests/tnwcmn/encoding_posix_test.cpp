#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"
#include "tnwcmn/encoding.h"

namespace {

using tnw::encoding::Kind;

std::string encode(Kind k, const std::string& utf8) {
  std::string out;
  tnw::encoding::encode(k, utf8, out);
  return out;
}

TEST(Encoding, SystemCodePageFollowsTheLocaleOnLinux) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  test_support::setEnv("LC_ALL", "C");
  EXPECT_EQ(encode(Kind::kSystem8, "\xC3\xA9t\xC3\xA9"), "~t~");
  test_support::setEnv("LC_ALL", "C.UTF-8");
  EXPECT_EQ(encode(Kind::kSystem8, "\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
  if (saved)
    test_support::setEnv("LC_ALL", keep);
  else
    test_support::unsetEnv("LC_ALL");
}

}  // namespace
