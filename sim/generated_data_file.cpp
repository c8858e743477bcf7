#include "sim/generated_data_file.h"

#include "files/bus_record.h"
#include "sim/card_time.h"

uint64_t generateRecords(TrafficGenerator& generator, const LocalTime& start, uint64_t count, unsigned char* out) {
  RecordTagger tagger;
  startRecordTagger(tagger, cardTimeFromLocal(start));
  for (uint64_t i = 0; i < count; ++i) {
    if (peekBusWord(generator).arrival == kNoMoreTraffic) return i;
    const BusWordEvent word = nextBusWord(generator);
    encodeCardRecord(tagger, word.arrival, word, out + i * kBusRecordBytes);
  }
  return count;
}
