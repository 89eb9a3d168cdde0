#include "document_check.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string_view>

#include "element_stack.h"
#include "inline_exceptions.h"
#include "page_links.h"
#include "text.h"
#include "url_check.h"

namespace {

// Indexed by ProblemKind.
const char* const KindIds[ProblemKindCount] = {
    "unknown-tag", "unknown-attribute", "unbalanced-quotes", "open-before-close", "close-without-open",
    "more-closes-than-opens", "cell-outside-table", "unbalanced-tags", "obsolete-tag", "unfinished-tag",
    "not-closed", "crossing-close", "void-close",
    "duplicate-id", "missing-id", "missing-anchor", "bad-url",
    "unknown-directive-kind",
};

uint32_t offsetIn(const Document& document, const char* p) { return static_cast<uint32_t>(p - document.text); }

void report(CheckRun& run, ProblemKind kind, const char* name, const char* tag = "", int32_t count = 0) {
    const bool atEnd = kind == ProblemKind::UnbalancedTags;
    run.sink.report(Problem{kind, atEnd ? NoLine : run.document.line + 1, NoColumn, name, tag, count, 0,
                            atEnd ? NoOffset : run.tagOffset, atEnd ? NoOffset : run.tagEndOffset});
}

// The 1990s check's problems come in line order as its scan meets them; but a directive
// later on the same line applies to them as well, so each line's problems wait until a
// problem of a later line, or the end, comes, and only then go to the sink unless left out.
class LineByLine : public ProblemSink {
public:
    // `directives`: whether the page may hold any; without, each problem goes straight on.
    LineByLine(ProblemSink& sink, InlineExceptions& exceptions, const CheckOptions& options, bool directives)
        : sink_(sink), exceptions_(exceptions), ignored_(options.ignored), directives_(directives) {}

    void report(const Problem& problem) override {
        if (ignored_.test(static_cast<size_t>(problem.kind))) return;
        if (!directives_) {
            sink_.report(problem);
            ++handed_;
            return;
        }
        if (!waiting_.empty() && waiting_.front().problem.line != problem.line) handOver();
        waiting_.push_back({problem, problem.name, problem.tag, problem.detail});
    }
    // Hands over the problems still waiting; gives the number handed over in all.
    int32_t finish() {
        handOver();
        return handed_;
    }

private:
    struct Waiting {
        Problem problem;
        std::string name;
        std::string tag;
        std::string detail;
    };

    void handOver() {
        for (Waiting& w : waiting_) {
            if (exceptions_.leavesOut(w.problem.kind, w.problem.line)) continue;
            w.problem.name = w.name.c_str();
            w.problem.tag = w.tag.c_str();
            w.problem.detail = w.detail.c_str();
            sink_.report(w.problem);
            ++handed_;
        }
        waiting_.clear();
    }

    ProblemSink& sink_;
    InlineExceptions& exceptions_;
    const ProblemKinds& ignored_;
    const bool directives_;
    std::vector<Waiting> waiting_;
    int32_t handed_ = 0;
};

// The check of a page read as HTML: each problem is held until the page ends, so that
// the problems of the element stack, found when an element closes, take their place
// among the others, and the page's directives, all read by then, leave theirs out.
class HtmlCheck : public StructureSink {
public:
    HtmlCheck(Document& document, const TagProfile& profile)
        : document_(document), profile_(profile), scanner_(document, profile, TagsOnly),
          stack_(profile, *this), exceptions_(profile), valueLetters_(static_cast<size_t>(profile.rowCount()), 0) {
        // The first letters of the names each row reads values of: most attributes are
        // passed over on one look.
        for (const ValueAttribute& v : profile.globalValueAttributes()) globalLetters_ |= letterBit(v.name[0]);
        for (int r = 0; r < profile.rowCount(); ++r) {
            uint32_t& letters = valueLetters_[static_cast<size_t>(r)];
            for (const ValueAttribute& v : profile.valueAttributes(r)) letters |= letterBit(v.name[0]);
            for (const AttributeUse& use : profile.links(r).anchors) letters |= letterBit(use.name[0]);
        }
    }

