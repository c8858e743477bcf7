// qeltool view: the viewer's server for a folder of recordings or one recording.
#pragma once
#include <CLI/CLI.hpp>

// Adds the subcommand; runView serves what it was given.
void addView(CLI::App& app);
int runView();
