#include "tnwcmn/registry_value.h"

#include <cstdint>

#include "tnwcmn/utf8.h"

namespace tnw::reg {

namespace {

std::u16string units(const std::string& data) {
  std::u16string w(data.size() / 2, u'\0');
  for (size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                 (static_cast<unsigned char>(data[2 * i + 1]) << 8));
  return w;
}

uint64_t little(const std::string& data, size_t n) {
  uint64_t v = 0;
  for (size_t i = 0; i < n && i < data.size(); ++i) v |= static_cast<uint64_t>(static_cast<unsigned char>(data[i])) << (8 * i);
  return v;
}

}  // namespace

Status valueToList(uint32_t type, const std::string& data, std::vector<std::string>& items) {
  items.clear();
  if (type == kRegSz || type == kRegExpandSz) {
    std::string text;
    Status s = valueToText(type, data, text);
    if (s == kOk) items.push_back(text);
    return s;
  }
  if (type != kRegMultiSz) return kUnsupportedType;
  const std::u16string w = units(data);
  size_t i = 0;
  while (i < w.size()) {
    size_t j = w.find(u'\0', i);
    if (j == std::u16string::npos) j = w.size();
    if (j == i) break;
    items.push_back(utf8::fromUtf16(w.data() + i, j - i));
    i = j + 1;
  }
  return kOk;
}

Status valueToText(uint32_t type, const std::string& data, std::string& text) {
  text.clear();
  switch (type) {
    case kRegSz:
    case kRegExpandSz: {
      std::u16string w = units(data);
      size_t end = w.find(u'\0');
      if (end == std::u16string::npos) end = w.size();
      text = utf8::fromUtf16(w.data(), end);
      return kOk;
    }
    case kRegDword:
      if (data.size() < 4) return kUnsupportedType;
      text = std::to_string(static_cast<uint32_t>(little(data, 4)));
      return kOk;
    case kRegDwordBigEndian: {
      if (data.size() < 4) return kUnsupportedType;
      uint32_t v = 0;
      for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
      text = std::to_string(v);
      return kOk;
    }
    case kRegQword:
      if (data.size() < 8) return kUnsupportedType;
      text = std::to_string(little(data, 8));
      return kOk;
    case kRegMultiSz: {
      std::vector<std::string> items;
      valueToList(type, data, items);
      for (size_t i = 0; i < items.size(); ++i) {
        if (i) text += ';';
        text += items[i];
      }
      return kOk;
    }
    default:
      return kUnsupportedType;
  }
}

}  // namespace tnw::reg
