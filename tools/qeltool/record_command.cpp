// qeltool record: a recording from the simulated KOLVA card in real time, through the recorder's
// own recording session. Ctrl-C stops it as Stop Recording does. Words lost to an overrun are
// reported when they are found and counted at the end, which then fails.
#include <chrono>
#include <csignal>
#include <cstdio>

#include "card/open_card.h"
#include "card/recorder_setup.h"
#include "files/data_file.h"
#include "files/record_count.h"
#include "record/file_appender.h"
#include "record/recording_session.h"
#include "sim/sim_driver.h"
#include "tools/qeltool/commands.h"
#include "tools/qeltool/local_clock.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

namespace {

constexpr const char* kRecordingStopped = "Recording stopped";

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) { stopRequested = 1; }

void sleepOneTick() {
#ifdef _WIN32
  Sleep(kRecordingTickMilliseconds);
#else
  const timespec pause{0, static_cast<long>(kRecordingTickMilliseconds) * 1000000L};
  nanosleep(&pause, nullptr);
#endif
}

// Creates the data file, or empties it, as Start Recording does.
bool createEmptyDataFile(const std::string& path) {
  FILE* file = openDataFile(path.c_str(), "wb");
  if (file == nullptr) return false;
  return std::fclose(file) == 0;
}

}  // namespace

int runRecord(const RecordOptions& options) {
  const int refused = refuseToReplaceData("record", options.file, options.force);
  if (refused != ExitSuccess) return refused;
  SimConfig config;
  config.card.irigSignalPresent = true;
  config.card.keepWriteLog = false;
  config.card.traffic.wordsPerSecond = options.rate;
  SimDriver driver(config, realSteadyClock(), currentLocalTime);

  CardSession session;
  session.port = &driver;
  StatusCode status = openCard(&session);
  if (!ok(status)) return failWithStatus("record", status, "simulated card");
  if (!createEmptyDataFile(options.file)) return failWithStatus("record", StatusCode::FileOpenError, options.file);

  int16_t irigInput = options.irig ? 1 : 0;
  FileAppender& appender = stdioFileAppender();
  RecordingSession recording;
  recording.path = options.file;
  recording.progress.wordLimit = static_cast<float>(options.maxSizeGB * kRecordsPerGigabyte);
  status = startRecordingSession(session, recording, irigInput, currentLocalTime());
  if (!ok(status)) {
    reinitialiseRecorder(session, true, irigInput, currentLocalTime());
    return failWithStatus("record", status, "simulated card");
  }
  stopRequested = 0;
  std::signal(SIGINT, requestStop);

  ProgressLine line = progressAlways();
  showProgress(line, formatProgressLine(0.0), true);
  const auto started = std::chrono::steady_clock::now();
  const auto duration = std::chrono::duration<double>(options.seconds);
  // The recording tick, until the time is up, Ctrl-C or a failing tick ends it.
  while (ok(status) && stopRequested == 0 && std::chrono::steady_clock::now() - started < duration) {
    sleepOneTick();
    TickReport report;
    status = recordingTickStep(session, recording, appender, report);
    if (report.lineWords >= 0.0) showProgress(line, formatProgressLine(report.lineWords));
    if (report.firstOverrun) showProgress(line, kBusWordsLostText, true);
  }
  const bool stoppedByUser = ok(status);
  if (stoppedByUser) {
    // Stop Recording: stop capture and store what the card captured since the last tick.
    finishProgress(line, true);
    if (line.enabled) std::fprintf(stderr, "%s\n", kRecordingStopped);
    status = stopAndDrain(session, recording, appender);
  }
  std::signal(SIGINT, SIG_DFL);
  reinitialiseRecorder(session, true, irigInput, currentLocalTime());

  uint64_t records = 0;
  const StatusCode countStatus = countRecords(options.file, records);
  if (ok(countStatus)) {
    // The words now in the file, in the progress line's own words.
    showProgress(line, formatProgressLine(static_cast<double>(records)), true);
    finishProgress(line, true);
    std::printf("%llu\n", static_cast<unsigned long long>(records));
  }
  if (recording.overruns > 0) {
    std::fprintf(stderr, "qeltool record: %s: %lu overrun%s in %s\n", kBusWordsLostText,
                 static_cast<unsigned long>(recording.overruns), recording.overruns == 1 ? "" : "s",
                 options.file.c_str());
  }
  if (!ok(status)) return failWithStatus("record", status, options.file);
  if (!ok(countStatus)) return failWithStatus("record", countStatus, options.file);
  return recording.overruns > 0 ? ExitFailure : ExitSuccess;
}
