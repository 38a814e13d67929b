#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reg_compare.h"
#include "reg_export.h"
#include "tnwcmn/tnwcmn.h"
#include "tnwcmn/utf8.h"

namespace {

using tnw::reg::Store;

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void load(const std::string& bytes, const std::string& name, Store& store) {
  std::vector<std::string> problems;
  tnw::reg::loadRegFile(bytes, name, store, problems);
  EXPECT_TRUE(problems.empty()) << name << ": " << (problems.empty() ? "" : problems.front());
}

// Every root of the store exported, read back into a fresh store.
Store roundTrip(const Store& store) {
  Store back;
  for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) {
    std::string text;
    if (regdump::exportKey(store, root, {}, false, text)) load(text, std::string("export of ") + root, back);
  }
  return back;
}

TEST(RegDump, WhatItWritesReadsBackAsTheSameRegistry) {
  for (const char* fixture : {"tests/tools/fixtures/every-type.reg", "tests/tools/fixtures/regedit4-ansi.reg",
                              "examples/demo/registry/10-tarnwell.reg", "examples/demo/registry/20-citrix.reg"}) {
    Store original;
    load(fileBytes(std::string(SOURCE_DIR) + "/" + fixture), fixture, original);
    const std::vector<std::string> diff = regdump::differences(original, roundTrip(original));
    EXPECT_TRUE(diff.empty()) << fixture << ": " << diff.front();
  }
}

TEST(RegDump, TheTextIsThatOfRegExport) {
  Store store;
  load(fileBytes(std::string(SOURCE_DIR) + "/tests/tools/fixtures/every-type.reg"), "every-type.reg", store);
  std::string text;
  ASSERT_TRUE(regdump::exportKey(store, "HKEY_LOCAL_MACHINE", {"SOFTWARE", "Fixture"}, false, text));
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fixture]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fixture\\Every Type]\n"
            "@=\"the default value\"\n"
            "\"Text\"=\"a \\\"quoted\\\" C:\\\\path\\\\ and caf\xC3\xA9\"\n"
            "\"Empty\"=\"\"\n"
            "\"Count\"=dword:0000002a\n"
            "\"Big\"=hex(b):ff,ee,dd,cc,bb,aa,99,88\n"
            // Wrapped as regedit wraps: no line longer than 80 columns.
            "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
            "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\n"
            "  2f\n"
            "\"Expand\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\n"
            "\"Multi\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\n"
            "\"Nothing\"=hex(0):\n"
            "\"Odd\"=hex(1):41,00,42,00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Fixture\\Every Type\\Empty Key]\n\n");
  std::string none;
  EXPECT_FALSE(regdump::exportKey(store, "HKEY_LOCAL_MACHINE", {"SOFTWARE", "Absent"}, false, none));
  EXPECT_EQ(none, "");
}

TEST(RegDump, The32BitViewShowsWhatA32BitProcessSees) {
  Store store;
  load("Windows Registry Editor Version 5.00\r\n\r\n"
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Native]\r\n\"Bits\"=\"64\"\r\n\r\n"
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Redirected]\r\n\"Bits\"=\"32\"\r\n",
       "views.reg", store);
  std::string view32, view64;
  ASSERT_TRUE(regdump::exportKey(store, "HKEY_LOCAL_MACHINE", {"SOFTWARE"}, true, view32));
  ASSERT_TRUE(regdump::exportKey(store, "HKEY_LOCAL_MACHINE", {"SOFTWARE"}, false, view64));
  EXPECT_EQ(view32,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Redirected]\n\"Bits\"=\"32\"\n\n");
  EXPECT_NE(view64.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Native]\n\"Bits\"=\"64\""), std::string::npos);
  EXPECT_NE(view64.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Redirected]"), std::string::npos);
  std::string absent;
  EXPECT_FALSE(regdump::exportKey(store, "HKEY_LOCAL_MACHINE", {"SOFTWARE", "Native"}, true, absent));
}

TEST(RegDump, ComparedAsContentNotAsText) {
  const std::string base =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\C]\r\n\"A\"=\"x\"\r\n\"N\"=dword:1\r\n";
  struct Case {
    const char* other;
    std::vector<std::string> diff;
  } cases[] = {
      // Other case, other order, a number written as hex bytes: the same.
      {"REGEDIT4\r\n\r\n[hkey_local_machine\\software\\c]\r\n\"n\"=hex(4):01,00,00,00\r\n\"a\"=\"x\"\r\n", {}},
      {"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\C]\r\n"
       "\"A\"=hex(2):78,00,00,00\r\n\"N\"=dword:1\r\n",
       {"differs: [HKEY_LOCAL_MACHINE\\SOFTWARE\\C] \"A\"=\"x\" | [HKEY_LOCAL_MACHINE\\SOFTWARE\\C] "
        "\"A\"=hex(2):78,00,00,00"}},
      {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\C]\r\n\"A\"=\"x\"\r\n\"N\"=dword:1\r\n"
       "[HKEY_CURRENT_USER\\Software\\D]\r\n",
       {"only in B: [HKEY_CURRENT_USER\\Software\\D]"}},
      {"REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\C]\r\n\"A\"=\"x\"\r\n",
       {"only in A: [HKEY_LOCAL_MACHINE\\SOFTWARE\\C] \"N\"=dword:00000001"}},
  };
  Store a;
  load(base, "a.reg", a);
  for (const auto& c : cases) {
    Store b;
    load(c.other, "b.reg", b);
    EXPECT_EQ(regdump::differences(a, b), c.diff) << c.other;
  }
}

// The loader takes a value continued over lines but refuses one physical
// line over its limit; a value the loader took must export to lines it
// reads again, whatever the characters at the places where lines break.
TEST(RegDump, ALongValueIsContinuedOverLinesTheLoaderReads) {
  std::string text;
  while (text.size() < tnw::reg::kMaxPhysicalLine + 1000) text += "caf\xC3\xA9 ; \t\\\"\xE2\x82\xAC;x";
  const std::u16string units = tnw::utf8::toUtf16(text);
  std::string data;
  for (const char16_t u : units) data += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  data.append(2, '\0');
  Store store;
  tnw::reg::KeyNode* key = store.create("HKEY_LOCAL_MACHINE", {"SOFTWARE", "Long"});
  store.setValue(key, {"text", tnw::kRegSz, data});
  store.setValue(key, {std::string(100000, 'n') + "\xC3\xA9", tnw::kRegDword, std::string("\x01\x02\x03\x04", 4)});

  std::string exported;
  ASSERT_TRUE(regdump::exportKey(store, "HKEY_LOCAL_MACHINE", {}, false, exported));
  size_t longest = 0;
  for (size_t at = 0; at < exported.size();) {
    const size_t end = std::min(exported.find('\n', at), exported.size());
    longest = std::max(longest, end - at);
    at = end + 1;
  }
  EXPECT_LE(longest, tnw::reg::kMaxPhysicalLine);
  EXPECT_TRUE(regdump::differences(store, roundTrip(store)).empty());
}

}  // namespace
