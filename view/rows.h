// The word list: report rows of any stretch of records, one word's fields bit by bit, and the
// ways between lines and times (line-at, line-time).
#pragma once
#include "files/stack_format.h"
#include "view/recording_list.h"

// GET /api/rows, /api/word, /api/line-time, /api/line-at.
ViewAnswer rowsAnswer(ViewFolder& folder, const QueryParams& params);
ViewAnswer wordAnswer(ViewFolder& folder, const QueryParams& params);
ViewAnswer lineTimeAnswer(ViewFolder& folder, const QueryParams& params);
ViewAnswer lineAtAnswer(ViewFolder& folder, const QueryParams& params);

// The stack format of format= (binary when absent); false for an unknown name.
bool queryFormat(const QueryParams& params, StackFormat& format);
