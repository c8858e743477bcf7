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
    if (i == 17) {
      half -= 5000;  // a record earlier than the one before
    } else {
      half += steps[i % 9];
    }
    const uint32_t word = (0x9A5234u * (i + 1) + (i << 14)) & 0xFFFFFFu;
    records.push_back(makeRecord(tagFromHalfMicros(half), i % 4, (i % 3) == 0 ? 1 : 0, (i * 5) % 16, word));
  }
  return records;
}

struct ReportCase {
  const char* format;
  StackFormat stackFormat;
  int64_t from;
  int64_t lines;  // 0: --lines left out
};

const ReportCase kCases[] = {
    {"binary", StackFormat::BinaryHex, 1, 0},  {"mdm", StackFormat::Mdm, 1, 0},
    {"ldb", StackFormat::Ldb, 1, 0},           {"mec", StackFormat::Mec, 1, 0},
    {"eiu", StackFormat::Eiu, 1, 0},           {"1553", StackFormat::Mil1553, 1, 0},
    {"mdm", StackFormat::Mdm, 5, 3},           {"MDM", StackFormat::Mdm, 29, 2},
    {"binary", StackFormat::BinaryHex, 30, 1}, {"binary", StackFormat::BinaryHex, 31, 5},
    {"eiu", StackFormat::Eiu, 18, 12},         {"mdm", StackFormat::Mdm, 2, 40},
};

std::string describe(const ReportCase& c) {
  return std::string(c.format) + " from " + std::to_string(c.from) + " lines " + std::to_string(c.lines);
}

// What View writes into "QEL.TMP" for the same arguments (no --lines: more lines than records).
std::string dialogReport(const TempFolder& folder, const std::string& data, const ReportCase& c) {
  const std::string reportPath = folder.file("QEL.TMP");
  EXPECT_EQ(writeReport(data, reportPath, c.stackFormat, c.from, c.lines == 0 ? 1000 : c.lines), StatusCode::Success);
  return readText(reportPath);
}

std::string reportArguments(const std::string& data, const ReportCase& c) {
  std::string arguments = "report " + shellQuoted(data) + " --format " + c.format + " --from " + std::to_string(c.from);
  if (c.lines != 0) arguments += " --lines " + std::to_string(c.lines);
  return arguments;
}

}  // namespace

TEST(ReportTool, StandardOutputIsTheDialogsReport) {
  TempFolder folder;
  const std::string data = folder.file("varied.qel");
  writeRecords(data, variedRecords(), 9);  // a cut-off record at the end, as after a crash
  for (const ReportCase& c : kCases) {
    const ToolRun run = runQeltool(reportArguments(data, c));
    EXPECT_EQ(run.exitCode, 0) << describe(c) << run.err;
    EXPECT_EQ(run.out, dialogReport(folder, data, c)) << describe(c);
    EXPECT_EQ(run.err, "") << describe(c);
  }
}

TEST(ReportTool, OutputFileIsTheDialogsReport) {
  TempFolder folder;
  const std::string data = folder.file("varied.qel");
  writeRecords(data, variedRecords());
  for (const ReportCase& c : {kCases[1], kCases[6], kCases[9]}) {
    const std::string out = folder.file("report.txt");
    const ToolRun run = runQeltool(reportArguments(data, c) + " -o " + shellQuoted(out));
    EXPECT_EQ(run.exitCode, 0) << describe(c) << run.err;
    EXPECT_EQ(run.out, "") << describe(c);
    EXPECT_EQ(readText(out), dialogReport(folder, data, c)) << describe(c);
  }
}

TEST(ReportTool, EmptyFileGivesTheHeaderAndEndOfData) {
  TempFolder folder;
  const std::string data = folder.file("empty.qel");
  writeRecords(data, {});
  const ToolRun run = runQeltool("report " + shellQuoted(data));
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = splitLines(run.out);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "END OF DATA");
}

TEST(ReportTool, FromTwoPastTheEndFailsWithTheStatusText) {
  TempFolder folder;
  const std::string data = folder.file("varied.qel");
  writeRecords(data, variedRecords());
  const std::string out = folder.file("report.txt");
  struct {
    std::string arguments;
  } cases[] = {{"--from 32"}, {"--from 1000000"}, {"--from 32 -o " + shellQuoted(out)}};
  for (const auto& c : cases) {
    const ToolRun run = runQeltool("report " + shellQuoted(data) + " " + c.arguments);
    EXPECT_EQ(run.exitCode, 3) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    EXPECT_NE(run.err.find("ERROR: Bus word does not exist"), std::string::npos) << c.arguments << run.err;
  }
  // As with "QEL.TMP", the named report file is left empty.
  EXPECT_EQ(readText(out), "");
}
