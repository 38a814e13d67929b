#include "log/log_manager.h"

#include <cstdlib>
#include <cstring>

#include "runtime/strings/string_array.h"
#include "platform/dynlib.h"
#include "platform/library_objects.h"

const log_GuidC kIIDIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const log_GuidC kIIDIDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

log_LogSettingsI* installedSettings = nullptr;

class NoSettings final : public log_LogSettingsI {
 public:
  StringC value(const char*) override { return StringC(); }
};

bool sameGuid(const log_GuidC& a, const log_GuidC& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

StringC trimmed(const StringC& s) {
  StringC t = s;
  const StringC blanks = StringC::fromUtf8(" \t\r\n");
  t.trimLeft(blanks).trimRight(blanks);
  return t;
}

}  // namespace

log_LogManagerC::log_LogManagerC(log_LogSettingsI& settings) {
  StringC catalogPath = settings.value("LogMsgCatPath");
  if (catalogPath.isEmpty()) {
    const StringC program = settings.value("ProgramPath");
    catalogPath = (program.isEmpty() ? StringC() : program + StringC::fromUtf8("\\")) +
                  StringC::fromUtf8("system\\qblog.cat");
  }
  catalog_ = std::make_unique<ErrCatalogC>(catalogPath.toUtf8(), "system-8");

  const StringC level = settings.value("LogLevel");
  const StringC modules = settings.value("LogModules");
  const StringC flags = settings.value("LogFlags");
  const StringC depth = settings.value("TraceDepthMultiplier");
  flags_ = flags.isEmpty() ? 1u : static_cast<uint32_t>(std::strtol(flags.c_str(), nullptr, 10));

  for (const StringC& raw : modules.split(StringC::fromUtf8(";"))) {
    const StringC name = trimmed(raw);
    if (name.isEmpty()) continue;
    std::unique_ptr<log_LoggerC> logger;
    if (name.equals(StringC::fromUtf8("default")))
      logger = std::make_unique<log_LogFileLoggerC>(*this, settings);
    else
      logger = std::make_unique<log_LogDynamicProxyLoggerC>(KVAStringC(name));
    if (!logger->isOpen()) continue;
    bool duplicate = false;
    for (const auto& i : instances_)
      duplicate = duplicate || i->logger().name().toStringC().equalsIgnoreCase(logger->name().toStringC());
    if (duplicate) continue;
    instances_.push_back(std::make_unique<log_LogInstanceC>(std::move(logger), level, depth));
  }
  dispatch_ = createLogDispatchFace(*this);
}

log_LogManagerC::~log_LogManagerC() {
  delete dispatch_;
  instances_.clear();
  catalog_.reset();
}

log_LogManagerC& log_LogManagerC::instance() {
  static log_LogManagerC* manager = [] {
    NoSettings none;
    auto* m = new log_LogManagerC(installedSettings ? *installedSettings : static_cast<log_LogSettingsI&>(none));
    m->AddRef();
    // The process's reference goes at the library's unload, except under a
    // loader lock: the manager's proxy loggers would then call their
    // libraries' finalisers and unload them from inside DllMain.
    if (!platform::unloadHoldsLoaderLock())
      platform::library_objects::adopt([](void* p) { static_cast<log_LogManagerC*>(p)->Release(); }, m);
    return m;
  }();
  return *manager;
}

void log_LogManagerC::installLogSettings(log_LogSettingsI* settings) { installedSettings = settings; }

int32_t log_LogManagerC::QueryInterface(const log_GuidC& iid, void** out) {
  if (!out) return static_cast<int32_t>(0x80004003);  // E_POINTER
  *out = nullptr;
  if (sameGuid(iid, kIIDIUnknown)) {
    *out = static_cast<KVAQBLoggerI*>(this);
  } else if (dispatch_ && sameGuid(iid, kIIDIDispatch)) {
    *out = dispatch_->dispatchInterface();
  } else {
    return static_cast<int32_t>(0x80004002);  // E_NOINTERFACE
  }
  AddRef();
  return 0;
}

uint32_t log_LogManagerC::AddRef() { return refs_.fetch_add(1) + 1; }

