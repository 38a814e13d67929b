#include "runtime/version/version_reader.h"

#include "platform/win32_error.h"

bool VersionC::readModule(platform::ModuleHandle module) {
  block_.clear();
  const std::string path = platform::moduleFileName(module);
  return !path.empty() && readPath(path);
}

bool VersionC::readPath(const std::string& path) {
  return platform::readVersionResource(path, block_) == platform::kErrorSuccess && !block_.empty();
}

std::optional<version_block::ValueC> VersionC::lookup() const {
  static const bool ntFamily = platform::osVersion().platformId == 2;
  if (ntFamily) return version_block::find(block_.data(), block_.size(), selector_);
  return version_block::find(block_.data(), block_.size(), selector_, version_block::LayoutE::kNarrow);
}

std::optional<std::string> VersionC::text() const {
  const auto v = lookup();
  if (!v) return std::nullopt;
  return version_block::narrow(*v);
}
