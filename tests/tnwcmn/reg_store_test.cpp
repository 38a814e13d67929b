#include "tnwcmn/reg_store.h"

#include <gtest/gtest.h>

#include "tnwcmn/registry_value.h"

namespace {

using tnw::reg::Store;

const char* const kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

struct Loaded {
  Store store;
  std::vector<std::string> problems;
  explicit Loaded(const std::string& text, uint32_t codePage = tnw::codepage::kWindows1252) {
    tnw::reg::loadRegFile(text, "t.reg", store, problems, codePage);
  }

  const tnw::reg::Value* value(const std::string& key, const std::string& name) const {
    const auto* node = store.find("HKEY_LOCAL_MACHINE", tnw::reg::splitPath(key));
    return node ? node->value(name) : nullptr;
  }
  std::string text(const std::string& key, const std::string& name) const {
    const auto* v = value(key, name);
    std::string out;
    if (!v || tnw::reg::valueToText(v->type, v->data, out) != tnw::kOk) return "<none>";
    return out;
  }
};

TEST(RegStore, ReadsEveryValueForm) {
  Loaded r(std::string(kHeader) +
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Citrix\\ICA\\Session]\r\n"
           "\"ClientName\"=\"THIN-07\"\r\n"
           "@=\"default\"\r\n"
           "\"Quote\"=\"say \\\"hi\\\" C:\\\\x\"\r\n"
           "\"Count\"=dword:0000002a\r\n"
           "\"Big\"=hex(b):00,01,00,00,00,00,00,00\r\n"
           "\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
           "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
           "\"Blob\"=hex:de,ad,be,ef\r\n");
  EXPECT_TRUE(r.problems.empty()) << r.problems.front();
  const std::string key = "SOFTWARE\\Citrix\\ICA\\Session";
  EXPECT_EQ(r.text(key, "ClientName"), "THIN-07");
  EXPECT_EQ(r.text(key, ""), "default");
  EXPECT_EQ(r.text(key, "Quote"), "say \"hi\" C:\\x");
  EXPECT_EQ(r.text(key, "Count"), "42");
  EXPECT_EQ(r.text(key, "Big"), "256");
  EXPECT_EQ(r.text(key, "Path"), "%A%");
  EXPECT_EQ(r.text(key, "List"), "a;b");
  EXPECT_EQ(r.text(key, "Blob"), "<none>");  // binary data has no text form
  ASSERT_NE(r.value(key, "Blob"), nullptr);
  EXPECT_EQ(r.value(key, "Blob")->type, 3u);
  EXPECT_EQ(r.value(key, "Blob")->data, "\xDE\xAD\xBE\xEF");
}

TEST(RegStore, NamesAreCaseInsensitiveAndContinuationLinesJoin) {
  Loaded r(std::string(kHeader) +
           "[hkey_local_machine\\Software\\Test]\n"
           "\"Data\"=hex:01,02,\\\n"
           "  03,04\n"
           "\"MixedCase\"=\"x\"\n");
  EXPECT_TRUE(r.problems.empty());
  ASSERT_NE(r.value("SOFTWARE\\TEST", "data"), nullptr);
  EXPECT_EQ(r.value("SOFTWARE\\TEST", "DATA")->data, std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(r.text("software\\test", "mixedcase"), "x");
}

TEST(RegStore, LaterFilesDeleteAndReplace) {
  Store store;
  std::vector<std::string> problems;
  tnw::reg::loadRegFile(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"1\"\n\"w\"=\"2\"\n[HKEY_LOCAL_MACHINE\\A\\C]\n",
                        "1.reg", store, problems);
  tnw::reg::loadRegFile(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\A\\B]\n\"v\"=\"3\"\n\"w\"=-\n[-HKEY_LOCAL_MACHINE\\A\\C]\n",
                        "2.reg", store, problems);
  EXPECT_TRUE(problems.empty());
  const auto* b = store.find("HKEY_LOCAL_MACHINE", {"A", "B"});
  ASSERT_NE(b, nullptr);
  ASSERT_NE(b->value("v"), nullptr);
  EXPECT_EQ(b->values.size(), 1u);
  EXPECT_EQ(store.find("HKEY_LOCAL_MACHINE", {"A", "C"}), nullptr);
}

