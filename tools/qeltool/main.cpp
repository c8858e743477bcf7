// qeltool: the data-file tasks of the recorder dialog on the command line, on the same code.
//
// Results go to standard output, errors and progress to standard error. Exit codes: 0 success,
// 1 a search or time search found nothing, 2 a usage error, 3 any other failure. A command given
// several files goes through them all: 3 (or 2) when any failed, else 0 when any found something,
// else 1. Every write to standard output is checked (standard_output.h), and no file is written
// but through safe_output.h.
//
// CLI11 reports parse errors by throwing; they are caught here, at the parse, and nowhere else
// does the tool use exceptions.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/qeltool/commands.h"
#include "tools/qeltool/criteria_options.h"
#include "tools/qeltool/format_names.h"
#include "tools/qeltool/help_format.h"
#include "tools/qeltool/number_option.h"
#include "tools/qeltool/option_table.h"
#include "tools/qeltool/progress_line.h"
#include "tools/qeltool/standard_output.h"
#include "tools/qeltool/stretch_options.h"
#include "tools/qeltool/terminal.h"
#include "tools/qeltool/tool_exit.h"
#include "tools/qeltool/view_command.h"

#ifndef VARNOTEK_VERSION
#error "VARNOTEK_VERSION must give the version"
#endif

namespace {

// An output named "" is a slip, not standard output ("-" is that).
const CLI::Validator kOutputName(
    [](const std::string& name) { return name.empty() ? std::string("an empty name; - is standard output") : ""; },
    "NAME");

void addReport(CLI::App& app, ReportOptions& o) {
  CLI::App* c = app.add_subcommand("report", "The text report of View (\"QEL.TMP\"), to standard output or a file");
  c->add_option("FILE", o.file, "Data file")->required();
  addWholeNumberOption(c, "--from", o.from, 1, UINT64_MAX,
                       "First record to show, counted from 1 (a label such as "
                       "+00000010 is line 10)")
      ->default_str("1");
  addWholeNumberOption(c, "--lines", o.lines, 1, UINT64_MAX, "Number of records to show (default: all to the end)");
  addFormatOption(c, o.format, "Bus format: binary, mdm, ldb, mec, eiu, 1553");
  c->add_option("-o,--output", o.output,
                "Write the report into this file instead (text mode, as \"QEL.TMP\"); never the data file")
      ->check(kOutputName);
  c->add_flag("--force", o.force, "Replace the output even if it holds data");
}

void addSearch(CLI::App& app, SearchOptions& o) {
  CLI::App* c =
      app.add_subcommand("search", "The pattern search: the N-th match, the number of matches, or every match");
  c->add_option("FILE", o.files, "Data file; several only with --count, one line (or JSON object) each")
      ->required();
  addCriteriaOptions(c, o.criteria);
  CLI::Option* nth =
      addWholeNumberOption(c, "--nth", o.nth, 1, UINT64_MAX, "Print the line of the N-th match")->default_str("1");
  CLI::Option* count = c->add_flag("--count", o.count, "Print the number of matches (of each file)");
  CLI::Option* lines = c->add_flag("--lines", o.lines, "Print the line of every match, one per line");
  nth->excludes(count)->excludes(lines);
  count->excludes(lines);
  c->add_flag("--json", o.json, "Print the result as JSON");
  c->add_flag("--no-index", o.noIndex, "Read the whole file: neither use nor leave the saved index beside it");
}

void addFindTime(CLI::App& app, FindTimeOptions& o) {
  CLI::App* c = app.add_subcommand("find-time", "Find Nearest TTag: the line of the first record at or after TIME");
  // CLI11 gives every word to a list before a single value: the time is taken off the end here.
  c->add_option("FILE... TIME", o.files,
                "Data files (several: one line or JSON object each), then the time: DDD:HH:MM:SS[.fraction], day "
                "of the year 0 to 366, or +HH:MM:SS[.fraction] after the first record")
      ->required()
      ->expected(2, CLI::detail::expected_max_vector_size)
      ->type_name("");
  c->callback([&o] {
    o.time = o.files.back();
    o.files.pop_back();
  });
  c->add_flag("--json", o.json, "Print the result as JSON");
  c->add_flag("--no-index", o.noIndex, "Read the whole file: neither use nor leave the saved index beside it");
}

void addCount(CLI::App& app, CountOptions& o) {
  CLI::App* c = app.add_subcommand("count", "Get File Size: the number of whole records");
  c->add_option("FILE", o.files, "Data file; several: one line (or JSON object) each")->required();
  c->add_flag("--json", o.json, "Print the result as JSON");
}

void addConvert(CLI::App& app, ConvertOptions& o) {
  CLI::App* c = app.add_subcommand("convert", "Convert File: a \".SUP\" memory dump into a data file");
  c->add_option("DUMP", o.dump, "Dump file")->required();
  c->add_option("-o,--output", o.output,
                "Data file to write (default: beside the dump, its file name up to the first \".\" with "
                "\".QEL\"); never the dump")
      ->check(kOutputName);
  c->add_flag("--force", o.force, "Replace the output even if it holds data");
}

void addStats(CLI::App& app, StatsOptions& o) {
  CLI::App* c = app.add_subcommand("stats",
                                   "Words per channel, sync and error flag, first and last time tag, largest gap, "
                                   "time going backwards (from the saved index, made or brought up to date first)");
  c->add_option("FILE", o.files, "Data file; several: one block (or JSON object) each")->required();
  c->add_flag("--json", o.json, "Print the result as JSON");
  c->add_flag("--no-index", o.noIndex, "Read the whole file: neither use nor leave the saved index beside it");
}

void addGenerate(CLI::App& app, GenerateOptions& o) {
  CLI::App* c =
      app.add_subcommand("generate", "A data file of the simulated card's seeded bus traffic, written at once");
  c->add_option("FILE", o.file, "Data file to create (an existing one only if empty, or with --force)")->required();
  addWholeNumberOption(c, "--records", o.records, 0, UINT64_MAX, "Number of records")->required();
  CLI::Option* seed = addWholeNumberOption(c, "--seed", o.seed, 0, UINT64_MAX,
                                           "Seed of the traffic generator (default: the simulated card's)");
  addWholeNumberOption(c, "--rate", o.rate, 1, 2000000, "Bus words a second, all channels together")
      ->default_str(std::to_string(o.rate));
  c->add_option("--start", o.start, "Local time capture started, \"YYYY-MM-DD HH:MM:SS\" (default: now)");
  c->add_flag("--force", o.force, "Replace FILE even if it holds data");
  c->callback([&o, seed] { o.seedGiven = seed->count() > 0; });
}

void addRecord(CLI::App& app, RecordOptions& o) {
  CLI::App* c = app.add_subcommand("record", "A recording from the simulated card in real time (Ctrl-C stops it)");
  c->add_option("FILE", o.file, "Data file to create (an existing one only if empty, or with --force)")->required();
  addDecimalOption(c, "--seconds", o.seconds, 0.0, 1.0e7, "How long to record")->required();
  addWholeNumberOption(c, "--rate", o.rate, 1, 1000000, "Bus words a second from the simulated card")
      ->default_str(std::to_string(o.rate));
  addDecimalOption(c, "--max-size", o.maxSizeGB, 0.0001, 50.0,
                   "Maximum file size in gigabytes (2^30 bytes); the recording ends there")
      ->default_str("5");
  c->add_flag("--irig", o.irig, "IRIG-B Input: the card's clock follows the IRIG-B time");
  c->add_flag("--force", o.force, "Replace FILE even if it holds data");
}

void addIndex(CLI::App& app, IndexOptions& o) {
  CLI::App* c = app.add_subcommand(
      "index", "Make the saved index beside a data file (\"RUN7.QIX\" beside \"RUN7.QEL\"), or bring it up to date");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_flag("--json", o.json, "Print what was done as JSON");
  CLI::Option* verify = c->add_flag(
      "--verify", o.verify, "Read the whole file and compare every entry; exit 1 naming the first block that differs");
  c->add_flag("--rebuild", o.rebuild, "Make the index from the whole file whatever index is there")->excludes(verify);
}

void addExport(CLI::App& app, ExportOptions& o) {
  CLI::App* c = app.add_subcommand(
      "export", "The chosen records as an IRIG 106 Chapter 10 file (--ch10) or as CSV (--csv)");
  c->footer(
      "Chapter 10 data types written: Computer-Generated Data Format 1 (0x01, the TMATS setup record on "
      "channel 0), Time Data Format 1 (0x11, IRIG day format, channel 1, at least once a second of recorded "
      "time) and Message Data Format 0 (0x30, channels 11 to 14 for J1 to J4): one 4-byte message a bus word "
      "(the word in bits 0-23, the error flags Sh Lg Mn Py in bits 24-27, command sync in bit 28) with its own "
      "intra-packet time stamp, subchannel 1 for command sync and 0 for data sync, the data error flag set for "
      "any error flag.\n"
      "CSV columns: line, time, seconds, bus, sync, error, flags, hex, value, binary, fields, command.");
  c->add_option("FILE", o.file, "Data file")->required();
  CLI::Option* ch10 = c->add_flag("--ch10", o.ch10, "Write an IRIG 106 Chapter 10 file (needs -o)");
  CLI::Option* csv = c->add_flag("--csv", o.csv, "Write CSV: a header row and one row a record");
  ch10->excludes(csv);
  c->add_option("-o,--output", o.output, "Write into this file (default for CSV: standard output); never FILE")
      ->check(kOutputName);
  c->add_flag("--force", o.force, "Replace the output even if it holds data");
  addFormatOption(c, o.format,
                  "Bus format of the CSV's binary, fields and command columns: binary, mdm, ldb, mec, eiu, 1553");
  addStretchOptions(c, o.stretch);
  addCriteriaOptions(c, o.criteria);
}

void addCut(CLI::App& app, CutOptions& o) {
  CLI::App* c = app.add_subcommand(
      "cut", "A new data file of the records of a time window or a line range, byte for byte");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_option("-o,--output", o.output, "Data file to write; never FILE")->required()->check(kOutputName);
  c->add_flag("--force", o.force, "Replace the output even if it holds data");
  addStretchOptions(c, o.stretch);
}

void addOverview(CLI::App& app, OverviewOptions& o) {
  CLI::App* c = app.add_subcommand(
      "overview", "A recording at a glance: one self-contained HTML page of counts and plots");
  c->add_option("FILE", o.file, "Data file")->required();
  c->add_option("-o,--output", o.output, "The page to write (FILE.html); never FILE")->required()->check(kOutputName);
  c->add_flag("--force", o.force, "Replace the output even if it holds data");
}

// The command named on the command line when it is none of qeltool's: "unknown command 'serach';
// did you mean 'search'?" and ExitUsage. ExitSuccess when it is one, or none is named (CLI11 then
// says what is missing). Every option before the command is a flag, so the first word that is no
// option names it.
int refuseUnknownCommand(CLI::App& app, int argc, char** argv) {
  int at = 1;
  while (at < argc && argv[at][0] == '-') ++at;
  if (at == argc) return ExitSuccess;
  const std::string typed = argv[at];
  std::vector<std::string> names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    if (command->get_name() == typed) return ExitSuccess;
    names.push_back(command->get_name());
  }
  const std::string closest = closestName(typed, names);
  return usageError("", "unknown command '" + typed + "'" +
                            (closest.empty() ? " (qeltool --help lists them)" : "; did you mean '" + closest + "'?"));
}

