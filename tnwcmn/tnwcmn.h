// The suite's common run-time library as its clients see it.
//
// The library exports five functions, by ordinal only on Windows (2, 3, 5, 6,
// 7). Each takes one 32-bit selector and returns a process-wide service object
// that lives until the process ends; callers never free a service.
//
// ABI rules shared by every interface in this header:
//  - Slot order is the contract. No interface declares a C++ virtual
//    destructor (it would take two slots under the Itanium ABI); objects that
//    can be freed have a `destroy(flags)` slot instead (bit 0: free memory).
//  - Texts cross the boundary as `TextI*`. A text passed INTO a service is the
//    callee's to keep: the caller hands over one reference (the callee
//    releases it, also on failure). A text returned OUT of a service carries
//    one reference that now belongs to the caller.
//  - Statuses: 0 is success; Win32 failures are 0x8007xxxx HRESULTs; the
//    registry's "key or value not found" is kRegNotFound.
//  - Slots marked "reserved" answer kNotImplemented and take no arguments;
//    they keep the slot numbers of the operations that clients do call.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#if defined(TNWCMN_BUILD)
#define TNW_EXPORT
#else
#define TNW_EXPORT __declspec(dllimport)
#endif
#else
#define TNW_EXPORT __attribute__((visibility("default")))
#endif

namespace tnw {

using Status = int32_t;
inline constexpr Status kOk = 0;
inline constexpr Status kFail = static_cast<Status>(0x80004005);
inline constexpr Status kNotImplemented = static_cast<Status>(0x80004001);
inline constexpr Status kInvalidArg = static_cast<Status>(0x80070057);
inline constexpr Status kRegNotFound = static_cast<Status>(0xE1370069);
inline constexpr Status kNoMoreItems = static_cast<Status>(0x80070103);  // ERROR_NO_MORE_ITEMS
inline constexpr Status kMoreData = static_cast<Status>(0x800700EA);     // ERROR_MORE_DATA
inline constexpr Status kUnsupportedType = static_cast<Status>(0x8007065E);

inline constexpr Status hresultFromWin32(uint32_t error) {
  return error == 0 ? kOk : static_cast<Status>(0x80070000u | (error & 0xFFFFu));
}

// Shared, immutable, reference-counted text. The bytes are UTF-8 and always
// followed by a NUL that is not counted (embedded NULs are allowed).
class TextI {
 public:
  virtual void destroy(uint32_t flags) = 0;                  // 0: called by release() only
  virtual void addRef() = 0;                                 // 1
  virtual void release() = 0;                                // 2
  virtual const char* utf8() const = 0;                      // 3
  virtual int32_t byteLength() const = 0;                    // 4
  virtual int32_t charLength() const = 0;                    // 5: code points

