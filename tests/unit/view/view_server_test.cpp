// The viewer's server, running on a free port over a folder of generated recordings: its refusals
// (token, Host, paths leading out, sizes, methods, a slow client) and its answers compared with the
// searches' own.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include <gtest/gtest.h>

#include "search/pattern_search.h"
#include "search/time_search.h"
#include "tests/support/sim_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_records.h"
#include "view/view_server.h"

namespace {

// The raw answer to a request sent as written (status line, headers and body); holdMs keeps the
// connection open that long after sending before the answer is awaited.
std::string exchange(uint16_t port, const std::string& request, int holdMs = 0) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    if (send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
      std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
      char buffer[65536];
      // Until the whole answer is there: a refused request may leave the connection open.
      for (ssize_t n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<size_t>(n));
        const size_t end = answer.find("\r\n\r\n");
        const size_t length = answer.find("Content-Length: ");
        if (end != std::string::npos && length < end &&
            answer.size() >= end + 4 + std::strtoull(answer.c_str() + length + 16, nullptr, 10)) {
          break;
        }
      }
    }
  }
  close(s);
  return answer;
}

int statusOf(const std::string& answer) { return answer.size() > 12 ? std::atoi(answer.c_str() + 9) : 0; }

nlohmann::json bodyOf(const std::string& answer) {
  const size_t start = answer.find("\r\n\r\n");
  return nlohmann::json::parse(answer.substr(start == std::string::npos ? answer.size() : start + 4), nullptr, false);
}

struct ViewServerTest : ::testing::Test {
  TempFolder folder;
  TempFolder outside;
  std::unique_ptr<ViewServer, void (*)(ViewServer*)> server{nullptr, nullptr};
  std::string host;
  std::string token;

  void SetUp() override {
    TrafficConfig traffic;
    traffic.wordsPerSecond = 200000;
    traffic.errorOneIn = 500;
    ASSERT_EQ(writeGeneratedRecords(folder.file("a.qel").c_str(), traffic, 400000, LocalTime{2026, 3, 1, 12, 0, 0}),
              StatusCode::Success);
    ASSERT_EQ(writeGeneratedRecords(outside.file("secret.qel").c_str(), traffic, 10, LocalTime{2026, 3, 1, 12, 0, 0}),
              StatusCode::Success);
    std::filesystem::create_symlink(outside.file("secret.qel"), folder.file("out.qel"));
    std::string why;
    server = startViewServer(ViewSetup{folder.path, "a.qel", 0}, why);
    ASSERT_NE(server, nullptr) << why;
    host = "127.0.0.1:" + std::to_string(viewPort(*server));
    token = viewToken(*server);
  }

  std::string get(const std::string& target, const std::string& headers = "") {
    return exchange(viewPort(*server), "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nX-Varnotek-Token: " +
                                           token + "\r\nConnection: close\r\n" + headers + "\r\n");
  }
};

