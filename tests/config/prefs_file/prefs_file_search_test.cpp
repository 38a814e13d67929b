// The preference-file search: candidates, the chain, stops, nesting, loops,
// unreadable files, lookups with their fallback, and every diagnostic line.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "config/prefs_file/ini_file.h"
#include "config/prefs_file/prefs_file_search.h"
#include "log/log_manager.h"
#include "log/log_settings.h"
#include "runtime/services/common_services.h"
#include "test_support.h"

namespace {

using V = std::vector<std::string>;

class PrefsFileSearch : public ::testing::Test {
 protected:
  // Windows-style names below the scratch folder: "\" between the parts.
  std::string path(const std::string& name) const { return dir.path() + "\\" + name; }
  void write(const std::string& name, const std::string& text) { test_support::writeFile(dir.file(name), text); }

  std::unique_ptr<PrefsFileSearchC> search(std::optional<std::string> searchPath) {
    PrefsSearchSetupC setup;
    setup.searchPath = std::move(searchPath);
    setup.app = {path("user"), path("start"), path("mod"), "Family", "family", "450"};
    setup.name = "vdi";
    setup.environment = &env;
    setup.diagnostics = &diagnostics;
    return std::make_unique<PrefsFileSearchC>(std::move(setup));
  }
  // The lines after the header.
  V searchLines() const {
    V all = diagnostics.kept();
    return V(all.begin() + std::min<size_t>(all.size(), header), all.end());
  }

