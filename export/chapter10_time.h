// The body of a Chapter 10 time packet (Time Data Format 1, IRIG day format): the time of day and
// the day of the year in binary-coded decimal, to the hundredth of a second.
#pragma once
#include <cstdint>

constexpr unsigned kTimeBodyBytes = 10;  // channel-specific data word and three 16-bit words

// Half microseconds in 10 ms, the resolution of a time packet.
constexpr uint64_t kTimePacketStepHalfMicros = 20000;

// The time packet's channel-specific data word: time source internal (the card's clock, which
// may or may not have followed IRIG-B), IRIG-B format, IRIG day format; the leap-year bit is added
// where the year is known to be a leap year.
constexpr uint32_t kTimeDataWord = 0;
constexpr uint32_t kTimeLeapYearBit = 0x100;

// Writes the data word and the BCD words for a time given in half microseconds since the start of
// day 0 (whole hundredths of a second are written, the rest dropped). The leap-year bit is set when
// leapYear is or the day is 366 (a day only a leap year has). A day of 400 or later, which only
// out-of-range time-tag fields give, is written less 400: the result says whether it was.
bool putTimeBody(unsigned char* body, uint64_t halfMicros, bool leapYear);