 protected:
  ~TextI() = default;
};

// Typed argument lists for the positional printf formatting. The formatter
// never writes through an argument and treats a missing position, or one of
// another kind than the conversion asks for, as empty text.
enum ArgType : int32_t {
  kArgInt16 = 1,
  kArgUInt16 = 2,
  kArgInt32 = 3,
  kArgUInt32 = 4,
  kArgInt64 = 5,
  kArgUInt64 = 6,
  kArgPointer = 7,
  kArgChar = 8,    // one character, a code point in `i`
  kArgNarrow = 9,  // NUL-terminated UTF-8 in `narrow` (null prints "(null)")
  kArgText = 10,   // `text`, borrowed for the call (no reference handed over)
  kArgDouble = 11,
};

struct Arg {
  int32_t type;
  int32_t reserved;
  union {
    int64_t i;
    uint64_t u;
    const void* p;
    const char* narrow;
    TextI* text;
    double d;
  } v;
};

struct ArgList {
  int32_t count;
  const Arg* items;  // position N of a format is items[N-1]
};

// Ordinal 5, selector 1.
class TextServiceI {
 public:
  virtual int32_t interfaceVersion() = 0;                                     // 0
  virtual TextI* fromUtf8(const char* data, int32_t bytes) = 0;               // 1: bytes -1: NUL-terminated
  virtual TextI* toLower(TextI* text) = 0;                                    // 2
  // 3: writes `text` in the named encoding into out (no terminator). *needed
  // receives the byte count the whole conversion takes; kMoreData when
  // outBytes is smaller (nothing written then). Unrepresentable characters
  // become "~".
  virtual Status encode(TextI* text, const char* encoding, void* out, int32_t outBytes,
                        int32_t* needed) = 0;
  virtual int32_t isKnownEncoding(const char* encoding) = 0;                  // 4
  virtual TextI* format(TextI* format, const ArgList* args) = 0;              // 5
  // 6: as 5, the format given as UTF-8; its ill-formed bytes come out as U+FFFD.
  virtual TextI* formatUtf8(const char* format, const ArgList* args) = 0;
  virtual int32_t compare(TextI* a, TextI* b) = 0;                            // 7: byte order, -1/0/1
  virtual TextI* concat(TextI* a, TextI* b) = 0;                              // 8
  // 9: decodes `length` units of data (bytes, or char16_t for "wchar_t";
  // -1: up to a NUL) from the named encoding: "ascii", "system-8", "utf8",
  // "wchar_t". Undecodable input becomes U+FFFD. Null for an unknown name.
  virtual TextI* create(const void* data, int32_t length, const char* encoding) = 0;
};

// Ordinal 2, selector 2: the error service. It may be absent (null).
class ErrorThreadI {
 public:
  virtual uint32_t threadId() = 0;      // 0
  virtual uint32_t reportCount() = 0;   // 1: reports made on this thread
  virtual uint32_t lastIdentifier() = 0;// 2
};

class ErrorServiceI {
 public:
  virtual void report(uint32_t identifier, int32_t status, TextI* text) = 0;  // 0
  virtual uint32_t reportCount() = 0;                                         // 1: whole process
  virtual uint32_t lastIdentifier() = 0;                                      // 2: calling thread
  virtual TextI* lastText() = 0;                                              // 3: calling thread
  virtual void* saveState() = 0;                                              // 4
  virtual void restoreState(void* state) = 0;                                 // 5: consumes state
  virtual void clearState() = 0;                                              // 6
  virtual ErrorThreadI* attachThread() = 0;                                   // 7
  virtual void detachThread(ErrorThreadI* thread) = 0;                        // 8
};

// Ordinal 3, selector 2: the log (trace) service.
struct ModuleDescriptor {
  int32_t* handle;   // enable word, null until resolved
  const char* name;  // e.g. "Communication/Thread"
};

class LogServiceI {
 public:
  virtual int32_t interfaceVersion() = 0;                                   // 0
  virtual void reload() = 0;                                                // 1: re-read TNW_TRACE*
  virtual int32_t isEnabled(const char* module) = 0;                        // 2
  virtual void writeLine(const char* module, TextI* text) = 0;              // 3
  // 4: the enable word of `module` (stable for the process's life). When a
  // descriptor is given its handle is set too.
  virtual int32_t* resolve(const char* module, ModuleDescriptor* descriptor) = 0;
  // 5: formats and writes one trace line when the module is on.
  virtual void trace(const char* module, ModuleDescriptor* descriptor, TextI* format,
                     const ArgList* args) = 0;
};

// Message catalogs: slot order fetch, setLanguage, destroy. A process catalog
// installed by the embedding program has this shape.
class ErrCatalogI {
 public:
  // 0: *outText receives a text (never null) owned by the caller; defaultText
  // is borrowed; variants may be null.
  virtual void fetch(TextI** outText, int32_t* outStatus, uint32_t identifier,
                     TextI* defaultText, const char* variants) = 0;
  virtual void setLanguage(TextI* language) = 0;  // 1: borrowed
  virtual void destroy(uint32_t flags) = 0;       // 2
};

// Ordinal 6: selector -1 gives ProcessServiceI, -3 LocaleServiceI, -2
// TextProviderI.
class ProcessCatalogHolderI {
 public:
  virtual int32_t interfaceVersion() = 0;  // 0
  virtual ErrCatalogI* catalog() = 0;      // 1: null when none is installed
};

class ProcessServiceI {
 public:
  virtual int32_t interfaceVersion() = 0;                                // 0
  virtual void reserved1() = 0;                                          // 1
  virtual void reserved2() = 0;                                          // 2
  virtual void reserved3() = 0;                                          // 3
  virtual ProcessCatalogHolderI* catalogHolder(int32_t which) = 0;       // 4: which = 1
  // 5: installs (or, with null, removes) the process catalog. The catalog
  // stays the embedding program's; it must outlive its installation.
  virtual void installCatalog(ErrCatalogI* catalog) = 0;
};

class LocaleI {
 public:
  virtual TextI* language() = 0;     // 0: ISO 639-1, "en"
  virtual TextI* alternative() = 0;  // 1: ISO 639-2, "eng"
  virtual TextI* region() = 0;       // 2: ISO 3166, "US"
};

class LocaleServiceI {
 public:
  virtual LocaleI* locale(int32_t which) = 0;  // 0: 1 system, 2 user
};

class TextProviderI {
 public:
  virtual TextI* text(int32_t which) = 0;  // 0: 1 = the locale name, "en-US"
};

// Ordinal 7, selector 1: the registry. Keys are HKEY values; the predefined
// roots have their Windows numbers.
using RegKey = uintptr_t;
inline constexpr RegKey kHKeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHKeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHKeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHKeyUsers = 0x80000003u;
inline constexpr RegKey kHKeyCurrentConfig = 0x80000005u;

inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyWow64_64 = 0x0100;
inline constexpr uint32_t kKeyWow64_32 = 0x0200;

enum RegType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegQword = 11,
};

