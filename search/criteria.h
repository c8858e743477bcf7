// What the criteria controls do to SearchSettings, without the controls themselves.
#pragma once
#include <cstdint>

#include "common/status_code.h"
#include "search/search_settings.h"

enum class PatternBitState { One, Zero, DontCare };

// The state of bit i (0-23): DCARE over ONE over ZERO.
PatternBitState patternBitState(const SearchSettings& settings, int bit);

// One click on a bit icon: ZERO -> ONE -> DCARE -> ZERO. Returns the new state.
PatternBitState clickPatternBit(SearchSettings& settings, int bit);

// One click on a choice group: 0,1,2,0 for sync and errors; 0..4,0 for bus. Returns the new value.
int32_t clickSyncChoice(SearchSettings& settings);
int32_t clickErrorChoice(SearchSettings& settings);
int32_t clickBusChoice(SearchSettings& settings);

// Gap check boxes and side: flip and return the new flag.
uint8_t clickGapMinEnabled(SearchSettings& settings);
uint8_t clickGapMaxEnabled(SearchSettings& settings);
uint8_t clickGapSide(SearchSettings& settings);

// Takes the occurrence (mode 0 only) and the enabled gap bounds from the edit texts.
// SyntaxError for a bad number, an occurrence of 0 or a lower bound above a non-zero upper bound;
// a failing step does not skip the later ones.
StatusCode gatherSearchCriteria(SearchSettings& settings, const char* occurrenceText,
                                const char* gapMinText, const char* gapMaxText);
