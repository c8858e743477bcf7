// Which records export and cut take, on the command line: --from and --lines as the report takes
// them, or --from-time and --to-time (DDD:HH:MM:SS[.fraction] or +HH:MM:SS[.fraction] after the
// first record, as find-time takes its TIME). The two ways exclude each other; neither given takes
// the whole file.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

#include "common/status_code.h"
#include "export/record_selection.h"
#include "tools/qeltool/command_options.h"

void addStretchOptions(CLI::App* command, StretchOptions& options);

// The stretch in selection; a time after the first record is resolved from file's first record.
// SyntaxError (with why) for a time that is neither form or a window that ends before it starts;
// the read's status (why: the file) when the first record cannot be read.
StatusCode stretchFromOptions(const StretchOptions& options, const std::string& file, RecordSelection& selection,
                              std::string& why);
