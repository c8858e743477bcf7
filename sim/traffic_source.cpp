#include "sim/traffic_source.h"

void useGeneratedTraffic(TrafficSource& source, const TrafficConfig& config) {
  source.kind = TrafficKind::kGenerated;
  source.config = config;
  source.replay.file.reset();
  resetTrafficGenerator(source.generator, config);
}

bool useReplayTraffic(TrafficSource& source, const std::string& path) {
  source.kind = TrafficKind::kReplay;
  return openReplayTraffic(source.replay, path);
}

void restartTraffic(TrafficSource& source) {
  switch (source.kind) {
    case TrafficKind::kReplay:
      rewindReplayTraffic(source.replay);
      break;
    case TrafficKind::kGenerated:
      resetTrafficGenerator(source.generator, source.config);
      break;
  }
}
