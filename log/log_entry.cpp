#include "log/log_entry.h"

#include "platform/process.h"
#include "runtime/messages/err_catalog.h"

log_LogEntryC::log_LogEntryC(ErrCatalogC* catalog, int letter, int32_t number, uint16_t set, uint16_t message,
                             const StringC& defaultText, const ArgListC& args, uint32_t flags)
    : catalog_(catalog), letter_(letter), number_(number), set_(set), message_(message), default_(defaultText),
      args_(args) {
  context_.letter = letter;
  context_.number = number;
  context_.flags = flags;
}

void log_LogEntryC::resolveText() {
  const uint32_t key = 0xE0000000u | (static_cast<uint32_t>(set_ & 0x1FFF) << 16) | message_;
  message_record::ParsedC r = catalog_ ? catalog_->fetchMessage(key, default_.utf8()) : message_record::parse(default_.utf8());
  status_ = r.status;
  text_ = StringC::fromUtf8(r.text).format(args_);
  platform::localTime(std::time(nullptr), context_.localTime);
  if (context_.flags & 1) context_.processId = platform::processId();
  if (context_.flags & 2) {
    uint64_t user = 0, kernel = 0;
    platform::processTimes(&user, &kernel);
    context_.userMs = static_cast<uint32_t>(user / 10000);
    context_.kernelMs = static_cast<uint32_t>(kernel / 10000);
  }
}
