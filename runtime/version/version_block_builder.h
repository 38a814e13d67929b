// Makes a version resource block (VS_VERSIONINFO) as the resource compiler
// lays it out: the fixed-information block, a "StringFileInfo" with one
// string table, and a "VarFileInfo" with the translation. The build-time
// generator writes the Linux library's block with it, and tests make
// blocks of either layout (and damage them). Standard library only, so that
// the generator builds without the framework.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runtime/version/version_block.h"

namespace version_block {

struct FixedInfoC {
  uint16_t fileVersion[4] = {0, 0, 0, 0};
  uint16_t productVersion[4] = {0, 0, 0, 0};
};

struct BlockDescriptionC {
  FixedInfoC fixed;
  // Eight hexadecimal digits: language and code page ("040904b0").
  std::string tableKey = "040904b0";
  // Key and value, in order; values are ASCII (a UTF-16 block widens each
  // byte).
  std::vector<std::pair<std::string, std::string>> strings;
  LayoutE layout = LayoutE::kWide;
};

std::vector<uint8_t> build(const BlockDescriptionC& description);

}  // namespace version_block
