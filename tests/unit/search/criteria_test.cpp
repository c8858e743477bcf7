#include "search/criteria.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using S = SearchSettings;
using P = PatternBitState;

std::vector<unsigned char> encoded(const S& s) {
  std::vector<unsigned char> bytes(kSearchSettingsBytes);
  encodeSearchSettings(s, bytes.data());
  return bytes;
}

// Each click gives the next value of the sequence and changes nothing but that field.
template <typename T, typename R>
void expectClicks(T S::*field, R (*click)(S&), T start, const std::vector<int>& sequence) {
  S s;
  s.*field = start;
  for (int value : sequence) {
    S expected = s;
    expected.*field = static_cast<T>(value);
    EXPECT_EQ(click(s), static_cast<R>(value)) << "from " << +start;
    EXPECT_EQ(encoded(s), encoded(expected)) << "from " << +start;
  }
}

}  // namespace

// DCARE -> ZERO -> ONE -> DCARE on bit 0 to 23, with ONE, ZERO and DCARE bits around it untouched.
TEST(PatternBitClicks, ClicksCycleOneBitOnly) {
  for (int bit = 0; bit < 24; ++bit) {
    const uint32_t m = 1u << bit;
    S s;
    s.oneMask = 0x00A5A5A5u & ~m;
    s.dontCareMask = (0x00FF00FFu & ~s.oneMask) | m;
    const uint32_t one = s.oneMask, dontCare = s.dontCareMask;
    const struct {
      P state;
      uint32_t one, dontCare;
    } steps[] = {{P::Zero, one, dontCare & ~m}, {P::One, one | m, dontCare & ~m}, {P::DontCare, one, dontCare}};
    for (const auto& step : steps) {
      EXPECT_EQ(clickPatternBit(s, bit), step.state) << "bit " << bit;
      EXPECT_EQ(patternBitState(s, bit), step.state) << "bit " << bit;
      EXPECT_EQ(s.oneMask, step.one) << "bit " << bit;
      EXPECT_EQ(s.dontCareMask, step.dontCare) << "bit " << bit;
    }
    s.oneMask |= m;  // DCARE outranks ONE
    EXPECT_EQ(patternBitState(s, bit), P::DontCare) << "bit " << bit;
  }
}

TEST(ChoiceAndGapClicks, EachCyclesItsValuesAndOutOfRangeStartsAgain) {
  expectClicks(&S::syncChoice, clickSyncChoice, 0, {1, 2, 0, 1});
  expectClicks(&S::errorChoice, clickErrorChoice, 0, {1, 2, 0, 1});
  expectClicks(&S::busChoice, clickBusChoice, 0, {1, 2, 3, 4, 0, 1});
  expectClicks(&S::syncChoice, clickSyncChoice, 7, {0, 1});
  expectClicks(&S::busChoice, clickBusChoice, -3, {0, 1});
  expectClicks(&S::gapMinEnabled, clickGapMinEnabled, uint8_t{0}, {1, 0});
  expectClicks(&S::gapMaxEnabled, clickGapMaxEnabled, uint8_t{5}, {0, 1, 0});
  expectClicks(&S::gapBefore, clickGapSide, uint8_t{1}, {0, 1});
}

TEST(GatherSearchCriteria, NumbersFromTheEditsAndStatus9) {
  struct Case {
    int32_t mode;
    uint8_t minOn, maxOn;
    const char *occurrence, *low, *high;
    StatusCode status;
    double occurrenceAfter, gapMin, gapMax;
  };
  const StatusCode ok = StatusCode::Success, bad = StatusCode::SyntaxError;
  const std::string tooLong(400, '9');
  const Case cases[] = {
      {0, 0, 0, "12", "", "", ok, 12, 0, 0},
      {0, 0, 0, "", "", "", bad, 5, 0, 0},
      {0, 0, 0, "0", "", "", bad, 5, 0, 0},
      {1, 0, 0, "x", "", "", ok, 5, 0, 0},  // count mode does not read the occurrence
      {0, 0, 0, "4294967297", "", "", ok, 4294967297.0, 0, 0},
      {1, 0, 0, "", "7", "9", ok, 5, 0, 0},  // disabled bounds are 0
      {1, 1, 1, "", "22", "1000", ok, 5, 22, 1000},
      {1, 1, 1, "", "100", "50", bad, 5, 100, 50},
      {1, 1, 1, "", "100", "", ok, 5, 100, 0},  // an upper bound of 0 is not compared
      {1, 1, 1, "", "5x", "8", bad, 5, 0, 8},   // a failing step skips none of the later ones
      {1, 0, 1, "", "", "-1", bad, 5, 0, 0},
      {1, 1, 0, "", tooLong.c_str(), "", bad, 5, 0, 0},
  };
  for (const Case& c : cases) {
    S s = {0, 5, 0, 0xFFFFFF, SyncAny, ErrorsDontCare, BusAny, 33, 44, c.minOn, c.maxOn, 1, c.mode, 5};
    const auto what = "case " + std::to_string(&c - cases);
    EXPECT_EQ(gatherSearchCriteria(s, c.occurrence, c.low, c.high), c.status) << what;
    EXPECT_EQ(s.occurrence, c.occurrenceAfter) << what;
    EXPECT_EQ(s.gapMin, c.gapMin) << what;
    EXPECT_EQ(s.gapMax, c.gapMax) << what;
  }
}
