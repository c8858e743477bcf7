// The page's files, embedded at build time from view/web/ (view/embed_web.cmake).
#pragma once
#include <cstddef>
#include <string>

struct WebAsset {
  const char* path;  // relative to view/web/, '/' between parts
  const unsigned char* bytes;
  size_t size;
};

// Ends with an entry whose path is null.
extern const WebAsset kWebAssets[];

// The asset of a path, null when there is none.
const WebAsset* findWebAsset(const std::string& path);

// The Content-Type for a file name by its ending.
const char* webContentType(const std::string& path);
