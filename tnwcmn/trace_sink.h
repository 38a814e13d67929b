// Where the common library's trace lines and error reports go: the file
// named by TNW_TRACE_FILE (appended to), else standard error. One line per
// call, written whole under a lock so that threads never interleave.
#pragma once

#include <string_view>

namespace tnw::sink {

// Writes "<time> [<thread>] <tag>: <text>\n".
void writeLine(std::string_view tag, std::string_view text);

// Re-reads TNW_TRACE_FILE (tests point it elsewhere).
void reopen();

}  // namespace tnw::sink
