#include "tools/qeltool/safe_output.h"

#include <cerrno>
#include <csignal>
#include <utility>

#include "frontend/file_facts.h"
#include "tools/qeltool/interrupt_cleanup.h"
#include "tools/qeltool/standard_output.h"
#include "tools/qeltool/tool_exit.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int kNameAttempts = 100;

// The folder part of a path, its separator included ("" for a bare name).
std::string folderOf(const std::string& path) {
#ifdef _WIN32
  const size_t end = path.find_last_of("/\\:");
#else
  const size_t end = path.find_last_of('/');
#endif
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string temporaryName(const std::string& folder, int attempt) {
#ifdef _WIN32
  const unsigned long process = GetCurrentProcessId();
#else
  const unsigned long process = static_cast<unsigned long>(getpid());
#endif
  return folder + ".qeltool-" + std::to_string(process) + "-" + std::to_string(attempt) + ".tmp";
}

#ifdef _WIN32

// A new file that nobody else has, opened so that the Ctrl-C handler may delete it while it is open.
FILE* createTemporaryFile(const std::string& path, OutputMode mode, const FileFacts&, bool& nameTaken) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return nullptr;
  }
  const bool text = mode == OutputMode::Text;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | (text ? _O_TEXT : _O_BINARY));
  if (descriptor == -1) {
    CloseHandle(handle);
    DeleteFileA(path.c_str());
    return nullptr;
  }
  FILE* file = _fdopen(descriptor, text ? "wt" : "wb");
  if (file == nullptr) {
    _close(descriptor);
    DeleteFileA(path.c_str());
  }
  return file;
}

bool syncToDisk(FILE* file) { return _commit(_fileno(file)) == 0; }

bool replaceTarget(const std::string& temporary, const std::string& target) {
  return MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void removeFile(const std::string& path) { DeleteFileA(path.c_str()); }

#else

// A new file that nobody else has, with the permissions of the file it will replace (a new
// target gets the usual ones, those the umask leaves).
FILE* createTemporaryFile(const std::string& path, OutputMode, const FileFacts& target, bool& nameTaken) {
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    nameTaken = errno == EEXIST;
    return nullptr;
  }
  if (target.kind == FileKind::Regular) (void)fchmod(descriptor, static_cast<mode_t>(target.permissions));
  FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) {
    close(descriptor);
    unlink(path.c_str());
  }
  return file;
}

bool syncToDisk(FILE* file) { return fsync(fileno(file)) == 0; }

bool replaceTarget(const std::string& temporary, const std::string& target) {
  return rename(temporary.c_str(), target.c_str()) == 0;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

#endif

void dropTemporary(SafeOutput& output) {
  if (output.temporary.empty()) return;
  removeFile(output.temporary);
  unregisterTemporaryFile(output.temporary);
  output.temporary.clear();
}

// The command's inputs as they were examined, by the names the user gave.
std::vector<std::pair<std::string, FileFacts>> heldInputs;

FileFacts examineInputNamed(const std::string& name) {
  return name == "-" ? examineStandardStream(StandardStream::Input) : examineFile(name);
}

// The held input the written file is, or null. Only a regular file can be destroyed by writing: a
// terminal, pipe or device read and written at once is the user's plan.
const std::string* inputWritten(const FileFacts& written) {
  if (written.kind != FileKind::Regular) return nullptr;
  for (const auto& input : heldInputs) {
    if (sameFile(written, input.second)) return &input.first;
  }
  return nullptr;
}

int refuseAsSameFile(const char* command, const std::string& output, const std::string& input) {
  return usageError(command, output + " is the same file as the input " + input + "; nothing written");
}

int refuseWrittenOverInputs(const char* command, const std::string& output, const FileFacts& written,
                            const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) heldInputs.emplace_back(input, examineInputNamed(input));
  const std::string* input = inputWritten(written);
  return input != nullptr ? refuseAsSameFile(command, output, *input) : ExitSuccess;
}

}  // namespace

bool isStandardOutputName(const std::string& name) { return name == "-"; }

int refuseOutputOverInputs(const char* command, const std::string& output, const std::vector<std::string>& inputs) {
  if (isStandardOutputName(output)) return refuseStandardOutputOverInputs(command, inputs);
  return refuseWrittenOverInputs(command, output, examineFile(output), inputs);
}

