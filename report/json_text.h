// JSON text as every printer writes it: a byte that isn't part of valid UTF-8 becomes
// U+FFFD, so the output is valid UTF-8 whatever a page or a path holds.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

using JsonValue = nlohmann::ordered_json;

std::string jsonText(const JsonValue& value);
// The JSON string of `text`, appended to `out`.
void appendJsonString(std::string& out, const std::string& text);
