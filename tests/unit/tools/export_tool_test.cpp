// qeltool export and cut hand their options to the export library as they should.
#include <gtest/gtest.h>

#include <functional>

#include "export/chapter10_writer.h"
#include "export/csv_export.h"
#include "tests/unit/export/export_fixtures.h"
#include "tool_fixtures.h"

// Each command's output equals what the library makes of the same choice of records.
TEST(ExportTool, CommandsWriteWhatTheLibraryMakes) {
  TempFolder folder;
  std::vector<BusRecord> records;
  for (unsigned i = 1; i <= 400; ++i) {
    records.push_back(recordAtMicros(86400000000ull + 2500 * i, i * 0x10101, i % 4, i % 3 == 0, i % 50 == 0 ? 9 : 0));
  }
  writeDataFile(folder.file("data.qel"), records, 5);
  const std::string path = folder.file("data.qel");
  const Bytes data = readBytes(path);

  RecordSelection window;
  window.timeWindow = window.toTimeGiven = true;
  window.fromTime = 86400000000.0 + 100000;  // 001:00:00:00.1
  window.toTime = 86400000000.0 + 600000.5;
  window.criteriaGiven = true;
  window.criteria.busChoice = BusJ2;
  window.criteria.syncChoice = SyncCmd;

  const struct {
    std::string arguments;
    std::string output;  // the file written, empty for standard output
    std::string printed;
    std::function<Bytes()> expected;
  } cases[] = {
      {"export data.qel --csv --format mdm --from-time 1:0:0:0.1 --to-time 1:0:0:0.6000005 --bus j2 --sync cmd", "",
       "",
       [&] {
         Bytes b;
         uint64_t rows = 0;
         exportCsv(path, window, StackFormat::Mdm, memorySink(b), rows);
         return b;
       }},
      {"export data.qel --ch10 -o out.ch10", "out.ch10", "400 records in 41 data packets, 2 time packets (time "
                                                         "started anew 0 times)\n",
       [&] {
         Bytes b;
         Chapter10Counts counts;
         exportChapter10(path, RecordSelection{}, "data.qel", memorySink(b), counts);
         return b;
       }},
      {"cut data.qel --from +0000003 --lines 4 -o part.qel", "part.qel", "4 records\n",
       [&] { return Bytes(data.begin() + 2 * 16, data.begin() + 6 * 16); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const ToolRun run = runQeltool(c.arguments, folder.path);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string command = c.arguments.substr(0, c.arguments.find(' '));
    EXPECT_EQ(run.err, "qeltool " + command + ": the last 5 bytes of data.qel are no whole record and are left out\n");
    const Bytes expected = c.expected();
    if (c.output.empty()) {
      EXPECT_EQ(run.out, std::string(expected.begin(), expected.end()));
    } else {
      EXPECT_EQ(run.out, c.printed);
      EXPECT_TRUE(readBytes(folder.file(c.output)) == expected);
    }
  }
}
