#include <atomic>

#include "tnwcmn/locale_source.h"
#include "tnwcmn/services.h"
#include "tnwcmn/text_object.h"

namespace tnw {

namespace {

class CatalogHolder final : public ProcessCatalogHolderI {
 public:
  int32_t interfaceVersion() override { return 1; }
  ErrCatalogI* catalog() override { return installed.load(std::memory_order_acquire); }
  std::atomic<ErrCatalogI*> installed{nullptr};
};

class ProcessService final : public ProcessServiceI {
 public:
  int32_t interfaceVersion() override { return 1; }
  void reserved1() override {}
  void reserved2() override {}
  void reserved3() override {}
  ProcessCatalogHolderI* catalogHolder(int32_t which) override {
    // No catalog is offered until an embedding program installs one.
    if (which != 1 || !holder_.catalog()) return nullptr;
    return &holder_;
  }
  void installCatalog(ErrCatalogI* catalog) override { holder_.installed.store(catalog, std::memory_order_release); }

 private:
  CatalogHolder holder_;
};

class Locale final : public LocaleI {
 public:
  explicit Locale(int which) : which_(which) {}
  TextI* language() override { return makeText(locale_source::read(which_).language); }
  TextI* alternative() override { return makeText(locale_source::read(which_).alternative); }
  TextI* region() override { return makeText(locale_source::read(which_).region); }

 private:
  int which_;
};

class LocaleService final : public LocaleServiceI {
 public:
  LocaleI* locale(int32_t which) override {
    if (which == 1) return &system_;
    if (which == 2) return &user_;
    return nullptr;
  }

 private:
  Locale system_{1};
  Locale user_{2};
};

class TextProvider final : public TextProviderI {
 public:
  TextI* text(int32_t which) override {
    if (which != 1) return makeText({});
    const auto f = locale_source::read(2);
    return makeText(f.region.empty() ? f.language : f.language + "-" + f.region);
  }
};

}  // namespace

ProcessServiceI& processService() {
  static ProcessService* s = new ProcessService;
  return *s;
}

LocaleServiceI& localeService() {
  static LocaleService* s = new LocaleService;
  return *s;
}

TextProviderI& textProvider() {
  static TextProvider* s = new TextProvider;
  return *s;
}

}  // namespace tnw
