// The TIME argument of qeltool: DDD:HH:MM:SS[.fraction], the five time-tag fields of the dialog.
#pragma once
#include <string>

#include "common/status_code.h"

// Splits the text at its three colons and the first point after the last colon, then converts
// the five fields as the dialog's time-tag edits are converted (digits only, an empty field is
// 0, at most 3 digits of day and 2 of hours, minutes and seconds, each within its range).
// SyntaxError for anything else; target is 0 first and stays 0 then.
StatusCode parseTimeText(const std::string& text, double& target);

// The target of a text that parseTimeText accepts, in microseconds, written exactly from its
// digits rather than from the double: "12000.0", "299.5", "1.0000001".
std::string exactMicrosText(const std::string& text);
