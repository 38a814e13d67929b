#include "runtime/messages/message_record.h"

#include <vector>

namespace message_record {

int32_t parseKinds(std::string_view kinds, std::string_view variants) {
  int32_t status = kStartStatus;
  for (size_t i = 0; i < kinds.size(); ++i) {
    const char c = kinds[i];
    if (c == '\x01' || c == '}') break;
    if (c >= 'A' && c <= 'Z') {
      // The letter right after applies only for a caller with this variant.
      if (variants.find(c) == std::string_view::npos) {
        if (i + 1 < kinds.size() && (kinds[i + 1] == '\x01' || kinds[i + 1] == '}')) break;
        ++i;
      }
      continue;
    }
    switch (c) {
      case '#': status = 0; break;
      case 'm': status = 1; break;
      case 'i': status = 2; break;
      case 'w': status = 3; break;
      case 'e': status = 4; break;
      case 'f': status = 5; break;
      default: break;
    }
  }
  return status;
}

bool isRecord(std::string_view text) { return !text.empty() && (text[0] == '{' || text[0] == '\x01'); }

ParsedC parse(std::string_view text, std::string_view variants, std::string_view selector) {
  ParsedC r;
  if (text.empty()) return r;
  if (text[0] == '{') {
    size_t close = text.find('}');
    if (close == std::string_view::npos) {
      // No closing brace: all of it is kind letters, no text.
      r.status = parseKinds(text.substr(1), variants);
      return r;
    }
    r.status = parseKinds(text.substr(1, close - 1), variants);
    size_t start = close + 1;
    if (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    r.text.assign(text.substr(start));
    return r;
  }
  if (text[0] != '\x01') {
    r.text.assign(text);
    return r;
  }
  size_t i = 1;
  while (i < text.size()) {
    std::string_view fields[5];
    for (auto& f : fields) {
      if (i >= text.size()) break;
      size_t end = text.find('\x01', i);
      if (end == std::string_view::npos) end = text.size();
      f = text.substr(i, end - i);
      i = end + 1;
    }
    const bool unconditional = fields[0].empty();
    const bool selected = !selector.empty() && fields[0] == selector;
    if (unconditional || selected) {
      r.status = parseKinds(fields[1], variants);
      r.text.assign(fields[2]);
      r.detail.assign(fields[3]);
      if (selected) break;
    }
  }
  return r;
}

}  // namespace message_record
