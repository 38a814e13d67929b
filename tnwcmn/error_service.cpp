#include <atomic>
#include <cstdio>
#include <string>

#include "tnwcmn/os.h"
#include "tnwcmn/services.h"
#include "tnwcmn/text_object.h"
#include "tnwcmn/trace_sink.h"

namespace tnw {

namespace {

struct ThreadState {
  uint32_t count = 0;
  uint32_t lastId = 0;
  int32_t lastStatus = 0;
  std::string lastText;
};

class ErrorThread final : public ErrorThreadI {
 public:
  uint32_t threadId() override { return id; }
  uint32_t reportCount() override { return state.count; }
  uint32_t lastIdentifier() override { return state.lastId; }

  uint32_t id = os::currentThreadId();
  ThreadState state;
};

thread_local ErrorThread* attached = nullptr;
thread_local ThreadState unattached;

ThreadState& current() { return attached ? attached->state : unattached; }

class ErrorService final : public ErrorServiceI {
 public:
  void report(uint32_t identifier, int32_t status, TextI* text) override {
    ThreadState& s = current();
    ++s.count;
    s.lastId = identifier;
    s.lastStatus = status;
    s.lastText.assign(view(text));
    total_.fetch_add(1, std::memory_order_relaxed);
    char head[64];
    std::snprintf(head, sizeof head, "0x%08X (status %d) ", identifier, status);
    sink::writeLine("Error", std::string(head) + s.lastText);
    consume(text);
  }
  uint32_t reportCount() override { return total_.load(std::memory_order_relaxed); }
  uint32_t lastIdentifier() override { return current().lastId; }
  TextI* lastText() override { return makeText(current().lastText); }
  void* saveState() override { return new ThreadState(current()); }
  void restoreState(void* state) override {
    if (!state) return;
    auto* saved = static_cast<ThreadState*>(state);
    current() = *saved;
    delete saved;
  }
  void clearState() override { current() = ThreadState(); }
  ErrorThreadI* attachThread() override {
    auto* t = new ErrorThread;
    if (!attached) attached = t;
    return t;
  }
  void detachThread(ErrorThreadI* thread) override {
    if (!thread) return;
    auto* t = static_cast<ErrorThread*>(thread);
    if (attached == t) attached = nullptr;
    delete t;
  }

 private:
  std::atomic<uint32_t> total_{0};
};

}  // namespace

ErrorServiceI& errorService() {
  static ErrorService* service = new ErrorService;
  return *service;
}

}  // namespace tnw
