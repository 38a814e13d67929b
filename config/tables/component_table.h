// The component table: a component name of the suite ("VDIEndpointAgent")
// and the key suffix appended to the normal or the policy base key
// ("\VDI Endpoint Agent\CurrentVersion"). "Root" has no suffix: it is the
// base key itself.
#pragma once

#include <span>

#include "runtime/strings/string_c.h"

struct ComponentRowC {
  const char* component;
  const char* keySuffix;
};

// All rows, in table order.
std::span<const ComponentRowC> componentRows();

// The suffix of `component` (names compare exactly); the empty text for
// "Root" and for a name the table does not hold. The lookup map is built
// once, on the first call, and kept for the process; any thread.
StringC componentKeySuffix(const StringC& component);
