// The INI format, its bad input, and reading files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/prefs_file/ini_file.h"
#include "runtime/strings/string_c.h"
#include "test_support.h"

namespace {

using Entries = std::vector<PrefsC::EntryC>;

Entries sectionOf(const std::string& text, const std::string& section) {
  PrefsC prefs("t.ini");
  ini_file::parse(text, prefs);
  const Entries* e = prefs.section(section);
  return e ? *e : Entries{{"<none>", ""}};
}

TEST(IniFile, LinesAndEntries) {
  struct Case {
    const char* text;
    Entries expected;
  } cases[] = {
      {"[S]\na=1\n", {{"a", "1"}}},
      {"[S]\r\n  a  =  1 2  \r\n", {{"a", "1 2"}}},
      {"[S]\n;a=1\n", {}},                        // a comment even with "="
      {"[S]\n=1\nno equals\n", {}},               // "=" first, or none: nothing
      {"[S]\na=b=c\n", {{"a", "b=c"}}},           // the first "=" splits
      {"[S]\na=\n", {{"a", ""}}},
      {"x=1\n[S]\ny=2\n", {{"y", "2"}}},          // before any section: dropped
      {"[S]\na=1\n[T]\nb=2\n[s]\nc=3\n", {{"a", "1"}, {"c", "3"}}},  // reused, any case
      {"[S]\na=1\n[T\nb=2\n", {{"a", "1"}, {"b", "2"}}},            // no "]": ignored
      {"[ S ] trailing\na=1\n", {{"a", "1"}}},
      {"[S]\ra=1\rb=2", {{"a", "1"}, {"b", "2"}}},                  // CR alone ends a line
      {"\t[S]\t\n\ta\t=\t1\t\n", {{"a", "1"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(sectionOf(c.text, "S"), c.expected) << c.text;
}

TEST(IniFile, FirstEntryOfANameWinsAndNamesIgnoreCase) {
  PrefsC prefs("t.ini");
  ini_file::parse("[Environment]\nKUIPREFSPATH=first\nkuiprefspath=second\n", prefs);
  EXPECT_EQ(prefs.lookup("environment", "KuiPrefsPath"), "first");
  EXPECT_EQ(prefs.lookup("Environment", "missing"), std::nullopt);
  EXPECT_EQ(prefs.lookup("Other", "KUIPREFSPATH"), std::nullopt);
  EXPECT_FALSE(prefs.addEntry("", "n", "v"));
  EXPECT_FALSE(prefs.addEntry("S", "", "v"));
  EXPECT_TRUE(prefs.addUnnamedEntry("S", "v"));
  EXPECT_FALSE(prefs.addUnnamedEntry("", "v"));
}

TEST(IniFile, BadInputIsDroppedLineByLine) {
  std::string text = "[S]\na=1\n";
  text += std::string(ini_file::kMaxLineBytes + 1, 'x') + "=long\n";
  text += std::string("b=\0garbage\n", 11);
  for (int i = 0; i < 4096; ++i) text += static_cast<char>((i * 131 + 7) % 256);
  text += "\n[S]\nc=3\n";
  PrefsC prefs("t.ini");
  const size_t dropped = ini_file::parse(text, prefs);
  EXPECT_GE(dropped, 2u);
  EXPECT_EQ(prefs.lookup("S", "a"), "1");
  EXPECT_EQ(prefs.lookup("S", "b"), std::nullopt);
  EXPECT_EQ(prefs.lookup("S", "c"), "3");
}

TEST(IniFile, TextEncodings) {
  EXPECT_EQ(ini_file::decode("\xEF\xBB\xBF[S]"), "[S]");
  EXPECT_EQ(ini_file::decode(std::string("\xFF\xFE[\0\xE9\0]\0", 8)), "[\xC3\xA9]");
  EXPECT_EQ(ini_file::decode(std::string("\xFE\xFF\0[\0\xE9", 6)), "[\xC3\xA9");
  EXPECT_EQ(ini_file::decode("caf\xC3\xA9"), "caf\xC3\xA9");  // UTF-8 stays
  // A BOM declares UTF-8: ill-formed bytes after it read as U+FFFD, so that
  // the preferences hold UTF-8 whatever the file.
  EXPECT_EQ(ini_file::decode("\xEF\xBB\xBF[caf\xE9]\xC3"), "[caf\xEF\xBF\xBD]\xEF\xBF\xBD");
  EXPECT_EQ(ini_file::decode("\xEF\xBB\xBF\xFF\xFE"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  // Else the system's 8-bit code page.
  EXPECT_EQ(ini_file::decode("caf\xE9"), StringC("caf\xE9", 4, "system-8").toUtf8());
}

TEST(IniFile, LoadingFiles) {
  test_support::TempDirC dir;
  PrefsC prefs("x");
  EXPECT_EQ(ini_file::load(dir.file("missing.ini"), prefs), ini_file::LoadE::kNotFound);
  test_support::writeFile(dir.file("dir.ini/inside"), "");
  EXPECT_EQ(ini_file::load(dir.file("dir.ini"), prefs), ini_file::LoadE::kUnreadable);
  test_support::writeFile(dir.file("good.ini"), "[S]\r\na=1\r\n");
  EXPECT_EQ(ini_file::load(dir.file("good.ini"), prefs), ini_file::LoadE::kLoaded);
  EXPECT_EQ(prefs.lookup("S", "a"), "1");
  test_support::writeFile(dir.file("huge.ini"), "[S]\n");
  std::filesystem::resize_file(dir.file("huge.ini"), ini_file::kMaxFileBytes + 1);
  EXPECT_EQ(ini_file::load(dir.file("huge.ini"), prefs), ini_file::LoadE::kUnreadable);
  EXPECT_TRUE(ini_file::isDirectory(dir.path()));
  EXPECT_FALSE(ini_file::isDirectory(dir.file("good.ini")));
}

}  // namespace