    int32_t run(ProblemSink& sink, const CheckOptions& options);

    void notClosed(const StackTag& element, const StackTag* closedBy) override {
        std::string cause = closedBy ? std::string(closedBy->at[1] == '/' ? "/" : "") + nameOf(*closedBy) : "";
        hold(ProblemKind::NotClosed, element, nameOf(element), cause, closedBy ? closedBy->line : 0);
    }
    void crossing(const StackTag& closing, const StackTag& crossed) override {
        hold(ProblemKind::CrossingClose, closing, "/" + nameOf(closing), nameOf(crossed), crossed.line);
    }
    void closeWithoutOpen(const StackTag& closing) override {
        hold(ProblemKind::CloseWithoutOpen, closing, "/" + nameOf(closing));
    }

private:
    struct Held {
        ProblemKind kind;
        int32_t line;
        int32_t column;
        int32_t relatedLine;
        std::string name;
        std::string tag;
        uint32_t offset;
        uint32_t endOffset;
        std::string detail = std::string();
        int32_t count = 0;
    };

    // A name some element gives itself (an id, an anchor's or a map's name), or that a
    // value asks for, as a fragment or an id must match it: character references decoded.
    struct Named {
        std::string_view text;
        const char* at;       // where it begins in the document's text
        uint32_t rawLength;   // its bytes there
    };
    // A reference resolved once the page's names are all known.
    struct Wanted {
        Named named;
        ValueRole role;             // IdRef (one of a list too), MapRef, or Url for a fragment
        const std::string* attribute;  // the table's, lower case
        int row;                    // of its element; -1 for a custom element
        const char* tagName;        // as written, for a custom element
        uint32_t tagNameLength;
        std::string_view anchor;    // for a fragment, the anchor it names (percent-decoded)
    };

    // One bit for each letter a name may begin with, folded; bit 26 for anything else.
    static uint32_t letterBit(char c) {
        const char lower = static_cast<char>(c | 0x20);
        return lower >= 'a' && lower <= 'z' ? 1u << (lower - 'a') : 1u << 26;
    }
    static std::string nameOf(const StackTag& tag) { return std::string(tag.name, tag.nameLength); }
    void hold(ProblemKind kind, const StackTag& placed, std::string name, std::string tag = std::string(),
              int32_t relatedLine = 0) {
        held_.push_back({kind, placed.line, columnOf(placed.lineStart, placed.at), relatedLine, std::move(name),
                         std::move(tag), offsetIn(document_, placed.at), offsetIn(document_, placed.end)});
    }
    void holdAtTag(ProblemKind kind, std::string name, std::string tag = std::string()) {
        const ScannedTag& t = scanner_.tag();
        held_.push_back({kind, t.line, columnOf(t.lineStart, t.start), 0, std::move(name), std::move(tag),
                         offsetIn(document_, t.start), offsetIn(document_, t.end)});
    }
    void checkTag();
    void checkComment();
    void checkAttributes(int row, bool custom);
    void readValues(int row, bool custom);
    void readValue(const ScannedAttribute& a, std::string_view value, ValueRole role, const std::string* attribute,
                   int row);
    void checkUrlValue(const ScannedAttribute& a, std::string_view value, size_t offset, size_t length,
                       const std::string* attribute);
    void resolveReferences();
    std::string_view kept(const std::string& decoded);
    Named namedPiece(const ScannedAttribute& a, std::string_view value, size_t offset, size_t length);
    void holdAt(ProblemKind kind, const Named& named, std::string name, std::string tag, std::string detail,
                int32_t count = 0, int32_t relatedLine = 0);

