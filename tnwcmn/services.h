// The process-wide service objects behind the exported ordinals.
#pragma once

#include "tnwcmn/tnwcmn.h"

namespace tnw {

TextServiceI& textService();
LogServiceI& logService();
ErrorServiceI& errorService();
ProcessServiceI& processService();
LocaleServiceI& localeService();
TextProviderI& textProvider();
RegistryContextI& registryContext();

}  // namespace tnw
