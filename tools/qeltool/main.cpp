// qeltool: the data-file tasks of the recorder dialog on the command line, on the same code.
//
// Results go to standard output, errors and progress to standard error. Exit codes: 0 success,
// 1 a search or time search found nothing, 2 a usage error, 3 any other failure.
//
// CLI11 reports parse errors by throwing; they are caught here, at the parse, and nowhere else
// does the tool use exceptions.
#include <CLI/CLI.hpp>

#include "tools/qeltool/commands.h"
#include "tools/qeltool/tool_exit.h"

namespace {

constexpr int64_t kLargestLineNumber = 1000000000000000000LL;  // far beyond any file

void addReport(CLI::App& app, ReportOptions& o) {
  CLI::App* c = app.add_subcommand("report", "The text report of View (\"QEL.TMP\"), to standard output or a file");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_option("--from", o.from, "First record to show, counted from 1")
      ->check(CLI::Range(int64_t{1}, kLargestLineNumber))
      ->capture_default_str();
  c->add_option("--lines", o.lines, "Number of records to show (default: all to the end)")
      ->check(CLI::Range(int64_t{1}, kLargestLineNumber));
  c->add_option("--format", o.format, "Bus format: binary, mdm, ldb, mec, eiu, 1553")
      ->transform(CLI::IsMember({"binary", "mdm", "ldb", "mec", "eiu", "1553"}, CLI::ignore_case))
      ->capture_default_str();
  c->add_option("-o,--output", o.output, "Write the report into this file instead (text mode, as \"QEL.TMP\")");
}

void addSearch(CLI::App& app, SearchOptions& o) {
  CLI::App* c =
      app.add_subcommand("search", "The pattern search: the N-th match, the number of matches, or every match");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_option("--pattern", o.pattern, "24 characters of 1, 0 and x, bit 23 first (default: all x)");
  c->add_option("--sync", o.sync, "Sync type: any, cmd, data")
      ->transform(CLI::IsMember({"any", "cmd", "data"}, CLI::ignore_case))
      ->capture_default_str();
  c->add_option("--errors", o.errors, "Error state: any, none, with")
      ->transform(CLI::IsMember({"any", "none", "with"}, CLI::ignore_case))
      ->capture_default_str();
  c->add_option("--bus", o.bus, "Bus channel: any, J1, J2, J3, J4")
      ->transform(CLI::IsMember({"any", "jx", "j1", "j2", "j3", "j4"}, CLI::ignore_case))
      ->capture_default_str();
  CLI::Option* gapMin =
      c->add_option("--gap-min", o.gapMin, "Lower bound of the gap, whole microseconds (inclusive)")->type_name("US");
  CLI::Option* gapMax =
      c->add_option("--gap-max", o.gapMax, "Upper bound of the gap, whole microseconds (inclusive)")->type_name("US");
  c->add_option("--gap", o.gapSide, "Side of the gap: before (to the previous record) or after (to the next)")
      ->transform(CLI::IsMember({"before", "after"}, CLI::ignore_case))
      ->capture_default_str();
  CLI::Option* nth =
      c->add_option("--nth", o.nth, "Print the line of the N-th match")->type_name("N")->capture_default_str();
  CLI::Option* count = c->add_flag("--count", o.count, "Print the number of matches");
  CLI::Option* lines = c->add_flag("--lines", o.lines, "Print the line of every match, one per line");
  nth->excludes(count)->excludes(lines);
  count->excludes(lines);
  c->add_flag("--json", o.json, "Print the result as JSON");
  c->callback([&o, gapMin, gapMax] {
    o.gapMinGiven = gapMin->count() > 0;
    o.gapMaxGiven = gapMax->count() > 0;
  });
}

void addFindTime(CLI::App& app, FindTimeOptions& o) {
  CLI::App* c = app.add_subcommand("find-time", "Find Nearest TTag: the line of the first record at or after TIME");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_option("TIME", o.time, "DDD:HH:MM:SS[.fraction], day of the year 0 to 366")->required();
  c->add_flag("--json", o.json, "Print the result as JSON");
}

void addCount(CLI::App& app, CountOptions& o) {
  CLI::App* c = app.add_subcommand("count", "Get File Size: the number of whole records");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_flag("--json", o.json, "Print the result as JSON");
}

void addConvert(CLI::App& app, ConvertOptions& o) {
  CLI::App* c = app.add_subcommand("convert", "Convert File: a \".SUP\" memory dump into a data file");
  c->add_option("DUMP", o.dump, "Dump file")->required();
  c->add_option("-o,--output", o.output,
                "Data file to write (default: the dump's name up to its first \".\", with \".QEL\")");
}

void addStats(CLI::App& app, StatsOptions& o) {
  CLI::App* c = app.add_subcommand("stats",
                                   "Words per channel, sync and error flag, first and last time tag, largest gap, "
                                   "time going backwards");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_flag("--json", o.json, "Print the result as JSON");
}

void addGenerate(CLI::App& app, GenerateOptions& o) {
  CLI::App* c =
      app.add_subcommand("generate", "A data file of the simulated card's seeded bus traffic, written at once");
  c->add_option("FILE", o.file, "Data file to create (or empty)")->required();
  c->add_option("--records", o.records, "Number of records")->required()->check(CLI::NonNegativeNumber);
  CLI::Option* seed = c->add_option("--seed", o.seed, "Seed of the traffic generator (default: the simulated card's)");
  c->add_option("--rate", o.rate, "Bus words a second, all channels together")
      ->check(CLI::Range(uint32_t{1}, uint32_t{2000000}))
      ->capture_default_str();
  c->add_option("--start", o.start, "Local time capture started, \"YYYY-MM-DD HH:MM:SS\" (default: now)");
  c->callback([&o, seed] { o.seedGiven = seed->count() > 0; });
}

void addRecord(CLI::App& app, RecordOptions& o) {
  CLI::App* c = app.add_subcommand("record", "A recording from the simulated card in real time (Ctrl-C stops it)");
  c->add_option("FILE", o.file, "Data file to create (or empty)")->required();
  c->add_option("--seconds", o.seconds, "How long to record")->required()->check(CLI::Range(0.0, 1.0e7));
  c->add_option("--rate", o.rate, "Bus words a second from the simulated card")
      ->check(CLI::Range(uint32_t{1}, uint32_t{1000000}))
      ->capture_default_str();
  c->add_option("--max-size", o.maxSizeGB, "Maximum file size in gigabytes (2^30 bytes); the recording ends there")
      ->check(CLI::Range(0.0001, 50.0))
      ->capture_default_str();
  c->add_flag("--irig", o.irig, "IRIG-B Input: the card's clock follows the IRIG-B time");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "qeltool: the recorder's data-file tasks on the command line.\n"
      "Exit codes: 0 success, 1 nothing found, 2 usage error, 3 other failure.",
      "qeltool"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Print help for every subcommand");

  ReportOptions report;
  SearchOptions search;
  FindTimeOptions findTime;
  CountOptions count;
  ConvertOptions convert;
  StatsOptions stats;
  GenerateOptions generate;
  RecordOptions record;
  addReport(app, report);
  addSearch(app, search);
  addFindTime(app, findTime);
  addCount(app, count);
  addConvert(app, convert);
  addStats(app, stats);
  addGenerate(app, generate);
  addRecord(app, record);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);  // prints help, or the error and a hint
    return code == 0 ? ExitSuccess : ExitUsage;
  }

  const std::string chosen = app.get_subcommands().front()->get_name();
  if (chosen == "report") return runReport(report);
  if (chosen == "search") return runSearch(search);
  if (chosen == "find-time") return runFindTime(findTime);
  if (chosen == "count") return runCount(count);
  if (chosen == "convert") return runConvert(convert);
  if (chosen == "stats") return runStats(stats);
  if (chosen == "generate") return runGenerate(generate);
  return runRecord(record);
}
