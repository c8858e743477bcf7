// Writing bus records as an IRIG 106 Chapter 10 file, record by record, in one pass.
//
// The relative time counter follows the time tags exactly (5 ticks a half microsecond) within a
// stretch of time that runs forward. Where a record's time goes backwards, or jumps more than an
// hour ahead, the open data packets are closed and a new time packet ties the counter, one tick
// on, to the new time: such records are carried over as they are and every word's time reads
// back as its time tag. Time packets come at least once a second of recorded time, each one
// after the open data packets have been closed, so that every data packet follows the time
// packet that dates it. Data packets hold at most 4096 words and 100 ms.
//
// The data file holds no year. A time packet of day 366 carries the leap-year indication, and so
// does every later one until the turn of the year (time going back by more than half a year): from
// day 366 on, the recording's year is known to be a leap year. A recording that starts on day 366
// therefore has it in all of its packets of that year.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/status_code.h"
#include "export/byte_sink.h"
#include "export/record_selection.h"
#include "search/scan_kernels.h"

struct Chapter10Counts {
  uint64_t records = 0;
  uint64_t dataPackets = 0;
  uint64_t timePackets = 0;
  uint64_t timeRestarts = 0;     // time went backwards or jumped over an hour: a new time packet
  uint64_t daysOutOfRange = 0;   // time packets whose day (400 or later) was written less 400
};

// One bus's open data packet.
struct Chapter10Bus {
  std::vector<unsigned char> packet;  // room for the largest packet: header, body so far, trailer
  size_t used = 0;                    // header room and body so far
  uint32_t messages = 0;
  uint64_t firstCounter = 0;
  uint8_t sequence = 0;
};

struct Chapter10Writer {
  OutputBlock out;
  Chapter10Bus buses[4];
  std::vector<unsigned char> scratch;  // the setup and time packets
  uint8_t setupSequence = 0;
  uint8_t timeSequence = 0;
  HalfMicrosClock clock;
  bool timed = false;             // a time packet has tied the counter to the time tags
  uint64_t lastHalfMicros = 0;    // the last record's time
  uint64_t lastCounter = 0;       // the counter of the last record or time packet
  uint64_t baseHalfMicros = 0;    // counter = baseCounter + 5 (time - baseHalfMicros) ...
  uint64_t baseCounter = 0;       // ... while the time runs forward
  uint64_t nextTimeCounter = 0;   // the next time packet is due here
  bool leapYear = false;          // day 366 has been seen in the year being written
  Chapter10Counts counts;
};

// Starts the file: the setup record naming sourceName.
void beginChapter10(Chapter10Writer& writer, ByteSink sink, const std::string& sourceName);

// Adds count records (16 bytes each, as in the data file).
void addChapter10Records(Chapter10Writer& writer, const unsigned char* records, size_t count);

// Closes the open packets and hands everything over. FileWriteError when the sink failed.
StatusCode finishChapter10(Chapter10Writer& writer);

// The selected records of a data file as a Chapter 10 file; sourceName goes into the setup record.
// FileOpenError or BusWordMissing as forEachSelectedRun, FileWriteError when the sink failed.
StatusCode exportChapter10(const std::string& path, const RecordSelection& selection, const std::string& sourceName,
                           ByteSink sink, Chapter10Counts& counts, const ScanProgress* progress = nullptr);
