#include "collect/wmi/wmi_errors.h"

#include <cstdio>
#include <string>

#include "platform/hresult.h"
#include "platform/message_text.h"
#include "runtime/messages/err_cat_switch.h"
#include "runtime/messages/err_catalog.h"
#include "runtime/messages/message_record.h"
#include "runtime/services/dyn_load.h"

namespace {

// 0x80041001 upwards, in the order of the codes.
constexpr const char* kErrorNames[] = {
    "WBEM_E_FAILED",
    "WBEM_E_NOT_FOUND",
    "WBEM_E_ACCESS_DENIED",
    "WBEM_E_PROVIDER_FAILURE",
    "WBEM_E_TYPE_MISMATCH",
    "WBEM_E_OUT_OF_MEMORY",
    "WBEM_E_INVALID_CONTEXT",
    "WBEM_E_INVALID_PARAMETER",
    "WBEM_E_NOT_AVAILABLE",
    "WBEM_E_CRITICAL_ERROR",
    "WBEM_E_INVALID_STREAM",
    "WBEM_E_NOT_SUPPORTED",
    "WBEM_E_INVALID_SUPERCLASS",
    "WBEM_E_INVALID_NAMESPACE",
    "WBEM_E_INVALID_OBJECT",
    "WBEM_E_INVALID_CLASS",
    "WBEM_E_PROVIDER_NOT_FOUND",
    "WBEM_E_INVALID_PROVIDER_REGISTRATION",
    "WBEM_E_PROVIDER_LOAD_FAILURE",
    "WBEM_E_INITIALIZATION_FAILURE",
    "WBEM_E_TRANSPORT_FAILURE",
    "WBEM_E_INVALID_OPERATION",
    "WBEM_E_INVALID_QUERY",
    "WBEM_E_INVALID_QUERY_TYPE",
    "WBEM_E_ALREADY_EXISTS",
    "WBEM_E_OVERRIDE_NOT_ALLOWED",
    "WBEM_E_PROPAGATED_QUALIFIER",
    "WBEM_E_PROPAGATED_PROPERTY",
    "WBEM_E_UNEXPECTED",
    "WBEM_E_ILLEGAL_OPERATION",
    "WBEM_E_CANNOT_BE_KEY",
    "WBEM_E_INCOMPLETE_CLASS",
    "WBEM_E_INVALID_SYNTAX",
    "WBEM_E_NONDECORATED_OBJECT",
    "WBEM_E_READ_ONLY",
    "WBEM_E_PROVIDER_NOT_CAPABLE",
    "WBEM_E_CLASS_HAS_CHILDREN",
    "WBEM_E_CLASS_HAS_INSTANCES",
    "WBEM_E_QUERY_NOT_IMPLEMENTED",
    "WBEM_E_ILLEGAL_NULL",
    "WBEM_E_INVALID_QUALIFIER_TYPE",
    "WBEM_E_INVALID_PROPERTY_TYPE",
    "WBEM_E_VALUE_OUT_OF_RANGE",
    "WBEM_E_CANNOT_BE_SINGLETON",
    "WBEM_E_INVALID_CIM_TYPE",
    "WBEM_E_INVALID_METHOD",
    "WBEM_E_INVALID_METHOD_PARAMETERS",
    "WBEM_E_SYSTEM_PROPERTY",
    "WBEM_E_INVALID_PROPERTY",
    "WBEM_E_CALL_CANCELLED",
    "WBEM_E_SHUTTING_DOWN",
    "WBEM_E_PROPAGATED_METHOD",
    "WBEM_E_UNSUPPORTED_PARAMETER",
    "WBEM_E_MISSING_PARAMETER_ID",
    "WBEM_E_INVALID_PARAMETER_ID",
    "WBEM_E_NONCONSECUTIVE_PARAMETER_IDS",
    "WBEM_E_PARAMETER_ID_ON_RETVAL",
    "WBEM_E_INVALID_OBJECT_PATH",
};
constexpr uint32_t kFirstError = 0x80041001u;

// 0x40001 upwards.
constexpr const char* kSuccessNames[] = {
    "WBEM_S_ALREADY_EXISTS", "WBEM_S_RESET_TO_DEFAULT", "WBEM_S_DIFFERENT",        "WBEM_S_TIMEDOUT",
    "WBEM_S_NO_MORE_DATA",   "WBEM_OPERATION_CANCELLED", "WBEM_S_PENDING",         "WBEM_S_DUPLICATE_OBJECTS",
};
constexpr uint32_t kFirstSuccess = 0x40001u;

const char* knownName(uint32_t code) {
  if (code >= kFirstError && code - kFirstError < std::size(kErrorNames)) return kErrorNames[code - kFirstError];
  if (code >= kFirstSuccess && code - kFirstSuccess < std::size(kSuccessNames)) return kSuccessNames[code - kFirstSuccess];
  switch (code) {
    case platform::kWbemSNoError: return "WBEM_NO_ERROR/WBEM_S_NO_ERROR/WBEM_S_SAME";
    case platform::kWbemSFalse: return "WBEM_S_FALSE";
    case platform::kWbemELocalCredentials: return "WBEM_E_LOCAL_CREDENTIALS";
    case 0x80042001u: return "WBEMESS_E_REGISTRATION_TOO_BROAD";
    case 0x80042002u: return "WBEMESS_E_REGISTRATION_TOO_PRECISE";
    case platform::kEAccessDenied: return "Access is denied";
    case platform::kRpcSServerUnavailable: return "The RPC server is unavailable";
    default: return nullptr;
  }
}

}  // namespace

StringC wmiErrorName(uint32_t code) {
  if (const char* name = knownName(code)) return StringC::fromUtf8(name);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(code));
  return StringC::fromUtf8(hex);
}

StringC wmiErrorText(uint32_t code) {
  // Only a catalog identifier (bit 29) names a catalog message: a WMI or
  // system code read as set and number would find an unrelated text.
  std::string stored;
  if (isCatalogIdentifier(code) && ErrCatSwitchC::instance().moduleCatalog().lookup(messageSet(code), messageNumber(code), stored)) {
    const message_record::ParsedC parsed = message_record::parse(stored);
    if (!parsed.text.empty()) return StringC::fromUtf8(parsed.text);
  }
  // WMI's own texts live in wmiutils' message table; it stays loaded while
  // the text is looked up.
  const DynLoadC wmiutils("wbem\\wmiutils.dll");
  const std::string system = platform::systemMessageText(code, wmiutils.handle());
  if (!system.empty()) return StringC::fromUtf8(system);
  return wmiErrorName(code);
}
