// Placeholder until the compiler lands.
#include "platform/mof_compiler.h"
