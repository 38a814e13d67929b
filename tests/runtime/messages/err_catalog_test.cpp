#include "runtime/messages/err_catalog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "catalog_fixture.h"

namespace {

class ErrCatalog : public ::testing::Test {
 protected:
  std::string install(const std::string& name, const std::string& bytes) {
    const std::string path = dir.file(name);
    test_support::writeFile(path, bytes);
    return path;
  }
  test_support::TempDirC dir;
};

const char* const kSource =
    "# the agent's set\n"
    "s435m1 {i}first\n"
    "0xE1B30002 \\x01\\x01i\\x01Program path is '%1$S'\\x01\n"
    "s435m4 {w} neighbour four\n"
    "s436m3 other set\n"
    "s4095m65535 {e}last\n";

TEST_F(ErrCatalog, FindsFirstLastAndNeverANeighbour) {
  ErrCatalogC cat(install("a.cat", compiledCatalog(kSource)));
  ASSERT_TRUE(cat.isOpen());
  EXPECT_EQ(cat.entryCount(), 5u);
  auto r = cat.fetchMessage(0xE1B30001, "default");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.text, "first");
  r = cat.fetchMessage(0xEFFFFFFF, "default");
  EXPECT_EQ(r.text, "last");
  r = cat.fetchMessage(0xE1B30002, "");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.text, "Program path is '%1$S'");
  bool found = true;
  r = cat.fetchMessage(0xE1B30003, "{w} the default", "", &found);  // 3 lies between 2 and 4
  EXPECT_FALSE(found);
  EXPECT_EQ(r.text, "the default");
  EXPECT_EQ(r.status, 3);
  r = cat.fetchMessage(0xE1B40004, "not set 436");  // set 436 has message 3 only
  EXPECT_EQ(r.text, "not set 436");
  // Without bit 29 an identifier is never looked up.
  r = cat.fetchMessage(0xC1B30001, "no lookup");
  EXPECT_EQ(r.text, "no lookup");
}

TEST_F(ErrCatalog, AnEmptyCatalogAnswersNothing) {
  ErrCatalogC cat(install("empty.cat", std::string("kestract") + be32(0)));
  EXPECT_TRUE(cat.isOpen());
  EXPECT_EQ(cat.fetchMessage(0xE1B30001, "dflt").text, "dflt");
  EXPECT_EQ(cat.fetchMessage(0xE1B30001, "").text, "");
}

TEST_F(ErrCatalog, MalformedFilesStayClosedOrMissTheEntry) {
  const std::string good = compiledCatalog("s435m1 one\ns435m2 two\n");
  struct Case {
    const char* what;
    std::string bytes;
    bool open;
  } cases[] = {
      {"short header", "kestra", false},
      {"wrong magic", "kestrakt" + be32(0), false},
      {"count larger than the file", "kestract" + be32(1000), false},
      {"huge count", "kestract" + be32(0xFFFFFFFF), false},
      {"unsorted", "kestract" + be32(2) + entry(435, 1, 2, 36) + entry(435, 1, 1, 37) + "ab", false},
      {"duplicate", "kestract" + be32(2) + entry(435, 1, 1, 36) + entry(435, 1, 1, 37) + "ab", false},
      {"text past the end", "kestract" + be32(2) + entry(435, 1, 1, 36) + entry(435, 200, 2, 37) + "ab", true},
      {"offset far away", "kestract" + be32(1) + entry(435, 4, 2, 0xFFFFFFF0) + "abcd", true},
      {"missing file", "", false},
  };
  for (const auto& c : cases) {
    const std::string path = c.bytes.empty() ? dir.path() + "/none.cat" : install("m.cat", c.bytes);
    ErrCatalogC cat(path);
    EXPECT_EQ(cat.isOpen(), c.open) << c.what;
    EXPECT_EQ(cat.fetchMessage(0xE1B30002, "default").text, "default") << c.what;
  }
  ErrCatalogC partial(install("p.cat", "kestract" + be32(2) + entry(435, 1, 1, 36) + entry(435, 200, 2, 37) + "ab"));
  EXPECT_EQ(partial.fetchMessage(0xE1B30001, "default").text, "a");
  EXPECT_EQ(ErrCatalogC(good.substr(0, 0)).isOpen(), false);  // an empty template opens nothing
}

