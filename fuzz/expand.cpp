// $(...) expansion of preference values. The input is a small environment
// and a text: a flag byte, then lines "NAME=VALUE" (a name starting with
// "@" is a list whose elements "|" separates), the last line being the text
// to expand. Flag bit 0: unknown names give ""; bits 1-4: the depth of the
// expansions, kDepth less (those bits modulo kDepth), so never 0, where a
// text's expansion is left open; bits 5-7: how many times every list's
// cursor moves on before the reads, so any element can be the one read.
//
// Properties: every expansion ends, its reference count stays within the
// budget, and its size within the byte budget plus what the frames still
// open when the budget ran out may copy of their own raw texts (each frame
// appends at most its own text around the references it expands). A text
// without "$(" comes back unchanged, and so does any text against an empty
// environment when unknown names stay written; a stopped expansion keeps
// the reference it stopped at. For ASCII inputs whose expansion is small,
// the text, the first variables and the first list elements expand exactly
// as a reference expander written here from the expander's contract gives
// them, with as many references read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
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

// The expander's contract, read naively: a reference is "$(" up to the
// first ")" after it; it expands one level deeper; the variable being
// expanded stays written; an unknown name gives "" or stays written; a
// known one at depth 0 gives ""; the scan goes on after the reference, so
// inserted text is never scanned again. Names fold ASCII case. Gives up
// (complete() false) past small budgets, well below the product's, so that
// a completed reference expansion never reaches the product's limits.
class ReferenceExpanderC {
 public:
  static constexpr size_t kMaxReferences = 2000;
  static constexpr size_t kMaxBytes = 64u << 10;

  ReferenceExpanderC(const std::map<std::string, std::string>& values, bool unknownAsEmpty)
      : values_(values), unknownAsEmpty_(unknownAsEmpty) {}

  std::string text(std::string_view raw, int32_t depth) { return depth > 0 ? expand(raw, nullptr, depth) : ""; }
  std::string value(std::string_view self, std::string_view raw, int32_t depth) {
    const std::string key = fold(self);
    return depth > 0 ? expand(raw, &key, depth) : "";
  }
  std::string name(std::string_view n, int32_t depth) {
    const auto it = values_.find(fold(n));
    if (it == values_.end()) return unknownAsEmpty_ ? "" : "$(" + std::string(n) + ")";
    if (depth <= 0) return "";
    return expand(it->second, &it->first, depth);
  }

  bool complete() const { return !gaveUp_; }
  size_t references() const { return references_; }

  static std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return out;
  }

 private:
  // `raw` with its references replaced; `self` is the folded name of the
  // variable `raw` belongs to, if any.
  std::string expand(std::string_view raw, const std::string* self, int32_t depth) {
    std::string result;
    std::string_view rest = raw;
    while (!gaveUp_) {
      const size_t open = rest.find("$(");
      const size_t close = open == std::string_view::npos ? open : rest.find(')', open + 2);
      if (close == std::string_view::npos) {
        result += rest;
        break;
      }
      result += rest.substr(0, open);
      const std::string_view ref = rest.substr(open + 2, close - open - 2);
      if (++references_ > kMaxReferences) gaveUp_ = true;
      if (self && fold(ref) == *self)
        result += rest.substr(open, close + 1 - open);
      else
        result += name(ref, depth - 1);
      rest = rest.substr(close + 1);
      if (result.size() > kMaxBytes) gaveUp_ = true;
    }
    return result;
  }

  const std::map<std::string, std::string>& values_;
  bool unknownAsEmpty_;
  bool gaveUp_ = false;
  size_t references_ = 0;
};

// Texts the reference expander may be compared on: ASCII without NUL, so
// that neither the text service's conversion nor its case folding of other
// characters is at play.
bool plainAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c != 0 && (static_cast<unsigned char>(c) & 0x80) == 0; });
}