    Document& document_;
    const TagProfile& profile_;
    TagScanner scanner_;
    ElementStack stack_;
    std::vector<Held> held_;
    InlineExceptions exceptions_;
    std::vector<std::string> unknownWords_;
    std::vector<Named> ids_;      // in document order
    std::vector<Named> anchors_;  // the names of a, besides the ids
    std::vector<Named> maps_;     // the names of map
    std::vector<Wanted> wanted_;
    std::vector<uint32_t> valueLetters_;  // by row, letterBit of its names
    uint32_t globalLetters_ = letterBit('i');  // of every row's, and of id
    std::deque<std::string> decoded_;  // the values that had character references
    std::string scratch_;
    std::string anchor_;  // the fragment of a URL, decoded
};

int32_t HtmlCheck::run(ProblemSink& sink, const CheckOptions& options) {
    while (scanner_.next()) checkTag();
    stack_.finish();
    resolveReferences();
    std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    int32_t handed = 0;
    for (const Held& h : held_) {
        if (options.ignored.test(static_cast<size_t>(h.kind)) || exceptions_.leavesOut(h.kind, h.line)) continue;
        sink.report(Problem{h.kind, h.line, h.column, h.name.c_str(), h.tag.c_str(), h.count, h.relatedLine, h.offset,
                            h.endOffset, h.detail.c_str()});
        ++handed;
    }
    return handed;
}

void HtmlCheck::checkComment() {
    const ScannedTag& tag = scanner_.tag();
    if (!tag.finished) {
        holdAtTag(ProblemKind::UnfinishedTag, "!--");
        return;
    }
    // Between "<!--" and the ">" of its closer.
    exceptions_.readComment(tag.start + 4, tag.end - 1, tag.line, tag.lastLine, unknownWords_);
    for (std::string& word : unknownWords_) holdAtTag(ProblemKind::UnknownDirectiveKind, std::move(word));
}

void HtmlCheck::checkTag() {
    const ScannedTag& tag = scanner_.tag();
    if (tag.comment) return checkComment();
    const char* bare = tag.closing ? tag.name + 1 : tag.name;
    int row = tag.row;
    const bool custom = row < 0 && profile_.isCustomElement(bare);
    if (row < 0 && !custom) {
        const int open = profile_.find(bare);
        if (tag.closing && open >= 0 && profile_.row(open).kind == PairVoid) {
            holdAtTag(ProblemKind::VoidClose, tag.name);
        } else {
            holdAtTag(ProblemKind::UnknownTag, tag.name);
        }
        return;
    }
    // The tag as the table names it, for the problems of the tag itself.
    auto shownName = [&] { return custom ? capitalised(tag.name) : std::string(profile_.row(row).name); };
    if (!custom && !tag.closing && profile_.isObsolete(row)) holdAtTag(ProblemKind::ObsoleteTag, tag.name);
    // The attributes of a tag cut short are not known: the text after its last one may be
    // taken for more.
    if (tag.finished || tag.brokenQuotes) {
        checkAttributes(row, custom);
        if (!tag.closing && bare[0] != '!' && bare[0] != '?') readValues(custom ? -1 : row, custom);
    }
    if (tag.brokenQuotes) {
        holdAtTag(ProblemKind::UnbalancedQuotes, shownName());
    } else if (!tag.finished) {
        holdAtTag(ProblemKind::UnfinishedTag, shownName());
    }
    const bool cell = !custom && profile_.tableRole(row) == TableRole::Cell && !stack_.inTable();
    if (cell) holdAtTag(ProblemKind::CellOutsideTable, profile_.row(row).name);
    // Declarations (<!DOCTYPE html>) are no elements.
    if (bare[0] == '!' || bare[0] == '?') return;

    const int openRow = custom ? -1 : tag.closing ? row - 1 : row;
    const StackTag element{openRow,   tag.start + (tag.closing ? 2 : 1), tag.nameLength - (tag.closing ? 1 : 0),
                           tag.start, tag.lineStart, tag.line, tag.end};
    if (tag.closing) {
        // A cell outside any table is reported once, not as a close without its open too.
        if (!cell) stack_.close(element);
        return;
    }
    const bool opens = !tag.selfClosing && (custom || profile_.row(openRow).kind != PairVoid);
    stack_.start(element, opens);
}

void HtmlCheck::checkAttributes(int row, bool custom) {
    if (custom) return;  // a custom element takes any attributes
    const char* rowName = profile_.row(row).name;
    const bool brokenQuotes = scanner_.tag().brokenQuotes;
    for (const ScannedAttribute& a : scanner_.attributes()) {
        // What follows a lost quote is the quoting's fault, reported as such.
        if (a.suspect && brokenQuotes) break;
        char name[ScannedNameSize];
        memcpy(name, a.name, a.length);
        name[a.length] = '\0';
        if (!profile_.hasAttribute(name, row)) {
            const TextPosition at = scanner_.positionOf(a.name);
            const uint32_t offset = offsetIn(document_, a.name);
            held_.push_back({ProblemKind::UnknownAttribute, at.line, at.column, 0, name, rowName, offset,
                             offset + a.length});
        }
    }
}

// A value as a message shows it: at most 60 bytes, cut at a character, its line breaks and
// tabs shown as spaces.
std::string shown(std::string_view text) {
    constexpr size_t Longest = 60;
    size_t length = text.size();
    if (length > Longest) {
        length = Longest;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    std::string out(text.substr(0, length));
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    if (length < text.size()) out += "...";
    return out;
}

bool isIdSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view HtmlCheck::kept(const std::string& decoded) {
    decoded_.push_back(decoded);
    return decoded_.back();
}

// The piece [offset, offset + length) of `value` (a's value, decoded when it had
// character references), placed where it stands in the text.
HtmlCheck::Named HtmlCheck::namedPiece(const ScannedAttribute& a, std::string_view value, size_t offset,
                                       size_t length) {
    const char* rawEnd = a.value + a.valueLength;
    if (value.data() == a.value) return {value.substr(offset, length), a.value + offset, static_cast<uint32_t>(length)};
    const char* at = rawPositionOfDecoded(a.value, rawEnd, offset);
    const char* end = rawPositionOfDecoded(a.value, rawEnd, offset + length);
    return {value.substr(offset, length), at, static_cast<uint32_t>(end - at)};
}

void HtmlCheck::holdAt(ProblemKind kind, const Named& named, std::string name, std::string tag, std::string detail,
                       int32_t count, int32_t relatedLine) {
    const TextPosition at = scanner_.positionOf(named.at);
    const uint32_t offset = offsetIn(document_, named.at);
    held_.push_back({kind, at.line, at.column, relatedLine, std::move(name), std::move(tag), offset,
                     offset + std::max<uint32_t>(named.rawLength, 1), std::move(detail), count});
}

// The values of a tag's attributes that name an id, a map or a URL: the names the page
// gives are gathered, each reference waits for the end of the page, each URL is checked.
void HtmlCheck::readValues(int row, bool custom) {
    const std::vector<ScannedAttribute>& attributes = scanner_.attributes();
    if (attributes.empty()) return;
    const bool brokenQuotes = scanner_.tag().brokenQuotes;
    const std::vector<ValueAttribute>* own = custom ? nullptr : &profile_.valueAttributes(row);
    const std::vector<AttributeUse>* anchors = custom ? nullptr : &profile_.links(row).anchors;
    const std::vector<ValueAttribute>& globals = profile_.globalValueAttributes();
    static const std::string Id = "id";
    const uint32_t letters = globalLetters_ | (custom ? 0 : valueLetters_[static_cast<size_t>(row)]);
    for (size_t i = 0; i < attributes.size(); ++i) {
        const ScannedAttribute& a = attributes[i];
        if (a.suspect && brokenQuotes) break;
        if (!a.value || a.length == 0 || !(letters & letterBit(a.name[0]))) continue;
        const std::string* attribute = nullptr;
        ValueRole role = ValueRole::None;
        bool anchor = false;
        auto matches = [&](const std::string& name) {
            return name.size() == a.length && foldedEqual(name.data(), a.name, a.length);
        };
        if (matches(Id)) {
            attribute = &Id;
        } else {
            if (own) {
                for (const ValueAttribute& v : *own) {
                    if (matches(v.name)) role = v.role, attribute = &v.name;
                }
                for (const AttributeUse& use : *anchors) {
                    if (use.condition.empty() && matches(use.name)) anchor = true, attribute = &use.name;
                }
            }
            if (!attribute) {
                for (const ValueAttribute& v : globals) {
                    if (matches(v.name)) role = v.role, attribute = &v.name;
                }
            }
            if (!attribute) continue;
        }
        // Of an attribute written twice in a tag the first counts.
        bool again = false;
        for (size_t k = 0; k < i && !again; ++k) {
            again = attributes[k].length == a.length && foldedEqual(attributes[k].name, a.name, a.length);
        }
        if (again) continue;

        std::string_view value(a.value, a.valueLength);
        if (memchr(a.value, '&', a.valueLength)) {
            decodeCharacterReferences(a.value, a.value + a.valueLength, scratch_);
            value = scratch_;
        }
        // A tag whose quoting is broken is reported as such; its values are not what was meant.
        if (brokenQuotes && attribute != &Id && !anchor && role != ValueRole::MapName) continue;
        if (attribute == &Id || anchor) {
            if (value.empty()) continue;
            // Kept as written, white space and all, as a fragment must match it.
            if (value.data() == scratch_.data()) value = kept(scratch_);
            (attribute == &Id ? ids_ : anchors_).push_back(namedPiece(a, value, 0, value.size()));
            continue;
        }
        readValue(a, value, role, attribute, row);
    }
}

void HtmlCheck::readValue(const ScannedAttribute& a, std::string_view value, ValueRole role,
                          const std::string* attribute, int row) {
    const ScannedTag& tag = scanner_.tag();
    // What waits for the end of the page must outlive the scratch room of decoded values.
    auto lasting = [&] {
        if (value.data() == scratch_.data()) value = kept(scratch_);
        return value;
    };
    auto want = [&](size_t offset, size_t length, ValueRole as, std::string_view anchor = {}) {
        wanted_.push_back({namedPiece(a, lasting(), offset, length), as, attribute, row, tag.start + 1,
                           tag.nameLength, anchor});
    };
    switch (role) {
        case ValueRole::MapName:
            if (!value.empty()) maps_.push_back(namedPiece(a, lasting(), 0, value.size()));
            break;
        case ValueRole::IdRef:
            if (!value.empty()) want(0, value.size(), ValueRole::IdRef);
            break;
        case ValueRole::IdRefList:
        case ValueRole::UrlList:
            for (size_t i = 0; i < value.size();) {
                if (isIdSpace(value[i])) {
                    ++i;
                    continue;
                }
                size_t end = i;
                while (end < value.size() && !isIdSpace(value[end])) ++end;
                if (role == ValueRole::UrlList) {
                    checkUrlValue(a, value, i, end - i, attribute);
                } else {
                    want(i, end - i, ValueRole::IdRef);
                }
                i = end;
            }
            break;
        case ValueRole::MapRef:
            // "#name"; anything else names no map of this page.
            if (value.size() > 1 && value[0] == '#') want(1, value.size() - 1, ValueRole::MapRef);
            break;
        case ValueRole::Url: {
            const std::string_view url = trimmedUrl(value);
            const size_t offset = static_cast<size_t>(url.data() - value.data());
            checkUrlValue(a, value, offset, url.size(), attribute);
            if (!url.empty() && url[0] == '#' && ownAnchorOf(url, anchor_)) {
                // A plain fragment is its own anchor's name: no copy of it is kept.
                const bool plain = url.substr(1) == anchor_;
                want(offset, url.size(), ValueRole::Url, plain ? std::string_view() : kept(anchor_));
                if (plain) wanted_.back().anchor = wanted_.back().named.text.substr(1);
            }
            break;
        }
        case ValueRole::None:
            break;
    }
}

void HtmlCheck::checkUrlValue(const ScannedAttribute& a, std::string_view value, size_t offset, size_t length,
                              const std::string* attribute) {
    const std::string_view url = value.substr(offset, length);
    const UrlVerdict verdict = checkUrl(url);
    if (verdict.fault == UrlFault::None) return;
    int32_t character = 1;
    for (size_t i = 0; i < verdict.at; ++i) character += (static_cast<unsigned char>(url[i]) & 0xC0) != 0x80;
    const Named at = namedPiece(a, value, offset + verdict.at, 1);
    holdAt(ProblemKind::BadUrl, at, *attribute, std::string(), shown(url), static_cast<int32_t>(verdict.fault),
           character);
}

void HtmlCheck::resolveReferences() {
    if (ids_.empty() && wanted_.empty()) return;
    // Each id once: the later ones of a name are reported, with the first one's line.
    std::vector<const Named*> byName;
    byName.reserve(ids_.size());
    for (const Named& id : ids_) byName.push_back(&id);
    std::stable_sort(byName.begin(), byName.end(), [](const Named* x, const Named* y) { return x->text < y->text; });
    std::vector<std::string_view> ids;
    ids.reserve(byName.size());
    for (size_t i = 0; i < byName.size(); ++i) {
        if (i > 0 && byName[i]->text == byName[i - 1]->text) {
            size_t first = i - 1;
            while (first > 0 && byName[first - 1]->text == byName[i]->text) --first;
            const int32_t firstLine = scanner_.positionOf(byName[first]->at).line;
            holdAt(ProblemKind::DuplicateId, *byName[i], shown(byName[i]->text), std::string(), std::string(), 0,
                   firstLine);
            continue;
        }
        ids.push_back(byName[i]->text);
    }
    if (wanted_.empty()) return;
    auto sortedWith = [&](const std::vector<Named>& more) {
        std::vector<std::string_view> names = ids;
        for (const Named& n : more) names.push_back(n.text);
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string_view> anchors = sortedWith(anchors_);
    const std::vector<std::string_view> maps = sortedWith(maps_);
    for (const Wanted& w : wanted_) {
        const std::string_view sought = w.role == ValueRole::Url ? w.anchor : w.named.text;
        const std::vector<std::string_view>& names = w.role == ValueRole::Url ? anchors
                                                     : w.role == ValueRole::MapRef ? maps
                                                                                   : ids;
        if (std::binary_search(names.begin(), names.end(), sought)) continue;
        if (w.role == ValueRole::Url) {
            holdAt(ProblemKind::MissingAnchor, w.named, shown(w.named.text), std::string(), shown(w.anchor));
            continue;
        }
        std::string tagName = w.row >= 0 ? std::string(profile_.row(w.row).name)
                                         : capitalised(std::string(w.tagName, w.tagNameLength));
        holdAt(ProblemKind::MissingId, w.named, shown(w.named.text), std::move(tagName), *w.attribute,
               w.role == ValueRole::MapRef ? 1 : 0);
    }
}

}  // namespace

const char* problemKindId(ProblemKind kind) { return KindIds[static_cast<int>(kind)]; }

const std::vector<ProblemKind>& problemKindsOf(const TagProfile& profile) {
    using K = ProblemKind;
    static const std::vector<ProblemKind> html32 = {
        K::UnknownTag, K::UnknownAttribute, K::UnbalancedQuotes, K::OpenBeforeClose,
        K::CloseWithoutOpen, K::MoreClosesThanOpens, K::CellOutsideTable, K::UnbalancedTags,
        K::UnknownDirectiveKind};
    static const std::vector<ProblemKind> html = {
        K::UnknownTag, K::ObsoleteTag, K::UnknownAttribute, K::UnbalancedQuotes, K::UnfinishedTag,
        K::NotClosed, K::CloseWithoutOpen, K::CrossingClose, K::VoidClose, K::CellOutsideTable,
        K::DuplicateId, K::MissingId, K::MissingAnchor, K::BadUrl,
        K::UnknownDirectiveKind};
    return profile.readsAsHtml() ? html : html32;
}

int32_t checkDocument(Document& document, ProblemSink& sink, const TagProfile& profile, const CheckOptions& options) {
    if (profile.readsAsHtml()) return HtmlCheck(document, profile).run(sink, options);

    InlineExceptions exceptions(profile);
    std::vector<std::string> unknownWords;
    // Most pages hold no directive: one look for the word spares holding every problem.
    const bool directives = std::string_view(document.text, document.size).find("tagvetter-") != std::string_view::npos;
    LineByLine lines(sink, exceptions, options, directives);
    CheckRun run(document, lines, profile);
    TagScanner scanner(document, profile, Html32Check);
    while (scanner.next()) {
        const ScannedTag& tag = scanner.tag();
        run.tagOffset = offsetIn(document, tag.start);
        // The scan stands past the ">", or past the NUL that stopped the tag.
        run.tagEndOffset = offsetIn(document, tag.end[-1] == '\0' ? tag.end - 1 : tag.end);
        const int row = tag.row;
        if (row < 0) {
            report(run, ProblemKind::UnknownTag, tag.name);
            continue;
        }
        if (tag.comment) {
            // Between "<!-" and the ">" of its closer; a comment the text cuts short holds none.
            if (tag.text[tag.length] == '>') {
                exceptions.readComment(tag.text + 3, tag.text + tag.length, tag.lastLine, tag.lastLine, unknownWords);
                for (const std::string& word : unknownWords) report(run, ProblemKind::UnknownDirectiveKind, word.c_str());
            }
            continue;
        }
        // An svg or math element written "<svg/>" is empty: nothing to pair.
        const bool empty = profile.opensForeign(row) && tag.selfClosing;
        if (!empty) checkPairing(run, row, tag.name);
        checkAttributes(run, row, scanner.attributes());
        checkQuotes(run, profile.row(row).name);
        checkTableContext(run, row);
    }

    for (int row = 0; row < profile.rowCount(); ++row) {
        const int32_t balance = run.balance[static_cast<size_t>(row)];
        if (isCounted(profile.row(row).kind) && balance != 0)
            report(run, ProblemKind::UnbalancedTags, profile.row(row).name, "", balance);
    }
    return lines.finish();
}

void checkPairing(CheckRun& run, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    int32_t& balance = run.balance[static_cast<size_t>(close ? row - 1 : row)];
    switch (run.profile.row(row).kind) {
        case PairStrict:
        case PairRaw:
            balance += close ? -1 : 1;
            if (balance == 2) {
                report(run, ProblemKind::OpenBeforeClose, nameAsRead);
            } else if (balance < 0) {
                report(run, ProblemKind::CloseWithoutOpen, nameAsRead);
            } else {
                break;
            }
            // The tag just met is the current state from here on.
            balance = close ? 0 : 1;
            break;
        case PairCounted:
        case PairForeign:
            balance += close ? -1 : 1;
            if (balance < 0) {
                report(run, ProblemKind::MoreClosesThanOpens, nameAsRead);
                balance = 0;
            }
            break;
        default:
            break;
    }
}

void checkAttributes(CheckRun& run, int row, const std::vector<ScannedAttribute>& attributes) {
    const TagProfile& profile = run.profile;
    if (!profile.checksAttributes(row)) return;
    for (const ScannedAttribute& a : attributes) {
        char name[ScannedNameSize];
        memcpy(name, a.name, a.length);
        name[a.length] = '\0';
        if (!profile.hasAttribute(name, row)) report(run, ProblemKind::UnknownAttribute, name, profile.row(row).name);
    }
}

void checkQuotes(CheckRun& run, const char* tagName) {
    int quotes = 0;
    for (const char* p = run.document.tagBuffer + 1; (p = strpbrk(p, "\">")) != nullptr && *p == '"'; ++p) ++quotes;
    if (quotes % 2 != 0) report(run, ProblemKind::UnbalancedQuotes, tagName);
}

void checkTableContext(CheckRun& run, int row) {
    switch (run.profile.tableRole(row)) {
        case TableRole::Table:
            ++run.tableDepth;
            break;
        case TableRole::TableEnd:
            // Extra closing tables do not count ahead: the next cells outside a table are reported.
            if (run.tableDepth > 0) --run.tableDepth;
            break;
        case TableRole::Cell:
            if (run.tableDepth == 0) report(run, ProblemKind::CellOutsideTable, run.profile.row(row).name);
            break;
        case TableRole::None:
            break;
    }
}
