#include "document_check.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "known_tags.h"
#include "test_documents.h"

namespace {

Lines check(const std::string& bytes) {
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    MemoryResultList list;
    checkDocument(d.document, list);
    return list.lines;
}

struct CheckCase {
    const char* what;
    std::string document;
    Lines lines;
};

TEST(CheckDocument, ReportsEachProblemAsItsLine) {
    const CheckCase cases[] = {
        {"empty document", "", {"No errors found"}},
        {"clean document", "<HTML><BODY><P>x</P></BODY></HTML>", {"No errors found"}},
        {"text only", "no tags at all\n", {"No errors found"}},
        {"unknown tag keeps its case", "<Sidebar>", {"0001  Sidebar - Unknown keyword"}},
        {"lone less-than", "a < b\nc > d", {"0002   - Unknown keyword"}},
        {"long name cut at 19", "<abcdefghijklmnopqrstuvwxyz>", {"0001  abcdefghijklmnopqrs - Unknown keyword"}},
        {"strict tag opened twice", "<b>x<B>y</b>",
         {"0001  B - Open tag before previous tag was closed"}},
        {"strict close without open", "</b><b></b>", {"0001  /b - Close tag without matching open tag"}},
        {"strict tags left open are not reported", "<B><I>", {"No errors found"}},
        {"counted tags left open", "<TABLE><TABLE></TABLE>\n<DIV><DIV><div>",
         {"TABLE\tUnbalanced tags (1)", "DIV\tUnbalanced tags (3)"}},
        {"counted extra close", "\n\n\n\n\n\n</table>", {"0007  /table - More close tags than open tags"}},
        {"unbalanced lines in table order", "<div><ul><font><center><ol><dl><table>",
         {"TABLE\tUnbalanced tags (1)", "DL\tUnbalanced tags (1)", "FONT\tUnbalanced tags (1)",
          "OL\tUnbalanced tags (1)", "UL\tUnbalanced tags (1)", "CENTER\tUnbalanced tags (1)",
          "DIV\tUnbalanced tags (1)"}},
        {"cell outside a table", "\n\n<td>", {"0003  TD - This tag should be in a table"}},
        {"every cell tag outside a table", "<TR></TR><TH></TH><TD></TD>",
         {"0001  TR - This tag should be in a table", "0001  /TR - This tag should be in a table",
          "0001  TH - This tag should be in a table", "0001  /TH - This tag should be in a table",
          "0001  TD - This tag should be in a table", "0001  /TD - This tag should be in a table"}},
        {"cells inside a table", "<TABLE><TR><TD>x</TD></TR></TABLE>", {"No errors found"}},
        {"extra closing table does not hide later cells", "<TABLE></TABLE></TABLE><TD>",
         {"0001  /TABLE - More close tags than open tags", "0001  TD - This tag should be in a table"}},
        {"unknown attribute", "<FONT colour=red></FONT>", {"0001  colour - Unknown attribute for FONT"}},
        {"attributes in capitals", "<FONT SIZE=2 COLOR=red FACE=Arial></FONT>", {"No errors found"}},
        {"tag without attributes is not checked", "<B class=x></B>", {"No errors found"}},
        {"quoted values are passed over", "<A href=\"x y=z\" name=a></A>", {"No errors found"}},
        {"unclosed quote", "<A href=\"x.htm></A>", {"0001  <A - Unbalanced quotes"}},
        {"three lines from one tag, in order", "<td bogus=1 width=\"2>",
         {"0001  bogus - Unknown attribute for TD", "0001  <TD - Unbalanced quotes",
          "0001  TD - This tag should be in a table"}},
        {"label of the line of the >", "<FONT\ncolour=1\n>\n</FONT>", {"0003  colour - Unknown attribute for FONT"}},
        {"an unclosed quote hides the names after it", "<td width=\"1 bogus=2>",
         {"0001  <TD - Unbalanced quotes", "0001  TD - This tag should be in a table"}},
        {"quoted > ends the tag", "<IMG alt=\"a>b\">", {"0001  <IMG - Unbalanced quotes"}},
        {"script body is not checked", "<SCRIPT>if (a<b) x = '<td>';</SCRIPT><bogus>",
         {"0001  bogus - Unknown keyword"}},
        {"pre body is not checked", "<PRE>\n<sidebar>\n</PRE>\n<td>", {"0004  TD - This tag should be in a table"}},
        {"unclosed script hides the rest", "<SCRIPT>\n<bogus><td>", {"No errors found"}},
        {"comments are never checked", "<!-- <td> <bogus> -->", {"No errors found"}},
        {"comment stays open until ->", "<!-- a > <bogus> -->\n<x>", {"0002  x - Unknown keyword"}},
        {"close tag names shown as read", "</B></b>",
         {"0001  /B - Close tag without matching open tag", "0001  /b - Close tag without matching open tag"}},
        {"empty attribute name at = is not reported", "<P =x align=left>x</P>", {"No errors found"}},
        {"tag cut off by the end of the text", "<FONT colour=\"red", {
            "0001  colour - Unknown attribute for FONT", "0001  <FONT - Unbalanced quotes",
            "FONT\tUnbalanced tags (1)"}},
        {"NUL inside a tag ends it and the check goes on", std::string("<FONT\0x>\n<bogus>", 16),
         {"0002  bogus - Unknown keyword", "FONT\tUnbalanced tags (1)"}},
        {"NUL between tags ends the check", std::string("<B>\0<bogus>", 11), {"No errors found"}},
        {"carriage returns alone do not count lines", "\r\r\r<bogus>", {"0001  bogus - Unknown keyword"}},
    };
    for (const CheckCase& c : cases) {
        EXPECT_EQ(check(c.document), c.lines) << c.what;
    }
}

TEST(CheckDocument, GivesTheSameLinesOnASecondRun) {
    LoadedDocument d("<B><B>\n</TABLE><TABLE><td>\n");
    MemoryResultList first, second;
    checkDocument(d.document, first);
    checkDocument(d.document, second);
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.lines.size(), 3u);
}

