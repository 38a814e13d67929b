#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "common/utf8.h"
#include "platform/mof_compiler.h"
#include "platform/path.h"
#include "platform/wmi.h"
#include "platform/library_objects.h"

namespace platform::wmi {

namespace {

using RepositoryPtr = std::shared_ptr<const mof::RepositoryC>;

bool sameFold(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] | 0x20) : a[i];
    const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] | 0x20) : b[i];
    if (x != y) return false;
  }
  return true;
}

std::string utf8Of(const std::u16string& s) { return common::utf8::fromUtf16(s); }

std::u16string utf16Of(std::string_view s) { return common::utf8::toUtf16(s); }

// What the files looked like when the repository was compiled: names,
// sizes and modification times, read without opening a file.
std::string signatureOf(const std::vector<std::string>& files) {
  std::string out;
  for (const auto& f : files) {
    struct stat st {};
    out += f;
    if (stat(f.c_str(), &st) == 0)
      out += '\n' + std::to_string(st.st_size) + ' ' + std::to_string(st.st_mtim.tv_sec) + '.' +
             std::to_string(st.st_mtim.tv_nsec);
    out += '\n';
  }
  return out;
}

struct CacheC {
  std::mutex lock;
  std::string directory;
  std::string signature;
  RepositoryPtr repository;
  // Problems of a compilation that no connect has taken yet (it happened
  // during an enumeration).
  std::vector<std::string> undelivered;
};

CacheC& cache() {
  static CacheC* c = library_objects::keep(new CacheC);
  return *c;
}

RepositoryPtr currentRepository(std::vector<std::string>* problems) {
  const std::string directory = machineRoot() + "/wmi";
  std::string signature = signatureOf(mof::mofFiles(directory));
  CacheC& c = cache();
  std::lock_guard<std::mutex> guard(c.lock);
  if (!c.repository || c.directory != directory || c.signature != signature) {
    auto fresh = std::make_shared<mof::RepositoryC>();
    fresh->compileDirectory(directory);
    c.undelivered = fresh->problems();
    c.repository = std::move(fresh);
    c.directory = directory;
    c.signature = std::move(signature);
  }
  if (problems) {
    problems->insert(problems->end(), c.undelivered.begin(), c.undelivered.end());
    c.undelivered.clear();
  }
  return c.repository;
}

bool isThisHost(const std::string& server) {
  if (server == "." || sameFold(server, "localhost")) return true;
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return false;
  const std::string host = name;
  return sameFold(server, host) || sameFold(server, host.substr(0, host.find('.')));
}

class ObjectC final : public ClassObjectI {
 public:
  ObjectC(RepositoryPtr repository, const mof::InstanceC* instance)
      : repository_(std::move(repository)), instance_(instance) {}

  uint32_t get(const std::u16string& name, VariantC& value, int32_t& cimType) override {
    value = VariantC{};
    cimType = 0;
    const std::string n = utf8Of(name);
    const mof::ClassC& cls = *instance_->cls;
    if (sameFold(n, "__CLASS")) {
      value.type = kVtBstr;
      value.text = utf16Of(cls.name);
      cimType = kCimString;
      return kWbemSNoError;
    }
    const int32_t i = cls.find(n);
    if (i < 0) return kWbemENotFound;
    value = instance_->values[static_cast<size_t>(i)];
    cimType = cls.properties[static_cast<size_t>(i)].cimType;
    return kWbemSNoError;
  }

  uint32_t names(std::vector<std::u16string>& out) override {
    out.clear();
    for (const mof::PropertyC& p : instance_->cls->properties) out.push_back(utf16Of(p.name));
    return kWbemSNoError;
  }

 private:
  RepositoryPtr repository_;
  const mof::InstanceC* instance_;
};

class EnumeratorC final : public EnumeratorI {
 public:
  EnumeratorC(RepositoryPtr repository, std::vector<const mof::InstanceC*> instances)
      : repository_(std::move(repository)), instances_(std::move(instances)) {}

  uint32_t setProxyBlanket(const ProxyBlanketC&) override { return kSOk; }

