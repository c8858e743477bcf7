// The portable dialog logic behind the dialog procedure: initialisation, command dispatch by the
// whole wParam, and the two timers. Each returns what the dialog procedure returns.
#pragma once
#include "app/recorder_state.h"

// Timer 1 serves the recording tick and the deferred file tasks.
constexpr unsigned kTaskTimerPeriodMs = kRecordingTickMilliseconds;
constexpr unsigned kClockTimerPeriodMs = 1000;

bool dialogInit(Recorder& recorder);
bool dialogCommand(Recorder& recorder, unsigned id);
bool dialogTimer(Recorder& recorder, unsigned timerId);
