#include "tools/qeltool/index_output.h"

#include <cstdio>

#include "frontend/file_facts.h"
#include "tools/qeltool/safe_output.h"

namespace {

bool writeThroughSafeOutput(const std::string& dataPath, const std::string& indexPath,
                            const std::vector<unsigned char>& bytes) {
  // A safe output follows a link: an index name that leads to the data file is left alone.
  if (sameFile(examineFile(indexPath), examineFile(dataPath))) return false;
  SafeOutput out;
  if (!ok(openSafeOutput(out, indexPath, OutputMode::Binary))) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.file) != bytes.size()) {
    abandonSafeOutput(out);
    return false;
  }
  return ok(commitSafeOutput(out));
}

}  // namespace

const IndexWriter& safeIndexWriter() {
  static const IndexWriter writer = writeThroughSafeOutput;
  return writer;
}
