// The dry run's logging library. vdidryrun names it as the agent's only
// logger ("LogModules"), so the log manager loads it and hands it every
// entry; each becomes one line on standard error. It writes no file: a dry
// run leaves the machine as it found it. It links nothing of the agent (the
// entry's context record is read only for its letter and number).
#include <cstdint>
#include <cstdio>

#include "log/log_entry.h"

extern "C" void QblLog(int32_t, int32_t, int32_t, const char* text, const log_LogContextC* context, const char*,
                       const tnw::ArgList*) {
  if (context)
    std::fprintf(stderr, "vdidryrun: agent log (%c, %d): %s\n", static_cast<char>(context->letter),
                 static_cast<int>(context->number), text ? text : "");
  else
    std::fprintf(stderr, "vdidryrun: agent log: %s\n", text ? text : "");
}
