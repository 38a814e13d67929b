#include "config/prefs_file/prefs.h"

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; }

}  // namespace

bool iniNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

PrefsC::SectionC* PrefsC::find(std::string_view section) {
  for (SectionC& s : sections_)
    if (iniNamesEqual(s.name, section)) return &s;
  return nullptr;
}

const PrefsC::SectionC* PrefsC::find(std::string_view section) const {
  for (const SectionC& s : sections_)
    if (iniNamesEqual(s.name, section)) return &s;
  return nullptr;
}

PrefsC::SectionC& PrefsC::sectionFor(std::string_view section) {
  if (SectionC* s = find(section)) return *s;
  sections_.push_back({std::string(section), {}});
  return sections_.back();
}

bool PrefsC::addEntry(std::string_view section, std::string_view name, std::string_view value) {
  if (section.empty() || name.empty()) return false;
  sectionFor(section).entries.emplace_back(std::string(name), std::string(value));
  return true;
}

bool PrefsC::addUnnamedEntry(std::string_view section, std::string_view value) {
  if (section.empty()) return false;
  sectionFor(section).entries.emplace_back(std::string(), std::string(value));
  return true;
}

void PrefsC::addSection(std::string_view section) {
  if (!section.empty()) sectionFor(section);
}

std::optional<std::string> PrefsC::lookup(std::string_view section, std::string_view name) const {
  const SectionC* s = find(section);
  if (!s || name.empty()) return std::nullopt;
  for (const EntryC& e : s->entries)
    if (iniNamesEqual(e.first, name)) return e.second;
  return std::nullopt;
}

const std::vector<PrefsC::EntryC>* PrefsC::section(std::string_view section) const {
  const SectionC* s = find(section);
  return s ? &s->entries : nullptr;
}
