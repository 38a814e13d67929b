#include "runtime/version/version_block.h"

#include <cstring>
#include <string_view>

namespace version_block {

namespace {

constexpr const char* kKeys[kSelectorCount] = {
    "Build Number", "CompanyName",   "LegalCopyright",  "OriginalFilename", "ProductName",     "Target Platform",
    "ProductVersion", "Comments",    "FileVersion",     "WinPE Version",    "FileDescription", "InternalName",
    "LegalTrademarks", "PrivateBuild", "SpecialBuild", "Language"};

size_t align4(size_t n) { return (n + 3) & ~size_t{3}; }

uint16_t word(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// One entry of the tree, its extent already clipped to its parent's.
struct EntryC {
  size_t begin = 0;
  size_t end = 0;         // begin + its length, clipped
  size_t declaredEnd = 0;  // begin + its length as written
  uint16_t valueLength = 0;
  size_t keyBegin = 0;
  size_t keyEnd = 0;  // after the key's terminator
};

class WalkerC {
 public:
  WalkerC(const uint8_t* block, size_t size, LayoutE layout) : b_(block), size_(size), layout_(layout) {}

  std::optional<ValueC> find(int selector) const {
    EntryC root;
    if (!entry(0, size_, root) || !keyIs(root, "VS_VERSION_INFO")) return std::nullopt;
    const size_t fixed = align4(root.keyEnd);
    if (fixed + kFixedInfoSize > root.end) return std::nullopt;
    const uint32_t signature = word(b_ + fixed) | (static_cast<uint32_t>(word(b_ + fixed + 2)) << 16);
    if (signature != kFixedSignature) return std::nullopt;
    if (selector == kFixedInfoSelector) return ValueC{b_ + fixed, kFixedInfoSize, layout_};
    const char* wanted = selectorKey(selector);
    if (!wanted) return std::nullopt;

    for (size_t at = align4(fixed + kFixedInfoSize); at < root.end;) {
      EntryC child;
      if (!entry(at, root.end, child) || child.declaredEnd > root.end) return std::nullopt;
      if (keyIs(child, "StringFileInfo")) return inStringFileInfo(child, selector, wanted);
      const size_t next = align4(child.declaredEnd);
      if (next <= at) return std::nullopt;
      at = next;
    }
    return std::nullopt;
  }

 private:
  std::optional<ValueC> inStringFileInfo(const EntryC& info, int selector, const char* wanted) const {
    EntryC table;
    const size_t first = align4(info.keyEnd);
    if (first >= info.end || !entry(first, info.end, table)) return std::nullopt;
    if (selector == kTableKeySelector)
      return ValueC{b_ + table.keyBegin, table.keyEnd - table.keyBegin, layout_};
    for (size_t at = align4(table.keyEnd); at < table.end;) {
      EntryC s;
      if (!entry(at, table.end, s)) return std::nullopt;
      if (keyIs(s, wanted)) {
        if (s.valueLength == 0) return ValueC{b_ + s.keyEnd, 0, layout_};
        const size_t value = align4(s.keyEnd);
        if (value >= s.end) return ValueC{b_ + s.end, 0, layout_};
        return ValueC{b_ + value, s.end - value, layout_};
      }
      const size_t next = align4(s.declaredEnd);
      if (next <= at) return std::nullopt;
      at = next;
    }
    return std::nullopt;
  }

  // Reads the header and key of the entry at `at`, inside [at, limit).
  // False when the header or the key's terminator is not inside.
  bool entry(size_t at, size_t limit, EntryC& e) const {
    const size_t header = layout_ == LayoutE::kWide ? 6 : 4;
    if (limit > size_ || at > limit || limit - at < header) return false;
    const uint16_t length = word(b_ + at);
    if (length < header) return false;
    e.begin = at;
    e.declaredEnd = at + length;
    e.end = e.declaredEnd < limit ? e.declaredEnd : limit;
    e.valueLength = word(b_ + at + 2);
    e.keyBegin = at + header;
    const size_t unit = layout_ == LayoutE::kWide ? 2 : 1;
    for (size_t p = e.keyBegin; p + unit <= e.end; p += unit) {
      if (b_[p] == 0 && (unit == 1 || b_[p + 1] == 0)) {
        e.keyEnd = p + unit;
        return true;
      }
    }
    return false;
  }

  // The key compared exactly: a UTF-16 key unit by unit with the ASCII text
  // widened.
  bool keyIs(const EntryC& e, std::string_view key) const {
    const size_t unit = layout_ == LayoutE::kWide ? 2 : 1;
    if ((e.keyEnd - e.keyBegin) / unit != key.size() + 1) return false;
    for (size_t i = 0; i < key.size(); ++i) {
      const uint8_t* p = b_ + e.keyBegin + i * unit;
      if (p[0] != static_cast<uint8_t>(key[i]) || (unit == 2 && p[1] != 0)) return false;
    }
    return true;
  }

  const uint8_t* b_;
  size_t size_;
  LayoutE layout_;
};

}  // namespace

const char* selectorKey(int selector) {
  return selector >= 0 && selector < kSelectorCount ? kKeys[selector] : nullptr;
}

std::optional<ValueC> find(const uint8_t* block, size_t size, int selector, LayoutE layout) {
  if (!block) return std::nullopt;
  return WalkerC(block, size, layout).find(selector);
}

std::optional<ValueC> find(const uint8_t* block, size_t size, int selector) {
  if (auto v = find(block, size, selector, LayoutE::kWide)) return v;
  return find(block, size, selector, LayoutE::kNarrow);
}

std::string narrow(const ValueC& value) {
  std::string out;
  if (value.layout == LayoutE::kWide) {
    for (size_t i = 0; i + 2 <= value.bytes; i += 2) {
      if (value.data[i] == 0 && value.data[i + 1] == 0) break;
      out += static_cast<char>(value.data[i]);
    }
  } else {
    for (size_t i = 0; i < value.bytes && value.data[i] != 0; ++i) out += static_cast<char>(value.data[i]);
  }
  return out;
}

}  // namespace version_block
