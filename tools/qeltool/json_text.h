// Pieces of the --json output.
#pragma once
#include <string>

// A JSON string literal, quotes included.
std::string jsonQuoted(const std::string& text);
