#include "document_check.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "byte_scan.h"
#include "character_check.h"
#include "content_model.h"
#include "attribute_check.h"
#include "element_stack.h"
#include "inline_exceptions.h"
#include "name_cache.h"
#include "name_suggestion.h"
#include "page_links.h"
#include "text.h"
#include "url_check.h"

namespace {

// Indexed by ProblemKind.
const char* const KindIds[ProblemKindCount] = {
    "unknown-tag", "unknown-attribute", "unbalanced-quotes", "open-before-close", "close-without-open",
    "more-closes-than-opens", "cell-outside-table", "unbalanced-tags", "obsolete-tag", "unfinished-tag",
    "not-closed", "crossing-close", "void-close",
    "unknown-reference", "reference-without-semicolon", "bad-numeric-reference", "control-character", "invalid-bytes",
    "utf16-page",
    "duplicate-id", "missing-id", "missing-anchor", "bad-url",
    "misplaced-element", "missing-child",
    "missing-attribute", "bad-attribute-value", "duplicate-attribute", "obsolete-attribute", "misplaced-attribute",
    "unknown-directive-kind",
};

uint32_t offsetIn(const Document& document, const char* p) { return static_cast<uint32_t>(p - document.text); }

void report(CheckRun& run, ProblemKind kind, const char* name, const char* tag = "", int32_t count = 0,
            const Fix& fix = Fix()) {
    const bool atEnd = kind == ProblemKind::UnbalancedTags;
    Problem problem{kind, atEnd ? NoLine : run.document.line + 1, NoColumn, name, tag, count, 0,
                    atEnd ? NoOffset : run.tagOffset, atEnd ? NoOffset : run.tagEndOffset};
    problem.fix = fix;
    run.sink.report(problem);
}

// Whether the tag at [from, to) of `text` can go whole: it ends with its own ">" (a tag
// cut short took text that may be meant), and it holds no line break, so that the lines
// after it, which the page's directives name by number, stay where they are.
bool removableTag(const char* text, uint32_t from, uint32_t to) {
    return to > from && text[to - 1] == '>' && !memchr(text + from, '\n', to - from);
}

// The 1990s check's problems come in line order as its scan meets them; but a directive
// later on the same line applies to them as well, so each line's problems wait until a
// problem of a later line, or the end, comes, and only then go to the sink unless left out.
// Until the page's text up to the end of a problem's line is found to hold a directive's
// word, no directive can bear on that problem or an earlier one: it goes straight on.
class LineByLine : public ProblemSink {
public:
    LineByLine(ProblemSink& sink, InlineExceptions& exceptions, const CheckOptions& options, const Document& document)
        : sink_(sink), exceptions_(exceptions), ignored_(options.ignored), text_(document.text),
          directives_(document.text, document.size) {}

    void report(const Problem& problem) override {
        if (ignored_.test(static_cast<size_t>(problem.kind))) return;
        // A problem stands on the line of its tag's end; the count at the end has no place.
        const char* lineEnd = directives_.end();
        if (problem.endOffset != NoOffset) {
            const char* from = text_ + problem.endOffset;
            if (const void* feed = memchr(from, '\n', static_cast<size_t>(lineEnd - from)))
                lineEnd = static_cast<const char*>(feed) + 1;
        }
        if (!directives_.foundBefore(lineEnd)) {
            sink_.report(problem);
            ++handed_;
            return;
        }
        if (!waiting_.empty() && waiting_.front().problem.line != problem.line) handOver();
        waiting_.push_back({problem, problem.name, problem.tag, problem.detail,
                            {problem.fix.count > 0 ? problem.fix.edits[0].text : "",
                             problem.fix.count > 1 ? problem.fix.edits[1].text : ""}});
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
        std::string fixTexts[2];
    };

    void handOver() {
        for (Waiting& w : waiting_) {
            if (exceptions_.leavesOut(w.problem.kind, w.problem.line)) continue;
            w.problem.name = w.name.c_str();
            w.problem.tag = w.tag.c_str();
            w.problem.detail = w.detail.c_str();
            for (int e = 0; e < w.problem.fix.count; ++e) w.problem.fix.edits[e].text = w.fixTexts[e].c_str();
            sink_.report(w.problem);
            ++handed_;
        }
        waiting_.clear();
    }

    ProblemSink& sink_;
    InlineExceptions& exceptions_;
    const ProblemKinds& ignored_;
    const char* text_;
    DirectiveSearch directives_;
    std::vector<Waiting> waiting_;
    int32_t handed_ = 0;
};

bool isIdSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// How the character check takes the page's bytes. An older page that names no encoding
// is windows-1252 only by default: it may as well be UTF-8 or any other, so its bytes
// above 127 are taken as they come.
PageEncoding bytesAsRead(const EncodingDecision& decision) {
    return decision.encoding == PageEncoding::Windows1252 && decision.source == EncodingSource::Default
               ? PageEncoding::OtherAscii
               : decision.encoding;
}

// Names by their hash, open-addressed: a long page has tens of thousands of ids, and the
// nodes of a standard hash map cost a miss of the cache each. A slot is small, and its
// name is looked at only when its part of the hash matches. It grows as the page gives
// names, so that a reference to a name already given is settled when it is read.
class NameTable {
public:
    NameTable() : slots_(16) {}
    // Adds `name` with `line` unless it is there: the line of the one there, or 0 when added.
    int32_t add(std::string_view name, int32_t line) {
        const uint64_t hash = hashOf(name);
        Slot* slot = &find(name, hash);
        if (slot->name) return names_[slot->name - 1].line;
        // At most 70 % full: a probe rarely goes past its line of the cache.
        if (10 * (names_.size() + 1) > 7 * slots_.size()) {
            grow();
            slot = &find(name, hash);
        }
        names_.push_back({name.data(), static_cast<uint32_t>(name.size()), line, hash});
        *slot = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(names_.size())};
        return 0;
    }
    // Whether `name`, whose hashOf is `hash`, is there: a name sought in several tables is
    // hashed once.
    bool has(std::string_view name, uint64_t hash) const { return find(name, hash).name != 0; }
    // Eight bytes at a time: the names are fragments and ids, often long.
    static uint64_t hashOf(std::string_view name) {
        constexpr uint64_t K = 0x9E3779B97F4A7C15u;
        uint64_t h = name.size() * K;
        size_t i = 0;
        for (; i + 8 <= name.size(); i += 8) {
            uint64_t word;
            memcpy(&word, name.data() + i, 8);
            h = (h ^ word) * K;
            h ^= h >> 29;
        }
        uint64_t rest = 0;
        if (i < name.size()) memcpy(&rest, name.data() + i, name.size() - i);
        h = (h ^ rest) * K;
        return h ^ (h >> 32);
    }

private:
    struct Slot {
        uint32_t check = 0;  // the hash's high half
        uint32_t name = 0;   // 1 + its index in names_; 0: empty
    };
    struct Name {
        const char* data;
        uint32_t length;
        int32_t line;
        uint64_t hash;  // kept, so that growing reads none of the page's text again
    };
    Slot& find(std::string_view name, uint64_t hash) const {
        const uint32_t check = static_cast<uint32_t>(hash >> 32);
        const size_t mask = slots_.size() - 1;
        for (size_t i = static_cast<size_t>(hash);; ++i) {
            Slot& slot = slots_[i & mask];
            if (!slot.name) return slot;
            if (slot.check != check) continue;
            const Name& held = names_[slot.name - 1];
            if (held.length == name.size() && memcmp(held.data, name.data(), name.size()) == 0) return slot;
        }
    }
    void grow() {
        slots_.assign(2 * slots_.size(), Slot());
        const size_t mask = slots_.size() - 1;
        for (size_t n = 0; n < names_.size(); ++n) {
            // The names are apart: the first empty slot of a name's probe is its own.
            const uint64_t hash = names_[n].hash;
            size_t i = static_cast<size_t>(hash);
            while (slots_[i & mask].name) ++i;
            slots_[i & mask] = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(n + 1)};
        }
    }
    mutable std::vector<Slot> slots_;
    std::deque<Name> names_;  // grown without copies, and without room held for more
};

// The check of a page read as HTML: each problem is held until the page ends, so that
// the problems of the element stack, found when an element closes, take their place
// among the others, and the page's directives, all read by then, leave theirs out.
class HtmlCheck : public StructureSink, public ContentSink {
public:
    HtmlCheck(Document& document, const TagProfile& profile)
        : document_(document), profile_(profile), scanner_(document, profile, TagsOnly),
          stack_(profile, *this), content_(profile, stack_, *this), exceptions_(profile),
          encoding_(decidePageEncoding(document.text, document.size,
                                       profile.isCurrentHtml() ? PageEncoding::Utf8 : PageEncoding::Windows1252)),
          characters_(bytesAsRead(encoding_), profile.isCurrentHtml(), document.text),
          rows_(static_cast<size_t>(profile.rowCount()) + 1), attributeCheck_(profile) {
        // The first letters of the names each row reads values of: most attributes are
        // passed over on one look.
        for (const ValueAttribute& v : profile.globalValueAttributes()) globalLetters_ |= letterBit(v.name[0]);
        rows_[0].valueLetters = globalLetters_;
        for (int r = 0; r < profile.rowCount(); ++r) {
            RowFacts& f = rows_[static_cast<size_t>(r) + 1];
            f.valueLetters = globalLetters_;
            for (const ValueAttribute& v : profile.valueAttributes(r)) f.valueLetters |= letterBit(v.name[0]);
            for (const AttributeUse& use : profile.links(r).anchors) f.valueLetters |= letterBit(use.name[0]);
            f.obsolete = profile.isObsolete(r);
            f.cell = profile.tableRole(r) == TableRole::Cell;
            f.isVoid = profile.row(r).kind == PairVoid;
            f.textSkipped = profile.opensText(r) && !profile.traits(r).escapableText;
            f.foreign = profile.opensForeign(r);
            const char* name = profile.row(r).name;
            const char first = name[0] == '/' ? name[1] : name[0];
            f.declaration = first == '!' || first == '?';
        }
    }

