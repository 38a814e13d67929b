#include "runtime/strings/kva_string.h"

KVAStringC::KVAStringC(const StringC& s) : narrow_(s.encode("system-8")) {}

KVAStringC::KVAStringC(const char* narrow) : narrow_(narrow ? narrow : "") {}

KVAStringC::KVAStringC(const KVAStringC& other) : narrow_(other.narrow_) {}

KVAStringC& KVAStringC::operator=(const KVAStringC& other) {
  if (this != &other) {
    narrow_ = other.narrow_;
    wide_.reset();
  }
  return *this;
}

KVAStringC& KVAStringC::operator=(const char* narrow) {
  narrow_ = narrow ? narrow : "";
  wide_.reset();
  return *this;
}

KVAStringC::~KVAStringC() = default;

KVAStringC& KVAStringC::append(char c) {
  narrow_.push_back(c);
  wide_.reset();
  return *this;
}

KVAStringC& KVAStringC::append(const char* narrow) {
  if (narrow) narrow_ += narrow;
  wide_.reset();
  return *this;
}

const char16_t* KVAStringC::wide() const {
  if (!wide_) wide_ = std::make_unique<std::u16string>(toStringC().toUtf16());
  return wide_->c_str();
}

StringC KVAStringC::toStringC() const {
  return StringC(narrow_.data(), static_cast<int32_t>(narrow_.size()), "system-8");
}
