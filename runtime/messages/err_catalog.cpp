#include "runtime/messages/err_catalog.h"

#include <algorithm>

#include "platform/path.h"
#include "runtime/services/common_services.h"

namespace {

uint32_t be32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
uint16_t be16(const unsigned char* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

std::string take(tnw::TextI* t) {
  if (!t) return std::string();
  std::string s(t->utf8(), static_cast<size_t>(t->byteLength()));
  t->release();
  return s;
}

// Catalogs beyond this many entries are refused rather than read.
constexpr uint32_t kMaxEntries = 4u << 20;

}  // namespace

std::vector<std::string> ErrCatalogC::candidates(const std::string& tpl, const std::string& language,
                                                 const std::string& alternative, const std::string& region) {
  std::vector<std::string> out;
  const size_t at = tpl.find("%L");
  if (at == std::string::npos) {
    if (!tpl.empty()) out.push_back(tpl);
    return out;
  }
  std::string prefix = tpl.substr(0, at);
  const std::string suffix = tpl.substr(at + 2);
  // A language without a code of its own gives the same name twice: each
  // file is tried once.
  auto push = [&](const std::string& name) {
    if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
  };
  auto add = [&](const std::string& middle) {
    if (!middle.empty() && middle != "-") push(prefix + middle + suffix);
  };
  if (!region.empty()) {
    if (!language.empty()) add(language + "-" + region);
    if (!alternative.empty()) add(alternative + "-" + region);
  }
  add(language);
  add(alternative);
  // The name without a language: "allcat.%L.cat" falls back to allcat.cat.
  if (prefix.size() > 1 && prefix.back() == '.') prefix.pop_back();
  if (!prefix.empty() && (prefix.back() == '/' || prefix.back() == '\\') && !suffix.empty() &&
      suffix.front() == prefix.back())
    prefix.pop_back();
  // "%L/m.cat" falls back to "./m.cat"; a rooted "/%L/m.cat" stays rooted.
  if (at == 0 && !suffix.empty() && (suffix.front() == '\\' || suffix.front() == '/')) prefix = ".";
  push(prefix + suffix);
  return out;
}

ErrCatalogC::ErrCatalogC(const std::string& pathTemplate, const char* encoding)
    : template_(pathTemplate), encoding_(encoding ? encoding : "utf8") {
  std::string language, alternative, region;
  if (pathTemplate.find("%L") != std::string::npos) {
    tnw::LocaleI* loc = common_services::localeService()->locale(2);
    if (loc) {
      language = take(loc->language());
      alternative = take(loc->alternative());
      region = take(loc->region());
    }
  }
  for (const auto& candidate : candidates(pathTemplate, language, alternative, region))
    if (openFile(candidate)) break;
}

ErrCatalogC::~ErrCatalogC() { close(); }

void ErrCatalogC::close() {
  file_.close();
  index_.clear();
}

bool ErrCatalogC::openFile(const std::string& path) {
  close();
  if (file_.open(platform::nativePath(path)) != 0) return false;
  unsigned char header[12];
  const int64_t size = file_.size();
  if (file_.readAt(0, header, 12) != 12 || std::string_view(reinterpret_cast<char*>(header), 8) != "kestract") {
    close();
    return false;
  }
  const uint32_t n = be32(header + 8);
  if (n > kMaxEntries || size < 12 + 12 * static_cast<int64_t>(n)) {
    close();
    return false;
  }
  std::vector<unsigned char> raw(static_cast<size_t>(n) * 12);
  if (n && file_.readAt(12, raw.data(), raw.size()) != static_cast<int64_t>(raw.size())) {
    close();
    return false;
  }
  index_.reserve(n);
  for (uint32_t i = 0; i < n; ++i) {
    const unsigned char* e = raw.data() + 12 * i;
    Entry entry{be16(e), be16(e + 2), be32(e + 4), be32(e + 8)};
    if (!index_.empty()) {
      const Entry& prev = index_.back();
      if (prev.set > entry.set || (prev.set == entry.set && prev.message >= entry.message)) {
        close();  // unsorted: binary search could not be trusted
        return false;
      }
    }
    index_.push_back(entry);
  }
  path_ = path;
  return true;
}

bool ErrCatalogC::lookup(uint16_t set, uint16_t message, std::string& text) const {
  if (!file_.isOpen()) return false;
  auto it = std::lower_bound(index_.begin(), index_.end(), std::pair<uint16_t, uint32_t>(set, message),
                             [](const Entry& e, const std::pair<uint16_t, uint32_t>& k) {
                               return e.set < k.first || (e.set == k.first && e.message < k.second);
                             });
  if (it == index_.end() || it->set != set || it->message != message) return false;
  text.assign(it->length, '\0');
  if (it->length && file_.readAt(it->offset, text.data(), it->length) != it->length) return false;
  return true;
}

message_record::ParsedC ErrCatalogC::fetchMessage(uint32_t identifier, std::string_view defaultText,
                                                  std::string_view variants, bool* found) const {
  std::string stored;
  const bool hit = isCatalogIdentifier(identifier) &&
                   lookup(messageSet(identifier), messageNumber(identifier), stored);
  if (found) *found = hit;
  if (!hit) return message_record::parse(defaultText, variants);
  message_record::ParsedC r = message_record::parse(stored, variants);
  if (encoding_ != "utf8") {
    r.text = StringC(r.text.data(), static_cast<int32_t>(r.text.size()), encoding_.c_str()).toUtf8();
    r.detail = StringC(r.detail.data(), static_cast<int32_t>(r.detail.size()), encoding_.c_str()).toUtf8();
  }
  return r;
}

void ErrCatalogC::fetch(tnw::TextI** outText, int32_t* outStatus, uint32_t identifier, tnw::TextI* defaultText,
                        const char* variants) {
  std::string_view def = defaultText ? std::string_view(defaultText->utf8(), static_cast<size_t>(defaultText->byteLength()))
                                     : std::string_view();
  message_record::ParsedC r = fetchMessage(identifier, def, variants ? variants : "");
  if (outStatus) *outStatus = r.status;
  if (outText) *outText = StringC::fromUtf8(r.text).newRef();
}

void ErrCatalogC::setLanguage(tnw::TextI* language) {
  language_.assign(language ? std::string_view(language->utf8(), static_cast<size_t>(language->byteLength()))
                            : std::string_view());
}

void ErrCatalogC::destroy(uint32_t flags) {
  if (flags & 1) delete this;
}
