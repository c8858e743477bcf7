#include "sim/card_time.h"

namespace {

void putLongword(unsigned char* out, uint32_t value) {
  out[0] = static_cast<unsigned char>(value & 0xFF);
  out[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
  out[2] = static_cast<unsigned char>((value >> 16) & 0xFF);
  out[3] = static_cast<unsigned char>(value >> 24);
}

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
  const uint32_t both = (uint32_t{wordA} << 16) | wordB;
  const uint64_t day = ((both >> 28) & 0x3u) * 100 + ((both >> 24) & 0xFu) * 10 + ((both >> 20) & 0xFu);
  const uint64_t hour = ((both >> 18) & 0x3u) * 10 + ((both >> 14) & 0xFu);
  const uint64_t minute = ((both >> 11) & 0x7u) * 10 + ((both >> 7) & 0xFu);
  const uint64_t second = ((both >> 4) & 0x7u) * 10 + (both & 0xFu);
  CardTime result;
  result.yearMod4 = both >> 30;
  result.halfMicros = secondsToHalfMicros(day == 0 ? 1 : day, hour, minute, second);
  return normaliseCardTime(result);
}

uint32_t cardTimeWord(const CardTime& time) {
  const uint64_t day = time.halfMicros / kHalfMicrosPerDay + 1;
  const uint64_t secondOfDay = (time.halfMicros % kHalfMicrosPerDay) / kHalfMicrosPerSecond;
  const uint32_t hours = static_cast<uint32_t>(secondOfDay / 3600);
  const uint32_t minutes = static_cast<uint32_t>(secondOfDay / 60 % 60);
  const uint32_t seconds = static_cast<uint32_t>(secondOfDay % 60);
  const uint32_t hundreds = static_cast<uint32_t>(day / 100);
  const uint32_t dayLow = static_cast<uint32_t>(day % 100);
  return ((hundreds & 0x3u) << 28) | ((dayLow & 0x7Fu) << 21) | ((hours & 0x1Fu) << 16) | ((minutes & 0x3Fu) << 6) |
         (seconds & 0x3Fu);
}

uint32_t cardFractionWord(const CardTime& time) {
  const uint32_t withinSecond = static_cast<uint32_t>(time.halfMicros % kHalfMicrosPerSecond);
  const uint32_t milliseconds = withinSecond / kHalfMicrosPerMillisecond;
  const uint32_t halfMicros = withinSecond % kHalfMicrosPerMillisecond;
  return (milliseconds << 16) | halfMicros;
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
  const uint32_t fraction =
      ((withinSecond / kHalfMicrosPerMillisecond) << 16) | (withinSecond % kHalfMicrosPerMillisecond);
  const uint32_t bus = (uint32_t{word.busChannel & 0x3u} << 30) | (uint32_t{word.commandSync & 0x1u} << 28) |
                       (uint32_t{word.errorFlags & 0xFu} << 24) | (word.busWord & 0xFFFFFFu);
  putLongword(out, tagger.secondWord);
  putLongword(out + 4, fraction);
  putLongword(out + 8, bus);
  putLongword(out + 12, 0);
}
