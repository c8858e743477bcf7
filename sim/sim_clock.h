// The steady clock that moves the simulated card's time and bus traffic: the host's steady clock
// in the demonstration build, one that tests step in the tests.
#pragma once
#include <cstdint>

struct SteadyClock {
  virtual ~SteadyClock() = default;
  // Nanoseconds from an arbitrary origin; never goes back.
  virtual uint64_t nowNanoseconds() = 0;
};

// The host's steady clock (std::chrono::steady_clock).
SteadyClock& realSteadyClock();
