// An error service that keeps what reaches it, for tests that assert the
// exact text of a report. Install it with
// common_services::overrideErrorService(&errors, false) before the code under
// test runs, and restore the library's own afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

class RecordingErrors final : public tnw::ErrorServiceI {
 public:
  struct Report {
    uint32_t id;
    int32_t status;
    std::string text;
  };
  std::vector<Report> reports;

  void report(uint32_t id, int32_t status, tnw::TextI* text) override {
    reports.push_back({id, status, StringC::adopt(text).toUtf8()});
  }
  uint32_t reportCount() override { return static_cast<uint32_t>(reports.size()); }
  uint32_t lastIdentifier() override { return reports.empty() ? 0 : reports.back().id; }
  tnw::TextI* lastText() override { return nullptr; }
  void* saveState() override { return nullptr; }
  void restoreState(void*) override {}
  void clearState() override {}
  tnw::ErrorThreadI* attachThread() override { return nullptr; }
  void detachThread(tnw::ErrorThreadI*) override {}
};
