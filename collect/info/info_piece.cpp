#include "collect/info/info_piece.h"

#include "runtime/services/common_services.h"

InfoPiece::InfoPiece(const char* name, bool compared, bool hidden)
    : name_(name, "system-8"), compared_(compared), hidden_(hidden) {}

InfoPiece::InfoPiece(const StringC& name, bool compared, bool hidden)
    : name_(name), compared_(compared), hidden_(hidden) {}

void InfoPiece::setValue(const StringC& value) { value_ = value; }

bool InfoPiece::fetch() { return true; }

RefM<RegistryKeyC> RegistryKeyC::open(tnw::RegKey root, const char* subPath, uint32_t access) {
  tnw::RegKey key = 0;
  tnw::RegistryServiceI* service = common_services::registryService();
  if (!service || service->openKey(root, StringC(subPath, "system-8").newRef(), access, &key) != tnw::kOk) key = 0;
  return RefM<RegistryKeyC>(new RegistryKeyC(key));
}

RegistryKeyC::~RegistryKeyC() {
  if (key_ == 0) return;
  if (tnw::RegistryServiceI* service = common_services::registryService()) service->closeKey(key_);
}

RegBasedInfoPiece::RegBasedInfoPiece(const char* name, tnw::RegKey root, const char* keyPath, const char* valueName,
                                     bool hidden, RefM<RegistryKeyC> keeper)
    : InfoPiece(name, true, hidden),
      root_(root),
      keyPath_(keyPath, "system-8"),
      valueName_(valueName, "system-8"),
      keeper_(std::move(keeper)) {}

RegBasedInfoPiece::RegBasedInfoPiece(const char* name, tnw::RegKey root, const StringC& keyPath,
                                     const StringC& valueName, bool hidden, RefM<RegistryKeyC> keeper)
    : InfoPiece(name, true, hidden), root_(root), keyPath_(keyPath), valueName_(valueName), keeper_(std::move(keeper)) {}

bool RegBasedInfoPiece::fetch() {
  tnw::RegistryServiceI* service = common_services::registryService();
  if (!service || (keeper_ && keeper_->key() == 0)) return false;
  tnw::TextI* text = nullptr;
  if (service->readText(root_, keyPath_.newRef(), valueName_.newRef(), &text) != tnw::kOk) {
    if (text) text->release();
    return false;
  }
  setValue(StringC::adopt(text));
  return true;
}