// Whether the chosen command prints its results to standard output as it finds them.
bool printsResultsAsTheyCome(const std::string& chosen, const ReportOptions& report, const SearchOptions& search,
                             const ExportOptions& exportOptions) {
  return (chosen == "report" && report.output.empty()) || (chosen == "search" && search.lines && !search.json) ||
         (chosen == "export" && exportOptions.csv && exportOptions.output.empty());
}

// The subcommand being parsed when the parse failed, for the "qeltool SUB:" prefix; "" when none.
std::string commandBeingParsed(const CLI::App& app) {
  const std::vector<CLI::App*> chosen = app.get_subcommands();
  return chosen.empty() ? std::string() : chosen.front()->get_name();
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "qeltool: the recorder's data-file tasks on the command line.\n"
      "Exit codes: 0 success, 1 nothing found, 2 usage error, 3 other failure. With several files: 3 when "
      "any failed, else 0 when anything was found in any.",
      "qeltool"};
  // Set before the commands are added: each takes its parent's formatter.
  app.formatter(std::make_shared<WrappingFormatter>(static_cast<size_t>(standardOutputColumns())));
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Print help for every subcommand");
  app.set_version_flag("--version", std::string("qeltool ") + VARNOTEK_VERSION, "Print the version");

  ReportOptions report;
  SearchOptions search;
  FindTimeOptions findTime;
  CountOptions count;
  ConvertOptions convert;
  StatsOptions stats;
  GenerateOptions generate;
  RecordOptions record;
  IndexOptions index;
  ExportOptions exportOptions;
  CutOptions cut;
  OverviewOptions overview;
  addReport(app, report);
  addSearch(app, search);
  addFindTime(app, findTime);
  addCount(app, count);
  addConvert(app, convert);
  addStats(app, stats);
  addGenerate(app, generate);
  addRecord(app, record);
  addIndex(app, index);
  addExport(app, exportOptions);
  addCut(app, cut);
  addOverview(app, overview);
  addView(app);
  bool quiet = false;
  const char* const quietHelp = "Show no progress line (and no status lines of the recording)";
  app.add_flag("-q,--quiet", quiet, quietHelp);
  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    command->add_flag("-q,--quiet", quiet, quietHelp);
  }

  const int unknown = refuseUnknownCommand(app, argc, argv);
  if (unknown != ExitSuccess) return unknown;

  // Hidden: the table the manual page and the shell completion are made from.
  if (argc == 2 && std::string(argv[1]) == "--option-table") return printOptionTable(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const std::string command = commandBeingParsed(app);
    if (error.get_exit_code() == 0) {
      app.exit(error);  // --help, --help-all or --version, to standard output
      return finishStandardOutput(command.c_str(), ExitSuccess);
    }
    usageError(command.c_str(), error.what());
    std::fprintf(stderr, "Run with --help for more information.\n");
    return ExitUsage;
  }

  const std::string chosen = app.get_subcommands().front()->get_name();
  setProgressPolicy(quiet, printsResultsAsTheyCome(chosen, report, search, exportOptions));
  const int exitCode = [&] {
    if (chosen == "report") return runReport(report);
    if (chosen == "search") return runSearch(search);
    if (chosen == "find-time") return runFindTime(findTime);
    if (chosen == "count") return runCount(count);
    if (chosen == "convert") return runConvert(convert);
    if (chosen == "stats") return runStats(stats);
    if (chosen == "generate") return runGenerate(generate);
    if (chosen == "index") return runIndex(index);
    if (chosen == "export") return runExport(exportOptions);
    if (chosen == "cut") return runCut(cut);
    if (chosen == "overview") return runOverview(overview);
    if (chosen == "view") return runView();
    return runRecord(record);
  }();
  return finishStandardOutput(chosen.c_str(), exitCode);
}
