#include "test_support.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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

TempDirC::~TempDirC() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

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
