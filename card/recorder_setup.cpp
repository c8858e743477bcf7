#include "card/recorder_setup.h"

#include "card/card_access.h"
#include "card/card_registers.h"

namespace {

constexpr int kFirstBlockWords = 37;
constexpr int kSecondBlockWords = 17;
constexpr int kTimeSourceIndex = (reg::kTimeSource - reg::kSetUpBlock1) / 2;

// Registers 0x04 to 0x4C; the time-source word is filled in per recording.
constexpr uint16_t kFirstBlock[kFirstBlockWords] = {
    0, 0, 0, 0, 0, 0, 0,                // 0x04-0x10
    0x000F,                             // 0x12
    0, 0, 0, 0, 0, 0,                   // 0x14-0x1E
    0x000F,                             // 0x20
    static_cast<uint16_t>(reg::kSetUpBlock2),  // 0x22
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,       // 0x24-0x36: write pointer, time words
    0,                                  // 0x38: time source
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,       // 0x3A-0x4C
};

// Registers 0x1000 to 0x1020: 24-bit word mask at 0x100C, ring start 2 and end 10 (x 0x10000).
constexpr uint16_t kSecondBlock[kSecondBlockWords] = {
    0, 0, 0xC000, 0, 0, 0, 0x00FF, 0xFFFF, 0xFFFF, 0x8030, 0, 0, 0, ring::kStart / ring::kBoundUnit, 0,
    ring::kEnd / ring::kBoundUnit, 0,
};

static_assert(reg::kSetUpBlock1 + 2 * (kFirstBlockWords - 1) == 0x4C, "first block ends at 0x4C");
constexpr int firstBlockIndex(uint32_t offset) { return static_cast<int>(offset - reg::kSetUpBlock1) / 2; }
constexpr int secondBlockIndex(uint32_t offset) { return static_cast<int>(offset - reg::kSetUpBlock2) / 2; }
static_assert(kFirstBlock[firstBlockIndex(reg::kTriggerMask)] == 0x000F &&
                  kFirstBlock[firstBlockIndex(reg::kChannelMask)] == 0x000F &&
                  kFirstBlock[firstBlockIndex(reg::kSecondBlockStart)] == reg::kSetUpBlock2,
              "every bus triggers and is captured; the second block where it is");
static_assert(kSecondBlock[secondBlockIndex(reg::kFilterMaskPair)] == 0x00FF &&
                  kSecondBlock[secondBlockIndex(reg::kFilterMaskPair) + 1] == 0xFFFF &&
                  kSecondBlock[secondBlockIndex(reg::kRingStartPair) + 1] == ring::kStart / ring::kBoundUnit &&
                  kSecondBlock[secondBlockIndex(reg::kRingEndPair) + 1] == ring::kEnd / ring::kBoundUnit,
              "all 24 bits of every word pass the filter; the ring the recorder drains");
static_assert(reg::kSetUpBlock2 + 2 * (kSecondBlockWords - 1) == 0x1020, "second block ends at 0x1020");

}  // namespace

CardTimeWords cardTimeWords(const LocalTime& time, int irigInput) {
  const unsigned day = static_cast<unsigned>(dayOfYear(time));
  const unsigned yearMod4 = static_cast<unsigned>(time.year % 4) & 0x3u;
  const unsigned hour = static_cast<unsigned>(time.hour);
  const unsigned minute = static_cast<unsigned>(time.minute);
  const unsigned second = static_cast<unsigned>(time.second);
  using namespace loadtime;
  const uint32_t both = fieldBits(kYearMod4, yearMod4) | fieldBits(kDayHundreds, day / 100) |
                        fieldBits(kDayTens, day / 10 % 10) | fieldBits(kDayUnits, day % 10) |
                        fieldBits(kHourTens, hour / 10) | fieldBits(kHourUnits, hour % 10) |
                        fieldBits(kMinuteTens, minute / 10) | fieldBits(kMinuteUnits, minute % 10) |
                        fieldBits(kSecondTens, second / 10) | fieldBits(kSecondUnits, second % 10);
  uint16_t a = static_cast<uint16_t>(both >> 16);
  if (irigInput != 0) a |= kTimeWordAIrigBits;
  return CardTimeWords{a, static_cast<uint16_t>(both & 0xFFFFu)};
}

StatusCode setUpRecorder(CardSession& session, int irigInput) {
  const uint16_t timeSource = irigInput != 0 ? kTimeSourceIrig : 0;
  StatusCode status = StatusCode::Success;
  uint32_t offset = reg::kSetUpBlock1;
  for (int i = 0; i < kFirstBlockWords && ok(status); ++i) {
    status = writeCardWordNext(session, offset, i == kTimeSourceIndex ? timeSource : kFirstBlock[i]);
  }
  offset = reg::kSetUpBlock2;
  for (int i = 0; i < kSecondBlockWords && ok(status); ++i) {
    status = writeCardWordNext(session, offset, kSecondBlock[i]);
  }
  return ok(status) ? issueCardCommand(session, cmd::kConfigure, true) : status;
}

StatusCode loadTimeAndStart(CardSession& session, int irigInput, const LocalTime& now) {
  const CardTimeWords words = cardTimeWords(now, irigInput);
  uint32_t offset = reg::kTimeWordA;
  StatusCode status = writeCardWordNext(session, offset, words.a);
  if (ok(status)) status = writeCardWordNext(session, offset, words.b);
  if (ok(status)) status = issueCardCommand(session, cmd::kLoadTime, true);
  if (ok(status)) status = issueCardCommand(session, cmd::kStartCapture, false);
  return status;
}

void reinitialiseRecorder(CardSession& session, bool cardPresent, int16_t& irigInput, const LocalTime& now) {
  if (!cardPresent) return;
  const int16_t saved = irigInput;
  irigInput = static_cast<int16_t>(kTimeSourceIrig);
  // Every step runs whatever the one before gave; nothing is reported.
  static_cast<void>(setUpRecorder(session, irigInput));
  static_cast<void>(loadTimeAndStart(session, irigInput, now));
  busyCount(kReinitialiseBusyCount);
  static_cast<void>(stopCapture(session));
  irigInput = saved;
}
