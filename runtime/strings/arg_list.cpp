#include "runtime/strings/arg_list.h"

#include <cstring>
#include <deque>
#include <vector>

#include "runtime/strings/kva_string.h"

class ArgListC::ArgListImplC {
 public:
  std::vector<tnw::Arg> items;
  std::vector<StringC> strings;  // keep the texts of kArgText items alive
  std::deque<std::string> narrows;
  tnw::ArgList abi{0, nullptr};

  void push(tnw::Arg a) {
    items.push_back(a);
    abi.count = static_cast<int32_t>(items.size());
    abi.items = items.data();
  }

  // Copies rebuild the pointers into their own storage.
  void copyFrom(const ArgListImplC& o) {
    items.clear();
    strings.clear();
    narrows.clear();
    size_t s = 0;
    for (tnw::Arg a : o.items) {
      if (a.type == tnw::kArgText) {
        strings.push_back(o.strings[s++]);
        a.v.text = strings.back().text();
      } else if (a.type == tnw::kArgNarrow && a.v.narrow) {
        narrows.emplace_back(a.v.narrow);
        a.v.narrow = narrows.back().c_str();
      }
      items.push_back(a);
    }
    abi.count = static_cast<int32_t>(items.size());
    abi.items = items.data();
  }
};

namespace {
tnw::Arg make(int32_t type) {
  tnw::Arg a{};
  a.type = type;
  return a;
}
}  // namespace

ArgListC::ArgListC() : impl_(new ArgListImplC) {}
ArgListC::ArgListC(int32_t value) : ArgListC() { addInt32(value); }
ArgListC::ArgListC(const ArgListC& other) : ArgListC() { impl_->copyFrom(*other.impl_); }
ArgListC& ArgListC::operator=(const ArgListC& other) {
  if (this != &other) impl_->copyFrom(*other.impl_);
  return *this;
}
ArgListC::ArgListC(ArgListC&& other) noexcept : impl_(std::move(other.impl_)) {}
ArgListC& ArgListC::operator=(ArgListC&& other) noexcept {
  impl_ = std::move(other.impl_);
  return *this;
}
ArgListC::~ArgListC() = default;

namespace {
tnw::Arg integer(int32_t type, int64_t v) {
  tnw::Arg a = make(type);
  a.v.i = v;
  return a;
}
}  // namespace

ArgListC& ArgListC::addInt16(int16_t v) { return impl_->push(integer(tnw::kArgInt16, v)), *this; }
ArgListC& ArgListC::addUInt16(uint16_t v) { return impl_->push(integer(tnw::kArgUInt16, v)), *this; }
ArgListC& ArgListC::addInt32(int32_t v) { return impl_->push(integer(tnw::kArgInt32, v)), *this; }
ArgListC& ArgListC::addUInt32(uint32_t v) { return impl_->push(integer(tnw::kArgUInt32, v)), *this; }
ArgListC& ArgListC::addInt64(int64_t v) { return impl_->push(integer(tnw::kArgInt64, v)), *this; }
ArgListC& ArgListC::addUInt64(uint64_t v) {
  return impl_->push(integer(tnw::kArgUInt64, static_cast<int64_t>(v))), *this;
}
ArgListC& ArgListC::addPointer(const void* v) {
  auto a = make(tnw::kArgPointer);
  a.v.p = v;
  impl_->push(a);
  return *this;
}
ArgListC& ArgListC::addChar(char32_t v) { return impl_->push(integer(tnw::kArgChar, static_cast<int64_t>(v))), *this; }
ArgListC& ArgListC::addNarrow(const char* v) {
  auto a = make(tnw::kArgNarrow);
  if (v) {
    impl_->narrows.emplace_back(v);
    a.v.narrow = impl_->narrows.back().c_str();
  } else {
    a.v.narrow = nullptr;
  }
  impl_->push(a);
  return *this;
}
ArgListC& ArgListC::addString(const StringC& v) {
  impl_->strings.push_back(v);
  auto a = make(tnw::kArgText);
  a.v.text = impl_->strings.back().text();
  impl_->push(a);
  return *this;
}
ArgListC& ArgListC::addDouble(double v) {
  auto a = make(tnw::kArgDouble);
  a.v.d = v;
  impl_->push(a);
  return *this;
}
ArgListC& ArgListC::add(const KVAStringC& v) { return addString(v.toStringC()); }

int32_t ArgListC::count() const { return impl_ ? static_cast<int32_t>(impl_->items.size()) : 0; }

const tnw::ArgList* ArgListC::abi() const {
  static const tnw::ArgList none{0, nullptr};
  return impl_ ? &impl_->abi : &none;
}

namespace {

// What the scan records of a length prefix.
enum Length : int32_t { kLenNone, kLenHH, kLenH, kLenL, kLenLL, kLenZ, kLenT, kLenBigL };

bool digit(char c) { return c >= '0' && c <= '9'; }

int number(const char*& p) {
  long n = 0;
  while (digit(*p)) {
    if (n < 100000) n = n * 10 + (*p - '0');
    ++p;
  }
  return static_cast<int>(n);
}

int position(const char*& p) {
  const char* q = p;
  if (!digit(*q)) return 0;
  int n = number(q);
  if (*q != '$') return 0;
  p = q + 1;
  return n > 0 ? n : -1;
}

}  // namespace

