// The in-memory registry tree that the Linux registry service reads, filled
// from files in the format `reg export` and regedit write.
//
// Values keep the bytes Windows would store (REG_SZ and REG_EXPAND_SZ as
// UTF-16LE with a terminating NUL, REG_DWORD little-endian, ...), so that the
// conversions above the store are the same code on both systems. Key and
// value names are compared without regard to (ASCII) case; sub-keys
// enumerate in name order, values in the order they were first written.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tnwcmn/code_page.h"

namespace tnw::reg {

struct Value {
  std::string name;  // as written; "" is the default value ("@")
  uint32_t type = 0;
  std::string data;  // raw bytes
};

struct KeyNode {
  std::string name;
  std::map<std::string, std::unique_ptr<KeyNode>> children;  // by folded name
  std::vector<Value> values;

  KeyNode* child(std::string_view name) const;
  const Value* value(std::string_view name) const;
};

std::string fold(std::string_view s);

// Splits a key path at backslashes, dropping empty components.
std::vector<std::string> splitPath(std::string_view path);

// The canonical root name for "HKEY_LOCAL_MACHINE" or "HKLM" and the other
// roots; "" when the text names no root.
std::string canonicalRoot(std::string_view name);

class Store {
 public:
  Store();

  // nullptr when the root is unknown or the path doesn't exist.
  const KeyNode* find(std::string_view root, const std::vector<std::string>& path) const;

  KeyNode* create(std::string_view root, const std::vector<std::string>& path);
  void removeKey(std::string_view root, const std::vector<std::string>& path);
  void setValue(KeyNode* key, Value value);
  void removeValue(KeyNode* key, std::string_view name);

 private:
  std::map<std::string, std::unique_ptr<KeyNode>> roots_;
};

// Loads one file's bytes into the store. Every problem is appended to
// `problems` as "<file>:<line>: <what>"; a bad line is skipped and loading
// goes on with the next one. A file without a valid header loads nothing.
//
// A file is UTF-16LE with a byte-order mark, or UTF-8 with one; without a
// mark a "REGEDIT4" file is 8-bit text in the code page `ansiCodePage` (as
// regedit writes it) and any other is UTF-8. The strings of hex(2) and
// hex(7) data in a "REGEDIT4" file are always in that code page. Bytes the
// code page leaves undefined are read as U+FFFD and reported.
//
// A value continued over lines ending in "\" goes on across comment lines.
// A physical line over kMaxPhysicalLine is skipped; inside a continued value
// it refuses that whole value (reported at the value's first line). Either
// way the lines it continues to go with it, and reading starts clean after.
//
// The machine root names its ANSI code page in the file kAnsiCodePageFile.
void loadRegFile(std::string_view bytes, const std::string& fileName, Store& store,
                 std::vector<std::string>& problems, uint32_t ansiCodePage = codepage::kWindows1252);

// The file of a machine root (MACHINE/ansi-code-page, for a remote machine
// MACHINE/remote/<name>/ansi-code-page) that names the machine's ANSI code
// page by number, as GetACP answers: "1251" (see codepage::parseNamed for
// what else it may hold). Without it the code page is Windows-1252; a
// change of it reloads the store.
inline constexpr const char* kAnsiCodePageFile = "ansi-code-page";

// Limits that keep a hostile file from costing unbounded memory or time.
inline constexpr size_t kMaxFileBytes = 64u << 20;
inline constexpr size_t kMaxPhysicalLine = 256u << 10;
inline constexpr size_t kMaxLogicalLine = 4u << 20;

// WOW64 view emulation: the physical path of `path` below `root` for a key
// opened in the 32-bit view (HKLM\SOFTWARE\X is HKLM\SOFTWARE\WOW6432Node\X).
std::vector<std::string> redirect32(std::string_view root, std::vector<std::string> path);

}  // namespace tnw::reg
