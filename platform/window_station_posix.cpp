#include "platform/window_station.h"

namespace platform {

bool grantSessionAccess(SystemHandle, SessionAccessLogI&) { return true; }

bool revokeSessionAccess(SystemHandle, SessionAccessLogI&) { return true; }

}  // namespace platform
