// The dialog's file tasks: View, Get File Size, Convert File, the pattern searches and
// Find Nearest TTag.
#pragma once
#include "app/recorder_state.h"

constexpr const char* kReportFileName = "QEL.TMP";
constexpr const char* kEditorCommand = "notepad.exe QEL.TMP";
constexpr int kShowMaximised = 3;

void viewCommand(Recorder& recorder);
void countRecordsCommand(Recorder& recorder);     // the deferred 3720
void convertFileCommand(Recorder& recorder);
void searchCommand(Recorder& recorder, unsigned deferredId);  // 3800, 3802 or 3805
void findTimeTagCommand(Recorder& recorder);
