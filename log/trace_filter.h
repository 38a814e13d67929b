// TraceC: which (letter, number) pairs a logger writes. One 32-bit mask per
// letter from "A" to "z" (58 codes, the six between "Z" and "a" included);
// bit n of a letter's mask enables that letter with number n.
//
// Filter grammar: letters, each optionally followed by numbers (any other
// character after a letter is passed over, so "G P" enables only P):
//   G          every G number          G0-3,P2   G 0 to 3 and P 2
//   GP         all of G and P          G5-       G 5 to 31
//   A-z        every letter A to z, both ends included
//   B-         B and every letter after it
// Numbers above 31 are ignored and ranges end at 31. A parse that fails
// keeps what was set before the failure.
#pragma once

#include <cstdint>
#include <string_view>

class TraceC {
 public:
  static constexpr int kLetters = 58;

  void clear();
  // Clears, then reads a filter text such as "G0-3,P2"; false when it was
  // malformed.
  bool parse(std::string_view text);
  // Letter A..z and number 0..31 (the whole number: 256 is refused).
  bool accepts(int letter, int32_t number) const;
  uint32_t mask(char letter) const;

 private:
  uint32_t masks_[kLetters] = {};
};

class IndentedTraceC : public TraceC {
 public:
  // "TraceDepthMultiplier" replaces the default of 2 when it is a number.
  void setDepthMultiplier(int m) { multiplier_ = m; }
  int depthMultiplier() const { return multiplier_; }
  void enter() { ++depth_; }
  void leave() {
    if (depth_ > 0) --depth_;
  }
  int indentation() const { return depth_ * multiplier_; }

 private:
  int multiplier_ = 2;
  int depth_ = 0;
};
