// The .reg loader of the Linux registry store. Whatever the bytes, loading
// ends and every problem names the file. What regdump exports for the loaded
// store is itself a file the loader takes without a problem, and loading it
// gives back the same store: the export is how stores are compared and
// shipped, so a key or value it cannot carry is a loss nobody would see.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "reg_compare.h"
#include "reg_export.h"
#include "tnwcmn/reg_store.h"

namespace {

const char* const kRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS", "HKEY_CLASSES_ROOT",
                              "HKEY_CURRENT_CONFIG"};

// The export of every root as one file: a single header, then each root's
// keys, as `reg export` would write them one after the other.
std::string dump(const tnw::reg::Store& store) {
  const std::string header = std::string(regdump::kExportHeader) + "\n\n";
  std::string out = header;
  for (const char* root : kRoots) {
    std::string part;
    if (regdump::exportKey(store, root, {}, false, part)) out.append(part, header.size(), std::string::npos);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks the machine's ANSI code page, so that REGEDIT4
  // files are read through a single-byte and a multi-byte table alike.
  uint32_t codePage = tnw::codepage::kWindows1252;
  if (!bytes.empty()) {
    static const uint32_t kPages[] = {1252, 1251, 932, 936};
    codePage = kPages[static_cast<unsigned char>(bytes.front()) % 4];
  }
  tnw::reg::Store store;
  std::vector<std::string> problems;
  tnw::reg::loadRegFile(bytes, "in.reg", store, problems, codePage);
  for (const std::string& p : problems) FUZZ_CHECK(p.rfind("in.reg:", 0) == 0, "a problem names its file");

  const std::string first = dump(store);
  tnw::reg::Store again;
  std::vector<std::string> againProblems;
  tnw::reg::loadRegFile(first, "dump.reg", again, againProblems, codePage);
  FUZZ_CHECK(againProblems.empty(), "the export loads without a problem");
  FUZZ_CHECK(regdump::differences(store, again).empty(), "the export loads back to the same content");
  FUZZ_CHECK(dump(again) == first, "the export of the reloaded store is the same text");
  return 0;
}
