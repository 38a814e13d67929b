#include "config/prefs/env_default_builder.h"

#include <memory>
#include <string>

#include "config/tables/static_defaults.h"
#include "platform/module.h"
#include "platform/process.h"
#include "platform/system_facts.h"
#include "runtime/services/common_services.h"
#include "runtime/strings/arg_list.h"

namespace {

StringC s(const char* utf8) { return StringC::fromUtf8(utf8); }
StringC s(const std::string& utf8) { return StringC::fromUtf8(utf8); }

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

struct FolderRowC {
  const char* variable;
  const char* value;
};

constexpr FolderRowC kShellFolderRows[] = {
    {"CommonAppDataFolder", "Common AppData"},
    {"DesktopFolder", "Desktop"},
    {"ProgramMenuFolder", "Programs"},
    {"PersonalFolder", "Personal"},
    {"FavoritesFolder", "Favorites"},
    {"StartupFolder", "Startup"},
    {"RecentFolder", "Recent"},
    {"SendToFolder", "SendTo"},
    {"StartMenuFolder", "Start Menu"},
    {"DesktopDirectory", "Desktop"},
    {"NethoodFolder", "NetHood"},
    {"FontsFolder", "Fonts"},
    {"TemplateFolder", "Templates"},
    {"CommonStartMenuFolder", "Common Start Menu"},
    {"CommonProgramMenuFolder", "Common Programs"},
    {"CommonStartupFolder", "Common Startup"},
    {"CommonDesktopDirectory", "Common Desktop"},
    {"AppDataFolder", "AppData"},
    {"PrinthoodFolder", "PrintHood"},
    {"LocalAppDataFolder", "Local AppData"},
    {"CommonFavoritesFolder", "Common Favorites"},
    {"InternetCacheFolder", "Cache"},
    {"CookiesFolder", "Cookies"},
    {"HistoryFolder", "History"},
    {"MyPicturesFolder", "My Pictures"},
    {"CommonTemplatesFolder", "Common Templates"},
    {"CommonDocumentsFolder", "Common Documents"},
    {"CommonAdminToolsFolder", "Common Administrative Tools"},
    {"AdminToolsFolder", "Administrative Tools"},
};

// Suite directories: variable, base ('M' machine, 'U' user, 0 as written), text.
struct SuiteRowC {
  const char* variable;
  char base;
  const char* text;
};

constexpr SuiteRowC kSuiteRows[] = {
    {"MachineUploadDirectory", 'M', "\\Common\\Uploads"},
    {"UserUploadDirectory", 'U', "\\Common\\Uploads"},
    {"MachineZeroTouchDirectory", 'M', "\\Tracker\\ZeroTouch"},
    {"UserZeroTouchDirectory", 'U', "\\Tracker\\ZeroTouch"},
    {"MachineInventoryDirectory", 'M', "\\Tracker\\Inventories"},
    {"UserInventoryDirectory", 'U', "\\Tracker\\Inventories"},
    {"TaskDirectory", 0, "$(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\Schedule Agent\\Tasks"},
    {"UserTaskDirectory", 'U', "\\Schedule Agent\\Tasks"},
    {"MachineScheduleDirectory", 'M', "\\Schedule Agent\\Schedules"},
    {"UserScheduleDirectory", 'U', "\\Schedule Agent\\Schedules"},
    {"MachinePolicyDirectory", 'M', "\\Policy Client\\Policies\\Merged\\Machine"},
    {"UserPolicyDirectory", 'U', "\\Policy Client\\Policies\\Merged\\User"},
    {"MachinePolicyPackageDirectory", 'M', "\\Policy Client\\Packages"},
    {"UserPolicyPackageDirectory", 'U', "\\Policy Client\\Packages"},
    {"MachineComplianceDirectory", 'M', "\\Policy Client\\Policy Compliance Logs"},
    {"UserComplianceDirectory", 'U', "\\Policy Client\\Policy Compliance Logs"},
    {"MachineSecurityAnalysisDirectory", 'M', "\\Security Agent\\Security Analysis"},
    {"SecurityAnalysisFile", 0, "$(UserName) on $(MachineId).msa"},
};

class DnsNameC final : public env_FunctionI {
 public:
  StringC compute() override {
    std::string name;
    return platform::computerDnsName(name) == 0 ? s(name) : StringC();
  }
};

std::string fact(uint32_t (*get)(std::string&), const char* fallback) {
  std::string v;
  return get(v) == 0 && !v.empty() ? v : std::string(fallback);
}

std::string env(const char* name) {
  std::string v;
  return platform::environmentVariable(name, v) ? v : std::string();
}

std::string folderOf(const std::string& path) {
  const size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? path : path.substr(0, at);
}

}  // namespace

