// qeltool report against the dialog's own report writer, on the same file and arguments.
#include <gtest/gtest.h>

#include "files/report.h"
#include "tool_fixtures.h"

namespace {

// Thirty records that touch every report column: both syncs, all channels, error flags, MDM
// command codes, half microseconds, gaps below 28 us and over an hour, time going backwards.
std::vector<BusRecord> variedRecords() {
  std::vector<BusRecord> records;
  uint64_t half = 2ull * (123ull * 86400000000ull + 4ull * 3600000000ull);
  const uint64_t steps[] = {185, 41, 57, 56, 2000, 7200000000ull, 7200000001ull, 3, 999};
  for (unsigned i = 0; i < 30; ++i) {
    half = i == 17 ? half - 5000 : half + steps[i % 9];
    const uint32_t word = (0x9A5234u * (i + 1) + (i << 14)) & 0xFFFFFFu;
    records.push_back(makeRecord(tagFromHalfMicros(half), i % 4, (i % 3) == 0 ? 1 : 0, (i * 5) % 16, word));
  }
  return records;
}

}  // namespace

// Standard output, or the -o file, is byte for byte what View writes into "QEL.TMP".
TEST(ReportTool, OutputIsTheDialogsReport) {
  TempFolder folder;
  const std::string varied = folder.file("varied.qel"), empty = folder.file("empty.qel");
  const std::string dialogFile = folder.file("QEL.TMP"), toolFile = folder.file("report.txt");
  writeRecords(varied, variedRecords(), 9);  // a cut-off record at the end, as after a crash
  writeRecords(empty, {});
  const struct {
    const std::string& data;
    const char* format;
    StackFormat stackFormat;
    int64_t from;
    int64_t lines;  // 0: --lines left out
    bool toFile;
  } cases[] = {
      {varied, "binary", StackFormat::BinaryHex, 1, 0, false}, {varied, "mdm", StackFormat::Mdm, 1, 0, true},
      {varied, "ldb", StackFormat::Ldb, 1, 0, false},          {varied, "mec", StackFormat::Mec, 1, 0, false},
      {varied, "eiu", StackFormat::Eiu, 1, 0, false},          {varied, "1553", StackFormat::Mil1553, 1, 0, false},
      {varied, "mdm", StackFormat::Mdm, 5, 3, true},           {varied, "MDM", StackFormat::Mdm, 29, 2, false},
      {varied, "binary", StackFormat::BinaryHex, 31, 5, true}, {varied, "eiu", StackFormat::Eiu, 18, 12, false},
      {varied, "mdm", StackFormat::Mdm, 2, 40, false},         {empty, "binary", StackFormat::BinaryHex, 1, 0, false},
  };
  for (const auto& c : cases) {
    std::string arguments = "report " + shellQuoted(c.data) + " --format " + c.format + " --from " +
                            std::to_string(c.from) + (c.lines ? " --lines " + std::to_string(c.lines) : "");
    if (c.toFile) arguments += " -o " + shellQuoted(toolFile);
    SCOPED_TRACE(arguments);
    const ToolRun run = runQeltool(arguments);
    ASSERT_EQ(writeReport(c.data, dialogFile, c.stackFormat, c.from, c.lines == 0 ? 1000 : c.lines),
              StatusCode::Success);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(c.toFile ? readText(toolFile) : run.out, readText(dialogFile));
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(!c.toFile || run.out.empty()) << run.out;
  }
  EXPECT_NE(runQeltool("report " + shellQuoted(empty)).out.find("\nEND OF DATA\n"), std::string::npos);
}
