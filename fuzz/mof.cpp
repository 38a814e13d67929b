// The MOF compiler of the Linux WMI repository. Whatever the bytes, the
// compilation ends, reports its problems as "FILE:LINE: what" and leaves a
// repository the WMI back-end can walk: every namespace a pragma names (as
// far as the target can tell from the text) is found, its classes are found
// by their names, a superclass is a class of the same namespace whose
// properties come first, and every instance has one value per property of a
// class of its own namespace.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/mof_compiler.h"

namespace {

namespace mof = platform::mof;

// The quoted texts after "namespace" in the input: candidates for the
// namespaces the compilation declared. Both the text as written and with
// its doubled backslashes undone, as the compiler reads string escapes.
std::vector<std::string> namespaceCandidates(std::string_view text) {
  std::vector<std::string> out{"root", "root\\default"};
  size_t pos = 0;
  while ((pos = text.find("namespace", pos)) != std::string_view::npos && out.size() < 64) {
    pos += 9;
    const size_t open = text.find('"', pos);
    if (open == std::string_view::npos || open > pos + 8) continue;
    const size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) break;
    const std::string raw(text.substr(open + 1, close - open - 1));
    std::string unescaped;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
      unescaped += raw[i];
    }
    out.push_back(raw);
    out.push_back(unescaped);
  }
  return out;
}

void checkNamespace(const mof::NamespaceC& ns) {
  for (const auto& [key, cls] : ns.classes) {
    FUZZ_CHECK(cls != nullptr, "a class entry holds a class");
    FUZZ_CHECK(ns.findClass(cls->name) == cls.get(), "a class is found by its own name");
    for (size_t i = 0; i < cls->properties.size(); ++i) {
      const int32_t found = cls->find(cls->properties[i].name);
      FUZZ_CHECK(found >= 0 && static_cast<size_t>(found) <= i, "a property is found by its name");
    }
    if (!cls->superclass.empty()) {
      const mof::ClassC* base = ns.findClass(cls->superclass);
      FUZZ_CHECK(base != nullptr, "a superclass is a class of the namespace");
      FUZZ_CHECK(base->properties.size() <= cls->properties.size(), "a class holds its superclass's properties");
      for (size_t i = 0; i < base->properties.size(); ++i)
        FUZZ_CHECK(base->properties[i].name == cls->properties[i].name, "inherited properties come first");
    }
  }
  for (const mof::InstanceC& instance : ns.instances) {
    FUZZ_CHECK(instance.cls != nullptr, "an instance has a class");
    FUZZ_CHECK(ns.findClass(instance.cls->name) == instance.cls, "an instance's class is one of its namespace");
    FUZZ_CHECK(instance.values.size() == instance.cls->properties.size(), "one value per property");
    FUZZ_CHECK(instance.line >= 1, "an instance has its line");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  mof::RepositoryC repository;
  repository.compile("in.mof", bytes);
  for (const std::string& p : repository.problems())
    FUZZ_CHECK(p.rfind("in.mof:", 0) == 0, "a problem names its file");
  FUZZ_CHECK(repository.problems().size() <= mof::kMaxProblemsPerFile + 1, "problems stop at the limit");
  FUZZ_CHECK(repository.namespaceExists("root"), "root always exists");
  for (const std::string& name : namespaceCandidates(bytes)) {
    const mof::NamespaceC* ns = repository.findNamespace(name);
    if (!ns) continue;
    FUZZ_CHECK(repository.findNamespace(ns->name) == ns, "a namespace is found by its own name");
    checkNamespace(*ns);
  }
  return 0;
}
