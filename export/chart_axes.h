// Axis scales and number texts for the overview's plots.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The smallest of 1, 2 and 5 times a power of ten that is at least value (value > 0).
double niceCeiling(double value);

// The top of a linear axis that shows values up to value: a whole number of nice steps, about
// five of them (1 for a value of 0).
double niceTop(double value);

// Tick values from 0 up to at most top, about `target` of them, a nice step apart.
std::vector<double> niceTicks(double top, int target);

// A number for an axis label: "0", "2.5", "40", "1.2k", "35M".
std::string axisNumber(double value);

// A count with thousands separated by commas: "1,234,567".
std::string groupedCount(uint64_t count);

// A time in half microseconds since the start of day 0 as DDD:HH:MM:SS.fffffff.
std::string timeOfDayText(uint64_t halfMicros);

// A duration in half microseconds as "2 h 05 min 07.25 s", "3 min 02.5 s" or "12.004 s".
std::string durationText(uint64_t halfMicros);

// The unit a time axis of this length is labelled in: its name and its length in seconds.
struct TimeUnit {
  const char* name;
  double seconds;
};
TimeUnit timeUnitFor(double spanSeconds);

// The step between time-of-day ticks: the smallest of 1, 2 and 5 times a power of ten below a
// second, then 1, 2, 5, 10, 15 and 30 s, 1, 2, 5, 10, 15 and 30 min, 1, 2, 3, 6 and 12 h and whole
// days, that is at least minimumSeconds.
double clockStep(double minimumSeconds);

// A time in half microseconds since the start of day 0 as DDD:HH:MM:SS, with the decimals of the
// second that ticks stepSeconds apart need.
std::string tickTimeText(uint64_t halfMicros, double stepSeconds);