TEST_F(ErrCatalog, LanguageCandidatesAndTheFallbackName) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ErrCatalogC::candidates("C:\\T\\common\\allcat.%L.cat", "de", "deu", "AT"),
            (V{"C:\\T\\common\\allcat.de-AT.cat", "C:\\T\\common\\allcat.deu-AT.cat", "C:\\T\\common\\allcat.de.cat",
               "C:\\T\\common\\allcat.deu.cat", "C:\\T\\common\\allcat.cat"}));
  EXPECT_EQ(ErrCatalogC::candidates("cats/%L/m.cat", "en", "eng", "")[2], "cats/m.cat");
  EXPECT_EQ(ErrCatalogC::candidates("%L\\m.cat", "en", "eng", "").back(), ".\\m.cat");
  EXPECT_EQ(ErrCatalogC::candidates("plain.cat", "en", "eng", "US"), (V{"plain.cat"}));
  EXPECT_TRUE(ErrCatalogC::candidates("", "en", "eng", "US").empty());
  // A rooted template falls back to a rooted name.
  EXPECT_EQ(ErrCatalogC::candidates("/%L/m.cat", "en", "eng", "").back(), "/m.cat");
  EXPECT_EQ(ErrCatalogC::candidates("\\%L\\m.cat", "en", "eng", "").back(), "\\m.cat");
  // A language without a code of its own: each name is tried once.
  EXPECT_EQ(ErrCatalogC::candidates("m.%L.cat", "vi", "vi", "VN"), (V{"m.vi-VN.cat", "m.vi.cat", "m.cat"}));

  install("allcat.cat", compiledCatalog("s435m1 fallback\n"));
  ErrCatalogC cat(dir.path() + "/allcat.%L.cat");
  ASSERT_TRUE(cat.isOpen());
  EXPECT_EQ(cat.fetchMessage(0xE1B30001, "").text, "fallback");
  cat.setLanguage(StringC::fromUtf8("fr").text());
  EXPECT_EQ(cat.language(), "fr");
  EXPECT_EQ(cat.fetchMessage(0xE1B30001, "").text, "fallback");  // the language does not reopen
}

TEST_F(ErrCatalog, OneOpenCatalogServesManyThreads) {
  std::string source;
  for (int i = 1; i <= 300; ++i) source += "s435m" + std::to_string(i) + " text " + std::to_string(i) + "\n";
  ErrCatalogC cat(install("many.cat", compiledCatalog(source)));
  ASSERT_TRUE(cat.isOpen());
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 200; ++round) {
        const int m = 1 + (round * 7 + t * 31) % 300;
        if (cat.fetchMessage(0xE1B30000u | static_cast<uint32_t>(m), "").text != "text " + std::to_string(m)) ++wrong;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
}

TEST_F(ErrCatalog, AbiFetchGivesTextAndStatus) {
  ErrCatalogC cat(install("a.cat", compiledCatalog(kSource)));
  ErrCatalogI& abi = cat;
  tnw::TextI* text = nullptr;
  int32_t status = -1;
  abi.fetch(&text, &status, 0xE1B30004, nullptr, nullptr);
  StringC s = StringC::adopt(text);
  EXPECT_EQ(s, StringC::fromUtf8("neighbour four"));
  EXPECT_EQ(status, 3);
}

}  // namespace

namespace {

TEST(ErrCatalogHostile, MutatedCatalogsNeverCrashOrMisread) {
  test_support::TempDirC dir;
  std::string source;
  for (int i = 1; i <= 40; ++i) source += "s435m" + std::to_string(i) + " {i}text " + std::to_string(i) + "\n";
  const std::string good = compiledCatalog(source);
  std::mt19937 rng(435);
  const std::string path = dir.file("m.cat");
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    for (int e = 0; e < 1 + static_cast<int>(rng() % 6); ++e) {
      const size_t at = rng() % bytes.size();
      if (rng() % 3 == 0)
        bytes.resize(at);
      else
        bytes[at] = static_cast<char>(rng() % 256);
      if (bytes.empty()) break;
    }
    test_support::writeFile(path, bytes);
    ErrCatalogC cat(path);
    for (uint32_t m = 0; m <= 41; m += 3) {
      const std::string text = cat.fetchMessage(0xE1B30000u | m, "default").text;
      ASSERT_LE(text.size(), bytes.size() + 16) << round;
    }
  }
}

}  // namespace
