// qeltool's refusals and failures: it never writes over a file it reads, writes its files whole or
// not at all, checks every write, standard output included, and refuses what it cannot use.
#include <gtest/gtest.h>

#include <cstring>

#include "tool_fixtures.h"

namespace {

constexpr size_t kDumpBytes = 2 + 2 * 393216;

}  // namespace

// Each refusal and each failure exits 2 (usage) or 3 (a file), or 1 for nothing found, with a
// message that starts "qeltool SUB:", and leaves every file exactly as it was and no temporary file.
// An output that is an input (by the same name, through a symbolic link, a hard link or a
// descriptor path that names the input once the command has it open, and as standard output
// appended to) is refused before anything is written, both names given; so is an output that holds
// data, without --force, and an empty output name. Nothing chosen writes nothing, standard output
// included, and exits 1. The late
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
  const std::string sizeLimit = "ulimit -f 8; ";  // no file beyond 8 KiB
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
      // Descriptor 3 is the input once the report has opened it, or from the start.
      {"", "report RUN7.QEL -o /proc/self/fd/3 3<&-", 2, "report: /proc/self/fd/3" + same + "RUN7.QEL" + refused},
      {"", "export RUN7.QEL --csv -o /dev/fd/3 --force 3<RUN7.QEL", 2,
       "export: /dev/fd/3" + same + "RUN7.QEL" + refused},
      {"", "cut RUN7.QEL -o - --force 3<>RUN7.QEL", 2, "cut: standard output" + same + "RUN7.QEL" + refused,
       ">&3"},
      {"", "report data.qel -o old.txt", 2, "report: old.txt exists and is not empty; --force replaces it"},
      {"", "convert D.SUP -o old.txt", 2, "convert: old.txt exists and is not empty; --force replaces it"},
      {"", "report data.qel -o ''", 2, "report: --output: an empty name; - is standard output"},
      // The largest number is taken, not refused.
      {"", "report data.qel --from 18446744073709551615 -o old.txt --force", 1, "report: None Found"},
      {"", "report data.qel --from 1002", 1, "report: None Found"},
      {sizeLimit, "report data.qel -o old.txt --force", 3, "report: ERROR: File write error: old.txt"},
      {sizeLimit, "convert D.SUP -o old.txt --force", 3, "convert: ERROR: File write error: old.txt"},
      {"", "convert SHORT.SUP -o old.txt --force", 3, "convert: ERROR: File read error: SHORT.SUP"},
      {"", "generate old.txt --records 9", 2, "generate: old.txt exists and is not empty; --force replaces it"},
      {stalledInput, "report slow.qel -o old.txt --force", 124, ""},
      {"", "cut data.qel --from 1002 -o old.txt --force", 1, "cut: None Found"},
      {"", "export data.qel --ch10 --bus j1 --sync cmd --errors with -o old.txt --force", 1, "export: None Found"},
      {"", "export data.qel --ch10 --bus j1 --sync cmd --errors with -o -", 1, "export: None Found"},
      {"", "export data.qel --csv --bus j1 --sync cmd --errors with", 1, "export: None Found"},
      {sizeLimit, "export data.qel --csv -o old.txt --force", 3, "export: ERROR: File write error: old.txt"},
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
      {"", "cut data.qel --from-time +00:00:01 -o old.txt --force", 1, "cut: None Found"},
      {"", "search data.qel RUN7.QEL", 2, "search: several files are searched with --count only\n"},
      // A mistyped command: the nearest by edit distance, or none when nothing is near.
      {"", "serach data.qel", 2, ": unknown command 'serach'; did you mean 'search'?\n"},
      {"", "sarch2x data.qel", 2, ": unknown command 'sarch2x' (qeltool --help lists them)\n"},
      {"", "report missing.qel -o old.txt --force", 3, "report: " + open + "missing.qel"},
      {"", "convert missing.SUP", 3, "convert: " + open + "missing.SUP"},
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

// Every command reads a stream (a pipe as /dev/stdin or "-", a FIFO, a device) once, front to
// back, with the answer it gives for the same bytes in a file (the data file, or an empty one for
// /dev/null); a folder is refused by all. stats counts the time tags no
// clock gives: a recording of day 0 does not look like a data file.
TEST(SafetyTool, EveryInputFormReadRightOrRefused) {
  TempFolder folder;
  ASSERT_EQ(runQeltool("generate data.qel --records 40000 --start '2024-03-01 10:00:00'", folder.path).exitCode, 0);
  writeBytes(folder.file("empty.qel"), Bytes{});
  writeDataFile(folder.file("day0.qel"), std::vector<BusRecord>(5, recordAtMicros(7)));
  ASSERT_EQ(std::system(("mkfifo " + shellQuoted(folder.file("f.fifo"))).c_str()), 0);
  const std::string fifoWriter = "(timeout 5 dd if=data.qel of=f.fifo status=none >/dev/null 2>&1 &) && ";
  // Standard input a file of which 100 records were read before: read from where it stands.
  ASSERT_EQ(std::system(("cd " + shellQuoted(folder.path) + " && tail -c +1601 data.qel >rest.qel").c_str()), 0);
  const std::string partlyRead = "exec 0<data.qel && dd bs=1600 count=1 status=none of=/dev/null && ";
  const struct {
    const char* name;  // in place of FILE
    std::string prefix;
    const char* sameAs;  // the file that gives the same answer; null for a refusal
  } forms[] = {{"data.qel", "", "data.qel"},       {"/dev/stdin", "cat data.qel | ", "data.qel"},
               {"-", "cat data.qel | ", "data.qel"}, {"f.fifo", fifoWriter, "data.qel"},
               {"/dev/null", "", "empty.qel"},      {".", "", nullptr},
               {"-", "exec 0<data.qel && ", "data.qel"}, {"-", partlyRead, "rest.qel"}};
  // FILE where the input goes.
  const std::string commands[] = {"count FILE",
                                  "search FILE --bus j2 --count",
                                  "search FILE --gap-min 900 --gap after --lines",
                                  "stats FILE",
                                  "report FILE --lines 30 --format mdm",
                                  "export FILE --csv --sync cmd",
                                  "cut FILE --lines 7 -o -",
                                  "find-time FILE 061:10:00:01 --json",
                                  "find-time FILE 366:00:00:00"};
  for (const std::string& command : commands) {
    const auto withInput = [&](const std::string& name) {
      std::string arguments = command;
      return arguments.replace(arguments.find("FILE"), 4, name);
    };
    for (const auto& form : forms) {
      SCOPED_TRACE(form.prefix + withInput(form.name));
      const ToolRun run = runQeltool(withInput(form.name), folder.path, form.prefix);
      if (form.sameAs != nullptr) {
        ToolRun expected = runQeltool(withInput(form.sameAs), folder.path);
        // stats names its file.
        const size_t named = expected.out.find(form.sameAs);
        if (named != std::string::npos) expected.out.replace(named, std::strlen(form.sameAs), form.name);
        EXPECT_EQ(run.exitCode, expected.exitCode) << run.err;
        EXPECT_EQ(run.out, expected.out);
      } else {
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(" is a folder, not a data file"), std::string::npos) << run.err;
      }
    }
  }
  EXPECT_NE(runQeltool("stats data.qel", folder.path).out.find("impossible times    0 of 16388 checked\n"),
            std::string::npos);
  EXPECT_NE(runQeltool("stats day0.qel", folder.path)
                .out.find("impossible times    5 of 5 checked: this does not look like a data file\n"),
            std::string::npos);
}
