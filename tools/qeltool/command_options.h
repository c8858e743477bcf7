// What each qeltool subcommand takes from its command line, after parsing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// --lines left out: every record from From to the end, then "END OF DATA".
constexpr uint64_t kAllLines = UINT64_MAX;

struct ReportOptions {
  std::string file;
  uint64_t from = 1;
  uint64_t lines = kAllLines;
  std::string format = "binary";  // binary, mdm, ldb, mec, eiu, 1553
  std::string output;             // empty or "-": standard output
  bool force = false;             // replace an existing output that holds data
};

// The search criteria, taken by search and export.
struct CriteriaOptions {
  std::string pattern;         // 24 characters of 1, 0 and x, bit 23 first; empty: all x
  std::string sync = "any";    // any, cmd, data
  std::string errors = "any";  // any, none, with
  std::string bus = "any";     // any, j1 to j4
  bool gapMinGiven = false;
  uint64_t gapMin = 0;  // whole microseconds
  bool gapMaxGiven = false;
  uint64_t gapMax = 0;
  std::string gapSide = "before";  // before, after
};

struct SearchOptions {
  std::vector<std::string> files;  // several only with count
  CriteriaOptions criteria;
  uint64_t nth = 1;                // the occurrence to find
  bool count = false;              // count every match
  bool lines = false;              // list every matching line
  bool json = false;
  bool noIndex = false;            // read the whole file; neither use nor leave the saved index
};

struct FindTimeOptions {
  std::vector<std::string> files;
  std::string time;  // DDD:HH:MM:SS[.fraction] or +HH:MM:SS[.fraction]
  bool json = false;
  bool noIndex = false;
};

struct CountOptions {
  std::vector<std::string> files;
  bool json = false;
};

struct ConvertOptions {
  std::string dump;
  std::string output;  // empty: beside the dump, its file name up to the first "." with ".QEL"; "-": standard output
  bool force = false;  // replace an existing output that holds data
};

struct StatsOptions {
  std::vector<std::string> files;
  bool json = false;
  bool noIndex = false;
};

struct IndexOptions {
  std::string file;
  bool json = false;
  bool verify = false;   // read the whole file and compare every entry
  bool rebuild = false;  // make it from the whole file whatever is there
};

struct GenerateOptions {
  std::string file;
  uint64_t records = 0;
  bool seedGiven = false;
  uint64_t seed = 0;      // the traffic generator's seed; left out: its default
  uint32_t rate = 20000;  // bus words a second, all channels together
  std::string start;      // "YYYY-MM-DD HH:MM:SS" of the start of capture; empty: now
  bool force = false;     // replace an existing file that holds data
};

struct RecordOptions {
  std::string file;
  double seconds = 0.0;
  uint32_t rate = 20000;   // bus words a second from the simulated card
  double maxSizeGB = 5.0;  // the recording ends with MaxFileSizeExceeded at this size
  bool irig = false;       // "IRIG-B Input": the card's clock follows the IRIG-B time
  bool force = false;      // replace an existing file that holds data
};

// Which records export and cut take: lines from --from, at most --lines of them, or the time
// window from --from-time to --to-time.
struct StretchOptions {
  uint64_t from = 1;
  uint64_t lines = kAllLines;
  std::string fromTime;  // DDD:HH:MM:SS[.fraction] or +HH:MM:SS[.fraction]; empty: not given
  std::string toTime;
};

struct ExportOptions {
  std::string file;
  bool ch10 = false;
  bool csv = false;
  std::string output;             // empty or "-": standard output (CSV; Chapter 10 only when "-" is given)
  bool force = false;             // replace an existing output that holds data
  std::string format = "binary";  // the CSV's binary and fields columns: binary, mdm, ldb, mec, eiu, 1553
  StretchOptions stretch;
  CriteriaOptions criteria;
};

struct CutOptions {
  std::string file;
  std::string output;  // "-": standard output
  bool force = false;  // replace an existing output that holds data
  StretchOptions stretch;
};

struct OverviewOptions {
  std::string file;
  std::string output;
  bool force = false;
};