    int32_t run(ProblemSink& sink, const CheckOptions& options);

    void notClosed(const StackTag& element, const StackTag* closedBy, bool closedThere) override {
        std::string cause = closedBy ? std::string(closedBy->at[1] == '/' ? "/" : "") + nameOf(*closedBy) : "";
        const size_t problem = held_.size();
        hold(ProblemKind::NotClosed, element, nameOf(element), cause, closedBy ? closedBy->line : 0);
        // What stood in it, once its close tag was left out, was the author's next sibling.
        const uint32_t at = offsetIn(document_, element.at);
        uint32_t sibling = NoOffset;
        for (const Misplaced& m : misplaced_) {
            if (m.holder != at) continue;
            held_[m.held].dropped = true;
            sibling = std::min(sibling, held_[m.held].offset);
        }
        // Its close tag, spelled as its open tag, goes right after what it held, before the
        // first of those siblings; or right before the tag that ended it.
        if (!nameWhole(element)) return;
        const char* place = closedBy ? laidOutPlace(element, *closedBy) : nullptr;
        if (!place && sibling != NoOffset) {
            place = afterContent(document_.text + sibling, element.end);
        } else if (!place && closedThere && closedBy) {
            place = closePlace(closedBy->at);
        } else if (!place && closedBy && closedBy->row == element.row && closedBy->at[1] != '/') {
            place = beforeStillOpen(element, problem);
        }
        if (!place) return;
        const uint32_t edit = offsetIn(document_, place);
        held_[problem].fix.add(edit, edit, "</" + nameOf(element) + ">");
    }
    void crossing(const StackTag& closing, const StackTag& crossed) override {
        crossings_.push_back(held_.size());
        hold(ProblemKind::CrossingClose, closing, "/" + nameOf(closing), nameOf(crossed), crossed.line);
        if (swappable(closing, crossed)) {
            const ScannedTag& now = scanner_.tag();
            const uint32_t first = offsetIn(document_, closing.at), second = offsetIn(document_, now.start);
            held_.back().fix.add(first, offsetIn(document_, closing.end), std::string(now.start, now.end));
            held_.back().fix.add(second, offsetIn(document_, now.end), std::string(closing.at, closing.end));
        } else if (splittable(closing, crossed)) {
            // <b>x<i>y</b>z</i>: each element keeps the text it was written around, the
            // crossed one ended before the close tag and opened again after it.
            std::string text = "</" + nameOf(crossed) + ">";
            text.append(closing.at, closing.end).append(crossed.at, crossed.end);
            held_.back().fix.add(offsetIn(document_, closing.at), offsetIn(document_, closing.end), std::move(text));
        }
    }
    void closeWithoutOpen(const StackTag& closing) override {
        hold(ProblemKind::CloseWithoutOpen, closing, "/" + nameOf(closing));
        if (strayForSure(closing)) held_.back().fix.add(held_.back().offset, held_.back().endOffset, "");
    }
    void withdrawCloseWithoutOpen(const StackTag& closing) override {
        const uint32_t at = offsetIn(document_, closing.at);
        for (size_t i = held_.size(); i-- > 0;) {
            if (held_[i].kind == ProblemKind::CloseWithoutOpen && held_[i].offset == at) {
                held_[i].dropped = true;
                return;
            }
        }
    }
    void shiftedBetween(const StackTag& extra, const StackTag& last) override {
        const uint32_t from = offsetIn(document_, extra.at), to = offsetIn(document_, last.at);
        // One close tag too many, and the indentation finds it written twice over: it goes.
        if (scanning_ && strayForSure(last) && writtenTwice(extra)) removeStray(extra);
        for (size_t i : crossings_) {
            Held& h = held_[i];
            if (h.offset > from && h.offset < to && h.name.size() == last.nameLength + 1 &&
                foldedEqual(h.name.data() + 1, last.name, last.nameLength))
                h.dropped = true;
        }
    }
    void heldWasStray(const StackTag& closing) override {
        if (writtenTwice(closing)) removeStray(closing);
    }
    void closed(const StackTag& element) override { content_.closed(element); }
    void removed(const StackTag& element, size_t index) override { content_.removed(element, index); }
    void misplaced(const StackTag& element, const StackTag* holder, const std::string& holderName,
                   bool inside) override {
        // Inside an unknown element no known name alone is near, what stands out of place
        // may be so only because that element was misspelt (<rt> for <tr>): one report.
        if (unplacedHolds()) return;
        if (holder) misplaced_.push_back({held_.size(), offsetIn(document_, holder->at)});
        hold(ProblemKind::MisplacedElement, element, nameOf(element), holder ? nameOf(*holder) : holderName,
             holder ? holder->line : 0, inside ? "inside" : "in");
    }
    void missingChild(const StackTag& element, const std::string& what, int32_t relatedLine) override {
        hold(ProblemKind::MissingChild, element, nameOf(element), std::string(), relatedLine, what);
    }

private:
    // A sure mend, held with its problem: its texts are kept here.
    struct HeldFix {
        uint32_t from[2] = {};
        uint32_t to[2] = {};
        std::string text[2];
        uint8_t count = 0;
        void add(uint32_t editFrom, uint32_t editTo, std::string editText) {
            from[count] = editFrom;
            to[count] = editTo;
            text[count++] = std::move(editText);
        }
    };
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
        bool dropped = false;  // a consequence of another problem, not handed over
        int32_t count = 0;
        HeldFix fix = HeldFix();
    };

    // A name some element gives itself (an id, an anchor's or a map's name), or that a
    // value asks for, as a fragment or an id must match it: character references decoded.
    struct Named {
        std::string_view text;
        const char* at;       // where it begins in the document's text
        uint32_t rawLength;   // its bytes there
        int32_t line;         // of `at`: known while the scan is there, dear to find at the end
    };
    // What asks for a reference: a page has few of these, and many references.
    struct Asker {
        ValueRole role;                // IdRef (one of a list too), MapRef, or Url for a fragment
        const std::string* attribute;  // the table's, lower case
        int row;                       // of its element; -1 for a custom element
        const char* tagName;           // as written, for a custom element
        uint32_t tagNameLength;
    };
    // A reference that waits for the end of the page, as it names what comes later (a page's
    // table of contents) or nothing. Small, as a long page has tens of thousands.
    struct Wanted {
        uint32_t at;         // its first byte in the document's text
        uint32_t rawLength;  // its bytes there
        int32_t line;        // of `at`
        uint32_t asker;      // in askers_
        // 0: the name is the text as written, and a fragment's anchor the name after its "#";
        // else 1 + its place in decodedWanted_.
        uint32_t decoded;
    };
    struct DecodedWanted {
        std::string_view text;    // character references decoded
        std::string_view anchor;  // for a fragment, the anchor it names (percent-decoded)
    };

    // What a row reads of an attribute's value: its role, or its name as an anchor's; the
    // name as the table writes it, null for an attribute whose value isn't read.
    struct ValueName {
        const std::string* attribute = nullptr;
        ValueRole role = ValueRole::None;
        bool anchor = false;
    };

    // One bit for each letter a name may begin with, folded; bit 26 for anything else.
    static uint32_t letterBit(char c) {
        const char lower = static_cast<char>(c | 0x20);
        return lower >= 'a' && lower <= 'z' ? 1u << (lower - 'a') : 1u << 26;
    }
    static std::string nameOf(const StackTag& tag) { return std::string(tag.name, tag.nameLength); }
    void hold(ProblemKind kind, const StackTag& placed, std::string name, std::string tag = std::string(),
              int32_t relatedLine = 0, std::string detail = std::string()) {
        held_.push_back({kind, placed.line, columnOf(placed.lineStart, placed.at), relatedLine, std::move(name),
                         std::move(tag), offsetIn(document_, placed.at), offsetIn(document_, placed.end),
                         std::move(detail), false});
    }
    void holdAtTag(ProblemKind kind, std::string name, std::string tag = std::string(),
                   std::string detail = std::string()) {
        const ScannedTag& t = scanner_.tag();
        held_.push_back({kind, t.line, columnOf(t.lineStart, t.start), 0, std::move(name), std::move(tag),
                         offsetIn(document_, t.start), offsetIn(document_, t.end), std::move(detail), false});
    }
    void checkTag(const std::vector<ScannedAttribute>& attributes);
    // Whether the name of `element`, as the stack holds it, is all of the name in the text.
    bool nameWhole(const StackTag& element) const {
        const char* after = element.name + element.nameLength;
        return after < document_.end && (isIdSpace(*after) || *after == '>' || *after == '/');
    }
    // Whether the crossing of `crossed` by `closing` is two close tags written the wrong way
    // round: the close tag just read is crossed's, after `closing` with only blanks between,
    // both whole, and `closing` passed nothing else still open.
    bool swappable(const StackTag& closing, const StackTag& crossed) const;
    // Whether the crossing of `crossed` by `closing` can be undone by closing `crossed`
    // before `closing` and opening it again after: its close tag, just read, follows
    // `closing` on its line with text and no tag between, the three tags are whole, and
    // `closing` passed nothing else still open.
    bool splittable(const StackTag& closing, const StackTag& crossed) const;
    // Where the close tag of `element`, left out before `closer`, goes by the page's
    // layout, or null. Its open tag begins its line, and either `closer` begins its line
    // less far in, after a line of only blanks as far in as the open tag (or right after
    // the open tag's line, nothing following the tag there); or its content stands
    // further in, and the first line after it that stands as far in or less, before
    // `closer`, begins with a tag that can't be its content (a close tag, or one less far
    // in) and follows a line of only blanks, as far in as the open tag or more but less
    // than the content. The close tag goes at the end of that line's blanks.
    const char* laidOutPlace(const StackTag& element, const StackTag& closer) const;
    // Where the close tag of `element`, an element of the text closed as one of its name
    // opens in it, goes while elements it holds stay open: before the first of them, the
    // one place that leaves no element crossed, right after what it held before that.
    // Only if that one is closed later by its own close tag: `problem`'s mend waits in
    // stillOpen_ until the end of the page says so.
    const char* beforeStillOpen(const StackTag& element, size_t problem) {
        if (element.row < 0 || profile_.traits(element.row).special) return nullptr;
        const std::vector<StackTag>& open = stack_.openElements();
        for (size_t i = 0; i + 1 < open.size(); ++i) {
            if (open[i].at != element.at) continue;
            const char* place = afterContent(open[i + 1].at, element.end);
            if (place) stillOpen_.push_back({problem, offsetIn(document_, open[i + 1].at)});
            return place;
        }
        return nullptr;
    }
    // The mends made before an element still open, which must not have been left open.
    struct BeforeOpen {
        size_t held;
        uint32_t element;
    };
    std::vector<BeforeOpen> stillOpen_;
    void dropBeforeLeftOpen() {
        for (const BeforeOpen& b : stillOpen_) {
            const bool leftOpen = std::any_of(held_.begin(), held_.end(), [&](const Held& h) {
                return h.kind == ProblemKind::NotClosed && h.offset == b.element;
            });
            if (leftOpen) held_[b.held].fix.count = 0;
        }
    }
    // Where the close tag left out before `closer` goes: right before it; but when only
    // white space stands between the element's last content and `closer`, at the end of
    // the last line there that holds only blanks, the line it was most likely taken from.
    const char* closePlace(const char* closer) const;
    // Where the close tag left out before the sibling at `next` goes: on the last line that
    // holds only blanks before it, as closePlace, or else right after the content before
    // it; null when that would be within the open tag ending at `openEnd`.
    const char* afterContent(const char* next, const char* openEnd) const;
    // Drops the mends of elements not closed that go at one place: their order is a guess.
    void dropCrowdedInsertions();
    // Whether the close tag `closing`, which closes nothing, can go: it is the tag just
    // read (not an earlier one the indentation took for the extra one), whole, and no
    // element of its name is open that it might have been meant for.
    bool strayForSure(const StackTag& closing) const;
    // The mend of the close tag `closing`, reported as closing nothing: it goes.
    void removeStray(const StackTag& closing) {
        const uint32_t from = offsetIn(document_, closing.at);
        for (size_t i = held_.size(); i-- > 0;) {
            Held& h = held_[i];
            if (h.kind != ProblemKind::CloseWithoutOpen || h.offset != from) continue;
            if (h.fix.count == 0 && !h.dropped) h.fix.add(from, h.endOffset, "");
            return;
        }
    }
    // Whether the close tag `closing`, whole on its line, comes right after the same tag.
    bool writtenTwice(const StackTag& closing) const {
        const uint32_t from = offsetIn(document_, closing.at), to = offsetIn(document_, closing.end);
        const uint32_t length = to - from;
        return removableTag(document_.text, from, to) && from >= length &&
               memcmp(document_.text + from - length, closing.at, length) == 0;
    }
    // Whether the tag just read can have its name replaced: it ends with its own ">", its
    // quoting sound, so that its name is what it was meant to be. Over several lines too:
    // the lines stay.
    bool tagNamed() const {
        const ScannedTag& tag = scanner_.tag();
        return tag.finished && !tag.brokenQuotes && tag.end > tag.start && tag.end[-1] == '>';
    }
    // Whether the tag just read can go whole without taking text it may have meant
    // otherwise, or lines the page's directives count.
    bool tagWhole() const;
    // The name `known` (lower case) written in the letter case of `written`: upper case
    // for a name all in capitals; empty when its letters are of both cases.
    static std::string inCaseOf(const char* written, size_t length, const std::string& known);
    // True when the suggestion is sure enough to mend by: the only name near, and not
    // one the tag has already.
    bool suggestAttribute(AttributeFinding& f, int row, const ScannedAttribute* attributes, size_t count);
    // Whether, of the attribute names `tied` as near to the unknown one of `f`, only `near`
    // takes its value and brings the tag no other fault: the value then says which it is.
    bool valueSettles(const AttributeFinding& f, const char* near, const std::vector<const char*>& tied, int row,
                      const ScannedAttribute* attributes, size_t count);
    // Whether the attribute `name` of `row` gives its element a name (id, an anchor's name).
    bool namesItself(const char* name, int row) const {
        if (strcmp(name, "id") == 0) return true;
        for (const AttributeUse& use : profile_.links(row).anchors) {
            if (use.name == name) return true;
        }
        return false;
    }
    void keepWordsOfTag();
    void checkUnknownTag(const char* bare);
    // The open row of the known element an unknown one most likely misspells, or -1.
    // `sole`: set to whether it is the only known element near (NearestName::sole).
    // `unclear`: several known elements are as near, so it is misspelt, but of which is unclear.
    // `tied`: the open rows of every known element as near.
    int misspelledElement(const char* bare, size_t length, bool* sole = nullptr, bool* unclear = nullptr,
                          std::vector<int>* tied = nullptr);
    // What misspelledElement gives for a name, and what the search for the nearest known
    // attribute of a row gives for a name (the key: the row's bytes, then the name).
    struct Misspelling {
        int near = -1;
        bool sole = false, unclear = false;
        std::vector<int> tied;
    };
    struct NearAttribute {
        const char* near = nullptr;
        bool sole = false;
        std::vector<const char*> tied;
    };
    Misspelling findMisspelling(const char* bare, size_t length) const;
    // Whether, of the known elements `tied` as near to the misspelt start tag just read
    // (`written`), `near` alone takes the tag's attributes and stands where the tag does:
    // what the page holds then says which it is, no guess.
    // `fitting` receives those that fit, when the trials could be made.
    bool aloneFits(int near, const std::vector<int>& tied, const StackTag& written, std::vector<int>& fitting);
    // The start tag `child`, about to open inside a misspelt element whose name is still
    // unclear, leaves of its names those that would hold it; when only the chosen one
    // is left, the misspelt tag's mend is made.
    void settledByChild(const StackTag& child, bool opens);
    // Whether, of the elements `tied`, none but `near` is open for the misspelt close tag
    // `closing` to close.
    bool aloneOpen(int near, const std::vector<int>& tied, const StackTag& closing) const;
    // A known close tag `closing` that closes a misspelt element whose name was unclear
    // says which it meant: the open tag's mend is made by it.
    void namedByCloseTag(const StackTag& closing);
    // Mends the name of the misspelled tag just held to `known`, when that is sure.
    // `written`: the name in the document's text, `length` bytes.
    void fixName(const char* written, size_t length, const char* known, bool sole);
    bool seenUnknown(const char* bare, size_t length) const;
    void checkComment();
    // The attributes of the known tag just read, which has some or lacks a required one.
    void checkAttributes(int row, const std::vector<ScannedAttribute>& attributes);
    // Holds the problems findings_ has of the first `count` attributes of that tag.
    void holdAttributeFindings(int row, size_t count);
    void checkAttributeValues(const std::vector<ScannedAttribute>& attributes);
    void holdCharacters();
    void readValues(int row, bool custom, const std::vector<ScannedAttribute>& attributes);
    void readValue(const ScannedAttribute& a, std::string_view value, ValueRole role, const std::string* attribute,
                   int row);
    void checkUrlValue(const ScannedAttribute& a, std::string_view value, size_t offset, size_t length,
                       const std::string* attribute);
    void resolveReferences();
    uint32_t askerOf(ValueRole role, const std::string* attribute, int row);
    // Whether the page gives, so far, the name a reference asks for: a fragment an id or an
    // anchor's name, a map reference an id or a map's name, an id reference an id; or a name
    // it meant to give.
    bool settled(std::string_view sought, ValueRole role) const {
        const uint64_t hash = NameTable::hashOf(sought);
        return ids_.has(sought, hash) || (role == ValueRole::Url && anchors_.has(sought, hash)) ||
               (role == ValueRole::MapRef && maps_.has(sought, hash)) || meantNames_.has(sought, hash);
    }
    void findReferenceFaults();
    std::string_view kept(const std::string& decoded);
    Named namedPiece(const ScannedAttribute& a, std::string_view value, size_t offset, size_t length);
    void holdAt(ProblemKind kind, const Named& named, std::string name, std::string tag, std::string detail,
                int32_t count = 0, int32_t relatedLine = 0);

    Document& document_;
    const TagProfile& profile_;
    TagScanner scanner_;
    ElementStack stack_;
    ContentCheck content_;
    std::deque<Held> held_;  // a page may have hundreds of thousands: grown without copies
    std::vector<size_t> crossings_;  // in held_
    bool scanning_ = false;          // the scanner's tag is the one being checked
    // Each misplaced element held, with the offset of the element it can't stand in.
    struct Misplaced {
        size_t held;
        uint32_t holder;
    };
    std::vector<Misplaced> misplaced_;
    InlineExceptions exceptions_;
    std::vector<std::string> unknownWords_;
    // The names of the unknown elements opened so far (a few), whose close tags say nothing new.
    std::vector<std::string> unknownOpened_;
    // The nearest-name searches of the unknown names a page repeats (an html5 page checked
    // as html4 names section and nav thousands of times), by the name as written. A few
    // thousand at most: on a page of ever new names they start over.
    static constexpr size_t MostSearchesKept = 4096;
    std::unordered_map<std::string, Misspelling> misspellings_;
    std::unordered_map<std::string, NearAttribute> nearAttributes_;
    // The search kept for `key` in `searches`, made by `search` when there is none.
    template <typename Found, typename Search>
    static const Found& keptSearch(std::unordered_map<std::string, Found>& searches, std::string key, Search search) {
        auto found = searches.find(key);
        if (found != searches.end()) return found->second;
        if (searches.size() >= MostSearchesKept) searches.clear();
        return searches.emplace(std::move(key), search()).first->second;
    }
    // The misspelt elements whose names tie, and which nothing settled yet (a few): the
    // held problem and the open tag's "<".
    struct Unnamed {
        size_t held;
        const char* at;
        int near;                // the row it stands for
        std::vector<int> rows;   // the names that still fit it, when known
    };
    std::vector<Unnamed> unnamed_;
    int32_t trials_ = 0;  // of the stack, for misspelt names that tie
    // Each trial copies the stack: a page of many misspelt tags has a few.
    static constexpr int32_t MostTrials = 64;
    // The last unknown element opened that no known name alone is near, while the element
    // that holds it is open (`depth`: the stack's size then) and no close tag within two
    // edits of its name has come.
    struct Unplaced {
        const char* name = nullptr;
        uint32_t length = 0;
        size_t depth = 0;
    } unplaced_;
    bool unplacedHolds() {
        if (unplaced_.name && stack_.openElements().size() < unplaced_.depth) unplaced_.name = nullptr;
        return unplaced_.name != nullptr;
    }
    // True when the close tag `element` (of row `row`) closes nothing open and is most
    // likely the unplaced element's own, misspelt alike: it says nothing new.
    bool closesUnplaced(const StackTag& element) {
        if (!unplacedHolds()) return false;
        const std::string closing = lowerCased(std::string(element.name, element.nameLength));
        const std::string unplaced = lowerCased(std::string(unplaced_.name, unplaced_.length));
        if (editDistanceWithin(closing.data(), closing.size(), unplaced.data(), unplaced.size(), 2) > 2) return false;
        for (const StackTag& open : stack_.openElements()) {
            if (open.row == element.row) return false;
        }
        unplaced_.name = nullptr;
        return true;
    }
    const EncodingDecision encoding_;
    CharacterCheck characters_;
    // The names the page gives so far: a reference to one of them is settled as it is read,
    // and only the others wait for the end of the page.
    NameTable ids_;      // with the line of each one's first
    std::vector<std::pair<Named, int32_t>> duplicateIds_;  // and the line of the first
    NameTable anchors_;  // the names of a, besides the ids
    // Names a tag most likely meant to give but didn't, as written in the text: the value
    // of a misspelt id, the words of a tag whose quoting is broken. A reference to one of
    // them follows from that fault, reported already.
    NameTable meantNames_;
    NameTable maps_;     // the names of map
    std::deque<Wanted> wanted_;  // a deque: a page's many links are never moved as it grows
    std::vector<DecodedWanted> decodedWanted_;
    std::vector<Asker> askers_;
    bool resolving_ = false;     // at the end of the page, finding its references' problems
    // What the check asks of a tag's row at every tag, side by side.
    struct RowFacts {
        uint32_t valueLetters = 0;  // letterBit of the names it reads values of, the global ones too
        bool obsolete = false;
        bool cell = false;          // a table cell's
        bool isVoid = false;        // a void element's: it never opens
        bool textSkipped = false;   // its text body is neither tags nor looked at (a script's)
        bool foreign = false;       // it opens another vocabulary (svg)
        bool declaration = false;   // its name begins with "!" or "?" (<!DOCTYPE html>): no element
    };
    // The facts of `row`; a custom element's for -1.
    const RowFacts& facts(int row) const { return rows_[static_cast<size_t>(row + 1)]; }
    std::vector<RowFacts> rows_;  // a custom element's first
    uint32_t globalLetters_ = letterBit('i');  // of every row's, and of id
    NameCache<ValueName> valueNames_;  // by the name as written and the row (-1: custom)
    std::deque<std::string> decoded_;  // the values that had character references
    std::string scratch_;
    std::string anchor_;  // the fragment of a URL, decoded
    AttributeCheck attributeCheck_;
    std::vector<AttributeFinding> findings_;
    std::vector<AttributeFinding> trialFindings_;  // of a tag with a misspelt attribute renamed
};

