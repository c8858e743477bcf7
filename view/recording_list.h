// The data files of the folder the viewer was opened on: which names may be served (only
// regular ".qel" files directly in the folder, reached without leaving it), the recordings held
// for them, and their figures for the recordings page.
#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "view/recording.h"
#include "view/view_answer.h"

struct ViewFolder {
  std::string root;  // as opened
  std::string canonicalRoot;
  std::mutex lock;
  std::vector<std::shared_ptr<Recording>> recordings;
};

// False when the folder cannot be examined.
bool openViewFolder(const std::string& root, ViewFolder& folder);

// The recording of a name, or null when the name is no data file inside the folder ("..",
// absolute paths, separators, links that lead out, anything but a regular file).
std::shared_ptr<Recording> findRecording(ViewFolder& folder, const std::string& name);

// Looks for data files added to the folder and holds a recording for each.
void rescanViewFolder(ViewFolder& folder);

// Every recording as it stands, for the catch-up.
std::vector<std::shared_ptr<Recording>> heldRecordings(ViewFolder& folder);

// GET /api/recordings and /api/recording.
ViewAnswer recordingsAnswer(ViewFolder& folder);
ViewAnswer recordingAnswer(ViewFolder& folder, const QueryParams& params);

// The recording a request names with name=, or the answer to give instead (400 or 404).
std::shared_ptr<Recording> requestedRecording(ViewFolder& folder, const QueryParams& params, ViewAnswer& refusal);

// The report's time text of a time tag in half microseconds: "DDD:HH:MM:SS.fffffff".
std::string timeTagText(uint64_t halfMicros);
