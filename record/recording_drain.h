// Draining the card's capture ring into the data file, with progress and the size limit.
#pragma once
#include <cstdint>
#include <string>

#include "card/card_session.h"
#include "common/status_code.h"
#include "record/file_appender.h"

constexpr float kRecordsPerGigabyte = 67108864.0f;
constexpr uint16_t kQuietTicksBeforeRefresh = 10;

struct RecordingProgress {
  float wordsReceived = 0.0f;   // bus words appended in this recording, in steps of 16384
  uint16_t progressTicks = 0;   // quiet ticks since the progress line was refreshed
  float wordLimit = 5.0f * kRecordsPerGigabyte;
};

// "RECORDING: %.f Bus words received"
std::string formatProgressLine(double words);

// When register 36 shows the card has moved into the other half, appends the completed half and
// flips captureHalf. Status 5 when the file cannot be opened, 6 when a write comes up short (the
// whole records written stay; a partial one is cut off).
StatusCode drainStep(CardSession& session, const std::string& path, uint16_t& captureHalf,
                     FileAppender& appender);

// Counts newly appended words; sets *lineWords (when given) to the count to show, or leaves it
// negative when the line is not to be refreshed on this tick. Status 11 at the size limit.
StatusCode progressStep(CardSession& session, RecordingProgress& progress, float newWords, double* lineWords);

// One recording tick: drainStep, then, when it succeeded, progressStep with the 16384 words of a
// half it has just appended or with none. lineWords as progressStep.
StatusCode recordingTickStep(CardSession& session, const std::string& path, uint16_t& captureHalf,
                             FileAppender& appender, RecordingProgress& progress, double* lineWords);

// Stops capture and appends the filled stretch of the current half. Status 5 or 6 as drainStep.
StatusCode stopAndDrain(CardSession& session, const std::string& path, FileAppender& appender);
