// The walker of a version resource block (VS_VERSIONINFO), in either of its
// two layouts: UTF-16 (entries: length, value length, type, key) and the
// older 8-bit one (length, value length, key). Every length in the block is
// untrusted: nothing is read outside [block, block + size), and a malformed
// block yields "not found", never a fault. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace version_block {

// The selector table: index -> key of the string table. Index 9 stands for
// the fixed-information block, index 15 for the first string table's key.
inline constexpr int kSelectorCount = 16;
inline constexpr int kFixedInfoSelector = 9;
inline constexpr int kTableKeySelector = 15;
// Null for an index outside the table.
const char* selectorKey(int selector);

inline constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
inline constexpr size_t kFixedInfoSize = 52;

enum class LayoutE { kWide, kNarrow };

// Where a value lies in the block: `bytes` never reaches past the entry that
// holds it nor past the block.
struct ValueC {
  const uint8_t* data = nullptr;
  size_t bytes = 0;
  LayoutE layout = LayoutE::kWide;
};

// Walks one layout. Selector 9 gives the 52-byte fixed block; 15 the key of
// the first string table; others the value of that key in the first string
// table (exact, case-sensitive comparison). Nothing when the root key is not
// "VS_VERSION_INFO", the signature is wrong, the key is missing or the block
// is malformed.
std::optional<ValueC> find(const uint8_t* block, size_t size, int selector, LayoutE layout);

// The UTF-16 layout first, then the 8-bit one.
std::optional<ValueC> find(const uint8_t* block, size_t size, int selector);

// A value as 8-bit text: up to its first NUL; a UTF-16 value keeps the low
// byte of each unit.
std::string narrow(const ValueC& value);

}  // namespace version_block
