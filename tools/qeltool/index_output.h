// The saved index as qeltool writes it: through its safe outputs (whole or not at all, every write
// checked, Ctrl-C leaves nothing), and never when the index's name leads to the data file itself.
#pragma once
#include "index/index_file.h"

// For ScanOptions::indexWriter and refreshDataFileIndex.
const IndexWriter& safeIndexWriter();
