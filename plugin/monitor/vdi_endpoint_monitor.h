// VDIEndpointMonitor: the engine of the agent. Each cycle collects the
// Citrix endpoint information and (when "EnableVirtAppUsageTracking" is
// true) the App-V applications launched since the user's logon, compares
// them with what it last reported and, when something is new, writes a
// data document and hands it to the uploader.
//
// The remembered state (the last reported Citrix set and application list)
// changes only when a document was handed over; a document that could not
// be written or handed over empties it, so the next cycle reports
// everything again. A fresh collector every cycle: a reused one would share
// its pieces with the remembered set and never show a change.
//
// Reference counted; the plug-in holds one reference for the run. Used by
// the monitor thread alone (and by Start, which creates and initialises it
// before the thread exists).
#pragma once

#include "collect/appv/appv_bubble_info.h"
#include "collect/citrix/citrix_vdi_endpoint_info.h"
#include "collect/info/ref_count.h"
#include "plugin/document/vdi_document.h"
#include "plugin/upload/upload_document.h"

class VDIEndpointMonitor : public RefCountC {
 public:
  // Traces "Constructing VDIEndpointMonitor".
  VDIEndpointMonitor();
  // Traces "Destroying VDIEndpointMonitor".
  ~VDIEndpointMonitor() override;

  // Reads "Disabled" (not a boolean: false); tracking is enabled when it is
  // false. Always true.
  bool initialise();

  // One cycle. False when tracking is disabled or the collection failed;
  // true when it ran to its end, whether or not it wrote a document.
  bool runCycle();

  // The collection step: the Citrix collector, then the applications since
  // its logon time when App-V tracking is on. False only when the Citrix
  // collection failed.
  bool collectAll(CitrixVDIEndpointInfo& citrix, AppVBubbleInfo& applications);

  // The document of one cycle: 0 and its name, or the error that stopped it
  // (nothing is left behind then).
  uint32_t writeDocument(const ArrayM<AppVApplicationInfo>& applications, FileNameC& path);
  bool uploadDocument(const FileNameC& path) { return uploader_.uploadDocument(path); }

  bool enabled() const { return enabled_; }
  const CitrixVDIEndpointInfo& lastCitrix() const { return lastCitrix_; }
  const AppVBubbleInfo& lastApplications() const { return lastApplications_; }

 private:
  CitrixVDIEndpointInfo lastCitrix_;
  AppVBubbleInfo lastApplications_;
  bool enabled_ = false;
  VdiDocumentWriterC writer_;
  DocumentUploaderC uploader_;
};