int refuseStandardOutputOverInputs(const char* command, const std::vector<std::string>& inputs) {
  return refuseWrittenOverInputs(command, kStandardOutputName, examineStandardStream(StandardStream::Output), inputs);
}

int refuseToReplaceData(const char* command, const std::string& path, bool force) {
  if (force || isStandardOutputName(path)) return ExitSuccess;
  const FileFacts facts = examineFile(path);
  if (facts.kind == FileKind::Regular && facts.size > 0) {
    return usageError(command, path + " exists and is not empty; --force replaces it");
  }
  return ExitSuccess;
}

StatusCode openSafeOutput(SafeOutput& output, const std::string& target, OutputMode mode) {
  output = SafeOutput{};
  output.name = target;
#ifdef SIGXFSZ
  // A write beyond the file size limit (ulimit -f) then fails as a write, and the temporary goes.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  if (isStandardOutputName(target)) {
    output.target = target;
    output.file = stdout;
#ifdef _WIN32
    if (mode == OutputMode::Binary) _setmode(_fileno(stdout), _O_BINARY);
#endif
    return StatusCode::Success;
  }
  const FileFacts facts = examineFile(target);
  if (const std::string* input = inputWritten(facts)) {
    output.sameAsInput = *input;
    return StatusCode::FileOpenError;
  }
  if (facts.kind == FileKind::Directory) return StatusCode::FileOpenError;
  if (facts.kind != FileKind::Missing && !facts.writable) return StatusCode::FileOpenError;
  if (facts.kind == FileKind::Other) {
    output.target = target;
    output.file = std::fopen(target.c_str(), mode == OutputMode::Text ? "w" : "wb");
    return output.file != nullptr ? StatusCode::Success : StatusCode::FileOpenError;
  }
  output.target = facts.kind == FileKind::Regular ? facts.resolvedPath : target;
  const std::string folder = folderOf(output.target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = temporaryName(folder, attempt);
    // Registered first, so that no moment exists when the file is there and Ctrl-C would leave it.
    if (!registerTemporaryFile(name)) return StatusCode::FileOpenError;
    bool nameTaken = false;
    output.file = createTemporaryFile(name, mode, facts, nameTaken);
    if (output.file != nullptr) {
      output.temporary = name;
      return StatusCode::Success;
    }
    unregisterTemporaryFile(name);
    if (!nameTaken) break;
  }
  return StatusCode::FileOpenError;
}

StatusCode commitSafeOutput(SafeOutput& output) {
  if (output.file == nullptr) return StatusCode::FileWriteError;
  // Standard output stays open: main's finishStandardOutput checks, reports and closes it.
  if (output.file == stdout) {
    output.file = nullptr;
    return StatusCode::Success;
  }
  bool good = std::ferror(output.file) == 0;
  good = std::fflush(output.file) == 0 && good;
  // A device or pipe has nothing to sync; a file is on the disk before its name is.
  if (good && !output.temporary.empty()) good = syncToDisk(output.file);
  good = std::fclose(output.file) == 0 && good;
  output.file = nullptr;
  if (good && !output.temporary.empty()) {
    // The target as it is now, however it was named, must still be none of the inputs.
    if (const std::string* input = inputWritten(examineFile(output.target))) {
      output.sameAsInput = *input;
      good = false;
    }
  }
  if (good && !output.temporary.empty()) {
    good = replaceTarget(output.temporary, output.target);
    if (good) {
      unregisterTemporaryFile(output.temporary);
      output.temporary.clear();
    }
  }
  dropTemporary(output);
  return good ? StatusCode::Success : StatusCode::FileWriteError;
}

void abandonSafeOutput(SafeOutput& output) {
  if (output.file != nullptr && output.file != stdout) std::fclose(output.file);
  output.file = nullptr;
  dropTemporary(output);
}

int failSafeOutput(const char* command, const SafeOutput& output, StatusCode status) {
  const std::string name = isStandardOutputName(output.name) ? kStandardOutputName : output.name;
  if (!output.sameAsInput.empty()) return refuseAsSameFile(command, name, output.sameAsInput);
  return failWithStatus(command, status, name);
}
