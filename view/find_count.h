// Find and count with the dialog's criteria, the saved index's summaries deciding every block
// they can and only the rest being read, as the pattern search does.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "search/scan_kernels.h"
#include "search/search_settings.h"
#include "view/recording_list.h"

// The criteria of a request: pattern, sync, errors, bus, gap, gap_min, gap_max. False (with why)
// for a value that is not one of theirs; given tells whether any criterion was there.
bool queryCriteria(const QueryParams& params, SearchSettings& settings, bool& given, std::string& why);

// The matches decided in blocks [first, end) (as a scan of the whole file decides them), under the
// shared lock: from the summaries where they decide a block, else from the memo of these
// criteria, else read (and then remembered when the block is whole). False when a block could not
// be read.
bool blockMatchCounts(const Recording& recording, const MatchPlan& plan, uint64_t first, uint64_t end,
                      std::vector<uint64_t>& counts);

// The lines (from 1) of the matches decided in block b, in order. False when it could not be read.
bool blockMatchLines(const Recording& recording, const MatchPlan& plan, uint64_t block, std::vector<uint64_t>& lines);

// GET /api/count and /api/find.
ViewAnswer countAnswer(ViewFolder& folder, const QueryParams& params);
ViewAnswer findAnswer(ViewFolder& folder, const QueryParams& params);
