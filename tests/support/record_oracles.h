// Record code that only the tests use: the plain, one-record-at-a-time forms of what the product
// does over whole blocks, against which its faster forms are checked.
#pragma once
#include <cstdint>
#include <string>

#include "files/bus_record.h"
#include "files/stack_format.h"
#include "search/search_settings.h"

// The time in microseconds: exactly half the half-microsecond form (an odd halfMicros ends in .5).
double timeTagMicros(const TimeTag& tag);

// One report line without its line end, as the report writes it.
std::string formatReportLine(int64_t lineNumber, const BusRecord& current, const TimeTag& previous,
                             StackFormat format);

// Whether one record with its neighbours' times matches the criteria (times in microseconds),
// each criterion tested as the dialog states it.
bool recordMatches(const SearchSettings& settings, const BusRecord& record, double tCur, bool prevValid,
                   double tPrev, bool nextValid, double tNext);
