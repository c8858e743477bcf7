// The timeline: words per second of each bus, error words and matches per drawn step over a
// window of recorded time, from the block summaries alone when the window spans many blocks and
// from the records themselves when it spans few.
//
// Each drawn step is eight bins; its mean and least words/s are the overview's rate steps of
// those bins (export/rate_steps: a step partly beyond the recording's end divided by the part
// within it, the least taken over groups of bins that hold 50 words on average). From the
// summaries a block's words are spread evenly over the time from its first record to the next
// block's first record.
#pragma once
#include "view/recording_list.h"

// At most this many blocks in the window: the records are read.
constexpr uint64_t kTimelineDataBlocks = 16;
constexpr uint64_t kMaxTimelineBins = 2000;

// GET /api/timeline.
ViewAnswer timelineAnswer(ViewFolder& folder, const QueryParams& params);
