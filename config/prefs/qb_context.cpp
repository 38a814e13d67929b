#include "config/prefs/qb_context.h"

QBContextC& QBContextC::process() {
  // Never destroyed: preferences may be read from static destructors and
  // from threads still running at unload.
  static QBContextC* context = new QBContextC();
  return *context;
}
