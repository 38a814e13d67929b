#include "runtime/streams/text_encoding.h"

#include <cstring>

#include "common/utf8.h"
#include "platform/codepage.h"
#include "runtime/strings/string_c.h"
#include "platform/library_objects.h"

namespace {

namespace u8 = common::utf8;

constexpr char32_t kReplacement = u8::kReplacement;

class Utf8Decoder final : public TextDecoderWithUnusedBytesC {
 public:
  Utf8Decoder(const TextEncodingI& e, Utf16Order) : encoding_(e) {}
  const TextEncodingI& encoding() const override { return encoding_; }

 protected:
  std::string convert(const std::string& data, size_t* used, bool final) override {
    std::string out;
    out.reserve(data.size());
    size_t i = 0;
    while (i < data.size()) {
      const u8::Sequence q = u8::read(data.data() + i, data.data() + data.size());
      if (q.status == u8::Status::kCutOff && !final) break;
      if (q.status == u8::Status::kWellFormed) {
        out.append(data, i, q.length);
      } else {
        invalid_ = true;
        u8::append(out, kReplacement);
      }
      i += q.length;
    }
    *used = i;
    return out;
  }

 private:
  const TextEncodingI& encoding_;
};

class Utf8Encoder final : public TextEncoderI {
 public:
  Utf8Encoder(const TextEncodingI& e, Utf16Order) : encoding_(e) {}
  const TextEncodingI& encoding() const override { return encoding_; }
  size_t maxOutput(size_t n) const override { return n; }
  size_t encode(const char* in, size_t n, char* out, size_t cap) override {
    if (cap < n) return 0;
    std::memcpy(out, in, n);
    return n;
  }

 private:
  const TextEncodingI& encoding_;
};

class Utf16Decoder final : public TextDecoderWithUnusedBytesC {
 public:
  Utf16Decoder(const TextEncodingI& e, Utf16Order order) : encoding_(e), order_(order) {}
  const TextEncodingI& encoding() const override { return encoding_; }

 protected:
  std::string convert(const std::string& d, size_t* used, bool final) override {
    std::string out;
    size_t i = 0;
    if (first_ && d.size() >= 2) {
      first_ = false;
      const auto a = static_cast<unsigned char>(d[0]), b = static_cast<unsigned char>(d[1]);
      if (order_ == Utf16Order::kFromData) order_ = (a == 0xFE && b == 0xFF) ? Utf16Order::kBig : Utf16Order::kLittle;
      if ((order_ == Utf16Order::kBig && a == 0xFE && b == 0xFF) || (order_ == Utf16Order::kLittle && a == 0xFF && b == 0xFE))
        i = 2;
    }
    auto unit = [&](size_t at) -> char16_t {
      const auto lo = static_cast<unsigned char>(d[at]), hi = static_cast<unsigned char>(d[at + 1]);
      return order_ == Utf16Order::kBig ? static_cast<char16_t>((lo << 8) | hi) : static_cast<char16_t>((hi << 8) | lo);
    };
    while (i + 2 <= d.size()) {
      char32_t c = unit(i);
      if (c >= 0xD800 && c <= 0xDBFF) {
        if (i + 4 > d.size()) {
          if (!final) break;
          invalid_ = true;
          u8::append(out, kReplacement);
          i += 2;
          continue;
        }
        const char16_t low = unit(i + 2);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          u8::append(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
          i += 4;
          continue;
        }
        invalid_ = true;
        c = kReplacement;
      } else if (c >= 0xDC00 && c <= 0xDFFF) {
        invalid_ = true;
        c = kReplacement;
      }
      u8::append(out, c);
      i += 2;
    }
    if (final && i < d.size()) {
      invalid_ = true;
      u8::append(out, kReplacement);
      i = d.size();
    }
    *used = i;
    return out;
  }

