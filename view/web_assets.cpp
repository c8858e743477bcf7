#include "view/web_assets.h"

const WebAsset* findWebAsset(const std::string& path) {
  for (const WebAsset* a = kWebAssets; a->path != nullptr; ++a) {
    if (path == a->path) return a;
  }
  return nullptr;
}

const char* webContentType(const std::string& path) {
  struct Ending {
    const char* ending;
    const char* type;
  };
  static const Ending kTypes[] = {{".html", "text/html; charset=utf-8"},
                                  {".js", "text/javascript; charset=utf-8"},
                                  {".mjs", "text/javascript; charset=utf-8"},
                                  {".css", "text/css; charset=utf-8"},
                                  {".svg", "image/svg+xml"},
                                  {".png", "image/png"},
                                  {".ico", "image/x-icon"},
                                  {".json", "application/json"},
                                  {".woff2", "font/woff2"}};
  for (const Ending& e : kTypes) {
    const std::string ending = e.ending;
    if (path.size() >= ending.size() && path.compare(path.size() - ending.size(), ending.size(), ending) == 0) {
      return e.type;
    }
  }
  return "application/octet-stream";
}
