#include "runtime/streams/streams.h"

#include <gtest/gtest.h>

#include <type_traits>

#include <sstream>
#include <thread>

#include "runtime/services/common_services.h"
#include "runtime/streams/stream_text.h"
#include "test_support.h"

namespace {

class Streams : public ::testing::Test {
 protected:
  void SetUp() override { common_services::overrideErrorService(nullptr, true); }
  void TearDown() override { common_services::restoreErrorService(); }
  FileStreamC* open(const std::string& name, FileOpenModeC mode, uint32_t access = platform::kAccessWrite) {
    return FileStreamC::open(dir.file(name), name, mode, access, platform::kShareRead | platform::kShareWrite);
  }
  std::string contents(const std::string& name) { return test_support::readFile(dir.file(name)); }
  test_support::TempDirC dir;
};

TEST_F(Streams, EveryLineEndBecomesCrLf) {
  StreamWriterC w(open("lines.txt", FileOpenModeC::kCreateAlways));
  EXPECT_EQ(w.write(StringC::fromUtf8("a\rb\r\nc\nd")), 0u);
  w.close();
  EXPECT_EQ(contents("lines.txt"), "a\r\nb\r\nc\r\nd");
}

TEST_F(Streams, MarksArePendingUntilTextIsWritten) {
  StreamWriterC w(open("mark.txt", FileOpenModeC::kCreateAlways), true, &utf8TextEncoding());
  w.setMarkPending(true);
  EXPECT_EQ(w.write(StringC()), 0u);
  EXPECT_EQ(contents("mark.txt"), "");  // an empty text writes no mark
  w.write(StringC::fromUtf8("\xC3\xA9"));
  w.write(StringC::fromUtf8("!"));
  w.close();
  EXPECT_EQ(contents("mark.txt"), "\xEF\xBB\xBF\xC3\xA9!");

  StreamWriterC be(open("be.txt", FileOpenModeC::kCreateAlways), true, &utf16BETextEncoding());
  be.setMarkPending(true);
  be.write(StringC::fromUtf8("A\xF0\x9F\x98\x80"));
  be.close();
  EXPECT_EQ(contents("be.txt"), std::string("\xFE\xFF\x00\x41\xD8\x3D\xDE\x00", 8));
}

TEST_F(Streams, ReadersDetectMarksAndPresetEncodingsOnlyTheirOwn) {
  struct Case {
    std::string bytes;
    const TextEncodingI* preset;
    std::string text;
  } cases[] = {
      {"\xEF\xBB\xBFplain", nullptr, "plain"},
      {std::string("\xFE\xFF\x00h\x00i", 6), nullptr, "hi"},
      {std::string("\xFF\xFEh\x00i\x00", 6), nullptr, "hi"},
      {"no mark", nullptr, "no mark"},
      {std::string("\xFE\xFF\x00h", 4), &utf16TextEncoding(), "h"},  // byte order from the data
      {std::string("\xEF\xBB\xBFx", 4), &utf8TextEncoding(), "x"},
  };
  for (const auto& c : cases) {
    test_support::writeFile(dir.file("r.txt"), c.bytes);
    StreamReaderC r(open("r.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead), true, c.preset);
    EXPECT_EQ(r.readToEnd().toUtf8(), c.text) << c.text;
  }
  // A preset UTF-16LE reader does not take a UTF-8 mark for its own.
  test_support::writeFile(dir.file("r.txt"), "\xEF\xBB\xBF");
  StreamReaderC r(open("r.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead), true, &utf16LETextEncoding());
  EXPECT_EQ(r.readToEnd().toUtf8(), "\xEB\xAF\xAF\xEF\xBF\xBD");  // U+BBEF, then the odd byte as U+FFFD
}

TEST_F(Streams, DecodersKeepIncompleteSequences) {
  auto utf8 = utf8TextEncoding().createDecoder();
  EXPECT_EQ(utf8->decode("a\xC3", 2), "a");
  EXPECT_EQ(utf8->decode("\xA9" "b", 2), "\xC3\xA9" "b");
  EXPECT_FALSE(utf8->invalidSeen());
  EXPECT_EQ(utf8->decode("\xFF", 1), "\xEF\xBF\xBD");
  EXPECT_TRUE(utf8->invalidSeen());
  EXPECT_EQ(utf8->decode("\xF4\x90\x80\x80", 4), "\xEF\xBF\xBD");  // 0x110000 and above is invalid

  auto utf16 = utf16LETextEncoding().createDecoder();
  const std::string pair("\x3D\xD8\x00\xDE", 4);
  EXPECT_EQ(utf16->decode(pair.data(), 3), "");
  EXPECT_EQ(utf16->decode(pair.data() + 3, 1), "\xF0\x9F\x98\x80");
  EXPECT_EQ(utf16->decode("A", 1), "");
  EXPECT_EQ(utf16->finish(), "\xEF\xBF\xBD");
}

TEST_F(Streams, LinesComeBackWhateverTheirEnds) {
  test_support::writeFile(dir.file("l.txt"), "one\r\ntwo\rthree\nfour");
  StreamReaderC r(open("l.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead));
  StringC line;
  std::vector<std::string> lines;
  while (r.readLine(line)) lines.push_back(line.toUtf8());
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three", "four"}));
}

// A NUL byte is text like any other: the system decoder keeps what follows
// it, in one chunk as across chunks.
TEST(TextEncodings, SystemDecodingKeepsTextAfterANul) {
  const std::string bytes("ab\0cd", 5);
  auto whole = systemTextEncoding().createDecoder();
  EXPECT_EQ(whole->decode(bytes.data(), bytes.size()) + whole->finish(), bytes);
  auto split = systemTextEncoding().createDecoder();
  std::string out = split->decode(bytes.data(), 3);
  out += split->decode(bytes.data() + 3, 2);
  EXPECT_EQ(out + split->finish(), bytes);
  EXPECT_EQ(StringC(bytes.data(), 5, "system-8").utf8(), bytes);
}

// A CreateFileW disposition is numbered differently from an open mode (the
// disposition "create new" is the open mode "create always"): neither it nor
// a bare number can be passed as one.
static_assert(!std::is_invocable_v<decltype(&FileStreamC::open), const std::string&, const std::string&,
                                   platform::Disposition, uint32_t, uint32_t>);
static_assert(!std::is_invocable_v<decltype(&FileStreamC::open), const std::string&, const std::string&, int,
                                   uint32_t, uint32_t>);

TEST_F(Streams, OpenModesAndTheirFailures) {
  EXPECT_EQ(open("absent.txt", FileOpenModeC::kOpenExisting, platform::kAccessRead), nullptr);
  EXPECT_EQ(open("absent.txt", FileOpenModeC::kTruncateExisting), nullptr);
  EXPECT_EQ(open("x.txt", FileOpenModeC::kAppend, platform::kAccessRead), nullptr);  // append needs write access
  FileStreamC* s = open("new.txt", FileOpenModeC::kCreateNew);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->write("abc", 3), 0u);
  char buf[4];
  EXPECT_EQ(s->read(buf, 4), -1);  // not opened for reading
  delete s;
  EXPECT_EQ(open("new.txt", FileOpenModeC::kCreateNew), nullptr);
  s = open("new.txt", FileOpenModeC::kAppend, platform::kAccessWrite | platform::kAccessRead);
  ASSERT_NE(s, nullptr);
  s->setPosition(0, 0);
  s->write("de", 2);  // appended, whatever the position
  EXPECT_EQ(s->length(), 5);
  delete s;
  EXPECT_EQ(contents("new.txt"), "abcde");
  s = open("new.txt", FileOpenModeC::kCreateAlways);
  delete s;
  EXPECT_EQ(contents("new.txt"), "");
}

TEST_F(Streams, TwoAppendersNeverOverwriteEachOther) {
  auto appender = [&](char tag) {
    FileStreamC* s = open("shared.log", FileOpenModeC::kAppend);
    ASSERT_NE(s, nullptr);
    const std::string line = std::string(40, tag) + "\n";
    for (int i = 0; i < 500; ++i) ASSERT_EQ(s->write(line.data(), static_cast<uint32_t>(line.size())), 0u);
    delete s;
  };
  std::thread a(appender, 'A'), b(appender, 'B');
  a.join();
  b.join();
  std::istringstream in(contents("shared.log"));
  std::string line;
  int as = 0, bs = 0;
  while (std::getline(in, line)) {
    ASSERT_TRUE(line == std::string(40, 'A') || line == std::string(40, 'B')) << line;
    (line[0] == 'A' ? as : bs)++;
  }
  EXPECT_EQ(as, 500);
  EXPECT_EQ(bs, 500);
}

TEST_F(Streams, CopyAndHandleStreams) {
  test_support::writeFile(dir.file("src.bin"), std::string(3000, 'x') + "end");
  FileStreamC* in = open("src.bin", FileOpenModeC::kOpenExisting, platform::kAccessRead);
  FileStreamC* out = open("dst.bin", FileOpenModeC::kCreateAlways);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(out->copyFrom(*in, 2500), 0u);
  EXPECT_EQ(out->copyAllFrom(*in), 0u);
  delete in;
  delete out;
  EXPECT_EQ(contents("dst.bin"), std::string(3000, 'x') + "end");

  uint32_t error = 0;
  platform::FileHandle h = platform::openFile(dir.file("fd.bin"), platform::Disposition::kCreateAlways, platform::kAccessWrite,
                                              0, false, &error);
  ASSERT_NE(h, platform::kNoFile);
  {
    FDOutputStreamC fd(h, true);
    EXPECT_EQ(fd.write("via handle", 10), 0u);
  }
  h = platform::openFile(dir.file("fd.bin"), platform::Disposition::kOpenExisting, platform::kAccessRead, 0, false, &error);
  FDInputStreamC fdin(h, true);
  char buf[32];
  EXPECT_EQ(fdin.read(buf, sizeof buf), 10);
  EXPECT_EQ(fdin.length(), -1);  // a plain handle has no length
}

}  // namespace
