// ErrCatSwitchC: where a message's text comes from. The module catalog
// ("allcat.%L.cat" in the suite's "common\" directory) first, then the
// process catalog the host may offer, then the built-in default. One
// process-wide instance, created on first use together with the module
// catalog, which stays open until the library is unloaded.
#pragma once

#include <atomic>
#include <memory>
#include <vector>
#include <string>
#include <string_view>

#include "runtime/messages/err_catalog.h"
#include "runtime/locks/spin_lock.h"

class ErrCatSwitchC final : public ErrCatalogI {
 public:
  static ErrCatSwitchC& instance();

  // ErrCatalogI: texts from the catalogs are not formatted (positional
  // arguments are the caller's to apply).
  void fetch(tnw::TextI** outText, int32_t* outStatus, uint32_t identifier, tnw::TextI* defaultText,
             const char* variants) override;
  void setLanguage(tnw::TextI* language) override;
  void destroy(uint32_t flags) override;

  message_record::ParsedC fetchMessage(uint32_t identifier, std::string_view defaultText);

  ErrCatalogC& moduleCatalog() { return *module_; }

  // Registry values read for the module catalog's directory, in order.
  static std::string moduleCatalogTemplate();

  // Opens the module catalog anew (tests that install catalog files).
  void reopenModuleCatalog();

 private:
  ErrCatSwitchC();
  ~ErrCatSwitchC();
  std::atomic<ErrCatalogC*> module_{nullptr};
  // Catalogs replaced by a reopen, kept because a reader may still use one.
  std::vector<std::unique_ptr<ErrCatalogC>> retired_;
  SpinLockWord retiredLock_{0};
};
