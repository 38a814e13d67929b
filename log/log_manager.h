// log_LogManagerC: the process's log manager. Each call becomes an entry
// that every configured logger whose filter accepts (letter, number) writes.
//
// Configured once, at construction, from the settings: "LogLevel" (the
// filter), "LogModules" (";"-separated logger names: "default" is the file
// logger, any other name a logging library), "LogFlags" (context flags,
// default 1), the file logger's "LogFile", "LogFileOld", "LogFileSize", and
// the catalog path ("LogMsgCatPath", else ProgramPath\system\qblog.cat).
// A missing catalog file means the built-in texts; after closeCatalog()
// nothing is written: LogV and LogMsg answer E_FAIL, while Log, log and the
// plain text answer 0, as they always do.
//
// Slot order (the suite's logger interface, on IUnknown): 0 QueryInterface,
// 1 AddRef, 2 Release, 3 plain text, 4 catalog text query, 5 Log, 6 LogMsg,
// 7 LogV, 8 close the catalog. On Windows it also answers IDispatch, with no
// registered type library (TYPE_E_LIBNOTREGISTERED).
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/messages/err_catalog.h"
#include "log/loggers.h"

struct log_GuidC {
  uint32_t data1;
  uint16_t data2, data3;
  uint8_t data4[8];
};

class KVAQBLoggerI {
 public:
  virtual int32_t QueryInterface(const log_GuidC& iid, void** out) = 0;
  virtual uint32_t AddRef() = 0;
  virtual uint32_t Release() = 0;
  virtual int32_t LogText(const char* text) = 0;
  virtual int32_t CatalogText(uint32_t identifier, const char* defaultText, tnw::TextI** out) = 0;
  virtual int32_t Log(int letter, int32_t number, uint32_t identifier, const char* defaultText, ...) = 0;
  virtual int32_t LogMsg(int letter, int32_t number, int32_t set, int32_t message, const char* defaultText, ...) = 0;
  virtual int32_t LogV(int letter, int32_t number, int32_t set, int32_t message, const StringC& defaultText,
                       const ArgListC& args) = 0;
  virtual int32_t CloseCatalog() = 0;

 protected:
  ~KVAQBLoggerI() = default;
};

class log_LogManagerI : public KVAQBLoggerI {
 protected:
  ~log_LogManagerI() = default;
};

class log_DispatchFaceI;

class log_LogManagerC final : public log_LogManagerI {
 public:
  static constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);

  // Reads the settings once; the settings object may go afterwards.
  explicit log_LogManagerC(log_LogSettingsI& settings);

  // The process's manager, created on first use from the installed
  // settings (installLogSettings); never released.
  static log_LogManagerC& instance();
  static void installLogSettings(log_LogSettingsI* settings);

  int32_t QueryInterface(const log_GuidC& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  int32_t LogText(const char* text) override;
  int32_t CatalogText(uint32_t identifier, const char* defaultText, tnw::TextI** out) override;
  int32_t Log(int letter, int32_t number, uint32_t identifier, const char* defaultText, ...) override;
  int32_t LogMsg(int letter, int32_t number, int32_t set, int32_t message, const char* defaultText, ...) override;
  int32_t LogV(int letter, int32_t number, int32_t set, int32_t message, const StringC& defaultText,
               const ArgListC& args) override;
  int32_t CloseCatalog() override;

  // Typed form of Log for C++ callers.
  int32_t log(int letter, int32_t number, uint32_t identifier, const StringC& defaultText,
              const ArgListC& args = ArgListC());

  // The resolved text of a message (entry letter and number -1: no filter).
  StringC format(uint32_t identifier, const char* defaultText, const ArgListC& args);
  // The text of a message as the catalog (or the default) gives it, not yet
  // formatted.
  StringC messageText(uint32_t identifier, const char* defaultText);

  uint32_t contextFlags() const { return flags_; }
  size_t loggerCount() const { return instances_.size(); }
  log_LogInstanceC& instance(size_t i) { return *instances_[i]; }
  const ErrCatalogC* catalog() const { return catalog_.get(); }

 private:
  ~log_LogManagerC();
  bool anyAccepts(int letter, int32_t number) const;
  int32_t logVa(int letter, int32_t number, int32_t set, int32_t message, const char* defaultText, va_list ap);

  std::atomic<uint32_t> refs_{0};
  std::vector<std::unique_ptr<log_LogInstanceC>> instances_;
  std::unique_ptr<ErrCatalogC> catalog_;
  std::atomic<bool> catalogClosed_{false};
  uint32_t flags_ = 1;
  log_DispatchFaceI* dispatch_ = nullptr;
};

// The IDispatch face of a manager: Windows only (null elsewhere).
class log_DispatchFaceI {
 public:
  virtual ~log_DispatchFaceI() = default;
  virtual void* dispatchInterface() = 0;
};
log_DispatchFaceI* createLogDispatchFace(log_LogManagerC& manager);

// The identity of IUnknown, which QueryInterface answers with the manager.
extern const log_GuidC kIIDIUnknown;
extern const log_GuidC kIIDIDispatch;
