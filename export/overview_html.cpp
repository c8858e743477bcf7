#include "export/overview_html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/chart_axes.h"
#include "files/report.h"

namespace {

// Okabe-Ito colours: J1 blue, J2 orange, J3 bluish green, J4 reddish purple; vermillion for
// errors and time going backwards, sky blue for jumps ahead.
const char* const kBusColours[4] = {"#0072B2", "#E69F00", "#009E73", "#CC79A7"};
const char* const kBusDashes[4] = {"", "7 3", "2 2", "9 3 2 3"};
const char kErrorColour[] = "#D55E00";
const char kJumpColour[] = "#56B4E9";
const char kBarColour[] = "#0072B2";
const char kCommandColour[] = "#009E73";

// Every plot is drawn in a 960-unit-wide view box and scales with the page.
constexpr double kWidth = 960;
constexpr double kLeft = 78;
constexpr double kRight = 24;
constexpr double kPlotWidth = kWidth - kLeft - kRight;

std::string num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

double seconds(uint64_t halfMicros) { return static_cast<double>(halfMicros) / 2e6; }

// At most this many steps a line: neighbouring bins are shown together beyond it.
constexpr unsigned kMaxShownBins = 160;

// The horizontal scale shared by the plots over the recorded time, and the bins as shown.
struct TimeAxis {
  double domainSeconds;  // the plot's right edge
  double binSeconds;     // of a shown bin
  unsigned binsPerShown;
  unsigned shownBins;
  TimeUnit unit;
  double x(double atSeconds) const {
    return kLeft + std::min(atSeconds, domainSeconds) / domainSeconds * kPlotWidth;
  }
};

TimeAxis timeAxisFor(const OverviewSummary& s) {
  TimeAxis axis;
  axis.binsPerShown = 1;
  while (s.binsUsed > kMaxShownBins * axis.binsPerShown) axis.binsPerShown *= 2;
  axis.shownBins = (s.binsUsed + axis.binsPerShown - 1) / axis.binsPerShown;
  axis.binSeconds = seconds(s.binHalfMicros) * axis.binsPerShown;
  axis.domainSeconds = std::max(seconds(s.recordedHalfMicros), seconds(s.binHalfMicros));
  axis.unit = timeUnitFor(axis.domainSeconds);
  return axis;
}

// Opens a plot's svg element: its id, its title for screen readers and its height.
std::string openSvg(const std::string& id, const std::string& title, double height, const std::string& extra = "") {
  return "<svg id=\"" + id + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(height) + "\" role=\"img\" aria-label=\"" +
         escaped(title) + "\"" + extra + ">\n";
}

std::string text(double x, double y, const std::string& content, const std::string& attributes = "") {
  return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + attributes + ">" + escaped(content) + "</text>\n";
}

// The recorded-time axis along the bottom of a plot area: grid, ticks, labels and its title.
std::string timeAxisSvg(const TimeAxis& axis, double top, double bottom) {
  std::string svg;
  for (const double tick : niceTicks(axis.domainSeconds / axis.unit.seconds, 8)) {
    const double x = axis.x(tick * axis.unit.seconds);
    svg += "<line class=\"grid\" x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(top) + "\" y2=\"" +
           num(bottom) + "\"/>\n";
    char label[32];
    std::snprintf(label, sizeof label, "%g", tick);
    svg += text(x, bottom + 16, label, " text-anchor=\"middle\"");
  }
  svg += text(kLeft + kPlotWidth / 2, bottom + 36, std::string("recorded time (") + axis.unit.name + ")",
              " text-anchor=\"middle\" class=\"axis-title\"");
  return svg;
}

// A linear vertical axis from 0 to top: grid, labels and the title turned on its side.
std::string valueAxisSvg(double topValue, double top, double bottom, const std::string& title) {
  std::string svg;
  for (const double tick : niceTicks(topValue, 5)) {
    const double y = bottom - tick / topValue * (bottom - top);
    svg += "<line class=\"grid\" x1=\"" + num(kLeft) + "\" x2=\"" + num(kLeft + kPlotWidth) + "\" y1=\"" + num(y) +
           "\" y2=\"" + num(y) + "\"/>\n";
    svg += text(kLeft - 6, y + 4, axisNumber(tick), " text-anchor=\"end\"");
  }
  const double middle = (top + bottom) / 2;
  svg += "<text class=\"axis-title\" text-anchor=\"middle\" transform=\"translate(16 " + num(middle) +
         ") rotate(-90)\">" + escaped(title) + "</text>\n";
  return svg;
}

std::string frameSvg(double top, double bottom) {
  return "<rect class=\"frame\" x=\"" + num(kLeft) + "\" y=\"" + num(top) + "\" width=\"" + num(kPlotWidth) +
         "\" height=\"" + num(bottom - top) + "\"/>\n";
}

// Vertical marks where the time broke, on a plot over the recorded time.
std::string breakLinesSvg(const OverviewSummary& s, const TimeAxis& axis, double top, double bottom) {
  std::string svg;
  for (const TimeBreak& b : s.breaks) {
    const double x = axis.x(seconds(b.recordedHalfMicros));
    svg += "<line class=\"break\" x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(top) + "\" y2=\"" +
           num(bottom) + "\"/>\n";
  }
  return svg;
}

// One series of per-bin rates as a step line.
std::string stepPath(const std::vector<double>& rates, const TimeAxis& axis, double topValue, double top,
                     double bottom, const std::string& name, const std::string& colour, const std::string& dashes) {
  std::string d;
  for (size_t i = 0; i < rates.size(); ++i) {
    const double y = bottom - rates[i] / topValue * (bottom - top);
    const double x0 = axis.x(i * axis.binSeconds);
    d += i == 0 ? "M" + num(x0) + " " + num(y) : "V" + num(y);
    d += "H" + num(axis.x((i + 1) * axis.binSeconds));
  }
  return "<path class=\"series\" data-series=\"" + name + "\" d=\"" + d + "\" stroke=\"" + colour + "\"" +
         (dashes.empty() ? "" : " stroke-dasharray=\"" + dashes + "\"") + "/>\n";
}

struct Rates {
  std::vector<double> bus[4];
  std::vector<double> errors;
};

Rates ratesOf(const OverviewSummary& s, const TimeAxis& axis) {
  Rates r;
  for (unsigned shown = 0; shown < axis.shownBins; ++shown) {
    uint64_t words[4] = {}, errors = 0;
    for (unsigned i = shown * axis.binsPerShown; i < (shown + 1) * axis.binsPerShown && i < s.binsUsed; ++i) {
      for (int b = 0; b < 4; ++b) words[b] += s.bins[i].words[b];
      errors += s.bins[i].errorWords;
    }
    for (int b = 0; b < 4; ++b) r.bus[b].push_back(static_cast<double>(words[b]) / axis.binSeconds);
    r.errors.push_back(static_cast<double>(errors) / axis.binSeconds);
  }
  return r;
}

double largest(const std::vector<double>& values) {
  double top = 0;
  for (const double v : values) top = std::max(top, v);
  return top;
}

std::string legendItem(double x, double y, const std::string& colour, const std::string& dashes,
                       const std::string& label) {
  return "<line x1=\"" + num(x) + "\" x2=\"" + num(x + 26) + "\" y1=\"" + num(y) + "\" y2=\"" + num(y) +
         "\" stroke=\"" + colour + "\" stroke-width=\"2.5\"" +
         (dashes.empty() ? "" : " stroke-dasharray=\"" + dashes + "\"") + "/>\n" +
         text(x + 32, y + 4, label);
}

std::string legendBreak(double x, double y) {
  return "<line class=\"break\" x1=\"" + num(x + 13) + "\" x2=\"" + num(x + 13) + "\" y1=\"" + num(y - 8) +
         "\" y2=\"" + num(y + 8) + "\"/>\n" + text(x + 32, y + 4, "time break");
}

// Words per second of each bus, or error words per second, over the recorded time.
std::string ratePlot(const OverviewSummary& s, const TimeAxis& axis, const Rates& rates, bool errors) {
  const double top = 34, bottom = 254, height = 300;
  double topValue = errors ? largest(rates.errors) : 0.0;
  if (!errors) {
    for (const auto& series : rates.bus) topValue = std::max(topValue, largest(series));
  }
  topValue = niceTop(topValue);
  const std::string id = errors ? "errors-per-second" : "words-per-second";
  const std::string seriesNames = errors ? "errors" : "J1,J2,J3,J4";
  std::string svg = openSvg(id, errors ? "Error words per second over the recorded time"
                                       : "Bus words per second of each bus over the recorded time",
                            height,
                            " class=\"time-plot\" data-series=\"" + seriesNames + "\" data-top=\"" + num(top) +
                                "\" data-bottom=\"" + num(bottom) + "\"");
  svg += valueAxisSvg(topValue, top, bottom, errors ? "error words per second" : "bus words per second");
  svg += timeAxisSvg(axis, top, bottom);
  svg += breakLinesSvg(s, axis, top, bottom);
  if (errors) {
    svg += stepPath(rates.errors, axis, topValue, top, bottom, "errors", kErrorColour, "");
    svg += legendItem(kLeft, 16, kErrorColour, "", "words with any error flag");
    if (!s.breaks.empty()) svg += legendBreak(kLeft + 240, 16);
  } else {
    for (int b = 0; b < 4; ++b) {
      svg += stepPath(rates.bus[b], axis, topValue, top, bottom, "J" + std::to_string(b + 1), kBusColours[b],
                      kBusDashes[b]);
      svg += legendItem(kLeft + 100 * b, 16, kBusColours[b], kBusDashes[b], "J" + std::to_string(b + 1));
    }
    if (!s.breaks.empty()) svg += legendBreak(kLeft + 400, 16);
  }
  svg += frameSvg(top, bottom);
  return svg + "</svg>\n";
}

// Where the time tags went backwards or jumped ahead, on the recorded time.
std::string breaksPlot(const OverviewSummary& s, const TimeAxis& axis) {
  const double top = 30, bottom = 64, height = 110;
  std::string svg = openSvg("time-breaks", "Time breaks over the recorded time", height);
  svg += timeAxisSvg(axis, top, bottom);
  svg += frameSvg(top, bottom);
  svg += legendItem(kLeft, 14, kErrorColour, "", "time went backwards (\xE2\x96\xBC)");
  svg += legendItem(kLeft + 260, 14, kJumpColour, "", "jumped over an hour ahead (\xE2\x96\xB2)");
  const double middle = (top + bottom) / 2;
  for (const TimeBreak& b : s.breaks) {
    const bool backwards = b.toHalfMicros < b.fromHalfMicros;
    const double x = axis.x(seconds(b.recordedHalfMicros));
    const std::string shape = backwards ? "M" + num(x - 6) + " " + num(middle - 6) + "H" + num(x + 6) + "L" +
                                              num(x) + " " + num(middle + 6) + "Z"
                                        : "M" + num(x - 6) + " " + num(middle + 6) + "H" + num(x + 6) + "L" +
                                              num(x) + " " + num(middle - 6) + "Z";
    svg += "<path class=\"marker\" data-series=\"" + std::string(backwards ? "backwards" : "jump") + "\" d=\"" +
           shape + "\" style=\"fill:" + (backwards ? kErrorColour : kJumpColour) + "\"><title>line " +
           std::to_string(b.line) + ": " + timeOfDayText(b.fromHalfMicros) + " to " + timeOfDayText(b.toHalfMicros) +
           "</title></path>\n";
  }
  if (s.breaks.empty()) {
    svg += text(kLeft + kPlotWidth / 2, middle + 4, "The time tags run forward throughout: no breaks.",
                " text-anchor=\"middle\"");
  }
  return svg + "</svg>\n";
}

// A power of ten of microseconds as an axis label: 0.1 us to 100 s, then 10 to a power of seconds.
std::string decadeLabel(int exponent) {
  static const char* const kUnits[] = {"\xC2\xB5s", "ms", "s"};
  static const char* const kSuperscripts[] = {"\xE2\x81\xB0", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3", "\xE2\x81\xB4",
                                              "\xE2\x81\xB5", "\xE2\x81\xB6", "\xE2\x81\xB7", "\xE2\x81\xB8",
                                              "\xE2\x81\xB9"};
  if (exponent < 0) return exponent == -1 ? "0.1 \xC2\xB5s" : "0.01 \xC2\xB5s";
  if (exponent >= 9) {
    std::string power;
    for (const char digit : std::to_string(exponent - 6)) power += kSuperscripts[digit - '0'];
    return "10" + power + " s";
  }
  const int zeros = exponent % 3;
  return std::string(zeros == 0 ? "1" : zeros == 1 ? "10" : "100") + " " + kUnits[exponent / 3];
}

// Word-to-word gaps: octaves of half microseconds on a logarithmic gap axis, counts on a
// logarithmic count axis.
std::string gapPlot(const OverviewSummary& s) {
  const double top = 16, bottom = 250, height = 300;
  std::string svg = openSvg("gap-histogram", "Histogram of the gaps from word to word", height);
  int first = -1, last = -1;
  uint64_t most = 0;
  for (unsigned k = 0; k < kGapOctaves; ++k) {
    if (s.gapOctaves[k] == 0) continue;
    if (first < 0) first = static_cast<int>(k);
    last = static_cast<int>(k);
    most = std::max(most, s.gapOctaves[k]);
  }
  svg += frameSvg(top, bottom);
  if (first < 0) {
    svg += text(kLeft + kPlotWidth / 2, (top + bottom) / 2, "No gaps: fewer than two records run forward in time.",
                " text-anchor=\"middle\"");
    return svg + "</svg>\n";
  }
  // Octave k holds gaps of 2^k to 2^(k+1) half microseconds: log10 of microseconds.
  const auto logMicros = [](int octave) { return octave * std::log10(2.0) - std::log10(2.0); };
  const int lowDecade = static_cast<int>(std::floor(logMicros(first) + 1e-9));
  const int highDecade = std::max(lowDecade + 1, static_cast<int>(std::ceil(logMicros(last + 1) - 1e-9)));
  const auto x = [&](double logValue) {
    return kLeft + (logValue - lowDecade) / (highDecade - lowDecade) * kPlotWidth;
  };
  const double countDecades = std::max(1.0, std::ceil(std::log10(static_cast<double>(most))));
  const double floorLog = std::log10(0.5);  // a single gap still shows as a bar
  const auto y = [&](double count) {
    return bottom - (std::log10(count) - floorLog) / (countDecades - floorLog) * (bottom - top);
  };
  for (int e = lowDecade; e <= highDecade; ++e) {
    svg += "<line class=\"grid\" x1=\"" + num(x(e)) + "\" x2=\"" + num(x(e)) + "\" y1=\"" + num(top) + "\" y2=\"" +
           num(bottom) + "\"/>\n";
    svg += text(x(e), bottom + 16, decadeLabel(e), " text-anchor=\"middle\"");
  }
  for (int e = 0; e <= static_cast<int>(countDecades); ++e) {
    const double count = std::pow(10.0, e);
    svg += "<line class=\"grid\" x1=\"" + num(kLeft) + "\" x2=\"" + num(kLeft + kPlotWidth) + "\" y1=\"" +
           num(y(count)) + "\" y2=\"" + num(y(count)) + "\"/>\n";
    svg += text(kLeft - 6, y(count) + 4, axisNumber(count), " text-anchor=\"end\"");
  }
  for (int k = first; k <= last; ++k) {
    if (s.gapOctaves[k] == 0) continue;
    const double x0 = x(logMicros(k)), x1 = x(logMicros(k + 1));
    const double count = static_cast<double>(s.gapOctaves[k]);
    const double low = std::ldexp(1.0, k) / 2, high = std::ldexp(1.0, k + 1) / 2;
    svg += "<rect class=\"series\" data-series=\"gaps\" x=\"" + num(x0 + 0.5) + "\" width=\"" +
           num(std::max(1.0, x1 - x0 - 1)) + "\" y=\"" + num(y(count)) + "\" height=\"" + num(bottom - y(count)) +
           "\" fill=\"" + kBarColour + "\"><title>" + axisNumber(low) + " to " + axisNumber(high) + " \xC2\xB5s: " +
           groupedCount(s.gapOctaves[k]) + " gaps</title></rect>\n";
  }
  svg += text(kLeft + kPlotWidth / 2, bottom + 36, "gap from a word's time tag to the next word's (log scale)",
              " text-anchor=\"middle\" class=\"axis-title\"");
  svg += "<text class=\"axis-title\" text-anchor=\"middle\" transform=\"translate(16 " + num((top + bottom) / 2) +
         ") rotate(-90)\">number of gaps (log scale)</text>\n";
  return svg + "</svg>\n";
}

// Command words counted by their MDM command code, one bar a code.
std::string commandPlot(const OverviewSummary& s) {
  const double rowHeight = 22, top = 10, labelWidth = 330;
  const double height = top + 16 * rowHeight + 40;
  std::string svg = openSvg("command-codes", "Command words by MDM command code", height);
  uint64_t most = 0;
  for (const uint64_t count : s.mdmCommandCodes) most = std::max(most, count);
  const double topValue = niceTop(static_cast<double>(most));
  const double barLeft = labelWidth, barWidth = kWidth - kRight - barLeft - 70;
  const double bottom = top + 16 * rowHeight;
  for (const double tick : niceTicks(topValue, 5)) {
    const double x = barLeft + tick / topValue * barWidth;
    svg += "<line class=\"grid\" x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(top) + "\" y2=\"" +
           num(bottom) + "\"/>\n";
    svg += text(x, bottom + 16, axisNumber(tick), " text-anchor=\"middle\"");
  }
  for (int code = 0; code < 16; ++code) {
    const double y = top + code * rowHeight;
    std::string name = MdmCommandNames[code];
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::string bits;
    for (int bit = 3; bit >= 0; --bit) bits += ((code >> bit) & 1) ? '1' : '0';
    std::string label = bits;
    label += "  ";
    label += name;
    svg += text(barLeft - 8, y + 15, label, " text-anchor=\"end\" class=\"code\"");
    const double width = static_cast<double>(s.mdmCommandCodes[code]) / topValue * barWidth;
    svg += "<rect class=\"series\" data-series=\"code-" + bits + "\" x=\"" + num(barLeft) + "\" y=\"" + num(y + 4) +
           "\" width=\"" + num(width) + "\" height=\"" + num(rowHeight - 8) + "\" fill=\"" + kCommandColour +
           "\"><title>" + escaped(name) + ": " + groupedCount(s.mdmCommandCodes[code]) +
           " command words</title></rect>\n";
    svg += text(barLeft + width + 6, y + 15, groupedCount(s.mdmCommandCodes[code]));
  }
  svg += text(barLeft + barWidth / 2, bottom + 36, "command words", " text-anchor=\"middle\" class=\"axis-title\"");
  return svg + "</svg>\n";
}

std::string counted(uint64_t count, const char* one, const char* many) {
  return groupedCount(count) + " " + (count == 1 ? one : many);
}

std::string summaryTable(const OverviewSummary& s, const std::string& fileName) {
  std::string html = "<table class=\"facts\">\n";
  const auto row = [&html](const std::string& name, const std::string& value) {
    html += "<tr><th>" + escaped(name) + "</th><td>" + escaped(value) + "</td></tr>\n";
  };
  row("Data file", fileName);
  row("Records", groupedCount(s.records) +
                     (s.trailingBytes != 0 ? " (and " + std::to_string(s.trailingBytes) +
                                                 " bytes of a cut-off record at the end)"
                                           : ""));
  row("Recorded time", durationText(s.recordedHalfMicros));
  row("First time tag", s.records ? timeOfDayText(s.firstHalfMicros) : "none");
  row("Last time tag", s.records ? timeOfDayText(s.lastHalfMicros) : "none");
  row("Time breaks", counted(s.backwardSteps, "step", "steps") + " backwards, " +
                         counted(s.forwardJumps, "jump", "jumps") + " of more than an hour ahead");
  row("Error flags", "Sh " + groupedCount(s.flagCounts[0]) + ", Lg " + groupedCount(s.flagCounts[1]) + ", Mn " +
                         groupedCount(s.flagCounts[2]) + ", Py " + groupedCount(s.flagCounts[3]));
  html += "</table>\n<table class=\"buses\">\n<tr><th>Bus</th><th>words</th><th>command words</th>"
          "<th>data words</th><th>error words</th></tr>\n";
  for (int b = 0; b < 4; ++b) {
    html += "<tr><td><span class=\"swatch\" style=\"background:" + std::string(kBusColours[b]) + "\"></span>J" +
            std::to_string(b + 1) + "</td><td>" + groupedCount(s.words[b]) + "</td><td>" +
            groupedCount(s.commandWords[b]) + "</td><td>" + groupedCount(s.words[b] - s.commandWords[b]) +
            "</td><td>" + groupedCount(s.errorWords[b]) + "</td></tr>\n";
  }
  return html + "</table>\n";
}

// The values the hover script shows, one entry a bin.
std::string hoverData(const OverviewSummary& s, const TimeAxis& axis, const Rates& rates) {
  const auto list = [](const std::vector<double>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) {
      char text[32];
      std::snprintf(text, sizeof text, "%s%.6g", i ? "," : "", values[i]);
      out += text;
    }
    return out + "]";
  };
  std::string starts = "[";
  for (unsigned shown = 0; shown < axis.shownBins; ++shown) {
    const OverviewBin* first = nullptr;
    for (unsigned i = shown * axis.binsPerShown; i < (shown + 1) * axis.binsPerShown && i < s.binsUsed; ++i) {
      if (first == nullptr && s.bins[i].used) first = &s.bins[i];
    }
    starts += std::string(shown ? "," : "") + (first ? "\"" + timeOfDayText(first->firstHalfMicros) + "\"" : "null");
  }
  starts += "]";
  char head[256];
  std::snprintf(head, sizeof head,
                "{\"bins\":%u,\"binSeconds\":%.9g,\"domainSeconds\":%.9g,\"unit\":\"%s\",\"unitSeconds\":%g,"
                "\"left\":%g,\"plotWidth\":%g,",
                axis.shownBins, axis.binSeconds, axis.domainSeconds, axis.unit.name, axis.unit.seconds, kLeft,
                kPlotWidth);
  return std::string(head) + "\"starts\":" + starts + ",\"rates\":[" + list(rates.bus[0]) + "," + list(rates.bus[1]) +
         "," + list(rates.bus[2]) + "," + list(rates.bus[3]) + "],\"errors\":" + list(rates.errors) + "}";
}

