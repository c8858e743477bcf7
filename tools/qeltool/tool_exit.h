// Exit codes and error lines of qeltool.
#pragma once
#include <string>

#include "common/status_code.h"

enum ToolExit : int {
  ExitSuccess = 0,
  ExitNothingFound = 1,  // a search or time search found nothing
  ExitUsage = 2,         // bad arguments
  ExitFailure = 3,       // any other failure
};

// "qeltool <command>: <status text>: <subject>" on standard error (the subject left out when
// empty; "qeltool: ..." when command is empty). Returns ExitUsage for a syntax error, ExitFailure for every other status.
int failWithStatus(const char* command, StatusCode status, const std::string& subject);

// "qeltool <command>: <message>" on standard error; returns ExitUsage.
int usageError(const char* command, const std::string& message);
