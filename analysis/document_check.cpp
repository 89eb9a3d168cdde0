#include "document_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "element_stack.h"
#include "no_case.h"

namespace {

struct KindText {
    const char* id;
    const char* ending;  // what follows the name in the message
    const char* summary;
};

// Indexed by ProblemKind.
const KindText KindTexts[ProblemKindCount] = {
    {"unknown-tag", " - Unknown keyword", "A tag whose name is not one of the known tags."},
    {"unknown-attribute", " - Unknown attribute for ", "An attribute the tag does not accept."},
    {"unbalanced-quotes", " - Unbalanced quotes", "A tag with an odd number of double quotes."},
    {"open-before-close", " - Open tag before previous tag was closed",
     "A tag opened again before its previous opening was closed."},
    {"close-without-open", " - Close tag without matching open tag", "A closing tag with no opening tag before it."},
    {"more-closes-than-opens", " - More close tags than open tags",
     "A closing tag beyond the number of its opening tags."},
    {"cell-outside-table", " - This tag should be in a table", "A table row, cell or header outside any table."},
    {"unbalanced-tags", "\tUnbalanced tags (", "Tags still open at the end of the document."},
    {"obsolete-tag", " - Obsolete element, not part of current HTML",
     "An element of earlier HTML that the current standard calls obsolete."},
    {"unfinished-tag", " - Tag without its closing >",
     "A tag cut short before its closing >, by the next tag or by the end of the page."},
    {"not-closed", " - Not closed ",
     "An element whose end tag is required, still open when an element around it closes or the page ends."},
    {"crossing-close", " - Close tag crosses ",
     "A close tag that closes an outer element while an inner one, closed later, is still open."},
    {"void-close", " - Close tag of a void element", "A close tag of an element that never has one."},
};

const KindText& textOf(ProblemKind kind) { return KindTexts[static_cast<int>(kind)]; }

char* append(char* out, const char* text) {
    size_t length = strlen(text);
    memcpy(out, text, length);
    return out + length;
}

void report(CheckRun& run, ProblemKind kind, const char* name, const char* tag = "", int32_t count = 0) {
    ++run.problems;
    const int32_t line = kind == ProblemKind::UnbalancedTags ? NoLine : run.document.line + 1;
    run.sink.report(Problem{kind, line, NoColumn, name, tag, count, 0});
}

// The check of a page read as HTML: each problem is held until the page ends, so that
// the problems of the element stack, found when an element closes, take their place
// among the others.
class HtmlCheck : public StructureSink {
public:
    HtmlCheck(Document& document, const TagProfile& profile)
        : profile_(profile), scanner_(document, profile, TagUse::Check), stack_(profile, *this) {}

    int32_t run(ProblemSink& sink);

    void notClosed(const StackTag& element, const StackTag* closedBy) override {
        std::string cause = closedBy ? std::string(closedBy->at[1] == '/' ? "/" : "") + nameOf(*closedBy) : "";
        hold(ProblemKind::NotClosed, element.at, element.lineStart, element.line, nameOf(element), cause,
             closedBy ? closedBy->line : 0);
    }
    void crossing(const StackTag& closing, const StackTag& crossed) override {
        hold(ProblemKind::CrossingClose, closing.at, closing.lineStart, closing.line, "/" + nameOf(closing),
             nameOf(crossed), crossed.line);
    }
    void closeWithoutOpen(const StackTag& closing) override {
        hold(ProblemKind::CloseWithoutOpen, closing.at, closing.lineStart, closing.line, "/" + nameOf(closing));
    }

private:
    struct Held {
        ProblemKind kind;
        int32_t line;
        int32_t column;
        int32_t relatedLine;
        std::string name;
        std::string tag;
    };

    static std::string nameOf(const StackTag& tag) { return std::string(tag.name, tag.nameLength); }
    void hold(ProblemKind kind, const char* at, const char* lineStart, int32_t line, std::string name,
              std::string tag = std::string(), int32_t relatedLine = 0) {
        held_.push_back({kind, line, columnOf(lineStart, at), relatedLine, std::move(name), std::move(tag)});
    }
    void holdAtTag(ProblemKind kind, std::string name, std::string tag = std::string()) {
        const ScannedTag& t = scanner_.tag();
        hold(kind, t.start, t.lineStart, t.line, std::move(name), std::move(tag));
    }
    void checkTag();
    void checkAttributes(int row, bool custom);

