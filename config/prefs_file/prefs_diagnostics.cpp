#include "config/prefs_file/prefs_diagnostics.h"

#include "log/log_manager.h"
#include "platform/library_objects.h"

void LogManagerDiagnosticWriterC::write(const std::string& line) { logger_.LogText(line.c_str()); }

PrefsDiagnosticsC& PrefsDiagnosticsC::process() {
  static auto* diagnostics = platform::library_objects::keep(new PrefsDiagnosticsC);
  return *diagnostics;
}

std::string PrefsDiagnosticsC::format(std::string_view f, const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%' || i + 1 >= f.size()) {
      out += f[i];
    } else if (f[i + 1] == '%') {
      out += '%';
      ++i;
    } else if (i + 3 < f.size() && f[i + 1] >= '1' && f[i + 1] <= '9' && f[i + 2] == '$' && f[i + 3] == 's') {
      const size_t n = static_cast<size_t>(f[i + 1] - '1');
      if (n < args.size()) out += args[n];
      i += 3;
    } else {
      out += f[i];
    }
  }
  return out;
}

// The writer goes into the log manager: it is called after the lock is let
// go, so a line written by something the log manager reaches (which may
// print again) cannot spin on it.
void PrefsDiagnosticsC::print(std::string_view f, const std::vector<std::string>& args) {
  std::string line = format(f, args);
  PrefsDiagnosticWriterI* writer = nullptr;
  {
    SpinLockGuardC hold(lock_);
    if (writer_) {
      writer = writer_;
    } else if (kept_.size() < kKeepLimit) {
      kept_.push_back(std::move(line));
    } else {
      ++overflow_;
    }
  }
  if (writer) writer->write(line);
}

void PrefsDiagnosticsC::attach(PrefsDiagnosticWriterI* writer) {
  std::vector<std::string> lines;
  size_t overflow = 0;
  {
    SpinLockGuardC hold(lock_);
    writer_ = writer;
    if (!writer_) return;
    lines.swap(kept_);
    overflow = overflow_;
    overflow_ = 0;
  }
  for (const std::string& line : lines) writer->write(line);
  if (overflow)
    writer->write(format("%1$s further preference diagnostics lines were not kept", {std::to_string(overflow)}));
}

std::vector<std::string> PrefsDiagnosticsC::kept() const {
  SpinLockGuardC hold(lock_);
  return kept_;
}
