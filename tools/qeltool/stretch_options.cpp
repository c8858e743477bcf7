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
                    std::string("From the first record at or after this time (the record find-time finds), ") +
                        kTimeForms + " (after the first record)")
          ->type_name("TIME");
  CLI::Option* toTime = c->add_option("--to-time", o.toTime,
                                      "Up to the first record after that one which is later than this time "
                                      "(records between whose time went backwards stay in)")
                            ->type_name("TIME");
  from->excludes(fromTime)->excludes(toTime);
  lines->excludes(fromTime)->excludes(toTime);
}

namespace {

// The option's time, parsed; why names the option and the forms when it is none.
StatusCode parseStretchTime(const char* option, const std::string& text, TypedTime& time, std::string& why) {
  const StatusCode status = parseTypedTime(text, time);
  if (!ok(status)) why = std::string(option) + " " + text + " (" + kTimeForms + ")";
  return status;
}

}  // namespace

StatusCode stretchFromOptions(const StretchOptions& options, const std::string& file, RecordSelection& selection,
                              std::string& why) {
  selection.from = options.from;
  selection.lines = options.lines;
  selection.timeWindow = !options.fromTime.empty() || !options.toTime.empty();
  if (!selection.timeWindow) return StatusCode::Success;
  selection.toTimeGiven = !options.toTime.empty();
  TypedTime from, to;
  if (!options.fromTime.empty() && !ok(parseStretchTime("--from-time", options.fromTime, from, why))) {
    return StatusCode::SyntaxError;
  }
  if (selection.toTimeGiven && !ok(parseStretchTime("--to-time", options.toTime, to, why))) {
    return StatusCode::SyntaxError;
  }
  // A time after the first record needs that record's time tag.
  double first = 0.0;
  if (from.base == TimeBase::FirstRecord || to.base == TimeBase::FirstRecord) {
    const StatusCode status = firstRecordMicros(file, first);
    if (!ok(status)) {
      why = file;
      return status;
    }
  }
  selection.fromTime = resolveTypedTime(from, first);
  selection.toTime = resolveTypedTime(to, first);
  if (selection.toTimeGiven && selection.toTime < selection.fromTime) {
    why = "--to-time " + options.toTime + " is before --from-time " + options.fromTime;
    return StatusCode::SyntaxError;
  }
  return StatusCode::Success;
}
