#include "app/time_display.h"

#include <cstdio>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "res/resource_ids.h"

namespace {
std::string formatDayTime(unsigned days, unsigned hours, unsigned minutes, unsigned seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%03u:%02u:%02u:%02u", days, hours, minutes, seconds);
  return text;
}
}  // namespace

std::string formatCardTimeWord(uint32_t word) {
  using namespace timeword;
  const unsigned days = 100 * ((word >> kDayHundredsShift) & kDayHundredsMask) + ((word >> kDayLowShift) & kDayLowMask);
  return formatDayTime(days, (word >> kHoursShift) & kHoursMask, (word >> kMinutesShift) & kMinutesMask,
                       word & kSecondsMask);
}

std::string formatLocalTime(const LocalTime& time) {
  return formatDayTime(static_cast<unsigned>(dayOfYear(time)), static_cast<unsigned>(time.hour),
                       static_cast<unsigned>(time.minute), static_cast<unsigned>(time.second));
}

void setSignalLight(DialogPort& dialog, RecorderState& state, uint16_t light) {
  if (light == state.lightState) return;
  state.lightState = light;
  dialog.showControl(IDC_RED_LIGHT, false);
  dialog.showControl(IDC_GREEN_LIGHT, false);
  dialog.showControl(IDC_YELLOW_LIGHT, false);
  const int shown = light == LightRed ? IDC_RED_LIGHT : light == LightGreen ? IDC_GREEN_LIGHT : IDC_YELLOW_LIGHT;
  dialog.showControl(shown, true);
}

void timeTick(Recorder& recorder) {
  std::string text;
  if (recorder.state.cardPresent) {
    uint32_t words[2] = {0, 0};
    const int valid = readCardTime(recorder.card, words);
    setSignalLight(recorder.dialog, recorder.state, valid == 1 ? LightGreen : LightRed);
    text = formatCardTimeWord(words[0]);
  } else {
    setSignalLight(recorder.dialog, recorder.state, LightYellow);
    text = formatLocalTime(recorder.dialog.localTime());
  }
  recorder.dialog.setControlText(IDC_TIME_TEXT, text);
}
