// The results of commands that take several files: one result a file, each built once as a JSON
// object and printed either as that object or as text.
#pragma once
#include <string>

#include "frontend/json_text.h"

// Prints one file's result to standard output: with json its object on one line; else the text,
// after "FILE: " when several files were named. One file prints its text alone, as it always has.
void printFileResult(const JsonValue& result, bool json, bool several, const std::string& text);

// The exit code over several files so far, with one more file's: a failure when any file failed,
// else success when any file found something, else nothing found. Start from ExitNothingFound.
int combinedExit(int sofar, int fileExit);
