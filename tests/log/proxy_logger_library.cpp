// A logging library as a proxy logger loads it: it records every call in
// the file named by VDI_PROXY_LOG.
#include <cstdio>
#include <cstdlib>

#include "log/log_entry.h"

namespace {
void record(const char* what) {
  const char* path = std::getenv("VDI_PROXY_LOG");
  if (!path) return;
  if (std::FILE* f = std::fopen(path, "ab")) {
    std::fputs(what, f);
    std::fputc('\n', f);
    std::fclose(f);
  }
}
}  // namespace

extern "C" {

__attribute__((visibility("default"))) void QblLogInitialize() { record("initialize"); }
__attribute__((visibility("default"))) void QblLogFinalize() { record("finalize"); }
__attribute__((visibility("default"))) const char* QblLogPreferedLogLevel(const char*) { return "G"; }
__attribute__((visibility("default"))) void QblLog(int32_t set, int32_t message, int32_t status, const char* text,
                                                   const log_LogContextC* context, const char* defaultText,
                                                   const tnw::ArgList* args) {
  char line[512];
  std::snprintf(line, sizeof line, "log s%dm%d status %d letter %c number %d args %d: %s | %s", set, message, status,
                static_cast<char>(context->letter), context->number, args ? args->count : -1, text, defaultText);
  record(line);
}
}
