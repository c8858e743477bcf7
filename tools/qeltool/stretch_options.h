// Which records export and cut take, on the command line: --from and --lines as the report takes
// them, or --from-time and --to-time (DDD:HH:MM:SS[.fraction], as find-time takes its TIME). The
// two ways exclude each other; neither given takes the whole file.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

#include "common/status_code.h"
#include "export/record_selection.h"
#include "tools/qeltool/command_options.h"

void addStretchOptions(CLI::App* command, StretchOptions& options);

// The stretch in selection. SyntaxError (with why) for a time that is not a time tag or a window
// that ends before it starts.
StatusCode stretchFromOptions(const StretchOptions& options, RecordSelection& selection, std::string& why);
