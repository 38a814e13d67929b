// The one error vocabulary of the platform layer: Win32 error codes, named.
//
// Every platform call that can fail answers in these terms, in one of two
// forms: a uint32_t result that is 0 on success or the code, or (for calls
// that return a handle or a count) a failure value with the code in an
// `error` out-parameter. The layers above compare with these names, never
// with bare numbers. Exceptions, stated in their headers: the file-system
// calls of platform/file_system.h answer the runtime library's errno values,
// as the file service's callers expect them; queries that answer a value
// keep the Windows form of "no answer" (INVALID_FILE_ATTRIBUTES, a size or
// count of -1, false from processTimes or from a wait that did not see the
// thread end), where the callers have nothing to do with the reason.
//
// On Linux every back-end turns errno into a code through win32FromErrno, so
// one errno always means one code.
#pragma once

#include <cstdint>

#include "common/win32_codes.h"

namespace platform {

// The names themselves live in common/ (the suite's common library uses
// them too) and are reachable here as platform::kError...
using namespace win32;

// Linux back-ends only: the Win32 code for an errno value (0 for 0; codes
// without a closer match are ERROR_GEN_FAILURE).
uint32_t win32FromErrno(int error);

}  // namespace platform
