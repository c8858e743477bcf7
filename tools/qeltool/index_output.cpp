#include "tools/qeltool/index_output.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "frontend/file_facts.h"
#include "tools/qeltool/safe_output.h"
#include "tools/qeltool/tool_exit.h"

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

// The same file, or for names not there yet the same place by their absolute, normalised form.
bool samePlace(const std::string& a, const std::string& b) {
  const FileFacts first = examineFile(a), second = examineFile(b);
  if (first.kind != FileKind::Missing && second.kind != FileKind::Missing) return sameFile(first, second);
  std::error_code failed;
  const std::filesystem::path x = std::filesystem::weakly_canonical(std::filesystem::absolute(a, failed), failed);
  if (failed) return false;
  const std::filesystem::path y = std::filesystem::weakly_canonical(std::filesystem::absolute(b, failed), failed);
  return !failed && x == y;
}

}  // namespace

const IndexWriter& safeIndexWriter() {
  static const IndexWriter writer = writeThroughSafeOutput;
  return writer;
}

bool saveIndexSparingInputs(const std::string& dataPath, const std::vector<BlockEntry>& entries,
                            const std::vector<std::string>& inputs) {
  const IndexWriter writer = [&inputs](const std::string& data, const std::string& index,
                                       const std::vector<unsigned char>& bytes) {
    for (const std::string& input : inputs) {
      if (sameFile(examineFile(index), examineFile(input))) return false;
    }
    return writeThroughSafeOutput(data, index, bytes);
  };
  return saveIndexFor(dataPath, entries, &writer);
}

int refuseOutputAtIndex(const char* command, const std::string& output, const std::vector<std::string>& dataFiles) {
  if (output.empty()) return ExitSuccess;
  for (const std::string& data : dataFiles) {
    if (samePlace(output, indexPathFor(data))) {
      std::string message = output;
      message += " is where the index of ";
      message += data;
      message += " is kept; nothing written";
      return usageError(command, message);
    }
  }
  return ExitSuccess;
}
