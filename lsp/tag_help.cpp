#include "tag_help.h"

#include <algorithm>
#include <set>

#include "text.h"

namespace {

// How far back from the cursor a tag's "<" is looked for.
constexpr size_t LongestTagLook = 8192;

bool isTagNameCharacter(char c) {
    return isAsciiLetter(c) || isDigit(c) || c == '-' || c == '_' || c == '.' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool isAttributeNameCharacter(char c) {
    return !isHtmlSpace(c) && c != '=' && c != '>' && c != '/' && c != '<' && c != '"' && c != '\'' && c != '\0';
}

// The nearest "<" at or before the byte `last`, npos when there is none near; whether
// its tag reaches `last` is for placeInTag to tell, since a quoted value may hold a ">".
size_t tagStartAtOrBefore(const std::string& text, size_t last) {
    if (text.empty()) return std::string::npos;
    last = std::min(last, text.size() - 1);
    const size_t floor = last > LongestTagLook ? last - LongestTagLook : 0;
    for (size_t i = last + 1; i > floor;) {
        if (text[--i] == '<') return i;
    }
    return std::string::npos;
}

// Where a byte offset stands in the tag that begins at a "<".
struct TagPlace {
    enum class At { Outside, TagName, AttributeName, Value, Between };
    At at = At::Outside;
    bool close = false;
    size_t nameStart = 0, nameEnd = 0;
    size_t attributeStart = 0, attributeEnd = 0;
};

// Reads the tag at `lessThan` as far as `offset`.
TagPlace placeInTag(const std::string& text, size_t lessThan, size_t offset) {
    using At = TagPlace::At;
    TagPlace place;
    const size_t n = text.size();
    size_t p = lessThan + 1;
    if (p < n && text[p] == '/') {
        place.close = true;
        ++p;
    }
    place.nameStart = p;
    while (p < n && isTagNameCharacter(text[p])) ++p;
    place.nameEnd = p;
    if (place.nameEnd == place.nameStart) return place;
    if (offset <= place.nameEnd) {  // the "<" and "/" count as the name's
        place.at = At::TagName;
        return place;
    }
    auto skipSpaces = [&] {
        while (p < n && isHtmlSpace(text[p])) ++p;
    };
    for (;;) {
        while (p < n && (isHtmlSpace(text[p]) || text[p] == '/')) ++p;
        if (p >= n || text[p] == '>') {
            if (offset <= p) place.at = At::Between;
            return place;
        }
        const size_t start = p;
        while (p < n && isAttributeNameCharacter(text[p])) ++p;
        if (p == start) {
            // A stray quote, "=" or "<": no name, step over it.
            if (offset <= start) {
                place.at = At::Between;
                return place;
            }
            ++p;
            continue;
        }
        if (offset <= p) {
            place.at = offset >= start ? At::AttributeName : At::Between;
            place.attributeStart = start;
            place.attributeEnd = p;
            return place;
        }
        skipSpaces();
        if (p >= n || text[p] != '=') continue;
        ++p;
        skipSpaces();
        size_t valueEnd;
        if (p < n && (text[p] == '"' || text[p] == '\'')) {
            const size_t quote = text.find(text[p], p + 1);
            valueEnd = quote == std::string::npos ? n : quote + 1;
        } else {
            valueEnd = p;
            while (valueEnd < n && !isHtmlSpace(text[valueEnd]) && text[valueEnd] != '>') ++valueEnd;
        }
        if (offset <= valueEnd && offset >= p) {
            place.at = At::Value;
            return place;
        }
        p = valueEnd;
    }
}

// The profile's name of a row as the pages of the profile write it.
std::string tagLabel(const TagProfile& profile, const char* name) {
    return profile.readsAsHtml() ? lowerCased(name) : std::string(name);
}

std::vector<std::string> words(const std::string& spaced) {
    std::vector<std::string> list;
    for (size_t from = 0; from < spaced.size();) {
        const size_t space = spaced.find(' ', from);
        const size_t to = space == std::string::npos ? spaced.size() : space;
        if (to > from) list.push_back(spaced.substr(from, to - from));
        from = to + 1;
    }
    return list;
}

// The attributes every tag takes, without the patterns ("data-*"), which no name completes.
std::vector<std::string> globalAttributes(const TagProfile& profile) {
    std::vector<std::string> list = words(profile.globalAttributeText());
    list.erase(std::remove_if(list.begin(), list.end(), [](const std::string& a) { return a.back() == '*'; }),
               list.end());
    return list;
}

std::string codeList(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "`" : " `") + name + "`";
    return text;
}

std::string describeTag(const TagProfile& profile, const std::string& written) {
    const int r = profile.find(written.c_str());
    const std::string shown = "**`<" + (r >= 0 ? tagLabel(profile, profile.row(r).name) : written) + ">`**";
    const std::string description = profile.describe(written.c_str());
    if (r < 0 && description.empty()) return shown + " is not a tag of the " + profile.name() + " profile.";
    std::string text = shown + (description.empty() ? "" : " " + description);
    if (r < 0) return text;
    const int open = written[0] == '/' ? r - 1 : r;
    if (!profile.checksAttributes(open)) {
        return text + "\n\nThe " + profile.name() + " profile doesn't check its attributes.";
    }
    const std::vector<std::string> own = words(profile.attributeText(open));
    text += "\n\nAttributes: " + (own.empty() ? std::string("none of its own") : codeList(own));
    const std::string globals = profile.globalAttributeText();
    if (!globals.empty()) text += "\n\nOn every tag: " + codeList(words(globals));
    return text;
}

std::string describeAttribute(const TagProfile& profile, const std::string& tag, const std::string& attribute) {
    const std::string shown = "**`" + attribute + "`**";
    const int r = profile.find(tag.c_str());
    if (r < 0) {
        if (!profile.describe(tag.c_str())[0]) {
            return shown + " on `<" + tag + ">`, which is not a tag of the " + profile.name() + " profile.";
        }
        return shown + " on `<" + tag + ">` (" + profile.describe(tag.c_str()) + "): any attribute is accepted.";
    }
    const std::string on = shown + " on `<" + tagLabel(profile, profile.row(r).name) + ">`";
    if (!profile.checksAttributes(r)) return on + ": the " + profile.name() + " profile doesn't check its attributes.";
    if (!profile.hasAttribute(attribute.c_str(), r)) {
        return on + ": not accepted by the " + profile.name() + " profile.";
    }
    bool ownAttribute = false;
    for (const std::string& a : words(profile.attributeText(r))) ownAttribute = ownAttribute || a == attribute;
    return on + ": accepted by the " + profile.name() + " profile" + (ownAttribute ? "." : ", as on every tag.");
}

}  // namespace

