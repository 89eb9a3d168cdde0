// The tagvetter directives that a page's comments may hold, and the problems of its check
// they leave out:
//
//   <!-- tagvetter-disable-next-line KIND ... -->  on the line after the one on which the
//                                                   comment ends;
//   <!-- tagvetter-disable KIND ... -->             from the comment's line on, up to and
//   <!-- tagvetter-enable KIND ... -->              including the enable comment's line,
//                                                   or to the end of the page.
//
// Each KIND is a kind's id (problemKindId), apart by white space or commas; none is every
// kind. A comment's line is the line its own problems are placed on: html32, the line of
// its ">"; read as HTML, of its "<". A word that names no kind of the page's profile is the
// check's to report, as unknown-directive-kind, which no directive leaves out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document_check.h"

// Looks through a page for the directives' word, a piece at a time as far as asked: most
// pages hold none, and a check that asks up to the line of each problem it meets looks at
// the page just behind its own reading, where the bytes are at hand, rather than in a
// pass of its own before it.
class DirectiveSearch {
public:
    DirectiveSearch(const char* text, size_t size) : text_(text), searched_(text), end_(text + size) {}
    // Whether the text before `upTo` (at most its end) holds the word, and so may hold a
    // directive.
    bool foundBefore(const char* upTo);
    const char* end() const { return end_; }

private:
    const char* text_;
    const char* searched_;
    const char* end_;
    bool found_ = false;
};

class InlineExceptions {
public:
    explicit InlineExceptions(const TagProfile& profile) : kinds_(problemKindsOf(profile)) {}

    // Reads a comment of the page, whose text between its opener and its closer is `from`
    // up to `to`, placed on `line` and ending on `lastLine`; comments come in the page's
    // order. One that is no directive changes nothing. The words of a directive that name
    // no kind go to `unknownWords`, emptied first, each cut at UnknownWordLength.
    void readComment(const char* from, const char* to, int32_t line, int32_t lastLine,
                     std::vector<std::string>& unknownWords);

    // True when the directives read leave out a problem of `kind` on `line`; NoLine is the
    // end of the page. Asked in line order, NoLine last, and only once every comment up to
    // the end of `line` has been read.
    bool leavesOut(ProblemKind kind, int32_t line);

    // The most characters of an unknown word kept, so that its problem's line fits.
    static constexpr size_t UnknownWordLength = 95;

private:
    // A disable or an enable comment.
    struct Change {
        int32_t line;
        bool disables;
        ProblemKinds kinds;
    };
    // A disable-next-line comment, by the line it applies to.
    struct LineKinds {
        int32_t line;
        ProblemKinds kinds;
    };

    void passLinesBefore(int32_t line);

    const std::vector<ProblemKind>& kinds_;
    std::vector<Change> ranges_;        // in line order
    std::vector<LineKinds> nextLines_;  // in line order
    // Where the questions have got to: the changes taken in, the kinds disabled after the
    // lines before the last line asked about, and the kinds left out on that line.
    size_t rangesPassed_ = 0;
    size_t nextLinesPassed_ = 0;
    ProblemKinds disabled_;
    int32_t askedLine_ = -1;
    ProblemKinds leftOut_;
};
