// The --format names of the bus formats (the dialog's "STACK Format" buttons).
#pragma once
#include <CLI/CLI.hpp>
#include <string>

#include "files/stack_format.h"

// binary, mdm, ldb, mec, eiu, 1553; false for any other name.
bool stackFormatNamed(const std::string& name, StackFormat& format);

// The --format option of a subcommand: one of those names, any case, "binary" when not given.
CLI::Option* addFormatOption(CLI::App* command, std::string& format, const std::string& help);
