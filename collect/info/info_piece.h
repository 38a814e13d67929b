// Information pieces: named text values that the collectors fill and the
// data document writes. A piece knows its name (fixed), its value, whether
// it takes part when two sets are compared (`compared`) and whether the
// document leaves it out (`hidden`); it can fetch its own value from a
// source. Pieces are shared by reference counting (hold them in RefM) and
// used by the monitor thread alone: values are not locked.
#pragma once

#include <cstdint>

#include "collect/info/ref_count.h"
#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

class InfoPiece : public RefCountC {
 public:
  // The name as 8-bit text of the system code page.
  InfoPiece(const char* name, bool compared, bool hidden);
  // A name already decoded (records built by the thousand share theirs).
  InfoPiece(const StringC& name, bool compared, bool hidden);

  StringC name() const { return name_; }
  StringC value() const { return value_; }
  // Without copies, for loops over many pieces.
  const StringC& nameRef() const { return name_; }
  const StringC& valueRef() const { return value_; }
  bool compared() const { return compared_; }
  bool hidden() const { return hidden_; }

  virtual void setValue(const StringC& value);
  // Obtains the value from the piece's source; a plain piece has none and
  // keeps what was last set (true).
  virtual bool fetch();

 private:
  StringC name_;
  StringC value_;
  bool compared_;
  bool hidden_;
};

// A registry key handle opened through the registry service and closed when
// the last holder lets go of it: the pieces that read below it keep it
// open. A handle of 0 (the open failed) makes every lookup below it fail.
class RegistryKeyC : public RefCountC {
 public:
  // Opens root\subPath (system-8 text) with the access mask; null holder
  // contents (key() == 0) when that fails.
  static RefM<RegistryKeyC> open(tnw::RegKey root, const char* subPath, uint32_t access);
  // Takes over a handle the caller opened.
  explicit RegistryKeyC(tnw::RegKey key) : key_(key) {}
  ~RegistryKeyC() override;
  RegistryKeyC(const RegistryKeyC&) = delete;
  RegistryKeyC& operator=(const RegistryKeyC&) = delete;

  tnw::RegKey key() const { return key_; }

 private:
  tnw::RegKey key_;
};

// A piece whose value is a registry value, read as text through the common
// library's registry service. Always compared.
class RegBasedInfoPiece : public InfoPiece {
 public:
  // Texts are system-8. `root` is a predefined root or an open key; when it
  // is an opened key, pass its holder as `keeper` so the key stays open
  // while this piece may fetch.
  RegBasedInfoPiece(const char* name, tnw::RegKey root, const char* keyPath, const char* valueName, bool hidden,
                    RefM<RegistryKeyC> keeper = {});
  // The same with the key path and value name as strings (a sub-key name
  // the registry gave, which system-8 text might not hold).
  RegBasedInfoPiece(const char* name, tnw::RegKey root, const StringC& keyPath, const StringC& valueName,
                    bool hidden, RefM<RegistryKeyC> keeper = {});

  tnw::RegKey root() const { return root_; }
  StringC keyPath() const { return keyPath_; }
  StringC valueName() const { return valueName_; }

  // True when the service read the value (the value is then replaced);
  // false for a missing key or value or a type that has no text, every
  // time it is asked.
  bool fetch() override;

 private:
  tnw::RegKey root_;
  StringC keyPath_;
  StringC valueName_;
  RefM<RegistryKeyC> keeper_;
};