TEST(RegStore, Utf16FilesAndRegedit4) {
  const std::string text = std::string(kHeader) + "[HKEY_CURRENT_USER\\K]\r\n\"N\"=\"\xC3\xA9t\xC3\xA9\"\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char16_t u : std::u16string(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"N\"=\"\u00e9t\u00e9\"\r\n")) {
    utf16.push_back(static_cast<char>(u & 0xFF));
    utf16.push_back(static_cast<char>(u >> 8));
  }
  Store store;
  std::vector<std::string> problems;
  tnw::reg::loadRegFile(utf16, "u.reg", store, problems);
  tnw::reg::loadRegFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\R4]\n\"P\"=hex(2):25,41,25,00\n", "r4.reg", store, problems);
  EXPECT_TRUE(problems.empty());
  std::string out;
  const auto* k = store.find("HKEY_CURRENT_USER", {"K"});
  ASSERT_NE(k, nullptr);
  tnw::reg::valueToText(k->value("N")->type, k->value("N")->data, out);
  EXPECT_EQ(out, "\xC3\xA9t\xC3\xA9");
  const auto* r4 = store.find("HKEY_CURRENT_USER", {"R4"});
  ASSERT_NE(r4, nullptr);
  tnw::reg::valueToText(r4->value("P")->type, r4->value("P")->data, out);
  EXPECT_EQ(out, "%A%");
}

TEST(RegStore, MalformedLinesAreReportedWithFileAndLineAndSkipped) {
  Loaded r(std::string(kHeader) +                    // lines 1-2
           "\"orphan\"=\"x\"\n"                     // 3: before any key
           "[HKEY_LOCAL_MACHINE\\K]\n"              // 4
           "\"open\"=\"no end\n"                    // 5
           "\"hex\"=hex:0g,11\n"                    // 6
           "\"kind\"=str:abc\n"                     // 7
           "\"dw\"=dword:123456789\n"               // 8: nine digits
           "\"good\"=\"kept\"\n"                    // 9
           "[HKEY_NOWHERE\\X]\n"                    // 10
           "\"lost\"=\"x\"\n"                       // 11
           "[HKEY_LOCAL_MACHINE\\K\n");             // 12
  ASSERT_EQ(r.problems.size(), 8u);
  EXPECT_EQ(r.problems[0].rfind("t.reg:3: ", 0), 0u) << r.problems[0];
  EXPECT_EQ(r.problems[1].rfind("t.reg:5: unterminated string", 0), 0u) << r.problems[1];
  EXPECT_EQ(r.problems[2].rfind("t.reg:6: bad hex", 0), 0u) << r.problems[2];
  EXPECT_EQ(r.problems[3].rfind("t.reg:7: unknown value type", 0), 0u) << r.problems[3];
  EXPECT_EQ(r.problems[4].rfind("t.reg:8: bad dword", 0), 0u) << r.problems[4];
  EXPECT_EQ(r.problems[5].rfind("t.reg:10: unknown root", 0), 0u) << r.problems[5];
  EXPECT_EQ(r.problems[6].rfind("t.reg:11: value outside a key", 0), 0u) << r.problems[6];
  EXPECT_EQ(r.problems[7].rfind("t.reg:12: key line without", 0), 0u) << r.problems[7];
  EXPECT_EQ(r.text("K", "good"), "kept");
  EXPECT_EQ(r.value("K", "open"), nullptr);
}

TEST(RegStore, FilesWithoutHeaderHugeLinesAndOddUtf16AreSafe) {
  {
    Loaded r("[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n");
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("not a registry file"), std::string::npos);
    EXPECT_EQ(r.value("K", "v"), nullptr);
  }
  {
    std::string huge(3u << 20, 'a');
    Loaded r(std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\K]\n\"big\"=\"" + huge + "\"\n\"after\"=\"ok\"\n");
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("t.reg:4: line of"), std::string::npos) << r.problems[0];
    EXPECT_EQ(r.text("K", "after"), "ok");
  }
  {
    std::string odd = "\xFF\xFEW";  // a BOM and one byte more
    Loaded r(odd);
    ASSERT_GE(r.problems.size(), 1u);
    EXPECT_NE(r.problems[0].find("odd number of bytes"), std::string::npos);
  }
}

TEST(RegStore, ALongLineInsideAContinuedValueRefusesThatValueAndNothingAfterIt) {
  const size_t n = tnw::reg::kMaxPhysicalLine + 1;
  std::string hexLine = "  ";
  while (hexLine.size() + 3 <= n) hexLine += "0a,";
  hexLine.resize(n, ' ');
  struct Case {
    const char* what;
    std::string longLine;  // line 5
    std::string rest;      // what follows it, before "After"
  } cases[] = {
      {"the long line ends the value", hexLine, ""},
      {"the value goes on after it", hexLine.substr(1) + "\\", "  0b,\\\n; a comment ends nothing\n  0c\n"},
      {"a long line of blanks", std::string(n, ' '), ""},
      {"a long line of line ends", std::string(n, '\r'), ""},
  };
  for (const auto& c : cases) {
    Loaded r(std::string(kHeader) +                   // lines 1-2
             "[HKEY_LOCAL_MACHINE\\K]\n"             // 3
             "\"Data\"=hex:01,02,\\\n" +             // 4
             c.longLine + "\n" +                     // 5
             c.rest +
             "\"After\"=\"kept\"\n");
    EXPECT_EQ(r.problems, std::vector<std::string>{"t.reg:4: continued value is too long (line 5 has " +
                                                   std::to_string(c.longLine.size()) + " bytes); skipped"})
        << c.what;
    EXPECT_EQ(r.value("K", "Data"), nullptr) << c.what;
    EXPECT_EQ(r.text("K", "After"), "kept") << c.what;
  }
}