const char kStyle[] = R"(<style>
body { font-family: system-ui, -apple-system, "Segoe UI", Roboto, sans-serif; color: #222; background: #fff;
       max-width: 1000px; margin: 24px auto; padding: 0 16px; }
h1 { font-size: 22px; margin-bottom: 4px; } h2 { font-size: 17px; margin: 28px 0 4px; }
p.note { color: #555; font-size: 13px; margin: 2px 0 6px; }
table { border-collapse: collapse; margin: 8px 0 12px; font-size: 14px; }
th, td { padding: 3px 12px 3px 0; text-align: left; }
table.buses td { text-align: right; } table.buses td:first-child { text-align: left; }
table.buses th { border-bottom: 1px solid #999; }
.swatch { display: inline-block; width: 12px; height: 12px; margin-right: 6px; vertical-align: -1px; }
svg { width: 100%; height: auto; font-size: 12px; display: block; }
svg text { fill: #222; } svg .axis-title { font-size: 13px; fill: #444; } svg .code { font-family: monospace; }
svg .grid { stroke: #e3e3e3; stroke-width: 1; } svg .frame { fill: none; stroke: #888; stroke-width: 1; }
svg path.series { fill: none; stroke-width: 2; } svg .break { stroke: #555; stroke-width: 1; stroke-dasharray: 3 3; }
svg path.marker { stroke: none; }
</style>
)";

const char kScript[] = R"(<script>
(function () {
  'use strict';
  var data = JSON.parse(document.getElementById('overview-data').textContent);
  var ns = 'http://www.w3.org/2000/svg';
  function add(name, attributes, parent) {
    var node = document.createElementNS(ns, name);
    Object.keys(attributes).forEach(function (key) { node.setAttribute(key, attributes[key]); });
    parent.appendChild(node);
    return node;
  }
  function shown(value) {
    return value >= 100 ? Math.round(value).toLocaleString('en-US') : String(Number(value.toPrecision(3)));
  }
  Array.prototype.forEach.call(document.querySelectorAll('svg.time-plot'), function (svg) {
    var names = svg.getAttribute('data-series').split(',');
    var top = Number(svg.getAttribute('data-top')), bottom = Number(svg.getAttribute('data-bottom'));
    var hover = add('g', {'class': 'hover', visibility: 'hidden', 'pointer-events': 'none'}, svg);
    var line = add('line', {y1: top, y2: bottom, stroke: '#222', 'stroke-width': 1}, hover);
    var box = add('rect', {fill: '#fff', 'fill-opacity': 0.92, stroke: '#888', rx: 3}, hover);
    var label = add('text', {}, hover);
    var width = svg.viewBox.baseVal.width;
    svg.addEventListener('mousemove', function (event) {
      var bounds = svg.getBoundingClientRect();
      var x = (event.clientX - bounds.left) * width / bounds.width;
      var at = (x - data.left) / data.plotWidth * data.domainSeconds;
      var bin = Math.floor(at / data.binSeconds);
      if (at < 0 || at > data.domainSeconds || bin >= data.bins) { hover.setAttribute('visibility', 'hidden'); return; }
      var lines = ['recorded time ' + shown(at / data.unitSeconds) + ' ' + data.unit,
                   data.starts[bin] ? 'first time tag ' + data.starts[bin] : 'no records here'];
      names.forEach(function (name) {
        var value = name === 'errors' ? data.errors[bin] : data.rates[Number(name.slice(1)) - 1][bin];
        lines.push(name + ': ' + shown(value) + ' words/s');
      });
      while (label.firstChild) { label.removeChild(label.firstChild); }
      lines.forEach(function (text, index) {
        add('tspan', {x: 0, dy: index ? 15 : 0}, label).textContent = text;
      });
      var size = label.getBBox();
      var left = x + 12 + size.width + 16 > width ? x - 12 - size.width - 8 : x + 12;
      label.setAttribute('transform', 'translate(' + (left + 6) + ' ' + (top + 18) + ')');
      box.setAttribute('x', left); box.setAttribute('y', top + 4);
      box.setAttribute('width', size.width + 12); box.setAttribute('height', size.height + 8);
      line.setAttribute('x1', x); line.setAttribute('x2', x);
      hover.setAttribute('visibility', 'visible');
    });
    svg.addEventListener('mouseleave', function () { hover.setAttribute('visibility', 'hidden'); });
  });
  document.documentElement.setAttribute('data-overview', 'ready');
})();
</script>
)";

}  // namespace

std::string overviewHtml(const OverviewSummary& s, const std::string& fileName) {
  const TimeAxis axis = timeAxisFor(s);
  const Rates rates = ratesOf(s, axis);
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Overview of " +
      escaped(fileName) + "</title>\n" + kStyle + "</head>\n<body>\n<h1>Overview of " + escaped(fileName) + "</h1>\n";
  html += summaryTable(s, fileName);
  html += "<h2>Bus words per second</h2>\n<p class=\"note\">Over the recorded time: the time tags' steps forward "
          "of at most an hour, added up. Each step of the lines is one bin of " +
          durationText(s.binHalfMicros) + ".</p>\n";
  html += ratePlot(s, axis, rates, false);
  html += "<h2>Error words per second</h2>\n<p class=\"note\">Words with any of the flags Sh, Lg, Mn or Py.</p>\n";
  html += ratePlot(s, axis, rates, true);
  html += "<h2>Time breaks</h2>\n<p class=\"note\">Where a time tag is earlier than the one before it (a new IRIG-B "
          "lock, the turn of the year) or more than an hour later; " +
          groupedCount(s.backwardSteps + s.forwardJumps) + " in all" +
          (s.backwardSteps + s.forwardJumps > s.breaks.size()
               ? ", the first " + std::to_string(s.breaks.size()) + " marked"
               : "") +
          ".</p>\n";
  html += breaksPlot(s, axis);
  html += "<h2>Gaps from word to word</h2>\n<p class=\"note\">From each record's time tag to the next one's, in file "
          "order; " +
          counted(s.zeroGaps, "gap", "gaps") + " of zero and " + counted(s.backwardSteps, "step", "steps") +
          " backwards are not shown.</p>\n";
  html += gapPlot(s);
  html += "<h2>MDM command codes</h2>\n<p class=\"note\">Command words by their command code, bits 17 to 14, with "
          "the names the MDM report gives them.</p>\n";
  html += commandPlot(s);
  html += "<script type=\"application/json\" id=\"overview-data\">" + hoverData(s, axis, rates) + "</script>\n";
  html += kScript;
  return html + "</body>\n</html>\n";
}

StatusCode writeOverview(const std::string& path, const std::string& fileName, ByteSink sink,
                         const ScanProgress* progress) {
  // The summary holds its bins inline: keep it off the stack.
  std::vector<OverviewSummary> summary(1);
  const StatusCode status = scanOverview(path, summary[0], progress);
  if (!ok(status)) return status;
  const std::string html = overviewHtml(summary[0], fileName);
  OutputBlock out;
  startOutput(out, std::move(sink));
  appendOutput(out, html.data(), html.size());
  return flushOutput(out) ? StatusCode::Success : StatusCode::FileWriteError;
}