TEST(CheckPairing, StrictPairsTakeTheTagJustMetAsTheCurrentState) {
    LoadedDocument d("");
    d.document.resetScan();
    MemoryResultList list;
    ProblemLines lines(list);
    CheckRun run(d.document, lines);
    const int bold = 17;
    checkPairing(run, bold, "B");
    checkPairing(run, bold, "B");
    EXPECT_EQ(run.balance[bold], 1);
    checkPairing(run, bold + 1, "/B");
    checkPairing(run, bold + 1, "/B");
    EXPECT_EQ(run.balance[bold], 0);
    EXPECT_EQ(list.lines, (Lines{"0001  B - Open tag before previous tag was closed",
                                 "0001  /B - Close tag without matching open tag"}));
}

// The records behind the lines: what tools filter on and what the formats are made of.
TEST(CheckDocument, HandsEachProblemOverAsARecord) {
    struct Record {
        std::string kind;
        int32_t line;
        std::string name, tag;
        int32_t count;
        bool operator==(const Record& o) const {
            return kind == o.kind && line == o.line && name == o.name && tag == o.tag && count == o.count;
        }
    };
    struct Records : ProblemSink {
        void report(const Problem& p) override {
            all.push_back({problemKindId(p.kind), p.line, p.name, p.tag, p.count});
            char line[ProblemTextSize];
            formatProblemLine(p, line);
            lines.push_back(line);
        }
        std::vector<Record> all;
        Lines lines;
    };
    const std::string page = "<Sidebar>\n<b><b>\n</i><FONT colour=red></FONT>\n</ul><A href=\"x>\n<td><table>";
    LoadedDocument d(page);
    Records records;
    EXPECT_EQ(checkDocument(d.document, records), 8);
    const std::vector<Record> expected = {
        {"unknown-tag", 1, "Sidebar", "", 0},          {"open-before-close", 2, "b", "", 0},
        {"close-without-open", 3, "/i", "", 0},        {"unknown-attribute", 3, "colour", "FONT", 0},
        {"more-closes-than-opens", 4, "/ul", "", 0},   {"unbalanced-quotes", 4, "A", "", 0},
        {"cell-outside-table", 5, "TD", "", 0},        {"unbalanced-tags", NoLine, "TABLE", "", 1},
    };
    EXPECT_TRUE(records.all == expected);
    // The window's lines are the records' lines, and a check with problems adds no other.
    EXPECT_EQ(check(page), records.lines);
    // Every kind has its own identifier and summary.
    std::set<std::string> ids;
    for (int k = 0; k < ProblemKindCount; ++k) {
        ids.insert(problemKindId(static_cast<ProblemKind>(k)));
        EXPECT_NE(std::string(problemKindSummary(static_cast<ProblemKind>(k))), "");
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(ProblemKindCount));
}

}  // namespace
