// qeltool view: serves the viewer's page for a folder (or one data file's folder) on 127.0.0.1,
// prints the page's address with its one-time token as the first line of standard output, opens
// it in the default browser unless --no-browser, and runs until Ctrl-C or the page's Quit.
#include "tools/qeltool/view_command.h"

#include <csignal>
#include <cstdio>
#include <filesystem>

#include "tools/qeltool/tool_exit.h"
#include "view/view_server.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>  // needs windows.h first
#else
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace {

constexpr const char* kCommand = "view";

struct ViewOptions {
  std::string path = ".";
  uint16_t port = 0;
  bool noBrowser = false;
} options;

volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int) { interrupted = 1; }

// The default browser on the address; false when it could not be started.
bool openBrowser(const std::string& address) {
#ifdef _WIN32
  return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) >
         32;
#else
  const char* argv[] = {"xdg-open", address.c_str(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

}  // namespace

void addView(CLI::App& app) {
  CLI::App* c = app.add_subcommand("view", "The viewer: browse, search and watch recordings in the browser");
  c->add_option("PATH", options.path, "A folder of data files, or one data file (default: the current folder)");
  c->add_option("--port", options.port, "Port on 127.0.0.1 (default: a free one)");
  c->add_flag("--no-browser", options.noBrowser, "Print the address only; do not open the browser");
}

int runView() {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path given = fs::u8path(options.path);
  ViewSetup setup;
  setup.port = options.port;
  if (fs::is_directory(given, error)) {
    setup.folder = options.path;
  } else if (fs::is_regular_file(given, error)) {
    setup.folder = given.has_parent_path() ? given.parent_path().u8string() : ".";
    setup.fileName = given.filename().u8string();
  } else {
    return failWithStatus(kCommand, StatusCode::FileOpenError, options.path);
  }
  std::string why;
  auto server = startViewServer(setup, why);
  if (server == nullptr) return failWithStatus(kCommand, StatusCode::CannotExecuteCommand, why);
  const std::string address = viewAddress(*server);
  std::printf("%s\n", address.c_str());
  std::fflush(stdout);
  std::signal(SIGINT, onInterrupt);
  std::signal(SIGTERM, onInterrupt);
  if (!options.noBrowser && !openBrowser(address)) {
    std::fprintf(stderr, "qeltool view: the browser could not be opened; open the address above\n");
  }
  waitViewServer(*server, &interrupted);
  return ExitSuccess;
}
