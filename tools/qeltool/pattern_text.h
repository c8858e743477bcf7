// The --pattern text of qeltool search: the 24 pattern bits as the dialog's icons show them.
#pragma once
#include <cstdint>
#include <string>

// 24 characters, bit 23 first: "1" (ONE), "0" (ZERO), "x" or "X" (DCARE); underscores and
// blanks may group them and are skipped. An empty text leaves every bit DCARE. False for
// anything else (then the masks are unchanged).
bool parsePatternText(const std::string& text, uint32_t& oneMask, uint32_t& dontCareMask);
