// ArgListC: a typed argument list for message texts in the positional
// printf form ("%1$S", "%2$#x", "%3$d"). "%S" and "%s" take a StringC or a
// narrow text; narrow texts are UTF-8 and copied into the list.
//
// The list can also be marshalled from a C variable argument list: the
// format is scanned first to learn the type of every argument position (at
// most kMaxPositions), then the arguments are read in position order. There
// "%S" takes a `const StringC*`. Reading stops at the first position the
// format does not name, since its type (and so where the next one starts)
// is unknown; later positions then format as empty text.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "runtime/strings/string_c.h"
#include "tnwcmn/tnwcmn.h"

class KVAStringC;

class ArgListC {
 public:
  static constexpr int kMaxPositions = 128;

  ArgListC();
  // A list of one integer.
  ArgListC(int32_t value);  // NOLINT: implicit by design
  ArgListC(const ArgListC& other);
  ArgListC& operator=(const ArgListC& other);
  ArgListC(ArgListC&&) noexcept;
  ArgListC& operator=(ArgListC&&) noexcept;
  ~ArgListC();

  ArgListC& addInt16(int16_t v);
  ArgListC& addUInt16(uint16_t v);
  ArgListC& addInt32(int32_t v);
  ArgListC& addUInt32(uint32_t v);
  ArgListC& addInt64(int64_t v);
  ArgListC& addUInt64(uint64_t v);
  ArgListC& addPointer(const void* v);
  ArgListC& addChar(char32_t v);
  ArgListC& addNarrow(const char* v);  // null formats as "(null)"
  ArgListC& addString(const StringC& v);
  ArgListC& addDouble(double v);

  ArgListC& add(int16_t v) { return addInt16(v); }
  ArgListC& add(uint16_t v) { return addUInt16(v); }
  ArgListC& add(int32_t v) { return addInt32(v); }
  ArgListC& add(uint32_t v) { return addUInt32(v); }
  ArgListC& add(long v) { return sizeof(long) == 8 ? addInt64(v) : addInt32(static_cast<int32_t>(v)); }
  ArgListC& add(unsigned long v) {
    return sizeof(long) == 8 ? addUInt64(v) : addUInt32(static_cast<uint32_t>(v));
  }
  ArgListC& add(long long v) { return addInt64(v); }
  ArgListC& add(unsigned long long v) { return addUInt64(v); }
  ArgListC& add(char v) { return addChar(static_cast<unsigned char>(v)); }
  ArgListC& add(char32_t v) { return addChar(v); }
  ArgListC& add(double v) { return addDouble(v); }
  ArgListC& add(const char* v) { return addNarrow(v); }
  ArgListC& add(const std::string& v) { return addNarrow(v.c_str()); }
  ArgListC& add(const StringC& v) { return addString(v); }
  ArgListC& add(const KVAStringC& v);
  template <typename T>
  ArgListC& add(T* v) requires(!std::is_same_v<std::remove_cv_t<T>, char>) {
    return addPointer(v);
  }

  // ArgListC::of(1, "text", someString)
  template <typename... A>
  static ArgListC of(const A&... a) {
    ArgListC list;
    (list.add(a), ...);
    return list;
  }

  static ArgListC fromVaList(const char* format, va_list ap);
  static ArgListC fromVa(const char* format, ...);

  int32_t count() const;
  const tnw::ArgList* abi() const;

  // The type the format gives each position 1..kMaxPositions (0 where the
  // format names none; the first directive naming a position decides) and
  // its length prefix (a common::printf_format::Length value); returns the
  // highest position named. The grammar is common/printf_directive.h, the
  // formatter's own.
  static int scanFormat(const char* format, int32_t types[kMaxPositions + 1], int32_t lengths[kMaxPositions + 1]);

  class ArgListImplC;

 private:
  ArgListImplC& mutableImpl();
  std::unique_ptr<ArgListImplC> impl_;
};
