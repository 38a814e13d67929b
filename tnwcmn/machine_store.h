// A machine directory's registry on Linux: the store made from
// MACHINE/registry/*.reg (loaded in name order, "REGEDIT4" files in the
// ANSI code page that MACHINE/ansi-code-page names) and kept until a file is
// added, removed or changed. The registry service and the regdump tool read
// machines through it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tnwcmn/reg_store.h"

namespace tnw::reg {

// The names of a registry directory as last read, and the directory's time
// of change then: a directory that has not changed since is not read again
// (only its files are looked at), unless it changed so recently that a
// further change could still carry the same time.
struct DirectoryListingC {
  bool valid = false;
  int64_t changedSec = 0;
  int64_t changedNsec = 0;
  std::vector<std::string> files;
};

// The .reg file names of machineDir/registry in load order (appended to
// `files`), and a signature of everything the store depends on (names,
// sizes and times of change of those files and of the code page file).
// `listing` (may be null) spares re-reading an unchanged directory.
std::string scanMachineStore(const std::string& machineDir, std::vector<std::string>& files,
                             DirectoryListingC* listing = nullptr);

// A store loaded from `files` (as scanMachineStore named them). Every problem
// is appended to `problems` as "<path>:<line>: <what>"; nothing is fatal.
std::shared_ptr<Store> loadMachineStore(const std::string& machineDir, const std::vector<std::string>& files,
                                        std::vector<std::string>& problems);

// The store of one machine directory, reloaded when its signature changes;
// problems of a load go to the trace module "Configuring/Registry/Load".
// Any thread may call current(); the store it returns never changes.
class FileStore {
 public:
  explicit FileStore(std::string machineDir) : machineDir_(std::move(machineDir)) {}
  std::shared_ptr<const Store> current();

 private:
  std::string machineDir_;
  std::mutex lock_;
  std::string signature_;
  DirectoryListingC listing_;
  std::shared_ptr<const Store> store_;
};

}  // namespace tnw::reg
