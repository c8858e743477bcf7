#include "export/overview_html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/chart_axes.h"
#include "export/rate_steps.h"
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

// The horizontal scale shared by the plots over the recorded time, and the steps drawn on it.
struct TimeAxis {
  double domainSeconds;  // the plot's right edge
  TimeUnit unit;
  RateSteps steps;
  double x(double atSeconds) const {
    return kLeft + std::min(atSeconds, domainSeconds) / domainSeconds * kPlotWidth;
  }
};

TimeAxis timeAxisFor(const OverviewSummary& s) {
  std::vector<CountBin> bins(s.binsUsed);
  const std::vector<double> covered = binCoveredSeconds(s);
  for (unsigned i = 0; i < s.binsUsed; ++i) {
    for (int b = 0; b < 4; ++b) bins[i].counts[b] = s.bins[i].words[b];
    bins[i].counts[4] = s.bins[i].errorWords;
    bins[i].coveredSeconds = covered[i];
  }
  TimeAxis axis;
  axis.steps = rateSteps(bins, seconds(s.binHalfMicros));
  axis.domainSeconds = std::max(seconds(s.recordedHalfMicros), seconds(s.binHalfMicros));
  axis.unit = timeUnitFor(axis.domainSeconds);
  return axis;
}

// The time tag at a point of the recorded time: the first time tag, or the one after the last
// break before that point, plus the recorded time since. False past the breaks that are listed.
bool timeTagAt(const OverviewSummary& s, uint64_t recorded, uint64_t& tag) {
  if (recorded > s.unlistedFromHalfMicros) return false;
  uint64_t base = s.firstHalfMicros, from = 0;
  for (const TimeBreak& b : s.breaks) {
    if (b.recordedHalfMicros > recorded) break;
    base = b.toHalfMicros;
    from = b.recordedHalfMicros;
  }
  tag = base + (recorded - from);
  return true;
}

// Opens a plot's svg element: its id, its title for screen readers and its height.
std::string openSvg(const std::string& id, const std::string& title, double height, const std::string& extra = "") {
  return "<svg id=\"" + id + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(height) + "\" role=\"img\" aria-label=\"" +
         escaped(title) + "\"" + extra + ">\n";
}

std::string text(double x, double y, const std::string& content, const std::string& attributes = "") {
  return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"" + attributes + ">" + escaped(content) + "</text>\n";
}

// The recorded time from the start in the axis's unit: "+20 min".
std::string sinceStartText(double atSeconds, const TimeUnit& unit) {
  char label[32];
  std::snprintf(label, sizeof label, "+%.4g %s", atSeconds / unit.seconds, unit.name);
  return label;
}

