#include "platform/message_text.h"

namespace platform {

std::string systemMessageText(uint32_t, LibraryHandle) { return std::string(); }

}  // namespace platform