    const TagProfile& profile_;
    TagScanner scanner_;
    ElementStack stack_;
    std::vector<Held> held_;
};

int32_t HtmlCheck::run(ProblemSink& sink) {
    while (scanner_.next()) checkTag();
    stack_.finish();
    std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    for (const Held& h : held_)
        sink.report(Problem{h.kind, h.line, h.column, h.name.c_str(), h.tag.c_str(), 0, h.relatedLine});
    return static_cast<int32_t>(held_.size());
}

void HtmlCheck::checkTag() {
    const ScannedTag& tag = scanner_.tag();
    if (tag.comment) {
        if (!tag.finished) holdAtTag(ProblemKind::UnfinishedTag, "!--");
        return;
    }
    const char* bare = tag.closing ? tag.name + 1 : tag.name;
    int row = tag.row;
    const bool custom = row < 0 && profile_.knowsCustomElements() && isCustomElementName(bare);
    if (row < 0 && !custom) {
        const int open = profile_.find(bare);
        if (tag.closing && open >= 0 && profile_.pairing(open) == KnownPairing::Void) {
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
    const StackTag element{openRow, tag.start + (tag.closing ? 2 : 1),
                           tag.nameLength - (tag.closing ? 1 : 0), tag.start, tag.lineStart, tag.line};
    if (tag.closing) {
        // A cell outside any table is reported once, not as a close without its open too.
        if (!cell) stack_.close(element);
        return;
    }
    const bool opens = !tag.selfClosing && (custom || profile_.pairing(openRow) != KnownPairing::Void);
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
            held_.push_back({ProblemKind::UnknownAttribute, at.line, at.column, 0, name, rowName});
        }
    }
}

}  // namespace

const char* problemKindId(ProblemKind kind) { return textOf(kind).id; }

const char* problemKindSummary(ProblemKind kind) { return textOf(kind).summary; }

const std::vector<ProblemKind>& problemKindsOf(const TagProfile& profile) {
    using K = ProblemKind;
    static const std::vector<ProblemKind> html32 = {
        K::UnknownTag, K::UnknownAttribute, K::UnbalancedQuotes, K::OpenBeforeClose,
        K::CloseWithoutOpen, K::MoreClosesThanOpens, K::CellOutsideTable, K::UnbalancedTags};
    static const std::vector<ProblemKind> html = {
        K::UnknownTag, K::ObsoleteTag, K::UnknownAttribute, K::UnbalancedQuotes, K::UnfinishedTag,
        K::NotClosed, K::CloseWithoutOpen, K::CrossingClose, K::VoidClose, K::CellOutsideTable};
    return profile.readsAsHtml() ? html : html32;
}

size_t formatProblemMessage(const Problem& problem, char* out) {
    char* w = out;
    const ProblemKind kind = problem.kind;
    if (kind == ProblemKind::UnbalancedQuotes || kind == ProblemKind::UnfinishedTag) *w++ = '<';
    w = append(w, problem.name);
    w = append(w, textOf(kind).ending);
    switch (kind) {
        case ProblemKind::UnknownAttribute:
            w = append(w, problem.tag);
            break;
        case ProblemKind::UnbalancedTags:
            w += sprintf(w, "%d)", static_cast<int>(problem.count));
            break;
        case ProblemKind::NotClosed:
            if (problem.tag[0] == '\0') {
                w = append(w, "at the end of the document");
            } else {
                w = append(w, "before ");
                w = append(w, problem.tag);
                w += sprintf(w, " on line %d", static_cast<int>(problem.relatedLine));
            }
            break;
        case ProblemKind::CrossingClose:
            w = append(w, problem.tag);
            w += sprintf(w, ", opened on line %d", static_cast<int>(problem.relatedLine));
            break;
        default:
            break;
    }
    *w = '\0';
    return static_cast<size_t>(w - out);
}

size_t formatProblemLine(const Problem& problem, char* out) {
    if (problem.line == NoLine) return formatProblemMessage(problem, out);
    formatLineLabel(problem.line - 1, out);
    char* w = out + strlen(out);
    w = append(w, "  ");
    return static_cast<size_t>(w - out) + formatProblemMessage(problem, w);
}

void ProblemLines::report(const Problem& problem) {
    char line[ProblemTextSize];
    formatProblemLine(problem, line);
    list_.append(line);
}

int32_t checkDocument(Document& document, ProblemSink& sink, const TagProfile& profile) {
    if (profile.readsAsHtml()) return HtmlCheck(document, profile).run(sink);

    CheckRun run(document, sink, profile);
    TagScanner scanner(document, profile, TagUse::Check);
    while (scanner.next()) {
        const ScannedTag& tag = scanner.tag();
        const int row = tag.row;
        if (row < 0) {
            report(run, ProblemKind::UnknownTag, tag.name);
            continue;
        }
        if (tag.comment) continue;
        const bool open = profile.row(row).name[0] != '/';
        // An svg or math element written "<svg/>" is empty: nothing to pair.
        const bool empty = open && profile.contents(row) == TagContents::Foreign && tag.selfClosing;
        if (!empty) checkPairing(run, row, tag.name);
        checkAttributes(run, row, scanner.attributes());
        checkQuotes(run, profile.row(row).name);
        checkTableContext(run, row);
    }

    for (int row = 0; row < profile.rowCount(); ++row) {
        const int32_t balance = run.balance[static_cast<size_t>(row)];
        if (profile.row(row).kind == PairCounted && balance != 0)
            report(run, ProblemKind::UnbalancedTags, profile.row(row).name, "", balance);
    }
    return run.problems;
}

void checkDocument(Document& document, ResultList& list, const TagProfile& profile) {
    ProblemLines lines(list);
    if (checkDocument(document, lines, profile) == 0) list.append("No errors found");
}

void checkPairing(CheckRun& run, int row, const char* nameAsRead) {
    const bool close = nameAsRead[0] == '/';
    int32_t& balance = run.balance[static_cast<size_t>(close ? row - 1 : row)];
    switch (run.profile.row(row).kind) {
        case PairStrict:
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
