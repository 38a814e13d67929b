// Runs a fuzz target's entry point over files, as the normal test suite
// does with each target's seed corpus and regression inputs: every argument
// is a file or a directory (read recursively; a missing one counts as
// empty). Exit 0 when every input went through and there was at least one:
// a run over nothing (a moved corpus, a wrong path) proves nothing and
// fails. An input that breaks a property aborts, as it would under
// libFuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

bool replay(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return false;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // A copy of exactly the input's size, so that a read past its end is
  // seen by the sanitizers.
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const fs::path path(argv[i]);
    std::error_code error;
    if (fs::is_directory(path, error)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::recursive_directory_iterator(path))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const fs::path& f : files) ok = replay(f) && ok, ++count;
    } else if (fs::exists(path, error)) {
      ok = replay(path) && ok;
      ++count;
    }
  }
  std::printf("replayed %zu inputs\n", count);
  if (count == 0) std::fprintf(stderr, "no input to replay\n");
  return ok && count > 0 ? 0 : 1;
}
