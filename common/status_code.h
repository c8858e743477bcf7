// The result of every operation: 0 for success, 1 to 13 the entries of the status table.
#pragma once
#include <cstdint>

enum class StatusCode : uint16_t {
  Success = 0,
  InvalidParameter = 1,
  CannotExecuteCommand = 2,
  CardNotFound = 3,
  InvalidHandle = 4,
  FileOpenError = 5,
  FileWriteError = 6,
  FileReadError = 7,
  IncorrectFileType = 8,
  SyntaxError = 9,
  BusWordMissing = 10,
  MaxFileSizeExceeded = 11,
  ApplicationNotFound = 12,
  InvalidFileName = 13,
};

constexpr int kStatusCount = 14;
constexpr int kStatusTextLength = 35;

// Each text padded with blanks to exactly 35 characters, as the status line shows it.
extern const char statusMessages[kStatusCount][kStatusTextLength + 1];

// The padded text of a code; a code outside the table gives the text of InvalidParameter.
const char* statusText(StatusCode code);

// The text without its trailing blanks, for command-line output.
const char* statusTextTrimmed(StatusCode code, char (&buffer)[kStatusTextLength + 1]);

inline bool ok(StatusCode code) { return code == StatusCode::Success; }
