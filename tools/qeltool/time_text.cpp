#include "tools/qeltool/time_text.h"

#include "search/time_search.h"

StatusCode parseTimeText(const std::string& text, double& target) {
  target = 0.0;
  std::string fields[4];
  int field = 0;
  for (const char c : text) {
    if (c == ':') {
      if (++field == 4) return StatusCode::SyntaxError;
    } else {
      fields[field] += c;
    }
  }
  if (field != 3) return StatusCode::SyntaxError;
  std::string fraction;
  const size_t point = fields[3].find('.');
  if (point != std::string::npos) {
    fraction = fields[3].substr(point + 1);
    fields[3].erase(point);
  }
  return parseTimeTagFields(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), fields[3].c_str(),
                            fraction.c_str(), target);
}
