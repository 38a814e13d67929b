// The version-string rule, and the values of this test program's own version
// resource (made the way the product's is: a linked block on Linux, a
// compiled resource on Windows).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "runtime/version/module_path.h"
#include "runtime/version/version_string.h"

namespace {

using version_string::combine;
using Opt = std::optional<std::string>;

TEST(VersionString, CombinationRule) {
  const std::string s70(70, 'p'), s64(64, 'p'), s200(200, 'o');
  struct Case {
    Opt process, own;
    std::string expected;
  } cases[] = {
      {std::nullopt, std::nullopt, ""},
      {std::nullopt, "own", "own"},  // no leading line feed
      {"proc", std::nullopt, "proc"},
      {"proc", "own", "proc\nown"},
      {"", "own", "own"},
      {" \t", "own", "own"},
      {"proc", "", "proc"},
      {"proc \r\n", "own\t \n", "proc\nown"},
      {s70, std::nullopt, s64},
      {s70, s200, s64 + "\n" + std::string(63, 'o')},
      {std::nullopt, s200, std::string(128, 'o')},
      {"p" + std::string(63, ' ') + "x", "own", "p\nown"},  // blanks the cut leaves at the end go too
      {std::string("a\0b", 3), "own", "a\nown"},
  };
  for (const Case& c : cases) {
    const std::string r = combine(c.process, c.own);
    EXPECT_EQ(r, c.expected) << (c.process ? *c.process : "-") << " | " << (c.own ? *c.own : "-");
    EXPECT_LE(r.size(), 128u);
  }
}

TEST(VersionString, ServedSelectors) {
  for (int s = -2; s < 20; ++s)
    EXPECT_EQ(version_string::isServed(s), (s >= 0 && s <= 8) || s == 10 || s == 12) << s;
}

TEST(VersionString, ValuesOfThisProgramsOwnResource) {
  ASSERT_NE(version_string::ownModule(), nullptr);
  EXPECT_EQ(version_string::of(6, nullptr), VDI_TEST_PRODUCT_VERSION);
  EXPECT_EQ(version_string::of(8, nullptr), VDI_TEST_FILE_VERSION);
  EXPECT_EQ(version_string::of(0, nullptr), VDI_TEST_BUILD_NUMBER);
  EXPECT_EQ(version_string::of(4, nullptr), "Tarnwell VDI Endpoint Agent");
  EXPECT_EQ(version_string::of(10, nullptr), "version test");
  // Present in the resource, yet not served.
  EXPECT_EQ(version_string::of(11, nullptr), "");
  EXPECT_EQ(version_string::of(9, nullptr), "");
  EXPECT_EQ(version_string::of(15, nullptr), "");
  // The process module first, then the library's: here both are this program.
  const platform::ModuleHandle self = version_string::ownModule();
  EXPECT_EQ(version_string::of(6, self), std::string(VDI_TEST_PRODUCT_VERSION) + "\n" + VDI_TEST_PRODUCT_VERSION);
  // A module handle that names no module gives nothing for its part.
  EXPECT_EQ(version_string::of(6, reinterpret_cast<platform::ModuleHandle>(uintptr_t{16})), VDI_TEST_PRODUCT_VERSION);
}

TEST(ModulePath, SplitAndStrip) {
  struct Case {
    const char* path;
    const char* dir;
    const char* file;
  } cases[] = {{"C:\\a\\b\\vdiendpoint.dll", "C:\\a\\b", "vdiendpoint.dll"},
               {"C:prog.exe", "C", "prog.exe"},
               {"/usr/lib/libx.so", "/usr/lib", "libx.so"},
               {"a/b\\c", "a/b", "c"},
               {"plain", "", "plain"},
               {"", "", ""}};
  for (const Case& c : cases) {
    const auto s = module_path::split(c.path);
    EXPECT_EQ(s.directory, c.dir) << c.path;
    EXPECT_EQ(s.fileName, c.file) << c.path;
  }
  EXPECT_EQ(module_path::stripSuffix("Host.EXE", ".exe"), "Host");
  EXPECT_EQ(module_path::stripSuffix("vdiendpoint.dll", ".exe"), "vdiendpoint.dll");
  EXPECT_EQ(module_path::stripSuffix(".exe", ".exe"), "");
  EXPECT_EQ(module_path::stripSuffix("exe", ".exe"), "exe");
  const std::string cwd = module_path::currentDirectory();
  ASSERT_FALSE(cwd.empty());
  if (cwd.size() >= 4) {
    EXPECT_NE(cwd.back(), '/');
  }
}

TEST(ModulePath, TheBannersDirectoryLosesOneTrailingSeparatorAndStaysWithin260) {
  struct Case {
    std::string given, shown;
  } cases[] = {
      {"C:\\", "C:\\"},  // too short to lose it
      {"C:\\Work\\", "C:\\Work"},
      {"C:\\Work\\\\", "C:\\Work\\"},  // one only
      {"/srv/agent/", "/srv/agent"},
      {"D:\\dir:", "D:\\dir"},
      {"C:", "C:"},
      {std::string(300, 'a'), std::string(260, 'a')},
      {std::string(259, 'a') + "\\x", std::string(259, 'a')},
  };
  for (const auto& c : cases) EXPECT_EQ(module_path::bannerDirectory(c.given), c.shown) << c.given;
}

}  // namespace
