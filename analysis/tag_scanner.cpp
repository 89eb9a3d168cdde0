#include "tag_scanner.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "byte_scan.h"
#include "text.h"

namespace {

bool isQuote(char c) { return c == '"' || c == '\''; }

// What ends a piece of a tag read as HTML, one table look a byte instead of a comparison
// for each.
enum ByteClass : uint8_t {
    TagSpace = 1,        // isTagSpace
    EndsName = 2,        // a tag's or an attribute's name: white space, "/", ">" (and "<", looked at)
    EndsAttribute = 4,   // an attribute's name also ends at "="
    EndsValue = 8,       // an unquoted value: white space, ">" (and "<", a quote, looked at)
    LessThan = 16,
    Quote = 32,
};
constexpr std::array<uint8_t, 256> byteClasses() {
    std::array<uint8_t, 256> classes{};
    for (const char c : {' ', '\n', '\t', '\r', '\f', '\0'}) classes[static_cast<unsigned char>(c)] |= TagSpace | EndsName | EndsAttribute | EndsValue;
    for (const char c : {'/', '>'}) classes[static_cast<unsigned char>(c)] |= EndsName | EndsAttribute;
    classes['>'] |= EndsValue;
    classes['='] |= EndsAttribute;
    classes['<'] |= LessThan | EndsName | EndsAttribute | EndsValue;
    classes['"'] |= Quote | EndsAttribute | EndsValue;
    classes['\''] |= Quote | EndsAttribute | EndsValue;
    return classes;
}
constexpr std::array<uint8_t, 256> ByteClasses = byteClasses();
inline uint8_t classOf(char c) { return ByteClasses[static_cast<unsigned char>(c)]; }

// True when the "<" at `p` starts a tag in running text: a letter, "/", "!" or "?" follows.
bool startsTag(const char* p) { return isAsciiLetter(p[1]) || p[1] == '/' || p[1] == '!' || p[1] == '?'; }

// With `p` on a "<", gives the position after the tag's closing ">" (for a comment, the
// first ">" preceded by "-"), or the NUL that ends the text first.
char* afterTag(char* p, bool comment) {
    for (;;) {
#ifdef __GLIBC__
        p = strchrnul(p + 1, '>');
#else
        do ++p; while (*p && *p != '>');
#endif
        if (*p == '\0') return p;
        if (!comment || p[-1] == '-') return p + 1;
    }
}

// Copies the name from `from` to `to` of a text ending at `textEnd`, after a "/" for a
// close tag, at most `length` characters in all. Gives the name's length. The bytes after
// it are zeros up to the 16th, as the row cache reads them.
inline uint32_t copyName(char* name, bool closing, const char* from, const char* to, int length, const char* textEnd) {
    const size_t n = closing ? 1 : 0;
    const size_t room = static_cast<size_t>(std::min(length, ScannedNameSize - 1));
    const size_t taken = std::min(static_cast<size_t>(to - from), room > n ? room - n : 0);
    // A close tag's "/" stands right before its name in the text: copied with it, the name
    // is one store, which the row cache can read back at once (bytes stored apart make
    // that read wait until they have all reached memory).
    if (closing) {
        byte_scan::copyPadded(name, from - 1, n + taken, textEnd);
    } else {
        byte_scan::copyPadded(name, from, taken, textEnd);
    }
    if (n + taken >= 16) name[n + taken] = '\0';
    return static_cast<uint32_t>(n + taken);
}

// Gives the first ">" at or after `from`, or null.
const char* findGreaterThan(const char* from, const char* end) {
    return static_cast<const char*>(memchr(from, '>', static_cast<size_t>(end - from)));
}

}  // namespace

RowCache::RowCache() {
    for (Slot& slot : slots_) slot = {{0, 0}, UINT32_MAX, -1};
}

int RowCache::rowOf(const TagProfile& profile, const char* name, uint32_t length) {
    static_assert(ScannedNameSize >= 16, "a name buffer holds the key's 16 bytes");
    if (length > 16) return profile.find(name);
    uint64_t words[2];
    memcpy(&words[0], name, 8);
    memcpy(&words[1], name + 8, 8);
    const uint64_t hash = (words[0] * 0x9E3779B97F4A7C15u) ^ (words[1] * 0xC2B2AE3D27D4EB4Fu) ^ length;
    Slot& slot = slots_[hash >> 56];
    if (slot.length != length || slot.words[0] != words[0] || slot.words[1] != words[1])
        slot = {{words[0], words[1]}, length, profile.find(name)};
    return slot.row;
}

