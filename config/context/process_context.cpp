#include "config/context/process_context.h"

#include <cstdlib>
#include <cstring>

#include "platform/process.h"
#include "platform/system.h"
#include "runtime/locks/spin_lock.h"
#include "runtime/version/module_path.h"
#include "runtime/version/version_string.h"
#include "platform/library_objects.h"

namespace {

SpinLockWord listLock{0};
ProcessContextC* listHead = nullptr;
uint32_t listCount = 0;

SpinLockWord callbackLock{0};
ProcessContextC::InitCallbackT& callback() {
  static auto* c = platform::library_objects::keep(new ProcessContextC::InitCallbackT);
  return *c;
}

// %N: the family name without its extension ("vdiendpoint.dll" ->
// "vdiendpoint"), so that "%A\%N%S" names the library's own INI file.
std::string nameOf(const std::string& family) {
  const size_t dot = family.rfind('.');
  return dot == std::string::npos || dot == 0 ? family : family.substr(0, dot);
}

void removeTwo(int& argc, char** argv, int at) {
  for (int j = at; j + 2 < argc; ++j) argv[j] = argv[j + 2];
  argv[argc - 2] = nullptr;
  argv[argc - 1] = nullptr;
  argc -= 2;
}

}  // namespace

class ProcessContextListC {
 public:
  static ProcessContextC& current() {
    const uint32_t pid = platform::processId();
    SpinLockGuardC hold(listLock);
    if (listCount == 1 && listHead->processId_ == pid) return *listHead;
    for (ProcessContextC* p = listHead; p; p = p->next_)
      if (p->processId_ == pid) return *p;
    auto* record = new ProcessContextC;
    if (!listHead) platform::library_objects::adopt(&ProcessContextListC::release, nullptr);
    record->next_ = listHead;
    listHead = record;
    ++listCount;
    return *record;
  }

  // At the library's unload (platform/library_objects.h).
  static void release(void*) {
    ProcessContextC* head = nullptr;
    {
      SpinLockGuardC hold(listLock);
      head = listHead;
      listHead = nullptr;
      listCount = 0;
    }
    while (head) {
      ProcessContextC* next = head->next_;
      delete head;
      head = next;
    }
  }
};

ProcessContextC& ProcessContextC::current() { return ProcessContextListC::current(); }

void ProcessContextC::setInitCallback(InitCallbackT c) {
  SpinLockGuardC hold(callbackLock);
  callback() = std::move(c);
}

ProcessContextC::ProcessContextC(const PrefsEnvironmentI& environment, PrefsDiagnosticsC& diagnostics)
    : processId_(platform::processId()),
      threadId_(platform::currentThreadId()),
      os_(platform::osVersion()),
      processEnvironment_(environment),
      diagnostics_(diagnostics) {}

ProcessContextC::~ProcessContextC() = default;

ProcessContextC* ProcessContextC::initialise(int& argc, char** argv, const std::optional<std::string>& programName) {
  if (argc < 0 || (argc > 0 && !argv)) argc = 0;
  if (!appInfo_) {
    const std::string program = argc > 0 && argv[0] ? argv[0] : "";
    const std::string family =
        programName ? *programName : module_path::stripSuffix(module_path::split(program).fileName, ".exe");
    appInfo_ = std::make_unique<PrefsAppInfoC>(PrefsAppInfoC::fromSystem(program, family));
    searchName_ = nameOf(family);
  }

  std::optional<std::string> path;
  for (int i = 1; i < argc - 1;) {
    const char* arg = argv[i] ? argv[i] : "";
    const char* following = argv[i + 1] ? argv[i + 1] : "";
    if (std::strcmp(arg, "-kuiprefs") == 0) {
      path = following;
      removeTwo(argc, argv, i);
    } else if (std::strcmp(arg, "-kui") == 0 && std::strncmp(following, "hInstance", 9) == 0 &&
               following[9] == '=' && following[10] != '\0') {
      moduleHandle_ = reinterpret_cast<platform::ModuleHandle>(
          static_cast<uintptr_t>(std::strtoull(following + 10, nullptr, 10)));
      removeTwo(argc, argv, i);
    } else {
      ++i;
    }
  }

  if (search_ && path) search_.reset();
  if (!search_) {
    PrefsSearchSetupC setup;
    setup.searchPath = path;
    setup.app = *appInfo_;
    setup.name = searchName_;
    setup.environment = &processEnvironment_;
    setup.diagnostics = &diagnostics_;
    search_ = std::make_unique<PrefsFileSearchC>(std::move(setup));
  }

  InitCallbackT c;
  {
    SpinLockGuardC hold(callbackLock);
    c = callback();
  }
  if (c && !c(*this)) return nullptr;
  return this;
}

void ProcessContextC::setEnvironment(const ContextEnvironmentI& given) {
  environment_.reset();
  environment_ = given.deepCopy();
}

std::string ProcessContextC::versionString(int selector) const {
  return version_string::of(selector, moduleHandle_);
}
