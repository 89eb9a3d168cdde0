#include "json_text.h"

#include <algorithm>

std::string jsonText(const JsonValue& value) { return value.dump(-1, ' ', false, JsonValue::error_handler_t::replace); }

void appendJsonString(std::string& out, const std::string& text) {
    // Most texts need no escape, and are written without the library's cost.
    const bool plain =
        std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; });
    if (!plain) {
        out += jsonText(text);
        return;
    }
    out += '"';
    out += text;
    out += '"';
}