bool startsNestedTag(const char* p) {
    return isAsciiLetter(p[1]) || (p[1] == '/' && isAsciiLetter(p[2])) || (p[1] == '!' && p[2] == '-' && p[3] == '-');
}

TagScanner::TagScanner(Document& document, const TagProfile& profile, TagReading reading)
    : document_(document), profile_(profile), reading_(reading), html_(profile.readsAsHtml()) {
    document_.resetScan();
    // A byte order mark is no character of the first line: columns count from after it.
    textStart_ = document_.size >= 3 && memcmp(document_.text, "\xEF\xBB\xBF", 3) == 0 ? document_.text + 3
                                                                                     : document_.text;
    lineStart_ = textStart_;
    lineStartLine_ = 0;
}

bool TagScanner::next() {
    attributesRead_ = false;
    return html_ ? nextHtml() : next32();
}

const std::vector<ScannedAttribute>& TagScanner::readAttributes32() {
    attributesRead_ = true;
    attributes_.clear();
    if (tag_.row < 0 || tag_.text == nullptr) return attributes_;
    // The 1990s reading: past the "<" and as many characters as the row's name has, never
    // past the NUL that ends a tag cut off by the end of the text.
    const char* p = tag_.text + 1;
    for (size_t k = profile_.rowNameLength(tag_.row); k > 0 && *p != '\0'; --k) ++p;
    while (*p != '>' && *p != '\0') {
        const char* from = p;
        while (*from == ' ') ++from;
        // The name is read where it stands, so its length is how far the reading went.
        const char* stop = attributeNameEnd(from, profile_.nameLength());
        const char* end = attributeEnd(stop);
        p = *end == ' ' ? end + 1 : end;
        if (stop == from) continue;
        // Written in place: a record built aside from single fields and copied in whole is
        // read back before those stores have reached memory, and waits for them.
        ScannedAttribute& attribute = attributes_.emplace_back();
        attribute.name = from;
        attribute.length = static_cast<uint32_t>(stop - from);
        attribute.suspect = false;
        if (*stop == '=') {
            const char* value = stop + 1;
            const char* valueEnd = end;
            attribute.quoted = *value == '"';
            if (attribute.quoted) {
                ++value;
                const char* close = static_cast<const char*>(memchr(value, '"', static_cast<size_t>(end - value)));
                if (close) valueEnd = close;
            }
            attribute.value = value;
            attribute.valueLength = static_cast<uint32_t>(valueEnd - value);
        }
    }
    return attributes_;
}

TextPosition TagScanner::positionOf(const char* p) {
    // Most places asked for lie a little after the last one, on its line or a few lines
    // on, or else on the scan's line or a few lines around it: counted from there, a page
    // with faults never needs the index of all its lines, and a long line is not counted
    // over from its start for each fault on it.
    constexpr ptrdiff_t Near = 4096;
    TextPosition at;
    // The count goes on from the last place when that is an ASCII byte: no character
    // spans it, so the characters before and after it add up.
    if (asked_.at && p >= asked_.at && p - asked_.at <= Near && static_cast<unsigned char>(*asked_.at) < 0x80) {
        int32_t line = asked_.line - 1;
        const char* last = byte_scan::lineFeeds(asked_.at, p, document_.text, line);
        at = {line + 1, last ? columnOf(last + 1, p) : asked_.column + columnOf(asked_.at, p) - 1};
    } else if (lineStart_ && p >= lineStart_ - Near && p - lineStart_ <= Near) {
        int32_t line = lineStartLine_;
        const char* start = lineStart_;
        if (const char* last = p > start ? byte_scan::lineFeeds(start, p, document_.text, line) : nullptr) start = last + 1;
        while (start > p) {
            // p is on an earlier line: back to the start of the line before.
            --line;
            --start;
            while (start > textStart_ && start[-1] != '\n') --start;
        }
        at = {line + 1, columnOf(start, p)};
    } else {
        const std::string_view text(document_.text, document_.size);
        if (!lines_) lines_.emplace(text, LineBreaks::LineFeed);
        const LinePlace place = lines_->placeOf(text, static_cast<size_t>(p - document_.text), ColumnUnit::Character);
        const int32_t mark = place.line == 0 && textStart_ != document_.text ? 1 : 0;
        at = {static_cast<int32_t>(place.line) + 1, static_cast<int32_t>(place.column) + 1 - mark};
    }
    asked_ = {p, at.line, at.column};
    return at;
}

void TagScanner::moveTo(const char* p) {
    if (const char* last = byte_scan::lineFeeds(document_.cursor, p, document_.text, document_.line)) lineStart_ = last + 1;
    lineStartLine_ = document_.line;
    document_.cursor = const_cast<char*>(p);
}

