#include "config/prefs_file/prefs_file_search.h"

#include "config/prefs_file/ini_file.h"
#include "config/prefs_file/search_path.h"
#include "platform/file_system.h"

namespace {

bool endsWithIni(std::string_view name) {
  return name.size() >= 4 && iniNamesEqual(name.substr(name.size() - 4), PrefsFileSearchC::kSuffix);
}

bool bareName(std::string_view entry) { return entry.find_first_of("\\/:") == std::string_view::npos; }

}  // namespace

PrefsFileSearchC::PrefsFileSearchC(PrefsSearchSetupC setup) : setup_(std::move(setup)) {
  debug_ = setup_.environment->get("KUIPREFSDEBUG");
  if (debug_ && setup_.diagnostics->claimHeader()) {
    print("Preferences Diagnostics\n=======================");
    print("Default dirs (for files in search path): \"%1$s\"", {kDefaultDirectories});
    print("Default files (for dirs in search path): \"%1$s\"", {kDefaultFiles});
    print("File suffix (added if not present): \"%1$s\"", {kSuffix});
    print("See the online help for %% substitution details");
  }
  if (setup_.searchPath && !setup_.searchPath->empty()) {
    print("Using search path: \"%1$s\"", {*setup_.searchPath});
    searchPath(*setup_.searchPath, 0);
  } else {
    print("Using default search path: \"%1$s\"", {kDefaultSearchPath});
    searchPath(kDefaultSearchPath, 0);
  }
  print("End of search.");
  useEnvironment_ = find("Environment", "KUIUSEENVIRONMENTVARS").has_value() ||
                    setup_.environment->get("KUIUSEENVIRONMENTVARS").has_value();
}

PrefsFileSearchC::~PrefsFileSearchC() {
  // Unlinked one file at a time: a long chain does not recurse.
  std::unique_ptr<PrefsC> p = std::move(head_);
  while (p) p = p->takeNext();
}

void PrefsFileSearchC::print(std::string_view format, const std::vector<std::string>& args) const {
  if (debug_) setup_.diagnostics->print(format, args);
}

bool PrefsFileSearchC::debugNames(std::string_view name) const { return debug_ && iniNamesEqual(*debug_, name); }

std::vector<std::string> PrefsFileSearchC::expand(std::string_view path) const {
  SearchPathContextC context{setup_.app, *setup_.environment,
                             [this](std::string_view section, std::string_view name) { return find(section, name); },
                             nullptr, debug_ ? setup_.diagnostics : nullptr};
  return expandSearchPath(path, setup_.name, context);
}

bool PrefsFileSearchC::searchPath(const std::string& path, int depth) {
  for (const std::string& entry : expand(path)) {
    std::vector<std::string> candidates;
    if (bareName(entry)) {
      for (const std::string& dir : expand(kDefaultDirectories)) candidates.push_back(dir + "\\" + entry);
    } else if (ini_file::isDirectory(entry)) {
      for (const std::string& file : expand(kDefaultFiles)) candidates.push_back(entry + "\\" + file);
    } else {
      candidates.push_back(entry);
    }
    for (const std::string& candidate : candidates) {
      if (stopped_)
        print("File \"%1$s\" ignored (search already stopped)", {candidate});
      else
        loadCandidate(candidate, depth);
    }
  }
  return stopped_;
}

