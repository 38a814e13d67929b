// Where the preference-file search's diagnostics ("KUIPREFSDEBUG") go.
//
// The search runs before the log manager can be configured (the log
// manager's own settings are preferences), so lines are kept, in order,
// until a writer is attached; attaching writes the kept lines and every
// later line directly. At most kKeepLimit lines are kept; beyond that they
// are counted and the count is written as one line on attaching.
//
// Any thread may print; lines are written one at a time, in print order,
// under this object's lock (a writer must not print here itself).
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/locks/spin_lock.h"

class KVAQBLoggerI;

class PrefsDiagnosticWriterI {
 public:
  virtual ~PrefsDiagnosticWriterI() = default;
  virtual void write(const std::string& line) = 0;
};

// Writes each line as the log manager's plain text (letter G, number 0).
// The logger must outlive the writer.
class LogManagerDiagnosticWriterC final : public PrefsDiagnosticWriterI {
 public:
  explicit LogManagerDiagnosticWriterC(KVAQBLoggerI& logger) : logger_(logger) {}
  void write(const std::string& line) override;

 private:
  KVAQBLoggerI& logger_;
};

class PrefsDiagnosticsC {
 public:
  static constexpr size_t kKeepLimit = 4096;

  // The process's diagnostics, created on first use and kept until the
  // library's unload.
  static PrefsDiagnosticsC& process();

  PrefsDiagnosticsC() = default;
  PrefsDiagnosticsC(const PrefsDiagnosticsC&) = delete;
  PrefsDiagnosticsC& operator=(const PrefsDiagnosticsC&) = delete;

  // `format` holds "%1$s".."%9$s" and "%%"; args fill them.
  void print(std::string_view format, const std::vector<std::string>& args = {});

  // Writes the kept lines to `writer` and sends every later line there.
  // The writer must stay valid until detach(); null detaches (lines are
  // kept again).
  void attach(PrefsDiagnosticWriterI* writer);
  void detach() { attach(nullptr); }

  // True for the first caller only: the header is printed once per
  // process (per object).
  bool claimHeader() { return !headerPrinted_.exchange(true); }

  // The lines kept so far (not yet written).
  std::vector<std::string> kept() const;

  // The text of one line: format with its arguments.
  static std::string format(std::string_view format, const std::vector<std::string>& args);

 private:
  mutable SpinLockWord lock_{0};
  PrefsDiagnosticWriterI* writer_ = nullptr;
  std::vector<std::string> kept_;
  size_t overflow_ = 0;
  std::atomic<bool> headerPrinted_{false};
};
