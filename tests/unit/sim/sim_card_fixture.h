// A simulated driver and card on a manual clock, with the session the card code works through.
#pragma once
#include <memory>

#include "card/card_session.h"
#include "card/open_card.h"
#include "common/local_time.h"
#include "sim/sim_clock.h"
#include "sim/sim_driver.h"

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

inline LocalTime makeLocalTime(int year, int month, int day, int hour, int minute, int second) {
  LocalTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return t;
}
