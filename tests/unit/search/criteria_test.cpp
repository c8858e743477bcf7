#include "search/criteria.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SearchSettings defaults() {
  SearchSettings s;
  setSearchDefaults(s);
  return s;
}

}  // namespace

TEST(PatternBitClicks, ThreeClicksReturnEveryBitToWhereItStarted) {
  for (int bit = 0; bit < 24; ++bit) {
    const uint32_t m = 1u << bit;
    // From each starting state: DCARE (defaults), ZERO and ONE.
    for (int start = 0; start < 3; ++start) {
      SearchSettings s = defaults();
      s.oneMask = 0x00A5A5A5u & ~m;
      s.dontCareMask = 0x00FFFFFFu & ~s.oneMask;
      for (int i = 0; i < start; ++i) clickPatternBit(s, bit);
      const SearchSettings before = s;
      const PatternBitState startState = patternBitState(s, bit);
      PatternBitState expected = startState;
      for (int click = 0; click < 3; ++click) {
        expected = expected == PatternBitState::Zero  ? PatternBitState::One
                   : expected == PatternBitState::One ? PatternBitState::DontCare
                                                      : PatternBitState::Zero;
        EXPECT_EQ(clickPatternBit(s, bit), expected) << "bit " << bit << " click " << click;
        EXPECT_EQ(patternBitState(s, bit), expected) << "bit " << bit;
        EXPECT_EQ(s.oneMask & s.dontCareMask, 0u) << "bit " << bit << ": a bit in both masks";
        EXPECT_EQ((s.oneMask | s.dontCareMask) & 0xFF000000u, 0u) << "bit " << bit;
        EXPECT_EQ((s.oneMask ^ before.oneMask) & ~m, 0u) << "bit " << bit << ": another bit changed";
        EXPECT_EQ((s.dontCareMask ^ before.dontCareMask) & ~m, 0u) << "bit " << bit << ": another bit changed";
      }
      EXPECT_EQ(s.oneMask, before.oneMask) << "bit " << bit;
      EXPECT_EQ(s.dontCareMask, before.dontCareMask) << "bit " << bit;
    }
  }
}

TEST(PatternBitClicks, RightmostAndLeftmostColumnsAreBits0And23) {
  struct Case {
    int bit;
    uint32_t oneAfterTwo, dontCareAfterOne;
  };
  const Case cases[] = {{0, 0x000001u, 0xFFFFFEu}, {23, 0x800000u, 0x7FFFFFu}};
  for (const Case& c : cases) {
    SearchSettings s = defaults();
    EXPECT_EQ(clickPatternBit(s, c.bit), PatternBitState::Zero);
    EXPECT_EQ(s.dontCareMask, c.dontCareAfterOne);
    EXPECT_EQ(s.oneMask, 0u);
    EXPECT_EQ(clickPatternBit(s, c.bit), PatternBitState::One);
    EXPECT_EQ(s.oneMask, c.oneAfterTwo);
    EXPECT_EQ(s.dontCareMask, c.dontCareAfterOne);
  }
}

TEST(PatternBitClicks, DontCareOutranksOneInTheState) {
  SearchSettings s = defaults();
  s.oneMask = 0x10;
  s.dontCareMask = 0x10;
  EXPECT_EQ(patternBitState(s, 4), PatternBitState::DontCare);
  s.dontCareMask = 0;
  EXPECT_EQ(patternBitState(s, 4), PatternBitState::One);
  EXPECT_EQ(patternBitState(s, 3), PatternBitState::Zero);
}

TEST(ChoiceClicks, EachGroupCyclesThroughItsValues) {
  struct Case {
    const char* group;
    int32_t SearchSettings::*field;
    int32_t (*click)(SearchSettings&);
    int32_t start;
    std::vector<int32_t> sequence;
  };
  const Case cases[] = {
      {"sync", &SearchSettings::syncChoice, clickSyncChoice, SyncCmd, {1, 2, 0, 1}},
      {"errors", &SearchSettings::errorChoice, clickErrorChoice, NoErrors, {1, 2, 0, 1}},
      {"bus", &SearchSettings::busChoice, clickBusChoice, BusAny, {1, 2, 3, 4, 0, 1}},
      {"sync beyond its values", &SearchSettings::syncChoice, clickSyncChoice, 7, {0, 1}},
      {"bus below its values", &SearchSettings::busChoice, clickBusChoice, -3, {0, 1}},
  };
  for (const Case& c : cases) {
    SearchSettings s = defaults();
    s.*c.field = c.start;
    for (size_t i = 0; i < c.sequence.size(); ++i) {
      EXPECT_EQ(c.click(s), c.sequence[i]) << c.group << " click " << i;
      EXPECT_EQ(s.*c.field, c.sequence[i]) << c.group << " click " << i;
    }
  }
}

