// The suite's declaration tables: the key nodes of its configuration tree
// and the registry configuration variables declared in them, as data, in
// declaration order. ConfTreeC builds the objects from them.
//
// Only what this agent and the shared keys need is declared: the variables
// of "Tarnwell", "Common", "Rules", "ReplicatorParent", the "Common" node
// below "Launcher\CurrentVersion" and "VDI Endpoint Agent\CurrentVersion".
// The other agents' variables belong in their own rows when an agent that
// reads them is built; a row is one line in conf_declarations.cpp.
#pragma once

#include <cstdint>
#include <span>

#include "config/registry/conf_var.h"

// The key nodes, in declaration order (the rows of confKeyRows() are in
// exactly this order).
enum class ConfKeyE : int32_t {
  kSoftwareTarnwellCorp,
  kTarnwell,
  kCommon,
  kInstallKeys,
  kRules,
  kUploadSettings,
  kReplicatorParent,
  kDownloadSettings,
  kLauncher,
  kLauncherCommon,
  kTrustedLocations,
  kExcludedLocations,
  kSymbols,
  kNetSelector,
  kPolicyClient,
  kScheduleAgent,
  kTracker,
  kDownloader,
  kUploader,
  kRemoteExecution,
  kUsageAgent,
  kVdiEndpointAgent,
  kSelector,
  kSecurityService,
  kSecurityAgent,
  kSystemStatusAgent,
  kCount,
  kNone = -1,
};

struct ConfKeyRowC {
  ConfKeyE key;
  ConfKeyE parent;         // kNone for a top node
  const char* name;        // may hold backslashes
  const char* legacyName;  // null: the name is the same in the older layout
  const char* attribute;   // "Exclude", "CopyAll" or null
  bool isHiveRoot;
};

struct ConfVarRowC {
  ConfKeyE key;
  ConfVarC::TypeCode type;
  const char* name;
  uint32_t flags;
  const char* text;      // kString: the default (null: empty)
  int32_t number;        // kBoolean: 0 or 1; kInt32: the default
  int32_t minimum;       // kInt32 only
  int32_t maximum;       // kInt32 only
  const char* overrideName;
  const char* envName;
  const char* attribute;
};

// The alternate-hive readers' key and value names.
inline constexpr const char* kAltHiveKeyPath = "Software\\Tarnwell Corp\\Tarnwell\\Common";
inline constexpr const char* kUserAltHiveValue = "UserAlternateRegistryHive";
inline constexpr const char* kMachineAltHiveValue = "MachineAlternateRegistryHive";

std::span<const ConfKeyRowC> confKeyRows();
// Grouped by key node, in the nodes' order.
std::span<const ConfVarRowC> confVarRows();
