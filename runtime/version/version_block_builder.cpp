#include "runtime/version/version_block_builder.h"

#include <cstdlib>

namespace version_block {

namespace {

class WriterC {
 public:
  explicit WriterC(LayoutE layout) : wide_(layout == LayoutE::kWide) {}

  // Writes an entry: header, key, padding, value (raw bytes), padding,
  // children (already built). `valueLength` is the header's count (units of
  // text for a text value, bytes otherwise).
  std::vector<uint8_t> node(const std::string& key, const std::vector<uint8_t>& value, uint16_t valueLength,
                            bool textType, const std::vector<std::vector<uint8_t>>& children) const {
    std::vector<uint8_t> out(wide_ ? 6 : 4, 0);
    if (wide_) put16(out, 4, textType ? 1 : 0);
    appendText(out, key);
    pad(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const auto& c : children) {
      pad(out);
      out.insert(out.end(), c.begin(), c.end());
    }
    put16(out, 0, static_cast<uint16_t>(out.size()));
    put16(out, 2, valueLength);
    return out;
  }

  std::vector<uint8_t> text(const std::string& s) const {
    std::vector<uint8_t> out;
    appendText(out, s);
    return out;
  }
  uint16_t units(const std::string& s) const { return static_cast<uint16_t>(s.size() + 1); }

 private:
  void appendText(std::vector<uint8_t>& out, const std::string& s) const {
    for (char c : s) {
      out.push_back(static_cast<uint8_t>(c));
      if (wide_) out.push_back(0);
    }
    out.push_back(0);
    if (wide_) out.push_back(0);
  }
  static void pad(std::vector<uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
  }
  static void put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
  }

  bool wide_;
};

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

std::vector<uint8_t> fixedBlock(const FixedInfoC& f) {
  std::vector<uint8_t> out;
  put32(out, kFixedSignature);
  put32(out, 0x00010000u);  // structure version 1.0
  put32(out, (uint32_t{f.fileVersion[0]} << 16) | f.fileVersion[1]);
  put32(out, (uint32_t{f.fileVersion[2]} << 16) | f.fileVersion[3]);
  put32(out, (uint32_t{f.productVersion[0]} << 16) | f.productVersion[1]);
  put32(out, (uint32_t{f.productVersion[2]} << 16) | f.productVersion[3]);
  put32(out, 0x3Fu);     // flags mask
  put32(out, 0);         // flags
  put32(out, 0x40004u);  // VOS_NT_WINDOWS32
  put32(out, 2);         // VFT_DLL
  put32(out, 0);         // subtype
  put32(out, 0);         // date, high
  put32(out, 0);         // date, low
  return out;
}

}  // namespace

std::vector<uint8_t> build(const BlockDescriptionC& description) {
  const WriterC w(description.layout);
  std::vector<std::vector<uint8_t>> strings;
  for (const auto& [key, value] : description.strings)
    strings.push_back(w.node(key, w.text(value), w.units(value), true, {}));
  const auto table = w.node(description.tableKey, {}, 0, true, strings);
  const auto stringInfo = w.node("StringFileInfo", {}, 0, true, {table});

  // The translation: language and code page from the table's key.
  const unsigned long key = std::strtoul(description.tableKey.c_str(), nullptr, 16);
  std::vector<uint8_t> translation;
  put32(translation, static_cast<uint32_t>(((key & 0xFFFFu) << 16) | (key >> 16)));
  const auto var = w.node("Translation", translation, 4, false, {});
  const auto varInfo = w.node("VarFileInfo", {}, 0, true, {var});

  const auto fixed = fixedBlock(description.fixed);
  return w.node("VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), false, {stringInfo, varInfo});
}

}  // namespace version_block
