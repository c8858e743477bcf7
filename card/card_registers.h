// Every card register offset and field the recorder uses. Offsets are byte offsets from the
// card's memory base; 16-bit register n is reached at base + (n XOR 2).
//
// The first time word the 0x303 doorbell latches has the layout of a record's longword 0 (its
// bit 31 set while no IRIG-B signal is present), the second that of longword 1: see
// common/record_layout.h.
#pragma once
#include <cstdint>

#include "common/record_layout.h"

namespace reg {
constexpr uint32_t kDoorbell = 0x00;          // write: 0x302 runs the command, 0x303 latches the time
constexpr uint32_t kTimeWords = 0x00;         // 32-bit reads (plain offset) after the 0x303 doorbell
constexpr uint32_t kCommand = 0x04;           // command code; reads 0 once carried out
constexpr uint32_t kSetUpBlock1 = 0x04;       // 37 words up to 0x4C
constexpr uint32_t kTriggerMask = 0x12;       // set-up value 0x000F
constexpr uint32_t kChannelMask = 0x20;       // set-up value 0x000F
constexpr uint32_t kSecondBlockStart = 0x22;  // set-up value 0x1000
constexpr uint32_t kWritePointerHigh = 0x24;  // 36: capture write pointer bits 19-16 in bits 3-0
constexpr uint32_t kWritePointerLow = 0x26;   // 38: capture write pointer bits 15-0
constexpr uint32_t kTimeWordA = 0x2C;         // 44
constexpr uint32_t kTimeWordB = 0x2E;         // 46
constexpr uint32_t kTimeSource = 0x38;        // 56: 0x8000 IRIG-B input, 0 internal
constexpr uint32_t kSetUpBlock2 = 0x1000;     // 17 words up to 0x1020
constexpr uint32_t kFilterMaskPair = 0x100C;  // 0x00FF, 0xFFFF
constexpr uint32_t kRingStartPair = 0x1018;   // 0, 2   -> ring start 2 x 0x10000
constexpr uint32_t kRingEndPair = 0x101C;     // 0, 10  -> ring end 10 x 0x10000
constexpr uint32_t kMemoryBytes = 0xA0000;    // the card's memory, registers included
}  // namespace reg

// The capture write pointer from registers 36 and 38, and back.
constexpr unsigned kWritePointerHighShift = 16;
constexpr uint32_t kWritePointerHighMask = 0xF;
constexpr uint32_t writePointerOf(uint16_t high, uint16_t low) {
  return ((uint32_t{high} & kWritePointerHighMask) << kWritePointerHighShift) | low;
}
constexpr uint16_t writePointerHigh(uint32_t pointer) {
  return static_cast<uint16_t>(pointer >> kWritePointerHighShift);
}
constexpr uint16_t writePointerLow(uint32_t pointer) { return static_cast<uint16_t>(pointer & 0xFFFFu); }

namespace doorbell {
constexpr uint16_t kRunCommand = 0x302;
constexpr uint16_t kLatchTime = 0x303;
}  // namespace doorbell

namespace cmd {
constexpr uint16_t kConfigure = 3;
constexpr uint16_t kStartCapture = 10;
constexpr uint16_t kStopCapture = 11;
constexpr uint16_t kLoadTime = 12;
}  // namespace cmd

namespace ring {
constexpr uint32_t kBoundUnit = 0x10000;      // the ring bound registers count in 64 KiB
constexpr uint32_t kStart = 2 * kBoundUnit;
constexpr uint32_t kEnd = reg::kMemoryBytes;  // the ring the recorder sets up ends with the memory
constexpr uint32_t kHalfBytes = (kEnd - kStart) / 2;
constexpr uint32_t kMiddle = kStart + kHalfBytes;
constexpr uint32_t kHalfWords = kHalfBytes / 2;  // 16-bit words in one half
constexpr uint32_t kHalfRecords = kHalfBytes / 16;
constexpr uint16_t kUpperHalfHigh = writePointerHigh(kMiddle);  // register 36 at or above this: the upper half
static_assert(kMiddle % kBoundUnit == 0 && kHalfRecords == 16384, "two halves of 16384 records");
}  // namespace ring

// The load-time words A (upper half) and B (lower half) read as one longword: the decimal digits
// of the day of the year and the time of day, and the year modulo 4.
namespace loadtime {
constexpr LongwordField kYearMod4{30, 0x3};
constexpr LongwordField kDayHundreds{28, 0x3};
constexpr LongwordField kDayTens{24, 0xF};
constexpr LongwordField kDayUnits{20, 0xF};
constexpr LongwordField kHourTens{18, 0x3};
constexpr LongwordField kHourUnits{14, 0xF};  // bits 1-0 of A and 15-14 of B
constexpr LongwordField kMinuteTens{11, 0x7};
constexpr LongwordField kMinuteUnits{7, 0xF};
constexpr LongwordField kSecondTens{4, 0x7};
constexpr LongwordField kSecondUnits{0, 0xF};
}  // namespace loadtime

// Time-source word written to kTimeSource.
constexpr uint16_t kTimeSourceIrig = 0x8000;
constexpr uint16_t kTimeWordAIrigBits = 0x3FFF;
