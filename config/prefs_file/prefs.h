// PrefsC: the preferences of one parsed INI file, and the next file of the
// search's chain. Section and entry names are compared without regard to
// ASCII case, as Windows compares INI names; entries keep the order they
// were read in, and the first of two entries with one name wins. Built on
// the search's thread, then only read (under the search's lock).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class PrefsC {
 public:
  using EntryC = std::pair<std::string, std::string>;

  explicit PrefsC(std::string fileName) : fileName_(std::move(fileName)) {}
  virtual ~PrefsC() = default;
  PrefsC(const PrefsC&) = delete;
  PrefsC& operator=(const PrefsC&) = delete;

  // Refused (false) when the section or the name is empty; the section is
  // created when missing.
  virtual bool addEntry(std::string_view section, std::string_view name, std::string_view value);
  // An entry with an empty name; refused when the section is empty.
  virtual bool addUnnamedEntry(std::string_view section, std::string_view value);
  // Creates the section when missing (a header with no entries yet).
  void addSection(std::string_view section);

  std::optional<std::string> lookup(std::string_view section, std::string_view name) const;
  // The entries of a section, or nothing when the file has no such section.
  const std::vector<EntryC>* section(std::string_view section) const;

  const std::string& fileName() const { return fileName_; }
  PrefsC* next() const { return next_.get(); }
  // Takes `tail` as the next file; the chain is owned from its head.
  void setNext(std::unique_ptr<PrefsC> tail) { next_ = std::move(tail); }
  std::unique_ptr<PrefsC> takeNext() { return std::move(next_); }

 private:
  struct SectionC {
    std::string name;
    std::vector<EntryC> entries;
  };
  SectionC* find(std::string_view section);
  const SectionC* find(std::string_view section) const;
  SectionC& sectionFor(std::string_view section);

  std::string fileName_;
  std::vector<SectionC> sections_;
  std::unique_ptr<PrefsC> next_;
};

// ASCII case-insensitive equality, the one comparison of INI names.
bool iniNamesEqual(std::string_view a, std::string_view b);
