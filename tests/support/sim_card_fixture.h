// A simulated driver and card on a manual clock, with the session the card code works through.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "card/card_access.h"
#include "card/card_session.h"
#include "card/open_card.h"
#include "common/local_time.h"
#include "sim/sim_clock.h"
#include "sim/sim_driver.h"
#include "tests/support/sim_support.h"

struct SimCardFixture {
  ManualClock clock;
  LocalTime local{2026, 12, 5, 22, 7, 59};  // what the IRIG-B time follows
  std::unique_ptr<SimDriver> driver;
  CardSession session;

  explicit SimCardFixture(const SimConfig& config = SimConfig{}) {
    driver = std::make_unique<SimDriver>(config, clock, [this] { return local; });
    session.port = driver.get();
  }
  SimCardFixture(const SimCardFixture&) = delete;
  SimCardFixture& operator=(const SimCardFixture&) = delete;

  StatusCode open() { return openCard(&session); }
  KolvaCard& card() { return driver->card; }
};

// The card's register writes so far, as (offset, value).
using RegisterWrites = std::vector<std::pair<uint32_t, unsigned>>;
inline RegisterWrites registerWritesOf(const SimCardFixture& fixture) {
  RegisterWrites writes;
  for (const RegisterWrite& w : fixture.driver->writeLog()) writes.push_back({w.offset, w.value});
  return writes;
}

// The card opened, with nothing in its register-write log yet.
struct OpenedSimCard : SimCardFixture {
  explicit OpenedSimCard(const SimConfig& config = SimConfig{}) : SimCardFixture(config) {
    EXPECT_EQ(open(), StatusCode::Success);
    card().writeLog.clear();
  }
};

// Card access for tests that expect every request to work.
inline void writeRegister(CardSession& session, uint32_t offset, uint16_t value) {
  EXPECT_EQ(writeCardWord(session, offset, value), StatusCode::Success) << offset;
}
inline uint16_t readRegister(CardSession& session, uint32_t offset) {
  uint16_t value = 0;
  EXPECT_EQ(readCardWord(session, offset, value), StatusCode::Success) << offset;
  return value;
}
inline uint32_t readWritePointer(CardSession& session) {
  uint32_t pointer = 0;
  EXPECT_EQ(readCaptureWritePointer(session, pointer), StatusCode::Success);
  return pointer;
}
inline void readBlock(CardSession& session, uint32_t offset, uint32_t wordCount, void* buffer) {
  EXPECT_EQ(readCardBlock(session, offset, wordCount, buffer), StatusCode::Success) << offset;
}
