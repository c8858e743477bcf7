// The time-tag search: the first record at or after a typed time.
#pragma once
#include <cstdint>
#include <string>

#include "common/status_code.h"
#include "search/scan_options.h"

// The five time fields (day, hours, minutes, seconds, fraction digits) to microseconds.
// target is 0 first and stays 0 on SyntaxError.
StatusCode parseTimeTagFields(const char* day, const char* hours, const char* minutes, const char* seconds,
                              const char* fraction, double& target);

// The smallest half-microsecond time whose microsecond form is at or after target; beyond every
// time tag for a NaN target.
uint64_t firstHalfMicrosAtOrAfter(double target);

// The line (from 1) of the first record in file order whose time tag in microseconds is at or
// after target; the number of records plus one when none is. line is 0 first. FileOpenError when
// the file cannot be opened. A trailing fragment of fewer than 16 bytes is ignored. With the saved index only the
// block that holds that record is read: every block before it has its largest time below target.
// progress, when given, hears the bytes passed of the file's size after each run of blocks.
StatusCode findTimeTag(const std::string& path, double target, uint64_t& line, const ScanOptions& options);
StatusCode findTimeTag(const std::string& path, double target, uint64_t& line,
                       const ScanProgress* progress = nullptr);
