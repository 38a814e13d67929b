#include "plugin/upload/uploader_launch.h"

#include <atomic>

#include "log/log_manager.h"
#include "platform/message_text.h"
#include "platform/shell_execute.h"
#include "runtime/messages/err_cat_switch.h"
#include "runtime/process/process.h"

namespace uploader_launch {

namespace {

// The shell's own results (SE_ERR_...) that the status table knows besides
// Win32 codes; 27 to 31 overlap Win32 codes of other meanings.
constexpr uint32_t kSeErrAssocIncomplete = 27;
constexpr uint32_t kSeErrDdeTimeout = 28;
constexpr uint32_t kSeErrDdeFail = 29;
constexpr uint32_t kSeErrDdeBusy = 30;
constexpr uint32_t kSeErrNoAssoc = 31;

struct ErrorStatusC {
  uint32_t error;
  int32_t status;
};

constexpr ErrorStatusC kErrorStatuses[] = {
    {platform::kErrorSuccess, kOutOfResources},
    {platform::kErrorTooManyOpenFiles, kOutOfResources},
    {platform::kErrorNotEnoughMemory, kOutOfResources},
    {platform::kErrorBadFormat, kBadFormat},
    {kSeErrAssocIncomplete, kBadFormat},
    {platform::kErrorFileNotFound, kFileNotFound},
    {kSeErrNoAssoc, kFileNotFound},
    {platform::kErrorPathNotFound, kPathNotFound},
    {kSeErrDdeTimeout, kDdeFailure},
    {kSeErrDdeFail, kDdeFailure},
    {kSeErrDdeBusy, kDdeFailure},
    {platform::kErrorAccessDenied, kAccessDenied},
};

std::atomic<uint32_t> savedError{0};

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

StringC system8(const std::string& text) { return StringC(text.data(), static_cast<int32_t>(text.size()), "system-8"); }

std::string catalogText(uint32_t identifier, const char* defaultText) {
  return ErrCatSwitchC::instance().fetchMessage(identifier, defaultText).text;
}

void logMessage(uint32_t identifier, const char* defaultText, const StringC& argument) {
  log_LogManagerC::instance().log('G', 0, identifier, StringC::fromUtf8(defaultText), ArgListC::of(argument));
}

}  // namespace

CommandPartsC splitCommand(const std::string& command) {
  CommandPartsC parts;
  size_t i = 0;
  while (i < command.size() && isWhite(command[i])) ++i;
  bool quoted = false;
  for (; i < command.size(); ++i) {
    const char c = command[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && isWhite(c)) {
      break;
    } else {
      parts.program += c;
    }
  }
  if (parts.program.size() < command.size()) parts.parameters = command.substr(parts.program.size());
  return parts;
}

int32_t statusForError(uint32_t error) {
  for (const ErrorStatusC& entry : kErrorStatuses)
    if (entry.error == error) return entry.status;
  return kUnspecifiedFailure;
}

uint32_t savedLaunchError() { return savedError.load(std::memory_order_relaxed); }

int32_t launchThroughShell(const std::string& command) {
  ProcessC process;
  process.setShowWindowOff();
  process.setBusyCursorFeedback(true);

  const CommandPartsC parts = splitCommand(command);
  std::string file = parts.program;
  std::string directory;
  std::string shortPath;
  if (platform::shortPathName(parts.program, &shortPath) == 0) {
    const size_t last = shortPath.rfind('\\');
    file = last == std::string::npos ? shortPath : shortPath.substr(last + 1);
    directory = last == std::string::npos ? std::string() : shortPath.substr(0, last);
  }

  uint32_t error = 0;
  if (platform::shellExecute(file, parts.parameters, directory, platform::kSwShow, &error)) return kStarted;
  savedError.store(error, std::memory_order_relaxed);
  return statusForError(error);
}

int32_t reportLaunch(const std::string& command, int32_t status) {
  std::string text = catalogText(0xE06900CF, "{e}Unspecified Failure");
  switch (status) {
    case kStarted: text = catalogText(0xE06900D7, "{e}Started Successfully"); break;
    case kUnspecifiedFailure: {
      const std::string system = platform::systemMessageText(savedLaunchError(), nullptr);
      if (!system.empty()) text = system;
      break;
    }
    case kOutOfResources: text = catalogText(0xE06900CD, "{e}Out Of Resorces"); break;
    case kBadFormat: text = catalogText(0xE06900D1, "{e}Bad Format"); break;
    case kFileNotFound: text = catalogText(0xE06900D4, "{e}File Not Found:") + system8(command).toUtf8(); break;
    case kPathNotFound: text = catalogText(0xE06900E7, "{e}Path Not Found:") + system8(command).toUtf8(); break;
    case kDdeFailure: text = catalogText(0xE06900E1, "{e}DDE Failure"); break;
    case kAccessDenied: text = catalogText(0xE06900EB, "{e}Access denied"); break;
    default: break;
  }
  logMessage(0xE002008B, "{i}Execute returned \u201C%1$s\u201D. ", StringC::fromUtf8(text));
  return status;
}

int32_t launchUploader(const std::string& command) {
  savedError.store(0, std::memory_order_relaxed);
  logMessage(0xE002008A, "{i}Execute \u201C%1$s\u201D", system8(command));
  return reportLaunch(command, launchThroughShell(command));
}

int32_t relaunchUploader(int32_t previous, const std::string& command) {
  savedError.store(0, std::memory_order_relaxed);
  const int32_t status = launchThroughShell(command);
  if (status == previous) return status;
  logMessage(0xE002008A, "{i}Execute \u201C%1$s\u201D", system8(command));
  return reportLaunch(command, status);
}

}  // namespace uploader_launch
