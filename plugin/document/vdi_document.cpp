#include "plugin/document/vdi_document.h"

#include <string>

#include "collect/info/agent_trace.h"
#include "files/file_service.h"
#include "log/log_manager.h"
#include "runtime/datetime/date_time.h"

namespace {

constexpr const char* kDefaultFormat = "%Y%m%dT%H%M%S";
constexpr const char* kFileNameUnsafe = "\\/:*?\"<>|";

StringC text(const char* utf8) { return StringC::fromUtf8(utf8); }

void logG(uint32_t id, const char* defaultText, const ArgListC& args = ArgListC()) {
  log_LogManagerC::instance().log('G', 0, id, text(defaultText), args);
}

}  // namespace

uint32_t writeVdiDocument(XmlOutputStreamC& out, const CitrixVDIEndpointInfo& citrix,
                          const ArrayM<AppVApplicationInfo>& applications) {
  // The declaration is raw and has no line end: the root's start tag follows
  // on its line.
  if (const uint32_t status = out.writeRaw(text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))) return status;
  out.startElement(text("vdiAccess"));
  citrix.writeAttributes(out);
  out.attribute(text("type"), text("XenDesktop"));
  out.startElement(text("AppVClientInfo"));
  for (uint32_t i = 0; i < applications.count(); ++i) {
    out.startElement(text("VirtualDesktopApplicationUsage"));
    AppVApplicationInfo(*applications.at(i)).writeAttributes(out);
    out.attribute(text("AccessMode"), text("App-V"));
    out.endElement(text("VirtualDesktopApplicationUsage"));
  }
  out.endElement(text("AppVClientInfo"));
  return out.endElement(text("vdiAccess"));
}

StringC VdiDocumentWriterC::dateTimeText(EnvPreferencesC& preferences) {
  const std::string format = preferences.value(text("DateTimeFormat")).toUtf8();
  datetime::DateTime now;
  now.setNow();
  std::string result = now.format(format.c_str());
  if (result.empty()) {
    if (!warnedTooLong_) {
      warnedTooLong_ = true;
      logG(kFormatUnusable,
           "{w}The date-time format '%1$S' gives no usable text (an unknown conversion, or more than 80 "
           "characters); '%2$S' is used instead",
           ArgListC::of(text(format.c_str()), text(kDefaultFormat)));
    }
    result = now.format(kDefaultFormat);
  }
  std::string safe = result;
  for (char& c : safe)
    if (std::string_view(kFileNameUnsafe).find(c) != std::string_view::npos) c = '_';
  if (safe != result && !warnedBadCharacters_) {
    warnedBadCharacters_ = true;
    logG(kTextUnsafe, "{w}The date-time text '%1$S' holds characters that a file name cannot hold; they become '_'",
         ArgListC::of(text(result.c_str())));
  }
  // strftime wrote in the time locale's character set.
  return StringC(safe.data(), static_cast<int32_t>(safe.size()), "system-8");
}

StringC VdiDocumentWriterC::prepareDocumentPath(EnvPreferencesC& preferences) {
  preferences.set(text("DateTime"), dateTimeText(preferences), false);
  const StringC directory = preferences.value(text("VDIDirectory"));
  if (!fileService().createDirectory(FileNameC(directory), true)) {
    if (!directoryFailing_)
      logG(kDirectoryFailed, "{e}ERROR: Could not create usage directory '%1$S'", ArgListC::of(directory));
    directoryFailing_ = true;
    return StringC();
  }
  directoryFailing_ = false;
  return directory + text("\\") + preferences.value(text("VDIFile"));
}

uint32_t VdiDocumentWriterC::writeDocument(const CitrixVDIEndpointInfo& citrix,
                                           const ArrayM<AppVApplicationInfo>& applications, FileNameC& path) {
  datetime::DateTime now;
  now.setNow();
  kAgentModule.trace("UploadData at %S", text(now.format("%H:%M:%S").c_str()));

  EnvPreferencesC preferences;
  const StringC name = prepareDocumentPath(preferences);
  if (name.isEmpty()) return kDirectoryFailed;
  path = FileNameC(name);

  FileServiceI& files = fileService();
  int32_t status = 0;
  std::FILE* file = files.openTextFile(path, &status);
  // A service that failed without saying why still failed.
  if (!file) return status != 0 ? static_cast<uint32_t>(status) : kOpenFailed;
  uint32_t written;
  {
    XmlStdioOutputStreamC out(file);
    written = writeVdiDocument(out, citrix, applications);
  }
  const uint32_t closed = static_cast<uint32_t>(files.closeTextFile(file));
  const uint32_t result = written ? written : closed;
  if (result) files.remove(path, true, false);
  return result;
}