// The 1990s reading: every "<" starts a tag, which ends at its first ">" (a comment's at
// the first "->").
bool TagScanner::next32() {
    if (skipPending_) skipBody32();
    // Uncollected, a tag has no line to show.
    if (!document_.advanceToTag(reading_.collectsText)) return false;
    tag_.start = document_.cursor;
    const char* lessThan = tag_.start;  // of the text the name is read from
    if (reading_.collectsText) {
        tag_.line = document_.line + 1;
        const int32_t plain = reading_.inPlace ? document_.passPlainTag() : -1;
        if (plain >= 0) {
            tag_.length = plain;
        } else {
            tag_.length = document_.collectTag();
            lessThan = document_.tagBuffer;
        }
        tag_.text = lessThan;
        tag_.end = document_.cursor;
        tag_.lastLine = document_.line + 1;
    }
    tag_.closing = lessThan[1] == '/';
    const bool afterSlash = tag_.closing && reading_.nameLimit == NameLimit::ProfileLengthAfterSlash;
    const int limit = profile_.nameLength() + (reading_.nameLimit == NameLimit::OneMore ? 1 : 0);
    bool commentWord = false;
    const int read = tagWordLength(lessThan + (afterSlash ? 1 : 0), limit, commentWord);
    // The name, a close tag's "/" with it, in one store: the caches read it back at once.
    tag_.nameLength = static_cast<uint32_t>(read + (afterSlash ? 1 : 0));
    // Read in one load and stored in one, the name can be read back at once; the load may
    // pass the tag, not the text or the buffer it stands in.
    const char* readable = lessThan == document_.tagBuffer ? document_.tagBufferEnd() : document_.end;
    byte_scan::copyPadded(tag_.name, lessThan + 1, tag_.nameLength, readable);
    if (tag_.nameLength >= 16) tag_.name[tag_.nameLength] = '\0';

    int bodyRow = -1;  // the row whose body follows the tag, if it is skipped
    if (reading_.bodies == BodySkip::ExactRow) {
        // The row cache's key is the name and zeros up to its 16th byte, as copied.
        tag_.row = rows_.rowOf(profile_, tag_.name, tag_.nameLength);
        tag_.comment = tag_.row >= 0 && tag_.row == profile_.commentRow();
        if (tag_.row >= 0 && !tag_.comment && (profile_.opensText(tag_.row) || profile_.opensForeign(tag_.row)))
            bodyRow = tag_.row;
    } else {
        tag_.row = -1;
        tag_.comment = commentWord;
        // A close tag's "/" begins no row's name.
        if (const int* known = bodies_.findPadded(tag_.name, tag_.nameLength, 0)) {
            bodyRow = *known;
        } else {
            bodyRow = profile_.skippedBodyEnd(tag_.name) - 1;
            bodies_.keep(tag_.name, tag_.nameLength, 0, bodyRow);
        }
    }
    // Only an svg's "/>" makes a difference to the 1990s reading: it has no body.
    tag_.selfClosing = bodyRow >= 0 && profile_.opensForeign(bodyRow) && tagSelfCloses(lessThan);
    skipRow_ = bodyRow;
    skipPending_ = bodyRow >= 0 && !tag_.selfClosing;
    // Uncollected, the tag is passed uncounted; a text body is looked through from its "<".
    if (!reading_.collectsText) {
        if (bodyRow < 0 || profile_.opensForeign(bodyRow))
            document_.cursor = afterTag(document_.cursor, bodyRow < 0 && tag_.comment);
        tag_.end = document_.cursor;
    }
    return true;
}

void TagScanner::skipBody32() {
    skipPending_ = false;
    const int row = skipRow_;
    if (profile_.opensText(row)) {
        document_.skipToClosingTag(profile_.row(row + 1).name);
    } else {
        document_.skipToMatchingClosingTag(profile_.row(row).name, profile_.row(row + 1).name);
    }
}

