#include "tools/qeltool/json_text.h"

#include <cstdio>

std::string jsonQuoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;  // other bytes pass as they are (paths in the system's own encoding)
    }
  }
  out += '"';
  return out;
}
