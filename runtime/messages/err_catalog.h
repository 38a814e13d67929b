// ErrCatalogC: a message catalog file in the "kestract" format.
//
// File layout (numbers big-endian): magic "kestract"; entry count N (32
// bits); N entries of 12 bytes {set 16, text length 16, message 32, text
// offset 32}, sorted by (set, message); the texts, UTF-8 without
// terminator.
//
// A catalog file is untrusted. A short header, a wrong magic, a count whose
// entries don't fit in the file, or entries out of order leave the catalog
// closed (every fetch gives the default). An entry whose text lies past the
// end of the file is not found. The index is read once at opening; lookups
// read the text at its offset with a positioned read, so one open catalog
// serves several threads at once.
//
// Identifiers: bit 29 must be set for a lookup; set = (id >> 16) & 0xFFF,
// message = id & 0xFFFF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "runtime/messages/message_record.h"
#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

using ErrCatalogI = tnw::ErrCatalogI;

inline bool isCatalogIdentifier(uint32_t id) { return (id & 0x20000000u) != 0; }
inline uint16_t messageSet(uint32_t id) { return static_cast<uint16_t>((id >> 16) & 0xFFF); }
inline uint16_t messageNumber(uint32_t id) { return static_cast<uint16_t>(id & 0xFFFF); }

class ErrCatalogC final : public ErrCatalogI {
 public:
  // Opens the catalog of a path template (Windows path; "%L" stands for the
  // language, tried as language-region, alternative-region, language,
  // alternative, then without it). `encoding` names the encoding of the
  // texts ("utf8", or "system-8" for the log catalog).
  explicit ErrCatalogC(const std::string& pathTemplate, const char* encoding = "utf8");
  ~ErrCatalogC();
  ErrCatalogC(const ErrCatalogC&) = delete;
  ErrCatalogC& operator=(const ErrCatalogC&) = delete;

  // ErrCatalogI. fetch gives the catalog's text of the identifier parsed as
  // a message record, else the parsed default (an empty default: empty).
  void fetch(tnw::TextI** outText, int32_t* outStatus, uint32_t identifier, tnw::TextI* defaultText,
             const char* variants) override;
  void setLanguage(tnw::TextI* language) override;
  void destroy(uint32_t flags) override;

  // The same, for C++ callers; `found` tells whether the catalog had it.
  message_record::ParsedC fetchMessage(uint32_t identifier, std::string_view defaultText,
                                       std::string_view variants = {}, bool* found = nullptr) const;

  bool isOpen() const { return file_.isOpen(); }
  uint32_t entryCount() const { return static_cast<uint32_t>(index_.size()); }
  const std::string& path() const { return path_; }
  const std::string& language() const { return language_; }
  void close();

  // The raw text of (set, message), as stored.
  bool lookup(uint16_t set, uint16_t message, std::string& text) const;

  // The candidate file names of a template, in the order they are tried.
  static std::vector<std::string> candidates(const std::string& pathTemplate, const std::string& language,
                                             const std::string& alternative, const std::string& region);

 private:
  struct Entry {
    uint16_t set;
    uint16_t length;
    uint32_t message;
    uint32_t offset;
  };

  bool openFile(const std::string& path);

  std::string template_;
  std::string language_;
  std::string encoding_;
  std::string path_;
  platform::ReadOnlyFileC file_;
  std::vector<Entry> index_;
};
