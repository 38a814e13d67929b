#include "plugin/upload/upload_document.h"

#include <cerrno>
#include <string>

#include "collect/info/agent_trace.h"
#include "files/file_service.h"
#include "log/log_manager.h"
#include "plugin/upload/uploader_launch.h"
#include "tnwcmn/tnwcmn.h"

namespace {

StringC text(const char* utf8) { return StringC::fromUtf8(utf8); }

void logG(uint32_t id, const char* defaultText, const ArgListC& args = ArgListC()) {
  log_LogManagerC::instance().log('G', 0, id, text(defaultText), args);
}

// `name` with " (n)" before its extension: "a.vdi" -> "a (2).vdi".
FileNameC numbered(const FileNameC& name, int n) {
  const std::string& full = name.text();
  const std::string ext = name.extension();
  const size_t stemEnd = ext.empty() ? full.size() : full.size() - ext.size() - 1;
  return FileNameC(full.substr(0, stemEnd) + " (" + std::to_string(n) + ")" +
                   (ext.empty() ? std::string() : "." + ext));
}

// Moves without ever replacing a waiting document: the first free name of
// target, target (2), target (3), ... 0 and the name used, or the failure.
int32_t moveToFreeName(FileServiceI& files, const FileNameC& from, const FileNameC& target, FileNameC& used) {
  constexpr int kMaxNumber = 9999;
  const int32_t taken = static_cast<int32_t>(tnw::hresultFromWin32(EEXIST));
  for (int n = 1; n <= kMaxNumber; ++n) {
    const FileNameC candidate = n == 1 ? target : numbered(target, n);
    const int32_t status = files.moveNoReplace(from, candidate);
    if (status != taken) {
      if (status == 0) used = candidate;
      return status;
    }
  }
  return taken;
}

}  // namespace

FileNameC uploadDirectory(EnvPreferencesC& preferences, const StringC& target, const StringC& kind) {
  StringC base = preferences.value(text("UploadDirectory"));
  if (base.isEmpty())
    base = preferences.value(text(kind.equals(text("Machine")) ? "MachineUploadDirectory" : "UserUploadDirectory"));
  const int32_t slash = target.find(U'/', 0);
  if (slash == StringC::kNotFound) return FileNameC(base);
  StringC rest = target.substr(slash + 1);
  rest.replaceAll(text("/"), text("\\"));
  return FileNameC(base + text("\\") + rest).parent();
}

void resetRulePreferences(EnvPreferencesC& preferences) {
  preferences.remove(text("VdiAccess"));
  preferences.remove(text("VDIExtension"));
  preferences.remove(text("UploadFile"));
  preferences.remove(text("UploadFile"));
  preferences.remove(text("ServerLocation"));
  const bool expand = preferences.expandOnRead();
  preferences.setExpandOnRead(false);
  preferences.set(text("VdiAccess"), text("$(ServerLocation)/VdiAccess/$(UserId) on $(MachineId) $(DateTime).vdi"),
                  false);
  StringC access;
  preferences.get(access, text("VdiAccess"), false);
  const FileNameC rule(access);
  preferences.set(text("UploadFile"), StringC::fromUtf8(rule.leafName()), false);
  preferences.set(text("VDIExtension"), StringC::fromUtf8(rule.extension()), false);
  StringC upload;
  preferences.get(upload, text("UploadFile"), false);
  if (FileNameC(upload).extension().empty()) {
    preferences.set(text("UploadFile"), upload + text(".vdi"), false);
    preferences.set(text("VDIExtension"), text("vdi"), false);
  }
  preferences.set(text("VDIFile"), text("$(MachineId) at $(DateTime).vdi"), false);
  preferences.setExpandOnRead(expand);
}

void DocumentUploaderC::retryLaunch() {
  if (launchStatus_ == uploader_launch::kStarted) return;
  // Sent by some other run of the uploader meanwhile, or taken away:
  // nothing waits for this agent's launch any more.
  if (!fileService().isFile(lastTarget_)) {
    launchStatus_ = uploader_launch::kStarted;
    return;
  }
  launchStatus_ = uploader_launch::relaunchUploader(launchStatus_);
}

bool DocumentUploaderC::uploadDocument(const FileNameC& document) {
  EnvPreferencesC preferences;
  FileServiceI& files = fileService();
  const FileNameC directory = uploadDirectory(preferences, preferences.value(text("VdiAccess")), text("Machine"));
  logG(0xE1B3000D, "{i}Started uploading endpoint data");

  bool handedOver = false;
  if (!files.createDirectory(directory, true)) {
    if (!failing_)
      logG(0xE1B30011, "{e}ERROR: Could not create upload directory '%1$S'", ArgListC::of(directory.toStringC()));
  } else {
    const FileNameC target(directory.toStringC() + text("\\") + preferences.value(text("UploadFile")));
    FileNameC used;
    const int32_t moved = moveToFreeName(files, document, target, used);
    if (moved != 0) {
      if (!failing_)
        kAgentModule.trace("Failed to move '%1$S' to '%2$S': %3$#x", document.toStringC(), target.toStringC(),
                           static_cast<uint32_t>(moved));
    } else {
      handedOver = true;
      lastTarget_ = used;
      logG(0xE1B30016, "{e}About to start uploading file '%1$S'", ArgListC::of(used.toStringC()));
      launchStatus_ = uploader_launch::launchUploader();
      logG(0xE1B3000E, "{i}Finished uploading endpoint data");
    }
  }
  resetRulePreferences(preferences);
  failing_ = !handedOver;
  // A document that could not be handed over goes: the next cycle writes a
  // complete one again, and nothing stale waits in the data directory.
  if (!handedOver) files.remove(document, true, false);
  return handedOver;
}
