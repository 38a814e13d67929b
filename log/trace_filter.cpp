#include "log/trace_filter.h"

namespace {

// ASCII letters only: isalpha follows the locale, and a byte above 0x7F that
// a Latin-1 locale calls a letter would index the masks out of range.
bool alpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool digit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number, saturating far above 31.
int number(std::string_view s, size_t& i) {
  long n = 0;
  while (i < s.size() && digit(s[i])) {
    if (n < 100000) n = n * 10 + (s[i] - '0');
    ++i;
  }
  return static_cast<int>(n);
}

uint32_t bits(int from, int to) {
  if (from > 31 || to < from) return 0;
  if (to > 31) to = 31;
  uint32_t m = 0;
  for (int b = from; b <= to; ++b) m |= 1u << b;
  return m;
}

}  // namespace

void TraceC::clear() {
  for (auto& m : masks_) m = 0;
}

uint32_t TraceC::mask(char letter) const {
  const int i = letter - 'A';
  return i >= 0 && i < kLetters ? masks_[i] : 0;
}

bool TraceC::accepts(int letter, int32_t number) const {
  const int i = letter - 'A';
  if (i < 0 || i >= kLetters || number < 0 || number > 31) return false;
  return (masks_[i] >> number) & 1u;
}

bool TraceC::parse(std::string_view s) {
  clear();
  size_t i = 0;
  while (true) {
    while (i < s.size() && !alpha(s[i])) ++i;
    if (i >= s.size()) return true;
    const int letter = s[i] - 'A';
    ++i;
    if (i < s.size() && s[i] == '-') {
      ++i;
      int last;
      if (i >= s.size()) {
        last = 'z' - 'A';
      } else if (alpha(s[i])) {
        last = s[i] - 'A';
        ++i;
      } else {
        return false;
      }
      for (int l = letter; l <= last && l < kLetters; ++l) masks_[l] = 0xFFFFFFFFu;
      continue;
    }
    if (i >= s.size() || alpha(s[i])) {
      masks_[letter] = 0xFFFFFFFFu;
      continue;
    }
    if (s[i] == ',') {
      masks_[letter] = 0xFFFFFFFFu;
      ++i;
      continue;
    }
    if (!digit(s[i])) {
      ++i;
      continue;
    }
    while (i < s.size() && digit(s[i])) {
      const int from = number(s, i);
      int to = from;
      if (i < s.size() && s[i] == '-') {
        ++i;
        if (i < s.size() && digit(s[i])) {
          to = number(s, i);
        } else if (i >= s.size() || s[i] == ',' || alpha(s[i])) {
          to = 31;
        } else {
          return false;
        }
      }
      masks_[letter] |= bits(from, to);
      if (i < s.size() && s[i] == ',') ++i;
    }
  }
}
