// The hand-off of a written document to the suite's uploader: the document
// moves into the upload directory of the rule "VdiAccess" under the rule's
// file name, "qbupload -r VdiAccess" is started (not waited for), and the
// rule's preferences are put back to their defaults.
//
// A report is never lost here: when the document cannot reach the upload
// directory, uploadDocument answers false and removes it from the data
// directory, so the monitor forgets what it last reported and the next
// cycle writes a complete document again. A name already waiting in the
// upload directory is never replaced: the new document takes " (2)",
// " (3)", ... before its extension. A failed launch of the uploader is not a
// failed hand-off: the document waits in the upload directory, and each
// later cycle with nothing new starts the uploader again (retryLaunch) until
// it starts or the document has gone from there.
//
// Monitor thread only.
#pragma once

#include "config/prefs/env_preferences.h"
#include "files/file_name.h"

// The directory of a rule's target below the upload base: "UploadDirectory"
// when set, else "MachineUploadDirectory" (kind "Machine") or
// "UserUploadDirectory". The target's text after its first "/", with "/"
// read as "\", is joined below the base and its directory part taken, so
// "/VdiAccess/user on host at t.vdi" gives BASE\VdiAccess. A target
// without "/" gives the base.
FileNameC uploadDirectory(EnvPreferencesC& preferences, const StringC& target, const StringC& kind);

// Puts "VdiAccess", "UploadFile", "VDIExtension" and "VDIFile" back to the
// rule's defaults and removes "ServerLocation".
void resetRulePreferences(EnvPreferencesC& preferences);

class DocumentUploaderC {
 public:
  // True when the document reached the upload directory (whether or not the
  // uploader could be started). False when it did not; the document is then
  // gone from the data directory. The rule preferences are reset either way.
  // A run of failed hand-offs is logged once, at its first failure.
  bool uploadDocument(const FileNameC& document);

  // After a failed launch of the uploader, while the last document handed
  // over still waits in the upload directory: the launch again
  // (relaunchUploader's logging). Does nothing otherwise.
  void retryLaunch();

  // The name under which the last document was handed over (tests).
  const FileNameC& lastTarget() const { return lastTarget_; }

 private:
  bool failing_ = false;
  FileNameC lastTarget_;
  int32_t launchStatus_ = 0;  // of the last launch; 0: started, or none yet
};
