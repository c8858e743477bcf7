#include "tools/qeltool/criteria_options.h"

#include "tools/qeltool/number_option.h"
#include "tools/qeltool/pattern_text.h"

namespace {

struct ChoiceName {
  const char* name;
  int32_t value;
};

const ChoiceName kSyncNames[] = {{"any", SyncAny}, {"cmd", SyncCmd}, {"data", SyncData}};
const ChoiceName kErrorNames[] = {{"any", ErrorsDontCare}, {"none", NoErrors}, {"with", WithErrors}};
const ChoiceName kBusNames[] = {{"any", BusAny}, {"jx", BusAny}, {"j1", BusJ1},
                                {"j2", BusJ2},   {"j3", BusJ3},  {"j4", BusJ4}};
const ChoiceName kGapSideNames[] = {{"before", 1}, {"after", 0}};

template <size_t N>
bool lookUpChoice(const ChoiceName (&names)[N], const std::string& name, int32_t& value) {
  for (const ChoiceName& entry : names) {
    if (name == entry.name) {
      value = entry.value;
      return true;
    }
  }
  return false;
}

}  // namespace

void addCriteriaOptions(CLI::App* c, CriteriaOptions& o) {
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
  CLI::Option* gapMin = addWholeNumberOption(c, "--gap-min", o.gapMin, 0, UINT64_MAX,
                                             "Lower bound of the gap, whole microseconds (inclusive)")
                            ->type_name("US");
  CLI::Option* gapMax = addWholeNumberOption(c, "--gap-max", o.gapMax, 0, UINT64_MAX,
                                             "Upper bound of the gap, whole microseconds (inclusive)")
                            ->type_name("US");
  c->add_option("--gap", o.gapSide, "Side of the gap: before (to the previous record) or after (to the next)")
      ->transform(CLI::IsMember({"before", "after"}, CLI::ignore_case))
      ->capture_default_str();
  c->callback([&o, gapMin, gapMax] {
    o.gapMinGiven = gapMin->count() > 0;
    o.gapMaxGiven = gapMax->count() > 0;
  });
}

StatusCode criteriaFromOptions(const CriteriaOptions& options, SearchSettings& settings, std::string& why) {
  setSearchDefaults(settings);
  if (!parsePatternText(options.pattern, settings.oneMask, settings.dontCareMask)) {
    why = "--pattern takes 24 characters of 1, 0 and x, bit 23 first";
    return StatusCode::SyntaxError;
  }
  int32_t gapSide = 1;
  if (!lookUpChoice(kSyncNames, options.sync, settings.syncChoice) ||
      !lookUpChoice(kErrorNames, options.errors, settings.errorChoice) ||
      !lookUpChoice(kBusNames, options.bus, settings.busChoice) ||
      !lookUpChoice(kGapSideNames, options.gapSide, gapSide)) {
    why = "unknown choice";
    return StatusCode::SyntaxError;
  }
  settings.gapBefore = static_cast<uint8_t>(gapSide);
  settings.gapMinEnabled = options.gapMinGiven ? 1 : 0;
  settings.gapMaxEnabled = options.gapMaxGiven ? 1 : 0;
  if (options.gapMinGiven && options.gapMaxGiven && options.gapMin > options.gapMax) {
    why = "--gap-min " + std::to_string(options.gapMin) + " is above --gap-max " + std::to_string(options.gapMax);
    return StatusCode::SyntaxError;
  }
  // Gaps beyond 2^53 microseconds (285 years) are all alike to the search's doubles.
  settings.gapMin = options.gapMinGiven ? static_cast<double>(options.gapMin) : 0.0;
  settings.gapMax = options.gapMaxGiven ? static_cast<double>(options.gapMax) : 0.0;
  return StatusCode::Success;
}

bool criteriaTakeEverything(const SearchSettings& s) {
  return (s.dontCareMask & 0x00FFFFFFu) == 0x00FFFFFFu && s.syncChoice == SyncAny &&
         s.errorChoice == ErrorsDontCare && s.busChoice == BusAny && s.gapMinEnabled == 0 && s.gapMaxEnabled == 0;
}
