#include "view/recording_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "common/record_layout.h"
#include "files/bus_record.h"

namespace fs = std::filesystem;

namespace {

bool dataFileName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 255) return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == ':' || c == '\0') return false;
  }
  if (name.size() < 5) return false;
  std::string extension = name.substr(name.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".qel";
}

// The path of a data file inside the folder, empty when the name does not lead to one.
std::string insidePath(const ViewFolder& folder, const std::string& name) {
  if (!dataFileName(name)) return std::string();
  std::error_code error;
  const fs::path path = fs::path(folder.root) / fs::u8path(name);
  const fs::path real = fs::canonical(path, error);
  if (error || real.parent_path() != fs::path(folder.canonicalRoot)) return std::string();
  if (!fs::is_regular_file(real, error) || error) return std::string();
  return path.u8string();
}

std::string modifiedText(int64_t nanos) {
  const std::time_t seconds = static_cast<std::time_t>(nanos / 1000000000);
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &seconds);
#else
  gmtime_r(&seconds, &parts);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

nlohmann::json recordingJson(const Recording& r) {
  std::shared_lock<std::shared_mutex> reading(r.lock);
  uint64_t words[4] = {};
  uint64_t errors = 0;
  for (const BlockEntry& e : r.entries) {
    for (unsigned c = 0; c < kRecordClasses; ++c) {
      words[c / 4] += e.classCounts[c];
      if (c % 2 == 1) errors += e.classCounts[c];
    }
  }
  const uint64_t first = firstTimeTag(r);
  const uint64_t last = r.entries.empty() ? 0 : entryLastTime(r.entries.back());
  nlohmann::json j{{"name", r.name},
                   {"size", r.stamp.size},
                   {"records", r.records},
                   {"first_hus", first},
                   {"last_hus", last},
                   {"first", timeTagText(first)},
                   {"last", timeTagText(last)},
                   {"recorded_hus", recordedEnd(r)},
                   {"duration_s", static_cast<double>(recordedEnd(r)) / kHalfMicrosPerSecond},
                   {"words", {words[0], words[1], words[2], words[3]}},
                   {"errors", errors},
                   {"breaks", r.breaks.size()},
                   {"growing", recordingGrowing(r)},
                   {"indexed", r.opened && r.summarised == r.records},
                   {"modified", modifiedText(r.stamp.modifiedNanos)},
                   {"modified_ns", r.stamp.modifiedNanos}};
  if (r.summarised == r.records || r.records == 0) {
    j["indexing_progress"] = nullptr;
  } else {
    j["indexing_progress"] = static_cast<double>(r.summarised) / static_cast<double>(r.records);
  }
  return j;
}

}  // namespace

std::string timeTagText(uint64_t halfMicros) {
  const uint64_t day = halfMicros / kHalfMicrosPerDay;
  uint64_t rest = halfMicros % kHalfMicrosPerDay;
  const uint64_t hour = rest / kHalfMicrosPerHour;
  rest %= kHalfMicrosPerHour;
  const uint64_t minute = rest / (60 * kHalfMicrosPerSecond);
  rest %= 60 * kHalfMicrosPerSecond;
  const uint64_t second = rest / kHalfMicrosPerSecond;
  rest %= kHalfMicrosPerSecond;  // half microseconds: seven digits of the second are rest x 5
  char text[48];
  std::snprintf(text, sizeof text, "%03llu:%02llu:%02llu:%02llu.%07llu", static_cast<unsigned long long>(day),
                static_cast<unsigned long long>(hour), static_cast<unsigned long long>(minute),
                static_cast<unsigned long long>(second), static_cast<unsigned long long>(rest * 5));
  return text;
}

bool openViewFolder(const std::string& root, ViewFolder& folder) {
  std::error_code error;
  const fs::path real = fs::canonical(fs::u8path(root), error);
  if (error || !fs::is_directory(real, error)) return false;
  folder.root = root;
  folder.canonicalRoot = real.u8string();
  rescanViewFolder(folder);
  return true;
}

std::shared_ptr<Recording> findRecording(ViewFolder& folder, const std::string& name) {
  const std::string path = insidePath(folder, name);
  if (path.empty()) return nullptr;
  std::lock_guard<std::mutex> guard(folder.lock);
  for (const auto& r : folder.recordings) {
    if (r->name == name) return r;
  }
  auto r = std::make_shared<Recording>();
  r->name = name;
  r->path = path;
  folder.recordings.push_back(r);
  return r;
}

void rescanViewFolder(ViewFolder& folder) {
  std::error_code error;
  for (fs::directory_iterator it(fs::u8path(folder.root), error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().u8string();
    if (dataFileName(name)) findRecording(folder, name);
  }
}

std::vector<std::shared_ptr<Recording>> heldRecordings(ViewFolder& folder) {
  std::lock_guard<std::mutex> guard(folder.lock);
  return folder.recordings;
}

ViewAnswer recordingsAnswer(ViewFolder& folder) {
  std::vector<std::pair<int64_t, nlohmann::json>> listed;
  for (const auto& r : heldRecordings(folder)) {
    if (insidePath(folder, r->name).empty()) continue;  // gone since
    nlohmann::json j = recordingJson(*r);
    listed.emplace_back(j["modified_ns"].get<int64_t>(), std::move(j));
  }
  std::stable_sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  ViewAnswer answer;
  answer.body = nlohmann::json{{"folder", folder.root}, {"recordings", nlohmann::json::array()}};
  for (auto& entry : listed) answer.body["recordings"].push_back(std::move(entry.second));
  return answer;
}

std::shared_ptr<Recording> requestedRecording(ViewFolder& folder, const QueryParams& params, ViewAnswer& refusal) {
  std::string name;
  if (!queryText(params, "name", name)) {
    refusal = errorAnswer(400, "name= is missing");
    return nullptr;
  }
  auto r = findRecording(folder, name);
  if (r == nullptr) {
    refusal = errorAnswer(404, "no data file of that name in the folder");
    return nullptr;
  }
  catchUpRecording(*r, 0);  // at least the file's size as it is now
  std::shared_lock<std::shared_mutex> reading(r->lock);
  if (!r->opened) {
    refusal = errorAnswer(404, "the data file cannot be opened");
    return nullptr;
  }
  return r;
}

ViewAnswer recordingAnswer(ViewFolder& folder, const QueryParams& params) {
  ViewAnswer answer;
  auto r = requestedRecording(folder, params, answer);
  if (r == nullptr) return answer;
  answer.body = recordingJson(*r);
  return answer;
}
