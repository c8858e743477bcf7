#include "record/recording_drain.h"

#include <cstdio>

#include "card/card_access.h"
#include "card/card_registers.h"
#include "files/bus_record.h"

namespace {
// Receives each block read before it is written to the file: one capture half.
uint16_t captureBuffer[ring::kHalfWords];

// Appends bytes of captureBuffer. A short write keeps the whole records that reached the file,
// cuts off a partial one, and gives 6.
StatusCode appendCapture(FileAppender& appender, uint32_t bytes) {
  const size_t written = appender.write(captureBuffer, bytes);
  if (written == bytes) return StatusCode::Success;
  appender.truncate(appender.sizeAtOpen() + static_cast<int64_t>(written / kBusRecordBytes) * kBusRecordBytes);
  return StatusCode::FileWriteError;
}
}  // namespace

std::string formatProgressLine(double words) {
  char text[80];
  std::snprintf(text, sizeof text, "RECORDING: %.f Bus words received", words);
  return text;
}

StatusCode drainStep(CardSession& session, const std::string& path, uint16_t& captureHalf, FileAppender& appender) {
  const uint16_t high = readCardWord(session, reg::kWritePointerHigh);
  uint32_t stretchStart = 0;
  if (high >= ring::kUpperHalfHigh && captureHalf == 0) {
    stretchStart = ring::kStart;
    captureHalf = 1;
  } else if (high < ring::kUpperHalfHigh && captureHalf != 0) {
    stretchStart = ring::kMiddle;
    captureHalf = 0;
  } else {
    return StatusCode::Success;
  }
  if (!appender.open(path.c_str())) return StatusCode::FileOpenError;
  readCardBlock(session, stretchStart, ring::kHalfWords, captureBuffer);
  const StatusCode status = appendCapture(appender, ring::kHalfBytes);
  appender.close();
  return status;
}

StatusCode progressStep(CardSession& session, RecordingProgress& progress, float newWords, double* lineWords) {
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
  const uint32_t pointer = readCaptureWritePointer(session);
  const uint32_t halfStart = pointer < ring::kMiddle ? ring::kStart : ring::kMiddle;
  const uint32_t recordsInHalf = (pointer - halfStart) >> 4;
  if (lineWords != nullptr) *lineWords = static_cast<float>(progress.wordsReceived + static_cast<float>(recordsInHalf));
  return StatusCode::Success;
}

StatusCode recordingTickStep(CardSession& session, const std::string& path, uint16_t& captureHalf,
                             FileAppender& appender, RecordingProgress& progress, double* lineWords) {
  if (lineWords != nullptr) *lineWords = -1.0;
  const uint16_t previousHalf = captureHalf;
  const StatusCode status = drainStep(session, path, captureHalf, appender);
  if (!ok(status)) return status;
  const float appended = captureHalf != previousHalf ? static_cast<float>(ring::kHalfRecords) : 0.0f;
  return progressStep(session, progress, appended, lineWords);
}

StatusCode stopAndDrain(CardSession& session, const std::string& path, FileAppender& appender) {
  StatusCode status = issueCardCommand(session, cmd::kStopCapture, false);
  const uint32_t pointer = readCaptureWritePointer(session);
  const uint32_t stretchStart = pointer < ring::kMiddle ? ring::kStart : ring::kMiddle;
  if (!appender.open(path.c_str())) return StatusCode::FileOpenError;
  if (pointer > stretchStart) {
    // Whole records of the current half only, even for a pointer outside the ring.
    uint32_t bytes = pointer - stretchStart;
    if (bytes > ring::kHalfBytes) bytes = ring::kHalfBytes;
    bytes -= bytes % kBusRecordBytes;
    if (bytes > 0) {
      readCardBlock(session, stretchStart, bytes / 2, captureBuffer);
      if (ok(status)) status = appendCapture(appender, bytes);
    }
  }
  appender.close();
  return status;
}
