#include "search/criteria.h"
#include "search/search_settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

using S = SearchSettings;
using P = PatternBitState;

Bytes encoded(const S& s) {
  Bytes bytes(kSearchSettingsBytes);
  encodeSearchSettings(s, bytes.data());
  return bytes;
}

// Bit-exact comparison of every field (NaN included).
void expectSameSettings(const S& a, const S& b, const std::string& what) { EXPECT_EQ(encoded(a), encoded(b)) << what; }

S loadedFrom(const std::string& path) {
  S s = {0, 35.0f, 1, 2, 0, 0, 1, 3.0, 4.0, 1, 1, 0, 1, 9.0, 9.0};  // nothing of this may survive a load
  loadSearchSettings(s, path.c_str());
  return s;
}

const S kAllDifferent = {1, 35.0f, 0x00800001, 0x00000F00, SyncCmd, WithErrors, BusJ3, 12.0,
                         3000.0, 1, 0, 0, 1, 4.0, 123456789.0};

}  // namespace

// QEL.SUP: every field at its offset, little-endian, and read back bit for bit; saving writes those
// 65 bytes, loading takes the first 65 of a longer file and keeps every default without them.
TEST(SearchSettingsFile, EveryFieldAtItsOffsetLoadTakesTheFirst65OrKeepsEveryDefault) {
  const S s = {0x0102, 10.0f, 0x0A0B0C0D, 0x11223344, 0x01020304, 0x05060708, -2, 1.5,
               300.0,  0x61,  0x62,       0x63,       0x21222324, 2.0,        -0.0};
  const Bytes expected = {
      0x02, 0x01, 0x00, 0x00, 0x20, 0x41,                                      // irigInput, maxFileSizeGB
      0x0D, 0x0C, 0x0B, 0x0A, 0x44, 0x33, 0x22, 0x11,                          // oneMask, dontCareMask
      0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05, 0xFE, 0xFF, 0xFF, 0xFF,  // sync, error, bus choices
      0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 0, 0, 0, 0, 0, 0xC0, 0x72, 0x40,          // gapMin, gapMax
      0x61, 0x62, 0x63, 0x24, 0x23, 0x22, 0x21,                                // gap flags, searchMode
      0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0, 0, 0, 0, 0, 0x80};                   // occurrence, searchResult
  TempFolder folder;
  const std::string path = folder.file("QEL.SUP");
  ASSERT_TRUE(saveSearchSettings(s, path.c_str()));
  EXPECT_EQ(readBytes(path), expected);
  S back;
  decodeSearchSettings(expected.data(), back);
  expectSameSettings(back, s, "decoded");
  EXPECT_FALSE(saveSearchSettings(S{}, "/dev/full"));

  Bytes bytes = encoded(kAllDifferent);
  bytes.resize(kSearchSettingsBytes + 20, 0x5A);
  writeBytes(path, bytes);
  expectSameSettings(loadedFrom(path), kAllDifferent, "longer file");
  S defaults;
  setSearchDefaults(defaults);
  defaults.searchResult = 9.0;
  for (size_t length : {0, 1, 64}) {
    writeBytes(path, Bytes(bytes.begin(), bytes.begin() + length));
    expectSameSettings(loadedFrom(path), defaults, "length " + std::to_string(length));
  }
  std::remove(path.c_str());
  expectSameSettings(loadedFrom(path), defaults, "missing file");
}

// A settings file holds whatever was written into it: each value the controls and the searches
// cannot take is set back on loading (sizes on the button's steps, whole gap bounds, masks within
// the 24 bits and apart, flags 0 or 1), and values in range come through unchanged.
TEST(SearchSettingsFile, ValuesOutOfRangeAreSetBackOnLoading) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const struct {
    S file, loaded;
  } cases[] = {
      {{-3, 7.5f, 0xFF000005, 0xFF000003, 9, -1, -2, nan, -2.5, 2, 9, 200, 4, 0.5, -1},
       {1, 5.0f, 0x4, 0x3, SyncAny, ErrorsDontCare, BusAny, 0, 0, 1, 1, 1, 0, 1, 0}},
      {{1, 50.0f, 0x00FFFFFF, 0, SyncCmd, NoErrors, BusJ4, 22.7, inf, 1, 0, 0, 1, 3, 0},
       {1, 50.0f, 0x00FFFFFF, 0, SyncCmd, NoErrors, BusJ4, 22, 0, 1, 0, 0, 1, 3, 0}},
      {{0, 55.0f, 0, 0x00FFFFFF, -1, WithErrors, 5, 1e300, 1e9, 0, 1, 1, 0, 2.5, 7.5},
       {0, 5.0f, 0, 0x00FFFFFF, SyncAny, WithErrors, BusAny, 1e300, 1e9, 0, 1, 1, 0, 1, 0}},
  };
  TempFolder folder;
  const std::string path = folder.file("QEL.SUP");
  for (const auto& c : cases) {
    writeBytes(path, encoded(c.file));
    expectSameSettings(loadedFrom(path), c.loaded, "case " + std::to_string(&c - cases));
  }
}

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
  }
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
      {1, 0, 0, "x", "", "", ok, 5, 0, 0},  // count mode does not read the occurrence
      {0, 0, 0, "4294967297", "", "", ok, 4294967297.0, 0, 0},
      {1, 0, 0, "", "7", "9", ok, 5, 0, 0},  // disabled bounds are 0
      {1, 1, 1, "", "22", "1000", ok, 5, 22, 1000},
      {1, 1, 1, "", "100", "50", bad, 5, 100, 50},
      {1, 1, 1, "", "100", "", ok, 5, 100, 0},  // an upper bound of 0 is not compared
      {1, 1, 1, "", "5x", "8", bad, 5, 0, 8},   // a failing step skips none of the later ones
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
