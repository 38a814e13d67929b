// Byte encodings of text streams. Strings are UTF-8: encoders take UTF-8
// in, decoders give UTF-8 out. Five process-wide encodings exist, each
// created on first use: the system 8-bit code page (no mark), UTF-8 (EF BB
// BF), UTF-16 little-endian (FF FE), UTF-16 big-endian (FE FF) and UTF-16
// whose byte order the data decides (FE FF first: big-endian, else little).
//
// Decoders keep the bytes of an incomplete sequence for the next call.
// Ill-formed input becomes U+FFFD and sets invalidSeen(). UTF-16 decoders
// skip a leading mark of their own byte order. UTF-8 is read by the rule of
// common/utf8.h, the text service's: overlong forms, surrogates and values
// above U+10FFFF are ill-formed, so a stream turns a byte string into the
// same text that StringC::fromUtf8 makes of it, however it is cut into
// chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TextEncodingI;

class TextEncoderI {
 public:
  virtual ~TextEncoderI() = default;
  virtual const TextEncodingI& encoding() const = 0;
  // The most bytes `encode` writes for n input bytes.
  virtual size_t maxOutput(size_t n) const = 0;
  // Returns the bytes written (never more than capacity; 0 when it is too
  // small for maxOutput(n)).
  virtual size_t encode(const char* utf8, size_t n, char* out, size_t capacity) = 0;
  bool invalidSeen() const { return invalid_; }

 protected:
  bool invalid_ = false;
};

class TextDecoderI {
 public:
  virtual ~TextDecoderI() = default;
  virtual const TextEncodingI& encoding() const = 0;
  // Decodes what is complete; the rest waits for the next call.
  virtual std::string decode(const char* bytes, size_t n) = 0;
  // What is still waiting, decoded as it is (U+FFFD for a cut sequence).
  virtual std::string finish() = 0;
  bool invalidSeen() const { return invalid_; }

 protected:
  bool invalid_ = false;
};

// Bytes of an incomplete sequence kept between decode calls.
class UnusedByteBufferC {
 public:
  void keep(const char* bytes, size_t n) { bytes_.assign(bytes, n); }
  std::string takeWith(const char* bytes, size_t n) {
    std::string all;
    all.swap(bytes_);
    all.append(bytes, n);
    return all;
  }
  bool empty() const { return bytes_.empty(); }
  void clear() { bytes_.clear(); }

 private:
  std::string bytes_;
};

// A decoder that converts whole units and keeps the incomplete rest.
class TextDecoderWithUnusedBytesC : public TextDecoderI {
 public:
  std::string decode(const char* bytes, size_t n) override;
  std::string finish() override;

 protected:
  // Converts data[0, complete) where complete is what convert() decides is
  // whole; sets *used.
  virtual std::string convert(const std::string& data, size_t* used, bool final) = 0;

 private:
  UnusedByteBufferC unused_;
};

class TextEncodingI {
 public:
  virtual ~TextEncodingI() = default;
  virtual const char* name() const = 0;
  virtual const unsigned char* mark(size_t* length) const = 0;
  virtual size_t unitSize() const = 0;
  virtual std::unique_ptr<TextDecoderI> createDecoder() const = 0;
  virtual std::unique_ptr<TextEncoderI> createEncoder() const = 0;
};

enum class Utf16Order { kLittle, kBig, kFromData };

template <typename Decoder, typename Encoder, size_t Unit, size_t MarkLength>
class TextEncodingM final : public TextEncodingI {
 public:
  TextEncodingM(const char* name, const unsigned char* mark, Utf16Order order)
      : name_(name), mark_(mark), order_(order) {}
  const char* name() const override { return name_; }
  const unsigned char* mark(size_t* length) const override {
    if (length) *length = MarkLength;
    return mark_;
  }
  size_t unitSize() const override { return Unit; }
  std::unique_ptr<TextDecoderI> createDecoder() const override { return std::make_unique<Decoder>(*this, order_); }
  std::unique_ptr<TextEncoderI> createEncoder() const override { return std::make_unique<Encoder>(*this, order_); }

 private:
  const char* name_;
  const unsigned char* mark_;
  Utf16Order order_;
};

const TextEncodingI& systemTextEncoding();
const TextEncodingI& utf8TextEncoding();
const TextEncodingI& utf16LETextEncoding();
const TextEncodingI& utf16BETextEncoding();
const TextEncodingI& utf16TextEncoding();  // byte order from the data
