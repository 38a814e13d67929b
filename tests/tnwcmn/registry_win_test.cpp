// The real registry through the service, as the plug-in reaches it under
// Windows (and Wine).
#include <gtest/gtest.h>

#include "service_text.h"
#include "test_support.h"
#include "tnwcmn/tnwcmn.h"

namespace {

TEST(RegistryWin, ReadsEnumeratesAndReportsMissingValues) {
  const char* key = "SOFTWARE\\Tarnwell Test\\Registry";
  test_support::setMachineString(key, "Name", "value \xC3\xA9");
  test_support::setMachineString(std::string(key) + "\\Sub", "X", "1");
  tnw::RegistryServiceI* reg = TnwRegistryContext(1)->service();

  tnw::TextI* out = nullptr;
  ASSERT_EQ(reg->readText(tnw::kHKeyLocalMachine, t(key), t("name"), &out), tnw::kOk);
  EXPECT_EQ(take(out), "value \xC3\xA9");
  EXPECT_EQ(reg->valueExists(tnw::kHKeyLocalMachine, t(key), t("Missing"), 0, 0), tnw::kRegNotFound);
  EXPECT_EQ(reg->valueExists(tnw::kHKeyLocalMachine, t("SOFTWARE\\No Such Key"), t("x"), 0, 0), tnw::kRegNotFound);

  tnw::RegKey k = 0;
  ASSERT_EQ(reg->openKey(tnw::kHKeyLocalMachine, t(key), tnw::kKeyRead, &k), tnw::kOk);
  tnw::TextI* name = nullptr;
  ASSERT_EQ(reg->enumSubKey(k, 0, &name), tnw::kOk);
  EXPECT_EQ(take(name), "Sub");
  EXPECT_EQ(reg->enumSubKey(k, 1, &name), tnw::kNoMoreItems);
  uint32_t type = 0;
  ASSERT_EQ(reg->enumValue(k, 0, &name, &type), tnw::kOk);
  EXPECT_EQ(take(name), "Name");
  EXPECT_EQ(type, 1u);
  tnw::RegKey sub = 0;
  ASSERT_EQ(reg->openSubKey(k, t("Sub"), &sub), tnw::kOk);
  ASSERT_EQ(reg->readText(sub, t(""), t("X"), &out), tnw::kOk);
  EXPECT_EQ(take(out), "1");
  EXPECT_EQ(reg->closeKey(sub), tnw::kOk);
  EXPECT_EQ(reg->closeKey(k), tnw::kOk);
  EXPECT_EQ(take(reg->rootName(tnw::kHKeyCurrentUser)), "HKEY_CURRENT_USER");
  test_support::removeMachineKey("SOFTWARE\\Tarnwell Test");
}

}  // namespace
