// What a block's index entry decides for the pattern search without the block being read.
#pragma once
#include <cstdint>

#include "index/block_entry.h"
#include "search/scan_kernels.h"

// The number of matches that countBlockMatches decides in the block of `entry` during a scan of
// the whole file (with GAP_AFTER: the last record of the block before, and every record of this
// one but its last), from the summaries alone; -1 when only reading the block can tell.
// previous is the entry of the block before, null for the first block of the file.
int64_t matchesFromSummary(const MatchPlan& plan, const BlockEntry* previous, const BlockEntry& entry);