void PrefsFileSearchC::loadCandidate(const std::string& candidate, int depth) {
  const std::string file = endsWithIni(candidate) ? candidate : candidate + kSuffix;
  if (!ini_file::exists(file)) {
    print("File \"%1$s\" not found, continuing search", {file});
    return;
  }
  if (inChain(file)) {
    print("File \"%1$s\" already read, continuing search", {file});
    return;
  }
  auto prefs = std::make_unique<PrefsC>(file);
  size_t dropped = 0;
  if (ini_file::load(file, *prefs, &dropped) != ini_file::LoadE::kLoaded) {
    print("Unknown error occured while opening \"%1$s\"", {file});
    stopped_ = true;
    return;
  }
  if (dropped)
    print("File \"%1$s\": %2$s lines ignored (binary or too long)", {file, std::to_string(dropped)});
  const std::optional<std::string> next = prefs->lookup("Environment", "KUIPREFSPATH");
  {
    SpinLockGuardC hold(lock_);
    PrefsC* added = prefs.get();
    if (tail_)
      tail_->setNext(std::move(prefs));
    else
      head_ = std::move(prefs);
    tail_ = added;
    lastFound_ = file;
  }
  if (!next) {
    print("File \"%1$s\" found, continuing search", {file});
    return;
  }
  print("Search stopped in \"%1$s\"", {file});
  if (next->empty()) {
    stopped_ = true;
  } else if (depth >= kMaxNesting) {
    print("Search path of \"%1$s\" not followed (nested deeper than %2$s)", {file, std::to_string(kMaxNesting)});
    stopped_ = true;
  } else {
    stopped_ = searchPath(*next, depth + 1);
  }
}

bool PrefsFileSearchC::inChain(const std::string& file) const {
  const std::string native = platform::nativeFileName(file, false);
  SpinLockGuardC hold(lock_);
  for (const PrefsC* p = head_.get(); p; p = p->next()) {
    bool known = false;
    if (platform::sameFile(native, platform::nativeFileName(p->fileName(), false), &known) ||
        (!known && iniNamesEqual(p->fileName(), file)))
      return true;
  }
  return false;
}

std::optional<std::pair<std::string, std::string>> PrefsFileSearchC::findWithSource(std::string_view section,
                                                                                    std::string_view name) const {
  {
    SpinLockGuardC hold(lock_);
    for (const PrefsC* p = head_.get(); p; p = p->next())
      if (auto v = p->lookup(section, name)) return std::make_pair(*v, p->fileName());
  }
  if (useEnvironment_ && iniNamesEqual(section, "Environment"))
    if (auto v = setup_.environment->get(name)) return std::make_pair(*v, std::string("Environment"));
  return std::nullopt;
}

std::optional<std::string> PrefsFileSearchC::find(std::string_view section, std::string_view name) const {
  const auto found = findWithSource(section, name);
  if (debugNames(name)) {
    if (found)
      print("Value \"%1$s\" for variable \"%2$s\" found in \"%3$s\"", {found->first, std::string(name), found->second});
    else
      print("No value found for preference variable \"%1$s\"", {std::string(name)});
  }
  if (!found) return std::nullopt;
  return found->first;
}

std::string PrefsFileSearchC::lookup(std::string_view section, std::string_view name,
                                     std::string_view fallback) const {
  auto v = find(section, name);
  return v ? std::move(*v) : std::string(fallback);
}

const char* PrefsFileSearchC::lookupVariable(std::string_view name) const {
  thread_local std::string buffer;
  auto v = find("Environment", name);
  if (!v) return nullptr;
  buffer = std::move(*v);
  return buffer.c_str();
}

std::optional<std::vector<PrefsC::EntryC>> PrefsFileSearchC::lookupSection(std::string_view section) const {
  std::optional<std::vector<PrefsC::EntryC>> found;
  {
    SpinLockGuardC hold(lock_);
    for (const PrefsC* p = head_.get(); p && !found; p = p->next())
      if (const auto* entries = p->section(section)) found = *entries;
  }
  if (debugNames(section)) {
    if (!found) {
      print("No value found for preference section \"%1$s\"", {std::string(section)});
    } else {
      for (const auto& [name, value] : *found) print("%1$s%2$s = %3$s", {"[" + std::string(section) + "] ", name, value});
    }
  }
  return found;
}

std::vector<std::string> PrefsFileSearchC::files() const {
  std::vector<std::string> out;
  SpinLockGuardC hold(lock_);
  for (const PrefsC* p = head_.get(); p; p = p->next()) out.push_back(p->fileName());
  return out;
}

std::string PrefsFileSearchC::lastFileFound() const {
  SpinLockGuardC hold(lock_);
  return lastFound_;
}
