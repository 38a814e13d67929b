// log_LogEntryC: one message on its way to the loggers.
#pragma once

#include <cstdint>
#include <ctime>

#include "runtime/strings/arg_list.h"
#include "runtime/strings/kva_string.h"

class ErrCatalogC;

// Passed as it is to a proxy logger's library.
struct log_LogContextC {
  std::tm localTime;
  int32_t letter;
  int32_t number;
  uint32_t flags;        // bit 0: process id, bit 1: CPU times
  uint32_t processId;
  uint32_t userMs;
  uint32_t kernelMs;
};

class log_LogEntryC {
 public:
  log_LogEntryC(ErrCatalogC* catalog, int letter, int32_t number, uint16_t set, uint16_t message,
                const StringC& defaultText, const ArgListC& args, uint32_t flags);
  virtual ~log_LogEntryC() = default;

  // Looks the text up in the catalog (or keeps the default), formats it with
  // the arguments and fills the context record.
  virtual void resolveText();

  int letter() const { return letter_; }
  int32_t number() const { return number_; }
  uint16_t set() const { return set_; }
  uint16_t message() const { return message_; }
  int32_t status() const { return status_; }
  const StringC& text() const { return text_; }
  const StringC& defaultText() const { return default_; }
  const ArgListC& args() const { return args_; }
  const log_LogContextC& context() const { return context_; }

 private:
  ErrCatalogC* catalog_;
  int letter_;
  int32_t number_;
  uint16_t set_, message_;
  int32_t status_ = 4;
  StringC text_;
  StringC default_;
  ArgListC args_;
  log_LogContextC context_{};
};