bool TagScanner::nextHtml() {
    if (skipPending_) skipHtmlBody();
    const char* const end = document_.end;
    for (;;) {
        byte_scan::prefetchAhead(document_.cursor);
        const char* lastFeed = nullptr;
        const char* lessThan = byte_scan::lessThanAndFeeds(document_.cursor, end, document_.text, document_.line, lastFeed);
        if (lastFeed) lineStart_ = lastFeed + 1;
        lineStartLine_ = document_.line;
        document_.cursor = const_cast<char*>(lessThan ? lessThan : end);
        if (lessThan == nullptr) return false;
        if (!startsTag(lessThan)) {
            ++document_.cursor;  // a "<" in running text
            continue;
        }
        tag_.line = document_.line + 1;
        tag_.lineStart = lineStart_;
        if (readHtmlTag(lessThan, tag_, &attributes_)) {
            moveTo(tag_.end);
        } else {
            document_.cursor = const_cast<char*>(tag_.end);
        }
        tag_.lastLine = document_.line + 1;
        tag_.row = tag_.comment ? profile_.commentRow() : rows_.rowOf(profile_, tag_.name, tag_.nameLength);
        tag_.text = nullptr;
        if (reading_.collectsText) {
            tag_.length = document_.collectText(tag_.start, tag_.end, tag_.finished);
            tag_.text = document_.tagBuffer;
        }
        skipRow_ = tag_.row;
        skipPending_ = !tag_.closing && tag_.row >= 0 && !tag_.comment &&
                       (profile_.opensText(tag_.row) || (profile_.opensForeign(tag_.row) && !tag_.selfClosing));
        return true;
    }
}

bool TagScanner::readHtmlTag(const char* lessThan, ScannedTag& tag, std::vector<ScannedAttribute>* attributes) const {
    const char* const end = document_.end;
    const int length = profile_.nameLength();
    tag.start = lessThan;
    tag.closing = tag.comment = tag.selfClosing = tag.brokenQuotes = false;
    tag.finished = true;
    if (attributes) attributes->clear();

    const char c1 = lessThan[1];
    if (c1 == '!' && lessThan[2] == '-' && lessThan[3] == '-') {
        // A comment ends at "-->" (or "--!>"); "<!-->" and "<!--->" are whole ones.
        tag.comment = true;
        strcpy(tag.name, "!-");
        tag.nameLength = 2;
        for (const char* p = lessThan + 4;;) {
            const char* gt = findGreaterThan(p - 2, end);
            if (gt == nullptr) {
                tag.finished = false;
                tag.end = end;
                return true;
            }
            if ((gt[-1] == '-' && gt[-2] == '-') || (gt - 3 >= lessThan + 2 && gt[-1] == '!' && gt[-2] == '-' && gt[-3] == '-')) {
                tag.end = gt + 1;
                return true;
            }
            p = gt + 3;
        }
    }
    const bool closing = c1 == '/';
    const char* nameStart = lessThan + (closing ? 2 : 1);
    if (c1 == '!' || c1 == '?' || (closing && !isAsciiLetter(lessThan[2]))) {
        // A declaration, a processing instruction or a stray "</": up to the first ">".
        const char* p = lessThan + 1;
        while (p < end && !isTagSpace(*p) && *p != '>') {
            ++p;
            if (p[-1] == '-' && p - 2 == lessThan + 1 && p[-2] == '!') break;  // "<!-" reads as "!-"
        }
        tag.nameLength = copyName(tag.name, false, lessThan + 1, p, length, end);
        tag.closing = closing;
        const char* gt = findGreaterThan(p, end);
        tag.finished = gt != nullptr;
        tag.end = gt ? gt + 1 : end;
        return true;
    }
    tag.closing = closing;
    // The NUL after the text ends a name: the loops over its bytes need no other bound.
    const char* p = nameStart;
    while (!(classOf(*p) & EndsName)) ++p;
    while (p < end && *p == '<' && !startsNestedTag(p)) {
        for (++p; !(classOf(*p) & EndsName);) ++p;
    }
    tag.nameLength = copyName(tag.name, closing, nameStart, p, length, end);
    // Most tags end with their name.
    if (p < end && *p == '>') {
        tag.end = p + 1;
        return false;
    }
    readHtmlAttributes(p, tag, attributes);
    return true;
}

