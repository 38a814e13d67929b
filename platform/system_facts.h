// Facts about this machine and its user that the preferences' built-in
// variables need: names, domains, folders, the environment, the processor.
// Texts are UTF-8. Calls that can fail return 0 or a Win32 code (platform/
// win32_error.h) and leave `out` untouched on failure; queries whose only
// failure is "not there" answer a bool. Any thread; nothing is cached here.
//
// Windows answers with the real API. Linux emulates a Windows machine: the
// computer name is the host name, the user is the effective user of the
// process, and folders that Windows would report are Windows-like paths
// under C: (which platform/path.h maps into the machine root).
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32_error.h"

namespace platform {

// GetComputerNameW: the NetBIOS name. Linux: the host name up to its first
// dot, in upper case as Windows reports it.
uint32_t computerName(std::string& out);
// GetComputerNameExW(ComputerNamePhysicalDnsFullyQualified). Linux: the
// host name as gethostname gives it. The DNS may be asked on Windows, so
// callers read this lazily.
uint32_t computerDnsName(std::string& out);
// GetComputerNameExW(ComputerNameDnsDomain): "" on a machine outside a
// domain. Linux: what follows the first dot of the host name, else the NIS
// domain name unless it is unset ("(none)"), else "".
uint32_t computerDomain(std::string& out);
// GetUserNameW. Linux: the effective user's name (getpwuid), or $USER when
// the user database has no entry; kErrorFileNotFound when neither exists.
uint32_t userName(std::string& out);
// Whether the user belongs to the local Administrators group (Linux: the
// effective user is root).
bool userIsAdmin();
// Whether the process runs as the local system account (Linux: as root).
bool userIsSystem();

// GetEnvironmentVariableW: false when the variable is not set.
bool environmentVariable(const char* name, std::string& out);

// GetSystemDirectoryW, GetSystemWow64DirectoryW (on a 32-bit Windows the
// system directory), GetTempPathW without its trailing separator. Linux:
// the Windows directory of platform/module.h followed by "\system32"; the
// same for the x86 folder; $TEMP or $TMP when it is a Windows path (drive
// letter), else "C:\TEMP". The module file name, the Windows directory and
// the system's version are in platform/module.h.
uint32_t systemDirectory(std::string& out);
uint32_t systemX86Directory(std::string& out);
uint32_t tempDirectory(std::string& out);

// The native processor architecture (GetNativeSystemInfo): "x86_64",
// "ia64", "i386" or "unknown".
const char* nativeArchitecture();

}  // namespace platform