TEST_F(ViewServerTest, RefusesWhatItMustAndServesTheRest) {
  const std::string big(20000, 'a');
  struct Case {
    const char* what;
    std::string request;
    int status;
  };
  const std::string tail = "Connection: close\r\n\r\n";
  const std::string good = "Host: " + host + "\r\nX-Varnotek-Token: " + token + "\r\n";
  const std::string wrong = (token[0] == '0' ? "1" : "0") + token.substr(1);  // one digit off
  const Case cases[] = {
      {"no token", "GET /api/recordings HTTP/1.1\r\nHost: " + host + "\r\n" + tail, 403},
      {"wrong token", "GET /api/recordings HTTP/1.1\r\nHost: " + host + "\r\nX-Varnotek-Token: " + wrong +
                          "\r\n" + tail, 403},
      {"wrong cookie", "GET /api/recordings HTTP/1.1\r\nHost: " + host + "\r\nCookie: vk_token=x\r\n" + tail, 403},
      {"wrong Host", "GET /api/recordings HTTP/1.1\r\nHost: evil.example:" + host.substr(10) +
                         "\r\nX-Varnotek-Token: " + token + "\r\n" + tail, 403},
      {"no Host", "GET /api/recordings HTTP/1.1\r\nX-Varnotek-Token: " + token + "\r\n" + tail, 403},
      {"token in the address", "GET /api/recordings?token=" + token + " HTTP/1.1\r\nHost: " + host + "\r\n" + tail, 200},
      {"cookie", "GET /api/recordings HTTP/1.1\r\nHost: localhost:" + host.substr(10) + "\r\nCookie: a=b; vk_token=" +
                     token + "\r\n" + tail, 200},
      {"parent folder", "GET /api/rows?name=..%2Fa.qel HTTP/1.1\r\n" + good + tail, 404},
      {"absolute path", "GET /api/rows?name=" + outside.file("secret.qel") + " HTTP/1.1\r\n" + good + tail, 404},
      {"link leading out", "GET /api/rows?name=out.qel HTTP/1.1\r\n" + good + tail, 404},
      {"not a data file", "GET /api/rows?name=a.txt HTTP/1.1\r\n" + good + tail, 404},
      {"asset leading out", "GET /assets/../../a.qel HTTP/1.1\r\n" + good + tail, 404},
      {"oversized header", "GET /api/recordings HTTP/1.1\r\n" + good + "X-Big: " + big + "\r\n" + tail, 413},
      {"oversized body", "POST /api/quit HTTP/1.1\r\n" + good + "Content-Length: 100000\r\n" + tail + big, 413},
      {"wrong method", "DELETE /api/recordings HTTP/1.1\r\n" + good + tail, 405},
      {"quit by GET", "GET /api/quit HTTP/1.1\r\n" + good + tail, 405},
      {"malformed request", "GET\r\n\r\n", 400},
      {"malformed value", "GET /api/timeline?name=a.qel&bins=x HTTP/1.1\r\n" + good + tail, 400},
      {"page", "GET / HTTP/1.1\r\n" + good + tail, 200},
  };
  for (const Case& c : cases) {
    const std::string answer = exchange(viewPort(*server), c.request);
    EXPECT_EQ(statusOf(answer), c.status) << c.what << "\n" << answer.substr(0, 300);
    EXPECT_EQ(answer.find("Access-Control-Allow"), std::string::npos) << c.what;
  }
  EXPECT_NE(get("/api/recordings?token=" + token).find("Set-Cookie: vk_token=" + token + "; Path=/; HttpOnly; SameSite=Strict"),
            std::string::npos);
  EXPECT_EQ(viewAddress(*server), "http://" + host + "/?token=" + token + "#file=a.qel");
  std::string why;
  EXPECT_EQ(startViewServer(ViewSetup{folder.path, "", viewPort(*server)}, why), nullptr);  // the port is taken
}

