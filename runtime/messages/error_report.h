// Raising a catalogued error: the message's text is fetched (module
// catalog, process catalog, default), formatted with the arguments and,
// when its kind is reportable (status not 0), handed to the suite's error
// service, if the process has one. The report is the record's text field
// alone: a record's detail ("Error code %d") is written for other argument
// lists than the message's, and formatted with these it would show the
// wrong numbers.
#pragma once

#include <cstdint>

#include "runtime/strings/arg_list.h"
#include "runtime/strings/string_c.h"

// Returns the identifier.
uint32_t raiseError(uint32_t identifier, const StringC& defaultText, const ArgListC& args = ArgListC());
uint32_t raiseError(uint32_t identifier, const char* defaultText, const ArgListC& args = ArgListC());

// The formatted text raiseError would report, and its status.
StringC formatMessage(uint32_t identifier, const StringC& defaultText, const ArgListC& args, int32_t* status);

// A default text in record form: kind letters, text and detail, as the
// framework's own messages are written.
StringC messageRecord(const char* kinds, const char* text, const char* detail = "");
