// The viewer's server: bound to 127.0.0.1 only, every request checked for the one-time token
// (from the address, then a cookie or header) and for a Host of this machine's loopback name and
// port, limits on header and body sizes, a pool of threads with read and write timeouts so that
// a slow client holds only its own thread. It serves the embedded page and the answers of
// view/API.md, and keeps the folder's recordings caught up with their files in the background.
#pragma once
#include <csignal>
#include <cstdint>
#include <memory>
#include <string>

struct ViewServer;

struct ViewSetup {
  std::string folder;    // the folder whose data files are served
  std::string fileName;  // a data file of it to open first (the address's fragment), or empty
  uint16_t port = 0;     // 0: a free one
};

// Binds and starts serving. Null (with why) when the folder cannot be opened or the port bound.
std::unique_ptr<ViewServer, void (*)(ViewServer*)> startViewServer(const ViewSetup& setup, std::string& why);

// The page's address with the token, and its parts.
std::string viewAddress(const ViewServer& server);
uint16_t viewPort(const ViewServer& server);
std::string viewToken(const ViewServer& server);

// Serves until POST /api/quit, or until *interrupted becomes non-zero (checked ten times a second).
void waitViewServer(ViewServer& server, const volatile std::sig_atomic_t* interrupted);