TEST(RegStore, ALongLineOfLineEndsBeginningTheFileIsSkipped) {
  const size_t n = tnw::reg::kMaxPhysicalLine + 1;
  // Nothing of it is left once trimmed: the loader must not look at its end.
  Loaded r(std::string(n, '\r') + "\n" + kHeader + "[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"1\"\n");
  EXPECT_EQ(r.problems, std::vector<std::string>{"t.reg:1: line of " + std::to_string(n) + " bytes is too long; skipped"});
  EXPECT_EQ(r.text("K", "v"), "1");
}

TEST(RegStore, ACommentLineInsideAContinuedValueEndsNothing) {
  Loaded r(std::string(kHeader) +
           "[HKEY_LOCAL_MACHINE\\K]\n"
           "\"Data\"=hex:01,02,\\\n"
           "; a note\n"
           "  03,\\\n"
           "  ;another one, ending like a continuation \\\n"
           "  04\n"
           "\"After\"=\"kept\"\n");
  EXPECT_TRUE(r.problems.empty()) << r.problems.front();
  ASSERT_NE(r.value("K", "Data"), nullptr);
  EXPECT_EQ(r.value("K", "Data")->data, std::string("\x01\x02\x03\x04"));
  EXPECT_EQ(r.text("K", "After"), "kept");
}

// "REGEDIT4" files are 8-bit text in the machine's ANSI code page, the
// strings of hex(2) and hex(7) data too; other files are UTF-8 or UTF-16.
TEST(RegStore, Regedit4TextIsInTheAnsiCodePage) {
  struct Case {
    uint32_t codePage;
    const char* file;
    const char* key;
    const char* name;
    const char* expected;
  } cases[] = {
      {1252, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"N\"=\"caf\xE9\"\r\n", "K", "N", "caf\xC3\xA9"},
      {1252, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"Price\"=\"\x80 5\"\n", "K", "Price", "\xE2\x82\xAC 5"},
      {1252, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Caf\xE9]\n\"Nom \xE9t\xE9\"=\"x\"\n", "Caf\xC3\xA9", "Nom \xC3\xA9t\xC3\xA9", "x"},
      {1252, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"P\"=hex(2):25,41,25,e9,00\n", "K", "P", "%A%\xC3\xA9"},
      {1252, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"L\"=hex(7):e9,00,80,00,00\n", "K", "L", "\xC3\xA9;\xE2\x82\xAC"},
      {1251, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"N\"=\"\xE9\xF6\"\n", "K", "N", "\xD0\xB9\xD1\x86"},
      {1251, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"P\"=hex(2):e9,00\n", "K", "P", "\xD0\xB9"},
      // The second byte of a double-byte character may be a backslash; it
      // neither escapes the quote nor continues the line.
      {932, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"\x95\x5C\"=\"\x95\x5C\"\n", "K", "\xE8\xA1\xA8", "\xE8\xA1\xA8"},
      {932, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"T\"=\"\x95\x5C\"\n", "K", "T", "\xE8\xA1\xA8"},
      // The header, not the bytes, decides: these are UTF-8.
      {1252, "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n\"N\"=\"caf\xC3\xA9\"\n", "K", "N", "caf\xC3\xA9"},
      {1252, "\xEF\xBB\xBFREGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"N\"=\"caf\xC3\xA9\"\n", "K", "N", "caf\xC3\xA9"},
  };
  for (const auto& c : cases) {
    Loaded r(c.file, c.codePage);
    EXPECT_TRUE(r.problems.empty()) << c.file << "\n" << r.problems.front();
    EXPECT_EQ(r.text(c.key, c.name), c.expected) << c.file;
  }
}

TEST(RegStore, ThirtyTwoBitViewOfSoftwareIsRedirected) {
  using tnw::reg::redirect32;
  using V = std::vector<std::string>;
  EXPECT_EQ(redirect32("HKEY_LOCAL_MACHINE", V{"SOFTWARE", "Citrix"}), (V{"SOFTWARE", "WOW6432Node", "Citrix"}));
  EXPECT_EQ(redirect32("HKEY_LOCAL_MACHINE", V{"Software"}), (V{"Software", "WOW6432Node"}));
  EXPECT_EQ(redirect32("HKEY_LOCAL_MACHINE", V{"SOFTWARE", "wow6432node", "X"}), (V{"SOFTWARE", "wow6432node", "X"}));
  EXPECT_EQ(redirect32("HKEY_LOCAL_MACHINE", V{"SYSTEM", "X"}), (V{"SYSTEM", "X"}));
  EXPECT_EQ(redirect32("HKEY_CURRENT_USER", V{"SOFTWARE", "X"}), (V{"SOFTWARE", "X"}));
}

}  // namespace
