#include "view/view_server.h"

// Headers up to 64 KiB are read, so that those over kMaxHeaderBytes are refused with 413 here
// rather than with the library's 400.
#define CPPHTTPLIB_HEADER_MAX_LENGTH 65536
#define CPPHTTPLIB_THREAD_POOL_COUNT 8
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "view/export_download.h"
#include "view/find_count.h"
#include "view/recording_list.h"
#include "view/rows.h"
#include "view/timeline.h"
#include "view/web_assets.h"

namespace {

constexpr size_t kMaxHeaderBytes = 16384;
constexpr size_t kMaxBodyBytes = 4096;
constexpr uint64_t kCatchUpBlocksPerRound = 256;

std::string randomToken() {
  std::random_device device;
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 4; ++i) {
    const uint32_t value = device();
    for (int k = 0; k < 4; ++k) {
      token.push_back(kHex[(value >> (8 * k + 4)) & 0xF]);
      token.push_back(kHex[(value >> (8 * k)) & 0xF]);
    }
  }
  return token;
}

// The same length and every character compared, whatever the first difference.
bool sameSecret(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  return difference == 0;
}

std::string cookieValue(const std::string& cookies, const std::string& name) {
  size_t start = 0;
  while (start < cookies.size()) {
    size_t end = cookies.find(';', start);
    if (end == std::string::npos) end = cookies.size();
    size_t first = cookies.find_first_not_of(' ', start);
    if (first < end && cookies.compare(first, name.size() + 1, name + "=") == 0) {
      return cookies.substr(first + name.size() + 1, end - first - name.size() - 1);
    }
    start = end + 1;
  }
  return std::string();
}

