#include "config/tables/component_table.h"

#include "runtime/strings/hash_map.h"
#include "platform/library_objects.h"

namespace {

constexpr ComponentRowC kComponents[] = {
    {"Root", ""},
    {"Common", R"(\Common)"},
    {"Rules", R"(\Common\Rules)"},
    {"CommonDownloadSettings", R"(\Common\DownloadSettings)"},
    {"CommonUploadSettings", R"(\Common\UploadSettings)"},
    {"CommonRun", R"(\Common\Run)"},
    {"CommonRunOnce", R"(\Common\RunOnce)"},
    {"Relaunch", R"(\Relaunch\CurrentVersion)"},
    {"ListeningAgent", R"(\Listening Agent\CurrentVersion)"},
    {"MasterService", R"(\Master Service\CurrentVersion)"},
    {"InstallationAgent", R"(\Launcher\CurrentVersion)"},
    {"InventoryAgent", R"(\Tracker\CurrentVersion)"},
    {"UsageAgent", R"(\Usage Agent\CurrentVersion)"},
    {"VDIEndpointAgent", R"(\VDI Endpoint Agent\CurrentVersion)"},
    {"SchedulingAgent", R"(\Schedule Agent\CurrentVersion)"},
    {"PolicyAgent", R"(\Policy Client\CurrentVersion)"},
    {"PolicySDK", R"(\Policy SDK\CurrentVersion)"},
    {"UploadingAgent", R"(\Uploader\CurrentVersion)"},
    {"SelectionAgent", R"(\Selector\CurrentVersion)"},
    {"FailoverPlugin", R"(\NetSelector\CurrentVersion)"},
    {"DistributionAgent", R"(\Replication Agent\CurrentVersion)"},
    {"DistributionLocations", R"(\DeploymentLocations\CurrentVersion)"},
    {"WarehousePolicy", R"(\Policy\CurrentVersion)"},
    {"WarehousePolicyDistributor", R"(\Policy Distributor\CurrentVersion)"},
    {"WarehousePolicyMigrator", R"(\Policy Migrator\CurrentVersion)"},
    {"SecurityAgent", R"(\Security Agent\CurrentVersion)"},
    {"SecurityService", R"(\Security Service\CurrentVersion)"},
    {"RemoteExecution", R"(\RemoteExecution\CurrentVersion)"},
    {"PackageRetriever", R"(\PackageRetriever\CurrentVersion)"},
};

const StringMapM<StringC>& componentMap() {
  // Kept until the library's unload: it may be asked from static
  // destructors.
  static const StringMapM<StringC>* map = [] {
    auto* m = platform::library_objects::keep(new StringMapM<StringC>);
    for (const ComponentRowC& row : kComponents) m->insert(StringC::fromUtf8(row.component), StringC::fromUtf8(row.keySuffix));
    return m;
  }();
  return *map;
}

}  // namespace

std::span<const ComponentRowC> componentRows() { return kComponents; }

StringC componentKeySuffix(const StringC& component) {
  auto found = componentMap().find(component);
  return found.valid() ? found.value() : StringC();
}
