#include "fix_titles.h"

#include <gtest/gtest.h>

namespace {

TEST(FixTitle, SaysWhatTheEditsDoToTheText) {
    const std::string page = "<p>caf\xc3\xa9</span><blockqoute>q</blockqoute>\n  \n";
    const std::string longName(50, 'x');
    const std::string accents = std::string(39, 'a') + "\xc3\xa9" + "z";  // "é" across byte 40
    const struct Case {
        const char* what;
        std::vector<OwnedEdit> edits;
        std::string title;
    } cases[] = {
        {"removed", {{8, 15, ""}}, "Remove </span>"},
        {"inserted", {{8, 8, "</div>"}}, "Insert </div>"},
        {"replaced", {{16, 26, "blockquote"}}, "Replace blockqoute with blockquote"},
        {"the same replacement twice is said once", {{16, 26, "blockquote"}, {30, 40, "blockquote"}},
         "Replace blockqoute with blockquote"},
        {"two edits of their own", {{8, 15, ""}, {16, 26, "blockquote"}},
         "Remove </span> and replace blockqoute with blockquote"},
        {"white space around is not shown", {{42, 42, "\n</p>\n"}}, "Insert </p>"},
        {"nothing but white space", {{42, 44, ""}}, "Remove white space"},
        {"cut at a line break", {{0, 0, "<b>\n</b>"}}, "Insert <b>\xE2\x80\xA6"},
        {"cut after 40 bytes", {{0, 0, longName}}, "Insert " + longName.substr(0, 40) + "\xE2\x80\xA6"},
        {"not inside a character", {{0, 0, accents}}, "Insert " + std::string(39, 'a') + "\xE2\x80\xA6"},
        {"an edit past the text is left out", {{8, 15, ""}, {40, 400, ""}}, "Remove </span>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(fixTitle(page, c.edits), c.title);
    }
    EXPECT_EQ(fixAllTitle(1), "Fix 1 problem");
    EXPECT_EQ(fixAllTitle(12), "Fix 12 problems");
}

}  // namespace
