#include "sim/generated_data_file.h"

#include <vector>

#include "files/data_file.h"
#include "sim/card_time.h"

namespace {

constexpr uint64_t kRecordsPerWrite = 8192;
constexpr size_t kRecordBytes = 16;

}  // namespace

uint64_t generateRecords(TrafficGenerator& generator, const LocalTime& start, uint64_t count, unsigned char* out) {
  RecordTagger tagger;
  startRecordTagger(tagger, cardTimeFromLocal(start));
  for (uint64_t i = 0; i < count; ++i) {
    if (peekBusWord(generator).arrival == kNoMoreTraffic) return i;
    const BusWordEvent word = nextBusWord(generator);
    encodeCardRecord(tagger, word.arrival, word, out + i * kRecordBytes);
  }
  return count;
}

StatusCode writeGeneratedRecords(const char* path, const TrafficConfig& traffic, uint64_t recordCount,
                                 const LocalTime& start) {
  FILE* file = openDataFile(path, "wb");
  if (file == nullptr) return StatusCode::FileOpenError;
  TrafficGenerator generator;
  resetTrafficGenerator(generator, traffic);
  std::vector<unsigned char> buffer(kRecordsPerWrite * kRecordBytes);
  StatusCode status = StatusCode::Success;
  uint64_t left = recordCount;
  while (left > 0 && ok(status)) {
    const uint64_t made = generateRecords(generator, start, left < kRecordsPerWrite ? left : kRecordsPerWrite,
                                          buffer.data());
    if (made == 0) break;
    const size_t items = static_cast<size_t>(made);
    if (std::fwrite(buffer.data(), kRecordBytes, items, file) != items) status = StatusCode::FileWriteError;
    left -= made;
  }
  if (std::fclose(file) != 0 && ok(status)) status = StatusCode::FileWriteError;
  return status;
}
