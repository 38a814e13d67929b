#include "platform/com.h"

namespace platform {

uint32_t comInitialize(int32_t) { return 0; }
void comUninitialize() {}

}  // namespace platform
