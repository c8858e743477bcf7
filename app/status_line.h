// The status line (control 703): codes shown with a beep, and the few texts written without one.
#pragma once
#include <string>

#include "app/dialog_port.h"
#include "common/status_code.h"

extern const char* const kFoundCardText;
extern const char* const kRecordingStoppedText;
extern const char* const kPleaseWaitText;

void showStatus(DialogPort& dialog, int controlId, StatusCode code);
void writeStatusLine(DialogPort& dialog, const std::string& text);
