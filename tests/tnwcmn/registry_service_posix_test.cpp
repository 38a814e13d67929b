// The Linux registry service over .reg files, through the exported
// functions as the plug-in reaches them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "service_text.h"
#include "test_support.h"
#include "tnwcmn/tnwcmn.h"

namespace {

class RegistryService : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::setEnv("TNW_MACHINE_ROOT", dir.path());
    test_support::writeFile(dir.file("registry/10-citrix.reg"),
                            "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\ICA\\Session]\r\n"
                            "\"ClientName\"=\"THIN-64\"\r\n"
                            "\"Port\"=dword:00000599\r\n"
                            "\"Names\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Citrix\\ICA\\Session]\r\n"
                            "\"ClientName\"=\"THIN-32\"\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\Policy\\Zeta]\r\n"
                            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\Policy\\alpha]\r\n");
    reg = TnwRegistryContext(1)->service();
  }
  void TearDown() override { test_support::unsetEnv("TNW_MACHINE_ROOT"); }

  std::string read(tnw::RegKey root, const char* key, const char* name, tnw::Status* status = nullptr) {
    tnw::TextI* out = nullptr;
    tnw::Status s = reg->readText(root, t(key), t(name), &out);
    if (status) *status = s;
    return s == tnw::kOk ? take(out) : "<" + std::to_string(s) + ">";
  }

  test_support::TempDirC dir;
  tnw::RegistryServiceI* reg = nullptr;
};

TEST_F(RegistryService, PredefinedRootsSeeTheThirtyTwoBitViewAndOpenedKeysChoose) {
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SOFTWARE\\Citrix\\ICA\\Session", "ClientName"), "THIN-32");
  tnw::RegKey view64 = 0;
  ASSERT_EQ(reg->openKey(tnw::kHKeyLocalMachine, t(""), 0x20119, &view64), tnw::kOk);
  EXPECT_EQ(read(view64, "SOFTWARE\\Citrix\\ICA\\Session", "clientname"), "THIN-64");
  EXPECT_EQ(read(view64, "SOFTWARE\\Citrix\\ICA\\Session", "Port"), "1433");
  EXPECT_EQ(read(view64, "SOFTWARE\\Citrix\\ICA\\Session", "Names"), "a;b");
  // A key opened below the 64-bit handle stays in that view.
  tnw::RegKey session = 0;
  ASSERT_EQ(reg->openSubKey(view64, t("SOFTWARE\\Citrix\\ICA\\Session"), &session), tnw::kOk);
  EXPECT_EQ(read(session, "", "ClientName"), "THIN-64");
  EXPECT_EQ(reg->closeKey(session), tnw::kOk);
  EXPECT_EQ(reg->closeKey(view64), tnw::kOk);
  EXPECT_NE(reg->closeKey(view64), tnw::kOk);  // closed twice
}