int32_t HtmlCheck::run(ProblemSink& sink, const CheckOptions& options) {
    if (encoding_.encoding == PageEncoding::Utf16) {
        // Read byte by byte, such a page is NULs and stray letters: one report says why
        // nothing else is.
        held_.push_back({ProblemKind::Utf16Page, 1, 1, 0, "UTF-16", "", 0, static_cast<uint32_t>(encoding_.textStart), ""});
    } else {
        // The text between tags is looked at too, but not the contents of a script, a
        // style or an svg drawing, which have no character references of HTML.
        const char* textFrom = document_.text + encoding_.textStart;
        bool bodySkipped = false;
        scanning_ = true;
        while (scanner_.next()) {
            const ScannedTag& tag = scanner_.tag();
            if (!bodySkipped && tag.start > textFrom) characters_.text(textFrom, tag.start);
            textFrom = tag.end;
            // Asked once a tag: every check of the tag reads them.
            const std::vector<ScannedAttribute>& attributes = scanner_.attributes();
            checkTag(attributes);
            checkAttributeValues(attributes);
            // The scanner skips the same bodies.
            const RowFacts& f = facts(tag.row);
            bodySkipped = !tag.closing && tag.row >= 0 && !tag.comment && (f.textSkipped || (f.foreign && !tag.selfClosing));
        }
        scanning_ = false;
        if (!bodySkipped && document_.end > textFrom) characters_.text(textFrom, document_.end);
        holdCharacters();
    }
    stack_.finish();
    dropBeforeLeftOpen();
    dropCrowdedInsertions();
    resolveReferences();
    // In the order of the page; of one place, in the order they were found. Their places
    // are sorted, not the records, which are large.
    std::vector<uint32_t> order(held_.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const Held& x = held_[a];
        const Held& y = held_[b];
        return x.line != y.line ? x.line < y.line : x.column != y.column ? x.column < y.column : a < b;
    });
    int32_t handed = 0;
    for (const uint32_t i : order) {
        const Held& h = held_[i];
        if (h.dropped || options.ignored.test(static_cast<size_t>(h.kind)) || exceptions_.leavesOut(h.kind, h.line))
            continue;
        Problem problem{h.kind, h.line, h.column, h.name.c_str(), h.tag.c_str(), h.count, h.relatedLine, h.offset,
                        h.endOffset, h.detail.c_str(), severityOf(h.kind)};
        problem.fix.count = h.fix.count;
        for (int e = 0; e < h.fix.count; ++e) problem.fix.edits[e] = {h.fix.from[e], h.fix.to[e], h.fix.text[e].c_str()};
        sink.report(problem);
        ++handed;
    }
    return handed;
}