// The recorded-time axis along the bottom of a plot area: ticks where the time of day is a whole
// clock step (counted afresh after each time break), labelled with the time of day and, below it,
// the recorded time from the start.
std::string timeAxisSvg(const OverviewSummary& s, const TimeAxis& axis, double top, double bottom) {
  constexpr double kLabelRoom = 96;  // view-box units between tick labels
  const double step = clockStep(axis.domainSeconds * kLabelRoom / kPlotWidth);
  const uint64_t stepHalfMicros = std::max<uint64_t>(1, static_cast<uint64_t>(std::llround(step * 2e6)));
  const uint64_t domain = static_cast<uint64_t>(axis.domainSeconds * 2e6);
  std::vector<uint64_t> segmentStarts = {0};
  for (const TimeBreak& b : s.breaks) segmentStarts.push_back(b.recordedHalfMicros);
  std::string svg;
  double lastX = -1e9;
  for (size_t k = 0; k < segmentStarts.size(); ++k) {
    const uint64_t from = segmentStarts[k], to = k + 1 < segmentStarts.size() ? segmentStarts[k + 1] : domain + 1;
    uint64_t tag = 0;
    if (from >= to || !timeTagAt(s, from, tag)) continue;
    for (uint64_t at = from + (stepHalfMicros - tag % stepHalfMicros) % stepHalfMicros; at < to && at <= domain;
         at += stepHalfMicros) {
      const double x = axis.x(seconds(at));
      uint64_t atTag = 0;
      if (x - lastX < kLabelRoom || x > kWidth - kLabelRoom / 2 || !timeTagAt(s, at, atTag)) continue;
      lastX = x;
      svg += "<line class=\"grid\" x1=\"" + num(x) + "\" x2=\"" + num(x) + "\" y1=\"" + num(top) + "\" y2=\"" +
             num(bottom) + "\"/>\n";
      svg += text(x, bottom + 16, tickTimeText(atTag, step), " text-anchor=\"middle\" class=\"tick-time\"");
      svg += text(x, bottom + 30, sinceStartText(seconds(at), axis.unit),
                  " text-anchor=\"middle\" class=\"tick-since\"");
    }
  }
  svg += text(kLeft + kPlotWidth / 2, bottom + 50, "time of day (DDD:HH:MM:SS) and recorded time from the start",
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

// One series' steps as a step line, the means or the least; with a band from the least up to the
// mean beneath the least line.
std::string stepPath(const TimeAxis& axis, int series, bool least, double topValue, double top, double bottom,
                     const std::string& name, const std::string& colour, const std::string& dashes) {
  const auto y = [&](double rate) { return bottom - rate / topValue * (bottom - top); };
  std::string d, band;
  const std::vector<RateStep>& steps = axis.steps.steps;
  for (size_t i = 0; i < steps.size(); ++i) {
    const RateStep& step = steps[i];
    const double value = least ? step.least[series] : step.mean[series];
    const double x0 = axis.x(step.startSeconds), x1 = axis.x(step.startSeconds + step.widthSeconds);
    d += (i == 0 ? "M" + num(x0) + " " : "V") + num(y(value)) + "H" + num(x1);
    band += (i == 0 ? "M" + num(x0) + " " : "V") + num(y(step.mean[series])) + "H" + num(x1);
  }
  std::string svg;
  if (least && !steps.empty()) {
    for (size_t i = steps.size(); i-- > 0;) {
      band += "V" + num(y(steps[i].least[series])) + "H" + num(axis.x(steps[i].startSeconds));
    }
    svg += "<path class=\"band\" d=\"" + band + "Z\" fill=\"" + colour + "\"/>\n";
  }
  return svg + "<path class=\"series" + (least ? " least" : "") + "\" data-series=\"" + name + "\" d=\"" + d +
         "\" stroke=\"" + colour + "\"" + (dashes.empty() ? "" : " stroke-dasharray=\"" + dashes + "\"") + "/>\n";
}

double largestMean(const TimeAxis& axis, int from, int to) {
  double top = 0;
  for (const RateStep& step : axis.steps.steps) {
    for (int series = from; series < to; ++series) top = std::max(top, step.mean[series]);
  }
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

// Words per second of each bus, or error words per second, over the recorded time: the mean of
// each step and, thinner and with a band up to the mean, the least of its groups of bins.
std::string ratePlot(const OverviewSummary& s, const TimeAxis& axis, bool errors) {
  const double top = 34, bottom = 254, height = 318;
  const double topValue = niceTop(errors ? largestMean(axis, 4, 5) : largestMean(axis, 0, 4));
  const std::string id = errors ? "errors-per-second" : "words-per-second";
  const std::string seriesNames = errors ? "errors" : "J1,J2,J3,J4";
  std::string svg = openSvg(id, errors ? "Error words per second over the recorded time"
                                       : "Bus words per second of each bus over the recorded time",
                            height,
                            " class=\"time-plot\" data-series=\"" + seriesNames + "\" data-top=\"" + num(top) +
                                "\" data-bottom=\"" + num(bottom) + "\" data-top-value=\"" + num(topValue) + "\"");
  svg += valueAxisSvg(topValue, top, bottom, errors ? "error words per second" : "bus words per second");
  svg += timeAxisSvg(s, axis, top, bottom);
  svg += breakLinesSvg(s, axis, top, bottom);
  if (errors) {
    svg += stepPath(axis, 4, true, topValue, top, bottom, "errors", kErrorColour, "");
    svg += stepPath(axis, 4, false, topValue, top, bottom, "errors", kErrorColour, "");
    svg += legendItem(kLeft, 16, kErrorColour, "", "words with any error flag");
    if (!s.breaks.empty()) svg += legendBreak(kLeft + 240, 16);
  } else {
    for (int b = 0; b < 4; ++b) {
      const std::string name = "J" + std::to_string(b + 1);
      svg += stepPath(axis, b, true, topValue, top, bottom, name, kBusColours[b], kBusDashes[b]);
      svg += stepPath(axis, b, false, topValue, top, bottom, name, kBusColours[b], kBusDashes[b]);
      svg += legendItem(kLeft + 100 * b, 16, kBusColours[b], kBusDashes[b], name);
    }
    if (!s.breaks.empty()) svg += legendBreak(kLeft + 400, 16);
  }
  svg += frameSvg(top, bottom);
  return svg + "</svg>\n";
}

// Where the time tags went backwards or jumped ahead, on the recorded time.
std::string breaksPlot(const OverviewSummary& s, const TimeAxis& axis) {
  const double top = 30, bottom = 64, height = 128;
  std::string svg = openSvg("time-breaks", "Time breaks over the recorded time", height);
  svg += timeAxisSvg(s, axis, top, bottom);
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

// The listed time breaks: the line after each, where it falls on the recorded time, the time
// tags before and after it, and how far the time went.
std::string breaksTable(const OverviewSummary& s) {
  if (s.breaks.empty()) return "";
  std::string html = "<table class=\"breaks\" id=\"break-list\">\n<tr><th>line</th><th>recorded time</th>"
                     "<th>from time tag</th><th>to time tag</th><th>size</th></tr>\n";
  for (const TimeBreak& b : s.breaks) {
    const bool backwards = b.toHalfMicros < b.fromHalfMicros;
    const uint64_t size = backwards ? b.fromHalfMicros - b.toHalfMicros : b.toHalfMicros - b.fromHalfMicros;
    html += "<tr><td>" + groupedCount(b.line) + "</td><td>" + escaped(durationText(b.recordedHalfMicros)) +
            "</td><td>" + timeOfDayText(b.fromHalfMicros) + "</td><td>" + timeOfDayText(b.toHalfMicros) + "</td><td>" +
            escaped(durationText(size)) + (backwards ? " back" : " ahead") + "</td></tr>\n";
  }
  return html + "</table>\n";
}

// The values the hover script shows, one entry a drawn step.
std::string hoverData(const OverviewSummary& s, const TimeAxis& axis) {
  const std::vector<RateStep>& steps = axis.steps.steps;
  std::string starts, widths, tags, mean[kStepSeries], least[kStepSeries];
  char number[32];
  const auto add = [&number](std::string& list, double value) {
    std::snprintf(number, sizeof number, "%s%.6g", list.empty() ? "" : ",", value);
    list += number;
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    add(starts, steps[i].startSeconds);
    add(widths, steps[i].widthSeconds);
    uint64_t tag = 0;
    const bool known = timeTagAt(s, static_cast<uint64_t>(steps[i].startSeconds * 2e6), tag);
    tags += std::string(i ? "," : "") + (known ? "\"" + timeOfDayText(tag) + "\"" : "null");
    for (int series = 0; series < kStepSeries; ++series) {
      add(mean[series], steps[i].mean[series]);
      add(least[series], steps[i].least[series]);
    }
  }
  std::string means, leasts;
  for (int series = 0; series < kStepSeries; ++series) {
    means += std::string(series ? "," : "") + "[" + mean[series] + "]";
    leasts += std::string(series ? "," : "") + "[" + least[series] + "]";
  }
  char head[256];
  std::snprintf(head, sizeof head,
                "{\"stepSeconds\":%.9g,\"domainSeconds\":%.9g,\"unit\":\"%s\",\"unitSeconds\":%g,\"left\":%g,"
                "\"plotWidth\":%g,",
                axis.steps.stepSeconds, axis.domainSeconds, axis.unit.name, axis.unit.seconds, kLeft, kPlotWidth);
  return std::string(head) + "\"starts\":[" + starts + "],\"widths\":[" + widths + "],\"tags\":[" + tags +
         "],\"mean\":[" + means + "],\"least\":[" + leasts + "]}";
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
svg path.series { fill: none; stroke-width: 2; } svg path.least { stroke-width: 1; }
svg path.band { stroke: none; fill-opacity: 0.1; } svg .tick-since { fill: #666; font-size: 11px; }
table.breaks td, table.breaks th { font-size: 13px; }
table.breaks th { border-bottom: 1px solid #999; } svg .break { stroke: #555; stroke-width: 1; stroke-dasharray: 3 3; }
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
      var step = -1;
      data.starts.forEach(function (start, index) {
        if (at >= start && at < start + data.widths[index]) { step = index; }
      });
      if (step < 0) { hover.setAttribute('visibility', 'hidden'); return; }
      var lines = [data.tags[step] ? 'step from ' + data.tags[step] : 'step',
                   '+' + shown(data.starts[step]) + ' s from the start, ' + shown(data.widths[step]) + ' s wide'];
      names.forEach(function (name) {
        var series = name === 'errors' ? 4 : Number(name.slice(1)) - 1;
        lines.push(name + ': ' + shown(data.mean[series][step]) + ' words/s, least ' +
                   shown(data.least[series][step]));
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
  const RateSteps& steps = axis.steps;
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Overview of " +
      escaped(fileName) + "</title>\n" + kStyle + "</head>\n<body>\n<h1>Overview of " + escaped(fileName) + "</h1>\n";
  html += summaryTable(s, fileName);
  char stepSeconds[32];
  std::snprintf(stepSeconds, sizeof stepSeconds, "%.9g", steps.stepSeconds);
  std::string lastStep;
  if (!steps.steps.empty() && std::fabs(steps.steps.back().widthSeconds - steps.stepSeconds) > 1e-9) {
    lastStep = "; the last covers " + durationText(static_cast<uint64_t>(steps.steps.back().widthSeconds * 2e6)) +
               ", to the end of the recording, and is divided by that time";
  }
  const unsigned group = steps.binsPerGroup[0];
  html += "<h2>Bus words per second</h2>\n<p class=\"note\">Over the recorded time: the time tags' steps forward "
          "of at most an hour, added up. Each step of the lines is <span id=\"step-width\" data-seconds=\"" +
          std::string(stepSeconds) + "\">" + durationText(static_cast<uint64_t>(steps.stepSeconds * 2e6)) +
          "</span> wide (" + groupedCount(steps.binsPerStep) + " bins of " +
          durationText(s.binHalfMicros) + ")" + lastStep +
          ". The thick line is the mean over the step; the thin line below it, with the band, is the least over "
          "the step's parts of " +
          durationText(s.binHalfMicros * group) +
          " (for J1; longer for a bus with fewer words, so that a part holds several words on average): a bus that "
          "stops for a moment drops to 0 there.</p>\n";
  html += ratePlot(s, axis, false);
  html += "<h2>Error words per second</h2>\n<p class=\"note\">Words with any of the flags Sh, Lg, Mn or Py; mean "
          "and least as above.</p>\n";
  html += ratePlot(s, axis, true);
  html += "<h2>Time breaks</h2>\n<p class=\"note\">Where a time tag is earlier than the one before it (a new IRIG-B "
          "lock, the turn of the year) or more than an hour later; " +
          groupedCount(s.backwardSteps + s.forwardJumps) + " in all" +
          (s.backwardSteps + s.forwardJumps > s.breaks.size()
               ? ", the first " + std::to_string(s.breaks.size()) + " marked and listed"
               : "") +
          ".</p>\n";
  html += breaksPlot(s, axis);
  html += breaksTable(s);
  html += "<h2>Gaps from word to word</h2>\n<p class=\"note\">From each record's time tag to the next one's, in file "
          "order; " +
          counted(s.zeroGaps, "gap", "gaps") + " of zero and " + counted(s.backwardSteps, "step", "steps") +
          " backwards are not shown.</p>\n";
  html += gapPlot(s);
  html += "<h2>Command words read as MDM commands</h2>\n<p class=\"note\">Every command word is read as an MDM "
          "command, whatever the bus carries: counted by its bits 17 to 14, with the names the MDM report gives "
          "them.</p>\n";
  html += commandPlot(s);
  html += "<script type=\"application/json\" id=\"overview-data\">" + hoverData(s, axis) + "</script>\n";
  html += kScript;
  return html + "</body>\n</html>\n";
}

StatusCode writeOverview(const std::string& path, const std::string& fileName, ByteSink sink, uint64_t& records,
                         const ScanProgress* progress) {
  // The summary holds its bins inline: keep it off the stack.
  std::vector<OverviewSummary> summary(1);
  const StatusCode status = scanOverview(path, summary[0], progress);
  records = summary[0].records;
  if (!ok(status) || records == 0) return status;
  const std::string html = overviewHtml(summary[0], fileName);
  OutputBlock out;
  startOutput(out, std::move(sink));
  appendOutput(out, html.data(), html.size());
  return flushOutput(out) ? StatusCode::Success : StatusCode::FileWriteError;
}
