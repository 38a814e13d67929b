// The XML output stream: whatever bytes the element names, attribute values
// and character data hold, the document it writes is well-formed UTF-8 XML.
// The input is a little program: each step's first byte chooses start tag,
// attribute, text or end tag, and length-prefixed bytes give the string.
// The checker below reads the output as an XML parser would (the subset the
// stream writes: declaration, document type, elements, attributes in double
// quotes, character data and references). Attribute names are not checked
// for uniqueness: giving distinct names is the caller's part.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "files/xml/xml_output_stream.h"
#include "fuzz/fuzz_check.h"

namespace {

class MemoryStreamC final : public XmlOutputStreamC {
 public:
  uint32_t writeRaw(const StringC& text) override {
    out.append(text.utf8());
    return 0;
  }
  std::string out;
};

bool isXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// XML 1.0 (fifth edition) NameStartChar and NameChar: a writer that let
// through, say, U+00D7, U+037E or U+FFFE in a name would be caught here.
bool nameStart(char32_t c) {
  return c == ':' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0xC0 && c <= 0xD6) ||
         (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
         (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}
bool nameChar(char32_t c) {
  return nameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 || (c >= 0x300 && c <= 0x36F) ||
         (c >= 0x203F && c <= 0x2040);
}

// A reader of the stream's output; false at the first thing a parser would
// refuse.
class CheckerC {
 public:
  explicit CheckerC(std::string_view text) : s_(text) {}

  bool document() {
    // Every byte sequence well-formed UTF-8, every character an XML one.
    for (size_t i = 0; i < s_.size();) {
      const common::utf8::Sequence q = common::utf8::read(s_.data() + i, s_.data() + s_.size());
      if (q.status != common::utf8::Status::kWellFormed || !isXmlChar(q.codePoint)) return false;
      i += q.length;
    }
    if (s_.compare(0, 5, "<?xml") == 0) {
      const size_t end = s_.find("?>");
      if (end == std::string_view::npos) return false;
      at_ = end + 2;
    }
    skipSpace();
    if (s_.compare(at_, 9, "<!DOCTYPE") == 0) {
      // Its literals are quoted; a ">" inside one does not end it.
      at_ += 9;
      bool quoted = false;
      while (at_ < s_.size() && (quoted || s_[at_] != '>')) quoted ^= s_[at_++] == '"';
      if (!take('>')) return false;
    }
    skipSpace();
    if (!element()) return false;
    skipSpace();
    return at_ == s_.size();
  }

 private:
  bool element() {
    if (!take('<')) return false;
    std::string_view name;
    if (!readName(name)) return false;
    for (;;) {
      const bool spaced = skipSpace();
      if (take('/')) return take('>');
      if (take('>')) break;
      std::string_view attribute;
      if (!spaced || !readName(attribute) || !take('=') || !take('"')) return false;
      while (at_ < s_.size() && s_[at_] != '"') {
        if (s_[at_] == '<') return false;
        if (s_[at_] == '&') {
          if (!reference()) return false;
        } else {
          ++at_;
        }
      }
      if (!take('"')) return false;
    }
    // Content: character data, references and child elements, then the end
    // tag of this element.
    for (;;) {
      if (at_ >= s_.size()) return false;
      if (s_.compare(at_, 2, "</") == 0) {
        at_ += 2;
        std::string_view closing;
        if (!readName(closing) || closing != name) return false;
        skipSpace();
        return take('>');
      }
      if (s_[at_] == '<') {
        if (!element()) return false;
      } else if (s_[at_] == '&') {
        if (!reference()) return false;
      } else {
        if (s_.compare(at_, 3, "]]>") == 0) return false;
        ++at_;
      }
    }
  }

  bool reference() {
    ++at_;  // '&'
    static const char* const kNamed[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
    for (const char* n : kNamed) {
      const std::string_view named(n);
      if (s_.compare(at_, named.size(), named) == 0) {
        at_ += named.size();
        return true;
      }
    }
    if (!take('#')) return false;
    const bool hex = take('x');
    uint32_t value = 0;
    size_t digits = 0;
    for (; at_ < s_.size() && s_[at_] != ';'; ++at_, ++digits) {
      const char c = s_[at_];
      int d = c >= '0' && c <= '9' ? c - '0' : -1;
      if (hex && d < 0) d = c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0 || value > 0x10FFFF) return false;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(d);
    }
    return digits > 0 && take(';') && isXmlChar(value);
  }

  bool readName(std::string_view& name) {
    const size_t start = at_;
    bool first = true;
    while (at_ < s_.size()) {
      const common::utf8::Sequence q = common::utf8::read(s_.data() + at_, s_.data() + s_.size());
      if (!(first ? nameStart(q.codePoint) : nameChar(q.codePoint))) break;
      at_ += q.length;
      first = false;
    }
    name = s_.substr(start, at_ - start);
    return !first;
  }

  bool skipSpace() {
    const size_t start = at_;
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r')) ++at_;
    return at_ > start;
  }
  bool take(char c) {
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }

  std::string_view s_;
  size_t at_ = 0;
};

// The input as a program of steps.
class ProgramC {
 public:
  ProgramC(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
  bool done() const { return p_ >= end_; }
  uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
  StringC text() {
    const size_t want = byte() % 48;
    const size_t n = static_cast<size_t>(end_ - p_) < want ? static_cast<size_t>(end_ - p_) : want;
    // Raw bytes: the string type keeps them as given when they are UTF-8 and
    // makes them so otherwise; either way the stream must cope.
    StringC s = StringC::fromUtf8(std::string_view(reinterpret_cast<const char*>(p_), n));
    p_ += n;
    return s;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ProgramC program(data, size);
  MemoryStreamC out;
  if (program.byte() & 1) out.writeProlog(program.text(), program.text(), program.text());
  std::vector<StringC> open;
  open.push_back(program.text());
  out.startElement(open.back());
  for (int steps = 0; !program.done() && steps < 256; ++steps) {
    switch (program.byte() % 4) {
      case 0:
        if (open.size() < 16) {
          open.push_back(program.text());
          out.startElement(open.back());
        }
        break;
      case 1: {
        // Distinct names by construction: a counter, then the input's bytes.
        // "a<step>-" and then anything: no two names of one element agree.
        const std::string name = "a" + std::to_string(steps) + "-" + program.text().toUtf8();
        out.attribute(StringC::fromUtf8(name), program.text());
        break;
      }
      case 2:
        out.text(program.text());
        break;
      default:
        if (open.size() > 1) {
          out.endElement(open.back());
          open.pop_back();
        }
        break;
    }
  }
  while (!open.empty()) {
    out.endElement(open.back());
    open.pop_back();
  }
  FUZZ_CHECK(out.status() == 0, "a memory stream never fails");
  FUZZ_CHECK(CheckerC(out.out).document(), "the document is well-formed UTF-8 XML");
  return 0;
}
