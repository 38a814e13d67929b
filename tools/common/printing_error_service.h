// An error service for the command-line tools: every report of the layers
// below (the WMI layer's messages among them) goes to standard error as it
// comes, "<tool>: <kind> 0x<identifier>: <text>". Installed for the tool's
// whole run; one thread.
#pragma once

#include <cstdint>
#include <cstdio>

#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

class PrintingErrorServiceC final : public tnw::ErrorServiceI {
 public:
  explicit PrintingErrorServiceC(const char* tool) : tool_(tool) {}

  void report(uint32_t id, int32_t status, tnw::TextI* text) override {
    static const char* const kinds[] = {"note", "message", "information", "warning", "error", "fatal"};
    const StringC t = StringC::adopt(text);
    std::fprintf(stderr, "%s: %s 0x%08X: %s\n", tool_, status >= 0 && status <= 5 ? kinds[status] : "message",
                 static_cast<unsigned>(id), t.c_str());
    ++count_;
  }
  uint32_t reportCount() override { return count_; }
  uint32_t lastIdentifier() override { return 0; }
  tnw::TextI* lastText() override { return nullptr; }
  void* saveState() override { return nullptr; }
  void restoreState(void*) override {}
  void clearState() override {}
  tnw::ErrorThreadI* attachThread() override { return nullptr; }
  void detachThread(tnw::ErrorThreadI*) override {}

 private:
  const char* tool_;
  uint32_t count_ = 0;
};