TEST_F(ViewServerTest, ASlowClientStallsNoOther) {
  std::thread slow([&] { exchange(viewPort(*server), "GET /api/recordings HTTP/1.1\r\n", 1500); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(statusOf(get("/api/recording?name=a.qel")), 200);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  slow.join();
}

TEST_F(ViewServerTest, AnswersAsTheSearchesAndFollowsTheGrowingFile) {
  const std::string path = folder.file("a.qel");
  const char* const criteria[] = {"bus=j4&sync=cmd&errors=with", "bus=j2", "pattern=xxxxxxxxxxxxxxxxxxxxxx11&gap=after&gap_max=0"};
  const SearchSettings expected[] = {
      [] { SearchSettings s; setSearchDefaults(s); s.busChoice = BusJ4; s.syncChoice = SyncCmd; s.errorChoice = WithErrors; return s; }(),
      [] { SearchSettings s; setSearchDefaults(s); s.busChoice = BusJ2; return s; }(),
      [] { SearchSettings s; setSearchDefaults(s); s.oneMask = 3; s.dontCareMask = 0xFFFFFC; s.gapBefore = 0;
           s.gapMaxEnabled = 1; return s; }()};
  for (size_t k = 0; k < 3; ++k) {
    SearchSettings count = expected[k];
    count.searchMode = 1;
    ASSERT_EQ(searchPattern(path, count), StatusCode::Success);
    EXPECT_EQ(bodyOf(get("/api/count?name=a.qel&" + std::string(criteria[k])))["count"], count.searchResult) << criteria[k];
    SearchSettings second = expected[k];
    second.occurrence = 2;
    ASSERT_EQ(searchPattern(path, second), StatusCode::Success);
    const nlohmann::json first = bodyOf(get("/api/find?name=a.qel&from=0&" + std::string(criteria[k])))["line"];
    const nlohmann::json next = bodyOf(get("/api/find?name=a.qel&from=" + first.dump() + "&" + criteria[k]))["line"];
    EXPECT_EQ(next, second.searchResult) << criteria[k];
    EXPECT_EQ(bodyOf(get("/api/find?name=a.qel&dir=prev&from=" + next.dump() + "&" + criteria[k]))["line"], first);
  }
  uint64_t line = 0;
  ASSERT_EQ(findTimeTag(path, (60.0 * 24 * 60 + 12 * 60) * 60e6 + 500000.3, line), StatusCode::Success);
  EXPECT_EQ(bodyOf(get("/api/line-at?name=a.qel&time=060:12:00:00.5000003"))["line"], line);
  const nlohmann::json whole = bodyOf(get("/api/timeline?name=a.qel&bins=50&bus=j4&sync=cmd&errors=with"));
  uint64_t errors = 0, matches = 0;
  for (const auto& n : whole["errors"]) errors += n.get<uint64_t>();
  for (const auto& n : whole["matches"]) matches += n.get<uint64_t>();
  EXPECT_EQ(whole["source"], "index");
  EXPECT_EQ(matches, bodyOf(get("/api/count?name=a.qel&bus=j4&sync=cmd&errors=with"))["count"]);
  EXPECT_EQ(errors, bodyOf(get("/api/count?name=a.qel&errors=with"))["count"]);
  const nlohmann::json narrow = bodyOf(get("/api/timeline?name=a.qel&bins=10&t0=1000000&t1=1100000"));
  EXPECT_EQ(narrow["source"], "data");
  EXPECT_NEAR(narrow["lanes"][0]["mean"][3].get<double>(), 50000, 2500);

  {
    std::ofstream grow(path, std::ios::binary | std::ios::app);
    // Words at day 0 that meet the pattern, a gap of -28 us after each: matches in the grown block.
    const Bytes more = dataFileBytes(testRecords(std::vector<TestRecord>(1000, TestRecord{0, 3})));
    grow.write(reinterpret_cast<const char*>(more.data()), static_cast<std::streamsize>(more.size()));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const nlohmann::json grown = bodyOf(get("/api/recording?name=a.qel"));
  EXPECT_EQ(grown["records"], 401000);
  EXPECT_EQ(grown["indexed"], true);
  EXPECT_EQ(grown["breaks"], 1);  // back to day 0
  EXPECT_EQ(bodyOf(get("/api/rows?name=a.qel&from=400999&count=5"))["rows"].size(), 2u);
  SearchSettings grownCount = expected[2];  // counted before from blocks read, the last one since grown
  grownCount.searchMode = 1;
  ASSERT_EQ(searchPattern(path, grownCount), StatusCode::Success);
  EXPECT_EQ(bodyOf(get("/api/count?name=a.qel&" + std::string(criteria[2])))["count"], grownCount.searchResult);
}

// Recorded time leaves out a step back and a jump of more than an hour, inside a block and
// between blocks alike; each is a break on the timeline, and lines and recorded times map both ways.
TEST_F(ViewServerTest, RecordedTimeLeavesOutTheBreaks) {
  std::vector<TestRecord> fields;
  for (uint64_t i = 0; i < 40000; ++i) {
    uint64_t t = halfMicrosAt(100, 10, 0, 0) + 100 * i;
    if (i >= 20000) t -= 2000000;                                         // a second back
    if (i >= 32768) t += halfMicrosAt(0, 2, 0, 0);                        // two hours on, between blocks
    fields.push_back(TestRecord{t, static_cast<uint32_t>(i), static_cast<unsigned>(i % 4), 0, 0});
  }
  ASSERT_TRUE(writeDataFile(folder.file("b.qel"), testRecords(fields)));
  const nlohmann::json r = bodyOf(get("/api/recording?name=b.qel"));
  EXPECT_EQ(r["breaks"], 2);
  EXPECT_EQ(r["recorded_hus"], 100 * (39999 - 2));
  const nlohmann::json breaks = bodyOf(get("/api/timeline?name=b.qel&bins=4"))["breaks"];
  ASSERT_EQ(breaks.size(), 2u);
  EXPECT_EQ(breaks[0]["line"], 20001);
  EXPECT_EQ(breaks[0]["at_hus"], 100 * 19999);
  EXPECT_EQ(breaks[1]["line"], 32769);
  EXPECT_EQ(breaks[1]["at_hus"], 100 * (32768 - 2));
  EXPECT_EQ(bodyOf(get("/api/line-time?name=b.qel&line=32770"))["at_hus"], 100 * (32768 - 1));
  EXPECT_EQ(bodyOf(get("/api/line-at?name=b.qel&at=" + std::to_string(100 * (32768 - 1))))["line"], 32770);
  // Find Nearest TTag: the first record in file order at or after the time, the first's time plus the text.
  EXPECT_EQ(bodyOf(get("/api/line-at?name=b.qel&time=%2B00:00:00.01"))["line"], 201);
  EXPECT_EQ(bodyOf(get("/api/line-at?name=b.qel&time=%2B00:00:01"))["line"], 32769);
}

}  // namespace