void TagScanner::readHtmlAttributes(const char* p, ScannedTag& tag, std::vector<ScannedAttribute>* attributes) const {
    const char* const end = document_.end;
    const uint32_t longest = static_cast<uint32_t>(profile_.nameLength());
    // Broken quoting ends the tag at its first ">" after the quote that broke it.
    auto endAtGreaterThan = [&](const char* from) {
        tag.brokenQuotes = true;
        const char* gt = findGreaterThan(from, end);
        tag.finished = gt != nullptr;
        tag.end = gt ? gt + 1 : end;
    };
    auto unfinished = [&](const char* at) {
        tag.finished = false;
        tag.end = at;
    };
    bool afterQuote = false;  // the last value's closing quote stands right before p
    for (;;) {
        if (p < end && (classOf(*p) & TagSpace)) afterQuote = false;
        while (p < end && (classOf(*p) & TagSpace)) ++p;
        if (p >= end) return unfinished(end);
        const char c = *p;
        if (c == '>') {
            tag.end = p + 1;
            return;
        }
        if (c == '/') {
            if (p[1] == '>') {
                tag.selfClosing = true;
                tag.end = p + 2;
                return;
            }
            ++p;
            continue;
        }
        if (c == '<' && startsNestedTag(p)) return unfinished(p);

        // A name: its first character may be anything, an "=" too.
        const char* name = p;
        bool quoted = isQuote(c);
        // Up to the NUL after the text at the most, as the value's loop below.
        for (++p;; ++p) {
            const uint8_t k = classOf(*p);
            if (!(k & EndsAttribute)) continue;
            if (k & Quote) {
                quoted = true;
                continue;
            }
            if (!(k & LessThan) || startsNestedTag(p)) break;
        }
        if (quoted) tag.brokenQuotes = true;
        ScannedAttribute* attribute = nullptr;
        if (attributes) {
            // Written in place: a record built aside from single fields and copied in whole
            // is read back before those stores have reached memory, and waits for them.
            attribute = &attributes->emplace_back();
            attribute->name = name;
            attribute->length = std::min(static_cast<uint32_t>(p - name), longest);
            attribute->suspect = quoted || afterQuote;
        }
        auto setValue = [&](const char* from, const char* to, bool quotedValue) {
            if (!attribute) return;
            attribute->value = from;
            attribute->valueLength = static_cast<uint32_t>(to - from);
            attribute->quoted = quotedValue;
        };
        afterQuote = false;

        const char* q = p;
        while (q < end && (classOf(*q) & TagSpace)) ++q;
        if (q >= end || *q != '=') {
            p = q;
            continue;
        }
        for (p = q + 1; p < end && (classOf(*p) & TagSpace);) ++p;
        if (p >= end) return unfinished(end);
        if (isQuote(*p)) {
            const char* open = p;
            bool greaterThan = false;
            const char* close = byte_scan::closingQuote(open + 1, end, *open, greaterThan);
            // A ">" in a quoted value is allowed; but when more of a name follows the
            // closing quote, that quote opened the next value and this one's was lost.
            const char after = close < end ? close[1] : '\0';
            if (close == end ||
                (greaterThan && close + 1 < end && !(classOf(after) & TagSpace) && after != '/' && after != '>')) {
                endAtGreaterThan(open);
                return setValue(open + 1, tag.finished ? tag.end - 1 : tag.end, true);
            }
            setValue(open + 1, close, true);
            p = close + 1;
            afterQuote = true;
            continue;
        }
        const char* value = p;
        for (;; ++p) {
            const uint8_t k = classOf(*p);
            if (!(k & EndsValue)) continue;
            if (k & Quote) {
                tag.brokenQuotes = true;
                continue;
            }
            if (!(k & LessThan) || startsNestedTag(p)) break;
        }
        setValue(value, p, false);
    }
}

void TagScanner::skipHtmlBody() {
    skipPending_ = false;
    const char* const end = document_.end;
    const char* openName = profile_.row(skipRow_).name;
    const size_t length = strlen(openName);
    auto endsName = [](char c) { return isTagSpace(c) || c == '/' || c == '>'; };
    if (profile_.opensText(skipRow_)) {
        // Text up to the first close tag of the element's name.
        for (const char* p = document_.cursor;; ++p) {
            p = static_cast<const char*>(memchr(p, '<', static_cast<size_t>(end - p)));
            if (p == nullptr) return moveTo(end);
            if (p[1] == '/' && static_cast<size_t>(end - p) > length + 2 &&
                startsWithTagName(p + 2, openName) && endsName(p[2 + length]))
                return moveTo(p);
            if (p + 1 >= end) return moveTo(end);
        }
    }
    // Another vocabulary: its own tags, read as HTML reads them, up to the matching close tag.
    ScannedTag inner;
    for (int depth = 1;;) {
        const char* cursor = document_.cursor;
        const char* p = cursor < end ? static_cast<const char*>(memchr(cursor, '<', static_cast<size_t>(end - cursor))) : nullptr;
        if (p == nullptr) return moveTo(end);
        if (!startsTag(p)) {
            moveTo(p + 1);
            continue;
        }
        readHtmlTag(p, inner, nullptr);
        const char* bare = inner.name + (inner.closing ? 1 : 0);
        if (!inner.comment && equalNoCase(bare, openName)) {
            if (inner.closing && --depth == 0) return moveTo(p);
            if (!inner.closing && !inner.selfClosing) ++depth;
        }
        moveTo(inner.end);
    }
}
