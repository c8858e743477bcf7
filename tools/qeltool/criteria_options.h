// The search criteria on the command line, shared by search and export: --pattern, --sync,
// --errors, --bus, --gap-min, --gap-max and --gap, turned into SearchSettings as the dialog's
// controls would hold them.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

#include "common/status_code.h"
#include "search/search_settings.h"
#include "tools/qeltool/command_options.h"

// Declares the options on a subcommand (and the callback that notes which gap bounds were given).
void addCriteriaOptions(CLI::App* command, CriteriaOptions& options);

// The criteria in settings (the rest of settings at its defaults). The numbers arrive checked by the
// parse; unlike the dialog, which lets an upper bound of 0 pass its order check, any lower bound
// above the upper one is refused. SyntaxError (with why) for anything malformed.
StatusCode criteriaFromOptions(const CriteriaOptions& options, SearchSettings& settings, std::string& why);

// True when the criteria let every record through (all pattern bits x, any sync, errors and bus,
// no gap bound).
bool criteriaTakeEverything(const SearchSettings& settings);
