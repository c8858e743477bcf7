// The PC's local time, which the recorder loads into the card.
#pragma once
#include <string>

#include "common/local_time.h"

LocalTime currentLocalTime();

// "YYYY-MM-DD HH:MM:SS" (or with a "T" between date and time) to a LocalTime; false for anything
// else, including a month, day or time out of range.
bool parseLocalTimeText(const std::string& text, LocalTime& time);
