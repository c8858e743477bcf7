#include "app/time_display.h"

#include <cstdio>

#include "res/resource_ids.h"

namespace {
std::string formatDayTime(unsigned days, unsigned hours, unsigned minutes, unsigned seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%03u:%02u:%02u:%02u", days, hours, minutes, seconds);
  return text;
}
}  // namespace

std::string formatCardClock(const CardClock& clock) {
  return formatDayTime(clock.day, clock.hours, clock.minutes, clock.seconds);
}

std::string formatLocalTime(const LocalTime& time) {
  return formatDayTime(static_cast<unsigned>(dayOfYear(time)), static_cast<unsigned>(time.hour),
                       static_cast<unsigned>(time.minute), static_cast<unsigned>(time.second));
}

void setSignalLight(DialogPort& dialog, RecorderState& state, LightState light) {
  if (light == state.lightState) return;
  state.lightState = light;
  dialog.showControl(IDC_RED_LIGHT, false);
  dialog.showControl(IDC_GREEN_LIGHT, false);
  dialog.showControl(IDC_YELLOW_LIGHT, false);
  const int shown = light == LightRed ? IDC_RED_LIGHT : light == LightGreen ? IDC_GREEN_LIGHT : IDC_YELLOW_LIGHT;
  dialog.showControl(shown, true);
}

void timeTick(Recorder& recorder) {
  if (recorder.state.cardPresent) {
    CardClock clock;
    const bool answered = ok(readCardClock(recorder.card, clock));
    setSignalLight(recorder.dialog, recorder.state, answered && clock.signalValid ? LightGreen : LightRed);
    if (answered) recorder.dialog.setControlText(IDC_TIME_TEXT, formatCardClock(clock));
  } else {
    setSignalLight(recorder.dialog, recorder.state, LightYellow);
    recorder.dialog.setControlText(IDC_TIME_TEXT, formatLocalTime(recorder.system.localTime()));
  }
}
