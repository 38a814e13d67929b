// What two registry stores hold, compared as content: every value (key
// path, name, type and data bytes) and every key without sub-keys, with key
// paths and value names compared without regard to case. Formatting, value
// order and the keys that only lead to others do not count, so a file
// written by one tool and one written by another compare equal when they
// mean the same registry.
#pragma once

#include <string>
#include <vector>

#include "tnwcmn/reg_store.h"

namespace regdump {

// One line per difference ("only in A: ...", "only in B: ...", "differs:
// ..."), in key order; empty when the two hold the same.
std::vector<std::string> differences(const tnw::reg::Store& a, const tnw::reg::Store& b);

}  // namespace regdump
