// Pieces of the --json output.
#pragma once
#include <string>

// A JSON string literal, quotes included. Quotes, backslashes and control characters are escaped;
// each byte that is not part of well-formed UTF-8 becomes \ufffd, so the result is always valid
// JSON whatever the encoding of a file name.
std::string jsonQuoted(const std::string& text);
