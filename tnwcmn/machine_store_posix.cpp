#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <sstream>

#include "tnwcmn/code_page.h"
#include "tnwcmn/machine_store.h"
#include "tnwcmn/trace_sink.h"

namespace tnw::reg {

namespace {

// The ANSI code page a machine directory names (Windows-1252 when it names
// none); problems go to `problems`.
uint32_t ansiCodePage(const std::string& machineDir, std::vector<std::string>& problems) {
  const std::string path = machineDir + "/" + kAnsiCodePageFile;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return codepage::kWindows1252;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problems.push_back(path + ":0: cannot be read; " + std::to_string(codepage::kWindows1252) + " is used");
    return codepage::kWindows1252;
  }
  // A number and blanks; a longer file is refused on what it starts with.
  char head[64];
  in.read(head, sizeof head);
  return codepage::parseNamed(std::string_view(head, static_cast<size_t>(in.gcount())), path, problems);
}

}  // namespace

std::shared_ptr<Store> loadMachineStore(const std::string& machineDir, const std::vector<std::string>& files,
                                        std::vector<std::string>& problems) {
  const std::string dir = machineDir + "/registry";
  auto fresh = std::make_shared<Store>();
  const uint32_t codePage = ansiCodePage(machineDir, problems);
  for (const auto& name : files) {
    std::ifstream in(dir + "/" + name, std::ios::binary);
    if (!in) {
      problems.push_back(dir + "/" + name + ":0: cannot be read; skipped");
      continue;
    }
    in.seekg(0, std::ios::end);
    const auto size = static_cast<size_t>(std::max<std::streamoff>(0, in.tellg()));
    in.seekg(0);
    if (size > kMaxFileBytes) {
      problems.push_back(dir + "/" + name + ":0: file of " + std::to_string(size) + " bytes is too large; skipped");
      continue;
    }
    std::string bytes(size, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<size_t>(in.gcount()));
    loadRegFile(bytes, dir + "/" + name, *fresh, problems, codePage);
  }
  return fresh;
}

std::string scanMachineStore(const std::string& machineDir, std::vector<std::string>& files,
                             DirectoryListingC* listing) {
  const std::string dir = machineDir + "/registry";
  std::ostringstream sig;
  struct stat cp {};
  if (stat((machineDir + "/" + kAnsiCodePageFile).c_str(), &cp) == 0)
    sig << kAnsiCodePageFile << '\n' << cp.st_size << ' ' << cp.st_mtim.tv_sec << '.' << cp.st_mtim.tv_nsec << '\n';
  struct stat ds {};
  if (stat(dir.c_str(), &ds) != 0 || !S_ISDIR(ds.st_mode)) {
    if (listing) listing->valid = false;
    return sig.str() + "-";
  }
  // A directory's time of change has the clock's granularity: one that
  // changed within the last two seconds is read every time.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const bool settled = now.tv_sec - ds.st_mtim.tv_sec >= 2;
  if (listing && listing->valid && settled && listing->changedSec == ds.st_mtim.tv_sec &&
      listing->changedNsec == ds.st_mtim.tv_nsec) {
    files.insert(files.end(), listing->files.begin(), listing->files.end());
  } else {
    DIR* d = opendir(dir.c_str());
    if (!d) return sig.str() + "-";
    std::vector<std::string> names;
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 4 && fold(n.substr(n.size() - 4)) == ".reg") names.push_back(n);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    if (listing) {
      listing->valid = true;
      listing->changedSec = ds.st_mtim.tv_sec;
      listing->changedNsec = ds.st_mtim.tv_nsec;
      listing->files = names;
    }
    files.insert(files.end(), names.begin(), names.end());
  }
  for (const auto& n : files) {
    struct stat st {};
    if (stat((dir + "/" + n).c_str(), &st) != 0) continue;
    sig << n << '\n' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << '\n';
  }
  return sig.str();
}


std::shared_ptr<const Store> FileStore::current() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::string> files;
  std::string signature = scanMachineStore(machineDir_, files, &listing_);
  if (!store_ || signature != signature_) {
    std::vector<std::string> problems;
    std::shared_ptr<Store> fresh = loadMachineStore(machineDir_, files, problems);
    for (const auto& p : problems) sink::writeLine("Configuring/Registry/Load", p);
    store_ = std::move(fresh);
    signature_ = signature;
  }
  return store_;
}

}  // namespace tnw::reg
