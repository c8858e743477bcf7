// JSON as the command line and the viewer write it: nlohmann-json objects that keep their keys in
// the order they were set, written on one line.
#pragma once
#include <nlohmann/json.hpp>
#include <string>

using JsonValue = nlohmann::ordered_json;

// The value on one line, without a line end. Bytes of a string that are not well-formed UTF-8 (a
// file name in another encoding) become U+FFFD, so the result is always valid JSON.
std::string jsonText(const JsonValue& value);

// A JSON string literal, quotes included, by the same rules.
std::string jsonQuoted(const std::string& text);
