// How far a long pass over a data file has come, for a progress line: `done` of `total`, in the
// units the pass names (bytes for the searches, records for the report). Called once per block.
#pragma once
#include <cstdint>
#include <functional>

using ScanProgress = std::function<void(uint64_t done, uint64_t total)>;
