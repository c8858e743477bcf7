#include "view/view_answer.h"

ViewAnswer errorAnswer(int status, const std::string& why) {
  ViewAnswer answer;
  answer.status = status;
  answer.body = nlohmann::json{{"error", why}};
  return answer;
}

ViewAnswer readFailedAnswer() { return errorAnswer(500, "the data file could not be read"); }

bool queryText(const QueryParams& params, const std::string& key, std::string& value) {
  const auto found = params.find(key);
  if (found == params.end()) return false;
  value = found->second;
  return true;
}

bool queryNumber(const QueryParams& params, const std::string& key, uint64_t& value, uint64_t highest) {
  std::string text;
  if (!queryText(params, key, text)) return true;
  if (text.empty() || text.size() > 20) return false;
  uint64_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (number > (UINT64_MAX - digit) / 10) return false;
    number = number * 10 + digit;
  }
  if (number > highest) return false;
  value = number;
  return true;
}

std::string answerText(const ViewAnswer& answer) {
  return answer.body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