env_EnvDefaultBuilderC::env_EnvDefaultBuilderC(tnw::RegistryServiceI* registry)
    : registry_(registry ? registry : common_services::registryService()) {}

void env_EnvDefaultBuilderC::store(const char* name, const StringC& value) {
  // A fixed variable keeps its value: the builder runs again at every reload,
  // after the registry fixed it.
  if (prefs_->isFixed(s(name))) return;
  prefs_->environment()->param(s(name), false)->set(value);
}

StringC env_EnvDefaultBuilderC::registryText(tnw::RegKey root, const char* keyPath, const char* name, uint32_t view) {
  tnw::RegKey key = 0;
  if (registry_->openKey(root, s(keyPath).newRef(), tnw::kKeyRead | view, &key) != tnw::kOk || !key) return StringC();
  tnw::TextI* text = nullptr;
  const tnw::Status status = registry_->readText(key, StringC().newRef(), s(name).newRef(), &text);
  registry_->closeKey(key);
  const StringC out = StringC::adopt(text);
  return status == tnw::kOk ? out : StringC();
}

void env_EnvDefaultBuilderC::build(EnvPreferencesC& prefs) {
  prefs_ = &prefs;
  const std::string module = platform::moduleFileName(platform::moduleContaining(reinterpret_cast<const void*>(&folderOf)));
  if (!module.empty()) store("ProgramPath", s(folderOf(module)));
  store("PID", s("%1$lu").format(ArgListC::of(static_cast<unsigned long>(platform::processId()))));

  const platform::OsVersionC os = platform::osVersion();
  store("WinNT", s("True"));
  store("Win95", s("False"));
  store("Win31", s("False"));
  store("OSVersionNumber", s("%1$d.%2$d").format(ArgListC::of(static_cast<int32_t>(os.major),
                                                                static_cast<int32_t>(os.minor))));
  identity();
  shellFolders();
  systemFolders();
  store("Architecture", s(platform::nativeArchitecture()));
  suiteDirectories();
  for (const StaticDefaultRowC& row : staticDefaultRows()) store(row.name, s(row.text));
  prefs_ = nullptr;
}

void env_EnvDefaultBuilderC::identity() {
  const std::string computer = fact(platform::computerName, "");
  store("ComputerName", s(computer));
  prefs_->environment()->store(s("ComputerDNSName"), std::make_unique<env_FunCacheStringC>(std::make_shared<DnsNameC>()));
  const std::string computerDomain = fact(platform::computerDomain, "");
  store("ComputerNTDomain", s(computerDomain));
  store("OSComputerDomain", s(computerDomain));
  std::string userDomain = env("USERDOMAIN");
  if (userDomain.empty()) userDomain = computer;
  store("UserNTDomain", s(userDomain));
  store("UserDomain", s(userDomain));
  store("UserName", s(fact(platform::userName, "")));
  store("AdminUser", s(platform::userIsAdmin() ? "True" : "False"));
  store("SystemUser", s(platform::userIsSystem() ? "True" : "False"));
  const std::string dnsDomain = env("USERDNSDOMAIN");
  store("OSUserLogonDomain", s(dnsDomain.empty() ? userDomain : dnsDomain));
  const std::string logonServer = env("LOGONSERVER");
  store("LogonServer", s(logonServer.empty() ? "\\\\" + computer : logonServer));
}

