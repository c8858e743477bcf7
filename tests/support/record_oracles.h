// Record code that only the tests use: the plain, one-record-at-a-time forms of what the product
// does over whole blocks, against which its faster forms are checked, and the way back from a
// record to its file bytes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "files/bus_record.h"
#include "files/stack_format.h"
#include "search/search_settings.h"

// Exchanges units 0 and 1, 2 and 3, 4 and 5, 6 and 7 (its own inverse).
void swapWordPairs(uint16_t words[8]);

// The 16 file bytes of a record (the inverse of busRecordFromBytes).
void busRecordToBytes(const BusRecord& record, unsigned char* bytes);

// Reads the next 16 bytes as eight units and swaps the pairs. Returns the number of whole units
// delivered (0 to 8); only 8 yields a record. Units not delivered are left as they were.
unsigned readBusRecord(FILE* file, BusRecord& record);

// timeTagHalfMicrosExact as a double (exact: every value is below 2^53).
double timeTagHalfMicros(const TimeTag& tag);

// The time in microseconds: exactly half the half-microsecond form (an odd halfMicros ends in .5).
double timeTagMicros(const TimeTag& tag);

// One report line without its line end, as the report writes it.
std::string formatReportLine(int64_t lineNumber, const BusRecord& current, const TimeTag& previous,
                             StackFormat format);

// Whether one record with its neighbours' times matches the criteria (times in microseconds),
// each criterion tested as the dialog states it.
bool recordMatches(const SearchSettings& settings, const BusRecord& record, double tCur, bool prevValid,
                   double tPrev, bool nextValid, double tNext);
