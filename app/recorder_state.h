// The dialog's run-time state and the collaborators every handler reaches.
#pragma once
#include <cstdint>
#include <string>

#include "app/dialog_port.h"
#include "app/system_port.h"
#include "card/card_session.h"
#include "common/status_code.h"
#include "record/file_appender.h"
#include "record/recording_session.h"
#include "search/search_settings.h"

enum LightState : uint16_t { LightRed = 0, LightYellow = 1, LightGreen = 2 };

struct RecorderState {
  bool recording = false;
  uint16_t pendingCommand = 0;  // 0, 3720, 3800, 3802 or 3805
  StatusCode status = StatusCode::Success;
  bool cardPresent = false;
  std::string currentPath;      // the data file that last passed the name check
  int64_t viewFrom = 0;         // 64-bit: data files reach 3.4 billion records
  int64_t viewLines = 0;
  RecordingSession recordingSession;  // captureHalf, progress (wordLimit), overruns
  LightState lightState = LightRed;
};

// Everything a handler works on: one of each, owned by the program's entry point (or a test).
struct Recorder {
  DialogPort& dialog;
  SystemPort& system;
  RecorderState& state;
  CardSession& card;
  SearchSettings& settings;
  FileAppender& appender;
  bool simulatedCard = false;  // the About box says so
};
