#include <cstring>
#include <string>

#include "tnwcmn/encoding.h"
#include "tnwcmn/services.h"
#include "tnwcmn/text_format.h"
#include "tnwcmn/text_object.h"
#include "tnwcmn/utf8.h"

namespace tnw {

namespace {

class TextService final : public TextServiceI {
 public:
  int32_t interfaceVersion() override { return 1; }

  TextI* fromUtf8(const char* data, int32_t bytes) override {
    if (!data) return makeText({});
    return makeTextSanitized(std::string_view(data, bytes < 0 ? std::strlen(data) : static_cast<size_t>(bytes)));
  }

  TextI* toLower(TextI* text) override {
    // ASCII and Latin-1/Greek/Cyrillic letters with a plain offset; other
    // scripts keep their case (the case rules beyond these are open).
    std::string out;
    std::string_view in = view(text);
    out.reserve(in.size());
    const char* p = in.data();
    const char* end = p + in.size();
    while (p < end) {
      const char* s = p;
      if (static_cast<unsigned char>(*p) < 0x80) {
        char c = *p++;
        out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        continue;
      }
      char32_t cp = utf8::decode(p, end);
      char32_t lower = cp;
      if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) ||
          (cp >= 0x410 && cp <= 0x42F))
        lower = cp + 0x20;
      else if (cp >= 0x400 && cp <= 0x40F)
        lower = cp + 0x50;
      if (lower == cp)
        out.append(s, p);
      else
        utf8::append(out, lower);
    }
    consume(text);
    return makeText(out);
  }

  Status encode(TextI* text, const char* encodingName, void* out, int32_t outBytes, int32_t* needed) override {
    std::string bytes;
    const bool ok = encoding::encode(encoding::parse(encodingName), view(text), bytes);
    consume(text);
    if (!ok) return kInvalidArg;
    if (needed) *needed = static_cast<int32_t>(bytes.size());
    if (!out || outBytes < static_cast<int32_t>(bytes.size())) return bytes.empty() ? kOk : kMoreData;
    std::memcpy(out, bytes.data(), bytes.size());
    return kOk;
  }

  int32_t isKnownEncoding(const char* name) override { return encoding::parse(name) != encoding::Kind::kUnknown; }

  TextI* format(TextI* fmt, const ArgList* args) override {
    TextI* result = makeText(formatPositional(view(fmt), args));
    consume(fmt);
    return result;
  }

  TextI* formatUtf8(const char* fmt, const ArgList* args) override {
    return makeText(formatPositional(fmt ? std::string_view(fmt) : std::string_view(), args));
  }

  int32_t compare(TextI* a, TextI* b) override {
    const int r = view(a).compare(view(b));
    consume(a);
    consume(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
  }

  TextI* concat(TextI* a, TextI* b) override {
    std::string s(view(a));
    s.append(view(b));
    consume(a);
    consume(b);
    return makeText(s);
  }

  TextI* create(const void* data, int32_t length, const char* encodingName) override {
    std::string utf8;
    if (!encoding::decode(encoding::parse(encodingName), data, length, utf8)) return nullptr;
    return makeText(utf8);
  }
};

}  // namespace

TextServiceI& textService() {
  static TextService* service = new TextService;
  return *service;
}

}  // namespace tnw
