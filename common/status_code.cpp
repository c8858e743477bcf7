#include "common/status_code.h"

#include <cstring>

// clang-format off
const char statusMessages[kStatusCount][kStatusTextLength + 1] = {
    "Success                            ",
    "ERROR: Invalid parameter           ",
    "ERROR: Cannot execute command      ",
    "ERROR: Could not find KOLVA card   ",
    "ERROR: Invalid handle              ",
    "ERROR: Could not open file         ",
    "ERROR: File write error            ",
    "ERROR: File read error             ",
    "ERROR: Incorrect file type         ",
    "ERROR: Syntax error                ",
    "ERROR: Bus word does not exist     ",
    "ERROR: Maximum file size exceeded  ",
    "ERROR: Could not find application  ",
    "ERROR: Invalid file name           ",
};
// clang-format on

const char* statusText(StatusCode code) {
  const auto index = static_cast<uint16_t>(code);
  return statusMessages[index < kStatusCount ? index : 1];
}

const char* statusTextTrimmed(StatusCode code, char (&buffer)[kStatusTextLength + 1]) {
  std::memcpy(buffer, statusText(code), sizeof buffer);
  int end = kStatusTextLength;
  while (end > 0 && buffer[end - 1] == ' ') --end;
  buffer[end] = '\0';
  return buffer;
}
