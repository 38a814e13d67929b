// The Linux registry: read-only stores loaded from MACHINE/registry/*.reg
// (and MACHINE/remote/<name>/registry for a remote machine), reloaded when
// a file is added, removed or changed. "REGEDIT4" files are read in the
// ANSI code page that the file kAnsiCodePageFile beside "registry/" names.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>

#include "common/machine_root.h"
#include "tnwcmn/code_page.h"
#include "tnwcmn/os.h"
#include "tnwcmn/reg_store.h"
#include "tnwcmn/registry_backend.h"
#include "tnwcmn/trace_sink.h"
#include "platform/win32_error.h"

namespace tnw::reg {

namespace {

std::string machineRoot() { return common::machineRootFrom(os::env(common::kMachineRootVariable)); }

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

// One machine directory's .reg files and the store made from them.
class FileStore {
 public:
  explicit FileStore(std::string machineDir) : machineDir_(std::move(machineDir)), dir_(machineDir_ + "/registry") {}

  // The current store; reloaded first when the directory changed.
  std::shared_ptr<const Store> current() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> files;
    std::string signature = scan(files);
    if (!store_ || signature != signature_) {
      auto fresh = std::make_shared<Store>();
      std::vector<std::string> problems;
      const uint32_t codePage = ansiCodePage(machineDir_, problems);
      for (const auto& name : files) {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        if (!in) {
          problems.push_back(name + ":0: cannot be read; skipped");
          continue;
        }
        in.seekg(0, std::ios::end);
        const auto size = static_cast<size_t>(std::max<std::streamoff>(0, in.tellg()));
        in.seekg(0);
        if (size > kMaxFileBytes) {
          problems.push_back(name + ":0: file of " + std::to_string(size) + " bytes is too large; skipped");
          continue;
        }
        std::string bytes(size, '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        bytes.resize(static_cast<size_t>(in.gcount()));
        loadRegFile(bytes, dir_ + "/" + name, *fresh, problems, codePage);
      }
      for (const auto& p : problems) sink::writeLine("Configuring/Registry/Load", p);
      store_ = std::move(fresh);
      signature_ = signature;
    }
    return store_;
  }

 private:
  // What the store depends on: the .reg files and the code page file, by
  // name, size and time of change.
  std::string scan(std::vector<std::string>& files) {
    std::ostringstream sig;
    struct stat cp {};
    if (stat((machineDir_ + "/" + kAnsiCodePageFile).c_str(), &cp) == 0)
      sig << kAnsiCodePageFile << '\n' << cp.st_size << ' ' << cp.st_mtim.tv_sec << '.' << cp.st_mtim.tv_nsec << '\n';
    DIR* d = opendir(dir_.c_str());
    if (!d) return sig.str() + "-";
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 4 && fold(n.substr(n.size() - 4)) == ".reg") files.push_back(n);
    }
    closedir(d);
    std::sort(files.begin(), files.end());
    for (const auto& n : files) {
      struct stat st {};
      if (stat((dir_ + "/" + n).c_str(), &st) != 0) continue;
      sig << n << '\n' << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec << '\n';
    }
    return sig.str();
  }

  std::string machineDir_;
  std::string dir_;
  std::mutex lock_;
  std::string signature_;
  std::shared_ptr<const Store> store_;
};

// An open key: which machine, which root, the logical path below the root
// and the view. Paths are resolved against the store at every use, so a
// handle stays valid across reloads.
struct Handle {
  std::string machine;  // "" local
  std::string root;     // canonical root name
  std::vector<std::string> path;
  bool view64 = false;
};

class Registry {
 public:
  std::mutex lock;
  std::map<RegKey, Handle> handles;
  std::map<std::string, std::unique_ptr<FileStore>> stores;
  std::string remote = os::env("TNW_REMOTE_MACHINE");
  RegKey next = 0x1000;

  FileStore& storeFor(const std::string& machine) {
    auto& slot = stores[machine + "\n" + machineRoot()];
    if (!slot) {
      slot = std::make_unique<FileStore>(machine.empty() ? machineRoot() : machineRoot() + "/remote/" + machine);
    }
    return *slot;
  }

