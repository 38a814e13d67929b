#include "files/xml/xml_output_stream.h"

#include <cerrno>
#include <string>
#include <string_view>

#include "common/utf8.h"

namespace {

// The fixed texts of the layout, made once.
constexpr std::string_view kEmptyEnd = "/>\n";
constexpr std::string_view kEndTagOpen = "</";
constexpr std::string_view kEndTagClose = ">\n";
constexpr std::string_view kStartTagClose = ">";
constexpr std::string_view kStartTagOpen = "<";
constexpr std::string_view kLineBreak = "\n";
constexpr std::string_view kTab = "\t";
constexpr std::string_view kPrologHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE ";
constexpr std::string_view kPrologEnd = ">\n\n";
constexpr std::string_view kControlReplacement = "~";

constexpr uint32_t kNoErrorNumber = 0xE0000005;

// Characters that XML 1.0 does not have; the reader already turns
// ill-formed UTF-8 (surrogates included) into U+FFFD.
bool isNonCharacter(char32_t c) { return c == 0xFFFE || c == 0xFFFF; }

// Calls visit(sequence) for each UTF-8 sequence of `in`, ill-formed ones
// included (they come with their status and U+FFFD).
template <typename Visit>
void forEachSequence(std::string_view in, Visit visit) {
  const char* p = in.data();
  const char* const end = p + in.size();
  while (p < end) {
    const common::utf8::Sequence s = common::utf8::read(p, end);
    p += s.length;
    visit(s);
  }
}

enum class Context { kText, kAttribute };

// The escaped form of character data or an attribute value.
std::string escape(std::string_view in, Context context) {
  std::string out;
  out.reserve(in.size());
  forEachSequence(in, [&](const common::utf8::Sequence& s) {
    const char32_t c = s.codePoint;
    switch (c) {
      case U'&': out += "&amp;"; return;
      case U'<': out += "&lt;"; return;
      case U'>': out += "&gt;"; return;
      case U'"': out += "&quot;"; return;
      case U'\'': out += "&apos;"; return;
      // A parser turns a raw carriage return into a line feed, and a raw
      // tab or line feed in an attribute value into a space: references
      // keep the value as it was given.
      case U'\r': out += "&#13;"; return;
      case U'\t': out += context == Context::kAttribute ? "&#9;" : "\t"; return;
      case U'\n': out += context == Context::kAttribute ? "&#10;" : "\n"; return;
      default: break;
    }
    if (c < 0x20) {
      out += kControlReplacement;
    } else {
      common::utf8::append(out, isNonCharacter(c) ? common::utf8::kReplacement : c);
    }
  });
  return out;
}

bool isNameStartChar(char32_t c) {
  return c == U':' || c == U'_' || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
         (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
         (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameChar(char32_t c) {
  return isNameStartChar(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// Names are not escaped (XML has no escapes there): a character a name
// cannot hold is replaced, so that a bad name still gives a well-formed tag.
std::string safeName(std::string_view in) {
  std::string out;
  forEachSequence(in, [&](const common::utf8::Sequence& s) {
    const bool ok = s.status == common::utf8::Status::kWellFormed &&
                    (out.empty() ? isNameStartChar(s.codePoint) : isNameChar(s.codePoint));
    common::utf8::append(out, ok ? s.codePoint : U'_');
  });
  return out.empty() ? std::string("_") : out;
}

bool isPubidChar(char32_t c) {
  return c == U' ' || c == U'\r' || c == U'\n' || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') ||
         (c >= U'0' && c <= U'9') || (c < 0x80 && std::string_view("-'()+,./:=?;!*#@$_%").find(static_cast<char>(c)) !=
                                                      std::string_view::npos);
}

std::string safePublicId(std::string_view in) {
  std::string out;
  forEachSequence(in, [&](const common::utf8::Sequence& s) {
    out.push_back(s.status == common::utf8::Status::kWellFormed && isPubidChar(s.codePoint)
                      ? static_cast<char>(s.codePoint)
                      : '_');
  });
  return out;
}

// A system literal may hold any character but its own quote; %22 is how a
// URI writes that quote.
std::string safeSystemId(std::string_view in) {
  std::string out;
  forEachSequence(in, [&](const common::utf8::Sequence& s) {
    const char32_t c = s.codePoint;
    if (c == U'"') {
      out += "%22";
    } else if (c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r') {
      out += kControlReplacement;
    } else {
      common::utf8::append(out, isNonCharacter(c) ? common::utf8::kReplacement : c);
    }
  });
  return out;
}

}  // namespace

void XmlOutputStreamC::write(std::string_view utf8) {
  if (status_ == 0) status_ = writeRaw(StringC::fromUtf8(utf8));
}

void XmlOutputStreamC::closeStartTag() {
  write(kStartTagClose);
  tagOpen_ = false;
}

void XmlOutputStreamC::indent(int32_t levels) {
  for (int32_t i = 0; i < levels; ++i) write(kTab);
}

uint32_t XmlOutputStreamC::writeElement(const XmlElementI& element) {
  const StringC name = element.elementName();
  if (startElement(name) != 0) return status_;
  if (const uint32_t r = element.writeContent(*this); r != 0) return r;
  return endElement(name);
}

uint32_t XmlOutputStreamC::writeDocument(const XmlDocumentI& document) {
  if (writeProlog(document.rootElementName(), document.publicId(), document.systemId()) != 0) return status_;
  return writeElement(document.rootElement());
}

uint32_t XmlOutputStreamC::attribute(const StringC& name, const StringC& value) {
  std::string a = " ";
  a += safeName(name.utf8());
  a += "=\"";
  a += escape(value.utf8(), Context::kAttribute);
  a += '"';
  write(a);
  return status_;
}

uint32_t XmlOutputStreamC::text(const StringC& content) {
  if (tagOpen_) closeStartTag();
  std::string escaped = escape(content.utf8(), Context::kText);
  std::string_view rest = escaped;
  if (!rest.empty() && rest.front() == ' ') {
    write(kLineBreak);
    indent(depth_);
    rest.remove_prefix(1);
  }
  const bool trailingSpace = !rest.empty() && rest.back() == ' ';
  if (trailingSpace) rest.remove_suffix(1);
  write(rest);
  if (trailingSpace) {
    write(kLineBreak);
    indent(depth_ - 1);
  }
  empty_ = false;
  return status_;
}

uint32_t XmlOutputStreamC::reservedOperation1(const StringC&) { return 0; }

uint32_t XmlOutputStreamC::reservedOperation2(const StringC&) { return 0; }

uint32_t XmlOutputStreamC::startElement(const StringC& name) {
  if (tagOpen_) {
    closeStartTag();
    write(kLineBreak);
  }
  indent(depth_);
  write(kStartTagOpen);
  write(safeName(name.utf8()));
  ++depth_;
  empty_ = noChildren_ = tagOpen_ = true;
  return status_;
}

uint32_t XmlOutputStreamC::endElement(const StringC& name) {
  --depth_;
  if (empty_) {
    write(kEmptyEnd);
  } else {
    if (!noChildren_) indent(depth_);
    write(kEndTagOpen);
    write(safeName(name.utf8()));
    write(kEndTagClose);
  }
  empty_ = noChildren_ = tagOpen_ = false;
  return status_;
}

uint32_t XmlOutputStreamC::writeProlog(const StringC& rootName, const StringC& publicId, const StringC& systemId) {
  write(kPrologHead);
  write(safeName(rootName.utf8()));
  if (!publicId.isEmpty()) {
    write(" PUBLIC \"" + safePublicId(publicId.utf8()) + "\" \"" + safeSystemId(systemId.utf8()) + "\"");
  } else if (!systemId.isEmpty()) {
    write(" SYSTEM \"" + safeSystemId(systemId.utf8()) + "\"");
  }
  write(kPrologEnd);
  return status_;
}

XmlStdioOutputStreamC::~XmlStdioOutputStreamC() {
  if (tagOpen()) {
    write(">");
    write("\n");
  }
  if (ownsFile_ && file_) std::fclose(file_);
}

uint32_t XmlStdioOutputStreamC::writeRaw(const StringC& text) {
  const std::string_view bytes = text.utf8();  // strings hold UTF-8 already
  errno = 0;
  const size_t written = file_ ? std::fwrite(bytes.data(), 1, bytes.size(), file_) : 0;
  if (written >= bytes.size()) return 0;
  const int err = errno;
  return err >= 1 ? 0x80070000u | (static_cast<uint32_t>(err) & 0xFFFFu) : kNoErrorNumber;
}
