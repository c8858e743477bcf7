#include "frontend/time_text.h"

#include <cstdint>

#include "search/time_search.h"

namespace {

// Day, hours, minutes and seconds, then the fraction's digits; false without exactly three colons.
bool splitTimeText(const std::string& text, std::string (&fields)[4], std::string& fraction) {
  int field = 0;
  for (const char c : text) {
    if (c == ':') {
      if (++field == 4) return false;
    } else {
      fields[field] += c;
    }
  }
  if (field != 3) return false;
  const size_t point = fields[3].find('.');
  if (point != std::string::npos) {
    fraction = fields[3].substr(point + 1);
    fields[3].erase(point);
  }
  return true;
}

// The value of a field of digits (at most three, as the parse has checked); 0 when empty.
uint64_t fieldValue(const std::string& digits) {
  uint64_t value = 0;
  for (const char c : digits) value = value * 10 + static_cast<uint64_t>(c - '0');
  return value;
}

}  // namespace

StatusCode parseTimeText(const std::string& text, double& target) {
  target = 0.0;
  std::string fields[4];
  std::string fraction;
  if (!splitTimeText(text, fields, fraction)) return StatusCode::SyntaxError;
  return parseTimeTagFields(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), fields[3].c_str(),
                            fraction.c_str(), target);
}

std::string exactMicrosText(const std::string& text) {
  std::string fields[4];
  std::string fraction;
  splitTimeText(text, fields, fraction);
  // The first six digits of the fraction are whole microseconds, the rest their fraction.
  std::string micros = fraction.substr(0, 6);
  micros.resize(6, '0');
  std::string below = fraction.size() > 6 ? fraction.substr(6) : std::string();
  while (!below.empty() && below.back() == '0') below.pop_back();
  const uint64_t whole = fieldValue(fields[0]) * 86400000000ull + fieldValue(fields[1]) * 3600000000ull +
                         fieldValue(fields[2]) * 60000000ull + fieldValue(fields[3]) * 1000000ull + fieldValue(micros);
  return std::to_string(whole) + "." + (below.empty() ? "0" : below);
}
