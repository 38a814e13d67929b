#include "files/file_service.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

#include "test_support.h"

namespace {

TEST(FileNameC, ParsesDrivesSharesAndBothSeparators) {
  struct Case {
    const char* in;
    const char* text;
    bool absolute;
    bool root;
    const char* parent;
  } cases[] = {
      {"C:/Data/vdi", "C:\\Data\\vdi", true, false, "C:\\Data"},
      {"C:\\Data", "C:\\Data", true, false, "C:\\"},
      {"C:\\", "C:\\", true, true, ""},
      {"C:", "C:", false, true, ""},
      {"\\\\server\\share", "\\\\server\\share", true, true, ""},
      {"\\\\server\\share\\dir\\", "\\\\server\\share\\dir\\", true, false, "\\\\server\\share"},
      {"relative\\dir", "relative\\dir", false, false, "relative"},
      {"a//b", "a\\b", false, false, "a"},
      {"\\\\?\\C:\\", "\\\\?\\C:\\", true, true, ""},
      {"\\\\?\\C:\\x", "\\\\?\\C:\\x", true, false, "\\\\?\\C:\\"},
      {"\\\\?\\C:\\x\\y", "\\\\?\\C:\\x\\y", true, false, "\\\\?\\C:\\x"},
      {"\\\\?\\UNC\\server\\share\\d", "\\\\?\\UNC\\server\\share\\d", true, false,
       "\\\\?\\UNC\\server\\share"},
      {"", "", false, true, ""},
  };
  // A drive's root is its own parent, behind the prefix too.
  EXPECT_EQ(FileNameC(std::string("C:\\")).parent().text(), "C:\\");
  EXPECT_EQ(FileNameC(std::string("\\\\?\\C:\\")).parent().text(), "\\\\?\\C:\\");
  // A drive without its separator has none, as without the prefix.
  EXPECT_EQ(FileNameC(std::string("\\\\?\\C:")).parent().text(), "");
  for (const auto& c : cases) {
    FileNameC n{std::string(c.in)};
    EXPECT_EQ(n.text(), c.text) << c.in;
    EXPECT_EQ(n.isAbsolute(), c.absolute) << c.in;
    EXPECT_EQ(n.isRoot(), c.root) << c.in;
    if (!c.root) {
      EXPECT_EQ(n.parent().text(), c.parent) << c.in;
    }
  }
}

class FileService : public ::testing::Test {
 protected:
  FileNameC name(const std::string& rel) const { return FileNameC(dir.path() + (rel.empty() ? "" : "/" + rel)); }
  test_support::TempDirC dir;
  FileServiceI& fs = fileService();
};

TEST_F(FileService, CreatesDirectoriesWithTheirParents) {
  EXPECT_TRUE(fs.createDirectory(name("a"), false));
  EXPECT_TRUE(fs.createDirectory(name("a"), false));  // exists already
  EXPECT_FALSE(fs.createDirectory(name("x/y"), false));
  EXPECT_TRUE(fs.createDirectory(name("a/b/c"), true));
  EXPECT_TRUE(fs.isDirectory(name("a/b")));
  EXPECT_TRUE(fs.isDirectory(name("a/b/c")));
  test_support::writeFile(dir.file("file"), "x");
  EXPECT_FALSE(fs.createDirectory(name("file"), true));  // a file of that name
  EXPECT_TRUE(fs.isFile(name("file")));
  EXPECT_FALSE(fs.isFile(name("a")));
  EXPECT_FALSE(fs.createDirectory(FileNameC(std::string("C:\\")), true));
  EXPECT_FALSE(fs.createDirectory(FileNameC(std::string("\\\\server\\share")), true));
  EXPECT_FALSE(fs.isDirectory(FileNameC()));
}

TEST_F(FileService, MovesReplaceOtherFilesButNotThemselves) {
  test_support::writeFile(dir.file("doc.vdi"), "new");
  test_support::writeFile(dir.file("upload/doc.vdi"), "old");
  EXPECT_EQ(fs.move(name("doc.vdi"), name("upload/doc.vdi")), 0);
  EXPECT_EQ(test_support::readFile(dir.file("upload/doc.vdi")), "new");
  EXPECT_FALSE(fs.isFile(name("doc.vdi")));
  EXPECT_EQ(fs.move(name("upload/doc.vdi"), name("upload/doc.vdi")), 0);
  EXPECT_EQ(test_support::readFile(dir.file("upload/doc.vdi")), "new");
  const int32_t missing = fs.move(name("absent.vdi"), name("upload/x.vdi"));
  EXPECT_EQ(static_cast<uint32_t>(missing), 0x80070002u);  // ENOENT
}

TEST_F(FileService, RemovesFilesTreesAndReadOnlyFilesWithForce) {
  test_support::writeFile(dir.file("t/a/b.txt"), "x");
  EXPECT_FALSE(fs.remove(name("t"), false, false));  // not empty
  EXPECT_TRUE(fs.remove(name("t"), false, true));
  EXPECT_FALSE(fs.isDirectory(name("t")));
  EXPECT_TRUE(fs.remove(name("never-there"), false, false));
  test_support::writeFile(dir.file("ro.txt"), "x");
  ASSERT_TRUE(fs.setReadOnly(name("ro.txt"), true));
  EXPECT_TRUE(fs.remove(name("ro.txt"), true, false));
  EXPECT_FALSE(fs.isFile(name("ro.txt")));
}

TEST_F(FileService, MoveWithoutReplacingLeavesATakenNameAlone) {
  test_support::writeFile(dir.file("new.vdi"), "new");
  test_support::writeFile(dir.file("pending.vdi"), "pending");
  EXPECT_EQ(static_cast<uint32_t>(fs.moveNoReplace(name("new.vdi"), name("pending.vdi"))), 0x80070000u | EEXIST);
  EXPECT_EQ(test_support::readFile(dir.file("pending.vdi")), "pending");
  EXPECT_EQ(test_support::readFile(dir.file("new.vdi")), "new");
  EXPECT_EQ(fs.moveNoReplace(name("new.vdi"), name("free.vdi")), 0);
  EXPECT_EQ(test_support::readFile(dir.file("free.vdi")), "new");
  EXPECT_FALSE(fs.isFile(name("new.vdi")));
}

TEST_F(FileService, TextFilesStoreLineFeedsAsCarriageReturnLineFeed) {
  int32_t status = -1;
  std::FILE* f = fs.openTextFile(name("doc.txt"), &status);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(status, 0);
  std::fputs("<a>\n\t<b/>\n</a>\n", f);
  EXPECT_EQ(fs.closeTextFile(f), 0);
  EXPECT_EQ(test_support::readFile(dir.file("doc.txt")), "<a>\r\n\t<b/>\r\n</a>\r\n");

  // Opening again empties the file.
  f = fs.openTextFile(name("doc.txt"), &status);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fs.closeTextFile(f), 0);
  EXPECT_EQ(test_support::readFile(dir.file("doc.txt")), "");

