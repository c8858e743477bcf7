#include "app/status_line.h"

#include "res/resource_ids.h"

const char* const kFoundCardText = "Found KOLVA card";
const char* const kRecordingStoppedText = "Recording stopped";
const char* const kPleaseWaitText = "Processing task may take a while - PLEASE WAIT";

void showStatus(DialogPort& dialog, int controlId, StatusCode code) {
  dialog.setControlText(controlId, statusText(code));
  dialog.beep();
}

void writeStatusLine(DialogPort& dialog, const std::string& text) { dialog.setControlText(IDC_STATUS_LINE, text); }
