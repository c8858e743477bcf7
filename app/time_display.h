// The "TIME:" field and the IRIG signal light, refreshed once a second.
#pragma once
#include <cstdint>
#include <string>

#include "app/recorder_state.h"
#include "card/card_access.h"

// "%03d:%02d:%02d:%02d" of the card's clock (day, hours, minutes, seconds).
std::string formatCardClock(const CardClock& clock);
// The same of the PC's local time, with the day counted by the every-fourth-year rule.
std::string formatLocalTime(const LocalTime& time);

// Shows the light of state (red 0, yellow 1, green 2); touches no control when it is already shown.
void setSignalLight(DialogPort& dialog, RecorderState& state, LightState light);

// With a card, its clock and the green or red light; when the card does not answer, the red light
// and the time field left as it was. Without a card, the PC's clock and the yellow light.
void timeTick(Recorder& recorder);