 private:
  const TextEncodingI& encoding_;
  Utf16Order order_;
  bool first_ = true;
};

class Utf16Encoder final : public TextEncoderI {
 public:
  Utf16Encoder(const TextEncodingI& e, Utf16Order order) : encoding_(e), big_(order == Utf16Order::kBig) {}
  const TextEncodingI& encoding() const override { return encoding_; }
  size_t maxOutput(size_t n) const override { return 2 * n; }
  size_t encode(const char* in, size_t n, char* out, size_t cap) override {
    if (cap < maxOutput(n)) return 0;
    size_t i = 0, o = 0;
    auto put = [&](char16_t u) {
      out[o++] = static_cast<char>(big_ ? (u >> 8) : (u & 0xFF));
      out[o++] = static_cast<char>(big_ ? (u & 0xFF) : (u >> 8));
    };
    while (i < n) {
      const u8::Sequence q = u8::read(in + i, in + n);
      if (q.status != u8::Status::kWellFormed) invalid_ = true;
      i += q.length;
      char32_t cp = q.codePoint;
      if (cp >= 0x10000) {
        cp -= 0x10000;
        put(static_cast<char16_t>(0xD800 + (cp >> 10)));
        put(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      } else {
        put(static_cast<char16_t>(cp));
      }
    }
    return o;
  }

 private:
  const TextEncodingI& encoding_;
  bool big_;
};

// The system code page through the text service. A character cut at the
// end of a chunk (a UTF-8 sequence on a UTF-8 system, a lead byte of a
// double-byte code page) waits for the next one.
class Sys8Decoder final : public TextDecoderWithUnusedBytesC {
 public:
  Sys8Decoder(const TextEncodingI& e, Utf16Order) : encoding_(e) {
    utf8System_ = StringC(U'\u20ac').encode("system-8") == "\xE2\x82\xAC";
  }
  const TextEncodingI& encoding() const override { return encoding_; }

 protected:
  std::string convert(const std::string& d, size_t* used, bool final) override {
    size_t end = d.size();
    if (!utf8System_ && !final) {
      size_t i = 0;
      while (i < d.size()) i += platform::isSystemLeadByte(static_cast<unsigned char>(d[i])) ? 2 : 1;
      if (i > d.size()) end = d.size() - 1;
    }
    if (utf8System_ && !final) {
      size_t back = 0;
      while (back < 3 && back < end && (static_cast<unsigned char>(d[end - 1 - back]) & 0xC0) == 0x80) ++back;
      if (back < end) {
        const size_t lead = end - 1 - back;
        if (u8::read(d.data() + lead, d.data() + end).status == u8::Status::kCutOff) end = lead;
      }
    }
    *used = end;
    const StringC s(d.data(), static_cast<int32_t>(end), "system-8");
    if (s.utf8().find("\xEF\xBF\xBD") != std::string_view::npos) invalid_ = true;
    return s.toUtf8();
  }

 private:
  const TextEncodingI& encoding_;
  bool utf8System_ = false;
};

class Sys8Encoder final : public TextEncoderI {
 public:
  Sys8Encoder(const TextEncodingI& e, Utf16Order) : encoding_(e) {}
  const TextEncodingI& encoding() const override { return encoding_; }
  size_t maxOutput(size_t n) const override { return 2 * n; }
  size_t encode(const char* in, size_t n, char* out, size_t cap) override {
    const std::string bytes = StringC::fromUtf8(std::string_view(in, n)).encode("system-8");
    if (bytes.size() > cap) return 0;
    std::memcpy(out, bytes.data(), bytes.size());
    return bytes.size();
  }

 private:
  const TextEncodingI& encoding_;
};

const unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
const unsigned char kLeMark[] = {0xFF, 0xFE};
const unsigned char kBeMark[] = {0xFE, 0xFF};

}  // namespace

std::string TextDecoderWithUnusedBytesC::decode(const char* bytes, size_t n) {
  const std::string all = unused_.takeWith(bytes, n);
  size_t used = 0;
  std::string out = convert(all, &used, false);
  if (used < all.size()) unused_.keep(all.data() + used, all.size() - used);
  return out;
}

std::string TextDecoderWithUnusedBytesC::finish() {
  const std::string all = unused_.takeWith(nullptr, 0);
  if (all.empty()) return std::string();
  size_t used = 0;
  return convert(all, &used, true);
}

const TextEncodingI& systemTextEncoding() {
  static auto* e = platform::library_objects::keep(new TextEncodingM<Sys8Decoder, Sys8Encoder, 1, 0>("system-8", nullptr, Utf16Order::kLittle));
  return *e;
}
const TextEncodingI& utf8TextEncoding() {
  static auto* e = platform::library_objects::keep(new TextEncodingM<Utf8Decoder, Utf8Encoder, 1, 3>("utf8", kUtf8Mark, Utf16Order::kLittle));
  return *e;
}
const TextEncodingI& utf16LETextEncoding() {
  static auto* e = platform::library_objects::keep(new TextEncodingM<Utf16Decoder, Utf16Encoder, 2, 2>("utf-16le", kLeMark, Utf16Order::kLittle));
  return *e;
}
const TextEncodingI& utf16BETextEncoding() {
  static auto* e = platform::library_objects::keep(new TextEncodingM<Utf16Decoder, Utf16Encoder, 2, 2>("utf-16be", kBeMark, Utf16Order::kBig));
  return *e;
}
const TextEncodingI& utf16TextEncoding() {
  static auto* e = platform::library_objects::keep(new TextEncodingM<Utf16Decoder, Utf16Encoder, 2, 2>("utf-16", kLeMark, Utf16Order::kFromData));
  return *e;
}
