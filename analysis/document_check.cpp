#include "document_check.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "attribute_check.h"
#include "element_stack.h"
#include "inline_exceptions.h"
#include "text.h"

namespace {

// Indexed by ProblemKind.
const char* const KindIds[ProblemKindCount] = {
    "unknown-tag", "unknown-attribute", "unbalanced-quotes", "open-before-close", "close-without-open",
    "more-closes-than-opens", "cell-outside-table", "unbalanced-tags", "obsolete-tag", "unfinished-tag",
    "not-closed", "crossing-close", "void-close",
    "missing-attribute", "bad-attribute-value", "duplicate-attribute", "obsolete-attribute", "misplaced-attribute",
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
          stack_(profile, *this), exceptions_(profile), attributeCheck_(profile) {}

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
        std::string detail;
    };

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

    Document& document_;
    const TagProfile& profile_;
    TagScanner scanner_;
    ElementStack stack_;
    std::vector<Held> held_;
    InlineExceptions exceptions_;
    std::vector<std::string> unknownWords_;
    AttributeCheck attributeCheck_;
    std::vector<AttributeFinding> findings_;
};

int32_t HtmlCheck::run(ProblemSink& sink, const CheckOptions& options) {
    while (scanner_.next()) checkTag();
    stack_.finish();
    std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    int32_t handed = 0;
    for (const Held& h : held_) {
        if (options.ignored.test(static_cast<size_t>(h.kind)) || exceptions_.leavesOut(h.kind, h.line)) continue;
        sink.report(Problem{h.kind, h.line, h.column, h.name.c_str(), h.tag.c_str(), 0, h.relatedLine, h.offset,
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
    if (tag.finished || tag.brokenQuotes) checkAttributes(row, custom);
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
    const ScannedTag& tag = scanner_.tag();
    const std::vector<ScannedAttribute>& attributes = scanner_.attributes();
    // What follows a lost quote is the quoting's fault, reported as such.
    size_t count = 0;
    while (count < attributes.size() && !(attributes[count].suspect && tag.brokenQuotes)) ++count;
    findings_.clear();
    attributeCheck_.check(row, tag.closing, attributes.data(), count, tag.brokenQuotes, findings_);
    const char* rowName = profile_.row(row).name;
    for (AttributeFinding& f : findings_) {
        if (!f.at) {
            holdAtTag(f.kind, std::move(f.name), rowName);
            continue;
        }
        const TextPosition at = scanner_.positionOf(f.at);
        const uint32_t offset = offsetIn(document_, f.at);
        held_.push_back({f.kind, at.line, at.column, 0, std::move(f.name), rowName, offset, offset + f.length,
                         std::move(f.detail)});
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
        K::MissingAttribute, K::BadAttributeValue, K::DuplicateAttribute, K::ObsoleteAttribute, K::MisplacedAttribute,
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
