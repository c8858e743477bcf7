// qeltool's refusals and failures: it never writes over a file it reads, writes its files whole or
// not at all, checks every write, standard output included, and refuses what it cannot use.
#include <gtest/gtest.h>

#include "tool_fixtures.h"

namespace {

constexpr size_t kDumpBytes = 2 + 2 * 393216;

}  // namespace

// Each refusal and each failure exits 2 (usage) or 3 (a file), or 1 for nothing found, with a
// message that starts "qeltool SUB:", and leaves every file exactly as it was and no temporary file.
// An output that is an input (by the same name, through a symbolic link or a hard link, and as
// standard output appended to) is refused before anything is written, both names given. The late
// failures: a record past the end, a write that fails (the file size limit, a full device), a short
// dump, an argument checked late, a data file that is not to be replaced, Ctrl-C while the output
// is half written; results lost on standard output are a failure too, named by the output that
// failed. Numbers are decimal whole numbers within each option's range (leading zeros and a "+"
// allowed, so that a report's line label can be pasted); the message names the option and range.
TEST(SafetyTool, RefusalsAndFailuresLeaveEveryFileAsItWas) {
  TempFolder folder;
  std::vector<BusRecord> records;
  for (unsigned i = 1; i <= 1000; ++i) records.push_back(recordAtMicros(1000 * i, i, i % 4, i % 2));
  writeDataFile(folder.file("data.qel"), records);
  // A small input for the outputs over it: a refusal that fails appends a report to it, which ends.
  writeDataFile(folder.file("RUN7.QEL"), std::vector<BusRecord>(records.begin(), records.begin() + 4));
  // A pass to the end leaves an index beside its data file: have it there from the start.
  ASSERT_EQ(runQeltool("index data.qel", folder.path).exitCode, 0);
  writeBytes(folder.file("D.SUP"), Bytes(kDumpBytes, 0x11));
  writeBytes(folder.file("SHORT.SUP"), Bytes(kDumpBytes - 1, 0x11));
  std::filesystem::create_symlink("RUN7.QEL", folder.file("link.qel"));
  std::filesystem::create_symlink("D.SUP", folder.file("dump.lnk"));
  std::filesystem::create_hard_link(folder.file("RUN7.QEL"), folder.file("hard.qel"));
  std::filesystem::create_directory(folder.file("folder.qel"));
  const Bytes data = readBytes(folder.file("data.qel")), run7 = readBytes(folder.file("RUN7.QEL"));
  const Bytes dump = readBytes(folder.file("D.SUP"));
  const std::string same = " is the same file as the input ", refused = "; nothing written\n";
  const std::string all64 = " is not a whole number from 0 to 18446744073709551615";
  const std::string open = "ERROR: Could not open file: ";
  const std::string sizeLimit = "trap '' XFSZ; ulimit -f 8; ";  // no file beyond 8 KiB
  // A data file that never delivers: the report is under way, its output open, when Ctrl-C comes.
  const std::string stalledInput = "mkfifo slow.qel && (sleep 5 >slow.qel 2>&- &) && timeout -s INT 0.5 ";
  const struct {
    std::string prefix;
    std::string arguments;
    int exitCode;
    std::string message;  // how standard error begins after "qeltool" (and a blank), empty for nothing
    std::string standardOutput = "";
  } cases[] = {
      {"", "report RUN7.QEL -o RUN7.QEL", 2, "report: RUN7.QEL" + same + "RUN7.QEL" + refused},
      {"", "report RUN7.QEL -o link.qel", 2, "report: link.qel" + same + "RUN7.QEL" + refused},
      {"", "report RUN7.QEL -o hard.qel", 2, "report: hard.qel" + same + "RUN7.QEL" + refused},
      {"", "convert RUN7.QEL", 2, "convert: RUN7.QEL" + same + "RUN7.QEL" + refused},
      {"", "convert D.SUP -o dump.lnk", 2, "convert: dump.lnk" + same + "D.SUP" + refused},
      {"", "report RUN7.QEL", 2, "report: standard output" + same + "RUN7.QEL" + refused, ">>RUN7.QEL"},
      {"", "count link.qel", 2, "count: standard output" + same + "link.qel" + refused, ">>RUN7.QEL"},
      {"", "cut RUN7.QEL --from 2 -o link.qel", 2, "cut: link.qel" + same + "RUN7.QEL" + refused},
      {"", "cut data.qel --lines 100 -o ./data.qix", 2,
       "cut: ./data.qix is where the index of data.qel is kept" + refused},
      {"", "export RUN7.QEL --csv", 2, "export: standard output" + same + "RUN7.QEL" + refused, ">>RUN7.QEL"},
      // The largest number is taken, not refused.
      {"", "report data.qel --from 18446744073709551615 -o old.txt", 3,
       "report: ERROR: Bus word does not exist: data.qel"},
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
      {"", "report data.qel --from 0x10", 2,
       "report: --from: \"0x10\" is not a whole number from 1 to 18446744073709551615"},
      {"", "search data.qel --gap-min ''", 2, "search: --gap-min: \"\"" + all64},
      {"", "search data.qel --gap-min 50 --gap-max 20", 2,
       "search: ERROR: Syntax error: --gap-min 50 is above --gap-max 20"},
      {"", "search data.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxx", 2, "search: ERROR: Syntax error: --pattern takes 24"},
      {"", "search data.qel --pattern 1xxxxxxxxxxxxxxxxxxxxxx2", 2, "search: ERROR: Syntax error: --pattern takes 24"},
      // A number past the largest is refused, not wrapped round to one in range.
      {"", "generate n.qel --records 5 --seed 18446744073709551616", 2,
       "generate: --seed: \"18446744073709551616\"" + all64},
      {"", "generate n.qel --records 5 --rate 0", 2, "generate: --rate: \"0\" is not a whole number from 1 to 2000000"},
      {"", "generate n.qel --records 10 --start 2024-02-30T00:00:00", 2, "generate: --start takes"},
      {"", "record n.qel --seconds 1.2.3", 2, "record: --seconds: \"1.2.3\" is not a number"},
      {"", "record n.qel --seconds 1 --max-size 0", 2, "record: --max-size: \"0\" is not a number from 0.0001 to 50"},
      // Only the tool splits the fields; their values are checked by the time search.
      {"", "find-time data.qel 000:00:00", 2, "find-time: ERROR: Syntax error: "},
      {"", "find-time data.qel +24:60:00", 2, "find-time: ERROR: Syntax error: +24:60:00 ("},
      {"", "cut data.qel --from-time +00:00:01 -o old.txt", 1, "cut: None Found"},
      {"", "search data.qel RUN7.QEL", 2, "search: several files are searched with --count only\n"},
      // A mistyped command: the nearest by edit distance, or none when nothing is near.
      {"", "serach data.qel", 2, ": unknown command 'serach'; did you mean 'search'?\n"},
      {"", "sarch2x data.qel", 2, ": unknown command 'sarch2x' (qeltool --help lists them)\n"},
      {"", "report missing.qel -o old.txt", 3, "report: " + open + "missing.qel"},
      {"", "convert missing.SUP", 3, "convert: " + open + "missing.SUP"},
      {"", "count folder.qel", 3, "count: " + open + "folder.qel"},
      {"", "report data.qel -o no/such/r.txt", 3, "report: " + open + "no/such/r.txt"},
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
      EXPECT_EQ(run.err.rfind("qeltool" + std::string(c.message[0] == ':' ? "" : " ") + c.message, 0), 0u) << run.err;
    }
    EXPECT_EQ(readText(folder.file("old.txt")), "keep\n");
    EXPECT_TRUE(readBytes(folder.file("data.qel")) == data);
    EXPECT_TRUE(readBytes(folder.file("RUN7.QEL")) == run7);
    EXPECT_TRUE(readBytes(folder.file("D.SUP")) == dump);
    std::filesystem::remove(folder.file("slow.qel"));
    EXPECT_EQ(namesInFolder(folder.path), names);
  }
  // A target that did not exist does not appear.
  EXPECT_EQ(runQeltool("convert SHORT.SUP", folder.path).exitCode, 3);
  EXPECT_FALSE(std::filesystem::exists(folder.file("SHORT.QEL")));
}
