#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/common_services.h"
#include "runtime/stream_text.h"
#include "test_support.h"

namespace {

TEST(StreamsPosix, WhatTheSystemCodePageLacksIsWrittenAsTilde) {
  test_support::TempDirC dir;
  const char* saved = std::getenv("LC_ALL");
  const std::string keep = saved ? saved : "";
  test_support::setEnv("LC_ALL", "C");
  {
    StreamWriterC w(FileStreamC::open(dir.file("s8.txt"), "s8.txt", kCreateAlways, platform::kAccessWrite, 0));
    w.write(StringC::fromUtf8("caf\xC3\xA9 \xE4\xB8\xAD\n"));
  }
  if (saved)
    test_support::setEnv("LC_ALL", keep);
  else
    test_support::unsetEnv("LC_ALL");
  EXPECT_EQ(test_support::readFile(dir.file("s8.txt")), "caf~ ~\r\n");
}

}  // namespace
