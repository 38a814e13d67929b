#include "test_support.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace test_support {

TempDirC::TempDirC() {
  static std::atomic<int> counter{0};
  std::random_device rd;
  fs::path base = fs::temp_directory_path();
  for (;;) {
    fs::path p = base / ("vdi-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = p.generic_string();
      return;
    }
  }
}

namespace {
// Removes what can be removed and leaves the rest. (fs::remove_all can
// keep trying for ever on Windows when a file in the tree is still open.)
void removeTree(const fs::path& p, int depth) {
  std::error_code ec;
  if (depth < 16 && fs::is_directory(fs::symlink_status(p, ec))) {
    std::vector<fs::path> children;
    for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec)) children.push_back(it->path());
    for (const auto& c : children) removeTree(c, depth + 1);
  }
  fs::remove(p, ec);
}
}  // namespace

TempDirC::~TempDirC() { removeTree(path_, 0); }

std::string TempDirC::file(const std::string& name) const {
  fs::path p = fs::path(path_) / name;
  std::error_code ec;
  fs::create_directories(p.parent_path(), ec);
  return p.generic_string();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace test_support
