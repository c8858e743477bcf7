#include "app/search_criteria_controls.h"

#include <cstdio>

#include "res/resource_ids.h"
#include "search/criteria.h"
#include "search/time_search.h"

namespace {
std::string wholeNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.f", value);
  return text;
}

void showPatternBit(DialogPort& dialog, int bit, PatternBitState state) {
  dialog.showControl(IDC_BIT_ZERO_FIRST + bit, false);
  dialog.showControl(IDC_BIT_ONE_FIRST + bit, false);
  dialog.showControl(IDC_BIT_DCARE_FIRST + bit, false);
  const int shown = state == PatternBitState::DontCare ? IDC_BIT_DCARE_FIRST
                    : state == PatternBitState::One    ? IDC_BIT_ONE_FIRST
                                                       : IDC_BIT_ZERO_FIRST;
  dialog.showControl(shown + bit, true);
}

void showChoiceGroup(DialogPort& dialog, int firstId, int count, int32_t value) {
  for (int i = 0; i < count; ++i) dialog.showControl(firstId + i, value == i);
}

void showGapSide(DialogPort& dialog, uint8_t gapBefore) {
  dialog.showControl(IDC_GAP_BEFORE, gapBefore != 0);
  dialog.showControl(IDC_GAP_AFTER, gapBefore == 0);
}

void showGapFlag(DialogPort& dialog, int checkId, int editId, uint8_t flag) {
  dialog.setChecked(checkId, flag != 0);
  dialog.showControl(editId, flag != 0);
}
}  // namespace

std::string formatMaxFileSize(float gigabytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%d GBytes", static_cast<int>(gigabytes));
  return text;
}

void showSearchCriteria(DialogPort& dialog, const SearchSettings& settings) {
  dialog.setChecked(IDC_IRIG_INPUT, settings.irigInput != 0);
  dialog.setControlText(IDC_GAP_MIN, wholeNumber(settings.gapMin));
  dialog.setControlText(IDC_GAP_MAX, wholeNumber(settings.gapMax));
  showGapFlag(dialog, IDC_GAP_MIN_ENABLED, IDC_GAP_MIN, settings.gapMinEnabled);
  showGapFlag(dialog, IDC_GAP_MAX_ENABLED, IDC_GAP_MAX, settings.gapMaxEnabled);
  showGapSide(dialog, settings.gapBefore);
  dialog.setControlText(IDC_MAX_SIZE_TEXT, formatMaxFileSize(settings.maxFileSizeGB));
  for (int bit = 0; bit < 24; ++bit) showPatternBit(dialog, bit, patternBitState(settings, bit));
  showChoiceGroup(dialog, IDC_SYNC_FIRST, 3, settings.syncChoice);
  showChoiceGroup(dialog, IDC_ERRORS_FIRST, 3, settings.errorChoice);
  showChoiceGroup(dialog, IDC_BUS_FIRST, 5, settings.busChoice);
}

bool handleCriteriaClick(DialogPort& dialog, SearchSettings& settings, unsigned id) {
  const bool bitIcon = (id >= IDC_BIT_ONE_FIRST && id <= IDC_BIT_ONE_LAST) ||
                       (id >= IDC_BIT_ZERO_FIRST && id <= IDC_BIT_ZERO_LAST) ||
                       (id >= IDC_BIT_DCARE_FIRST && id <= IDC_BIT_DCARE_LAST);
  if (bitIcon) {
    const int bit = static_cast<int>(id % 100);
    showPatternBit(dialog, bit, clickPatternBit(settings, bit));
  } else if (id >= IDC_SYNC_FIRST && id <= IDC_SYNC_LAST) {
    showChoiceGroup(dialog, IDC_SYNC_FIRST, 3, clickSyncChoice(settings));
  } else if (id >= IDC_ERRORS_FIRST && id <= IDC_ERRORS_LAST) {
    showChoiceGroup(dialog, IDC_ERRORS_FIRST, 3, clickErrorChoice(settings));
  } else if (id >= IDC_BUS_FIRST && id <= IDC_BUS_LAST) {
    showChoiceGroup(dialog, IDC_BUS_FIRST, 5, clickBusChoice(settings));
  } else if (id == IDC_GAP_MIN_ENABLED) {
    showGapFlag(dialog, IDC_GAP_MIN_ENABLED, IDC_GAP_MIN, clickGapMinEnabled(settings));
  } else if (id == IDC_GAP_MAX_ENABLED) {
    showGapFlag(dialog, IDC_GAP_MAX_ENABLED, IDC_GAP_MAX, clickGapMaxEnabled(settings));
  } else if (id == IDC_GAP_BEFORE || id == IDC_GAP_AFTER) {
    showGapSide(dialog, clickGapSide(settings));
  } else {
    return false;
  }
  return true;
}

StatusCode gatherSearchCriteriaFromDialog(DialogPort& dialog, SearchSettings& settings) {
  const std::string occurrence = dialog.controlText(IDC_OCCURRENCE);
  const std::string gapMin = dialog.controlText(IDC_GAP_MIN);
  const std::string gapMax = dialog.controlText(IDC_GAP_MAX);
  return gatherSearchCriteria(settings, occurrence.c_str(), gapMin.c_str(), gapMax.c_str());
}

StatusCode readTimeTagFields(DialogPort& dialog, double& target) {
  const std::string day = dialog.controlText(IDC_TTAG_DAYS);
  const std::string hours = dialog.controlText(IDC_TTAG_HOURS);
  const std::string minutes = dialog.controlText(IDC_TTAG_MINUTES);
  const std::string seconds = dialog.controlText(IDC_TTAG_SECONDS);
  const std::string fraction = dialog.controlText(IDC_TTAG_FRACTION);
  return parseTimeTagFields(day.c_str(), hours.c_str(), minutes.c_str(), seconds.c_str(), fraction.c_str(), target);
}
