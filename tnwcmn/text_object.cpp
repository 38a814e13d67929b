#include "tnwcmn/text_object.h"

#include <atomic>
#include <cstring>
#include <new>

#include "tnwcmn/utf8.h"

namespace tnw {

namespace {

class TextObject final : public TextI {
 public:
  static TextObject* make(std::string_view utf8) {
    void* mem = ::operator new(sizeof(TextObject) + utf8.size());
    return new (mem) TextObject(utf8);
  }

  void destroy(uint32_t flags) override {
    if (flags & 1) {
      this->~TextObject();
      ::operator delete(this);
    }
  }
  void addRef() override { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() override {
    if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) destroy(1);
  }
  const char* utf8() const override { return data_; }
  int32_t byteLength() const override { return bytes_; }
  int32_t charLength() const override { return chars_; }

 private:
  explicit TextObject(std::string_view utf8)
      : bytes_(static_cast<int32_t>(utf8.size())), chars_(utf8::countChars(utf8)) {
    std::memcpy(data_, utf8.data(), utf8.size());
    data_[utf8.size()] = '\0';
  }
  ~TextObject() = default;

  std::atomic<int32_t> refs_{1};
  int32_t bytes_;
  int32_t chars_;
  char data_[1];
};

}  // namespace

TextI* makeText(std::string_view utf8) { return TextObject::make(utf8); }

TextI* makeTextSanitized(std::string_view bytes) {
  if (utf8::isAscii(bytes)) return TextObject::make(bytes);
  std::string clean;
  utf8::sanitize(bytes, clean);
  return TextObject::make(clean);
}

}  // namespace tnw