TEST(GapClicks, EachFlagFlipsBetweenZeroAndOne) {
  struct Case {
    const char* flag;
    uint8_t SearchSettings::*field;
    uint8_t (*click)(SearchSettings&);
  };
  const Case cases[] = {{"gapMinEnabled", &SearchSettings::gapMinEnabled, clickGapMinEnabled},
                        {"gapMaxEnabled", &SearchSettings::gapMaxEnabled, clickGapMaxEnabled},
                        {"gapBefore", &SearchSettings::gapBefore, clickGapSide}};
  for (const Case& c : cases) {
    SearchSettings s = defaults();
    const uint8_t start = s.*c.field;
    const int othersBefore = s.gapMinEnabled + s.gapMaxEnabled + s.gapBefore - start;
    EXPECT_EQ(c.click(s), start ? 0 : 1) << c.flag;
    EXPECT_EQ(s.gapMinEnabled + s.gapMaxEnabled + s.gapBefore - (s.*c.field), othersBefore)
        << c.flag << ": another flag changed";
    EXPECT_EQ(c.click(s), start) << c.flag;
    s.*c.field = 5;
    EXPECT_EQ(c.click(s), 0) << c.flag << " from 5";
  }
}

TEST(GatherSearchCriteria, NumbersFromTheEditsAndStatus9) {
  struct Case {
    const char* what;
    int32_t mode;
    uint8_t minOn, maxOn;
    const char *occurrence, *low, *high;
    StatusCode status;
    double occurrenceAfter, gapMin, gapMax;
  };
  const StatusCode ok = StatusCode::Success, bad = StatusCode::SyntaxError;
  const std::string tooLong(400, '9');
  const Case cases[] = {
      {"occurrence 12", 0, 0, 0, "12", "", "", ok, 12, 0, 0},
      {"occurrence empty", 0, 0, 0, "", "", "", bad, 5, 0, 0},
      {"occurrence 0", 0, 0, 0, "0", "", "", bad, 5, 0, 0},
      {"occurrence 1a", 0, 0, 0, "1a", "", "", bad, 5, 0, 0},
      {"count mode does not read the occurrence", 1, 0, 0, "x", "", "", ok, 5, 0, 0},
      {"count mode, no text at all", 1, 0, 0, nullptr, nullptr, nullptr, ok, 5, 0, 0},
      {"occurrence beyond 2^32", 0, 0, 0, "4294967297", "", "", ok, 4294967297.0, 0, 0},
      {"disabled bounds are 0 whatever the edits hold", 1, 0, 0, "", "7", "9", ok, 5, 0, 0},
      {"both bounds", 1, 1, 1, "", "22", "1000", ok, 5, 22, 1000},
      {"lower above upper", 1, 1, 1, "", "100", "50", bad, 5, 100, 50},
      {"equal bounds", 1, 1, 1, "", "50", "50", ok, 5, 50, 50},
      {"empty upper bound is 0 and in force", 1, 1, 1, "", "100", "", ok, 5, 100, 0},
      {"bad lower bound stays 0, upper still read", 1, 1, 1, "", "5x", "8", bad, 5, 0, 8},
      {"bad occurrence does not skip the bounds", 0, 1, 0, "x", "5", "", bad, 5, 5, 0},
      {"negative upper bound", 1, 0, 1, "", "", "-1", bad, 5, 0, 0},
      {"number too long to hold", 1, 1, 0, "", tooLong.c_str(), "", bad, 5, 0, 0},
  };
  for (const Case& c : cases) {
    SearchSettings s = defaults();
    s.searchMode = c.mode;
    s.occurrence = 5;
    s.gapMin = 33;
    s.gapMax = 44;
    s.gapMinEnabled = c.minOn;
    s.gapMaxEnabled = c.maxOn;
    EXPECT_EQ(gatherSearchCriteria(s, c.occurrence, c.low, c.high), c.status) << c.what;
    EXPECT_EQ(s.occurrence, c.occurrenceAfter) << c.what;
    EXPECT_EQ(s.gapMin, c.gapMin) << c.what;
    EXPECT_EQ(s.gapMax, c.gapMax) << c.what;
  }
}