uint32_t log_LogManagerC::Release() {
  const uint32_t left = refs_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return left;
}

bool log_LogManagerC::anyAccepts(int letter, int32_t number) const {
  for (const auto& i : instances_)
    if (i->accepts(letter, number)) return true;
  return false;
}

int32_t log_LogManagerC::LogV(int letter, int32_t number, int32_t set, int32_t message, const StringC& defaultText,
                              const ArgListC& args) {
  if (catalogClosed_.load()) return kEFail;
  // Filters first: a message no logger takes costs no lookup or formatting.
  if (!anyAccepts(letter, number)) return 0;
  log_LogEntryC entry(catalog_.get(), letter, number, static_cast<uint16_t>(set), static_cast<uint16_t>(message),
                      defaultText, args, flags_);
  entry.resolveText();
  for (const auto& i : instances_)
    if (i->accepts(letter, number)) i->logger().log(entry);
  return 0;
}

int32_t log_LogManagerC::log(int letter, int32_t number, uint32_t identifier, const StringC& defaultText,
                             const ArgListC& args) {
  LogV(letter, number, static_cast<int32_t>((identifier >> 16) & 0xFFF), static_cast<int32_t>(identifier & 0xFFFF),
       defaultText, args);
  return 0;
}

int32_t log_LogManagerC::logVa(int letter, int32_t number, int32_t set, int32_t message, const char* defaultText,
                               va_list ap) {
  if (catalogClosed_.load()) return kEFail;
  if (!anyAccepts(letter, number)) return 0;  // no marshalling for a message nobody takes
  const ArgListC args = ArgListC::fromVaList(defaultText, ap);
  return LogV(letter, number, set, message, StringC::fromUtf8(defaultText ? defaultText : ""), args);
}

int32_t log_LogManagerC::Log(int letter, int32_t number, uint32_t identifier, const char* defaultText, ...) {
  va_list ap;
  va_start(ap, defaultText);
  logVa(letter, number, static_cast<int32_t>((identifier >> 16) & 0xFFF), static_cast<int32_t>(identifier & 0xFFFF),
        defaultText, ap);
  va_end(ap);
  return 0;
}

int32_t log_LogManagerC::LogMsg(int letter, int32_t number, int32_t set, int32_t message, const char* defaultText,
                                ...) {
  va_list ap;
  va_start(ap, defaultText);
  const int32_t r = logVa(letter, number, set, message, defaultText, ap);
  va_end(ap);
  return r;
}

int32_t log_LogManagerC::LogText(const char* text) {
  return log('G', 0, 0xE0010001, StringC::fromUtf8("%1$s"), ArgListC::of(text ? text : ""));
}

int32_t log_LogManagerC::CatalogText(uint32_t identifier, const char* defaultText, tnw::TextI** out) {
  if (!out) return static_cast<int32_t>(0x80004003);
  *out = format(identifier, defaultText, ArgListC()).newRef();
  return 0;
}

int32_t log_LogManagerC::CloseCatalog() {
  // Entries made after this fail; a catalog being read right now by
  // another thread stays valid, so it is kept, only no longer used.
  catalogClosed_.store(true);
  return 0;
}

StringC log_LogManagerC::format(uint32_t identifier, const char* defaultText, const ArgListC& args) {
  log_LogEntryC entry(catalogClosed_.load() ? nullptr : catalog_.get(), -1, -1,
                      static_cast<uint16_t>((identifier >> 16) & 0xFFF), static_cast<uint16_t>(identifier & 0xFFFF),
                      StringC::fromUtf8(defaultText ? defaultText : ""), args, 0);
  entry.resolveText();
  return entry.text();
}

StringC log_LogManagerC::messageText(uint32_t identifier, const char* defaultText) {
  const uint32_t key = 0xE0000000u | (identifier & 0x1FFFFFFFu);
  const std::string_view def = defaultText ? std::string_view(defaultText) : std::string_view();
  const message_record::ParsedC r =
      catalogClosed_.load() ? message_record::parse(def) : catalog_->fetchMessage(key, def);
  return StringC::fromUtf8(r.text);
}