  test_support::TempDirC dir;
  MapEnvironmentC env{{{"KUIPREFSDEBUG", "1"}}};
  PrefsDiagnosticsC diagnostics;
  static constexpr size_t header = 5;
};

TEST_F(PrefsFileSearch, HeaderAndDefaultSearchWithNoFiles) {
  auto s = search(std::nullopt);
  const std::string u = path("user"), a = path("mod");
  EXPECT_EQ(diagnostics.kept(),
            (V{"Preferences Diagnostics\n=======================",
               "Default dirs (for files in search path): \"%U;%A;%WIN\\%F%V\"",
               "Default files (for dirs in search path): \"%N%S;%f%V%S\"",
               "File suffix (added if not present): \".ini\"", "See the online help for % substitution details",
               "Using default search path: \"%U\\%N%S;%A\\%N%S;%U\\%f%V%S;%A\\%f%V%S;%WIN\\%F%V\\%f%V%S\"",
               "File \"" + u + "\\vdi.ini\" not found, continuing search",
               "File \"" + a + "\\vdi.ini\" not found, continuing search",
               "File \"" + u + "\\family45.ini\" not found, continuing search",
               "File \"" + a + "\\family45.ini\" not found, continuing search",
               "File \"C:\\WINDOWS\\Family45\\family45.ini\" not found, continuing search", "End of search."}));
  EXPECT_EQ(s->lookup("S", "n", "dflt"), "dflt");
  EXPECT_TRUE(s->files().empty());
  // The header once per process (per diagnostics object).
  search("");
  EXPECT_EQ(diagnostics.kept()[12], "Using default search path: \"%U\\%N%S;%A\\%N%S;%U\\%f%V%S;%A\\%f%V%S;%WIN\\%F%V\\%f%V%S\"");
}

TEST_F(PrefsFileSearch, EnvironmentFallbackOnlyWhenEnabled) {
  env.set("HOME_X", "from env");
  auto off = search(path("none.ini"));
  EXPECT_FALSE(off->useEnvironmentVariables());
  EXPECT_EQ(off->lookup("Environment", "HOME_X", "d"), "d");
  env.set("KUIUSEENVIRONMENTVARS", "");
  auto on = search(path("none.ini"));
  EXPECT_TRUE(on->useEnvironmentVariables());
  EXPECT_EQ(on->lookup("ENVIRONMENT", "HOME_X", "d"), "from env");
  EXPECT_EQ(on->lookup("Other", "HOME_X", "d"), "d");
  EXPECT_STREQ(on->lookupVariable("HOME_X"), "from env");
  EXPECT_EQ(on->lookupVariable("NOPE_X"), nullptr);
  // Defined in a found file, the preference variable enables it too.
  env.unset("KUIUSEENVIRONMENTVARS");
  write("use.ini", "[Environment]\nKUIUSEENVIRONMENTVARS=1\n");
  EXPECT_TRUE(search(path("use.ini"))->useEnvironmentVariables());
}

TEST_F(PrefsFileSearch, StoppedByAnEmptyKuiPrefsPath) {
  write("a.ini", "[S]\nn=from a\n[Environment]\nKUIPREFSPATH=\n");
  write("b.ini", "[S]\nn=from b\nm=only b\n");
  auto s = search(path("a.ini") + ";" + path("b"));
  EXPECT_EQ(searchLines(), (V{"Using search path: \"" + path("a.ini") + ";" + path("b") + "\"",
                              "Search stopped in \"" + path("a.ini") + "\"",
                              "File \"" + path("b") + "\" ignored (search already stopped)", "End of search."}));
  EXPECT_EQ(s->files(), V{path("a.ini")});
  EXPECT_EQ(s->lookup("S", "m", "d"), "d");
}

TEST_F(PrefsFileSearch, FirstFileFoundWinsAndLookupsSaySo) {
  write("a.ini", "[S]\nn=from a\n");
  write("b.INI", "[S]\nn=from b\nm=only b\n[Environment]\nLANG=fr\n");
  env.set("KUIPREFSDEBUG", "N");
  auto s = search(path("a") + ";" + path("b.INI"));
  EXPECT_EQ(searchLines(), (V{"Using search path: \"" + path("a") + ";" + path("b.INI") + "\"",
                              "File \"" + path("a.ini") + "\" found, continuing search",
                              "File \"" + path("b.INI") + "\" found, continuing search", "End of search."}));
  EXPECT_EQ(s->files(), (V{path("a.ini"), path("b.INI")}));
  EXPECT_EQ(s->lastFileFound(), path("b.INI"));
  EXPECT_EQ(s->lookup("s", "n", "d"), "from a");
  EXPECT_EQ(s->lookup("S", "m", "d"), "only b");
  EXPECT_EQ(s->lookup("S", "x", "d"), "d");  // not named by KUIPREFSDEBUG: no line
  EXPECT_EQ(s->lookup("T", "N", "d"), "d");
  EXPECT_EQ(s->lookupSection("S")->size(), 1u);
  env.set("KUIPREFSDEBUG", "S");
  auto t = search(path("b.INI"));
  const size_t before = diagnostics.kept().size();
  EXPECT_TRUE(t->lookupSection("S"));
  EXPECT_FALSE(t->lookupSection("Missing"));
  env.set("KUIPREFSDEBUG", "Missing");
  auto u = search(path("none"));
  const size_t before2 = diagnostics.kept().size();
  EXPECT_FALSE(u->lookupSection("missing"));
  const V all = diagnostics.kept();
  EXPECT_EQ(V(all.begin() + header + 4, all.begin() + header + 6),
            (V{"Value \"from a\" for variable \"n\" found in \"" + path("a.ini") + "\"",
               "No value found for preference variable \"N\""}));
  EXPECT_EQ(V(all.begin() + static_cast<long>(before), all.begin() + static_cast<long>(before) + 2),
            (V{"[S] n = from b", "[S] m = only b"}));
  EXPECT_EQ(all.back(), "No value found for preference section \"missing\"");
  EXPECT_EQ(all.size(), before2 + 1);
}

TEST_F(PrefsFileSearch, ANestedSearchThatDoesNotStopLetsTheOuterOneGoOn) {
  write("a.ini", "[Environment]\nKUIPREFSPATH=" + path("c.ini") + "\n");
  write("b.ini", "[S]\nn=b\n");
  write("c.ini", "[S]\nn=c\n");
  auto s = search(path("a.ini") + ";" + path("b.ini"));
  EXPECT_EQ(s->files(), (V{path("a.ini"), path("c.ini"), path("b.ini")}));
  EXPECT_EQ(s->lookup("S", "n", ""), "c");
  EXPECT_EQ(searchLines()[1], "Search stopped in \"" + path("a.ini") + "\"");
  EXPECT_EQ(searchLines()[2], "File \"" + path("c.ini") + "\" found, continuing search");
  // A nested search that stops stops the outer one.
  write("c.ini", "[Environment]\nKUIPREFSPATH=\n");
  auto t = search(path("a.ini") + ";" + path("b.ini"));
  EXPECT_EQ(t->files(), (V{path("a.ini"), path("c.ini")}));
}

TEST_F(PrefsFileSearch, LoopsAreSkippedAndNestingEndsAtDepthEight) {
  write("a.ini", "[Environment]\nKUIPREFSPATH=" + path("b.ini") + "\n");
  write("b.ini", "[Environment]\nKUIPREFSPATH=" + path("a.ini") + "\n");
  auto s = search(path("a.ini"));
  EXPECT_EQ(s->files(), (V{path("a.ini"), path("b.ini")}));
  EXPECT_EQ(searchLines()[3], "File \"" + path("a.ini") + "\" already read, continuing search");

  for (int i = 0; i < 12; ++i)
    write("n" + std::to_string(i) + ".ini", "[Environment]\nKUIPREFSPATH=" + path("n" + std::to_string(i + 1)) + "\n");
  auto deep = search(path("n0") + ";" + path("b.ini"));
  ASSERT_EQ(deep->files().size(), 9u);  // the top file and eight nested
  EXPECT_EQ(deep->files().back(), path("n8.ini"));
  const V lines = searchLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Search path of \"" + path("n8.ini") + "\" not followed (nested deeper than 8)"),
            lines.end());
  EXPECT_EQ(lines[lines.size() - 2], "File \"" + path("b.ini") + "\" ignored (search already stopped)");
}

