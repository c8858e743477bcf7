// Cuts at the edges of their windows, and the records an export selects.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/cut.h"
#include "export_fixtures.h"
#include "search/pattern_search.h"
#include "sim/generated_data_file.h"
#include "tests/support/sim_support.h"

namespace {

// The lines a selection delivers, each checked against the data file's own bytes.
std::vector<uint64_t> selectedLines(const std::string& path, const Bytes& data, const RecordSelection& selection) {
  std::vector<uint64_t> lines;
  const auto take = [&](uint64_t first, const unsigned char* run, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      const size_t at = (first + i - 1) * kBusRecordBytes;
      EXPECT_TRUE(std::equal(run + i * kBusRecordBytes, run + (i + 1) * kBusRecordBytes, data.begin() + at));
      lines.push_back(first + i);
    }
    return true;
  };
  EXPECT_EQ(forEachSelectedRun(path, selection, take), StatusCode::Success);
  return lines;
}

}  // namespace

// Times in microseconds 100, 200, 300, then 250 (backwards), 400, 400, 500, 600, and 7 bytes of a
// cut-off record.
TEST(Cut, WindowsAtTheEdgesCopyTheRecordsByteForByte) {
  TempFolder folder;
  const std::string path = folder.file("data.qel");
  const uint64_t micros[] = {100, 200, 300, 250, 400, 400, 500, 600};
  std::vector<BusRecord> records;
  for (size_t i = 0; i < 8; ++i) records.push_back(testRecord({2 * micros[i], uint32_t(0x100 + i), unsigned(i % 4), unsigned(i % 2)}));
  Bytes data = dataFileBytes(records);
  data.insert(data.end(), 7, 0xEE);
  writeBytes(path, data);

  struct Case {
    bool byTime;
    double from, to;  // times, or first line and number of lines
    bool toGiven;
    StatusCode status;
    uint64_t first, last;  // lines copied, none when last < first
  };
  const Case cases[] = {
      {true, 100, 100, true, StatusCode::Success, 1, 1},
      {true, 100.5, 300, true, StatusCode::Success, 2, 4},  // 250 after 300 stays in the window
      {true, 250, 400, true, StatusCode::Success, 3, 6},    // the first record at or after 250 in file order
      {true, 600, 600, true, StatusCode::Success, 8, 8},
      {true, 450, 0, false, StatusCode::Success, 7, 8},
      {true, 600.5, 1000, true, StatusCode::Success, 1, 0},
      {true, 300, 299.5, true, StatusCode::Success, 1, 0},
      {false, 8, 5, false, StatusCode::Success, 8, 8},
      {false, 9, 5, false, StatusCode::Success, 1, 0},
      {false, 10, 5, false, StatusCode::BusWordMissing, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.byTime ? "time " : "lines ") << c.from << " " << c.to);
    RecordSelection selection;
    if (c.byTime) {
      selection.timeWindow = true;
      selection.fromTime = c.from;
      selection.toTimeGiven = c.toGiven;
      selection.toTime = c.to;
    } else {
      selection.from = static_cast<uint64_t>(c.from);
      selection.lines = static_cast<uint64_t>(c.to);
    }
    Bytes cut;
    uint64_t copied = 0;
    ASSERT_EQ(cutRecords(path, selection, memorySink(cut), copied), c.status);
    const Bytes expected = c.last >= c.first ? Bytes(data.begin() + (c.first - 1) * 16, data.begin() + c.last * 16)
                                             : Bytes();
    EXPECT_EQ(cut, expected);
    EXPECT_EQ(copied, expected.size() / 16);
  }
}

// With criteria an export takes the records of its stretch that the pattern search finds, also
// where a gap is measured across the stretch's edges or across the reader's block boundary.
TEST(RecordSelection, CriteriaTakeTheSearchMatchesOfTheStretch) {
  TempFolder folder;
  const std::string path = folder.file("data.qel");
  ASSERT_EQ(writeGeneratedRecords(path.c_str(), TrafficConfig{}, 70000, LocalTime{2024, 1, 2, 3, 4, 5}),
            StatusCode::Success);
  const Bytes data = readBytes(path);

  SearchSettings busTwoCommands, gapAfter, gapBefore;
  busTwoCommands.busChoice = BusJ2;
  busTwoCommands.syncChoice = SyncCmd;
  gapAfter.gapBefore = 0;
  gapAfter.gapMaxEnabled = 1;
  gapAfter.gapMax = 5;  // line 65536, the last of the first block, is such a record
  gapBefore.gapMinEnabled = 1;
  gapBefore.gapMin = 100;

  RecordSelection lines, blockEdge;
  lines.from = 65500;
  lines.lines = 300;
  blockEdge.from = 2;
  blockEdge.lines = 65535;  // the reader's first block, from line 1, ends with its last line

  for (const SearchSettings& criteria : {busTwoCommands, gapAfter, gapBefore}) {
    std::vector<uint64_t> matches;
    ASSERT_EQ(forEachMatch(path, criteria, [&](uint64_t line) {
                matches.push_back(line);
                return true;
              }),
              StatusCode::Success);
    for (RecordSelection selection : {lines, blockEdge}) {
      const std::vector<uint64_t> stretch = selectedLines(path, data, selection);
      ASSERT_FALSE(stretch.empty());
      std::vector<uint64_t> expected;
      std::set_intersection(stretch.begin(), stretch.end(), matches.begin(), matches.end(),
                            std::back_inserter(expected));
      selection.criteriaGiven = true;
      selection.criteria = criteria;
      EXPECT_EQ(selectedLines(path, data, selection), expected) << "from line " << stretch.front();
      EXPECT_FALSE(expected.empty()) << "from line " << stretch.front();
    }
  }
}
