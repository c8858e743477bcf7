#include "tests/support/record_oracles.h"

#include "files/report_line.h"

double timeTagMicros(const TimeTag& tag) { return static_cast<double>(timeTagHalfMicrosExact(tag)) * 0.5; }

std::string formatReportLine(int64_t lineNumber, const BusRecord& current, const TimeTag& previous,
                             StackFormat format) {
  char line[kMaxReportLineChars];
  const char* end = appendReportLine(line, lineNumber, current, timeTagHalfMicrosExact(previous), format);
  return std::string(line, static_cast<size_t>(end - line));
}

bool recordMatches(const SearchSettings& settings, const BusRecord& record, double tCur, bool prevValid, double tPrev,
                   bool nextValid, double tNext) {
  const uint32_t dontCare = settings.dontCareMask;
  if ((busWord(record) | dontCare) != (dontCare | settings.oneMask)) return false;

  if (settings.syncChoice == SyncCmd && commandSync(record) == 0) return false;
  if (settings.syncChoice == SyncData && commandSync(record) == 1) return false;

  if (settings.errorChoice == NoErrors && errorFlags(record) != 0) return false;
  if (settings.errorChoice == WithErrors && errorFlags(record) == 0) return false;

  if (settings.busChoice != BusAny && static_cast<int32_t>(busChannel(record)) + 1 != settings.busChoice) {
    return false;
  }

  if (settings.gapMinEnabled != 0 || settings.gapMaxEnabled != 0) {
    double gap;
    if (settings.gapBefore != 0) {
      if (!prevValid) return false;
      gap = tCur - tPrev - GapOffsetMicros;
    } else {
      if (!nextValid) return false;
      gap = tNext - tCur - GapOffsetMicros;
    }
    if (settings.gapMinEnabled != 0 && !(gap >= settings.gapMin)) return false;
    if (settings.gapMaxEnabled != 0 && gap > settings.gapMax) return false;
  }
  return true;
}
