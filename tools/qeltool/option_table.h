// The command line as a table, for the generated manual page and shell completion: a hidden
// "qeltool --option-table" prints it, so that both follow the options as the tool defines them.
#pragma once
#include <CLI/CLI.hpp>

// One line a row, fields separated by tabs (a tab or line end inside a text becomes a space):
//   tool        DESCRIPTION
//   command     NAME  DESCRIPTION
//   footer      COMMAND  TEXT
//   positional  COMMAND  NAME  REQUIRED(0/1)  DESCRIPTION
//   option      COMMAND  NAMES  VALUE  CHOICES  DEFAULT  REQUIRED(0/1)  DESCRIPTION
// COMMAND is empty for the tool's own options. NAMES are separated by spaces ("-o --output");
// VALUE is the kind of value ("N", "TEXT") and empty for a flag; CHOICES, separated by spaces,
// are the only values taken, when the option has such a list. Hidden options are left out, as
// in the help. Returns the exit code.
int printOptionTable(const CLI::App& app);
