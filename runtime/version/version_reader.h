// VersionC: reads one named value of a module file's version resource. Made
// for one query and destroyed after it; not shared between threads.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/module.h"
#include "runtime/version/version_block.h"

class VersionC {
 public:
  // selector: an index of the selector table (version_block::selectorKey).
  explicit VersionC(int selector) : selector_(selector) {}

  // The resource of a loaded module (its file name, then readPath). False,
  // with no block held, when the module has no file name or no resource.
  bool readModule(platform::ModuleHandle module);
  // The resource of the module file at `path`. False, with no block held,
  // on failure.
  bool readPath(const std::string& path);
  // Holds `block` as if it had been read (tests, and blocks from elsewhere).
  void adoptBlock(std::vector<uint8_t> block) { block_ = std::move(block); }

  // The selector's value in the block held: a place inside that block,
  // valid while this object holds it; nothing when absent or malformed. On
  // the NT family the UTF-16 layout is tried first, then the 8-bit one.
  std::optional<version_block::ValueC> lookup() const;
  // lookup() as 8-bit text.
  std::optional<std::string> text() const;

  int selector() const { return selector_; }
  size_t blockSize() const { return block_.size(); }

 private:
  int selector_;
  std::vector<uint8_t> block_;
};