// Every operation taking a root accepts a predefined root, a remote root of
// the context, or a key it opened; key paths and value names are compared
// without regard to case; an empty value name is the key's default value.
class RegistryServiceI {
 public:
  // 0: kOk when the value exists, kRegNotFound when the key or value doesn't.
  virtual Status valueExists(RegKey root, TextI* keyPath, TextI* valueName, int32_t reserved1,
                             int32_t reserved2) = 0;
  virtual Status valueType(RegKey root, TextI* keyPath, TextI* valueName, uint32_t* type) = 0;  // 1
  // 2: REG_SZ and REG_EXPAND_SZ as stored, REG_DWORD/REG_QWORD in decimal,
  // REG_MULTI_SZ joined with ";"; other types kUnsupportedType.
  virtual Status readText(RegKey root, TextI* keyPath, TextI* valueName, TextI** out) = 0;
  // 3: a REG_MULTI_SZ (or a string value, as one item) as a list. *count
  // receives the number of items; with capacity smaller than that nothing is
  // stored and kMoreData comes back.
  virtual Status readMultiString(RegKey root, TextI* keyPath, TextI* valueName, TextI** items,
                                 int32_t capacity, int32_t* count) = 0;
  // 4: name and type of the index-th value of an open key; kNoMoreItems past
  // the last.
  virtual Status enumValue(RegKey key, uint32_t index, TextI** name, uint32_t* type) = 0;
  virtual Status openSubKey(RegKey key, TextI* subPath, RegKey* out) = 0;  // 5
  virtual Status reserved6() = 0;                                          // 6
  virtual Status enumSubKey(RegKey key, uint32_t index, TextI** name) = 0; // 7
  virtual Status closeKey(RegKey key) = 0;                                 // 8
  virtual Status reserved9() = 0;
  virtual Status reserved10() = 0;
  virtual Status reserved11() = 0;
  virtual Status reserved12() = 0;
  virtual Status reserved13() = 0;
  virtual Status reserved14() = 0;
  virtual Status reserved15() = 0;
  virtual Status reserved16() = 0;
  virtual Status reserved17() = 0;
  virtual TextI* rootName(RegKey root) = 0;  // 18: "HKEY_LOCAL_MACHINE", "" when not predefined
  virtual Status reserved19() = 0;
  virtual Status reserved20() = 0;
  virtual Status reserved21() = 0;
  // 22: opens root\subPath (empty: the root itself) with an access mask;
  // KEY_WOW64_64KEY / KEY_WOW64_32KEY choose the registry view for this key
  // and every path resolved below it.
  virtual Status openKey(RegKey root, TextI* subPath, uint32_t access, RegKey* out) = 0;
};

class RegistryContextI {
 public:
  virtual RegistryServiceI* service() = 0;        // 0
  virtual int32_t interfaceVersion() = 0;         // 1
  virtual void reload() = 0;                      // 2: re-read the environment
  virtual TextI* remoteMachineName() = 0;         // 3: "" for the local machine
  virtual void reserved4() = 0;                   // 4
  virtual void reserved5() = 0;                   // 5
  virtual RegKey remoteRoot(int32_t index) = 0;   // 6: 0 HKLM, 1 HKU of the remote; 0 when none
};

}  // namespace tnw

extern "C" {
TNW_EXPORT tnw::ErrorServiceI* TnwErrorService(int32_t version);        // ordinal 2
TNW_EXPORT tnw::LogServiceI* TnwLogService(int32_t version);            // ordinal 3
TNW_EXPORT tnw::TextServiceI* TnwTextService(int32_t version);          // ordinal 5
TNW_EXPORT void* TnwProcessService(int32_t selector);                   // ordinal 6
TNW_EXPORT tnw::RegistryContextI* TnwRegistryContext(int32_t version);  // ordinal 7
}
