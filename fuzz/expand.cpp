// $(...) expansion of preference values. The input is a small environment
// and a text: a flag byte (bit 0: unknown names give ""), then lines
// "NAME=VALUE" (a name starting with "@" is a list whose elements "|"
// separates), the last line being the text to expand.
//
// Properties: every expansion ends, its reference count stays within the
// budget, and its size within the byte budget plus what the frames still
// open when the budget ran out may copy of their own raw texts (each frame
// appends at most its own text around the references it expands). A text
// without "$(" comes back unchanged, and so does any text against an empty
// environment when unknown names stay written; a stopped expansion keeps
// the reference it stopped at.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/prefs/env_environment.h"
#include "config/prefs/env_expander.h"
#include "config/prefs/env_params.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr size_t kMaxVariables = 32;

std::vector<std::string_view> split(std::string_view s, char c) {
  std::vector<std::string_view> parts;
  size_t from = 0;
  while (true) {
    const size_t at = s.find(c, from);
    parts.push_back(s.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return parts;
    from = at + 1;
  }
}

void checkBounded(const env_ExpanderC& x, size_t size, size_t longestRaw) {
  FUZZ_CHECK(x.references() <= env_ExpanderC::kMaxReferences + 1, "references stop at the budget");
  const size_t ceiling = env_ExpanderC::kMaxBytes + (env_ExpanderC::kDepth + 2) * longestRaw;
  FUZZ_CHECK(size <= ceiling, "an expansion stays within its byte budget");
  if (!x.stopped()) FUZZ_CHECK(x.references() <= env_ExpanderC::kMaxReferences, "an unstopped expansion kept to the budget");
}

// A stopped expansion keeps the reference it stopped at, as written.
void checkStopped(const env_ExpanderC& x, const StringC& out) {
  if (x.stopped()) FUZZ_CHECK(out.utf8().find("$(") != std::string_view::npos, "the rest is kept as written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool unknownAsEmpty = (data[0] & 1u) != 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<std::string_view> lines = split(rest, '\n');

  env_EnvironmentC env;
  std::vector<StringC> names;
  // The byte form the expander reads: the text service may replace invalid
  // UTF-8, so sizes are taken after that conversion.
  size_t longestRaw = 0;
  for (size_t i = 0; i + 1 < lines.size() && names.size() < kMaxVariables; ++i) {
    const size_t eq = lines[i].find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = lines[i].substr(0, eq);
    const std::string_view value = lines[i].substr(eq + 1);
    const bool list = !name.empty() && name[0] == '@';
    if (list) name.remove_prefix(1);
    const StringC n = StringC::fromUtf8(name);
    if (list) {
      auto p = std::make_unique<env_MultiParamC>();
      for (std::string_view element : split(value, '|')) {
        const StringC e = StringC::fromUtf8(element);
        longestRaw = std::max(longestRaw, e.utf8().size());
        p->append(e);
      }
      env.store(n, std::move(p));
    } else {
      const StringC v = StringC::fromUtf8(value);
      longestRaw = std::max(longestRaw, v.utf8().size());
      env.store(n, std::make_unique<env_MonoParamC>(v));
    }
    names.push_back(n);
  }
  const StringC text = StringC::fromUtf8(lines.back());
  longestRaw = std::max(longestRaw, text.utf8().size());

  {
    env_ExpanderC x(env, unknownAsEmpty);
    const StringC out = x.expandText(text);
    checkBounded(x, out.utf8().size(), longestRaw);
    checkStopped(x, out);
    if (text.utf8().find("$(") == std::string_view::npos)
      FUZZ_CHECK(out.utf8() == text.utf8() && x.references() == 0, "a text without references is kept");
  }
  // A few names only: each may cost a whole byte budget.
  for (size_t i = 0; i < names.size() && i < 3; ++i) {
    const StringC& n = names[i];
    env_ExpanderC x(env, unknownAsEmpty);
    const StringC out = x.expandName(n);
    checkBounded(x, out.utf8().size(), longestRaw);
    checkStopped(x, out);
  }
  {
    env_EnvironmentC empty;
    env_ExpanderC x(empty, false);
    const StringC out = x.expandText(text);
    FUZZ_CHECK(out.utf8() == text.utf8(), "unknown names stay written");
  }
  return 0;
}
