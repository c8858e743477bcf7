// Every card register offset and field the recorder uses. Offsets are byte offsets from the
// card's memory base; 16-bit register n is reached at base + (n XOR 2).
#pragma once
#include <cstdint>

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
constexpr uint32_t kMemoryBytes = 0xA0000;
}  // namespace reg

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
constexpr uint32_t kStart = 0x20000;
constexpr uint32_t kMiddle = 0x60000;
constexpr uint32_t kEnd = 0xA0000;
constexpr uint32_t kHalfBytes = 0x40000;
constexpr uint32_t kHalfWords = 0x20000;      // 16-bit words in one half
constexpr uint32_t kHalfRecords = 16384;
constexpr uint16_t kUpperHalfHigh = 6;        // register 36 at or above this: the upper half
}  // namespace ring

namespace timeword {  // the card's time word (and longword 0 of a record)
constexpr uint32_t kNoSignal = 0x80000000u;   // bit 31: no valid IRIG-B signal
constexpr int kDayHundredsShift = 28;         // bits 29-28
constexpr uint32_t kDayHundredsMask = 0x3;
constexpr int kDayLowShift = 21;              // bits 27-21
constexpr uint32_t kDayLowMask = 0x7F;
constexpr int kHoursShift = 16;               // bits 20-16
constexpr uint32_t kHoursMask = 0x1F;
constexpr int kMinutesShift = 6;              // bits 11-6
constexpr uint32_t kMinutesMask = 0x3F;
constexpr uint32_t kSecondsMask = 0x3F;       // bits 5-0
}  // namespace timeword

// Time-source word written to kTimeSource.
constexpr uint16_t kTimeSourceIrig = 0x8000;
constexpr uint16_t kTimeWordAIrigBits = 0x3FFF;
