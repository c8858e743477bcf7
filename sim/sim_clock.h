// The steady clock that moves the simulated card's time and bus traffic. Tests step a ManualClock;
// the demonstration build uses the host's steady clock.
#pragma once
#include <cstdint>

struct SteadyClock {
  virtual ~SteadyClock() = default;
  // Nanoseconds from an arbitrary origin; never goes back.
  virtual uint64_t nowNanoseconds() = 0;
};

// A clock that moves only when told.
struct ManualClock final : SteadyClock {
  uint64_t now = 0;
  uint64_t nowNanoseconds() override { return now; }
  void advance(uint64_t nanoseconds) { now += nanoseconds; }
};

// The host's steady clock (std::chrono::steady_clock).
SteadyClock& realSteadyClock();