TEST_F(RegistryService, MissingKeysAndValuesAreNotFound) {
  EXPECT_EQ(reg->valueExists(tnw::kHKeyLocalMachine, t("SOFTWARE\\Citrix\\ICA\\Session"), t("ClientName"), 0, 0), tnw::kOk);
  EXPECT_EQ(reg->valueExists(tnw::kHKeyLocalMachine, t("SOFTWARE\\Citrix\\ICA\\Session"), t("Nope"), 0, 0), tnw::kRegNotFound);
  EXPECT_EQ(reg->valueExists(tnw::kHKeyLocalMachine, t("SOFTWARE\\Nothing"), t("x"), 0, 0), tnw::kRegNotFound);
  tnw::RegKey k = 0;
  EXPECT_EQ(reg->openKey(tnw::kHKeyLocalMachine, t("SOFTWARE\\Nothing"), tnw::kKeyRead, &k), tnw::kRegNotFound);
  EXPECT_EQ(k, 0u);
  EXPECT_EQ(take(reg->rootName(tnw::kHKeyLocalMachine)), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(take(reg->rootName(12345)), "");
}

TEST_F(RegistryService, EnumeratesSubKeysInNameOrderAndValuesWithTypes) {
  tnw::RegKey policy = 0;
  ASSERT_EQ(reg->openKey(tnw::kHKeyLocalMachine, t("SOFTWARE\\Citrix\\Policy"), tnw::kKeyRead | tnw::kKeyWow64_64, &policy),
            tnw::kOk);
  std::vector<std::string> names;
  tnw::TextI* name = nullptr;
  for (uint32_t i = 0; reg->enumSubKey(policy, i, &name) == tnw::kOk; ++i) names.push_back(take(name));
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Zeta"}));
  reg->closeKey(policy);

  tnw::RegKey session = 0;
  ASSERT_EQ(reg->openKey(tnw::kHKeyLocalMachine, t("SOFTWARE\\Citrix\\ICA\\Session"), tnw::kKeyWow64_64, &session), tnw::kOk);
  std::vector<std::pair<std::string, uint32_t>> values;
  uint32_t type = 0;
  uint32_t i = 0;
  for (; reg->enumValue(session, i, &name, &type) == tnw::kOk; ++i) values.emplace_back(take(name), type);
  EXPECT_EQ(reg->enumValue(session, i, &name, &type), tnw::kNoMoreItems);
  EXPECT_EQ(values, (std::vector<std::pair<std::string, uint32_t>>{{"ClientName", 1}, {"Port", 4}, {"Names", 7}}));

  tnw::TextI* items[2] = {nullptr, nullptr};
  int32_t count = 0;
  EXPECT_EQ(reg->readMultiString(session, t(""), t("Names"), items, 1, &count), tnw::kMoreData);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(reg->readMultiString(session, t(""), t("Names"), items, 2, &count), tnw::kOk);
  EXPECT_EQ(take(items[0]), "a");
  EXPECT_EQ(take(items[1]), "b");
  reg->closeKey(session);
}

TEST_F(RegistryService, AChangedFileIsReloaded) {
  tnw::RegKey view64 = 0;
  ASSERT_EQ(reg->openKey(tnw::kHKeyLocalMachine, t(""), 0x20119, &view64), tnw::kOk);
  EXPECT_EQ(read(view64, "SOFTWARE\\New", "V"), "<" + std::to_string(tnw::kRegNotFound) + ">");
  test_support::writeFile(dir.file("registry/20-new.reg"),
                          "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]\n\"V\"=\"1\"\n");
  EXPECT_EQ(read(view64, "SOFTWARE\\New", "V"), "1");  // the open handle sees the new store
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  test_support::writeFile(dir.file("registry/20-new.reg"),
                          "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]\n\"V\"=\"22\"\n");
  EXPECT_EQ(read(view64, "SOFTWARE\\New", "V"), "22");
  reg->closeKey(view64);
}

// A registry folder that has not changed for a while is not listed again on
// every query; a file added to it or taken away is still seen at once.
TEST_F(RegistryService, ASettledFolderStillShowsFilesAddedAndRemoved) {
  const auto backdate = [&] {
    std::filesystem::last_write_time(dir.path() + "/registry",
                                     std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5));
  };
  backdate();
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SOFTWARE\\Citrix\\ICA\\Session", "ClientName"), "THIN-32");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SOFTWARE\\Added", "V"), "<" + std::to_string(tnw::kRegNotFound) + ">");
  test_support::writeFile(dir.file("registry/20-added.reg"),
                          "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Added]\n"
                          "\"V\"=\"1\"\n");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SOFTWARE\\Added", "V"), "1");
  backdate();
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SOFTWARE\\Added", "V"), "1");
  std::filesystem::remove(dir.path() + "/registry/20-added.reg");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SOFTWARE\\Added", "V"), "<" + std::to_string(tnw::kRegNotFound) + ">");
}

TEST_F(RegistryService, Regedit4FilesAreReadInTheCodePageTheMachineRootNames) {
  test_support::setEnv("TNW_TRACE_FILE", dir.file("trace.log"));
  TnwLogService(2)->reload();
  test_support::writeFile(dir.file("registry/30-ansi.reg"), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Ansi]\r\n\"N\"=\"\xE9\"\r\n");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SYSTEM\\Ansi", "N"), "\xC3\xA9");  // none named: Windows-1252
  test_support::writeFile(dir.file("ansi-code-page"), "1251\n");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SYSTEM\\Ansi", "N"), "\xD0\xB9");
  test_support::writeFile(dir.file("ansi-code-page"), "cyrillic\n");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SYSTEM\\Ansi", "N"), "\xC3\xA9");
  const std::string trace = test_support::readFile(dir.file("trace.log"));
  EXPECT_NE(trace.find("Configuring/Registry/Load: " + dir.path() +
                       "/ansi-code-page:1: \"cyrillic\" is not a code page number; 1252 is used\n"),
            std::string::npos)
      << trace;
  test_support::unsetEnv("TNW_TRACE_FILE");
  TnwLogService(2)->reload();
}

TEST_F(RegistryService, RemoteMachineHasItsOwnStore) {
  tnw::RegistryContextI* ctx = TnwRegistryContext(1);
  EXPECT_EQ(take(ctx->remoteMachineName()), "");
  EXPECT_EQ(ctx->remoteRoot(0), 0u);
  test_support::writeFile(dir.file("remote/farm01/registry/r.reg"),
                          "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SYSTEM\\Agent]\n\"Where\"=\"remote\"\n"
                          "[HKEY_USERS\\S-1-5-18\\Env]\n\"U\"=\"u\"\n");
  test_support::setEnv("TNW_REMOTE_MACHINE", "farm01");
  ctx->reload();
  EXPECT_EQ(take(ctx->remoteMachineName()), "farm01");
  const tnw::RegKey hklm = ctx->remoteRoot(0);
  const tnw::RegKey hku = ctx->remoteRoot(1);
  ASSERT_NE(hklm, 0u);
  EXPECT_EQ(ctx->remoteRoot(0), hklm);
  EXPECT_EQ(read(hklm, "SYSTEM\\Agent", "Where"), "remote");
  EXPECT_EQ(read(hku, "S-1-5-18\\Env", "U"), "u");
  EXPECT_EQ(read(tnw::kHKeyLocalMachine, "SYSTEM\\Agent", "Where"), "<" + std::to_string(tnw::kRegNotFound) + ">");
  test_support::unsetEnv("TNW_REMOTE_MACHINE");
  ctx->reload();
}

}  // namespace
