#include "config/tables/static_defaults.h"

namespace {

constexpr StaticDefaultRowC kDefaults[] = {
    {"NetworkTimeout", "30"},
    {"LogLevel", "A-z"},
    {"LogModules", "default"},
    {"LogType", "Auto"},
    {"LogFile", R"($(TempDirectory)\Tarnwell\launcher.log)"},
    {"LogFile", R"($(TempDirectory)\Tarnwell\launcher.log)"},
    {"LogFileOld", R"($(TempDirectory)\Tarnwell\launcher.old)"},
    {"LogFileSize", "4000000"},
    {"OS", "unknown"},
    {"OSVERSION", "0,0,0,0"},
    {"OSNAMES", "$(OS)"},
    {"TempDirectory", R"(C:\TEMP)"},
    {"WinDirectory", R"(C:\WINDOWS)"},
    {"SysDirectory", R"(C:\WINDOWS\SYSTEM)"},
    {"FontDirectory", R"(C:\WINDOWS\FONTS)"},
    {"ProgramPath", R"(C:\PROGRA~1\QUORBIT\LAUNCHER)"},
    {"ProgramFiles", R"(C:\PROGRA~1)"},
    {"TEMP", R"(C:\TEMP)"},
    {"WIN", R"(C:\WINDOWS)"},
    {"SYS", R"(C:\WINDOWS\SYSTEM)"},
    {"PROGFILES", R"(C:\PROGRA~1)"},
    {"ComputerDomain", "$(OSComputerDomain)"},
    {"UserLogonDomain", "$(OSUserLogonDomain)"},
    {"URLComputerDomain", "$(ComputerDomain)_domain/"},
    {"URLUserLogonDomain", "$(UserLogonDomain)_domain/"},
    {"PackageDatabasePath", R"($(CommonAppDataFolder)\cache\packagedb.cdb)"},
    {"PostponePath", R"($(ProgramPath)\tnwpostpone.exe)"},
};

}  // namespace

std::span<const StaticDefaultRowC> staticDefaultRows() { return kDefaults; }
