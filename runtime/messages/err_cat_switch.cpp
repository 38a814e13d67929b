#include "runtime/messages/err_cat_switch.h"

#include "runtime/services/common_services.h"
#include "runtime/messages/log_module.h"
#include "platform/library_objects.h"

namespace {

const LogModuleC kFetchModule("Error/Catalog/Fetch");

tnw::ErrCatalogI* processCatalog() {
  tnw::ProcessCatalogHolderI* holder = common_services::processService()->catalogHolder(1);
  return holder ? holder->catalog() : nullptr;
}

}  // namespace

ErrCatSwitchC& ErrCatSwitchC::instance() {
  // Kept until the library's unload: catalogs are used until the last
  // thread ends, after static destruction may have begun.
  static ErrCatSwitchC* s = [] {
    auto* created = new ErrCatSwitchC;
    platform::library_objects::adopt([](void* p) { delete static_cast<ErrCatSwitchC*>(p); }, created);
    return created;
  }();
  return *s;
}

ErrCatSwitchC::ErrCatSwitchC() { module_.store(new ErrCatalogC(moduleCatalogTemplate())); }

ErrCatSwitchC::~ErrCatSwitchC() { delete module_.exchange(nullptr); }

std::string ErrCatSwitchC::moduleCatalogTemplate() {
  tnw::RegistryServiceI* reg = common_services::registryService();
  std::string dir;
  for (const char* name : {"InstallDir", "ETDPInstallDir", "ETCPInstallDir"}) {
    tnw::TextI* out = nullptr;
    if (reg->readText(tnw::kHKeyLocalMachine, StringC::fromUtf8("SOFTWARE\\Tarnwell Corp\\Tarnwell").newRef(),
                      StringC::fromUtf8(name).newRef(), &out) == tnw::kOk) {
      dir = StringC::adopt(out).toUtf8();
      // A directory written without its closing separator still names the
      // directory, not a prefix of a file name.
      if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
      dir += "common\\";
      break;
    }
    if (out) out->release();
  }
  return dir + "allcat.%L.cat";
}

void ErrCatSwitchC::reopenModuleCatalog() {
  ErrCatalogC* old = module_.exchange(new ErrCatalogC(moduleCatalogTemplate()));
  SpinLockGuardC guard(retiredLock_);
  retired_.emplace_back(old);
}

message_record::ParsedC ErrCatSwitchC::fetchMessage(uint32_t identifier, std::string_view defaultText) {
  bool found = false;
  message_record::ParsedC r = module_.load()->fetchMessage(identifier, {}, {}, &found);
  if (found && !r.text.empty()) {
    kFetchModule.trace("Message s%dm%d from module catalog: %S", static_cast<int32_t>(messageSet(identifier)),
                       static_cast<int32_t>(messageNumber(identifier)), StringC::fromUtf8(r.text));
    return r;
  }
  if (tnw::ErrCatalogI* process = processCatalog()) {
    tnw::TextI* text = nullptr;
    int32_t status = message_record::kStartStatus;
    process->fetch(&text, &status, identifier, nullptr, "");
    StringC s = StringC::adopt(text);
    if (!s.isEmpty()) {
      kFetchModule.trace("Message s%dm%d from process catalog: %S", static_cast<int32_t>(messageSet(identifier)),
                         static_cast<int32_t>(messageNumber(identifier)), s);
      message_record::ParsedC p;
      p.status = status;
      p.text = s.toUtf8();
      return p;
    }
  }
  if (message_record::isRecord(defaultText)) return message_record::parse(defaultText);
  message_record::ParsedC plain;
  plain.text.assign(defaultText);
  return plain;
}

void ErrCatSwitchC::fetch(tnw::TextI** outText, int32_t* outStatus, uint32_t identifier, tnw::TextI* defaultText,
                          const char*) {
  std::string_view def = defaultText ? std::string_view(defaultText->utf8(), static_cast<size_t>(defaultText->byteLength()))
                                     : std::string_view();
  message_record::ParsedC r = fetchMessage(identifier, def);
  if (outStatus) *outStatus = r.status;
  if (outText) *outText = StringC::fromUtf8(r.text).newRef();
}

void ErrCatSwitchC::setLanguage(tnw::TextI* language) {
  module_.load()->setLanguage(language);
  if (tnw::ErrCatalogI* process = processCatalog()) process->setLanguage(language);
}

void ErrCatSwitchC::destroy(uint32_t) {}  // the process-wide instance goes at the library's unload
