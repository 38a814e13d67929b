#include <windows.h>

#include "platform/codepage.h"

namespace platform {

bool isSystemLeadByte(unsigned char b) { return IsDBCSLeadByteEx(CP_THREAD_ACP, b) != 0; }

}  // namespace platform
