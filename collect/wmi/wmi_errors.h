// Names and texts of WMI result codes, and the connection statuses that
// stand for four of them. Any thread: every text is built and returned by
// value.
#pragma once

#include <cstdint>

#include "runtime/strings/string_c.h"

// The symbolic name of a result code: the published WMI names
// (WBEM_S_..., WBEM_E_FAILED to WBEM_E_INVALID_OBJECT_PATH,
// WBEM_E_LOCAL_CREDENTIALS, WBEMESS_E_REGISTRATION_TOO_BROAD/_PRECISE), the
// texts of two system codes ("Access is denied", "The RPC server is
// unavailable"), else "0x" and the code in lower-case hexadecimal.
StringC wmiErrorName(uint32_t code);

// What the layer's messages say of a code: the module catalog's text of it
// when the catalog has one, else the message text of "wbem\wmiutils.dll"
// or of the system (Windows), else the symbolic name.
StringC wmiErrorText(uint32_t code);
