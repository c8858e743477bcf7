// One recording from the KOLVA card into a data file: the start (set-up, time loading, start
// capture), the tick that drains each completed half of the capture ring and keeps the progress,
// and the stop that stores what the card captured since. The dialog, qeltool record and the
// benchmarks all record through these.
//
// Overruns: when a tick comes too late, the card can wrap round into a half that has not been
// appended yet and write over its words. The session reads the first record of each half once
// the card has written it, and compares it with the first record of that half when the half is
// appended: a different record means the card came round again, so words were lost. The
// recording goes on; the count of such halves is kept. The check compares record contents, not
// times, so time that goes backwards on the card never looks like an overrun.
#pragma once
#include <cstdint>
#include <string>

#include "card/card_session.h"
#include "common/local_time.h"
#include "common/status_code.h"
#include "files/bus_record.h"
#include "index/index_stream.h"
#include "record/file_appender.h"

// Timer 1's period while a recording runs.
constexpr unsigned kRecordingTickMilliseconds = 4;
constexpr float kRecordsPerGigabyte = 67108864.0f;
constexpr uint16_t kQuietTicksBeforeRefresh = 10;

// Shown once when a recording first finds words lost.
extern const char* const kBusWordsLostText;

struct RecordingProgress {
  float wordsReceived = 0.0f;   // bus words appended in this recording, in steps of 16384
  uint16_t progressTicks = 0;   // quiet ticks since the progress line was refreshed
  float wordLimit = 5.0f * kRecordsPerGigabyte;
};

struct RecordingSession {
  std::string path;            // the data file, created empty before the start
  uint16_t captureHalf = 0;    // 0: the card is taken to be filling the lower half; else the upper
  RecordingProgress progress;  // wordLimit is the caller's; the start clears the rest
  unsigned char halfFirstRecord[kBusRecordBytes] = {};  // of the half the card is filling
  bool halfFirstRecordKnown = false;
  uint32_t overruns = 0;       // halves found written over before they were appended
  // The saved index beside the data file, kept as the recording goes: an entry for each half
  // from the records just appended, the last shorter one at the stop. An index that cannot be
  // written is given up without a word; the recording's statuses never depend on it.
  bool keepIndex = true;
  IndexStream index;
};

// What a tick has to show.
struct TickReport {
  double lineWords = -1.0;    // the progress line's count, negative when it is not refreshed
  bool firstOverrun = false;  // this tick found the recording's first overrun
};

// "RECORDING: %.f Bus words received"
std::string formatProgressLine(double words);

// Clears the session's capture state and counts, sets the card up, loads the time and starts
// capture. CannotExecuteCommand when a card command does not complete, the card's status when a
// request fails.
StatusCode startRecordingSession(CardSession& card, RecordingSession& session, int irigInput, const LocalTime& now);

// When register 36 shows the card has moved into the other half, appends the completed half and
// flips captureHalf. FileOpenError when the file cannot be opened, FileWriteError when a write comes up short (the
// whole records written stay; a partial one is cut off), the card's status when a request fails
// (nothing is appended then).
StatusCode drainStep(CardSession& card, RecordingSession& session, FileAppender& appender);

// Counts newly appended words; sets *lineWords (when given) to the count to show, or leaves it
// negative when the line is not to be refreshed on this tick. MaxFileSizeExceeded at the size limit.
StatusCode progressStep(CardSession& card, RecordingProgress& progress, float newWords, double* lineWords);

// One recording tick: drainStep, then, when it succeeded, progressStep with the 16384 words of a
// half it has just appended or with none.
StatusCode recordingTickStep(CardSession& card, RecordingSession& session, FileAppender& appender, TickReport& report);

// Stop Recording: stops capture, appends the half the card completed after the last tick (if it
// did), then the filled stretch of the half it is in. Statuses as drainStep.
StatusCode stopAndDrain(CardSession& card, RecordingSession& session, FileAppender& appender);
