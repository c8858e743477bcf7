#include "tools/qeltool/pattern_text.h"

namespace {
constexpr int kPatternBits = 24;
}

bool parsePatternText(const std::string& text, uint32_t& oneMask, uint32_t& dontCareMask) {
  uint32_t ones = 0;
  uint32_t dontCare = 0;
  int bits = 0;
  for (const char c : text) {
    if (c == '_' || c == ' ') continue;
    if (bits == kPatternBits) return false;
    ones <<= 1;
    dontCare <<= 1;
    if (c == '1') {
      ones |= 1;
    } else if (c == 'x' || c == 'X') {
      dontCare |= 1;
    } else if (c != '0') {
      return false;
    }
    ++bits;
  }
  if (bits == 0) {
    oneMask = 0;
    dontCareMask = (1u << kPatternBits) - 1;
    return true;
  }
  if (bits != kPatternBits) return false;
  oneMask = ones;
  dontCareMask = dontCare;
  return true;
}
