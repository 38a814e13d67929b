#include "config/prefs/env_expander.h"

StringC env_ExpanderC::expandName(const StringC& n, int32_t depth) {
  std::string out;
  name(n.utf8(), depth, out);
  return StringC::fromUtf8(out);
}

StringC env_ExpanderC::expandValue(const StringC& self, const StringC& raw, int32_t depth) {
  if (depth <= 0) return StringC();
  const std::string key = env_nameKey(self.utf8());
  std::string out;
  scan(&key, raw.utf8(), depth, out);
  return StringC::fromUtf8(out);
}

StringC env_ExpanderC::expandText(const StringC& text, int32_t depth) {
  if (depth <= 0) return StringC();
  std::string out;
  scan(nullptr, text.utf8(), depth, out);
  return StringC::fromUtf8(out);
}

void env_ExpanderC::name(std::string_view n, int32_t depth, std::string& out) {
  QblEnvParamI* p = env_.find(StringC::fromUtf8(n));
  if (!p) {
    if (!unknownAsEmpty_) {
      out += "$(";
      out += n;
      out += ')';
    }
    return;
  }
  if (depth <= 0) return;
  const StringC raw = p->get();  // holds the bytes the scan reads
  const std::string key = env_nameKey(n);
  scan(&key, raw.utf8(), depth, out);
}

void env_ExpanderC::scan(const std::string* selfKey, std::string_view w, int32_t depth, std::string& out) {
  size_t pos = 0;
  while (pos < w.size()) {
    const size_t start = w.find("$(", pos);
    const size_t end = start == std::string_view::npos ? start : w.find(')', start + 2);
    if (end == std::string_view::npos) break;
    out.append(w, pos, start - pos);
    if (stopped_ || ++references_ > kMaxReferences || out.size() > kMaxBytes) {
      stopped_ = true;
      pos = start;
      break;
    }
    const std::string_view r = w.substr(start + 2, end - start - 2);
    if (selfKey && r.size() == selfKey->size() && env_nameKey(r) == *selfKey)
      out.append(w, start, end + 1 - start);
    else
      name(r, depth - 1, out);
    pos = end + 1;
  }
  if (pos < w.size()) out.append(w, pos, std::string_view::npos);
}
