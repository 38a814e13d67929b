#include "wmi/fake_wmi.h"

#include "runtime/strings/string_c.h"

namespace wmi_test {

namespace {

FakeWmiState* g = nullptr;

BlanketSeen seen(const wmi::ProxyBlanketC& b) {
  BlanketSeen s{b.authnService, b.authzService, b.authnLevel, b.impLevel, b.capabilities, b.identity != nullptr, {}};
  if (b.identity) s.identity = *b.identity;
  return s;
}

class FakeObjectC final : public wmi::ClassObjectI {
 public:
  explicit FakeObjectC(FakeObject object) : object_(std::move(object)) {}
  ~FakeObjectC() override { g->events.push_back("object-released"); }
  uint32_t get(const std::u16string& name, wmi::VariantC& value, int32_t& cimType) override {
    auto it = object_.find(name);
    if (it == object_.end()) return platform::kWbemENotFound;
    if (it->second.getResult) return it->second.getResult;
    value = it->second.value;
    cimType = it->second.cimType;
    return 0;
  }
  uint32_t names(std::vector<std::u16string>& out) override {
    out.clear();
    if (g->namesResult) return g->namesResult;
    for (const auto& [name, property] : object_) out.push_back(name);
    return 0;
  }

 private:
  FakeObject object_;
};

class FakeEnumC final : public wmi::EnumeratorI {
 public:
  ~FakeEnumC() override { g->events.push_back("enum-released"); }
  uint32_t setProxyBlanket(const wmi::ProxyBlanketC& b) override {
    g->blankets.push_back(seen(b));
    g->events.push_back("enum-blanket");
    return g->enumBlanketResult;
  }
  uint32_t next(int32_t timeoutMs, std::unique_ptr<wmi::ClassObjectI>& out) override {
    g->nextTimeouts.push_back(timeoutMs);
    out.reset();
    if (at_ == g->failNextAt) return g->nextFailure;
    if (at_ >= g->objects.size()) return platform::kWbemSFalse;
    out = std::make_unique<FakeObjectC>(g->objects[at_++]);
    return 0;
  }

 private:
  size_t at_ = 0;
};

class FakeServicesC final : public wmi::ServicesI {
 public:
  ~FakeServicesC() override { g->events.push_back("services-released"); }
  uint32_t setProxyBlanket(const wmi::ProxyBlanketC& b) override {
    g->blankets.push_back(seen(b));
    g->events.push_back("services-blanket");
    return g->servicesBlanketResult;
  }
  uint32_t createInstanceEnum(const std::u16string& className, int32_t flags,
                              std::unique_ptr<wmi::EnumeratorI>& out) override {
    g->className = className;
    g->enumFlags = flags;
    if (g->enumResult) return g->enumResult;
    out = std::make_unique<FakeEnumC>();
    return 0;
  }
};

class FakeLocatorC final : public wmi::LocatorI {
 public:
  ~FakeLocatorC() override { g->events.push_back("locator-released"); }
  uint32_t connectServer(const std::u16string& path, const std::u16string* user, const std::u16string* password,
                         std::unique_ptr<wmi::ServicesI>& out, std::vector<std::string>* problems) override {
    g->events.push_back("connect");
    g->path = path;
    g->userGiven = user != nullptr;
    g->passwordGiven = password != nullptr;
    if (user) g->user = *user;
    if (password) g->password = *password;
    if (problems) *problems = g->connectProblems;
    if (g->connectResult) return g->connectResult;
    out = std::make_unique<FakeServicesC>();
    return 0;
  }
};

uint32_t comInitialize(int32_t model) {
  g->events.push_back("com-init " + std::to_string(model));
  return g->comInitializeResult;
}
void comUninitialize() { g->events.push_back("com-uninit"); }
uint32_t initializeSecurity(uint32_t authnLevel, uint32_t impLevel, uint32_t capabilities) {
  g->events.push_back("security " + std::to_string(capabilities));
  g->securityAuthnLevel = authnLevel;
  g->securityImpLevel = impLevel;
  return g->securityResult;
}
uint32_t createLocator(std::unique_ptr<wmi::LocatorI>& out) {
  g->events.push_back("locator");
  if (g->locatorResult) return g->locatorResult;
  out = std::make_unique<FakeLocatorC>();
  return 0;
}

const WmiPlatformC kFake{comInitialize, comUninitialize, initializeSecurity, createLocator};

}  // namespace

const WmiPlatformC& fakeWmi(FakeWmiState& state) {
  g = &state;
  return kFake;
}

wmi::VariantC bstr(const char* utf8) {
  wmi::VariantC v;
  v.type = wmi::kVtBstr;
  v.text = StringC::fromUtf8(utf8).toUtf16();
  return v;
}

wmi::VariantC number(uint16_t type, int64_t value) {
  wmi::VariantC v;
  v.type = type;
  v.integer = value;
  return v;
}

}  // namespace wmi_test
