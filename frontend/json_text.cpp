#include "frontend/json_text.h"

std::string jsonText(const JsonValue& value) {
  return value.dump(-1, ' ', false, JsonValue::error_handler_t::replace);
}

std::string jsonQuoted(const std::string& text) { return jsonText(JsonValue(text)); }
