#include "runtime/streams/stream_text.h"

#include <cstring>

StreamWriterC::StreamWriterC(OutputStreamC* stream, bool owns, const TextEncodingI* encoding)
    : stream_(stream), owns_(owns), encoder_((encoding ? *encoding : systemTextEncoding()).createEncoder()) {}

StreamWriterC::~StreamWriterC() { close(); }

uint32_t StreamWriterC::close() {
  uint32_t r = 0;
  if (stream_ && owns_) {
    r = stream_->close();
    delete stream_;
  }
  stream_ = nullptr;
  buffer_.clear();
  buffer_.shrink_to_fit();
  return r;
}

uint32_t StreamWriterC::flush() { return stream_ ? stream_->flush() : 0; }

uint32_t StreamWriterC::write(const StringC& text) {
  if (!stream_) return 0x80004005u;
  std::string_view in = text.utf8();
  std::string normal;
  normal.reserve(in.size() + 16);
  for (size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (c == '\r') {
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
      normal += newline_;
    } else if (c == '\n') {
      normal += newline_;
    } else {
      normal += c;
    }
  }
  if (normal.empty()) return 0;
  if (markPending_) {
    markPending_ = false;
    size_t length = 0;
    const unsigned char* mark = encoder_->encoding().mark(&length);
    if (length)
      if (uint32_t r = stream_->write(mark, static_cast<uint32_t>(length))) return r;
  }
  if (&encoder_->encoding() == &utf8TextEncoding())
    return stream_->write(normal.data(), static_cast<uint32_t>(normal.size()));
  const size_t need = encoder_->maxOutput(normal.size());
  if (buffer_.size() < need) buffer_.resize(need + need / 2);
  const size_t n = encoder_->encode(normal.data(), normal.size(), buffer_.data(), buffer_.size());
  return stream_->write(buffer_.data(), static_cast<uint32_t>(n));
}

StreamReaderC::StreamReaderC(InputStreamC* stream, bool owns, const TextEncodingI* encoding)
    : stream_(stream), owns_(owns), encoding_(encoding), chosen_(encoding != nullptr) {}

StreamReaderC::~StreamReaderC() {
  if (stream_ && owns_) {
    stream_->close();
    delete stream_;
  }
}

void StreamReaderC::start() {
  started_ = true;
  unsigned char head[3] = {0, 0, 0};
  size_t got = 0;
  while (got < 3) {
    const int64_t n = stream_ ? stream_->read(head + got, static_cast<uint32_t>(3 - got)) : 0;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  size_t skip = 0;
  auto has = [&](const TextEncodingI& e) {
    size_t len = 0;
    const unsigned char* m = e.mark(&len);
    return len && got >= len && std::memcmp(head, m, len) == 0 ? len : 0;
  };
  if (chosen_) {
    skip = has(*encoding_);
  } else if ((skip = has(utf8TextEncoding()))) {
    encoding_ = &utf8TextEncoding();
  } else if ((skip = has(utf16LETextEncoding()))) {
    encoding_ = &utf16LETextEncoding();
  } else if ((skip = has(utf16BETextEncoding()))) {
    encoding_ = &utf16BETextEncoding();
  } else {
    encoding_ = &systemTextEncoding();
  }
  decoder_ = encoding_->createDecoder();
  if (got > skip) text_ += decoder_->decode(reinterpret_cast<const char*>(head) + skip, got - skip);
}

bool StreamReaderC::fill() {
  if (!started_) {
    start();
    if (at_ < text_.size()) return true;
  }
  if (ended_) return false;
  char buf[4096];
  for (;;) {
    const int64_t n = stream_ ? stream_->read(buf, sizeof buf) : 0;
    if (n <= 0) {
      ended_ = true;
      text_ += decoder_->finish();
      return at_ < text_.size();
    }
    const size_t before = text_.size();
    text_ += decoder_->decode(buf, static_cast<size_t>(n));
    if (text_.size() > before) return true;
  }
}

int32_t StreamReaderC::readChar() {
  if (at_ >= text_.size() && !fill()) return -1;
  const StringC rest = StringC::fromUtf8(std::string_view(text_).substr(at_, 4));
  const char32_t c = rest.at(0);
  const size_t len = StringC(c).utf8().size();
  at_ += len;
  return static_cast<int32_t>(c);
}

bool StreamReaderC::readLine(StringC& line) {
  std::string out;
  for (;;) {
    if (at_ >= text_.size()) {
      text_.erase(0, at_);
      at_ = 0;
      if (!fill()) {
        if (out.empty()) return false;
        line = StringC::fromUtf8(out);
        return true;
      }
    }
    const size_t end = text_.find_first_of("\r\n", at_);
    if (end == std::string::npos) {
      out.append(text_, at_, std::string::npos);
      at_ = text_.size();
      continue;
    }
    out.append(text_, at_, end - at_);
    at_ = end + 1;
    if (text_[end] == '\r') {
      if (at_ >= text_.size()) {
        text_.clear();
        at_ = 0;
        fill();
      }
      if (at_ < text_.size() && text_[at_] == '\n') ++at_;
    }
    line = StringC::fromUtf8(out);
    return true;
  }
}

StringC StreamReaderC::readToEnd() {
  while (fill()) {
  }
  StringC rest = StringC::fromUtf8(std::string_view(text_).substr(at_ < text_.size() ? at_ : text_.size()));
  text_.clear();
  at_ = 0;
  return rest;
}
