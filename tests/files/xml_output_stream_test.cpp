#include "files/xml/xml_output_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

StringC u(const char* s) { return StringC::fromUtf8(s); }
// Bytes as they may come from anywhere, NULs and ill-formed UTF-8 included.
StringC bytes(std::string_view b) { return StringC(b.data(), static_cast<int32_t>(b.size()), "utf8"); }

// Collects the output; the write numbered failAt (from 0) and every later one
// fail with `error`.
class MemoryStreamC final : public XmlOutputStreamC {
 public:
  uint32_t writeRaw(const StringC& text) override {
    ++calls;
    if (failAt >= 0 && calls > failAt) return error;
    out += text.utf8();
    return 0;
  }
  std::string out;
  int failAt = -1;
  int calls = 0;
  uint32_t error = 0x80070070;
};

using Script = std::function<void(XmlOutputStreamC&)>;

TEST(XmlOutputStream, LaysOutElementsTextAndAttributes) {
  struct Case {
    const char* what;
    Script script;
    const char* expected;
  } cases[] = {
      {"empty element at depth 0",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.endElement(u("r"));
       },
       "<r/>\n"},
      {"one empty child",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.startElement(u("c"));
         x.endElement(u("c"));
         x.endElement(u("r"));
       },
       "<r>\n\t<c/>\n</r>\n"},
      {"text only",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.text(u("x"));
         x.endElement(u("r"));
       },
       "<r>x</r>\n"},
      {"attributes on an empty element",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.attribute(u("a"), u("1"));
         x.attribute(u("b"), u(""));
         x.endElement(u("r"));
       },
       "<r a=\"1\" b=\"\"/>\n"},
      {"nested three deep with text and siblings",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.attribute(u("v"), u("2"));
         x.startElement(u("a"));
         x.startElement(u("b"));
         x.text(u("t"));
         x.endElement(u("b"));
         x.startElement(u("c"));
         x.endElement(u("c"));
         x.endElement(u("a"));
         x.startElement(u("d"));
         x.endElement(u("d"));
         x.endElement(u("r"));
       },
       "<r v=\"2\">\n\t<a>\n\t\t<b>t</b>\n\t\t<c/>\n\t</a>\n\t<d/>\n</r>\n"},
      {"leading and trailing space of text become line breaks",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.startElement(u("c"));
         x.text(u(" mid "));
         x.endElement(u("c"));
         x.endElement(u("r"));
       },
       "<r>\n\t<c>\n\t\tmid\n\t</c>\n</r>\n"},
      {"a space alone",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.text(u(" "));
         x.endElement(u("r"));
       },
       "<r>\n\t</r>\n"},
      {"empty text still makes the element non-empty",
       [](XmlOutputStreamC& x) {
         x.startElement(u("r"));
         x.text(u(""));
         x.endElement(u("r"));
       },
       "<r></r>\n"},
      {"no-op operations write nothing",
       [](XmlOutputStreamC& x) {
         EXPECT_EQ(x.reservedOperation1(u("<x>")), 0u);
         EXPECT_EQ(x.reservedOperation2(u("<y>")), 0u);
       },
       ""},
  };
  for (const auto& c : cases) {
    MemoryStreamC x;
    c.script(x);
    EXPECT_EQ(x.out, c.expected) << c.what;
    EXPECT_EQ(x.status(), 0u) << c.what;
  }
}

