#include "export/chart_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/record_layout.h"

double niceCeiling(double value) {
  if (!(value > 0.0)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double mantissa : {1.0, 2.0, 5.0, 10.0}) {
    if (mantissa * power >= value * (1.0 - 1e-12)) return mantissa * power;
  }
  return 10.0 * power;
}

double niceTop(double value) {
  if (!(value > 0.0)) return 1.0;
  const double step = niceCeiling(value / 5.0);
  return std::ceil(value / step * (1.0 - 1e-12)) * step;
}

std::vector<double> niceTicks(double top, int target) {
  std::vector<double> ticks;
  if (!(top > 0.0) || target < 1) return {0.0};
  const double step = niceCeiling(top / target);
  for (int i = 0; i * step <= top * (1.0 + 1e-9); ++i) ticks.push_back(i * step);
  return ticks;
}

std::string axisNumber(double value) {
  const double magnitude = std::fabs(value);
  double shown = value;
  const char* suffix = "";
  if (magnitude >= 1e9) {
    shown = value / 1e9;
    suffix = "G";
  } else if (magnitude >= 1e6) {
    shown = value / 1e6;
    suffix = "M";
  } else if (magnitude >= 1e3) {
    shown = value / 1e3;
    suffix = "k";
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.3g%s", shown, suffix);
  return text;
}

std::string groupedCount(uint64_t count) {
  const std::string digits = std::to_string(count);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

std::string timeOfDayText(uint64_t halfMicros) {
  const uint64_t seconds = halfMicros / kHalfMicrosPerSecond;
  const uint64_t fraction = halfMicros % kHalfMicrosPerSecond * 5;  // in units of 100 ns
  char text[48];
  std::snprintf(text, sizeof text, "%03llu:%02u:%02u:%02u.%07llu", static_cast<unsigned long long>(seconds / 86400),
                static_cast<unsigned>(seconds / 3600 % 24), static_cast<unsigned>(seconds / 60 % 60),
                static_cast<unsigned>(seconds % 60), static_cast<unsigned long long>(fraction));
  return text;
}

std::string durationText(uint64_t halfMicros) {
  const uint64_t seconds = halfMicros / kHalfMicrosPerSecond;
  const uint64_t halfMicrosPerMinute = 60 * kHalfMicrosPerSecond;
  const double rest = static_cast<double>(halfMicros % halfMicrosPerMinute) / kHalfMicrosPerSecond;  // of the minute
  char text[64];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%llu h %02u min %05.2f s", static_cast<unsigned long long>(seconds / 3600),
                  static_cast<unsigned>(seconds / 60 % 60), rest);
  } else if (seconds >= 60) {
    std::snprintf(text, sizeof text, "%u min %06.3f s", static_cast<unsigned>(seconds / 60), rest);
  } else {
    std::snprintf(text, sizeof text, "%.6f s", static_cast<double>(halfMicros) / 2e6);
  }
  return text;
}

TimeUnit timeUnitFor(double spanSeconds) {
  if (spanSeconds >= 3.0 * 3600.0) return {"h", 3600.0};
  if (spanSeconds >= 3.0 * 60.0) return {"min", 60.0};
  if (spanSeconds >= 3.0) return {"s", 1.0};
  return {"ms", 0.001};
}

double clockStep(double minimumSeconds) {
  static const double kSteps[] = {1,   2,   5,   10,   15,   30,   60,    120,   300,  600,
                                  900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  if (minimumSeconds < 1.0) return std::min(1.0, std::max(1e-3, niceCeiling(minimumSeconds)));
  for (const double step : kSteps) {
    if (step >= minimumSeconds) return step;
  }
  return std::ceil(minimumSeconds / 86400) * 86400;
}

std::string tickTimeText(uint64_t halfMicros, double stepSeconds) {
  const std::string full = timeOfDayText(halfMicros);  // DDD:HH:MM:SS.fffffff
  int decimals = 0;
  for (double step = stepSeconds; decimals < 7 && step - std::floor(step + 1e-9) > 1e-9; step *= 10) ++decimals;
  return full.substr(0, decimals == 0 ? 12 : 13 + decimals);
}