void HtmlCheck::checkAttributeValues(const std::vector<ScannedAttribute>& attributes) {
    const ScannedTag& tag = scanner_.tag();
    // After a lost quote the values are not what the page meant.
    if (tag.comment || tag.brokenQuotes) return;
    for (const ScannedAttribute& a : attributes) {
        if (a.value) characters_.attributeValue(a.value, a.value + a.valueLength);
    }
}

void HtmlCheck::holdCharacters() {
    static const char Hex[] = "0123456789ABCDEF";
    // The findings come in the order of the page (the one for bytes not valid last, at the
    // first of them): their lines are counted on from one to the next, with no index of
    // every line of the page.
    const char* counted = scanner_.textStart();
    const char* lineStart = counted;
    int32_t line = 1;
    auto placeOf = [&](const char* p) {
        if (p < counted) {
            counted = lineStart = scanner_.textStart();
            line = 1;
        }
        if (const char* last = byte_scan::lineFeeds(counted, p, document_.text, line)) lineStart = last + 1;
        counted = p;
        return TextPosition{line, columnOf(lineStart, p)};
    };
    for (const CharacterFinding& f : characters_.finish()) {
        std::string name;
        switch (f.kind) {
            case ProblemKind::ControlCharacter: {
                char code[12] = "U+";
                const auto c = static_cast<uint32_t>(f.count);
                int n = 2;
                for (int shift = c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4) code[n++] = Hex[(c >> shift) & 0xF];
                name.assign(code, static_cast<size_t>(n));
                break;
            }
            case ProblemKind::InvalidBytes: {
                const auto byte = static_cast<unsigned char>(*f.at);
                name = {'0', 'x', Hex[byte >> 4], Hex[byte & 0xF]};
                break;
            }
            default:
                // A reference as written; a long run of letters is cut.
                name.assign(f.at, std::min<size_t>(static_cast<size_t>(f.end - f.at), 40));
                if (f.end - f.at > 40) name += "...";
                break;
        }
        const TextPosition at = placeOf(f.at);
        held_.push_back({f.kind, at.line, at.column, 0, std::move(name), "", offsetIn(document_, f.at),
                         offsetIn(document_, f.end), "", false, f.count});
    }
}