void checkAgainstReference(const env_ExpanderC& x, const StringC& out, ReferenceExpanderC& reference,
                           const std::string& expected) {
  if (!reference.complete()) return;
  FUZZ_CHECK(!x.stopped(), "an expansion well within the budget does not stop");
  FUZZ_CHECK(out.utf8() == expected, "the expansion is the reference expander's");
  FUZZ_CHECK(x.references() == reference.references(), "every reference read is counted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool unknownAsEmpty = (data[0] & 1u) != 0;
  const int32_t depth = env_ExpanderC::kDepth - static_cast<int32_t>((data[0] >> 1) & 0xFu) % env_ExpanderC::kDepth;
  const unsigned cursorSteps = data[0] >> 5;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::vector<std::string_view> lines = split(rest, '\n');

  env_EnvironmentC env;
  std::vector<StringC> names;
  // The lists' names and elements, for reading each element as a value.
  std::vector<std::pair<StringC, std::vector<StringC>>> lists;
  // What each variable reads as, by folded name, for the reference expander.
  std::map<std::string, std::string> values;
  bool ascii = true;
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
    ascii = ascii && plainAscii(n.utf8());
    std::string& read = values[ReferenceExpanderC::fold(n.utf8())];
    if (list) {
      auto p = std::make_unique<env_MultiParamC>();
      std::vector<StringC> elements;
      for (std::string_view element : split(value, '|')) {
        const StringC e = StringC::fromUtf8(element);
        longestRaw = std::max(longestRaw, e.utf8().size());
        ascii = ascii && plainAscii(e.utf8());
        p->append(e);
        elements.push_back(e);
      }
      for (unsigned step = 0; step < cursorSteps; ++step) p->next();
      // The cursor stops past the last element, where a list reads "".
      read = cursorSteps < elements.size() ? std::string(elements[cursorSteps].utf8()) : std::string();
      env.store(n, std::move(p));
      lists.emplace_back(n, std::move(elements));
    } else {
      const StringC v = StringC::fromUtf8(value);
      longestRaw = std::max(longestRaw, v.utf8().size());
      ascii = ascii && plainAscii(v.utf8());
      read = std::string(v.utf8());
      env.store(n, std::make_unique<env_MonoParamC>(v));
    }
    names.push_back(n);
  }
  const StringC text = StringC::fromUtf8(lines.back());
  longestRaw = std::max(longestRaw, text.utf8().size());
  ascii = ascii && plainAscii(text.utf8());

  {
    env_ExpanderC x(env, unknownAsEmpty);
    const StringC out = x.expandText(text, depth);
    checkBounded(x, out.utf8().size(), longestRaw);
    checkStopped(x, out);
    if (text.utf8().find("$(") == std::string_view::npos)
      FUZZ_CHECK(out.utf8() == text.utf8() && x.references() == 0, "a text without references is kept");
    if (ascii) {
      ReferenceExpanderC reference(values, unknownAsEmpty);
      const std::string expected = reference.text(text.utf8(), depth);
      checkAgainstReference(x, out, reference, expected);
    }
  }
  // A few names and list elements only: each may cost a whole byte budget.
  for (size_t i = 0; i < names.size() && i < 3; ++i) {
    const StringC& n = names[i];
    env_ExpanderC x(env, unknownAsEmpty);
    const StringC out = x.expandName(n, depth);
    checkBounded(x, out.utf8().size(), longestRaw);
    checkStopped(x, out);
    if (ascii) {
      ReferenceExpanderC reference(values, unknownAsEmpty);
      const std::string expected = reference.name(n.utf8(), depth);
      checkAgainstReference(x, out, reference, expected);
    }
  }
  size_t elementsRead = 0;
  for (const auto& [listName, elements] : lists) {
    for (const StringC& element : elements) {
      if (++elementsRead > 3) break;
      env_ExpanderC x(env, unknownAsEmpty);
      const StringC out = x.expandValue(listName, element, depth);
      checkBounded(x, out.utf8().size(), longestRaw);
      checkStopped(x, out);
      if (ascii) {
        ReferenceExpanderC reference(values, unknownAsEmpty);
        const std::string expected = reference.value(listName.utf8(), element.utf8(), depth);
        checkAgainstReference(x, out, reference, expected);
      }
    }
  }
  {
    env_EnvironmentC empty;
    env_ExpanderC x(empty, false);
    const StringC out = x.expandText(text);
    FUZZ_CHECK(out.utf8() == text.utf8(), "unknown names stay written");
  }
  return 0;
}