int ArgListC::scanFormat(const char* f, int32_t types[kMaxPositions + 1], int32_t lengths[kMaxPositions + 1]) {
  for (int i = 0; i <= kMaxPositions; ++i) types[i] = lengths[i] = 0;
  if (!f) return 0;
  int next = 1;
  int highest = 0;
  auto record = [&](int pos, int32_t type, int32_t len) {
    if (pos <= 0 || pos > kMaxPositions) return;
    if (types[pos] == 0) {
      types[pos] = type;
      lengths[pos] = len;
    }
    if (pos > highest) highest = pos;
  };
  for (const char* p = f; *p && next <= kMaxPositions + 1 && highest < kMaxPositions;) {
    if (*p++ != '%') continue;
    if (*p == '%') {
      ++p;
      continue;
    }
    int pos = position(p);
    while (*p && std::strchr("-+ #0'", *p)) ++p;
    for (int part = 0; part < 2; ++part) {
      if (part == 1) {
        if (*p != '.') break;
        ++p;
      }
      if (*p == '*') {
        ++p;
        int sp = position(p);
        record(sp ? sp : next++, tnw::kArgInt32, kLenNone);
      } else {
        number(p);
      }
    }
    int32_t len = kLenNone;
    for (bool more = true; more && *p;) {
      switch (*p) {
        case 'h': len = len == kLenH ? kLenHH : kLenH; ++p; break;
        case 'l': len = len == kLenL ? kLenLL : kLenL; ++p; break;
        case 'q': case 'j': len = kLenLL; ++p; break;
        case 'L': len = kLenBigL; ++p; break;
        case 'z': len = kLenZ; ++p; break;
        case 't': len = kLenT; ++p; break;
        case 'w': ++p; break;
        case 'I':
          ++p;
          if (p[0] == '6' && p[1] == '4') len = kLenLL, p += 2;
          else if (p[0] == '3' && p[1] == '2') p += 2;
          else len = kLenZ;
          break;
        default: more = false;
      }
    }
    if (!*p) break;
    const char conv = *p++;
    int32_t type;
    switch (conv) {
      case 'd': case 'i': type = tnw::kArgInt32; break;
      case 'u': case 'o': case 'x': case 'X': type = tnw::kArgUInt32; break;
      case 'c': case 'C': type = tnw::kArgChar; break;
      case 's': type = tnw::kArgNarrow; break;
      case 'S': type = tnw::kArgText; break;
      case 'p': case 'n': type = tnw::kArgPointer; break;
      case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A': type = tnw::kArgDouble; break;
      default: continue;  // not a conversion: takes no argument
    }
    record(pos ? pos : next++, type, len);
  }
  return highest;
}

ArgListC ArgListC::fromVaList(const char* format, va_list ap) {
  int32_t types[kMaxPositions + 1];
  int32_t lengths[kMaxPositions + 1];
  const int highest = scanFormat(format, types, lengths);
  ArgListC list;
  va_list args;
  va_copy(args, ap);
  for (int pos = 1; pos <= highest; ++pos) {
    const int32_t len = lengths[pos];
    switch (types[pos]) {
      case tnw::kArgInt32:
        if (len == kLenLL) list.addInt64(va_arg(args, long long));
        else if (len == kLenL) list.add(va_arg(args, long));
        else if (len == kLenZ || len == kLenT) list.addInt64(static_cast<int64_t>(va_arg(args, ptrdiff_t)));
        else if (len == kLenH || len == kLenHH) list.addInt16(static_cast<int16_t>(va_arg(args, int)));
        else list.addInt32(va_arg(args, int));
        break;
      case tnw::kArgUInt32:
        if (len == kLenLL) list.addUInt64(va_arg(args, unsigned long long));
        else if (len == kLenL) list.add(va_arg(args, unsigned long));
        else if (len == kLenZ || len == kLenT) list.addUInt64(va_arg(args, size_t));
        else if (len == kLenH || len == kLenHH) list.addUInt16(static_cast<uint16_t>(va_arg(args, unsigned)));
        else list.addUInt32(va_arg(args, unsigned));
        break;
      case tnw::kArgChar: list.addChar(static_cast<char32_t>(va_arg(args, int))); break;
      case tnw::kArgNarrow: list.addNarrow(va_arg(args, const char*)); break;
      case tnw::kArgText: {
        const StringC* s = va_arg(args, const StringC*);
        list.addString(s ? *s : StringC());
        break;
      }
      case tnw::kArgPointer: list.addPointer(va_arg(args, void*)); break;
      case tnw::kArgDouble:
        if (len == kLenBigL) list.addDouble(static_cast<double>(va_arg(args, long double)));
        else list.addDouble(va_arg(args, double));
        break;
      default:
        // A position the format never names: its size is unknown, so
        // nothing after it can be read safely.
        va_end(args);
        return list;
    }
  }
  va_end(args);
  return list;
}

ArgListC ArgListC::fromVa(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  ArgListC list = fromVaList(format, ap);
  va_end(ap);
  return list;
}
