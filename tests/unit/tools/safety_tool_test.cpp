// qeltool never writes over a file it reads, writes its files whole or not at all, and checks
// every write, standard output included.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

namespace {

constexpr size_t kDumpBytes = 2 + 2 * 393216;

std::vector<BusRecord> spacedRecords(unsigned count) {
  std::vector<BusRecord> records;
  for (unsigned i = 1; i <= count; ++i) records.push_back(recordAtMicros(1000 * i, i, i % 4, i % 2));
  return records;
}

}  // namespace

// The same file by the same name, through a symbolic link or a hard link, and as
// standard output appended to: refused before anything is written, both names given.
TEST(SafetyTool, AnOutputThatIsAnInputIsRefused) {
  TempFolder folder;
  writeDataFile(folder.file("X.qel"), spacedRecords(3));
  writeDataFile(folder.file("RUN7.QEL"), spacedRecords(4));
  writeBytes(folder.file("D.SUP"), Bytes(kDumpBytes, 0x11));
  std::filesystem::create_symlink("X.qel", folder.file("link.qel"));
  std::filesystem::create_symlink("D.SUP", folder.file("dump.lnk"));
  std::filesystem::create_hard_link(folder.file("X.qel"), folder.file("hard.qel"));
  const Bytes data = readBytes(folder.file("X.qel")), run7 = readBytes(folder.file("RUN7.QEL"));
  const Bytes dump = readBytes(folder.file("D.SUP"));
  const std::vector<std::string> names = namesInFolder(folder.path);
  const struct {
    std::string arguments;
    std::string standardOutput;
    std::string message;
  } cases[] = {
      {"report X.qel -o X.qel", "", "report: X.qel is the same file as the input X.qel"},
      {"report X.qel -o link.qel", "", "report: link.qel is the same file as the input X.qel"},
      {"report X.qel -o hard.qel", "", "report: hard.qel is the same file as the input X.qel"},
      {"convert RUN7.QEL", "", "convert: RUN7.QEL is the same file as the input RUN7.QEL"},
      {"convert D.SUP -o dump.lnk", "", "convert: dump.lnk is the same file as the input D.SUP"},
      {"report X.qel", ">>X.qel", "report: standard output is the same file as the input X.qel"},
      {"count link.qel", ">>X.qel", "count: standard output is the same file as the input link.qel"},
      {"cut X.qel --from 2 -o link.qel", "", "cut: link.qel is the same file as the input X.qel"},
      {"export X.qel --csv", ">>X.qel", "export: standard output is the same file as the input X.qel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments + " " + c.standardOutput);
    const ToolRun run = runQeltool(c.arguments, folder.path, "", c.standardOutput);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "qeltool " + c.message + "; nothing written\n");
    EXPECT_TRUE(readBytes(folder.file("X.qel")) == data);
    EXPECT_TRUE(readBytes(folder.file("RUN7.QEL")) == run7);
    EXPECT_TRUE(readBytes(folder.file("D.SUP")) == dump);
    EXPECT_EQ(namesInFolder(folder.path), names);
  }
}

// Each kind of late failure leaves an existing target exactly as it was and no temporary file:
// a record past the end, a write that fails (the file size limit, a full device), a short dump, an
// argument checked late, a data file that is not to be replaced, Ctrl-C while the output is half
// written. Results lost on standard output are a failure too, named by the output that failed.
TEST(SafetyTool, ALateFailureLeavesThePriorTargetAsItWas) {
  TempFolder folder;
  writeDataFile(folder.file("data.qel"), spacedRecords(1000));
  // A pass to the end leaves an index beside its data file: have it there from the start.
  ASSERT_EQ(runQeltool("index data.qel", folder.path).exitCode, 0);
  writeBytes(folder.file("D.SUP"), Bytes(kDumpBytes, 0x11));
  writeBytes(folder.file("SHORT.SUP"), Bytes(kDumpBytes - 1, 0x11));
  const std::string sizeLimit = "trap '' XFSZ; ulimit -f 8; ";  // no file beyond 8 KiB
  // A data file that never delivers: the report is under way, its output open, when Ctrl-C comes.
  const std::string stalledInput = "mkfifo slow.qel && (sleep 5 >slow.qel 2>&- &) && timeout -s INT 0.5 ";
  const struct {
    std::string prefix;
    std::string arguments;
    int exitCode;
    std::string message;
    std::string standardOutput = "";
  } cases[] = {
      {"", "report data.qel --from 1002 -o old.txt", 3, "report: ERROR: Bus word does not exist: data.qel"},
      {sizeLimit, "report data.qel -o old.txt", 3, "report: ERROR: File write error: old.txt"},
      {sizeLimit, "convert D.SUP -o old.txt", 3, "convert: ERROR: File write error: old.txt"},
      {"", "convert SHORT.SUP -o old.txt", 3, "convert: ERROR: File read error: SHORT.SUP"},
      {"", "generate old.txt --records 9", 2, "generate: old.txt exists and is not empty; --force replaces it"},
      {stalledInput, "report slow.qel -o old.txt", 124, ""},
      {"", "cut data.qel --from 1002 -o old.txt", 3, "cut: ERROR: Bus word does not exist: data.qel"},
      {"", "export data.qel --ch10 --bus j1 --sync cmd --errors with -o old.txt", 1, "export: None Found"},
      {sizeLimit, "export data.qel --csv -o old.txt", 3, "export: ERROR: File write error: old.txt"},
      {"", "report data.qel -o /dev/full", 3, "report: ERROR: File write error: /dev/full"},
      {"", "report data.qel", 3, "report: ERROR: File write error: standard output", ">/dev/full"},
      {"", "count data.qel", 3, "count: ERROR: File write error: standard output", ">/dev/full"},
      {"", "export data.qel --csv", 3, "export: ERROR: File write error: standard output", ">/dev/full"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix + c.arguments + " " + c.standardOutput);
    writeBytes(folder.file("old.txt"), Bytes{'k', 'e', 'e', 'p', '\n'});
    const std::vector<std::string> names = namesInFolder(folder.path);
    const ToolRun run = runQeltool(c.arguments, folder.path, c.prefix, c.standardOutput);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(run.out, "");
    if (c.message.empty()) {
      EXPECT_EQ(run.err, "");  // ended by the signal
    } else {
      EXPECT_EQ(run.err.rfind("qeltool " + c.message, 0), 0u) << run.err;
    }
    EXPECT_EQ(readText(folder.file("old.txt")), "keep\n");
    std::filesystem::remove(folder.file("slow.qel"));
    EXPECT_EQ(namesInFolder(folder.path), names);
  }
  // A target that did not exist does not appear.
  EXPECT_EQ(runQeltool("convert SHORT.SUP", folder.path).exitCode, 3);
  EXPECT_FALSE(std::filesystem::exists(folder.file("SHORT.QEL")));
}
