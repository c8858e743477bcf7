#include "search/criteria.h"

#include <cmath>

#include "common/decimal_field.h"

namespace {

constexpr uint32_t kPatternBits = 0x00FFFFFFu;

bool isPatternBit(int bit) { return bit >= 0 && bit <= 23; }

// The next value of a choice group of `count` values; anything out of range starts again at 0.
int32_t nextChoice(int32_t& choice, int32_t count) {
  choice = (choice >= 0 && choice < count - 1) ? choice + 1 : 0;
  return choice;
}

uint8_t flip(uint8_t& flag) {
  flag = flag != 0 ? 0 : 1;
  return flag;
}

// A digits-only number; false for a bad character or a number too long to be held.
bool readNumber(const char* text, double& value) {
  uint16_t syntaxError = 0;
  value = parseDecimalField(text != nullptr ? text : "", syntaxError);
  return syntaxError == 0 && std::isfinite(value);
}

}  // namespace

PatternBitState patternBitState(const SearchSettings& settings, int bit) {
  if (!isPatternBit(bit)) return PatternBitState::DontCare;
  const uint32_t m = 1u << bit;
  if (settings.dontCareMask & m) return PatternBitState::DontCare;
  if (settings.oneMask & m) return PatternBitState::One;
  return PatternBitState::Zero;
}

PatternBitState clickPatternBit(SearchSettings& settings, int bit) {
  if (!isPatternBit(bit)) return PatternBitState::DontCare;
  const uint32_t m = 1u << bit;
  const uint32_t k = kPatternBits & ~m;
  switch (patternBitState(settings, bit)) {
    case PatternBitState::DontCare:
      settings.dontCareMask &= k;
      settings.oneMask &= k;
      return PatternBitState::Zero;
    case PatternBitState::One:
      settings.dontCareMask |= m;
      settings.oneMask &= k;
      return PatternBitState::DontCare;
    case PatternBitState::Zero:
    default:
      settings.dontCareMask &= k;
      settings.oneMask |= m;
      return PatternBitState::One;
  }
}

int32_t clickSyncChoice(SearchSettings& settings) { return nextChoice(settings.syncChoice, 3); }
int32_t clickErrorChoice(SearchSettings& settings) { return nextChoice(settings.errorChoice, 3); }
int32_t clickBusChoice(SearchSettings& settings) { return nextChoice(settings.busChoice, 5); }

uint8_t clickGapMinEnabled(SearchSettings& settings) { return flip(settings.gapMinEnabled); }
uint8_t clickGapMaxEnabled(SearchSettings& settings) { return flip(settings.gapMaxEnabled); }
uint8_t clickGapSide(SearchSettings& settings) { return flip(settings.gapBefore); }

StatusCode gatherSearchCriteria(SearchSettings& settings, const char* occurrenceText, const char* gapMinText,
                                const char* gapMaxText) {
  StatusCode status = StatusCode::Success;
  settings.gapMin = 0.0;
  settings.gapMax = 0.0;

  if (settings.searchMode == 0) {
    double value = 0.0;
    if (!readNumber(occurrenceText, value) || value == 0.0) {
      status = StatusCode::SyntaxError;
    } else {
      settings.occurrence = value;
    }
  }
  if (settings.gapMinEnabled != 0) {
    double value = 0.0;
    if (readNumber(gapMinText, value)) {
      settings.gapMin = value;
    } else {
      status = StatusCode::SyntaxError;
    }
  }
  if (settings.gapMaxEnabled != 0) {
    double value = 0.0;
    if (readNumber(gapMaxText, value)) {
      settings.gapMax = value;
    } else {
      status = StatusCode::SyntaxError;
    }
  }
  if (settings.gapMin != 0.0 && settings.gapMax != 0.0 && settings.gapMin > settings.gapMax) {
    status = StatusCode::SyntaxError;
  }
  return status;
}
