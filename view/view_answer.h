// What every viewer request gets back, and the reading of its query values.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

using QueryParams = std::multimap<std::string, std::string>;

struct ViewAnswer {
  int status = 200;
  nlohmann::json body;
};

// {"error": why} with the status.
ViewAnswer errorAnswer(int status, const std::string& why);
// 500: the data file could not be read (cut short under the viewer, or a read failed).
ViewAnswer readFailedAnswer();

// The value of key; false when it is absent.
bool queryText(const QueryParams& params, const std::string& key, std::string& value);

// A whole decimal number. Absent: value stays as it is and the answer is true. False when the
// value is not digits only or is above highest.
bool queryNumber(const QueryParams& params, const std::string& key, uint64_t& value,
                 uint64_t highest = UINT64_MAX);

// The answer's JSON text; bytes that are not UTF-8 (file names) become U+FFFD.
std::string answerText(const ViewAnswer& answer);
