// The MOF compiler of the Linux WMI repository. Whatever the bytes, the
// compilation ends, reports its problems as "FILE:LINE: what" and leaves a
// repository the WMI back-end can walk: every namespace the repository
// lists is found by its listed name, as is the namespace above it; its
// classes are found by their names, a superclass is a class of the same
// namespace whose properties come first, and every instance has one value
// per property of a class of its own namespace. A namespace the text looks
// up is one of those listed, and an absolute pragma the compilation took
// without a problem is listed, as this file reads its path.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
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

// ASCII case folding, as namespace names compare.
std::string folded(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The namespaces that lines of the plain form
//   #pragma namespace("PATH")
// name absolutely, folded, each with its line. Read here from the path
// grammar the compiler documents: "/" is "\\", a leading "\\\\server" is
// dropped, empty names vanish, and a path whose first name is "root" is
// absolute (any other is relative, or refused when it starts with a
// separator). Only ASCII texts without block
// comments are read (a comment or a UTF-16 reading could hide a line), and
// only paths whose sole escape is "\\\\".
std::vector<std::pair<size_t, std::string>> absolutePragmas(std::string_view text) {
  std::vector<std::pair<size_t, std::string>> out;
  if (text.find("/*") != std::string_view::npos) return out;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return out;
  size_t lineNumber = 0;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t end = std::min(text.find('\n', from), text.size());
    std::string_view line = text.substr(from, end - from);
    from = end + 1;
    ++lineNumber;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
    constexpr std::string_view kOpen = "#pragma namespace(\"";
    constexpr std::string_view kClose = "\")";
    if (line.size() < kOpen.size() + kClose.size() || line.substr(0, kOpen.size()) != kOpen ||
        line.substr(line.size() - kClose.size()) != kClose)
      continue;
    const std::string_view quoted = line.substr(kOpen.size(), line.size() - kOpen.size() - kClose.size());
    std::string path;
    bool plain = true;
    for (size_t i = 0; i < quoted.size() && plain; ++i) {
      if (quoted[i] == '"') plain = false;
      else if (quoted[i] != '\\') path += quoted[i];
      else if (i + 1 < quoted.size() && quoted[i + 1] == '\\') path += quoted[++i];
      else plain = false;
    }
    if (!plain) continue;
    std::replace(path.begin(), path.end(), '/', '\\');
    size_t at = 0;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') at = std::min(path.find('\\', 2), path.size());
    std::vector<std::string> names;
    while (at < path.size()) {
      const size_t next = std::min(path.find('\\', at), path.size());
      if (next > at) names.push_back(folded(path.substr(at, next - at)));
      at = next + 1;
    }
    // A relative path, or an absolute one not below root (refused).
    if (names.empty() || names[0] != "root") continue;
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : "\\") + name;
    out.emplace_back(lineNumber, joined);
  }
  return out;
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

  const std::vector<std::string> listed = repository.namespaces();
  std::set<std::string> listedFolded;
  std::set<const mof::NamespaceC*> held;
  for (const std::string& name : listed) {
    FUZZ_CHECK(listedFolded.insert(folded(name)).second, "a namespace is listed once");
    const mof::NamespaceC* ns = repository.findNamespace(name);
    FUZZ_CHECK(ns != nullptr, "a listed namespace is found by its listed name");
    FUZZ_CHECK(ns->name == name, "a namespace is listed by its own name");
    held.insert(ns);
    checkNamespace(*ns);
  }
  FUZZ_CHECK(listedFolded.count("root") == 1, "root is listed");
  for (const std::string& name : listedFolded) {
    const size_t cut = name.rfind('\\');
    if (cut != std::string::npos)
      FUZZ_CHECK(listedFolded.count(name.substr(0, cut)) == 1, "the namespace above a listed one is listed");
  }
  for (const std::string& name : namespaceCandidates(bytes)) {
    const mof::NamespaceC* ns = repository.findNamespace(name);
    if (ns) FUZZ_CHECK(held.count(ns) == 1, "a namespace found by a path is listed");
  }

  // A problem on a pragma's line or before it may mean it was not taken;
  // those before can leave the compiler inside a declaration.
  size_t firstProblemLine = SIZE_MAX;
  for (const std::string& p : repository.problems()) {
    size_t line = 0;
    for (size_t i = 7; i < p.size() && p[i] >= '0' && p[i] <= '9' && line < SIZE_MAX / 20; ++i)
      line = line * 10 + static_cast<size_t>(p[i] - '0');
    firstProblemLine = std::min(firstProblemLine, line);
  }
  for (const auto& [line, path] : absolutePragmas(bytes)) {
    if (line >= firstProblemLine) break;
    FUZZ_CHECK(listedFolded.count(path) == 1, "an absolute pragma taken without a problem declares its namespace");
  }
  return 0;
}
