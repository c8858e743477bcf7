#include "tools/qeltool/stretch_options.h"

#include "tools/qeltool/number_option.h"
#include "frontend/time_text.h"

void addStretchOptions(CLI::App* c, StretchOptions& o) {
  CLI::Option* from = addWholeNumberOption(c, "--from", o.from, 1, UINT64_MAX,
                                           "First record, counted from 1 (a report's label such as +00000010 "
                                           "is line 10)")
                          ->default_str("1");
  CLI::Option* lines =
      addWholeNumberOption(c, "--lines", o.lines, 1, UINT64_MAX, "Number of records (default: all to the end)");
  CLI::Option* fromTime =
      c->add_option("--from-time", o.fromTime,
                    "From the first record at or after this time (the record find-time finds), "
                    "DDD:HH:MM:SS[.fraction]")
          ->type_name("TIME");
  CLI::Option* toTime = c->add_option("--to-time", o.toTime,
                                      "Up to the first record after that one which is later than this time "
                                      "(records between whose time went backwards stay in)")
                            ->type_name("TIME");
  from->excludes(fromTime)->excludes(toTime);
  lines->excludes(fromTime)->excludes(toTime);
}

StatusCode stretchFromOptions(const StretchOptions& options, RecordSelection& selection, std::string& why) {
  selection.from = options.from;
  selection.lines = options.lines;
  selection.timeWindow = !options.fromTime.empty() || !options.toTime.empty();
  if (!selection.timeWindow) return StatusCode::Success;
  selection.fromTime = 0.0;
  if (!options.fromTime.empty() && !ok(parseTimeText(options.fromTime, selection.fromTime))) {
    why = "--from-time " + options.fromTime + " (DDD:HH:MM:SS[.fraction], day 0 to 366)";
    return StatusCode::SyntaxError;
  }
  selection.toTimeGiven = !options.toTime.empty();
  if (selection.toTimeGiven && !ok(parseTimeText(options.toTime, selection.toTime))) {
    why = "--to-time " + options.toTime + " (DDD:HH:MM:SS[.fraction], day 0 to 366)";
    return StatusCode::SyntaxError;
  }
  if (selection.toTimeGiven && selection.toTime < selection.fromTime) {
    why = "--to-time " + options.toTime + " is before --from-time " + options.fromTime;
    return StatusCode::SyntaxError;
  }
  return StatusCode::Success;
}
