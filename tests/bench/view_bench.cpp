// The viewer's server-side times on a large recording: the recording page's first rows and whole
// timeline, any page of 200 rows, the timeline at any zoom, the next match of a rare combination
// (J4, command sync, with errors), a bus count, each cold (the file's pages dropped with
// posix_fadvise) and cached; and the process's memory. The answers are timed as the server makes
// them, without the HTTP around them.
//
//   view_bench [FILE]   FILE: a data file, e.g. from qeltool generate (default: the shared 1 GiB
//                       benchmark file); its index is made first when missing.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "index/index_file.h"
#include "tests/bench/bench_data_file.h"
#include "view/find_count.h"
#include "view/recording_list.h"
#include "view/rows.h"
#include "view/timeline.h"

namespace {

double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <typename F>
double timed(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return msSince(start);
}

std::string memoryLine() {
  std::ifstream status("/proc/self/status");
  std::string line, out;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS", 0) == 0 || line.rfind("VmHWM", 0) == 0) out += line + "  ";
  }
  return out;
}

struct Spread {
  std::vector<double> ms;
  void print(const char* what) {
    if (ms.empty()) return;
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %8.2f ms   max %8.2f ms   (%zu)\n", what, ms[ms.size() / 2], ms.back(), ms.size());
  }
};

}  // namespace

int main(int argc, char** argv) {
  // A file given is used as it is (qeltool generate makes one of any size); otherwise the shared one.
  const std::string path = argc > 1 ? std::string(argv[1]) : benchDataFile(argc, argv);
  if (path.empty()) return 1;
  const std::filesystem::path file(path);
  const std::string folderPath = file.parent_path().string();
  const std::string name = file.filename().string();
  const std::string indexPath = indexPathFor(path);
  std::printf("%s: %llu records\n", path.c_str(), static_cast<unsigned long long>(std::filesystem::file_size(file) / 16));

  {
    ViewFolder folder;
    openViewFolder(folderPath, folder);
    auto r = findRecording(folder, name);
    const double ms = timed([&] {
      while (!catchUpRecording(*r, 4096)) {
      }
    });
    std::printf("summaries ready (index %s): %.1f ms\n", std::filesystem::exists(indexPath) ? "saved" : "not saved", ms);
  }
  std::mt19937_64 random(7);
  for (const bool cold : {true, false}) {
    std::printf("--- %s\n", cold ? "cold (pages of data and index dropped before each step)" : "cached");
    if (cold) {
      dropPages(path);
      dropPages(indexPath);
    }
    ViewFolder folder;
    openViewFolder(folderPath, folder);
    const QueryParams base{{"name", name}};
    auto with = [&](QueryParams extra) {
      extra.insert(base.begin(), base.end());
      return extra;
    };
    ViewAnswer answer;
    const double open = timed([&] { answer = recordingAnswer(folder, base); });
    const uint64_t records = answer.body["records"];
    const uint64_t recorded = answer.body["recorded_hus"];
    if (cold) dropPages(path);
    const double rows = timed([&] { answer = rowsAnswer(folder, with({{"from", "1"}, {"count", "200"}, {"format", "mdm"}})); });
    if (cold) dropPages(path);
    const double timeline = timed([&] { answer = timelineAnswer(folder, with({{"bins", "1000"}})); });
    std::printf("open (summaries from the index) %.2f ms, first 200 rows %.2f ms, whole timeline %.2f ms (%s): "
                "page total %.2f ms\n",
                open, rows, timeline, answer.body["source"].get<std::string>().c_str(), open + rows + timeline);
    Spread pages, zooms, zoomsData, nexts;
    for (int i = 0; i < 30; ++i) {
      if (cold) dropPages(path);
      const uint64_t from = 1 + random() % records;
      pages.ms.push_back(timed([&] {
        answer = rowsAnswer(folder, with({{"from", std::to_string(from)}, {"count", "200"}, {"format", "mdm"}}));
      }));
      if (cold) dropPages(path);
      const uint64_t width = std::max<uint64_t>(2000, recorded >> (random() % 40));  // whole to 1 ms
      const uint64_t t0 = random() % (recorded - std::min(recorded - 1, width) + 1);
      const double zoom = timed([&] {
        answer = timelineAnswer(folder, with({{"t0", std::to_string(t0)}, {"t1", std::to_string(t0 + width)}, {"bins", "1000"}}));
      });
      (answer.body["source"] == "data" ? zoomsData : zooms).ms.push_back(zoom);
      if (cold) dropPages(path);
      nexts.ms.push_back(timed([&] {
        answer = findAnswer(folder, with({{"from", std::to_string(from)}, {"bus", "j4"}, {"sync", "cmd"}, {"errors", "with"}}));
      }));
    }
    pages.print("any page of 200 rows");
    zooms.print("timeline, windows from the index (1000 steps)");
    zoomsData.print("timeline, windows read from the data");
    nexts.print("next match, J4 command with errors");
    if (cold) dropPages(path);
    const double count = timed([&] { answer = countAnswer(folder, with({{"bus", "j2"}})); });
    std::printf("count of bus J2: %.2f ms (%llu)\n", count, static_cast<unsigned long long>(answer.body["count"].get<uint64_t>()));
    if (cold) dropPages(path);
    const double rare = timed([&] { answer = countAnswer(folder, with({{"bus", "j4"}, {"sync", "cmd"}, {"errors", "with"}})); });
    std::printf("count of J4 command with errors: %.2f ms (%llu)\n", rare,
                static_cast<unsigned long long>(answer.body["count"].get<uint64_t>()));
  }
  std::printf("memory: %s\n", memoryLine().c_str());
  return 0;
}
