// The setup record (TMATS, RCC 106 Chapter 9) that opens an exported Chapter 10 file: the
// recorder, the data source and its five channels (time and the buses J1 to J4).
#pragma once
#include <string>

// The TMATS text, one "CODE:value;" attribute a line, lines ended with CR LF. sourceName (the data
// file's name) appears in the description; characters TMATS cannot carry in a value are replaced.
std::string chapter10SetupText(const std::string& sourceName);
