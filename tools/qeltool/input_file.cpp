#include "tools/qeltool/input_file.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>

#include "files/bus_record.h"
#include "frontend/file_facts.h"
#include "tools/qeltool/tool_exit.h"

bool isDirectory(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info;
  if (_stat64(path.c_str(), &info) != 0) return false;
  return (info.st_mode & _S_IFDIR) != 0;
#else
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode);
#endif
}

void noteTrailingFragment(const char* command, const std::string& path) {
  const FileFacts facts = examineFile(path);
  const uint64_t fragment = facts.size % kBusRecordBytes;
  if (facts.kind == FileKind::Regular && fragment != 0) {
    std::fprintf(stderr, "qeltool %s: the last %u bytes of %s are no whole record and are left out\n", command,
                 static_cast<unsigned>(fragment), path.c_str());
  }
}

int examineInput(const char* command, const std::string& name, CommandInput& input) {
  input = CommandInput{name, false};
  const FileFacts facts = name == "-" ? examineStandardStream(StandardStream::Input) : examineFile(name);
  if (facts.kind == FileKind::Directory) return usageError(command, name + " is a folder, not a data file");
  input.stream = name == "-" || facts.kind == FileKind::Other;
  return ExitSuccess;
}

int refuseStreamStretch(const char* command, const CommandInput& input, const StretchOptions& stretch) {
  if (!input.stream || (stretch.from <= 1 && stretch.fromTime.empty() && stretch.toTime.empty())) return ExitSuccess;
  return usageError(command, input.name + " is a stream; --from and the time window need a data file");
}
