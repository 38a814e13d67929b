// regdump --trace: where a configuration variable of the suite's tables is
// looked for, step by step, and the value it reads, on the machine root the
// process's registry service reads (TNW_MACHINE_ROOT).
#pragma once

#include <string>

namespace regdump {

// Runs one read of the variable `name` ("LogFile", or with its key to tell
// apart variables of the same name: "VDI Endpoint Agent\CurrentVersion\LogFile";
// names compare without regard to case). The search is traced on standard
// output; the last line is the result. Returns the exit code: 0 read, 2 an
// unknown or ambiguous name (the candidates are listed on standard error).
int traceVariable(const std::string& name);

}  // namespace regdump
