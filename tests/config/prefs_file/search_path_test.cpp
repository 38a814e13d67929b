// Expanding search paths: every % code, $ references, and bad codes.
#include <gtest/gtest.h>

#include "config/prefs_file/search_path.h"

namespace {

struct Fixture {
  PrefsAppInfoC app{"C:\\Users\\me\\WINDOWS", "C:\\start", "C:\\mod", "Family", "family", "450"};
  MapEnvironmentC env{{{"HOME", "/home/me"}, {"TMP", "C:\\tmp"}, {"KUIPREFSPATH", "e1;%N%S"}}};
  PrefsDiagnosticsC diagnostics;

  std::vector<std::string> expand(const std::string& path, bool debug = false) {
    SearchPathContextC c{app, env,
                         [](std::string_view section, std::string_view name) -> std::optional<std::string> {
                           if (section == "Launcher" && name == "CacheDirectory") return "C:\\cache";
                           if (section == "Environment" && name == "LANG") return "de_AT.UTF-8@euro";
                           return std::nullopt;
                         },
                         [] { return std::string("C:\\now\\"); }, debug ? &diagnostics : nullptr};
    return expandSearchPath(path, "vdi", c);
  }
};

using V = std::vector<std::string>;

TEST(SearchPath, EveryCode) {
  Fixture f;
  struct Case {
    const char* path;
    V expected;
  } cases[] = {
      {"%U;%A;%BASE;%W;%CWD", {"C:\\Users\\me\\WINDOWS", "C:\\mod", "C:\\mod", "C:\\start", "C:\\now"}},
      {"%WIN;%SYS", {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32"}},
      {"%F|%f|%V|%N|%NAME", {"Family|family|45|vdi|vdi"}},
      {"%N%S%S", {"vdi.ini"}},  // the suffix once per entry
      {"a%S;b%S", {"a.ini", "b.ini"}},
      {"%T|%TEMP", {"C:\\tmp|C:\\tmp"}},
      {"%C|%CACHE", {"C:\\cache|C:\\cache"}},
      {"%L|%l|%t|%c", {"de_AT.UTF-8@euro|de|AT|UTF-8"}},
      {"%%|%$|a%;b", {"%|$|a;b"}},
      {"$HOME/x;$(HOME)y;$(NOPE)z;$;$(;$(HOME", {"/home/me/x", "/home/mey", "z", "$", "$(", "$(HOME"}},
      {"x%E;y%E", {"xe1", "vdi.ini", "y"}},  // expanded as a path, once
      {"a;%Xb;c", {"a"}},
      {";;a;;", {"a"}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(f.expand(c.path), c.expected) << c.path;
}

TEST(SearchPath, WindowsDirectoryFromTheEnvironment) {
  Fixture f;
  f.env.set("windir", "D:\\WIN\\");
  EXPECT_EQ(f.expand("%WIN"), V{"D:\\WIN"});
  f.env.set("SystemRoot", "E:\\NT");
  EXPECT_EQ(f.expand("%WIN;%SYS"), (V{"E:\\NT", "E:\\NT\\SYSTEM32"}));
  f.env.set("TMPDIR", "/tmp");
  EXPECT_EQ(f.expand("%T"), V{"/tmp"});
}

TEST(SearchPath, AnUnknownCodeDropsItsEntryAndSaysSo) {
  Fixture f;
  EXPECT_EQ(f.expand("a;b%Qc%;d;e%", true), V{"a"});
  EXPECT_EQ(f.diagnostics.kept(), (V{"Cannot expand variable \"%Q\", ignoring \"b%Qc%;d\"",
                                     "Cannot expand variable \"%\", ignoring \"e%\""}));
  EXPECT_EQ(f.expand("x%Z"), V{});
  EXPECT_EQ(f.diagnostics.kept().size(), 2u);  // diagnostics off: nothing printed
}

}  // namespace
