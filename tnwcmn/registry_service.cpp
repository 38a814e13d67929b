#include <mutex>
#include <string>
#include <vector>

#include "tnwcmn/registry_backend.h"
#include "tnwcmn/registry_value.h"
#include "tnwcmn/services.h"
#include "tnwcmn/text_object.h"

namespace tnw {

namespace {

// Takes over a text handed to the service and gives its UTF-8.
std::string take(TextI* t) {
  std::string s(view(t));
  consume(t);
  return s;
}

class RegistryService final : public RegistryServiceI {
 public:
  Status valueExists(RegKey root, TextI* keyPath, TextI* valueName, int32_t, int32_t) override {
    const std::string path = take(keyPath), name = take(valueName);
    uint32_t type = 0;
    return reg::query(root, path, name, &type, nullptr);
  }

  Status valueType(RegKey root, TextI* keyPath, TextI* valueName, uint32_t* type) override {
    const std::string path = take(keyPath), name = take(valueName);
    uint32_t t = 0;
    Status s = reg::query(root, path, name, &t, nullptr);
    if (type) *type = s == kOk ? t : 0;
    return s;
  }

  Status readText(RegKey root, TextI* keyPath, TextI* valueName, TextI** out) override {
    const std::string path = take(keyPath), name = take(valueName);
    if (!out) return kInvalidArg;
    *out = nullptr;
    uint32_t type = 0;
    std::string data;
    Status s = reg::query(root, path, name, &type, &data);
    std::string text;
    if (s == kOk) s = reg::valueToText(type, data, text);
    if (s == kOk) *out = makeText(text);
    return s;
  }

  Status readMultiString(RegKey root, TextI* keyPath, TextI* valueName, TextI** items, int32_t capacity,
                         int32_t* count) override {
    const std::string path = take(keyPath), name = take(valueName);
    if (count) *count = 0;
    uint32_t type = 0;
    std::string data;
    Status s = reg::query(root, path, name, &type, &data);
    std::vector<std::string> list;
    if (s == kOk) s = reg::valueToList(type, data, list);
    if (s != kOk) return s;
    if (count) *count = static_cast<int32_t>(list.size());
    if (!items || capacity < static_cast<int32_t>(list.size())) return list.empty() ? kOk : kMoreData;
    for (size_t i = 0; i < list.size(); ++i) items[i] = makeText(list[i]);
    return kOk;
  }

  Status enumValue(RegKey key, uint32_t index, TextI** name, uint32_t* type) override {
    std::string n;
    uint32_t t = 0;
    Status s = reg::enumValue(key, index, &n, &t);
    if (name) *name = s == kOk ? makeText(n) : nullptr;
    if (type) *type = s == kOk ? t : 0;
    return s;
  }

  Status openSubKey(RegKey key, TextI* subPath, RegKey* out) override {
    return reg::open(key, take(subPath), 0, out);
  }

  Status reserved6() override { return kNotImplemented; }

  Status enumSubKey(RegKey key, uint32_t index, TextI** name) override {
    std::string n;
    Status s = reg::enumSubKey(key, index, &n);
    if (name) *name = s == kOk ? makeText(n) : nullptr;
    return s;
  }

  Status closeKey(RegKey key) override { return reg::close(key); }

  Status reserved9() override { return kNotImplemented; }
  Status reserved10() override { return kNotImplemented; }
  Status reserved11() override { return kNotImplemented; }
  Status reserved12() override { return kNotImplemented; }
  Status reserved13() override { return kNotImplemented; }
  Status reserved14() override { return kNotImplemented; }
  Status reserved15() override { return kNotImplemented; }
  Status reserved16() override { return kNotImplemented; }
  Status reserved17() override { return kNotImplemented; }

  TextI* rootName(RegKey root) override {
    switch (root) {
      case kHKeyClassesRoot: return makeText("HKEY_CLASSES_ROOT");
      case kHKeyCurrentUser: return makeText("HKEY_CURRENT_USER");
      case kHKeyLocalMachine: return makeText("HKEY_LOCAL_MACHINE");
      case kHKeyUsers: return makeText("HKEY_USERS");
      case kHKeyCurrentConfig: return makeText("HKEY_CURRENT_CONFIG");
      default: return makeText("");
    }
  }

  Status reserved19() override { return kNotImplemented; }
  Status reserved20() override { return kNotImplemented; }
  Status reserved21() override { return kNotImplemented; }

  Status openKey(RegKey root, TextI* subPath, uint32_t access, RegKey* out) override {
    return reg::open(root, take(subPath), access, out);
  }
};

class RegistryContext final : public RegistryContextI {
 public:
  RegistryServiceI* service() override { return &service_; }
  int32_t interfaceVersion() override { return 1; }
  void reload() override { reg::reloadEnvironment(); }
  TextI* remoteMachineName() override { return makeText(reg::remoteMachine()); }
  void reserved4() override {}
  void reserved5() override {}
  RegKey remoteRoot(int32_t index) override { return reg::remoteRoot(index); }

 private:
  RegistryService service_;
};

}  // namespace

RegistryContextI& registryContext() {
  static RegistryContext* context = new RegistryContext;
  return *context;
}

}  // namespace tnw