void env_EnvDefaultBuilderC::shellFolders() {
  for (const FolderRowC& row : kShellFolderRows) {
    StringC v = registryText(tnw::kHKeyCurrentUser, kShellFolders, row.value, 0);
    if (v.isEmpty()) v = registryText(tnw::kHKeyLocalMachine, kShellFolders, row.value, 0);
    if (!v.isEmpty()) store(row.variable, v);
  }
}

void env_EnvDefaultBuilderC::systemFolders() {
  const std::string windows = platform::windowsDirectory();
  store("WindowsFolder", s(windows.empty() ? "C:\\WINDOWS" : windows));
  store("SystemFolder", s(fact(platform::systemDirectory, "C:\\WINDOWS\\SYSTEM")));
  store("SystemX86Folder", s(fact(platform::systemX86Directory, "C:\\WINDOWS\\SYSTEM")));
  if (prefs_->isEmpty(s("FontsFolder"))) store("FontsFolder", s("C:\\WINDOWS\\FONTS"));

  // The 32-bit view answers for this process's own folders; the 64-bit
  // view, where there is one, for the native ones.
  auto read = [this](const char* name, uint32_t view) {
    return registryText(tnw::kHKeyLocalMachine, kCurrentVersion, name, view);
  };
  auto either = [](const StringC& a, const StringC& b) { return a.isEmpty() ? b : a; };
  const StringC programFiles = either(read("ProgramFilesDir", 0), s("C:\\PROGRA~1"));
  const StringC programFiles64 = read("ProgramFilesDir", tnw::kKeyWow64_64);
  const StringC programFilesX86 = either(read("ProgramFilesDir (x86)", tnw::kKeyWow64_64), programFiles);
  const StringC native = either(programFiles64, programFiles);
  store("ProgramFilesFolder", programFiles);
  store("ProgramFilesX64Folder", programFiles64);
  store("ProgramFilesX86Folder", programFilesX86);
  store("ProgramFilesNativeFolder", native);
  store("ProgramFilesWow64Folder", programFiles64.isEmpty() ? StringC() : programFilesX86);

  const StringC commonFiles = either(read("CommonFilesDir", 0), programFiles + s("\\Common Files"));
  const StringC commonFiles64 = read("CommonFilesDir", tnw::kKeyWow64_64);
  const StringC commonFilesX86 = either(read("CommonFilesDir (x86)", tnw::kKeyWow64_64), commonFiles);
  store("CommonFilesFolder", commonFiles);
  store("CommonFilesX64Folder", commonFiles64);
  store("CommonFilesX86Folder", commonFilesX86);
  store("CommonFilesNativeFolder", either(commonFiles64, commonFiles));
  store("CommonFilesWow64Folder", commonFiles64.isEmpty() ? StringC() : commonFilesX86);

  std::string profile = env("USERPROFILE");
  if (profile.empty()) profile = "C:\\Users\\" + fact(platform::userName, "Default");
  store("ProfileFolder", s(profile));
  store("TempFolder", s(fact(platform::tempDirectory, "C:\\TEMP")));
}

void env_EnvDefaultBuilderC::suiteDirectories() {
  const StringC machine = s("$(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell");
  const StringC user = s("$(AppDataFolder)\\Tarnwell Corp\\Tarnwell");
  for (const SuiteRowC& row : kSuiteRows) {
    const StringC base = row.base == 'M' ? machine : row.base == 'U' ? user : StringC();
    prefs_->set(s(row.variable), base + s(row.text), false);
  }
  tnw::LocaleI* locale = common_services::localeService()->locale(2);
  if (locale) prefs_->set(s("Language"), StringC::adopt(locale->language()), false);
  prefs_->set(s("Locale"), StringC::adopt(common_services::textProvider()->text(1)), false);
}
