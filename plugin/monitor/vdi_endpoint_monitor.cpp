#include "plugin/monitor/vdi_endpoint_monitor.h"

#include "collect/info/agent_trace.h"
#include "config/prefs/env_preferences.h"
#include "config/registry/conf_var_boolean.h"
#include "config/tables/conf_tree.h"

VDIEndpointMonitor::VDIEndpointMonitor() { kAgentModule.trace("Constructing VDIEndpointMonitor"); }

VDIEndpointMonitor::~VDIEndpointMonitor() { kAgentModule.trace("Destroying VDIEndpointMonitor"); }

bool VDIEndpointMonitor::initialise() {
  EnvPreferencesC preferences;
  enabled_ = !preferences.getBoolean(StringC::fromUtf8("Disabled"), false);
  return true;
}

bool VDIEndpointMonitor::collectAll(CitrixVDIEndpointInfo& citrix, AppVBubbleInfo& applications) {
  if (!citrix.collect()) {
    kAgentModule.trace("Failed to collect Cittrix VDI info.");
    return false;
  }
  if (confTree().enableVirtAppUsageTracking().getValue()) {
    applications.since = citrix.logonFileTime();
    if (!applications.collect()) kAgentModule.trace("Failed to collect AppV bubble info.");
  }
  return true;
}

uint32_t VDIEndpointMonitor::writeDocument(const ArrayM<AppVApplicationInfo>& applications, FileNameC& path) {
  return writer_.writeDocument(lastCitrix_, applications, path);
}

bool VDIEndpointMonitor::runCycle() {
  if (!enabled_) {
    kAgentModule.trace("Tracking is disabled. Do nothing this time.");
    return false;
  }
  CitrixVDIEndpointInfo citrix;
  AppVBubbleInfo applications;
  if (!collectAll(citrix, applications)) {
    kAgentModule.trace("Failed to collect data.");
    return false;
  }
  const bool changed = lastCitrix_.differsFrom(citrix);
  const ArrayM<AppVApplicationInfo> fresh = applications.newerThan(lastApplications_);
  if (!changed && fresh.isEmpty()) {
    uploader_.retryLaunch();
    return true;
  }

  lastCitrix_ = citrix;
  lastApplications_ = applications;
  FileNameC path;
  bool delivered = false;
  try {
    if (writeDocument(fresh, path) != 0)
      kAgentModule.trace("Failed to upload data.");
    else
      delivered = uploadDocument(path);
  } catch (...) {
    kAgentModule.trace("Failed to upload data.");
  }
  if (!delivered) {
    lastCitrix_ = CitrixVDIEndpointInfo();
    lastApplications_ = AppVBubbleInfo();
  }
  return true;
}
