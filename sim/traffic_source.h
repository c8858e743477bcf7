// Where the simulated card's bus words come from: the seeded generator or a replayed data file.
#pragma once
#include <string>

#include "sim/replay_traffic.h"
#include "sim/traffic_generator.h"

enum class TrafficKind { kGenerated, kReplay };

struct TrafficSource {
  TrafficKind kind = TrafficKind::kGenerated;
  TrafficConfig config;  // for generated traffic
  TrafficGenerator generator;
  ReplayTraffic replay;
};

// Generated traffic from its beginning.
void useGeneratedTraffic(TrafficSource& source, const TrafficConfig& config);

// The records of a data file; false (and a silent bus) when it cannot be opened.
bool useReplayTraffic(TrafficSource& source, const std::string& path);

// Back to the first word.
void restartTraffic(TrafficSource& source);

inline const BusWordEvent& peekTraffic(const TrafficSource& source) {
  return source.kind == TrafficKind::kReplay ? peekReplayWord(source.replay) : peekBusWord(source.generator);
}

inline BusWordEvent nextTraffic(TrafficSource& source) {
  return source.kind == TrafficKind::kReplay ? nextReplayWord(source.replay) : nextBusWord(source.generator);
}
