// Building report lines straight into a caller's character buffer, for the report writer's
// inner loop.
#pragma once
#include <cstdint>

#include "files/bus_record.h"
#include "files/stack_format.h"

// No report line is longer than this (a 20-character label and a 64-character data part
// included), so a buffer with this much room always takes one more line.
constexpr unsigned kMaxReportLineChars = 256;

// Writes one report line, without line end or terminator, at out and returns the end of it.
// previousHalfMicros is the previous record's time tag in the half-microsecond form, 0 when
// there is none.
char* appendReportLine(char* out, int64_t lineNumber, const BusRecord& current, uint64_t previousHalfMicros,
                       StackFormat format);

// The report's TIME column without its tab: "%.03d:%.02d:%.02d:%.02d.%.03d%.03d" and a final 5 or 0
// for the half microsecond.
char* appendTimeTagText(char* out, const TimeTag& tag);

// "%.0Nllu": value with at least minDigits digits (minDigits at most 20).
char* appendUnsignedText(char* out, uint64_t value, unsigned minDigits);

// The layout of the BINARY and HEX columns for a record in a StackFormat (a ReportLayout).
int reportLayoutFor(const BusRecord& record, StackFormat format);
