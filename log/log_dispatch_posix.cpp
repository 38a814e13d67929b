#include "log/log_manager.h"

// Linux has no COM: the manager has no IDispatch face there.
log_DispatchFaceI* createLogDispatchFace(log_LogManagerC&) { return nullptr; }
