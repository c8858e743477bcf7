#include "sim/card_time.h"

#include "card/card_registers.h"
#include "common/little_endian.h"

namespace {

uint64_t secondsToHalfMicros(uint64_t day, uint64_t hour, uint64_t minute, uint64_t second) {
  return (day - 1) * kHalfMicrosPerDay + ((hour * 60 + minute) * 60 + second) * kHalfMicrosPerSecond;
}

}  // namespace

unsigned cardYearDays(unsigned yearMod4) { return (yearMod4 & 3u) == 0 ? 366u : 365u; }

CardTime normaliseCardTime(CardTime time) {
  time.yearMod4 &= 3u;
  for (;;) {
    const uint64_t yearLength = cardYearDays(time.yearMod4) * kHalfMicrosPerDay;
    if (time.halfMicros < yearLength) return time;
    time.halfMicros -= yearLength;
    time.yearMod4 = (time.yearMod4 + 1) & 3u;
  }
}

CardTime cardTimeFromLocal(const LocalTime& time) {
  CardTime result;
  result.yearMod4 = static_cast<unsigned>(time.year % 4) & 3u;
  const int day = dayOfYear(time);
  result.halfMicros = secondsToHalfMicros(static_cast<uint64_t>(day < 1 ? 1 : day), static_cast<uint64_t>(time.hour),
                                          static_cast<uint64_t>(time.minute), static_cast<uint64_t>(time.second));
  return normaliseCardTime(result);
}

CardTime cardTimeFromWords(uint16_t wordA, uint16_t wordB) {
  using namespace loadtime;
  const uint32_t both = (uint32_t{wordA} << 16) | wordB;
  const uint64_t day =
      fieldValue(both, kDayHundreds) * 100 + fieldValue(both, kDayTens) * 10 + fieldValue(both, kDayUnits);
  const uint64_t hour = fieldValue(both, kHourTens) * 10 + fieldValue(both, kHourUnits);
  const uint64_t minute = fieldValue(both, kMinuteTens) * 10 + fieldValue(both, kMinuteUnits);
  const uint64_t second = fieldValue(both, kSecondTens) * 10 + fieldValue(both, kSecondUnits);
  CardTime result;
  result.yearMod4 = fieldValue(both, kYearMod4);
  result.halfMicros = secondsToHalfMicros(day == 0 ? 1 : day, hour, minute, second);
  return normaliseCardTime(result);
}

uint32_t cardTimeWord(const CardTime& time) {
  const uint64_t day = time.halfMicros / kHalfMicrosPerDay + 1;
  const uint64_t secondOfDay = (time.halfMicros % kHalfMicrosPerDay) / kHalfMicrosPerSecond;
  return timeTagLongword0(static_cast<uint32_t>(day), static_cast<uint32_t>(secondOfDay / 3600),
                          static_cast<uint32_t>(secondOfDay / 60 % 60), static_cast<uint32_t>(secondOfDay % 60));
}

uint32_t cardFractionWord(const CardTime& time) {
  return timeTagLongword1(static_cast<uint32_t>(time.halfMicros % kHalfMicrosPerSecond));
}

void startRecordTagger(RecordTagger& tagger, const CardTime& origin) {
  tagger.origin = origin;
  tagger.secondStart = ~uint64_t{0};
  tagger.secondWord = 0;
}

void encodeCardRecord(RecordTagger& tagger, uint64_t sinceOrigin, const BusWordEvent& word, unsigned char* out) {
  const uint64_t at = tagger.origin.halfMicros + sinceOrigin;
  const uint64_t secondStart = at - at % kHalfMicrosPerSecond;
  if (secondStart != tagger.secondStart) {
    tagger.secondStart = secondStart;
    tagger.secondWord = cardTimeWord(normaliseCardTime(CardTime{secondStart, tagger.origin.yearMod4}));
  }
  const uint32_t withinSecond = static_cast<uint32_t>(at - secondStart);
  putLe32(out, tagger.secondWord);
  putLe32(out + 4, timeTagLongword1(withinSecond));
  putLe32(out + 8, busLongword(word.busChannel, word.commandSync, word.errorFlags, word.busWord));
  putLe32(out + 12, 0);
}
