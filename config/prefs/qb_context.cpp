#include "config/prefs/qb_context.h"
#include "platform/library_objects.h"

QBContextC& QBContextC::process() {
  // Kept until the library's unload (after its static destructors, which
  // may read preferences).
  static QBContextC* context = platform::library_objects::keep(new QBContextC());
  return *context;
}
