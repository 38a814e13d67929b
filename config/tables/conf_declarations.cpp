#include "config/tables/conf_declarations.h"

namespace {

using K = ConfKeyE;

constexpr ConfVarRowC str(K key, const char* name, uint32_t flags, const char* text,
                          const char* attribute = nullptr) {
  return {key, ConfVarC::kString, name, flags, text, 0, 0, 0, nullptr, nullptr, attribute};
}

constexpr ConfVarRowC flag(K key, const char* name, uint32_t flags, bool value, const char* overrideName = nullptr) {
  return {key, ConfVarC::kBoolean, name, flags, nullptr, value ? 1 : 0, 0, 0, overrideName, nullptr, nullptr};
}

constexpr ConfVarRowC int32(K key, const char* name, uint32_t flags, int32_t value, int32_t minimum,
                            int32_t maximum) {
  return {key, ConfVarC::kInt32, name, flags, nullptr, value, minimum, maximum, nullptr, nullptr, nullptr};
}

constexpr ConfKeyRowC kKeys[] = {
    {K::kSoftwareTarnwellCorp, K::kNone, "SOFTWARE\\Tarnwell Corp", "SOFTWARE\\Kelvane", nullptr, true},
    {K::kTarnwell, K::kSoftwareTarnwellCorp, "Tarnwell", "Quorbit", nullptr, true},
    {K::kCommon, K::kTarnwell, "Common", nullptr, nullptr, false},
    {K::kInstallKeys, K::kCommon, "InstallKeys", nullptr, "Exclude", false},
    {K::kRules, K::kCommon, "Rules", nullptr, nullptr, false},
    {K::kUploadSettings, K::kCommon, "UploadSettings", nullptr, "CopyAll", false},
    {K::kReplicatorParent, K::kUploadSettings, "ReplicatorParent", nullptr, nullptr, false},
    {K::kDownloadSettings, K::kCommon, "DownloadSettings", nullptr, "CopyAll", false},
    {K::kLauncher, K::kTarnwell, "Launcher\\CurrentVersion", nullptr, nullptr, false},
    {K::kLauncherCommon, K::kLauncher, "Common", nullptr, nullptr, false},
    {K::kTrustedLocations, K::kLauncher, "TrustedLocations", nullptr, "CopyAll", false},
    {K::kExcludedLocations, K::kLauncher, "ExcludedLocations", nullptr, "CopyAll", false},
    {K::kSymbols, K::kLauncher, "Symbols", nullptr, "CopyAll", false},
    {K::kNetSelector, K::kTarnwell, "NetSelector\\CurrentVersion", "NetSelector\\5.0", "CopyAll", false},
    {K::kPolicyClient, K::kTarnwell, "Policy Client\\CurrentVersion", "Policy Client\\5.0", "CopyAll", false},
    {K::kScheduleAgent, K::kTarnwell, "Schedule Agent\\CurrentVersion", "Schedule Agent\\5.0", nullptr, false},
    {K::kTracker, K::kTarnwell, "Tracker\\CurrentVersion", nullptr, "CopyAll", false},
    {K::kDownloader, K::kTarnwell, "Downloader", nullptr, nullptr, false},
    {K::kUploader, K::kTarnwell, "Uploader\\CurrentVersion", "Uploader\\5.0", "CopyAll", false},
    {K::kRemoteExecution, K::kTarnwell, "RemoteExecution\\CurrentVersion", "RemoteExecution\\5.0", "CopyAll", false},
    {K::kUsageAgent, K::kTarnwell, "Usage Agent\\CurrentVersion", "Usage Agent\\5.0", "CopyAll", false},
    {K::kVdiEndpointAgent, K::kTarnwell, "VDI Endpoint Agent\\CurrentVersion", "VDI Endpoint Agent\\5.0", "CopyAll",
     false},
    {K::kSelector, K::kTarnwell, "Selector\\CurrentVersion", "Selector\\5.0", "CopyAll", false},
    {K::kSecurityService, K::kTarnwell, "Security Service\\CurrentVersion", nullptr, nullptr, false},
    {K::kSecurityAgent, K::kTarnwell, "Security Agent\\CurrentVersion", nullptr, nullptr, false},
    {K::kSystemStatusAgent, K::kTarnwell, "System Status Agent\\CurrentVersion", nullptr, nullptr, false},
};

constexpr bool keysInOrder() {
  int32_t i = 0;
  for (const ConfKeyRowC& row : kKeys) {
    if (static_cast<int32_t>(row.key) != i) return false;
    if (row.parent != K::kNone && static_cast<int32_t>(row.parent) >= i) return false;
    ++i;
  }
  return i == static_cast<int32_t>(K::kCount);
}
static_assert(keysInOrder(), "one row per key node, in ConfKeyE order, parents first");

constexpr ConfVarRowC kVariables[] = {
    str(K::kTarnwell, "ETCPInstallDir", 0xD8, nullptr, "Exclude"),
    str(K::kTarnwell, "ETCPVersion", 0xD8, nullptr, "Exclude"),
    str(K::kTarnwell, "ETDPInstallDir", 0xD8, nullptr, "Exclude"),
    str(K::kTarnwell, "ETDPVersion", 0xD8, nullptr, "Exclude"),
    str(K::kTarnwell, "InstallDir", 0xD8, nullptr, "Exclude"),

    str(K::kCommon, "MachineId", 0xDA, "$(MachineName)"),
    str(K::kCommon, "UserId", 0xDA, "$(UserName)"),
    str(K::kCommon, "BeaconUID", 0xD8, ""),
    flag(K::kCommon, "ShowIcon", 0xDA, false),
    str(K::kCommon, "UserInteractionLevel", 0xDA, "Status"),
    flag(K::kCommon, "EventLogs", 0xDA, true),
    str(K::kCommon, "ComputerDomain", 0xDA, "$(OSComputerDomain)"),
    str(K::kCommon, "UserLogonDomain", 0xDA, "$(OSUserLogonDomain)"),
    str(K::kCommon, "MachineAlternateRegistryHive", 0xDA, R"(SOFTWARE\Policies\Tarnwell Corp\Tarnwell)"),
    str(K::kCommon, "UserAlternateRegistryHive", 0xDA, R"(SOFTWARE\Policies\Tarnwell Corp\Tarnwell)"),
    flag(K::kCommon, "CheckCertificateRevocation", 0xDA, true),
    flag(K::kCommon, "CheckServerCertificate", 0xDA, true),
    flag(K::kCommon, "AnalyseMSSECURE", 0xDA, true),
    str(K::kCommon, "OfficeConvertPath", 0xDA,
        R"($(ProgramFiles)\Microsoft Baseline Security Analyser\OfficeUpd\convert.exe)"),
    flag(K::kCommon, "RerunMBSAScanAfterPolicy", 0xDA, true),
    str(K::kCommon, "OfficeInventoryPath", 0xDA,
        R"($(ProgramFiles)\Microsoft Baseline Security Analyser\OfficeUpd\inventory.exe)"),
    str(K::kCommon, "UserUploadDirectory", 0xD8, ""),
    str(K::kCommon, "MachineUploadDirectory", 0xD8, ""),
    str(K::kCommon, "UploadDirectory", 0xD8, ""),
    flag(K::kCommon, "AllowPeerToPeer", 0xDA, false),
    flag(K::kCommon, "IgnoreConnectionWindows", 0xFA, false, "IgnoreConnectionWindows"),
    str(K::kCommon, "ParentConnectionWindows", 0xDA, ""),
    str(K::kCommon, "PeerConnectionWindows", 0xDA, ""),
    int32(K::kCommon, "ParentActivityTimeout", 0xDA, 300, 0, 7200),
    int32(K::kCommon, "PolicyRefreshPeriod", 0xDA, 0, 0, 1000000000),
    int32(K::kCommon, "PolicyPackageRefreshPeriod", 0xDA, 0, 0, 1000000000),
    int32(K::kCommon, "NetworkTimeout", 0xDA, 30, 0, 2147483647),
    int32(K::kCommon, "NetworkHighUsage", 0xDA, 100, 0, 100),
    int32(K::kCommon, "NetworkLowUsage", 0xDA, 100, 0, 100),
    flag(K::kCommon, "NetworkSense", 0xDA, false),
    str(K::kCommon, "ScriptDir", 0xDA, R"($(CommonAppDataFolder)\\Tarnwell Corp\\Tarnwell\\Scripts)"),
    str(K::kCommon, "PackageDatabasePath", 0xDA, R"($(CommonAppDataFolder)\\Cache\\packagedb.cdb)"),
    str(K::kCommon, "PackageDatabaseTypes", 0xDA, ""),
    int32(K::kCommon, "MinimumDCSpeed", 0xDA, 0, 0, 1000000000),
    flag(K::kCommon, "AutoDetectDC", 0xDA, true),

    str(K::kRules, "Log", 0xDA, "$(ServerLocation)/Logs/$(MachineId) at $(Datetime)_$(GUID).log"),
    str(K::kRules, "Inventory", 0xDA,
        "$(ServerLocation)/Inventories/$(UserId) on $(MachineId) at $(DateTime) ($(Generation)).qbi"),
    str(K::kRules, "PolicyComplianceLog", 0xDA,
        "$(ServerLocation)/PolicyComplianceLogs/$(UserId) on $(MachineId) at $(DateTime).plc"),
    str(K::kRules, "ReplicateLog", 0xD8, ""),
    str(K::kRules, "UsageData", 0xDA, "$(ServerLocation)/UsageData/$(MachineId) at $(DateTime).mmi"),
    str(K::kRules, "SecurityAnalysis", 0xDA, "$(ServerLocation)/SecurityAnalysis/$(MachineId) at $(DataTime).msa"),
    str(K::kRules, "SecurityEventLog", 0xDA,
        "$(ServerLocation)/SecurityEventLogs/$(MachineId)-$(DateTime)-$(GUID).msel"),

    str(K::kReplicatorParent, "Host", 0xD8, ""),
    str(K::kReplicatorParent, "Directory", 0xD8, ""),

    str(K::kLauncherCommon, "GlobalConfigSource", 0xDA, ""),

    int32(K::kVdiEndpointAgent, "Delay", 0xDA, 60, 0, 100000),
    str(K::kVdiEndpointAgent, "LogFile", 0xDA, R"($(TempDirectory)\Tarnwell\vdi.log)"),
    str(K::kVdiEndpointAgent, "LogFileOld", 0xDA, R"($(TempDirectory)\Tarnwell\vdi.old.log)"),
    int32(K::kVdiEndpointAgent, "LogFileSize", 0xDA, 4000000, 1, 1000000000),
    str(K::kVdiEndpointAgent, "LogLevel", 0xDA, "A-z"),
    str(K::kVdiEndpointAgent, "UploadFile", 0xDA, "$(UserId) on $(MachineId) at $(DateTime)"),
    str(K::kVdiEndpointAgent, "VDIDirectory", 0xDA,
        R"($(CommonAppDataFolder)\Tarnwell Corp\Tarnwell\VDI Endpoint Agent\VDIData)"),
    str(K::kVdiEndpointAgent, "VDIExtension", 0xDA, "VDI"),
    flag(K::kVdiEndpointAgent, "EnableVirtAppUsageTracking", 0xDA, true),
};

constexpr bool variablesGroupedInKeyOrder() {
  int32_t last = 0;
  for (const ConfVarRowC& row : kVariables) {
    if (static_cast<int32_t>(row.key) < last) return false;
    last = static_cast<int32_t>(row.key);
  }
  return true;
}
static_assert(variablesGroupedInKeyOrder(), "variables are grouped by key node, in the nodes' order");

}  // namespace

std::span<const ConfKeyRowC> confKeyRows() { return kKeys; }

std::span<const ConfVarRowC> confVarRows() { return kVariables; }