  uint32_t next(int32_t, std::unique_ptr<ClassObjectI>& out) override {
    out.reset();
    if (next_ >= instances_.size()) return kWbemSFalse;
    out = std::make_unique<ObjectC>(repository_, instances_[next_++]);
    return kWbemSNoError;
  }

 private:
  RepositoryPtr repository_;
  std::vector<const mof::InstanceC*> instances_;
  size_t next_ = 0;
};

// Like a provider, the services answer from the files as they are at each
// enumeration, not as they were at the connect.
class ServicesC final : public ServicesI {
 public:
  explicit ServicesC(std::string nsPath) : nsPath_(std::move(nsPath)) {}

  uint32_t setProxyBlanket(const ProxyBlanketC&) override { return kSOk; }

  uint32_t createInstanceEnum(const std::u16string& className, int32_t flags,
                              std::unique_ptr<EnumeratorI>& out) override {
    out.reset();
    if (flags & ~kWbemFlagShallow) return kWbemEInvalidParameter;
    repository_ = currentRepository(nullptr);
    ns_ = repository_->findNamespace(nsPath_);
    if (!ns_) return kWbemEInvalidNamespace;
    const mof::ClassC* cls = ns_->findClass(utf8Of(className));
    if (!cls) return kWbemEInvalidClass;
    const bool shallow = (flags & kWbemFlagShallow) != 0;
    std::vector<const mof::InstanceC*> chosen;
    std::unordered_map<const mof::ClassC*, bool> known;
    for (const mof::InstanceC& instance : ns_->instances)
      if (shallow ? instance.cls == cls : derives(instance.cls, cls, known)) chosen.push_back(&instance);
    out = std::make_unique<EnumeratorC>(repository_, std::move(chosen));
    return kWbemSNoError;
  }

 private:
  // `known` remembers the answer for every class walked through, so that
  // long chains of subclasses cost one walk. Superclasses are declared
  // before their subclasses, so a chain ends; the bound is a guard all the
  // same.
  bool derives(const mof::ClassC* cls, const mof::ClassC* base,
               std::unordered_map<const mof::ClassC*, bool>& known) const {
    std::vector<const mof::ClassC*> walked;
    bool answer = false;
    for (size_t steps = 0; cls && steps <= ns_->classes.size(); ++steps) {
      if (cls == base) {
        answer = true;
        break;
      }
      if (auto it = known.find(cls); it != known.end()) {
        answer = it->second;
        break;
      }
      walked.push_back(cls);
      cls = cls->superclass.empty() ? nullptr : ns_->findClass(cls->superclass);
    }
    for (const mof::ClassC* c : walked) known[c] = answer;
    return answer;
  }

  std::string nsPath_;
  RepositoryPtr repository_;
  const mof::NamespaceC* ns_ = nullptr;
};

class LocatorC final : public LocatorI {
 public:
  uint32_t connectServer(const std::u16string& path, const std::u16string* user, const std::u16string*,
                         std::unique_ptr<ServicesI>& out, std::vector<std::string>* problems) override {
    out.reset();
    std::string p = utf8Of(path);
    std::replace(p.begin(), p.end(), '/', '\\');
    std::string nsPath = p;
    if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
      const size_t end = p.find('\\', 2);
      const std::string server = p.substr(2, end == std::string::npos ? std::string::npos : end - 2);
      if (server.empty()) return kWbemEInvalidNamespace;
      if (!isThisHost(server)) return kRpcSServerUnavailable;
      nsPath = end == std::string::npos ? std::string() : p.substr(end + 1);
    }
    if (user && !user->empty()) return kWbemELocalCredentials;
    if (!currentRepository(problems)->findNamespace(nsPath)) return kWbemEInvalidNamespace;
    out = std::make_unique<ServicesC>(nsPath);
    return kWbemSNoError;
  }
};

std::atomic<bool> securityInitialized{false};

}  // namespace

uint32_t initializeSecurity(uint32_t, uint32_t, uint32_t) {
  return securityInitialized.exchange(true) ? kRpcETooLate : kSOk;
}

uint32_t createLocator(std::unique_ptr<LocatorI>& out) {
  out = std::make_unique<LocatorC>();
  return kSOk;
}

}  // namespace platform::wmi
