#include "log/loggers.h"

#include <cstdio>
#include <cstring>

#include "files/file_service.h"
#include "platform/file_system.h"
#include "log/log_manager.h"

namespace {

bool hasWildcards(const std::string& s) { return s.find_first_of("*?<>|") != std::string::npos; }

}  // namespace

log_LogFileLoggerC::log_LogFileLoggerC(log_LogManagerC& manager, log_LogSettingsI& settings)
    : log_LoggerC(KVAStringC("default")) {
  timeFormat_ = manager.format(0xE0010002, "%%c", ArgListC()).toUtf8();
  lineFormat_ = manager.messageText(0xE0010003, "[%1$s (%2$c, %3$d)] %4$s");
  open(settings);
}

log_LogFileLoggerC::~log_LogFileLoggerC() = default;

void log_LogFileLoggerC::open(log_LogSettingsI& settings) {
  writer_.reset();
  file_ = FileNameC(settings.value("LogFile"));
  const FileNameC old(settings.value("LogFileOld"));
  const int64_t limit = settings.value("LogFileSize").toInt64();
  if (file_.isEmpty()) return;
  FileServiceI& fs = fileService();
  if (hasWildcards(file_.text())) return;
  const FileNameC dir = file_.parent();
  if (!dir.isEmpty() && !fs.isDirectory(dir)) fs.createDirectory(dir, true);
  // A missing log has size 0: it is not probed, so a first start reports
  // nothing. The old name is compared as a file, not as text: another
  // spelling of the log ("c:\logs\A.LOG", "sub\..\a.log") would otherwise be
  // removed first, and the log with it.
  if (limit > 0 && !old.isEmpty() && !hasWildcards(old.text()) && fs.isFile(file_) &&
      !platform::sameFile(old.nativePath(), file_.nativePath(), nullptr)) {
    FileStreamC* probe = FileStreamC::open(file_.nativePath(), file_.text(), FileOpenModeC::kOpenExisting,
                                           platform::kAccessRead, platform::kShareRead | platform::kShareWrite);
    const int64_t size = probe ? probe->length() : -1;
    delete probe;
    if (size > limit) {
      const FileNameC oldDir = old.parent();
      if (!oldDir.isEmpty() && !fs.isDirectory(oldDir)) fs.createDirectory(oldDir, true);
      fs.remove(old, false, false);
      // The log goes only once it is safely under the old name.
      if (fs.move(file_, old) == 0 && fs.isFile(file_)) fs.remove(file_, false, false);
    }
  }
  FileStreamC* stream = FileStreamC::open(file_.nativePath(), file_.text(), FileOpenModeC::kAppend,
                                          platform::kAccessWrite, platform::kShareRead | platform::kShareWrite);
  if (stream) writer_ = std::make_unique<StreamWriterC>(stream);
}

std::string log_LogFileLoggerC::stripPasswords(const std::string& in) {
  std::string text = in;
  size_t p = text.find("://");
  while (p != std::string::npos) {
    // The authority runs to the first "/", blank or the end.
    size_t end = p + 3;
    while (end < text.size() && text[end] != '/' && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' &&
           text[end] != '\n')
      ++end;
    const size_t colon = text.find(':', p + 3);
    if (colon != std::string::npos && colon < end) {
      const size_t at = text.find('@', colon);
      if (at != std::string::npos && at + 1 < end) text.erase(colon, at - colon);
    }
    p = text.find("://", p + 2);
  }
  return text;
}

void log_LogFileLoggerC::log(const log_LogEntryC& entry) {
  if (!writer_) return;
  const log_LogContextC& ctx = entry.context();
  char time[128];
  if (std::strftime(time, sizeof time, timeFormat_.c_str(), &ctx.localTime) == 0) time[0] = '\0';
  std::string prefix;
  if (ctx.flags) {
    char buf[96];
    prefix = "{";
    if (ctx.flags & 1) {
      std::snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(ctx.processId));
      prefix += buf;
    }
    if ((ctx.flags & 1) && (ctx.flags & 2)) prefix += ": ";
    if (ctx.flags & 2) {
      std::snprintf(buf, sizeof buf, "%lu.%03luU+%lu.%03luK", static_cast<unsigned long>(ctx.userMs / 1000),
                    static_cast<unsigned long>(ctx.userMs % 1000), static_cast<unsigned long>(ctx.kernelMs / 1000),
                    static_cast<unsigned long>(ctx.kernelMs % 1000));
      prefix += buf;
    }
    prefix += "} ";
  }
  const std::string message = stripPasswords(prefix + entry.text().toUtf8());
  StringC line = lineFormat_.format(
      ArgListC::of(std::string(time), static_cast<char32_t>(entry.letter()), entry.number(), message));
  line += StringC::fromUtf8("\n");
  SpinLockGuardC guard(writeLock_);
  writer_->write(line);
}

log_LogDynamicProxyLoggerC::log_LogDynamicProxyLoggerC(const KVAStringC& library)
    : log_LoggerC(library), library_(library.toStringC().toUtf8()) {
  initialize_ = reinterpret_cast<InitializeFn>(library_.function("QblLogInitialize"));
  finalize_ = reinterpret_cast<FinalizeFn>(library_.function("QblLogFinalize"));
  log_ = reinterpret_cast<LogFn>(library_.function("QblLog"));
  preferred_ = reinterpret_cast<PreferredLevelFn>(library_.function("QblLogPreferedLogLevel"));
  if (initialize_) initialize_();
}

log_LogDynamicProxyLoggerC::~log_LogDynamicProxyLoggerC() {
  if (finalize_) finalize_();
}

void log_LogDynamicProxyLoggerC::log(const log_LogEntryC& entry) {
  if (!isOpen() || !log_) return;
  const std::string text = entry.text().toUtf8();
  log_(entry.set(), entry.message(), entry.status(), text.c_str(), &entry.context(), entry.defaultText().c_str(),
       entry.args().abi());
}

StringC log_LogDynamicProxyLoggerC::preferredLevel(const StringC& filterText) {
  if (!preferred_) return filterText;
  const char* r = preferred_(filterText.c_str());
  return r ? StringC::fromUtf8(r) : filterText;
}

log_LogInstanceC::log_LogInstanceC(std::unique_ptr<log_LoggerC> logger, const StringC& filterText,
                                   const StringC& depthMultiplier)
    : logger_(std::move(logger)), filterText_(logger_->preferredLevel(filterText)) {
  filter_.parse(filterText_.utf8());
  const std::string m = depthMultiplier.toUtf8();
  if (!m.empty() && m.find_first_not_of("0123456789") == std::string::npos && m.size() < 6)
    filter_.setDepthMultiplier(static_cast<int>(depthMultiplier.toInt64()));
}