std::string percentEncoded(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : text) {
    if (std::isalnum(c) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

}  // namespace

struct ViewServer {
  httplib::Server http;
  ViewFolder folder;
  std::string token;
  std::string fileName;
  uint16_t port = 0;
  std::thread listening;
  std::thread catchingUp;
  std::atomic<bool> quit{false};
};

namespace {

void reply(httplib::Response& res, const ViewAnswer& answer) {
  res.status = answer.status;
  res.set_content(answerText(answer), "application/json");
}

// Host, token and method, before any route. The token in the address becomes a cookie.
httplib::Server::HandlerResponse guard(ViewServer& server, const httplib::Request& req, httplib::Response& res) {
  size_t headerBytes = req.method.size() + req.target.size();
  for (const auto& header : req.headers) headerBytes += header.first.size() + header.second.size() + 4;
  if (headerBytes > kMaxHeaderBytes) {
    reply(res, errorAnswer(413, "the request's headers are too large"));
    return httplib::Server::HandlerResponse::Handled;
  }
  const std::string host = req.get_header_value("Host");
  const std::string port = std::to_string(server.port);
  if (host != "127.0.0.1:" + port && host != "localhost:" + port) {
    reply(res, errorAnswer(403, "this server answers only to 127.0.0.1:" + port + " and localhost:" + port));
    return httplib::Server::HandlerResponse::Handled;
  }
  const std::string fromQuery = req.get_param_value("token");
  const bool fromCookie = sameSecret(cookieValue(req.get_header_value("Cookie"), "vk_token"), server.token);
  if (!fromCookie && !sameSecret(req.get_header_value("X-Varnotek-Token"), server.token) &&
      !sameSecret(fromQuery, server.token)) {
    reply(res, errorAnswer(403, "the token is missing or wrong: open the address the viewer printed"));
    return httplib::Server::HandlerResponse::Handled;
  }
  if (req.method != "GET" && req.method != "HEAD" && req.method != "POST") {
    reply(res, errorAnswer(405, "GET, HEAD and POST only"));
    return httplib::Server::HandlerResponse::Handled;
  }
  if (!fromCookie) {
    res.set_header("Set-Cookie", "vk_token=" + server.token + "; Path=/; HttpOnly; SameSite=Strict");
  }
  return httplib::Server::HandlerResponse::Unhandled;
}

void serveAsset(httplib::Response& res, const std::string& path) {
  const WebAsset* asset = findWebAsset(path);
  if (asset == nullptr) {
    if (path == "index.html") {
      res.set_content("<!doctype html><title>Varnotek viewer</title><p>The page was not built in.</p>",
                      "text/html; charset=utf-8");
      return;
    }
    reply(res, errorAnswer(404, "no such page file"));
    return;
  }
  res.set_content(reinterpret_cast<const char*>(asset->bytes), asset->size, webContentType(path));
}

using Answerer = ViewAnswer (*)(ViewFolder&, const QueryParams&);

void route(ViewServer& server, const char* path, Answerer answerer) {
  server.http.Get(path, [&server, answerer](const httplib::Request& req, httplib::Response& res) {
    reply(res, answerer(server.folder, req.params));
  });
}

void addRoutes(ViewServer& server) {
  httplib::Server& http = server.http;
  http.Get("/", [](const httplib::Request&, httplib::Response& res) { serveAsset(res, "index.html"); });
  http.Get(R"(/assets/([A-Za-z0-9_./-]+))", [](const httplib::Request& req, httplib::Response& res) {
    const std::string path = req.matches[1];
    if (path.find("..") != std::string::npos) {
      reply(res, errorAnswer(404, "no such page file"));
      return;
    }
    serveAsset(res, path);
  });
  http.Get("/api/recordings", [&server](const httplib::Request&, httplib::Response& res) {
    reply(res, recordingsAnswer(server.folder));
  });
  route(server, "/api/recording", recordingAnswer);
  route(server, "/api/rows", rowsAnswer);
  route(server, "/api/word", wordAnswer);
  route(server, "/api/timeline", timelineAnswer);
  route(server, "/api/line-at", lineAtAnswer);
  route(server, "/api/line-time", lineTimeAnswer);
  route(server, "/api/count", countAnswer);
  route(server, "/api/find", findAnswer);
  http.Get("/api/export", [&server](const httplib::Request& req, httplib::Response& res) {
    auto download = std::make_shared<Download>();
    ViewAnswer refusal;
    if (!prepareDownload(server.folder, req.params, *download, refusal)) {
      reply(res, refusal);
      return;
    }
    res.set_header("Content-Disposition", "attachment; filename=\"" + percentEncoded(download->fileName) +
                                              "\"; filename*=UTF-8''" + percentEncoded(download->fileName));
    res.set_chunked_content_provider(download->contentType, [download](size_t, httplib::DataSink& sink) {
      ByteSink bytes{[&sink](const unsigned char* data, size_t count) {
        return sink.write(reinterpret_cast<const char*>(data), count);
      }};
      // The whole export in one call, each block sent as it is made; a client that leaves ends it.
      if (ok(writeDownload(*download, bytes))) sink.done();
      return true;
    });
  });
  http.Post("/api/quit", [&server](const httplib::Request&, httplib::Response& res) {
    reply(res, ViewAnswer{200, nlohmann::json{{"quit", true}}});
    server.quit = true;
  });
  http.Get("/api/quit", [](const httplib::Request&, httplib::Response& res) {
    reply(res, errorAnswer(405, "POST /api/quit"));
  });
}

void catchUpLoop(ViewServer& server) {
  auto lastScan = std::chrono::steady_clock::now();
  while (!server.quit) {
    if (std::chrono::steady_clock::now() - lastScan > std::chrono::seconds(2)) {
      rescanViewFolder(server.folder);
      lastScan = std::chrono::steady_clock::now();
    }
    bool behind = false;
    for (const auto& r : heldRecordings(server.folder)) {
      if (server.quit) break;
      if (!catchUpRecording(*r, kCatchUpBlocksPerRound)) {
        std::shared_lock<std::shared_mutex> reading(r->lock);
        behind = behind || r->summarised < r->records;
      }
    }
    if (!behind) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
}

void stopServer(ViewServer* server) {
  if (server == nullptr) return;
  server->quit = true;
  server->http.stop();
  if (server->listening.joinable()) server->listening.join();
  if (server->catchingUp.joinable()) server->catchingUp.join();
  delete server;
}

}  // namespace

std::unique_ptr<ViewServer, void (*)(ViewServer*)> startViewServer(const ViewSetup& setup, std::string& why) {
  std::unique_ptr<ViewServer, void (*)(ViewServer*)> server(new ViewServer, stopServer);
  if (!openViewFolder(setup.folder, server->folder)) {
    why = setup.folder + ": not a folder that can be read";
    return {nullptr, stopServer};
  }
  server->token = randomToken();
  server->fileName = setup.fileName;
  httplib::Server& http = server->http;
  http.new_task_queue = [] { return new httplib::ThreadPool(CPPHTTPLIB_THREAD_POOL_COUNT); };
  http.set_read_timeout(3, 0);
  http.set_write_timeout(5, 0);
  http.set_keep_alive_timeout(3);
  http.set_payload_max_length(kMaxBodyBytes);
  http.set_default_headers({{"Cache-Control", "no-store"},
                            {"X-Content-Type-Options", "nosniff"},
                            {"X-Frame-Options", "DENY"},
                            {"Referrer-Policy", "no-referrer"},
                            {"Content-Security-Policy",
                             "default-src 'self'; img-src 'self' data:; style-src 'self' 'unsafe-inline'; "
                             "frame-ancestors 'none'"}});
  ViewServer& s = *server;
  http.set_pre_routing_handler([&s](const httplib::Request& req, httplib::Response& res) { return guard(s, req, res); });
  http.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) {
      res.set_content(answerText(errorAnswer(res.status, httplib::detail::status_message(res.status))),
                      "application/json");
    }
  });
  addRoutes(s);
  if (setup.port == 0) {
    const int port = http.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
      why = "no free port on 127.0.0.1";
      return {nullptr, stopServer};
    }
    s.port = static_cast<uint16_t>(port);
  } else {
    if (!http.bind_to_port("127.0.0.1", setup.port)) {
      why = "port " + std::to_string(setup.port) + " on 127.0.0.1 cannot be used";
      return {nullptr, stopServer};
    }
    s.port = setup.port;
  }
  s.listening = std::thread([&s] { s.http.listen_after_bind(); });
  s.catchingUp = std::thread([&s] { catchUpLoop(s); });
  return server;
}

std::string viewAddress(const ViewServer& server) {
  std::string address = "http://127.0.0.1:" + std::to_string(server.port) + "/?token=" + server.token;
  if (!server.fileName.empty()) address += "#file=" + percentEncoded(server.fileName);
  return address;
}

uint16_t viewPort(const ViewServer& server) { return server.port; }

std::string viewToken(const ViewServer& server) { return server.token; }

void waitViewServer(ViewServer& server, const volatile std::sig_atomic_t* interrupted) {
  while (!server.quit && (interrupted == nullptr || *interrupted == 0)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  server.quit = true;
}
