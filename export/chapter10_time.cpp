#include "export/chapter10_time.h"

#include "common/little_endian.h"
#include "common/record_layout.h"

namespace {

constexpr unsigned kDaysBcdCanHold = 400;

// Two BCD digits of a value below 100.
uint16_t bcd2(unsigned value) { return static_cast<uint16_t>((value / 10) << 4 | (value % 10)); }

}  // namespace

bool putTimeBody(unsigned char* body, uint64_t halfMicros, bool leapYear) {
  const uint64_t totalSeconds = halfMicros / kHalfMicrosPerSecond;
  const unsigned hundredths = static_cast<unsigned>(halfMicros % kHalfMicrosPerSecond / kTimePacketStepHalfMicros);
  const unsigned second = static_cast<unsigned>(totalSeconds % 60);
  const unsigned minute = static_cast<unsigned>(totalSeconds / 60 % 60);
  const unsigned hour = static_cast<unsigned>(totalSeconds / 3600 % 24);
  const uint64_t day = totalSeconds / 86400;
  const unsigned dayWritten = static_cast<unsigned>(day % kDaysBcdCanHold);

  putLe32(body, kTimeDataWord | (leapYear || day == 366 ? kTimeLeapYearBit : 0u));
  putLe16(body + 4, static_cast<uint16_t>(bcd2(second) << 8 | bcd2(hundredths)));
  putLe16(body + 6, static_cast<uint16_t>(bcd2(hour) << 8 | bcd2(minute)));
  putLe16(body + 8, static_cast<uint16_t>((dayWritten / 100) << 8 | bcd2(dayWritten % 100)));
  return day < kDaysBcdCanHold;
}
