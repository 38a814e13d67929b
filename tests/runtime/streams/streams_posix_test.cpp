#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/services/common_services.h"
#include "runtime/streams/stream_text.h"
#include "test_support.h"

namespace {

TEST(StreamsPosix, WhatTheSystemCodePageLacksIsWrittenAsTilde) {
  test_support::TempDirC dir;
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  test_support::setEnv("LC_ALL", "C");
  {
    StreamWriterC w(FileStreamC::open(dir.file("s8.txt"), "s8.txt", FileOpenModeC::kCreateAlways, platform::kAccessWrite, 0));
    w.write(StringC::fromUtf8("caf\xC3\xA9 \xE4\xB8\xAD\n"));
  }
  if (saved)
    test_support::setEnv("LC_ALL", keep);
  else
    test_support::unsetEnv("LC_ALL");
  EXPECT_EQ(test_support::readFile(dir.file("s8.txt")), "caf~ ~\r\n");
}

}  // namespace

#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace {

TEST(StreamsPosix, TwoProcessesAppendingNeverOverwriteEachOther) {
  common_services::overrideErrorService(nullptr, true);
  test_support::TempDirC dir;
  const std::string path = dir.file("shared.log");
  auto append = [&](char tag) {
    FileStreamC* s = FileStreamC::open(path, "shared.log", FileOpenModeC::kAppend, platform::kAccessWrite,
                                       platform::kShareRead | platform::kShareWrite);
    if (!s) return false;
    const std::string line = std::string(60, tag) + "\n";
    bool ok = true;
    for (int i = 0; i < 400; ++i) ok = ok && s->write(line.data(), static_cast<uint32_t>(line.size())) == 0;
    delete s;
    return ok;
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(append('C') ? 0 : 1);
  EXPECT_TRUE(append('P'));
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::istringstream in(test_support::readFile(path));
  std::string line;
  int c = 0, p = 0;
  while (std::getline(in, line)) {
    ASSERT_TRUE(line == std::string(60, 'C') || line == std::string(60, 'P')) << line;
    (line[0] == 'C' ? c : p)++;
  }
  EXPECT_EQ(c, 400);
  EXPECT_EQ(p, 400);
  common_services::restoreErrorService();
}

}  // namespace

namespace {

TEST(StreamsPosix, TheSystemDecoderKeepsACutCharacterOnAUtf8System) {
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  test_support::setEnv("LC_ALL", "C.UTF-8");
  auto decoder = systemTextEncoding().createDecoder();
  EXPECT_EQ(decoder->decode("caf\xC3", 4), "caf");
  EXPECT_EQ(decoder->decode("\xA9!", 2), "\xC3\xA9!");
  EXPECT_EQ(decoder->decode("\xE2\x82", 2), "");
  EXPECT_EQ(decoder->finish(), "\xEF\xBF\xBD");  // the stream ended inside a character
  if (saved)
    test_support::setEnv("LC_ALL", keep);
  else
    test_support::unsetEnv("LC_ALL");
}

}  // namespace
