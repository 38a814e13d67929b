// The VDI data document: what one cycle found new, as a UTF-8 XML file in
// the agent's data directory, ready for the upload.
//
//   <?xml version="1.0" encoding="UTF-8"?><vdiAccess CITRIX... type="XenDesktop">
//   	<AppVClientInfo>
//   		<VirtualDesktopApplicationUsage APP... AccessMode="App-V"/>
//   	</AppVClientInfo>
//   </vdiAccess>
//
// The Citrix information's visible pieces are the root's attributes (the
// user's SID never appears); "AppVClientInfo" is always there, self-closing
// when no application is new. Every line ends with CR LF.
//
// Monitor thread only (the dry run uses writeVdiDocument on its own thread).
#pragma once

#include <cstdint>

#include "collect/appv/appv_application_info.h"
#include "collect/citrix/citrix_vdi_endpoint_info.h"
#include "collect/info/array.h"
#include "config/prefs/env_preferences.h"
#include "files/file_name.h"
#include "files/xml/xml_output_stream.h"

// Writes the whole document to `out`; returns the stream's status (0 when
// every byte was taken).
uint32_t writeVdiDocument(XmlOutputStreamC& out, const CitrixVDIEndpointInfo& citrix,
                          const ArrayM<AppVApplicationInfo>& applications);

// Writes documents into the data directory. Keeps what it has already
// warned about, so a bad "DateTimeFormat" is reported once per run, not
// once per document.
class VdiDocumentWriterC {
 public:
  // Sets "DateTime" to now in "DateTimeFormat", creates "VDIDirectory" and
  // returns directory + "\" + "VDIFile" (all expanded); empty, after logging
  // "ERROR: Could not create usage directory '%1$S'" (once for a run of
  // failures, not every cycle), when the directory cannot be created. A date-time text holding characters no file name may
  // hold (\ / : * ? " < > |) has them replaced by "_"; one that does not fit
  // in 80 characters (or is empty) falls back to "%Y%m%dT%H%M%S". Each is
  // warned about once.
  StringC prepareDocumentPath(EnvPreferencesC& preferences);

  // Traces "UploadData at %S", prepares the path and writes the document
  // through the file service in text mode, replacing a file of that name.
  // Returns 0 and the document's name in `path`, or the first error: the
  // directory (0xE1B30010), the open, any write or the close. A document
  // that failed after its open is removed: nothing truncated stays behind.
  uint32_t writeDocument(const CitrixVDIEndpointInfo& citrix, const ArrayM<AppVApplicationInfo>& applications,
                         FileNameC& path);

  static constexpr uint32_t kDirectoryFailed = 0xE1B30010;
  // The agent's warnings about "DateTimeFormat" (log letter G, number 0).
  static constexpr uint32_t kFormatUnusable = 0xE1B30070;
  static constexpr uint32_t kTextUnsafe = 0xE1B30071;
  // E_FAIL: the file service gave no file and no reason.
  static constexpr uint32_t kOpenFailed = 0x80004005;

 private:
  StringC dateTimeText(EnvPreferencesC& preferences);

  bool warnedBadCharacters_ = false;
  bool warnedTooLong_ = false;
  bool directoryFailing_ = false;
};
