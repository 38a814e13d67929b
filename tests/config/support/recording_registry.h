// RecordingRegistryC: the suite's registry context with a recorder and
// fault injection in front of it. Every question the variables ask of the
// service is recorded as one line ("exists HKEY_LOCAL_MACHINE\<key>\<name>",
// "read ...", "type ...", "list ..."; a remote root shows as REMOTE0 or
// REMOTE1), then passed on to the real service unless a fault was set for
// it. Single test thread for the settings; calls may come from any thread.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "runtime/services/common_services.h"
#include "tnwcmn/tnwcmn.h"

namespace config_test {

inline std::string textOf(tnw::TextI* t) { return t ? std::string(t->utf8(), static_cast<size_t>(t->byteLength())) : ""; }

class RecordingRegistryC final : public tnw::RegistryContextI {
 public:
  RecordingRegistryC() : real_(common_services::registryContext()), service_(*this) {}

  // Faults: valueExists on `root` answers `status`; every readText answers
  // `status`; remoteRoot answers 0.
  void failRoot(tnw::RegKey root, tnw::Status status) { rootFaults_[root] = status; }
  void failReads(tnw::Status status) { readFault_ = status; }
  void withoutRemoteRoots() { noRemoteRoots_ = true; }
  // Runs `hook` inside every valueExists, before it answers (a registry that
  // calls back into its caller).
  void onValueExists(std::function<void()> hook) { existsHook_ = std::move(hook); }

  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
  }
  void forget() {
    std::lock_guard<std::mutex> guard(lock_);
    calls_.clear();
  }

  tnw::RegistryServiceI* service() override { return &service_; }
  int32_t interfaceVersion() override { return real_->interfaceVersion(); }
  void reload() override { real_->reload(); }
  tnw::TextI* remoteMachineName() override { return real_->remoteMachineName(); }
  void reserved4() override {}
  void reserved5() override {}
  tnw::RegKey remoteRoot(int32_t index) override {
    if (noRemoteRoots_) return 0;
    const tnw::RegKey root = real_->remoteRoot(index);
    std::lock_guard<std::mutex> guard(lock_);
    if (root) remoteNames_[root] = "REMOTE" + std::to_string(index);
    return root;
  }

 private:
  class ServiceC final : public tnw::RegistryServiceI {
   public:
    explicit ServiceC(RecordingRegistryC& owner) : o_(owner) {}
    tnw::RegistryServiceI& real() { return *o_.real_->service(); }

    tnw::Status valueExists(tnw::RegKey root, tnw::TextI* key, tnw::TextI* name, int32_t a, int32_t b) override {
      o_.record("exists", root, key, name);
      if (o_.existsHook_) o_.existsHook_();
      auto fault = o_.rootFaults_.find(root);
      if (fault != o_.rootFaults_.end()) {
        key->release();
        name->release();
        return fault->second;
      }
      return real().valueExists(root, key, name, a, b);
    }
    tnw::Status valueType(tnw::RegKey root, tnw::TextI* key, tnw::TextI* name, uint32_t* type) override {
      o_.record("type", root, key, name);
      return real().valueType(root, key, name, type);
    }
    tnw::Status readText(tnw::RegKey root, tnw::TextI* key, tnw::TextI* name, tnw::TextI** out) override {
      o_.record("read", root, key, name);
      if (o_.readFault_ != tnw::kOk) {
        key->release();
        name->release();
        *out = nullptr;
        return o_.readFault_;
      }
      return real().readText(root, key, name, out);
    }
    tnw::Status readMultiString(tnw::RegKey root, tnw::TextI* key, tnw::TextI* name, tnw::TextI** items,
                                int32_t capacity, int32_t* count) override {
      o_.record("list", root, key, name);
      return real().readMultiString(root, key, name, items, capacity, count);
    }
    tnw::Status enumValue(tnw::RegKey key, uint32_t index, tnw::TextI** name, uint32_t* type) override {
      return real().enumValue(key, index, name, type);
    }
    tnw::Status openSubKey(tnw::RegKey key, tnw::TextI* sub, tnw::RegKey* out) override {
      return real().openSubKey(key, sub, out);
    }
    tnw::Status reserved6() override { return real().reserved6(); }
    tnw::Status enumSubKey(tnw::RegKey key, uint32_t index, tnw::TextI** name) override {
      return real().enumSubKey(key, index, name);
    }
    tnw::Status closeKey(tnw::RegKey key) override { return real().closeKey(key); }
    tnw::Status reserved9() override { return real().reserved9(); }
    tnw::Status reserved10() override { return real().reserved10(); }
    tnw::Status reserved11() override { return real().reserved11(); }
    tnw::Status reserved12() override { return real().reserved12(); }
    tnw::Status reserved13() override { return real().reserved13(); }
    tnw::Status reserved14() override { return real().reserved14(); }
    tnw::Status reserved15() override { return real().reserved15(); }
    tnw::Status reserved16() override { return real().reserved16(); }
    tnw::Status reserved17() override { return real().reserved17(); }
    tnw::TextI* rootName(tnw::RegKey root) override { return real().rootName(root); }
    tnw::Status reserved19() override { return real().reserved19(); }
    tnw::Status reserved20() override { return real().reserved20(); }
    tnw::Status reserved21() override { return real().reserved21(); }
    tnw::Status openKey(tnw::RegKey root, tnw::TextI* sub, uint32_t access, tnw::RegKey* out) override {
      return real().openKey(root, sub, access, out);
    }

   private:
    RecordingRegistryC& o_;
  };

  void record(const char* what, tnw::RegKey root, tnw::TextI* key, tnw::TextI* name) {
    std::string rootName;
    {
      std::lock_guard<std::mutex> guard(lock_);
      auto remote = remoteNames_.find(root);
      if (remote != remoteNames_.end()) rootName = remote->second;
    }
    if (rootName.empty()) {
      tnw::TextI* t = real_->service()->rootName(root);
      rootName = textOf(t);
      t->release();
    }
    std::lock_guard<std::mutex> guard(lock_);
    calls_.push_back(std::string(what) + " " + rootName + "\\" + textOf(key) + "\\" + textOf(name));
  }

  tnw::RegistryContextI* real_;
  ServiceC service_;
  std::mutex lock_;
  std::vector<std::string> calls_;
  std::map<tnw::RegKey, std::string> remoteNames_;
  std::map<tnw::RegKey, tnw::Status> rootFaults_;
  tnw::Status readFault_ = tnw::kOk;
  std::function<void()> existsHook_;
  bool noRemoteRoots_ = false;
};

}  // namespace config_test