  bool resolve(RegKey key, Handle& out) {
    switch (key) {
      case kHKeyClassesRoot: out = {"", "HKEY_CLASSES_ROOT", {}, false}; return true;
      case kHKeyCurrentUser: out = {"", "HKEY_CURRENT_USER", {}, false}; return true;
      case kHKeyLocalMachine: out = {"", "HKEY_LOCAL_MACHINE", {}, false}; return true;
      case kHKeyUsers: out = {"", "HKEY_USERS", {}, false}; return true;
      case kHKeyCurrentConfig: out = {"", "HKEY_CURRENT_CONFIG", {}, false}; return true;
      default: break;
    }
    auto it = handles.find(key);
    if (it == handles.end()) return false;
    out = it->second;
    return true;
  }

  RegKey add(Handle h) {
    RegKey k = next;
    next += 4;
    handles[k] = std::move(h);
    return k;
  }
};

Registry& registry() {
  static Registry* r = new Registry;
  return *r;
}

constexpr Status kInvalidHandle = hresultFromWin32(platform::kErrorInvalidHandle);

// Finds the node of handle + sub in its view.
Status locate(RegKey root, const std::string& sub, std::shared_ptr<const Store>& store, const KeyNode*& node,
              Handle* resolved = nullptr, uint32_t access = 0) {
  Handle h;
  FileStore* fs;
  {
    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.lock);
    if (!r.resolve(root, h)) return kInvalidHandle;
    fs = &r.storeFor(h.machine);
  }
  if (access & kKeyWow64_64) h.view64 = true;
  if (access & kKeyWow64_32) h.view64 = false;
  for (auto& part : splitPath(sub)) h.path.push_back(std::move(part));
  store = fs->current();
  node = store->find(h.root, h.view64 ? h.path : redirect32(h.root, h.path));
  if (resolved) *resolved = h;
  return node ? kOk : kRegNotFound;
}

}  // namespace

Status open(RegKey root, const std::string& sub, uint32_t access, RegKey* out) {
  if (!out) return kInvalidArg;
  *out = 0;
  std::shared_ptr<const Store> store;
  const KeyNode* node = nullptr;
  Handle h;
  Status s = locate(root, sub, store, node, &h, access);
  if (s != kOk) return s;
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  *out = r.add(std::move(h));
  return kOk;
}

Status close(RegKey key) {
  if (key >= kHKeyClassesRoot && key <= kHKeyCurrentConfig) return kOk;
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.handles.erase(key) ? kOk : kInvalidHandle;
}

Status query(RegKey root, const std::string& sub, const std::string& name, uint32_t* type, std::string* data) {
  std::shared_ptr<const Store> store;
  const KeyNode* node = nullptr;
  Status s = locate(root, sub, store, node);
  if (s != kOk) return s;
  const Value* v = node->value(name);
  if (!v) return kRegNotFound;
  if (type) *type = v->type;
  if (data) *data = v->data;
  return kOk;
}

Status enumValue(RegKey key, uint32_t index, std::string* name, uint32_t* type) {
  std::shared_ptr<const Store> store;
  const KeyNode* node = nullptr;
  Status s = locate(key, "", store, node);
  if (s != kOk) return s;
  if (index >= node->values.size()) return kNoMoreItems;
  if (name) *name = node->values[index].name;
  if (type) *type = node->values[index].type;
  return kOk;
}

Status enumSubKey(RegKey key, uint32_t index, std::string* name) {
  std::shared_ptr<const Store> store;
  const KeyNode* node = nullptr;
  Status s = locate(key, "", store, node);
  if (s != kOk) return s;
  if (index >= node->children.size()) return kNoMoreItems;
  auto it = node->children.begin();
  std::advance(it, index);
  if (name) *name = it->second->name;
  return kOk;
}

std::string remoteMachine() {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  return r.remote;
}

RegKey remoteRoot(int index) {
  if (index != 0 && index != 1) return 0;
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  if (r.remote.empty()) return 0;
  const std::string root = index == 0 ? "HKEY_LOCAL_MACHINE" : "HKEY_USERS";
  for (const auto& [k, h] : r.handles)
    if (h.machine == r.remote && h.root == root && h.path.empty()) return k;
  return r.add(Handle{r.remote, root, {}, false});
}

void reloadEnvironment() {
  Registry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.remote = os::env("TNW_REMOTE_MACHINE");
}

}  // namespace tnw::reg
