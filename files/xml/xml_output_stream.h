// A forward-only XML writer: start tags, attributes, character data and end
// tags go straight to the output as they are called, nested elements
// indented with tabs, everything encoded as UTF-8. It keeps no tree and
// checks no nesting: the caller calls the operations in a well-formed order
// (an endElement names the element it ends).
//
// Whatever text it is given, what it writes is well-formed UTF-8 XML:
//  - ill-formed UTF-8 becomes U+FFFD, as do U+FFFE and U+FFFF (no XML
//    characters);
//  - in character data and attribute values, a control character below
//    0x20 other than tab, line feed and carriage return becomes "~"; & < > "
//    and ' become &amp; &lt; &gt; &quot; &apos; (so "]]>" cannot occur);
//    a carriage return is written as &#13;, and in attribute values tab and
//    line feed as &#9; and &#10;, since a parser would otherwise turn them
//    into a line feed or a space and the value would not read back as given;
//  - in element and attribute names every character that XML does not allow
//    there becomes "_" (an empty name becomes "_");
//  - in the document type, the public identifier keeps only the characters
//    a public identifier may hold ("_" for the others) and a double quote in
//    the system identifier is written as %22.
// writeRaw is the one way round this: its text is written as it is.
//
// Every operation returns the stream's status: 0, or the error of the first
// failed raw write, after which nothing more is written. Nothing throws. A
// stream is used by one thread at a time.
#pragma once

#include <cstdint>
#include <cstdio>

#include "runtime/strings/string_c.h"

class XmlOutputStreamI;

// An element that writes itself: its name, and its content (attributes,
// character data and child elements) written to the given stream.
class XmlElementI {
 public:
  virtual ~XmlElementI() = default;
  virtual StringC elementName() const = 0;
  // Returns the stream's status after the last operation it called.
  virtual uint32_t writeContent(XmlOutputStreamI& out) const = 0;
};

// A document: its root element and the parts of its document type.
class XmlDocumentI {
 public:
  virtual ~XmlDocumentI() = default;
  virtual const XmlElementI& rootElement() const = 0;
  virtual StringC rootElementName() const = 0;
  virtual StringC publicId() const = 0;  // empty: none
  virtual StringC systemId() const = 0;  // empty: none
};

class XmlOutputStreamI {
 public:
  virtual ~XmlOutputStreamI() = default;
  // startElement with its name, its content, endElement; stops at the first
  // non-zero status.
  virtual uint32_t writeElement(const XmlElementI& element) = 0;
  // writeProlog with the document's root name and identifiers, then, if
  // that succeeded, writeElement with its root element.
  virtual uint32_t writeDocument(const XmlDocumentI& document) = 0;
  // Only meaningful while a start tag is open (right after startElement or
  // another attribute); nothing checks this.
  virtual uint32_t attribute(const StringC& name, const StringC& value) = 0;
  virtual uint32_t text(const StringC& content) = 0;
  // Two operations that keep their places in the interface for callers
  // built against it: each accepts a string, writes nothing and returns 0.
  virtual uint32_t reservedOperation1(const StringC& ignored) = 0;
  virtual uint32_t reservedOperation2(const StringC& ignored) = 0;
  virtual uint32_t startElement(const StringC& name) = 0;
  virtual uint32_t endElement(const StringC& name) = 0;
};

// All formatting; the output itself is writeRaw's.
//
// Layout: an element without content is a self-closing tag on its own line;
// one with only character data is start tag, text and end tag on one line;
// one with children is its start tag, a line feed, each child on its own
// line one tab deeper, and its end tag on its own line at its own
// indentation. Every end tag or self-closing tag is followed by a line feed.
// Character data beginning with a space starts on a new, indented line
// instead of that space; character data ending with a space ends with a
// line break instead of it, so that the end tag lines up with its start tag.
class XmlOutputStreamC : public XmlOutputStreamI {
 public:
  XmlOutputStreamC() = default;
  XmlOutputStreamC(const XmlOutputStreamC&) = delete;
  XmlOutputStreamC& operator=(const XmlOutputStreamC&) = delete;

  uint32_t writeElement(const XmlElementI& element) override;
  uint32_t writeDocument(const XmlDocumentI& document) override;
  uint32_t attribute(const StringC& name, const StringC& value) override;
  uint32_t text(const StringC& content) override;
  uint32_t reservedOperation1(const StringC& ignored) override;
  uint32_t reservedOperation2(const StringC& ignored) override;
  uint32_t startElement(const StringC& name) override;
  uint32_t endElement(const StringC& name) override;

  // Writes `text` to the output as it is; returns 0 or an error code. It
  // neither looks at nor changes the stream's status: a caller that uses it
  // directly (an XML declaration of its own) gets the result only here.
  virtual uint32_t writeRaw(const StringC& text) = 0;
  // The XML declaration (version 1.0, UTF-8) and the document type of
  // `rootName`: with PUBLIC when publicId is not empty, else with SYSTEM when
  // systemId is not empty, else with neither; then an empty line.
  virtual uint32_t writeProlog(const StringC& rootName, const StringC& publicId, const StringC& systemId);

  uint32_t status() const { return status_; }

 protected:
  // For a destructor that finishes the output: whether a start tag still
  // lacks its ">".
  bool tagOpen() const { return tagOpen_; }
  // Writes through writeRaw unless the status is already an error, and
  // keeps writeRaw's result as the status.
  void write(std::string_view utf8);

 private:
  void closeStartTag();
  void indent(int32_t levels);

  bool empty_ = false;       // the last started element has no content or child yet
  bool noChildren_ = false;  // no child ended since the current element started
  bool tagOpen_ = false;     // a start tag lacks its ">"
  uint32_t status_ = 0;
  int32_t depth_ = 0;        // tabs before a line
};

// Writes to an open C stdio stream.
class XmlStdioOutputStreamC : public XmlOutputStreamC {
 public:
  // ownsFile: the stream closes `file` when it is destroyed; otherwise the
  // caller closes it (after this stream is gone). A null file writes nothing
  // and every write of a non-empty text fails with 0xE0000005.
  explicit XmlStdioOutputStreamC(std::FILE* file, bool ownsFile = false) : file_(file), ownsFile_(ownsFile) {}
  // Writes ">" and a line feed if a start tag is still open (the caller
  // should have ended every element; this only completes the tag).
  ~XmlStdioOutputStreamC() override;

  // 0 when every byte was written; else 0x80070000 | (errno & 0xFFFF) when
  // the C library gave an error number, 0xE0000005 when it gave none.
  uint32_t writeRaw(const StringC& text) override;

 private:
  std::FILE* file_;
  bool ownsFile_;
};
