// The readable source form of message catalogs, and its compilation into
// the binary "kestract" form.
//
// Source: one message per line, "<id> <text>", where <id> is a full message
// identifier (0xE1B30002) or a set and message number (s435m2). The text
// runs to the end of the line; "\\", "\n", "\t" and "\xHH" are escapes (a
// message record's 0x01 separators are written "\x01"). Blank lines and
// lines starting with "#" are ignored.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkcat {

struct MessageC {
  uint16_t set;
  uint32_t message;
  std::string text;
};

// Parses a source text. Problems ("line N: ...") go to errors; a bad line
// is left out.
std::vector<MessageC> parseSource(const std::string& source, std::vector<std::string>& errors);

// The catalog file: entries sorted by (set, message); duplicates are errors.
std::string compile(std::vector<MessageC> messages, std::vector<std::string>& errors);

// A catalog file back into source form; false for a file that isn't one.
bool dump(const std::string& catalog, std::string& source, std::string& error);

std::string escape(const std::string& text);

}  // namespace mkcat
