#include <cctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tnwcmn/os.h"
#include "tnwcmn/services.h"
#include "tnwcmn/text_format.h"
#include "tnwcmn/text_object.h"
#include "tnwcmn/trace_sink.h"

namespace tnw {

namespace {

// '*' matches any run of characters, '/' included; letters match without
// regard to case.
bool globMatch(const char* pat, const char* s) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*s) {
    if (*pat == '*') {
      star = pat++;
      resume = s;
    } else if (*pat && std::tolower(static_cast<unsigned char>(*pat)) == std::tolower(static_cast<unsigned char>(*s))) {
      ++pat;
      ++s;
    } else if (star) {
      pat = star + 1;
      s = ++resume;
    } else {
      return false;
    }
  }
  while (*pat == '*') ++pat;
  return *pat == '\0';
}

class LogService final : public LogServiceI {
 public:
  LogService() { readPatterns(); }

  int32_t interfaceVersion() override { return 2; }

  void reload() override {
    std::lock_guard<std::mutex> guard(lock_);
    readPatterns();
    for (auto& [name, word] : words_) __atomic_store_n(word.get(), enabledLocked(name), __ATOMIC_RELAXED);
    sink::reopen();
  }

  int32_t isEnabled(const char* module) override { return __atomic_load_n(resolve(module, nullptr), __ATOMIC_RELAXED); }

  void writeLine(const char* module, TextI* text) override {
    sink::writeLine(module ? module : "", view(text));
    consume(text);
  }

  int32_t* resolve(const char* module, ModuleDescriptor* descriptor) override {
    if (!module && descriptor) module = descriptor->name;
    std::lock_guard<std::mutex> guard(lock_);
    std::string name = module ? module : "";
    auto it = words_.find(name);
    if (it == words_.end()) it = words_.emplace(name, std::make_unique<int32_t>(enabledLocked(name))).first;
    if (descriptor) descriptor->handle = it->second.get();
    return it->second.get();
  }

  void trace(const char* module, ModuleDescriptor* descriptor, TextI* format, const ArgList* args) override {
    if (!module && descriptor) module = descriptor->name;
    int32_t* word = descriptor && descriptor->handle ? descriptor->handle : resolve(module, descriptor);
    if (__atomic_load_n(word, __ATOMIC_RELAXED)) sink::writeLine(module ? module : "", formatPositional(view(format), args));
    consume(format);
  }

 private:
  void readPatterns() {
    patterns_.clear();
    const std::string spec = os::env("TNW_TRACE");
    std::string cur;
    for (char c : spec + ",") {
      if (c == ',' || c == ';' || c == ' ' || c == '\t') {
        if (!cur.empty()) patterns_.push_back(cur);
        cur.clear();
      } else {
        cur.push_back(c);
      }
    }
  }

  int32_t enabledLocked(const std::string& name) const {
    for (const auto& p : patterns_)
      if (globMatch(p.c_str(), name.c_str())) return 1;
    return 0;
  }

  std::mutex lock_;
  std::vector<std::string> patterns_;
  // Enable words are handed out by address and cached by callers for the
  // process's life, so they are never moved or freed.
  std::map<std::string, std::unique_ptr<int32_t>> words_;
};

}  // namespace

LogServiceI& logService() {
  static LogService* service = new LogService;
  return *service;
}

}  // namespace tnw
