#include "platform/codepage.h"

namespace platform {

bool isSystemLeadByte(unsigned char) { return false; }

}  // namespace platform
