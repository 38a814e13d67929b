// The suite's common-library services as the framework reaches them. Every
// call into tnwcmn goes through these accessors; the library itself is
// imported by ordinal on Windows and linked as libtnwcmn.so on Linux.
//
// The error service may be absent: errorService() can return null and every
// caller must then skip it. Tests replace a service with their own object
// through the override functions (not thread-safe: set them before the
// threads that use them start).
#pragma once

#include "tnwcmn/tnwcmn.h"

namespace common_services {

tnw::ErrorServiceI* errorService();  // may be null
tnw::LogServiceI* logService();
tnw::TextServiceI* textService();
tnw::ProcessServiceI* processService();
tnw::LocaleServiceI* localeService();
tnw::TextProviderI* textProvider();
tnw::RegistryContextI* registryContext();
tnw::RegistryServiceI* registryService();

// Replaces the error service (null, with absent = true: no service at all).
// restoreErrorService() goes back to the library's own.
void overrideErrorService(tnw::ErrorServiceI* service, bool absent);
void restoreErrorService();

// Replaces the registry service every registry read of the framework goes
// through (null: the library's own again). The replacement is not owned.
void overrideRegistryService(tnw::RegistryServiceI* service);

}  // namespace common_services