TEST_F(PrefsFileSearch, AFileThatCannotBeReadStopsTheSearch) {
  write("a.ini", "[S]\nn=a\n");
  write("bad.ini", "[S]\nn=bad\n");  // too large to be a preference file
  std::filesystem::resize_file(dir.file("bad.ini"), ini_file::kMaxFileBytes + 1);
  write("c.ini", "[S]\nn=c\n");
  auto s = search(path("a.ini") + ";" + path("bad.ini") + ";" + path("c.ini"));
  EXPECT_EQ(s->files(), V{path("a.ini")});
  EXPECT_EQ(searchLines(), (V{"Using search path: \"" + path("a.ini") + ";" + path("bad.ini") + ";" + path("c.ini") + "\"",
                              "File \"" + path("a.ini") + "\" found, continuing search",
                              "Unknown error occured while opening \"" + path("bad.ini") + "\"",
                              "File \"" + path("c.ini") + "\" ignored (search already stopped)", "End of search."}));
}

TEST_F(PrefsFileSearch, BareNamesAndDirectoriesUseTheDefaults) {
  write("mod/prefs.ini", "[S]\nn=bare\n");
  write("folder/family45.ini", "[S]\nm=dir\n");
  auto s = search("prefs;" + path("folder"));
  EXPECT_EQ(s->files(), (V{path("mod") + "\\prefs.ini", path("folder") + "\\family45.ini"}));
  EXPECT_EQ(searchLines(), (V{"Using search path: \"prefs;" + path("folder") + "\"",
                              "File \"" + path("user") + "\\prefs.ini\" not found, continuing search",
                              "File \"" + path("mod") + "\\prefs.ini\" found, continuing search",
                              "File \"C:\\WINDOWS\\Family45\\prefs.ini\" not found, continuing search",
                              "File \"" + path("folder") + "\\vdi.ini\" not found, continuing search",
                              "File \"" + path("folder") + "\\family45.ini\" found, continuing search",
                              "End of search."}));
}

