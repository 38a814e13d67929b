#include "runtime/messages/error_report.h"

#include <string>

#include "runtime/services/common_services.h"
#include "runtime/messages/err_cat_switch.h"

StringC formatMessage(uint32_t identifier, const StringC& defaultText, const ArgListC& args, int32_t* status) {
  message_record::ParsedC r = ErrCatSwitchC::instance().fetchMessage(identifier, defaultText.utf8());
  if (status) *status = r.status;
  return StringC::fromUtf8(r.text).format(args);
}

uint32_t raiseError(uint32_t identifier, const StringC& defaultText, const ArgListC& args) {
  int32_t status = 0;
  StringC text = formatMessage(identifier, defaultText, args, &status);
  if (status != 0) {
    if (tnw::ErrorServiceI* errors = common_services::errorService())
      errors->report(identifier, status, text.newRef());
  }
  return identifier;
}

uint32_t raiseError(uint32_t identifier, const char* defaultText, const ArgListC& args) {
  return raiseError(identifier, StringC::fromUtf8(defaultText ? defaultText : ""), args);
}

StringC messageRecord(const char* kinds, const char* text, const char* detail) {
  std::string r = "\x01\x01";
  r += kinds;
  r += '\x01';
  r += text;
  r += '\x01';
  r += detail;
  r += '\x01';
  return StringC::fromUtf8(r);
}
