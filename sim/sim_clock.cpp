#include "sim/sim_clock.h"

#include <chrono>

namespace {

struct HostSteadyClock final : SteadyClock {
  uint64_t nowNanoseconds() override {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
  }
};

}  // namespace

SteadyClock& realSteadyClock() {
  static HostSteadyClock clock;
  return clock;
}
