// Times as people type them: DDD:HH:MM:SS[.fraction], the five time-tag fields of the dialog, or
// +HH:MM:SS[.fraction], a time after the recording's first record. A typed time is parsed first
// and resolved once the first record's time tag is known.
#pragma once
#include <string>

#include "common/status_code.h"

// The forms a typed time may take, for messages and help.
constexpr const char* kTimeForms = "DDD:HH:MM:SS[.fraction] or +HH:MM:SS[.fraction]";

enum class TimeBase {
  Absolute,     // the time tag itself
  FirstRecord,  // after the time tag of the recording's first record
};

struct TypedTime {
  TimeBase base = TimeBase::Absolute;
  double micros = 0.0;  // Absolute: since the start of day 0; FirstRecord: after the first record
  double exactMicros = 0.0;  // the same, the double nearest the typed digits (micros may differ in its last bit)
};

// Absolute text: split at its three colons and the first point after the last colon, the five
// fields converted as the dialog's time-tag edits are (digits only, an empty field is 0, at most 3
// digits of day and 2 of hours, minutes and seconds, each within its range). Relative text: a "+",
// then hours (at most 4 digits, up to day 366), minutes and seconds as above. SyntaxError for
// anything else; time is then left as it was.
StatusCode parseTypedTime(const std::string& text, TypedTime& time);

// The time in microseconds since the start of day 0, given the first record's (0 when the file
// holds none). exact: from exactMicros, for showing; otherwise from micros, for searching.
double resolveTypedTime(const TypedTime& time, double firstRecordMicros, bool exact = false);

// The time tag of the first record of a data file in microseconds; 0 when it holds no whole record.
StatusCode firstRecordMicros(const std::string& path, double& micros);

// An absolute time only (DDD:HH:MM:SS[.fraction]), as parseTypedTime; target is 0 first.
StatusCode parseTimeText(const std::string& text, double& target);