void HtmlCheck::keepWordsOfTag() {
    const ScannedTag& tag = scanner_.tag();
    auto apart = [](char c) { return isIdSpace(c) || strchr("\"'=<>#", c) != nullptr; };
    for (const char* p = tag.start; p < tag.end;) {
        while (p < tag.end && apart(*p)) ++p;
        const char* word = p;
        while (p < tag.end && !apart(*p)) ++p;
        if (p > word) meantNames_.add(std::string_view(word, static_cast<size_t>(p - word)), 1);
    }
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

void HtmlCheck::checkTag(const std::vector<ScannedAttribute>& attributes) {
    const ScannedTag& tag = scanner_.tag();
    if (tag.comment) return checkComment();
    const char* bare = tag.closing ? tag.name + 1 : tag.name;
    int row = tag.row;
    const bool custom = row < 0 && profile_.isCustomElement(bare);
    if (row < 0 && !custom) {
        const int open = profile_.find(bare);
        if (tag.closing && open >= 0 && profile_.row(open).kind == PairVoid) {
            holdAtTag(ProblemKind::VoidClose, tag.name);
            // A void element closes nothing: its close tag says nothing the page needs.
            if (tagWhole()) held_.back().fix.add(held_.back().offset, held_.back().endOffset, "");
        } else {
            checkUnknownTag(bare);
        }
        return;
    }
    const RowFacts& f = facts(custom ? -1 : row);
    // The tag as the table names it, for the problems of the tag itself.
    auto shownName = [&] { return custom ? capitalised(tag.name) : std::string(profile_.row(row).name); };
    if (!tag.closing && f.obsolete) holdAtTag(ProblemKind::ObsoleteTag, tag.name);
    // The attributes of a tag cut short are not known: the text after its last one may be
    // taken for more. A custom element takes any attributes.
    if (tag.finished || tag.brokenQuotes) {
        if (!custom && attributeCheck_.needed(row, tag.closing, attributes.size())) checkAttributes(row, attributes);
        if (!tag.closing && !attributes.empty() && !f.declaration) readValues(custom ? -1 : row, custom, attributes);
    }
    if (tag.brokenQuotes) {
        keepWordsOfTag();
        holdAtTag(ProblemKind::UnbalancedQuotes, shownName());
    } else if (!tag.finished) {
        holdAtTag(ProblemKind::UnfinishedTag, shownName());
        // Cut short by the next tag: its ">" was left out there.
        if (tag.end < document_.end && *tag.end == '<') {
            const uint32_t at = offsetIn(document_, tag.end);
            held_.back().fix.add(at, at, ">");
        }
    }
    const bool cell = f.cell && !stack_.inTable();
    if (cell && !tag.closing) holdAtTag(ProblemKind::CellOutsideTable, profile_.row(row).name);
    // Declarations (<!DOCTYPE html>) are no elements.
    if (f.declaration) return;

    const uint32_t slash = tag.closing ? 1 : 0;
    const int openRow = custom ? -1 : row - static_cast<int>(slash);
    const StackTag element{openRow,   tag.start + 1 + slash, tag.nameLength - slash,
                           tag.start, tag.lineStart, tag.line, tag.end};
    if (tag.closing) {
        if (!custom && closesUnplaced(element)) return;
        if (!unnamed_.empty() && !custom) namedByCloseTag(element);
        // A cell outside any table is reported once: at its open tag when it has one.
        if (!cell) {
            stack_.close(element);
        } else if (!stack_.closeIfOpen(element)) {
            holdAtTag(ProblemKind::CellOutsideTable, profile_.row(row).name);
        }
        return;
    }
    const bool opens = !tag.selfClosing && !f.isVoid;
    if (!unnamed_.empty() && !custom) settledByChild(element, opens);
    stack_.start(element, opens);
    if (!cell) content_.started(element, opens, attributes);
}

void HtmlCheck::checkUnknownTag(const char* bare) {
    const ScannedTag& tag = scanner_.tag();
    // Declarations and the like are no elements.
    if (!isAsciiLetter(bare[0])) return holdAtTag(ProblemKind::UnknownTag, tag.name);
    const uint32_t length = tag.nameLength - (tag.closing ? 1 : 0);
    // Named in the document's text, as the stack keeps its elements past this tag.
    StackTag element{-1, tag.start + (tag.closing ? 2 : 1), length, tag.start, tag.lineStart, tag.line, tag.end};
    if (tag.closing) {
        // The close tag of an unknown element says nothing its open tag didn't.
        if (const char* opened = stack_.closeMisspelled(element)) {
            // The mend of its open tag's name mends this one alike.
            for (size_t i = held_.size(); i-- > 0;) {
                Held& h = held_[i];
                if (h.offset != offsetIn(document_, opened) || h.kind != ProblemKind::UnknownTag) continue;
                if (h.fix.count == 1) {
                    std::string text = tagNamed() && memcmp(element.name, bare, length) == 0
                                           ? inCaseOf(bare, length, lowerCased(h.fix.text[0]))
                                           : std::string();
                    const uint32_t at = offsetIn(document_, element.name);
                    if (text.empty()) {
                        h.fix.count = 0;  // the pair is mended together or not at all
                    } else {
                        h.fix.add(at, at + length, std::move(text));
                    }
                }
                break;
            }
            return;
        }
        if (unplaced_.name && unplaced_.length == length && foldedEqual(unplaced_.name, bare, length))
            unplaced_.name = nullptr;
        if (seenUnknown(bare, length)) return;
        bool sole = false;
        std::vector<int> tied;
        const int near = misspelledElement(bare, length, &sole, nullptr, &tied);
        if (near < 0) return holdAtTag(ProblemKind::UnknownTag, tag.name);
        const std::string known = lowerCased(profile_.row(near).name);
        holdAtTag(ProblemKind::UnknownTag, tag.name, std::string(), "/" + known);
        // The element it misspells is closed, not left open for a report of its own.
        element.row = near;
        const bool sure = sole || aloneOpen(near, tied, element);
        // Spelled right, it would close the same element.
        if (stack_.closeIfOpen(element)) fixName(element.name, length, known.c_str(), sure);
        return;
    }
    if (unknownOpened_.size() < 64 && !seenUnknown(bare, length)) unknownOpened_.emplace_back(bare, length);
    bool sole = false, unclear = false;
    std::vector<int> tied;
    const int near = misspelledElement(bare, length, &sole, &unclear, &tied);
    if (near < 0) {
        if (unclear && !tag.selfClosing) unplaced_ = {element.name, length, stack_.openElements().size()};
        return holdAtTag(ProblemKind::UnknownTag, tag.name);
    }
    const std::string known = lowerCased(profile_.row(near).name);
    holdAtTag(ProblemKind::UnknownTag, tag.name, std::string(), known);
    std::vector<int> fitting;
    const bool sure = sole || aloneFits(near, tied, element, fitting);
    fixName(element.name, length, known.c_str(), sure);
    // Its own close tag, spelled right, or what it holds may still say which name it is.
    if (!sure && held_.back().fix.count == 0 && unnamed_.size() < 64 && tagNamed() &&
        memcmp(element.name, bare, length) == 0)
        unnamed_.push_back({held_.size() - 1, element.at, near, std::move(fitting)});
    // It stands for the element it misspells, so that what follows pairs as the author meant.
    element.row = near;
    const bool opens = !tag.selfClosing && profile_.row(near).kind != PairVoid;
    stack_.start(element, opens);
    content_.stoodIn(element, opens);
}

void HtmlCheck::fixName(const char* written, size_t length, const char* known, bool sole) {
    // The name as the scanner read it must be the text's own bytes, or the edit would miss.
    const ScannedTag& tag = scanner_.tag();
    const char* bare = tag.closing ? tag.name + 1 : tag.name;
    if (!sole || !tagNamed() || memcmp(written, bare, length) != 0) return;
    std::string text = inCaseOf(bare, length, known);
    if (text.empty()) return;
    const uint32_t at = offsetIn(document_, written);
    held_.back().fix.add(at, at + static_cast<uint32_t>(length), std::move(text));
}

bool HtmlCheck::strayForSure(const StackTag& closing) const {
    if (closing.at != scanner_.tag().start || !tagWhole()) return false;
    for (const StackTag& open : stack_.openElements()) {
        if (closing.row >= 0 ? open.row == closing.row
                             : open.nameLength == closing.nameLength &&
                                   foldedEqual(open.name, closing.name, closing.nameLength))
            return false;
    }
    return true;
}

bool HtmlCheck::swappable(const StackTag& closing, const StackTag& crossed) const {
    const ScannedTag& now = scanner_.tag();
    if (!scanning_ || !now.closing || now.start < closing.end || !tagWhole()) return false;
    if (now.nameLength != crossed.nameLength + 1 || !foldedEqual(now.name + 1, crossed.name, crossed.nameLength))
        return false;
    if (!removableTag(document_.text, offsetIn(document_, closing.at), offsetIn(document_, closing.end))) return false;
    for (const char* p = closing.end; p < now.start; ++p) {
        if (!isBlank(*p)) return false;
    }
    return !stack_.passedOthers(closing.at, crossed.at);
}

bool HtmlCheck::splittable(const StackTag& closing, const StackTag& crossed) const {
    const ScannedTag& now = scanner_.tag();
    if (!scanning_ || !now.closing || now.start < closing.end || !tagWhole() || !nameWhole(crossed)) return false;
    if (now.nameLength != crossed.nameLength + 1 || !foldedEqual(now.name + 1, crossed.name, crossed.nameLength))
        return false;
    if (!removableTag(document_.text, offsetIn(document_, closing.at), offsetIn(document_, closing.end)) ||
        !removableTag(document_.text, offsetIn(document_, crossed.at), offsetIn(document_, crossed.end)))
        return false;
    bool text = false;
    for (const char* p = closing.end; p < now.start; ++p) {
        if (*p == '<' || *p == '\n') return false;
        text = text || !isBlank(*p);
    }
    return text && !stack_.passedOthers(closing.at, crossed.at);
}

const char* HtmlCheck::laidOutPlace(const StackTag& element, const StackTag& closer) const {
    auto columns = [](const char* from, const char* to) {
        int32_t column = 0;
        for (const char* p = from; p < to; ++p) column = *p == '\t' ? (column / 8 + 1) * 8 : column + 1;
        return column;
    };
    for (const char* p = element.lineStart; p < element.at; ++p) {
        if (!isBlank(*p)) return nullptr;
    }
    const int32_t indent = columns(element.lineStart, element.at);
    // `closer` beginning its line less far in: the line before it, if only blanks as far
    // in as the open tag, or the open tag's own line, if nothing follows the tag there
    // (an element that holds nothing), ends where the close tag stood.
    const char* closerLine = closer.at;
    while (closerLine > document_.text && isBlank(closerLine[-1])) --closerLine;
    if (closerLine > element.end && closerLine[-1] == '\n' && columns(closerLine, closer.at) < indent) {
        const char* before = closerLine - 1;
        if (before > document_.text && before[-1] == '\r') --before;
        const char* blanks = before;
        while (blanks > document_.text && isBlank(blanks[-1])) --blanks;
        if (blanks == element.end) return before;
        if (blanks > document_.text && blanks[-1] == '\n' && columns(blanks, before) == indent) return before;
    }
    int32_t content = -1;  // the indentation of its first line of content
    // The line before, when it holds only blanks: where they start and end.
    const char* blankStart = nullptr;
    const char* blankEnd = nullptr;
    const char* line =
        static_cast<const char*>(memchr(element.end, '\n', static_cast<size_t>(closer.at - element.end)));
    // A page of many elements left open asks this of each: the search stays near.
    for (int lines = 0; line && line < closer.at && lines < 1000; ++lines) {
        const char* start = line + 1;
        const char* end = static_cast<const char*>(memchr(start, '\n', static_cast<size_t>(document_.end - start)));
        if (!end) end = document_.end;
        const char* textEnd = end > start && end[-1] == '\r' ? end - 1 : end;
        const char* first = start;
        while (first < textEnd && isBlank(*first)) ++first;
        if (first == textEnd) {
            blankStart = first > start ? start : nullptr;
            blankEnd = first;
        } else {
            const int32_t at = columns(start, first);
            if (at <= indent) {
                const bool closeTag = first + 1 < textEnd && first[1] == '/';
                if (!blankStart || *first != '<' || first > closer.at || (at == indent && !closeTag)) return nullptr;
                // The blanks stand as far in as a close tag of the element would, not as
                // its content does.
                const int32_t blanks = columns(blankStart, blankEnd);
                return blanks >= indent && content > blanks ? blankEnd : nullptr;
            }
            if (content < 0) content = at;
            blankStart = nullptr;
        }
        line = end < document_.end ? end : nullptr;
    }
    return nullptr;
}

const char* HtmlCheck::afterContent(const char* next, const char* openEnd) const {
    if (next < openEnd) return nullptr;
    const char* place = closePlace(next);
    if (place != next) return place >= openEnd ? place : nullptr;
    while (place > openEnd && (isBlank(place[-1]) || place[-1] == '\r' || place[-1] == '\n')) --place;
    return place;
}

const char* HtmlCheck::closePlace(const char* closer) const {
    auto white = [](char c) { return isBlank(c) || c == '\r' || c == '\n'; };
    const char* content = closer;
    while (content > document_.text && white(content[-1])) --content;
    const char* place = closer;
    for (const char* p = content; p < closer; ++p) {
        if (*p != '\n') continue;
        const char* q = p + 1;
        while (q < closer && (isBlank(*q) || *q == '\r')) ++q;
        if (q < closer && *q == '\n') place = q[-1] == '\r' && q - 1 > p ? q - 1 : q;
    }
    return place;
}

void HtmlCheck::dropCrowdedInsertions() {
    std::vector<uint32_t> places, crowded;
    for (const Held& h : held_) {
        if (h.kind != ProblemKind::NotClosed || h.fix.count == 0 || h.dropped) continue;
        if (std::find(places.begin(), places.end(), h.fix.from[0]) != places.end()) crowded.push_back(h.fix.from[0]);
        places.push_back(h.fix.from[0]);
    }
    if (crowded.empty()) return;
    for (Held& h : held_) {
        if (h.kind == ProblemKind::NotClosed && h.fix.count > 0 &&
            std::find(crowded.begin(), crowded.end(), h.fix.from[0]) != crowded.end())
            h.fix.count = 0;
    }
}

bool HtmlCheck::tagWhole() const {
    const ScannedTag& tag = scanner_.tag();
    return tag.finished && !tag.brokenQuotes &&
           removableTag(document_.text, offsetIn(document_, tag.start), offsetIn(document_, tag.end));
}

std::string HtmlCheck::inCaseOf(const char* written, size_t length, const std::string& known) {
    bool lower = false, upper = false;
    for (size_t i = 0; i < length; ++i) {
        lower = lower || (written[i] >= 'a' && written[i] <= 'z');
        upper = upper || isAsciiUpper(written[i]);
    }
    if (lower && upper) return std::string();
    std::string text = known;
    if (upper) {
        for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    }
    return text;
}

int HtmlCheck::misspelledElement(const char* bare, size_t length, bool* sole, bool* unclear,
                                 std::vector<int>* tied) {
    const Misspelling& m =
        keptSearch(misspellings_, std::string(bare, length), [&] { return findMisspelling(bare, length); });
    if (sole) *sole = m.sole;
    if (unclear) *unclear = m.unclear;
    if (tied) *tied = m.tied;
    return m.near;
}

HtmlCheck::Misspelling HtmlCheck::findMisspelling(const char* bare, size_t length) const {
    Misspelling m;
    m.near = profile_.nearestElement(bare, length, &m.sole, &m.unclear, &m.tied);
    if ((m.near < 0 && !m.unclear) || profile_.name() == "html5") return m;
    // An element of current HTML on an older page is no misspelling (header is not head).
    static const std::unique_ptr<TagProfile> current = TagProfile::make("html5");
    if (current && current->find(std::string(bare, length).c_str()) >= 0) {
        // Still maybe a misspelling (rt for tr): what it holds is not reported for it.
        m.unclear = true;
        m.near = -1;
    }
    return m;
}

bool HtmlCheck::aloneFits(int near, const std::vector<int>& tied, const StackTag& written,
                          std::vector<int>& fitting) {
    const ScannedTag& tag = scanner_.tag();
    if (tied.size() < 2 || tag.brokenQuotes || !tag.finished || trials_ >= MostTrials) return false;
    ++trials_;
    const std::vector<ScannedAttribute>& attributes = scanner_.attributes();
    for (int row : tied) {
        bool fits = std::all_of(attributes.begin(), attributes.end(), [&](const ScannedAttribute& a) {
            return profile_.hasAttribute(std::string(a.name, a.length).c_str(), row);
        });
        if (fits) {
            StackTag as = written;
            as.row = row;
            const bool opens = !tag.selfClosing && profile_.row(row).kind != PairVoid;
            const std::vector<StackTag> open = stack_.openAfterStart(as, opens);
            fits = content_.wouldStand(row, attributes, open, open.size() - (opens ? 1 : 0));
        }
        if (fits) fitting.push_back(row);
    }
    return fitting.size() == 1 && fitting[0] == near;
}

void HtmlCheck::settledByChild(const StackTag& child, bool opens) {
    const std::vector<StackTag>& open = stack_.openElements();
    if (open.empty()) return;
    const StackTag& top = open.back();
    for (size_t u = 0; u < unnamed_.size(); ++u) {
        Unnamed& unnamed = unnamed_[u];
        if (unnamed.at != top.at) continue;
        if (unnamed.rows.size() < 2 || trials_ >= MostTrials) return;
        ++trials_;
        std::vector<int> left;
        for (int row : unnamed.rows) {
            // Read as this name, the misspelt element must still be open, holding the child.
            const std::vector<StackTag> after = stack_.openAfterStart(child, opens, row);
            const size_t parent = after.size() - (opens ? 2 : 1);
            const bool holds = after.size() >= (opens ? 2 : 1) && after[parent].at == top.at;
            if (!holds || content_.wouldHold(row, child.row, scanner_.attributes())) left.push_back(row);
        }
        if (left.size() == 1 && left[0] == unnamed.near) {
            Held& held = held_[unnamed.held];
            std::string text = inCaseOf(top.name, top.nameLength, lowerCased(profile_.row(unnamed.near).name));
            const uint32_t at = offsetIn(document_, top.name);
            if (!text.empty() && held.fix.count == 0) held.fix.add(at, at + top.nameLength, std::move(text));
            unnamed_.erase(unnamed_.begin() + static_cast<std::ptrdiff_t>(u));
            return;
        }
        unnamed.rows = std::move(left);
        return;
    }
}

bool HtmlCheck::aloneOpen(int near, const std::vector<int>& tied, const StackTag& closing) const {
    if (tied.size() < 2) return false;
    for (int row : tied) {
        StackTag as = closing;
        as.row = row;
        if ((stack_.closedElement(as) != nullptr) != (row == near)) return false;
    }
    return true;
}

void HtmlCheck::namedByCloseTag(const StackTag& closing) {
    const StackTag* open = stack_.closedElement(closing);
    if (!open) return;
    for (size_t u = 0; u < unnamed_.size(); ++u) {
        if (unnamed_[u].at != open->at) continue;
        Held& held = held_[unnamed_[u].held];
        unnamed_.erase(unnamed_.begin() + static_cast<std::ptrdiff_t>(u));
        std::string text = inCaseOf(open->name, open->nameLength, lowerCased(profile_.row(open->row).name));
        const uint32_t at = offsetIn(document_, open->name);
        if (!text.empty() && held.fix.count == 0) held.fix.add(at, at + open->nameLength, std::move(text));
        return;
    }
}

bool HtmlCheck::seenUnknown(const char* bare, size_t length) const {
    for (const std::string& name : unknownOpened_) {
        if (name.size() == length && foldedEqual(name.data(), bare, length)) return true;
    }
    return false;
}

void HtmlCheck::checkAttributes(int row, const std::vector<ScannedAttribute>& attributes) {
    const ScannedTag& tag = scanner_.tag();
    // What follows a lost quote is the quoting's fault, reported as such.
    size_t count = attributes.size();
    if (tag.brokenQuotes) {
        count = 0;
        while (count < attributes.size() && !attributes[count].suspect) ++count;
    }
    findings_.clear();
    attributeCheck_.check(row, tag.closing, attributes.data(), count, tag.brokenQuotes, findings_);
    if (!findings_.empty()) holdAttributeFindings(row, count);
}

void HtmlCheck::holdAttributeFindings(int row, size_t count) {
    const ScannedTag& tag = scanner_.tag();
    const std::vector<ScannedAttribute>& attributes = scanner_.attributes();
    const char* rowName = profile_.row(row).name;
    for (AttributeFinding& f : findings_) {
        if (!f.at) {
            holdAtTag(f.kind, std::move(f.name), rowName);
            continue;
        }
        bool sole = false;
        if (f.kind == ProblemKind::UnknownAttribute) sole = suggestAttribute(f, row, attributes.data(), count);
        const TextPosition at = scanner_.positionOf(f.at);
        const uint32_t offset = offsetIn(document_, f.at);
        std::string mend = sole && !tag.brokenQuotes ? inCaseOf(f.at, f.length, f.detail) : std::string();
        held_.push_back({f.kind, at.line, at.column, 0, std::move(f.name), rowName, offset, offset + f.length,
                         std::move(f.detail)});
        if (!mend.empty()) held_.back().fix.add(offset, offset + f.length, std::move(mend));
    }
}

// "Did you mean": the known attribute nearest an unknown one goes in its detail. When the
// misspelt name is one that names the element (id, name), its value is what later
// references meant.
bool HtmlCheck::suggestAttribute(AttributeFinding& f, int row, const ScannedAttribute* attributes, size_t count) {
    std::string key(reinterpret_cast<const char*>(&row), sizeof row);
    key.append(f.name, 0, f.length);
    const NearAttribute& kept = keptSearch(nearAttributes_, std::move(key), [&] {
        NearAttribute searched;
        searched.near = profile_.nearestAttribute(f.name.c_str(), f.length, row, &searched.sole, &searched.tied);
        return searched;
    });
    bool sole = kept.sole;
    const std::vector<const char*>& tied = kept.tied;
    const char* near = kept.near;
    if (!near) return false;
    if (!sole) sole = valueSettles(f, near, tied, row, attributes, count);
    f.detail = near;
    const size_t nearLength = strlen(near);
    for (size_t i = 0; i < count; ++i) {
        const ScannedAttribute& a = attributes[i];
        if (a.name == f.at && a.value && namesItself(near, row)) meantNames_.add(std::string_view(a.value, a.valueLength), 1);
        if (a.length == nearLength && foldedEqual(a.name, near, nearLength)) sole = false;
    }
    return sole;
}

bool HtmlCheck::valueSettles(const AttributeFinding& f, const char* near, const std::vector<const char*>& tied, int row,
                             const ScannedAttribute* attributes, size_t count) {
    if (tied.size() < 2 || scanner_.tag().brokenQuotes) return false;
    std::vector<ScannedAttribute> renamed(attributes, attributes + count);
    const char* fitting = nullptr;
    for (const char* name : tied) {
        bool fits = true;
        for (ScannedAttribute& a : renamed) {
            if (a.name == f.at) {
                a.name = name;
                a.length = static_cast<uint32_t>(strlen(name));
            }
        }
        trialFindings_.clear();
        attributeCheck_.check(row, scanner_.tag().closing, renamed.data(), renamed.size(), false, trialFindings_);
        // Named so, the attribute must bring no fault the tag didn't have: not there twice,
        // not a value it doesn't take, not a condition it lacks.
        for (const AttributeFinding& t : trialFindings_) {
            fits = fits && t.at != name &&
                   std::any_of(findings_.begin(), findings_.end(), [&](const AttributeFinding& o) {
                       return o.kind == t.kind && o.name == t.name;
                   });
        }
        for (ScannedAttribute& a : renamed) {
            if (a.name == name) {
                a.name = f.at;
                a.length = f.length;
            }
        }
        if (!fits) continue;
        if (fitting) return false;
        fitting = name;
    }
    return fitting == near;
}

// An id, a reference or a URL as a message shows it: longer than an attribute's value.
std::string shown(std::string_view text) { return quotedValue(text.data(), text.size(), 60); }


std::string_view HtmlCheck::kept(const std::string& decoded) {
    decoded_.push_back(decoded);
    return decoded_.back();
}

// The piece [offset, offset + length) of `value` (a's value, decoded when it had
// character references), placed where it stands in the text.
HtmlCheck::Named HtmlCheck::namedPiece(const ScannedAttribute& a, std::string_view value, size_t offset,
                                       size_t length) {
    const char* rawEnd = a.value + a.valueLength;
    const char* at = a.value + offset;
    const char* end = at + length;
    if (value.data() != a.value) {
        at = rawPositionOfDecoded(a.value, rawEnd, offset);
        end = rawPositionOfDecoded(a.value, rawEnd, offset + length);
    }
    // The tag's line, and the line feeds within the tag before the value: most tags have none.
    const ScannedTag& tag = scanner_.tag();
    int32_t line = tag.line;
    if (const char* feed = static_cast<const char*>(memchr(tag.start, '\n', static_cast<size_t>(at - tag.start))))
        line += static_cast<int32_t>(std::count(feed, at, '\n'));
    return {value.substr(offset, length), at, static_cast<uint32_t>(end - at), line};
}

void HtmlCheck::holdAt(ProblemKind kind, const Named& named, std::string name, std::string tag, std::string detail,
                       int32_t count, int32_t relatedLine) {
    // At the end of the page the scan is far away: the line was kept, the column is found
    // from the start of that line.
    TextPosition at;
    if (resolving_) {
        const char* lineStart = named.at;
        while (lineStart > scanner_.textStart() && lineStart[-1] != '\n') --lineStart;
        at = {named.line, columnOf(lineStart, named.at)};
    } else {
        at = scanner_.positionOf(named.at);
    }
    const uint32_t offset = offsetIn(document_, named.at);
    held_.push_back({kind, at.line, at.column, relatedLine, std::move(name), std::move(tag), offset,
                     offset + std::max<uint32_t>(named.rawLength, 1), std::move(detail), false, count});
}

// The values of a tag's attributes (it has some) that name an id, a map or a URL: the
// names the page gives are gathered, each reference waits for the end of the page, each
// URL is checked.
void HtmlCheck::readValues(int row, bool custom, const std::vector<ScannedAttribute>& attributes) {
    const bool brokenQuotes = scanner_.tag().brokenQuotes;
    const std::vector<ValueAttribute>* own = custom ? nullptr : &profile_.valueAttributes(row);
    const std::vector<AttributeUse>* anchors = custom ? nullptr : &profile_.links(row).anchors;
    const std::vector<ValueAttribute>& globals = profile_.globalValueAttributes();
    static const std::string Id = "id";
    const uint32_t letters = facts(row).valueLetters;
    // What the row reads of an attribute's value, by its name.
    auto lookUp = [&](const ScannedAttribute& a) {
        ValueName found;
        auto matches = [&](const std::string& name) {
            return name.size() == a.length && foldedEqual(name.data(), a.name, a.length);
        };
        if (matches(Id)) {
            found.attribute = &Id;
            return found;
        }
        if (own) {
            for (const ValueAttribute& v : *own) {
                if (matches(v.name)) found.role = v.role, found.attribute = &v.name;
            }
            for (const AttributeUse& use : *anchors) {
                if (use.condition.empty() && matches(use.name)) found.anchor = true, found.attribute = &use.name;
            }
        }
        if (!found.attribute) {
            for (const ValueAttribute& v : globals) {
                if (matches(v.name)) found.role = v.role, found.attribute = &v.name;
            }
        }
        return found;
    };
    for (size_t i = 0; i < attributes.size(); ++i) {
        const ScannedAttribute& a = attributes[i];
        if (a.suspect && brokenQuotes) break;
        if (!a.value || a.length == 0 || !(letters & letterBit(a.name[0]))) continue;
        const ValueName* cached = valueNames_.find(a.name, a.length, row);
        const ValueName found = cached ? *cached : lookUp(a);
        if (!cached) valueNames_.keep(a.name, a.length, row, found);
        const std::string* attribute = found.attribute;
        const ValueRole role = found.role;
        const bool anchor = found.anchor;
        if (!attribute) continue;
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
            if (attribute == &Id) {
                const Named id = namedPiece(a, value, 0, value.size());
                if (const int32_t first = ids_.add(id.text, id.line)) duplicateIds_.push_back({id, first});
            } else {
                anchors_.add(value, 1);
            }
            continue;
        }
        readValue(a, value, role, attribute, row);
    }
}

