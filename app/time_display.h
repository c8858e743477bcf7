// The "TIME:" field and the IRIG signal light, refreshed once a second.
#pragma once
#include <cstdint>
#include <string>

#include "app/recorder_state.h"

// "%03d:%02d:%02d:%02d" of the card's time word (day, hours, minutes, seconds).
std::string formatCardTimeWord(uint32_t word);
// The same of the PC's local time, with the day counted by the every-fourth-year rule.
std::string formatLocalTime(const LocalTime& time);

// Shows the light of state (red 0, yellow 1, green 2); touches no control when it is already shown.
void setSignalLight(DialogPort& dialog, RecorderState& state, uint16_t light);

void timeTick(Recorder& recorder);
