// Message records: the form of every catalog text and built-in default.
//
//  - plain text: status 4 (error), the text as it stands;
//  - "{kinds} text": kind letters up to "}", one blank or tab after it
//    skipped, then the text;
//  - 0x01 followed by records of five fields, each ended by 0x01:
//    condition, kind letters, text, detail, extra. Records with an empty
//    condition apply in turn (the last one wins); a record whose condition
//    equals a non-empty selector applies and ends the search. No record
//    applying gives an empty text (and status 4).
//
// Kind letters, read left to right, the last applicable one winning, from a
// start of 4: '#' 0 (not reported), 'm' 1, 'i' 2, 'w' 3, 'e' 4, 'f' 5. An
// uppercase letter makes the next letter apply only when it is among the
// caller's variant letters; other characters are ignored. Reading stops at
// the end, at 0x01 or at "}".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace message_record {

inline constexpr int32_t kStartStatus = 4;

struct ParsedC {
  int32_t status = kStartStatus;
  std::string text;
  std::string detail;
};

int32_t parseKinds(std::string_view kinds, std::string_view variants);

bool isRecord(std::string_view text);

ParsedC parse(std::string_view text, std::string_view variants = {}, std::string_view selector = {});

}  // namespace message_record