  EXPECT_EQ(fs.openTextFile(name("missing\\doc.txt"), &status), nullptr);
  EXPECT_EQ(static_cast<uint32_t>(status), 0x80070000u | ENOENT);
}

class CountingService final : public FileServiceI {
 public:
  int calls = 0;
  bool isDirectory(const FileNameC&) override { return ++calls, false; }
  bool isFile(const FileNameC&) override { return ++calls, false; }
  bool setReadOnly(const FileNameC&, bool) override { return ++calls, false; }
  bool remove(const FileNameC&, bool, bool) override { return ++calls, false; }
  bool createDirectory(const FileNameC&, bool) override { return ++calls, true; }
  int32_t move(const FileNameC&, const FileNameC&) override { return ++calls, 0; }
  int32_t moveNoReplace(const FileNameC&, const FileNameC&) override { return ++calls, 0; }
  std::FILE* openTextFile(const FileNameC&, int32_t*) override { return ++calls, nullptr; }
  int32_t closeTextFile(std::FILE*) override { return ++calls, 0; }
};

TEST(FileServiceAccessor, TheServiceCanBeReplaced) {
  FileServiceI& builtIn = fileService();
  CountingService counting;
  setFileService(&counting);
  EXPECT_TRUE(fileService().createDirectory(FileNameC(std::string("C:\\Anything")), true));
  EXPECT_EQ(counting.calls, 1);
  setFileService(nullptr);
  EXPECT_EQ(&fileService(), &builtIn);
}

}  // namespace
