#include "reg_export.h"

#include <cstdio>

#include "tnwcmn/tnwcmn.h"
#include "tnwcmn/utf8.h"

namespace regdump {

namespace {

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// A REG_SZ as text, when the bytes are exactly UTF-16 units ending in the
// one NUL Windows stores; anything else would lose bytes as text.
bool stringText(const std::string& data, std::string& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  std::u16string units(data.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                     (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  if (units.back() != u'\0') return false;
  units.pop_back();
  if (units.find(u'\0') != std::u16string::npos) return false;
  text = tnw::utf8::fromUtf16(units.data(), units.size());
  return tnw::utf8::toUtf16(text) == units;  // unpaired surrogates do not survive
}

std::string hexValue(const std::string& head, const std::string& data) {
  std::string out = head;
  size_t column = out.size();
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(data[i]));
    out += byte;
    column += 2;
    if (i + 1 < data.size()) {
      out += ',';
      ++column;
      if (column > 76) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
  return out;
}

// The loader refuses a physical line over tnw::reg::kMaxPhysicalLine but
// takes a value continued over lines ending in "\\", so a value line longer
// than kWrapAt (a long string, or a long name) is continued the same way.
// A break goes only before a byte that starts a character (each physical
// line is decoded on its own) and is neither a blank (trimmed from the
// start of a continuation line) nor ";" (a comment line, skipped). A run of
// blanks and ";" longer than the loader's limit cannot be broken: such a
// value does not survive a round trip.
constexpr size_t kWrapAt = 64u << 10;
static_assert(kWrapAt < tnw::reg::kMaxPhysicalLine / 2);

std::string continuedLines(std::string line) {
  if (line.size() <= kWrapAt) return line;
  std::string out;
  out.reserve(line.size() + 2 * (line.size() / kWrapAt + 1));
  size_t column = 0;
  for (const char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\n') {
      column = 0;
    } else if (column >= kWrapAt && c != ' ' && c != '\t' && c != ';' && (c & 0xC0) != 0x80) {
      out += "\\\n";
      column = 0;
    }
    out += ch;
    ++column;
  }
  return out;
}

void exportTree(const tnw::reg::Store& store, const std::string& root, std::vector<std::string>& path, bool view32,
                std::string& out) {
  const auto physical = view32 ? tnw::reg::redirect32(root, path) : path;
  const tnw::reg::KeyNode* node = store.find(root, physical);
  if (!node) return;
  out += "[" + root;
  for (const auto& part : path) out += "\\" + part;
  out += "]\n";
  for (const auto& v : node->values) out += continuedLines(exportValue(v)) + "\n";
  out += "\n";
  for (const auto& child : node->children) {
    // The 32-bit view shows WOW6432Node's keys as SOFTWARE's, not the node.
    if (view32 && root == "HKEY_LOCAL_MACHINE" && path.size() == 1 && tnw::reg::fold(path[0]) == "software" &&
        child.first == "wow6432node")
      continue;
    path.push_back(child.second->name);
    exportTree(store, root, path, view32, out);
    path.pop_back();
  }
}

}  // namespace

std::string exportValue(const tnw::reg::Value& value) {
  const std::string name = value.name.empty() ? "@" : quoted(value.name);
  std::string text;
  if (value.type == tnw::kRegSz && stringText(value.data, text)) return name + "=" + quoted(text);
  if (value.type == tnw::kRegDword && value.data.size() == 4) {
    uint32_t d = 0;
    for (int i = 3; i >= 0; --i) d = (d << 8) | static_cast<unsigned char>(value.data[static_cast<size_t>(i)]);
    char buf[24];
    std::snprintf(buf, sizeof buf, "dword:%08x", d);
    return name + "=" + buf;
  }
  if (value.type == tnw::kRegBinary) return hexValue(name + "=hex:", value.data);
  char head[24];
  std::snprintf(head, sizeof head, "=hex(%x):", value.type);
  return hexValue(name + head, value.data);
}

bool exportKey(const tnw::reg::Store& store, const std::string& root, const std::vector<std::string>& path,
               bool view32, std::string& out) {
  const auto physical = view32 ? tnw::reg::redirect32(root, path) : path;
  if (!store.find(root, physical)) return false;
  out += std::string(kExportHeader) + "\n\n";
  std::vector<std::string> walk = path;
  exportTree(store, root, walk, view32, out);
  return true;
}

}  // namespace regdump