void HtmlCheck::readValue(const ScannedAttribute& a, std::string_view value, ValueRole role,
                          const std::string* attribute, int row) {
    // What waits for the end of the page must outlive the scratch room of decoded values.
    auto lasting = [&] {
        if (value.data() == scratch_.data()) value = kept(scratch_);
        return value;
    };
    // A reference to a name the page has given already is settled; the others wait.
    // `anchor`: for a fragment whose anchor isn't the text after its "#", that anchor.
    auto want = [&](size_t offset, size_t length, ValueRole as, const std::string* anchor = nullptr) {
        if (as != ValueRole::Url && settled(value.substr(offset, length), as)) return;
        const bool decoded = value.data() != a.value;
        const Named named = namedPiece(a, decoded ? lasting() : value, offset, length);
        uint32_t decodedAt = 0;
        if (decoded || anchor) {
            decodedWanted_.push_back({named.text, anchor ? kept(*anchor) : named.text.substr(std::min<size_t>(1, length))});
            decodedAt = static_cast<uint32_t>(decodedWanted_.size());
        }
        wanted_.push_back({offsetIn(document_, named.at), named.rawLength, named.line, askerOf(as, attribute, row),
                           decodedAt});
    };
    switch (role) {
        case ValueRole::MapName:
            if (!value.empty()) maps_.add(lasting(), 1);
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
                if (!settled(anchor_, ValueRole::Url))
                    want(offset, url.size(), ValueRole::Url, url.substr(1) == anchor_ ? nullptr : &anchor_);
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

uint32_t HtmlCheck::askerOf(ValueRole role, const std::string* attribute, int row) {
    // The same as the last one, mostly: a page's links come from a few attributes.
    auto same = [&](const Asker& asker) { return asker.role == role && asker.attribute == attribute && asker.row == row; };
    if (row >= 0) {
        if (!askers_.empty() && same(askers_.back())) return static_cast<uint32_t>(askers_.size() - 1);
        // Only among the first ones: a page of many custom elements would make this slow,
        // and an asker twice in the list costs nothing but its room.
        for (size_t i = 0; i < std::min<size_t>(askers_.size(), 64); ++i) {
            if (same(askers_[i])) return static_cast<uint32_t>(i);
        }
    }
    const ScannedTag& tag = scanner_.tag();
    askers_.push_back({role, attribute, row, tag.start + 1, tag.nameLength});
    return static_cast<uint32_t>(askers_.size() - 1);
}

void HtmlCheck::resolveReferences() {
    if (duplicateIds_.empty() && wanted_.empty()) return;
    resolving_ = true;
    findReferenceFaults();
    resolving_ = false;
}

void HtmlCheck::findReferenceFaults() {
    // Each id once: the later ones of a name are reported, with the first one's line.
    for (const auto& [id, first] : duplicateIds_)
        holdAt(ProblemKind::DuplicateId, id, shown(id.text), std::string(), std::string(), 0, first);
    for (const Wanted& w : wanted_) {
        const Asker& asker = askers_[w.asker];
        const char* at = document_.text + w.at;
        Named named{std::string_view(at, w.rawLength), at, w.rawLength, w.line};
        std::string_view anchor = named.text.substr(std::min<size_t>(1, w.rawLength));
        if (w.decoded) named.text = decodedWanted_[w.decoded - 1].text, anchor = decodedWanted_[w.decoded - 1].anchor;
        if (settled(asker.role == ValueRole::Url ? anchor : named.text, asker.role)) continue;
        if (asker.role == ValueRole::Url) {
            holdAt(ProblemKind::MissingAnchor, named, shown(named.text), std::string(), shown(anchor));
            continue;
        }
        std::string tagName = asker.row >= 0 ? std::string(profile_.row(asker.row).name)
                                             : capitalised(std::string(asker.tagName, asker.tagNameLength));
        holdAt(ProblemKind::MissingId, named, shown(named.text), std::move(tagName), *asker.attribute,
               asker.role == ValueRole::MapRef ? 1 : 0);
    }
}

}  // namespace

const char* problemKindId(ProblemKind kind) { return KindIds[static_cast<int>(kind)]; }

Severity severityOf(ProblemKind kind) {
    switch (kind) {
        // Not a fault of the page: a page the check can't read.
        case ProblemKind::Utf16Page:
        // Obsolete, not wrong: browsers still honour it.
        case ProblemKind::ObsoleteAttribute:
            return Severity::Warning;
        default:
            return Severity::Error;
    }
}

const std::vector<ProblemKind>& problemKindsOf(const TagProfile& profile) {
    using K = ProblemKind;
    static const std::vector<ProblemKind> html32 = {
        K::UnknownTag, K::UnknownAttribute, K::UnbalancedQuotes, K::OpenBeforeClose,
        K::CloseWithoutOpen, K::MoreClosesThanOpens, K::CellOutsideTable, K::UnbalancedTags,
        K::UnknownDirectiveKind};
    static const std::vector<ProblemKind> html = {
        K::UnknownTag, K::ObsoleteTag, K::UnknownAttribute, K::UnbalancedQuotes, K::UnfinishedTag,
        K::NotClosed, K::CloseWithoutOpen, K::CrossingClose, K::VoidClose, K::CellOutsideTable,
        K::UnknownReference, K::ReferenceWithoutSemicolon, K::BadNumericReference, K::ControlCharacter,
        K::InvalidBytes, K::Utf16Page,
        K::DuplicateId, K::MissingId, K::MissingAnchor, K::BadUrl,
        K::MisplacedElement, K::MissingChild,
        K::MissingAttribute, K::BadAttributeValue, K::DuplicateAttribute, K::ObsoleteAttribute, K::MisplacedAttribute,
        K::UnknownDirectiveKind};
    return profile.readsAsHtml() ? html : html32;
}

int32_t checkDocument(Document& document, ProblemSink& sink, const TagProfile& profile, const CheckOptions& options) {
    if (profile.readsAsHtml()) return HtmlCheck(document, profile).run(sink, options);

    InlineExceptions exceptions(profile);
    std::vector<std::string> unknownWords;
    LineByLine lines(sink, exceptions, options, document);
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
        if (profile.checksAttributes(row)) checkAttributes(run, row, scanner.attributes());
        // A tag cut at the buffer's capacity holds no more than that.
        checkQuotes(run, profile.row(row).name, tag.text,
                    tag.text == document.tagBuffer ? std::min(tag.length, document.tagCapacity) : tag.length);
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
                // Nothing is open to close: without it the pairing goes on as it does after it.
                Fix fix;
                if (removableTag(run.document.text, run.tagOffset, run.tagEndOffset))
                    fix.edits[fix.count++] = {run.tagOffset, run.tagEndOffset, ""};
                report(run, ProblemKind::CloseWithoutOpen, nameAsRead, "", 0, fix);
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
        const bool* cached = run.knownAttributes.find(a.name, a.length, row);
        if (cached && *cached) continue;
        char name[ScannedNameSize];
        memcpy(name, a.name, a.length);
        name[a.length] = '\0';
        const bool known = cached ? *cached : profile.hasAttribute(name, row);
        if (!cached) run.knownAttributes.keep(a.name, a.length, row, known);
        if (!known) report(run, ProblemKind::UnknownAttribute, name, profile.row(row).name);
    }
}

void checkQuotes(CheckRun& run, const char* tagName, const char* text, int32_t length) {
    // The quotes before the tag's first ">" (its last, unless a comment holds one before).
    const size_t held = static_cast<size_t>(std::max(length, 1));
    const char* first = static_cast<const char*>(memchr(text + 1, '>', held - 1));
    const ptrdiff_t quotes = std::count(text + 1, first ? first : text + held, '"');
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
