// The digits-only parser of the dialog's number fields.
#pragma once
#include <cstdint>

// Digits only: an empty text gives 0 without an error; any other character (a sign, a blank,
// a decimal point) ORs 1 into syntaxError, which the parser never clears. The value is a double,
// exact for every whole number up to 2^53, so that line numbers of 50 GB files can be typed.
double parseDecimalField(const char* text, uint16_t& syntaxError);
