#include "tnwcmn/trace_sink.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>

#include "tnwcmn/os.h"

namespace tnw::sink {

namespace {

struct Sink {
  std::mutex lock;
  std::FILE* file = nullptr;
  bool opened = false;

  void open() {
    if (file) std::fclose(file);
    file = nullptr;
    const std::string path = os::env("TNW_TRACE_FILE");
    if (!path.empty()) file = std::fopen(path.c_str(), "ab");
    opened = true;
  }
};

Sink& sink() {
  static Sink* s = new Sink;  // never destroyed: used by threads until the very end
  return *s;
}

}  // namespace

void reopen() {
  Sink& s = sink();
  std::lock_guard<std::mutex> guard(s.lock);
  s.open();
}

void writeLine(std::string_view tag, std::string_view text) {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(now);
  const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  os::utcTime(secs, tm);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d [%lu] ", tm.tm_year + 1900,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms,
                static_cast<unsigned long>(os::currentThreadId()));
  std::string line = stamp;
  line.append(tag);
  line += ": ";
  line.append(text);
  line += '\n';
  Sink& s = sink();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!s.opened) s.open();
  std::FILE* f = s.file ? s.file : stderr;
  std::fwrite(line.data(), 1, line.size(), f);
  std::fflush(f);
}

}  // namespace tnw::sink
