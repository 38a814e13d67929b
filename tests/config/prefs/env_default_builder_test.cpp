// The built-in variables, the static default table over them, and the
// declared defaults of the agent's section.
#include <gtest/gtest.h>

#include <string>

#include "config/prefs/env_declared_defaults.h"
#include "config/prefs/env_default_builder.h"
#include "config/prefs/env_msw_preferences.h"
#include "platform/process.h"
#include "platform/system_facts.h"
#include "reg_fixture.h"

namespace {

using namespace config_test;

StringC S(const std::string& utf8) { return StringC::fromUtf8(utf8); }

class DefaultBuilder : public ::testing::Test {
 protected:
  std::string read(const char* name) { return prefs.value(S(name)).toUtf8(); }
  std::string raw(const char* name) {
    StringC out;
    prefs.get(out, S(name), false);
    return out.toUtf8();
  }

  RegFixtureC registry;
  env_EnvironmentC env;
  EnvPreferencesC prefs{&env};
};

TEST_F(DefaultBuilder, IdentityComesFromTheSystem) {
  env_EnvDefaultBuilderC().build(prefs);
  std::string computer, user, domain;
  ASSERT_EQ(platform::computerName(computer), 0u);
  ASSERT_EQ(platform::userName(user), 0u);
  platform::computerDomain(domain);
  EXPECT_EQ(read("ComputerName"), computer);
  EXPECT_FALSE(computer.empty());
  EXPECT_EQ(read("UserName"), user);
  EXPECT_EQ(read("PID"), std::to_string(platform::processId()));
  EXPECT_EQ(read("URLComputerDomain"), domain + "_domain/");
  EXPECT_EQ(read("Architecture"), platform::nativeArchitecture());
  EXPECT_EQ(read("WinNT"), "True");
  EXPECT_FALSE(read("ComputerDNSName").empty());
}

TEST_F(DefaultBuilder, TheStaticTableComesLast) {
  env_EnvDefaultBuilderC().build(prefs);
  EXPECT_EQ(read("TempDirectory"), "C:\\TEMP");
  EXPECT_EQ(read("ProgramPath"), "C:\\PROGRA~1\\QUORBIT\\LAUNCHER");
  EXPECT_EQ(read("OS"), "unknown");
  EXPECT_EQ(read("LogFile"), "C:\\TEMP\\Tarnwell\\launcher.log");
  EXPECT_EQ(read("PostponePath"), "C:\\PROGRA~1\\QUORBIT\\LAUNCHER\\tnwpostpone.exe");
}

// A machine's own registry holds these folders (Windows does, and Wine's
// prefix), so the values whose absence is the point are deleted for the
// test; the fixture puts them back.
TEST_F(DefaultBuilder, FoldersComeFromTheRegistryWithFallbacks) {
  registry.import(regText(
      {"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]",
       R"("AppData"="C:\\Users\\u\\AppData\\Roaming")", R"("Desktop"=-)", R"("Fonts"=-)", "",
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]",
       R"("Common AppData"="C:\\ProgramData")", R"("AppData"="C:\\not this one")", R"("Desktop"=-)",
       R"("Fonts"=-)", "", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]",
       R"x("ProgramFilesDir"="C:\\Program Files (x86)")x", R"("CommonFilesDir"=-)"}));
  env_EnvDefaultBuilderC().build(prefs);
  EXPECT_EQ(read("AppDataFolder"), "C:\\Users\\u\\AppData\\Roaming");
  EXPECT_EQ(read("CommonAppDataFolder"), "C:\\ProgramData");
  EXPECT_EQ(read("DesktopDirectory"), "");
  EXPECT_FALSE(prefs.exists(S("DesktopDirectory")));
  EXPECT_EQ(read("ProgramFilesFolder"), "C:\\Program Files (x86)");
  EXPECT_EQ(read("CommonFilesFolder"), "C:\\Program Files (x86)\\Common Files");
  EXPECT_EQ(read("FontsFolder"), "C:\\WINDOWS\\FONTS");
  EXPECT_FALSE(read("TempFolder").empty());
}

TEST_F(DefaultBuilder, SuiteDirectoriesFollowTheFolders) {
  env_EnvDefaultBuilderC().build(prefs);
  EXPECT_EQ(raw("MachineUploadDirectory"), "$(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\Common\\Uploads");
  EXPECT_EQ(raw("UserPolicyDirectory"), "$(AppDataFolder)\\Tarnwell Corp\\Tarnwell\\Policy Client\\Policies\\Merged\\User");
  EXPECT_EQ(raw("TaskDirectory"), "$(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\Schedule Agent\\Tasks");
  prefs.set(S("CommonAppDataFolder"), S("D:\\Data"), false);
  EXPECT_EQ(read("MachineUploadDirectory"), "D:\\Data\\Tarnwell Corp\\Tarnwell\\Common\\Uploads");
  prefs.set(S("MachineId"), S("PC1"), false);
  EXPECT_EQ(read("SecurityAnalysisFile"), read("UserName") + " on PC1.msa");
}

TEST_F(DefaultBuilder, AFixedSuiteDirectoryIsKept) {
  prefs.set(S("UserUploadDirectoryFixed"), S("True"), true);
  prefs.set(S("UserUploadDirectory"), S("E:\\up"), true);
  env_EnvDefaultBuilderC().build(prefs);
  EXPECT_EQ(read("UserUploadDirectory"), "E:\\up");
}

TEST_F(DefaultBuilder, DeclaredDefaultsAreSeededBeneathTheRegistry) {
  registry.import(regText({"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\CurrentVersion]",
                           R"("LogLevel"="G0-3")"}));
  env_EnvDefaultBuilderC().build(prefs);
  prefs.set(S("LogFileOldFixed"), S("True"), true);
  seedDeclaredDefaults(prefs, ConfKeyE::kVdiEndpointAgent,
                       {"VDIDirectory", "LogFile", "LogFileOld", "LogFileSize", "LogLevel", "NotDeclared"});
  EXPECT_EQ(raw("VDIDirectory"), "$(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\VDI Endpoint Agent\\VDIData");
  EXPECT_EQ(read("LogFile"), "C:\\TEMP\\Tarnwell\\vdi.log");
  EXPECT_EQ(read("LogFileOld"), "C:\\TEMP\\Tarnwell\\launcher.old");  // fixed: the table's
  EXPECT_EQ(read("LogFileSize"), "4000000");
  EXPECT_FALSE(prefs.exists(S("NotDeclared")));
  EnvMSWPreferencesC(&env, &prefs).loadComponent(S("VDIEndpointAgent"), true, S(",;"));
  EXPECT_EQ(read("LogLevel"), "G0-3");
  StringC flag;
  EXPECT_TRUE(declaredDefault(ConfKeyE::kVdiEndpointAgent, "EnableVirtAppUsageTracking", flag));
  EXPECT_EQ(flag.toUtf8(), "True");
}

}  // namespace
