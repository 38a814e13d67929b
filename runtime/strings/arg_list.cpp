#include "runtime/strings/arg_list.h"

#include <deque>
#include <string_view>
#include <vector>

#include "common/printf_directive.h"
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
// A moved-from list holds no implementation: it reads as empty, and the
// first addition or copy into it makes a new one.
ArgListC::ArgListC(const ArgListC& other) : ArgListC() {
  if (other.impl_) impl_->copyFrom(*other.impl_);
}
ArgListC& ArgListC::operator=(const ArgListC& other) {
  if (this == &other) return *this;
  if (other.impl_)
    mutableImpl().copyFrom(*other.impl_);
  else
    impl_.reset();
  return *this;
}
ArgListC::ArgListImplC& ArgListC::mutableImpl() {
  if (!impl_) impl_ = std::make_unique<ArgListImplC>();
  return *impl_;
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

ArgListC& ArgListC::addInt16(int16_t v) { return mutableImpl().push(integer(tnw::kArgInt16, v)), *this; }
ArgListC& ArgListC::addUInt16(uint16_t v) { return mutableImpl().push(integer(tnw::kArgUInt16, v)), *this; }
ArgListC& ArgListC::addInt32(int32_t v) { return mutableImpl().push(integer(tnw::kArgInt32, v)), *this; }
ArgListC& ArgListC::addUInt32(uint32_t v) { return mutableImpl().push(integer(tnw::kArgUInt32, v)), *this; }
ArgListC& ArgListC::addInt64(int64_t v) { return mutableImpl().push(integer(tnw::kArgInt64, v)), *this; }
ArgListC& ArgListC::addUInt64(uint64_t v) {
  return mutableImpl().push(integer(tnw::kArgUInt64, static_cast<int64_t>(v))), *this;
}
ArgListC& ArgListC::addPointer(const void* v) {
  auto a = make(tnw::kArgPointer);
  a.v.p = v;
  mutableImpl().push(a);
  return *this;
}
ArgListC& ArgListC::addChar(char32_t v) { return mutableImpl().push(integer(tnw::kArgChar, static_cast<int64_t>(v))), *this; }
ArgListC& ArgListC::addNarrow(const char* v) {
  auto a = make(tnw::kArgNarrow);
  if (v) {
    mutableImpl().narrows.emplace_back(v);
    a.v.narrow = mutableImpl().narrows.back().c_str();
  } else {
    a.v.narrow = nullptr;
  }
  mutableImpl().push(a);
  return *this;
}
ArgListC& ArgListC::addString(const StringC& v) {
  mutableImpl().strings.push_back(v);
  auto a = make(tnw::kArgText);
  a.v.text = mutableImpl().strings.back().text();
  mutableImpl().push(a);
  return *this;
}
ArgListC& ArgListC::addDouble(double v) {
  auto a = make(tnw::kArgDouble);
  a.v.d = v;
  mutableImpl().push(a);
  return *this;
}
ArgListC& ArgListC::add(const KVAStringC& v) { return addString(v.toStringC()); }

int32_t ArgListC::count() const { return impl_ ? static_cast<int32_t>(impl_->items.size()) : 0; }

const tnw::ArgList* ArgListC::abi() const {
  static const tnw::ArgList none{0, nullptr};
  return impl_ ? &impl_->abi : &none;
}

namespace {

namespace pf = common::printf_format;

int32_t abiType(pf::Takes takes) {
  switch (takes) {
    case pf::Takes::kSigned: return tnw::kArgInt32;
    case pf::Takes::kUnsigned: return tnw::kArgUInt32;
    case pf::Takes::kChar: return tnw::kArgChar;
    case pf::Takes::kNarrow: return tnw::kArgNarrow;
    case pf::Takes::kText: return tnw::kArgText;
    case pf::Takes::kPointer: case pf::Takes::kCount: return tnw::kArgPointer;
    case pf::Takes::kDouble: return tnw::kArgDouble;
    case pf::Takes::kNothing: break;
  }
  return 0;
}

}  // namespace

int ArgListC::scanFormat(const char* format, int32_t types[kMaxPositions + 1], int32_t lengths[kMaxPositions + 1]) {
  for (int i = 0; i <= kMaxPositions; ++i) types[i] = lengths[i] = 0;
  if (!format) return 0;
  const std::string_view f(format);
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
  for (size_t i = 0; i < f.size();) {
    if (f[i] != '%') {
      ++i;
      continue;
    }
    const pf::Directive d = pf::readDirective(f, i, next);
    i = d.end;
    if (d.width.form == pf::Amount::Form::kStar) record(d.width.value, tnw::kArgInt32, 0);
    if (d.precision.form == pf::Amount::Form::kStar) record(d.precision.value, tnw::kArgInt32, 0);
    if (d.kind == pf::Kind::kConversion) record(d.argument, abiType(d.takes), static_cast<int32_t>(d.length));
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
  using L = pf::Length;
  for (int pos = 1; pos <= highest; ++pos) {
    const auto len = static_cast<L>(lengths[pos]);
    switch (types[pos]) {
      case tnw::kArgInt32:
        if (len == L::kLL) list.addInt64(va_arg(args, long long));
        else if (len == L::kL) list.add(va_arg(args, long));
        else if (len == L::kZ || len == L::kT) list.addInt64(static_cast<int64_t>(va_arg(args, ptrdiff_t)));
        else if (len == L::kH || len == L::kHH) list.addInt16(static_cast<int16_t>(va_arg(args, int)));
        else list.addInt32(va_arg(args, int));
        break;
      case tnw::kArgUInt32:
        if (len == L::kLL) list.addUInt64(va_arg(args, unsigned long long));
        else if (len == L::kL) list.add(va_arg(args, unsigned long));
        else if (len == L::kZ || len == L::kT) list.addUInt64(va_arg(args, size_t));
        else if (len == L::kH || len == L::kHH) list.addUInt16(static_cast<uint16_t>(va_arg(args, unsigned)));
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
        if (len == L::kBigL) list.addDouble(static_cast<double>(va_arg(args, long double)));
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
