#include "known_tag_file.h"

#include <cstring>
#include <unordered_map>

#include "no_case.h"

namespace {

constexpr const char* FieldsExpected = "NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS";

struct PairingWord {
    const char* word;
    KnownPairing pairing;
};
constexpr PairingWord PairingWords[] = {
    {"void", KnownPairing::Void},         {"optional", KnownPairing::Optional},
    {"strict", KnownPairing::Strict},     {"counted", KnownPairing::Counted},
    {"raw", KnownPairing::Raw},           {"foreign", KnownPairing::Foreign},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& text) {
    size_t first = 0, last = text.size();
    while (first < last && isBlank(text[first])) ++first;
    while (last > first && isBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

// A byte a tag or attribute name may hold: what the tag reader would take into a name,
// less the characters that close a tag, start a value or quote, mark a close tag, and
// the "*" and "|" of this format.
bool isNameByte(unsigned char c) {
    if (c < 0x21 || c == 0x7F) return false;
    return strchr("<>/=\"'*|", c) == nullptr;
}

bool isName(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (!isNameByte(c)) return false;
    }
    return true;
}

// An attribute name, or such a name (possibly empty) followed by "*".
bool isAttributePattern(const std::string& text) {
    if (!text.empty() && text.back() == '*') return text.size() == 1 || isName(text.substr(0, text.size() - 1));
    return isName(text);
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = line.find('|', start);
        fields.push_back(trimmed(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
        if (bar == std::string::npos) return fields;
        start = bar + 1;
    }
}

// Reads one line that is neither blank nor a comment into `definition`; gives what is
// wrong with it, or "" when nothing is.
std::string readLine(const std::string& line, KnownTagDefinition& definition) {
    const std::vector<std::string> fields = splitFields(line);
    if (fields.size() > 5) return std::string("more than five fields; expected ") + FieldsExpected;
    definition.name = fields[0];
    if (definition.name.empty()) return std::string("no tag name; expected ") + FieldsExpected;
    const bool everyTag = definition.name == "*";
    if (!everyTag && !isName(definition.name))
        return "'" + definition.name + "' is not a tag name: it holds a space or one of < > / = \" ' * |";

    if (fields.size() > 1 && !fields[1].empty()) {
        bool found = false;
        for (const PairingWord& w : PairingWords) {
            if (equalNoCase(fields[1].c_str(), w.word)) {
                definition.pairing = w.pairing;
                found = true;
            }
        }
        if (!found) return "unknown pairing '" + fields[1] + "': use void, optional, strict, counted, raw or foreign";
        if (everyTag) return "'*' gives attributes only: leave its pairing empty";
    }

    if (fields.size() > 2) {
        definition.description = fields[2];
        if (everyTag && !definition.description.empty())
            return "'*' gives attributes only: leave its description empty";
        if (definition.description.size() > LongestKnownDescription)
            return "description longer than " + std::to_string(LongestKnownDescription) + " characters";
    }

    if (fields.size() > 3) {
        size_t at = 0;
        const std::string& list = fields[3];
        while (at < list.size()) {
            size_t end = at;
            while (end < list.size() && !isBlank(list[end])) ++end;
            std::string attribute = list.substr(at, end - at);
            if (!isAttributePattern(attribute))
                return "'" + attribute + "' is not an attribute name: it holds one of < > / = \" ' | or a \"*\" before its end";
            definition.attributes.push_back(attribute);
            at = end;
            while (at < list.size() && isBlank(list[at])) ++at;
        }
    }

    if (fields.size() > 4 && !fields[4].empty()) {
        if (!equalNoCase(fields[4].c_str(), "obsolete"))
            return "unknown status '" + fields[4] + "': use obsolete or leave it empty";
        if (everyTag) return "'*' gives attributes only: leave its status empty";
        definition.obsolete = true;
    }
    return std::string();
}

}  // namespace

std::vector<KnownTagDefinition> readKnownTags(const char* text, size_t size, const std::string& fileName,
                                              std::vector<std::string>& errors) {
    std::vector<KnownTagDefinition> definitions;
    std::unordered_map<std::string, int> lines;  // the line of each name, by its capitals
    const char* const end = text + size;
    int number = 0;
    for (const char* start = text; start < end;) {
        const char* stop = static_cast<const char*>(memchr(start, '\n', static_cast<size_t>(end - start)));
        if (!stop) stop = end;
        std::string line(start, stop);
        start = stop + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        auto fail = [&](const std::string& problem) {
            errors.push_back(fileName + ":" + std::to_string(number) + ": " + problem);
        };
        if (line.find('\0') != std::string::npos) {
            fail("holds a NUL byte");
            continue;
        }
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;

        KnownTagDefinition definition;
        definition.line = number;
        std::string problem = readLine(content, definition);
        if (problem.empty()) {
            auto first = lines.emplace(capitalised(definition.name), number);
            if (!first.second)
                problem = "'" + definition.name + "' is defined on line " + std::to_string(first.first->second) + " already";
        }
        if (problem.empty()) {
            definitions.push_back(std::move(definition));
        } else {
            fail(problem);
        }
    }
    return definitions;
}
