// The start and the tick of a recording, and its progress line and size limit.
#include <cstdio>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "card/recorder_setup.h"
#include "record/recording_session.h"

const char* const kBusWordsLostText = "WARNING: Bus words lost - PC too slow";

std::string formatProgressLine(double words) {
  char text[80];
  std::snprintf(text, sizeof text, "RECORDING: %.f Bus words received", words);
  return text;
}

StatusCode startRecordingSession(CardSession& card, RecordingSession& session, int irigInput, const LocalTime& now) {
  // The set-up puts the card's write pointer at the ring start: a half left over from an earlier
  // recording must never reach the new file.
  session.captureHalf = 0;
  session.halfFirstRecordKnown = false;
  session.overruns = 0;
  session.progress.wordsReceived = 0.0f;
  session.progress.progressTicks = 0;
  session.index = IndexStream{};
  if (session.keepIndex) startIndexStream(session.index, session.path);
  StatusCode status = setUpRecorder(card, irigInput);
  if (ok(status)) status = loadTimeAndStart(card, irigInput, now);
  return status;
}

StatusCode progressStep(CardSession& card, RecordingProgress& progress, float newWords, double* lineWords) {
  if (lineWords != nullptr) *lineWords = -1.0;
  if (newWords != 0.0f) {
    progress.wordsReceived += newWords;
    progress.progressTicks = 0;
    if (lineWords != nullptr) *lineWords = progress.wordsReceived;
    return progress.wordsReceived >= progress.wordLimit ? StatusCode::MaxFileSizeExceeded : StatusCode::Success;
  }
  if (progress.progressTicks < kQuietTicksBeforeRefresh) {
    ++progress.progressTicks;
    return StatusCode::Success;
  }
  progress.progressTicks = 0;
  uint32_t pointer = 0;
  const StatusCode status = readCaptureWritePointer(card, pointer);
  if (!ok(status)) return status;
  const uint32_t halfStart = pointer < ring::kMiddle ? ring::kStart : ring::kMiddle;
  const uint32_t recordsInHalf = (pointer - halfStart) >> 4;
  if (lineWords != nullptr) *lineWords = static_cast<float>(progress.wordsReceived + static_cast<float>(recordsInHalf));
  return StatusCode::Success;
}

StatusCode recordingTickStep(CardSession& card, RecordingSession& session, FileAppender& appender, TickReport& report) {
  report = TickReport{};
  const uint16_t previousHalf = session.captureHalf;
  const uint32_t previousOverruns = session.overruns;
  const StatusCode status = drainStep(card, session, appender);
  report.firstOverrun = previousOverruns == 0 && session.overruns > 0;
  if (!ok(status)) return status;
  const float appended = session.captureHalf != previousHalf ? static_cast<float>(ring::kHalfRecords) : 0.0f;
  return progressStep(card, session.progress, appended, &report.lineWords);
}
