// Start Recording, Stop Recording and the recording tick of timer 1.
#pragma once
#include "app/recorder_state.h"

void startRecordingCommand(Recorder& recorder);
void stopRecordingCommand(Recorder& recorder);
void recordingTick(Recorder& recorder);
// Runs reinitialiseRecorder with the dialog's card flag and the PC's time.
void reinitialiseCard(Recorder& recorder);