NameAtOffset findNameAt(const std::string& text, size_t offset) {
    NameAtOffset name;
    offset = std::min(offset, text.size());
    const size_t lessThan = tagStartAtOrBefore(text, offset);
    if (lessThan == std::string::npos) return name;
    const TagPlace place = placeInTag(text, lessThan, offset);
    const std::string tag = (place.close ? "/" : "") + text.substr(place.nameStart, place.nameEnd - place.nameStart);
    if (place.at == TagPlace::At::TagName) {
        name.kind = NameAtOffset::Kind::TagName;
        name.start = place.nameStart;
        name.end = place.nameEnd;
    } else if (place.at == TagPlace::At::AttributeName && !place.close) {
        name.kind = NameAtOffset::Kind::AttributeName;
        name.attribute = text.substr(place.attributeStart, place.attributeEnd - place.attributeStart);
        name.start = place.attributeStart;
        name.end = place.attributeEnd;
    } else {
        return name;
    }
    name.tag = tag;
    return name;
}

std::string describeName(const TagProfile& profile, const NameAtOffset& name) {
    switch (name.kind) {
    case NameAtOffset::Kind::TagName:
        return describeTag(profile, name.tag);
    case NameAtOffset::Kind::AttributeName:
        return describeAttribute(profile, name.tag, name.attribute);
    case NameAtOffset::Kind::None:
        break;
    }
    return std::string();
}

std::vector<CompletionChoice> completionsAt(const TagProfile& profile, const std::string& text, size_t offset) {
    std::vector<CompletionChoice> choices;
    offset = std::min(offset, text.size());
    size_t word = offset;
    while (word > 0 && isTagNameCharacter(text[word - 1])) --word;
    const bool afterLessThan = word >= 1 && text[word - 1] == '<';
    const bool afterCloseOpener = word >= 2 && text[word - 1] == '/' && text[word - 2] == '<';
    if (afterLessThan || afterCloseOpener) {
        for (int r = 0; r < profile.rowCount(); ++r) {
            const char* name = profile.row(r).name;
            if (name[0] == '!' && name[1] == '-') continue;  // the comment opener is no name to type
            if ((name[0] == '/') != afterCloseOpener) continue;
            choices.push_back({tagLabel(profile, afterCloseOpener ? name + 1 : name), profile.row(r).description});
        }
        return choices;
    }
    if (offset == 0) return choices;
    const size_t lessThan = tagStartAtOrBefore(text, offset - 1);
    if (lessThan == std::string::npos) return choices;
    const TagPlace place = placeInTag(text, lessThan, offset);
    const bool afterSpace =
        (place.at == TagPlace::At::Between && isHtmlSpace(text[offset - 1])) ||
        (place.at == TagPlace::At::AttributeName && isHtmlSpace(text[place.attributeStart - 1]));
    if (place.close || !afterSpace) return choices;
    const std::string tag = text.substr(place.nameStart, place.nameEnd - place.nameStart);
    const int r = profile.find(tag.c_str());
    std::set<std::string> offered;
    if (r >= 0) {
        const std::string detail = "attribute of <" + tagLabel(profile, profile.row(r).name) + ">";
        for (const std::string& a : words(profile.attributeText(r))) {
            if (offered.insert(a).second) choices.push_back({a, detail});
        }
    }
    for (const std::string& a : globalAttributes(profile)) {
        if (offered.insert(a).second) choices.push_back({a, "attribute of every tag"});
    }
    return choices;
}