TEST(XmlOutputStream, WritesThePrologWithEitherDocumentType) {
  struct Case {
    const char* publicId;
    const char* systemId;
    const char* expected;
  } cases[] = {
      {"", "", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root>\n\n"},
      {"", "root.dtd", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root SYSTEM \"root.dtd\">\n\n"},
      {"-//T//DTD R//EN", "root.dtd",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root PUBLIC \"-//T//DTD R//EN\" \"root.dtd\">\n\n"},
      {"-//T//DTD R//EN", "",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root PUBLIC \"-//T//DTD R//EN\" \"\">\n\n"},
      // Characters the literals cannot hold.
      {"a\"b\xC3\xA9{", "x\"y.dtd",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root PUBLIC \"a_b__\" \"x%22y.dtd\">\n\n"},
  };
  for (const auto& c : cases) {
    MemoryStreamC x;
    EXPECT_EQ(x.writeProlog(u("root"), u(c.publicId), u(c.systemId)), 0u) << c.publicId << "|" << c.systemId;
    EXPECT_EQ(x.out, c.expected) << c.publicId << "|" << c.systemId;
  }
}

// Hostile content: each input in character data and in an attribute value.
TEST(XmlOutputStream, EscapesAndRepairsAnyContent) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view in;
    const char* inText;
    const char* inAttribute;
  } cases[] = {
      {"plain", "plain", "plain"},
      {"<a&b>", "&lt;a&amp;b&gt;", "&lt;a&amp;b&gt;"},
      {"it's \"q\"", "it&apos;s &quot;q&quot;", "it&apos;s &quot;q&quot;"},
      {"x]]>y", "x]]&gt;y", "x]]&gt;y"},
      {"a\x01" "b\x1F" "c", "a~b~c", "a~b~c"},
      {"n\0l"sv, "n~l", "n~l"},
      {"t\tl\nc\r", "t\tl\nc&#13;", "t&#9;l&#10;c&#13;"},
      // Ill-formed UTF-8: a lone continuation byte, a cut sequence, an
      // overlong form, an encoded surrogate, a byte that never starts one.
      {"a\x80z", "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz"},
      {"a\xC3z", "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz"},
      {"a\xC0\xAFz", "a\xEF\xBF\xBD\xEF\xBF\xBDz", "a\xEF\xBF\xBD\xEF\xBF\xBDz"},
      {"a\xED\xA0\x80z", "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz"},
      {"a\xFFz", "a\xEF\xBF\xBDz", "a\xEF\xBF\xBDz"},
      // Characters XML does not have.
      {"a\xEF\xBF\xBEz\xEF\xBF\xBF", "a\xEF\xBF\xBDz\xEF\xBF\xBD", "a\xEF\xBF\xBDz\xEF\xBF\xBD"},
      // Well-formed non-ASCII passes.
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
       "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
  };
  for (const auto& c : cases) {
    MemoryStreamC t;
    t.startElement(u("e"));
    t.text(bytes(c.in));
    t.endElement(u("e"));
    EXPECT_EQ(t.out, std::string("<e>") + c.inText + "</e>\n") << c.inText;

    MemoryStreamC a;
    a.startElement(u("e"));
    a.attribute(u("v"), bytes(c.in));
    a.endElement(u("e"));
    EXPECT_EQ(a.out, std::string("<e v=\"") + c.inAttribute + "\"/>\n") << c.inAttribute;
  }
}

TEST(XmlOutputStream, ReplacesWhatANameCannotHold) {
  using namespace std::string_view_literals;
  struct Case {
    std::string_view in;
    const char* out;
  } cases[] = {
      {"ok-name.1", "ok-name.1"},
      {"ns:n_\xC3\xA9", "ns:n_\xC3\xA9"},
      {"", "_"},
      {"1st", "_st"},
      {"-x", "_x"},
      {"a b", "a_b"},
      {"a\"/><x y=\"", "a____x_y__"},
      {"a&<>'=", "a_____"},
      {"a\x01\0b"sv, "a__b"},
      // The string already holds U+FFFD for each ill-formed step; a name may
      // hold that character.
      {"a\xFF\xC3z", "a\xEF\xBF\xBD\xEF\xBF\xBDz"},
  };
  for (const auto& c : cases) {
    MemoryStreamC x;
    x.startElement(bytes(c.in));
    x.attribute(bytes(c.in), u("v"));
    x.text(u("t"));
    x.endElement(bytes(c.in));
    const std::string n = c.out;
    EXPECT_EQ(x.out, "<" + n + " " + n + "=\"v\">t</" + n + ">\n") << c.out;
  }
}

TEST(XmlOutputStream, FirstFailedWriteStopsAllOutput) {
  // The failure hits each of the writes of this script in turn.
  const Script script = [](XmlOutputStreamC& x) {
    x.writeProlog(u("r"), u(""), u(""));
    x.startElement(u("r"));
    x.attribute(u("a"), u("1"));
    x.startElement(u("c"));
    x.text(u(" t "));
    x.endElement(u("c"));
    x.endElement(u("r"));
  };
  MemoryStreamC whole;
  script(whole);
  ASSERT_EQ(whole.status(), 0u);
  const int writes = whole.calls;
  ASSERT_GT(writes, 10);
  for (int failAt = 0; failAt < writes; ++failAt) {
    MemoryStreamC x;
    x.failAt = failAt;
    script(x);
    EXPECT_EQ(x.calls, failAt + 1) << failAt;  // nothing tried after the failure
    EXPECT_EQ(x.out, whole.out.substr(0, x.out.size())) << failAt;
    EXPECT_EQ(x.status(), 0x80070070u) << failAt;
    EXPECT_EQ(x.startElement(u("z")), 0x80070070u);
    EXPECT_EQ(x.attribute(u("z"), u("z")), 0x80070070u);
    EXPECT_EQ(x.text(u("z")), 0x80070070u);
    EXPECT_EQ(x.endElement(u("z")), 0x80070070u);
    EXPECT_EQ(x.writeProlog(u("z"), u(""), u("")), 0x80070070u);
    EXPECT_EQ(x.calls, failAt + 1) << failAt;
  }
}

