// Text over byte streams: StreamWriterC puts strings on an output stream in
// an encoding with normalised line ends; StreamReaderC reads them back and
// recognises byte-order marks.
#pragma once

#include <memory>
#include <string>

#include "runtime/streams/streams.h"
#include "runtime/strings/string_c.h"
#include "runtime/streams/text_encoding.h"

class TextWriterC {
 public:
  virtual ~TextWriterC() = default;
  virtual const TextEncodingI& encoding() const = 0;
  virtual uint32_t close() = 0;
  virtual uint32_t flush() = 0;
  virtual uint32_t write(const StringC& text) = 0;

  void setNewline(const std::string& newline) { newline_ = newline; }
  const std::string& newline() const { return newline_; }

 protected:
  std::string newline_ = "\r\n";
};

class StreamWriterC final : public TextWriterC {
 public:
  // encoding null: the system 8-bit encoding. owns: the writer closes and
  // destroys the stream.
  explicit StreamWriterC(OutputStreamC* stream, bool owns = true, const TextEncodingI* encoding = nullptr);
  ~StreamWriterC() override;

  const TextEncodingI& encoding() const override { return encoder_->encoding(); }
  uint32_t close() override;
  uint32_t flush() override;
  // CR LF, lone CR and LF all become the newline; an empty result writes
  // nothing (not even a pending mark).
  uint32_t write(const StringC& text) override;
  // Writes the byte-order mark before the next non-empty text.
  void setMarkPending(bool pending) { markPending_ = pending; }

 private:
  OutputStreamC* stream_;
  bool owns_;
  std::unique_ptr<TextEncoderI> encoder_;
  bool markPending_ = false;
  std::string buffer_;
};

class TextReaderC {
 public:
  virtual ~TextReaderC() = default;
  // The next character, or -1 at the end.
  virtual int32_t readChar() = 0;
  // The next line without its end (LF, CR LF or CR); false at the end.
  virtual bool readLine(StringC& line) = 0;
  virtual StringC readToEnd() = 0;
};

class StreamReaderC final : public TextReaderC {
 public:
  // encoding null: detect a mark (EF BB BF UTF-8; FF FE UTF-16LE; FE FF
  // UTF-16BE), else read as the system 8-bit encoding. With an encoding
  // chosen, only that encoding's own mark is recognised and skipped.
  explicit StreamReaderC(InputStreamC* stream, bool owns = true, const TextEncodingI* encoding = nullptr);
  ~StreamReaderC() override;

  int32_t readChar() override;
  bool readLine(StringC& line) override;
  StringC readToEnd() override;
  const TextEncodingI* encoding() const { return encoding_; }

 private:
  bool fill();  // decodes more into text_; false at the end
  void start();

  InputStreamC* stream_;
  bool owns_;
  const TextEncodingI* encoding_;
  bool chosen_;
  std::unique_ptr<TextDecoderI> decoder_;
  std::string text_;  // decoded, not yet returned (UTF-8)
  size_t at_ = 0;
  bool started_ = false;
  bool ended_ = false;
};