TEST_F(PrefsFileSearch, GarbageFilesAreReadAsFarAsTheyMakeSense) {
  std::string text = "[S]\nn=1\n" + std::string(100000, 'x') + "\n";
  for (int i = 0; i < 20000; ++i) text += static_cast<char>(i * 7919 % 256);
  text += "\n[S]\nm=2\n";
  write("g.ini", text);
  auto s = search(path("g.ini"));
  EXPECT_EQ(s->lookup("S", "n", ""), "1");
  EXPECT_EQ(s->lookup("S", "m", ""), "2");
  EXPECT_EQ(searchLines()[1].rfind("File \"" + path("g.ini") + "\": ", 0), 0u);
}

TEST_F(PrefsFileSearch, VariableLookupsAnswerInABufferOfTheirOwnThread) {
  write("v.ini", "[Environment]\nA=alpha\nB=beta\n");
  auto s = search(path("v.ini"));
  const char* mine = s->lookupVariable("A");
  std::string other;
  std::thread t([&] { other = s->lookupVariable("B"); });
  t.join();
  EXPECT_STREQ(mine, "alpha");
  EXPECT_EQ(other, "beta");
}

// Lines printed before the log manager exists are kept, then written
// through it, in order, and later lines go straight there.
TEST_F(PrefsFileSearch, DiagnosticsWaitForTheLogManager) {
  class Settings final : public log_LogSettingsI {
   public:
    explicit Settings(std::string file) : file_(std::move(file)) {}
    StringC value(const char* name) override {
      const std::string n = name;
      if (n == "LogLevel") return StringC::fromUtf8("G0");
      if (n == "LogModules") return StringC::fromUtf8("default");
      if (n == "LogFlags") return StringC::fromUtf8("0");
      if (n == "LogFile") return StringC::fromUtf8(file_);
      if (n == "LogMsgCatPath") return StringC::fromUtf8(file_ + ".none");
      return StringC();
    }
    std::string file_;
  } settings(dir.file("log/agent.log"));
  common_services::overrideErrorService(nullptr, true);
  search(path("none.ini"));
  ASSERT_EQ(diagnostics.kept().size(), header + 3);
  auto* manager = new log_LogManagerC(settings);
  manager->AddRef();
  {
    LogManagerDiagnosticWriterC writer(*manager);
    diagnostics.attach(&writer);
    EXPECT_TRUE(diagnostics.kept().empty());
    diagnostics.print("after %1$s", {"attach"});
    diagnostics.detach();
  }
  manager->Release();
  common_services::restoreErrorService();
  const std::string log = test_support::readFile(dir.file("log/agent.log"));
  const size_t first = log.find("Preferences Diagnostics");
  const size_t end = log.find("End of search.");
  const size_t after = log.find("after attach");
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(end, std::string::npos);
  EXPECT_NE(after, std::string::npos);
  EXPECT_LT(first, end);
  EXPECT_LT(end, after);
}

TEST(PrefsDiagnostics, KeepsABoundedNumberOfLines) {
  PrefsDiagnosticsC d;
  for (size_t i = 0; i < PrefsDiagnosticsC::kKeepLimit + 3; ++i) d.print("line");
  class Collect final : public PrefsDiagnosticWriterI {
   public:
    void write(const std::string& line) override { lines.push_back(line); }
    V lines;
  } collect;
  d.attach(&collect);
  ASSERT_EQ(collect.lines.size(), PrefsDiagnosticsC::kKeepLimit + 1);
  EXPECT_EQ(collect.lines.back(), "3 further preference diagnostics lines were not kept");
  EXPECT_TRUE(d.claimHeader());
  EXPECT_FALSE(d.claimHeader());
  EXPECT_EQ(PrefsDiagnosticsC::format("%1$s-%2$s %% %3$s%9$s %", {"a", "b"}), "a-b %  %");
}

}  // namespace
