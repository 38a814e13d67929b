// mkcat: compiles a message catalog source into a catalog file, or dumps a
// catalog file back into source form.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "catalog_source.h"

namespace {

bool readAll(const char* path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  out = s.str();
  return true;
}

int usage() {
  std::fputs("usage: mkcat SOURCE CATALOG     compile a source into a catalog\n"
             "       mkcat --dump CATALOG     print a catalog as source\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return usage();
  const std::string first = argv[1];
  std::string input;
  if (first == "--dump") {
    if (!readAll(argv[2], input)) {
      std::fprintf(stderr, "mkcat: cannot read %s\n", argv[2]);
      return 1;
    }
    std::string source, error;
    if (!mkcat::dump(input, source, error)) {
      std::fprintf(stderr, "mkcat: %s: %s\n", argv[2], error.c_str());
      return 1;
    }
    std::fwrite(source.data(), 1, source.size(), stdout);
    return 0;
  }
  if (!readAll(argv[1], input)) {
    std::fprintf(stderr, "mkcat: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<std::string> errors;
  auto messages = mkcat::parseSource(input, errors);
  const std::string catalog = mkcat::compile(std::move(messages), errors);
  if (!errors.empty()) {
    for (const auto& e : errors) std::fprintf(stderr, "mkcat: %s: %s\n", argv[1], e.c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(catalog.data(), static_cast<std::streamsize>(catalog.size()));
  if (!out) {
    std::fprintf(stderr, "mkcat: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
