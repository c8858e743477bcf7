#include "tests/support/record_oracles.h"

#include "files/report_line.h"

void swapWordPairs(uint16_t words[8]) {
  for (int i = 0; i < 8; i += 2) {
    const uint16_t first = words[i];
    words[i] = words[i + 1];
    words[i + 1] = first;
  }
}

void busRecordToBytes(const BusRecord& record, unsigned char* bytes) {
  for (int i = 0; i < 8; ++i) {
    const uint16_t unit = record.words[i ^ 1];
    bytes[2 * i] = static_cast<unsigned char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<unsigned char>(unit >> 8);
  }
}

unsigned readBusRecord(FILE* file, BusRecord& record) {
  unsigned char bytes[kBusRecordBytes];
  const size_t got = std::fread(bytes, 1, sizeof bytes, file);
  const unsigned units = static_cast<unsigned>(got / 2);
  uint16_t fileUnits[8];
  for (int i = 0; i < 8; ++i) fileUnits[i] = record.words[i ^ 1];
  for (unsigned i = 0; i < units; ++i) {
    fileUnits[i] = static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  for (int i = 0; i < 8; ++i) record.words[i] = fileUnits[i];
  swapWordPairs(record.words);
  return units;
}

double timeTagHalfMicros(const TimeTag& tag) { return static_cast<double>(timeTagHalfMicrosExact(tag)); }

double timeTagMicros(const TimeTag& tag) { return timeTagHalfMicros(tag) * 0.5; }

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
