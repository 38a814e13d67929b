// The Linux registry: read-only stores loaded from MACHINE/registry/*.reg
// (and MACHINE/remote/<name>/registry for a remote machine), reloaded when
// a file is added, removed or changed. "REGEDIT4" files are read in the
// ANSI code page that the file kAnsiCodePageFile beside "registry/" names.

#include <map>
#include <memory>
#include <mutex>

#include "common/machine_root.h"
#include "common/win32_codes.h"
#include "tnwcmn/os.h"
#include "tnwcmn/machine_store.h"
#include "tnwcmn/reg_store.h"
#include "tnwcmn/registry_backend.h"
#include "tnwcmn/trace_sink.h"

namespace tnw::reg {

namespace {

std::string machineRoot() { return common::machineRootFrom(os::env(common::kMachineRootVariable)); }

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

constexpr Status kInvalidHandle = hresultFromWin32(win32::kErrorInvalidHandle);

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
