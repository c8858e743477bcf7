// The saved index as qeltool writes it: through its safe outputs (whole or not at all, every write
// checked, Ctrl-C leaves nothing), never when the index's name leads to the data file itself, and
// (as every index writer) only where no file is or over an index (index_file.h).
#pragma once
#include <string>
#include <vector>

#include "index/block_entry.h"
#include "index/index_file.h"

// For ScanOptions::indexWriter and refreshDataFileIndex.
const IndexWriter& safeIndexWriter();

// The index of a data file just written (convert), never over one of the command's inputs: a dump
// named like the index stays as it is, and the data file has no index for now.
bool saveIndexSparingInputs(const std::string& dataPath, const std::vector<BlockEntry>& entries,
                            const std::vector<std::string>& inputs);

// ExitSuccess, or, when output names the place where the saved index of one of the data files
// lives, "qeltool <command>: <output> is where the index of <input> is kept; nothing written" and
// ExitUsage. Called with the user's names before any work, beside refuseOutputOverInputs.
int refuseOutputAtIndex(const char* command, const std::string& output, const std::vector<std::string>& dataFiles);