class ItemC final : public XmlElementI {
 public:
  ItemC(const char* name, std::vector<const XmlElementI*> children) : name_(name), children_(std::move(children)) {}
  StringC elementName() const override { return u(name_); }
  uint32_t writeContent(XmlOutputStreamI& out) const override {
    uint32_t st = out.attribute(u("n"), u(name_));
    for (const XmlElementI* child : children_) {
      if (st != 0) break;
      st = out.writeElement(*child);
    }
    return st;
  }

 private:
  const char* name_;
  std::vector<const XmlElementI*> children_;
};

class DocC final : public XmlDocumentI {
 public:
  explicit DocC(const XmlElementI& root) : root_(root) {}
  const XmlElementI& rootElement() const override { return root_; }
  StringC rootElementName() const override { return root_.elementName(); }
  StringC publicId() const override { return StringC(); }
  StringC systemId() const override { return u("d.dtd"); }

 private:
  const XmlElementI& root_;
};

TEST(XmlOutputStream, WritesElementObjectsAndDocuments) {
  const ItemC leaf("leaf", {});
  const ItemC mid("mid", {&leaf, &leaf});
  const ItemC root("root", {&mid});
  MemoryStreamC x;
  EXPECT_EQ(x.writeDocument(DocC(root)), 0u);
  EXPECT_EQ(x.out,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE root SYSTEM \"d.dtd\">\n\n"
            "<root n=\"root\">\n\t<mid n=\"mid\">\n\t\t<leaf n=\"leaf\"/>\n\t\t<leaf n=\"leaf\"/>\n\t</mid>\n</root>\n");

  // A failure inside stops at once: the prolog and the root's start tag
  // take the first writes; nothing follows the failed one.
  MemoryStreamC f;
  f.failAt = 6;
  EXPECT_EQ(f.writeDocument(DocC(root)), 0x80070070u);
  EXPECT_EQ(f.calls, 7);
}

TEST(XmlStdioOutputStream, WritesBytesAndCompletesAnOpenTagWhenDestroyed) {
  test_support::TempDirC dir;
  const std::string path = dir.file("out.xml");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  {
    XmlStdioOutputStreamC x(f);
    EXPECT_EQ(x.writeRaw(u("<?xml version=\"1.0\"?>\n")), 0u);
    x.startElement(u("r"));
    x.text(bytes("\xC3\xA9\xFF"));
    x.endElement(u("r"));
    x.startElement(u("open"));
  }
  // Not owned: still open, the caller closes it.
  ASSERT_EQ(std::fclose(f), 0);
  EXPECT_EQ(test_support::readFile(path),
            "<?xml version=\"1.0\"?>\n<r>\xC3\xA9\xEF\xBF\xBD</r>\n<open>\n");
}

TEST(XmlStdioOutputStream, ClosesAStreamItOwns) {
  test_support::TempDirC dir;
  const std::string path = dir.file("owned.xml");
  {
    XmlStdioOutputStreamC x(std::fopen(path.c_str(), "wb"), true);
    x.startElement(u("r"));
    x.endElement(u("r"));
  }
  // Closing flushed the buffer (the leak checker catches a stream left open).
  EXPECT_EQ(test_support::readFile(path), "<r/>\n");
}

TEST(XmlStdioOutputStream, ReportsFailedWrites) {
  XmlStdioOutputStreamC none(nullptr);
  EXPECT_EQ(none.writeRaw(u("x")), 0xE0000005u);
  EXPECT_EQ(none.writeRaw(u("")), 0u);
  EXPECT_EQ(none.startElement(u("r")), 0xE0000005u);

  // Writing to a stream opened for reading fails with EBADF (9).
  test_support::TempDirC dir;
  const std::string path = dir.file("ro.xml");
  test_support::writeFile(path, "");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  {
    XmlStdioOutputStreamC x(f);
    std::setvbuf(f, nullptr, _IONBF, 0);
    EXPECT_EQ(x.startElement(u("r")), 0x80070009u);
    EXPECT_EQ(x.status(), 0x80070009u);
  }
  std::fclose(f);
}

}  // namespace
