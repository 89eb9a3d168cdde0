#include "document_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "inline_exceptions.h"
#include "test_documents.h"

namespace {

Lines check(const std::string& bytes, const TagProfile& profile = TagProfile::html32(),
            const CheckOptions& options = {}) {
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    MemoryResultList list;
    checkLines(d.document, list, profile, options);
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

// html32 reads a tag that its collecting would not change where it stands, and copies
// any other: each tag written plainly, with a tab for its first space and with a carriage
// return before its first ">", gives the same lines both ways.
TEST(CheckDocument, ReadsATagInPlaceAsItWouldCollectIt) {
    const CheckCase cases[] = {
        {"unknown attribute", "<FONT colour=red></FONT>", {"0001  colour - Unknown attribute for FONT"}},
        {"unclosed quote", "<A href=\"x.htm></A>", {"0001  <A - Unbalanced quotes"}},
        {"three lines from one tag", "<td bogus=1 width=\"2>",
         {"0001  bogus - Unknown attribute for TD", "0001  <TD - Unbalanced quotes",
          "0001  TD - This tag should be in a table"}},
        {"quoted >", "<IMG alt=\"a>b\">", {"0001  <IMG - Unbalanced quotes"}},
        {"known attributes", "<FONT SIZE=2 COLOR=red FACE=Arial></FONT>", {"No errors found"}},
        {"a quoted value last", "<A name=a href=\"x.htm\">y</A>", {"No errors found"}},
        {"close without open", "</b ><b></b>", {"0001  /b - Close tag without matching open tag"}},
        {"a comment with a > in it", "<!-- a > <bogus> -->\n<x y>", {"0002  x - Unknown keyword"}},
    };
    for (const CheckCase& c : cases) {
        std::string tab = c.document, carriageReturn = c.document;
        tab[tab.find(' ')] = '\t';
        carriageReturn.insert(carriageReturn.find('>'), "\r");
        EXPECT_EQ(check(c.document), c.lines) << c.what;
        EXPECT_EQ(check(tab), c.lines) << c.what << ", a tab";
        EXPECT_EQ(check(carriageReturn), c.lines) << c.what << ", a carriage return";
    }
}

TEST(CheckDocument, GivesTheSameLinesOnASecondRun) {
    LoadedDocument d("<B><B>\n</TABLE><TABLE><td>\n");
    MemoryResultList first, second;
    checkLines(d.document, first, TagProfile::html32());
    checkLines(d.document, second, TagProfile::html32());
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.lines.size(), 3u);
}

TEST(CheckPairing, StrictPairsTakeTheTagJustMetAsTheCurrentState) {
    LoadedDocument d("");
    d.document.resetScan();
    MemoryResultList list;
    ProblemLines lines(list);
    CheckRun run(d.document, lines, TagProfile::html32());
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
    // `marked`: the text the offsets mark, the whole tag; "-" for none.
    struct Record {
        std::string kind;
        int32_t line;
        std::string name, tag;
        int32_t count;
        std::string marked;
        bool operator==(const Record& o) const {
            return kind == o.kind && line == o.line && name == o.name && tag == o.tag && count == o.count &&
                   marked == o.marked;
        }
    };
    struct Records : ProblemSink {
        explicit Records(const std::string& page) : text(page) {}
        void report(const Problem& p) override {
            const bool none = p.offset == NoOffset && p.endOffset == NoOffset;
            const bool within = p.offset <= p.endOffset && p.endOffset <= text.size();
            all.push_back({problemKindId(p.kind), p.line, p.name, p.tag, p.count,
                           none ? "-" : within ? text.substr(p.offset, p.endOffset - p.offset) : "outside"});
            offsets.push_back(p.offset);
            char line[ProblemTextSize];
            formatProblemLine(p, line);
            lines.push_back(line);
        }
        const std::string& text;
        std::vector<Record> all;
        std::vector<uint32_t> offsets;
        Lines lines;
    };
    const std::string page = "<Sidebar>\n<b><b>\n</i><FONT colour=red></FONT>\n</ul><A href=\"x>\n<td><table>\n"
                             "<bogus\n  x=1>\n<spna" + std::string(1, '\0') + "x>\n<zz";
    LoadedDocument d(page);
    Records records(page);
    EXPECT_EQ(checkDocument(d.document, records, TagProfile::html32()), 11);
    const std::vector<Record> expected = {
        {"unknown-tag", 1, "Sidebar", "", 0, "<Sidebar>"},
        {"open-before-close", 2, "b", "", 0, "<b>"},
        {"close-without-open", 3, "/i", "", 0, "</i>"},
        {"unknown-attribute", 3, "colour", "FONT", 0, "<FONT colour=red>"},
        {"more-closes-than-opens", 4, "/ul", "", 0, "</ul>"},
        {"unbalanced-quotes", 4, "A", "", 0, "<A href=\"x>"},
        {"cell-outside-table", 5, "TD", "", 0, "<td>"},
        // The line of the ">", the tag marked from its "<"; a NUL or the end of the text stops it.
        {"unknown-tag", 7, "bogus", "", 0, "<bogus\n  x=1>"},
        {"unknown-tag", 8, "spna", "", 0, "<spna"},
        {"unknown-tag", 9, "zz", "", 0, "<zz"},
        {"unbalanced-tags", NoLine, "TABLE", "", 1, "-"},
    };
    EXPECT_TRUE(records.all == expected);
    // The second <b>, not the first.
    ASSERT_EQ(records.offsets.size(), expected.size());
    EXPECT_EQ(records.offsets[1], 13u);
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

struct ProfileCase {
    const char* what;
    std::string document;
    Lines html32;
    Lines html5;
};

TEST(CheckDocument, ReadsSmallPagesThroughBothProfiles) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const Lines none = {"No errors found"};
    const ProfileCase cases[] = {
        {"attributes every element takes", "<div class=a id=b data-x=1 aria-label=l onclick=f() role=note></div>",
         {"0001  class - Unknown attribute for DIV", "0001  id - Unknown attribute for DIV",
          "0001  data-x - Unknown attribute for DIV", "0001  aria-label - Unknown attribute for DIV",
          "0001  onclick - Unknown attribute for DIV", "0001  role - Unknown attribute for DIV"},
         none},
        {"misspelt attributes", "<a hreff=x aria-lable=y></a><b klass=z></b>",
         {"0001  hreff - Unknown attribute for A", "0001  aria-lable - Unknown attribute for A"},
         {"0001  hreff - Unknown attribute for A (did you mean href?)",
          "0001  aria-lable - Unknown attribute for A (did you mean aria-label?)",
          "0001  klass - Unknown attribute for B (did you mean class?)"}},
        {"current elements", "<nav><figure></figure></nav>",
         {"0001  nav - Unknown keyword", "0001  figure - Unknown keyword", "0001  /figure - Unknown keyword",
          "0001  /nav - Unknown keyword"},
         none},
        {"obsolete elements", "<center><font size=2></font></center>", none,
         {"0001  center - Obsolete element, not part of current HTML",
          "0001  font - Obsolete element, not part of current HTML"}},
        {"optional end tags", "<ul><li>a</li><li>b</ul><p>c<p>d</p>", {"0001  /li - Unknown keyword"}, none},
        {"void elements written with a solidus", "<br/><img src=x alt=\"\" />",
         {"0001  br/ - Unknown keyword", "0001  / - Unknown attribute for IMG"}, none},
        {"elements that nest", "<section><section></section>\n</div>",
         {"0001  section - Unknown keyword", "0001  section - Unknown keyword", "0001  /section - Unknown keyword",
          "0002  /div - More close tags than open tags"},
         {"0001  section - Not closed at the end of the document", "0002  /div - Close tag without matching open tag"}},
        {"elements that can't hold themselves", "<button><button></button>",
         {"0001  button - Unknown keyword", "0001  button - Unknown keyword", "0001  /button - Unknown keyword"},
         {"0001  button - Not closed before button on line 1"}},
        {"custom elements take any attribute and nest", "<my-card x=1><my-card></my-card>\n</x-y>",
         {"0001  my-card - Unknown keyword", "0001  my-card - Unknown keyword", "0001  /my-card - Unknown keyword",
          "0002  /x-y - Unknown keyword"},
         {"0001  my-card - Not closed at the end of the document", "0002  /x-y - Close tag without matching open tag"}},
        {"names that are not custom element names, and a < that starts no tag", "<my_card><1-x><font-face>",
         {"0001  my_card - Unknown keyword", "0001  1-x - Unknown keyword", "0001  font-face - Unknown keyword"},
         {"0001  my_card - Unknown element", "0001  font-face - Unknown element"}},
        {"a long custom element name is read whole",
         "<my-rather-long-element-name></my-rather-long-element-name>",
         {"0001  my-rather-long-elem - Unknown keyword", "0001  /my-rather-long-ele - Unknown keyword"}, none},
        {"svg contents are skipped, nested svg included", "<svg viewBox=\"0 0 8 8\"><svg><path/></svg></svg>",
         {"0001  svg - Unknown keyword", "0001  svg - Unknown keyword", "0001  path/ - Unknown keyword",
          "0001  /svg - Unknown keyword", "0001  /svg - Unknown keyword"},
         none},
        {"an svg written <svg/> has no contents", "<svg/><bogus>",
         {"0001  svg/ - Unknown keyword", "0001  bogus - Unknown keyword"}, {"0001  bogus - Unknown element"}},
        {"text contents are skipped", "<style>a<b{}</style><textarea><td></textarea>",
         {"0001  b{}</style - Unknown keyword", "0001  TD - This tag should be in a table"}, none},
        {"pre contents are checked in html5", "<pre><bogus></pre>", none, {"0001  bogus - Unknown element"}},
        {"document types", "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\" \"x.dtd\"><html lang=en>", none,
         none},
        {"cells outside a table", "<tr><td></td></tr><table><tr><td></table>",
         {"0001  TR - This tag should be in a table", "0001  TD - This tag should be in a table",
          "0001  /TD - This tag should be in a table", "0001  /TR - This tag should be in a table"},
         // The close tags close the cell and row their open tags began: one report each.
         {"0001  TR - This tag should be in a table", "0001  TD - This tag should be in a table"}},
        {"unbalanced quotes name the tag", "<a href=\"x></a><my-el a=\"b>",
         {"0001  <A - Unbalanced quotes", "0001  my-el - Unknown keyword"},
         {"0001  <A - Unbalanced quotes", "0001  <MY-EL - Unbalanced quotes",
          "0001  my-el - Not closed at the end of the document"}},
    };
    for (const ProfileCase& c : cases) {
        EXPECT_EQ(check(c.document), c.html32) << c.what << " (html32)";
        EXPECT_EQ(check(c.document, *html5), c.html5) << c.what << " (html5)";
    }
}


// An html4 page is checked against the DTD its doctype names, whether html4 is chosen or
// auto finds it; a page that names none is checked against the merged vocabulary.
struct DtdCase {
    const char* what;
    std::string page;
    Lines lines;
    bool html4Only;  // auto reads it with another profile
};

Lines dtdLines(const std::string& page, const ProfileChoice& choice) {
    LoadedDocument d(page);
    EXPECT_TRUE(d.loaded);
    const TagProfile& profile = choice.profileOf(d.document.text, d.document.size);
    EXPECT_EQ(profile.name(), "html4");
    MemoryResultList list;
    checkLines(d.document, list, profile, {});
    return list.lines;
}

TEST(CheckDocument, ChecksAnHtml4PageAgainstTheDtdItsDoctypeNames) {
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4");
    ASSERT_TRUE(html4);
    DoctypeProfiles three;
    std::vector<std::string> errors;
    ASSERT_TRUE(makeDoctypeProfiles({}, three, errors));
    const ProfileChoice chosen(html4.get()), automatic(three);

    const std::string strict = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n";
    const std::string loose = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n";
    const std::string frameset = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\">\n";
    const std::string xhtml = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Strict//EN\">\n";
    // What Transitional allows and Strict doesn't, from line 4 on.
    const std::string body = "<html><head><title>t</title></head>\n"
                             "<body>\n"
                             "<center>c</center>\n"
                             "<p><font size=2>f</font>\n"
                             "<p align=center>x</p>\n"
                             "<a href=x.htm>a</a>\n"
                             "<p><iframe src=x.htm></iframe>\n"
                             "<p><a href=y.htm target=_top>t</a>\n"
                             "</body></html>\n";
    const std::string frames = "<html><head><title>t</title></head>\n"
                               "<frameset cols=\"50%,50%\"><frame src=a.htm>\n"
                               "<noframes><p>x</noframes></frameset>\n"
                               "</html>\n";
    const Lines none = {"No errors found"};
    const Lines notStrict = {"0004  center - Unknown element",     "0005  font - Unknown element",
                             "0006  align - Unknown attribute for P", "0007  a - Not allowed in body (line 3)",
                             "0008  iframe - Unknown element",     "0009  target - Unknown attribute for A"};
    const DtdCase cases[] = {
        {"Strict", strict + body, notStrict, false},
        {"XHTML 1.0 Strict", xhtml + body, notStrict, false},
        {"Transitional", loose + body, none, false},
        {"Frameset, its body without a frameset", frameset + body, {"0002  html - Missing frameset"}, false},
        {"Frameset", frameset + frames, none, false},
        {"Transitional with a frameset", loose + frames,
         {"0003  frameset - Unknown element", "0003  frame - Unknown element"}, false},
        {"no doctype", body, none, true},
        {"no doctype, with a frameset", frames, none, true},
    };
    for (const DtdCase& c : cases) {
        EXPECT_EQ(dtdLines(c.page, chosen), c.lines) << c.what << " (html4)";
        if (!c.html4Only) {
            EXPECT_EQ(dtdLines(c.page, automatic), c.lines) << c.what << " (auto)";
        }
    }

    // Known tags reach each DTD's profile, whether it was made before they were added or
    // after. A line for a tag the DTD lacks leaves it lacking it.
    const std::string known = "marquee | counted | Scrolling text\nfont | | | face2\n";
    const std::string page = "<marquee>m</marquee>\n<p><font face2=x>f</font>\n";
    for (const bool early : {false, true}) {
        SCOPED_TRACE(early ? "made before" : "made after");
        const std::unique_ptr<TagProfile> own = TagProfile::make("html4");
        if (early) dtdLines(strict + page, ProfileChoice(own.get()));
        ASSERT_TRUE(own->addKnownTags(known.data(), known.size(), "site.known", errors));
        EXPECT_EQ(dtdLines(strict + page, ProfileChoice(own.get())), Lines{"0003  font - Unknown element"});
        EXPECT_EQ(dtdLines(loose + page, ProfileChoice(own.get())), none);
    }
    EXPECT_TRUE(errors.empty());
}


// One fault a page, read as HTML: each problem where the fault begins, "LINE:COLUMN kind:
// message [the text its offsets mark]", the same in html4 and html5 unless the case gives
// each its own.
struct FaultCase {
    const char* what;
    std::string document;
    Lines html5;
    Lines html4;  // {"same"}: as html5
};

// The line and column of byte `offset` of `text`, counted as the check counts them.
std::string placeOf(const std::string& text, uint32_t offset) {
    size_t lineStart = offset == 0 ? 0 : text.rfind('\n', offset - 1) + 1;
    if (lineStart == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0 && offset >= 3) lineStart = 3;  // no column
    const int32_t line = static_cast<int32_t>(std::count(text.begin(), text.begin() + offset, '\n')) + 1;
    return std::to_string(line) + ":" + std::to_string(columnOf(text.data() + lineStart, text.data() + offset));
}

Lines placedProblems(const std::string& bytes, const TagProfile& profile) {
    struct Placed : ProblemSink {
        explicit Placed(const std::string& page) : text(page) {}
        void report(const Problem& p) override {
            char message[ProblemTextSize];
            formatProblemMessage(p, message);
            const std::string place = std::to_string(p.line) + ":" + std::to_string(p.column);
            // The offsets mark the fault where its line and column put it.
            EXPECT_EQ(placeOf(text, p.offset), place) << message;
            EXPECT_LE(p.offset, p.endOffset) << message;
            EXPECT_LE(p.endOffset, text.size()) << message;
            lines.push_back(place + " " + problemKindId(p.kind) + ": " + message + " [" +
                            text.substr(p.offset, p.endOffset - p.offset) + "]");
        }
        const std::string& text;
        Lines lines;
    };
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    Placed placed(bytes);
    const int32_t count = checkDocument(d.document, placed, profile);
    EXPECT_EQ(count, static_cast<int32_t>(placed.lines.size()));
    return placed.lines;
}

TEST(CheckDocument, PlacesEachFaultWhereItBegins) {
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4"), html5 = TagProfile::make("html5");
    ASSERT_TRUE(html4 && html5);
    const Lines same = {"same"};
    const FaultCase cases[] = {
        {"misspelt tag", "<p>\n  <spna>x</spna>",
         {"2:3 unknown-tag: spna - Unknown element (did you mean span?) [<spna>]"}, same},
        {"one misspelt attribute on elements that take it and one that doesn't",
         "<a hreff=x>y</a><div hreff=x>z</div><a HREFF=x>w</a>",
         {"1:4 unknown-attribute: hreff - Unknown attribute for A (did you mean href?) [hreff]",
          "1:22 unknown-attribute: hreff - Unknown attribute for DIV [hreff]",
          "1:40 unknown-attribute: HREFF - Unknown attribute for A (did you mean href?) [HREFF]"}, same},
        {"misspelt attribute on the second line of its tag", "<a\n  hreff=\"x\">y</a>",
         {"2:3 unknown-attribute: hreff - Unknown attribute for A (did you mean href?) [hreff]"}, same},
        {"a tag over two lines, marked whole", "<p>\r\n<spna\r\n  class=x>", {"2:1 unknown-tag: spna - Unknown element (did you mean span?) "
                                                                          "[<spna\r\n  class=x>]"}, same},
        {"a directive naming no kind, placed at its comment", "<p>x</p>\n  <!-- tagvetter-disable bogus -->",
         {"2:3 unknown-directive-kind: bogus - Unknown kind in a tagvetter directive "
          "[<!-- tagvetter-disable bogus -->]"}, same},
        {"column in characters: a UTF-8 sequence counts one", "\xC3\xA9\t<spna/>",
         {"1:3 unknown-tag: spna - Unknown element (did you mean span?) [<spna/>]"}, same},
        {"an invalid byte counts one", "\xC3(<spna/>",
         {"1:1 invalid-bytes: 0xC3 - Byte not valid in UTF-8 [\xC3]", "1:3 unknown-tag: spna - Unknown element (did you mean span?) [<spna/>]"},
         {"1:3 unknown-tag: spna - Unknown element (did you mean span?) [<spna/>]"}},
        {"left-out </div>, placed by the indentation", "<div>\n  <div>\n    x\n</div>\n<p>y</p>",
         {"2:3 not-closed: div - Not closed before /div on line 4 [<div>]"}, same},
        {"left-out </div>, unindented: the outer one", "<div>\n<div>\nx\n</div>",
         {"1:1 not-closed: div - Not closed at the end of the document [<div>]"}, same},
        {"extra </div>, placed by the indentation", "<div>\n  <div>\n    x\n  </div>\n  </div>\n</div>",
         {"5:3 close-without-open: /div - Close tag without matching open tag [</div>]"}, same},
        {"extra </div> after another on its line", "<div>\n  <div>\n    x\n  </div></div>\n</div>",
         {"4:9 close-without-open: /div - Close tag without matching open tag [</div>]"}, same},
        {"crossing elements", "<p><b>x<i>y</b>z</i></p>",
         {"1:12 crossing-close: /b - Close tag crosses i, opened on line 1 [</b>]"}, same},
        {"</a> moved after </li>", "<ul>\n<li><a href=x>y</li></a>\n</ul>",
         {"2:16 crossing-close: /li - Close tag crosses a, opened on line 2 [</li>]"}, same},
        {"left-out </a>", "<ul>\n<li><a href=x>y</li>\n<li>z</li>\n</ul>",
         {"2:5 not-closed: a - Not closed before /li on line 2 [<a href=x>]"}, same},
        {"left-out </a> before the next <a>", "<p><a href=x>one\n<a href=y>two</a></p>",
         {"1:4 not-closed: a - Not closed before a on line 2 [<a href=x>]"}, same},
        // What follows was meant after the heading, not in it.
        {"left-out </h3> of the last heading", "<h3>Title\n<p>x</p>",
         {"1:1 not-closed: h3 - Not closed at the end of the document [<h3>]"}, same},
        {"left-out </em>", "<div>\n<p><em>x</p>\n</div>",
         {"2:4 not-closed: em - Not closed before /p on line 2 [<em>]"}, same},
        {"left-out </button>", "<form action=x>\n<button>Go\n</form>",
         {"2:1 not-closed: button - Not closed before /form on line 3 [<button>]"}, same},
        {"left-out </table>", "<div><table><tr><td>x</div>",
         {"1:6 not-closed: table - Not closed before /div on line 1 [<table>]"}, same},
        {"close tag without open", "<p>x</span></p>",
         {"1:5 close-without-open: /span - Close tag without matching open tag [</span>]"}, same},
        {"close tag of a void element", "<p>a</br>b</p>",
         {"1:5 void-close: /br - Close tag of a void element [</br>]"}, same},
        {"missing > before the next tag", "<table>\n<tr class=\"x\"<td>1</td></tr>\n</table>",
         {"2:1 unfinished-tag: <TR - Tag without its closing > [<tr class=\"x\"]"}, same},
        {"missing > at the end of the page", "<p>x</p>\n<p class=a",
         {"2:1 unfinished-tag: <P - Tag without its closing > [<p class=a]"}, same},
        {"comment without its end", "<p>x</p><!-- y", {"1:9 unfinished-tag: <!-- - Tag without its closing > [<!-- y]"},
         same},
        // The whole quoted value is read: its fragment names no anchor, and "<" is no URL's.
        {"> inside a quoted value", "<a href=\"#X_<c>_Y\" title='a > b'>k</a>",
         {"1:10 missing-anchor: #X_<c>_Y - No anchor X_<c>_Y on this page [#X_<c>_Y]",
          "1:13 bad-url: href - Bad URL: character not allowed at character 4 in \"#X_<c>_Y\" [<]"},
         same},
        {"lost closing quote", "<p><a href=\"x.htm>k</a> <b class=\"y\">z</b></p>",
         {"1:4 unbalanced-quotes: <A - Unbalanced quotes [<a href=\"x.htm>]"}, same},
        {"lost opening quote", "<p><a href=x.htm\">k</a></p>",
         {"1:4 unbalanced-quotes: <A - Unbalanced quotes [<a href=x.htm\">]"}, same},
        {"cell outside a table", "<p>x</p>\n<td>y</td>",
         {"2:1 cell-outside-table: TD - This tag should be in a table [<td>]"}, same},
        {"end tags the page may leave out", "<html><head><title>t</title><body><p>a<div>b</div><ul><li>c<li>d</ul>"
         "<dl><dt>e<dd>f<dt>g<dd>g</dl><table><tr><td>h<td>i<tr><th>j</table><select><option>k<option>l</select>",
         {}, same},
        {"an element that holds itself", "<div><div></div></div><span><span></span></span>", {}, same},
        {"raw text is no tags", "<script type=t>if (a<b) x='</p>'</script><style>p<b{}</style>", {},
         {"1:42 missing-attribute: type - Missing attribute of STYLE [<style>]"}},
        {"svg contents are another vocabulary, unknown to html4", "<p><svg><path/></svg>", {},
         {"1:4 unknown-tag: svg - Unknown element [<svg>]", "1:9 unknown-tag: path - Unknown element [<path/>]"}},
        {"pre contents are tags", "<pre>\n<spna>\n</pre>",
         {"2:1 unknown-tag: spna - Unknown element (did you mean span?) [<spna>]"}, same},
        {"a < in running text", "<p>a < b, c <= d</p>", {}, same},
        {"obsolete elements", "<center><font color=red>x</font></center>",
         {"1:1 obsolete-tag: center - Obsolete element, not part of current HTML [<center>]",
          "1:9 obsolete-tag: font - Obsolete element, not part of current HTML [<font color=red>]"},
         {}},
        {"custom elements", "<my-card x=1>y</my-card>", {},
         {"1:1 unknown-tag: my-card - Unknown element [<my-card x=1>]"}},
        {"a byte order mark is no column", "\xEF\xBB\xBF<p>x</div><a href=\"#y\">y</a>",
         {"1:5 close-without-open: /div - Close tag without matching open tag [</div>]",
          "1:20 missing-anchor: #y - No anchor y on this page [#y]"}, same},
        // Places before the scan's line, and references placed at the end of the page.
        {"a tag over three lines", "<p>x</p>\n<img hreff=a\n src=b\n alt=c>\n<a href=\"#none\">n</a>",
         {"2:6 unknown-attribute: hreff - Unknown attribute for IMG [hreff]",
          "5:10 missing-anchor: #none - No anchor none on this page [#none]"}, same},
        {"XHTML 1.0: the XML declaration and xmlns", "<?xml version=\"1.0\"?>\n<html xmlns=\"x\" xml:lang=\"en\">",
         {"1:1 unknown-tag: ?xml - Unknown element [<?xml version=\"1.0\"?>]"}, {}},
    };
    for (const FaultCase& c : cases) {
        EXPECT_EQ(placedProblems(c.document, *html5), c.html5) << c.what << " (html5)";
        EXPECT_EQ(placedProblems(c.document, *html4), c.html4 == same ? c.html5 : c.html4) << c.what << " (html4)";
    }
}

TEST(CheckDocument, NamesTheNearestKnownNameAfterThousandsOfOtherUnknownNames) {
    // Past the searches a check keeps (4,096 names), a misspelt name is still searched, and
    // named alike.
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4"), html5 = TagProfile::make("html5");
    ASSERT_TRUE(html4 && html5);
    constexpr int Others = 4200;
    std::string page;
    for (int i = 0; i < Others; ++i) {
        const std::string n = std::to_string(i);
        page += "<q" + n + "x></q" + n + "x><b y" + n + "z=1></b>\n";
    }
    page += "<dvi>a</dvi><a hreff=b>c</a><dvi>d</dvi><a hreff=e>f</a>";
    const std::string line = std::to_string(Others + 1);
    const Lines last = {line + ":1 unknown-tag: dvi - Unknown element (did you mean div?) [<dvi>]",
                        line + ":16 unknown-attribute: hreff - Unknown attribute for A (did you mean href?) [hreff]",
                        line + ":29 unknown-tag: dvi - Unknown element (did you mean div?) [<dvi>]",
                        line + ":44 unknown-attribute: hreff - Unknown attribute for A (did you mean href?) [hreff]"};
    for (const TagProfile* profile : {html4.get(), html5.get()}) {
        const Lines lines = placedProblems(page, *profile);
        ASSERT_GE(lines.size(), last.size()) << profile->name();
        EXPECT_EQ(Lines(lines.end() - static_cast<ptrdiff_t>(last.size()), lines.end()), last) << profile->name();
    }
}

// One fault, one report: after a fault the check goes on from the tree the author most
// likely meant, and a second fault of its own is still reported.
TEST(CheckDocument, ReportsEachFaultOnceAndGoesOnAsTheAuthorMeant) {
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4"), html5 = TagProfile::make("html5");
    ASSERT_TRUE(html4 && html5);
    const Lines same = {"same"};
    const FaultCase cases[] = {
        {"misspelt open tag, its close tag spelled right", "<div>\n<dvi class=a>\n<p>x</p>\n</div>\n</div>",
         {"2:1 unknown-tag: dvi - Unknown element (did you mean div?) [<dvi class=a>]"}, same},
        {"misspelt open and close tags", "<ul>\n<li><spna>x</spna></li>\n</ul>",
         {"2:5 unknown-tag: spna - Unknown element (did you mean span?) [<spna>]"}, same},
        {"misspelt close tag: its element is closed", "<div>\n<p>x</p>\n</dvi>\n<p>y</p>",
         {"3:1 unknown-tag: /dvi - Unknown element (did you mean /div?) [</dvi>]"}, same},
        {"misspelt table: its cells are in a table", "<talbe>\n<tr><td>x</td></tr>\n</table>",
         {"1:1 unknown-tag: talbe - Unknown element (did you mean table?) [<talbe>]"}, same},
        {"misspelt void element opens nothing", "<p>a<inptu type=text>b</p>",
         {"1:5 unknown-tag: inptu - Unknown element (did you mean input?) [<inptu type=text>]"}, same},
        {"no name stands out: no suggestion, and its close tag is not reported", "<p>a<bt>b</bt></p>",
         {"1:5 unknown-tag: bt - Unknown element [<bt>]"}, same},
        {"two misspellings, two reports", "<dvi>\n<spna>x</span>\n</div>",
         {"1:1 unknown-tag: dvi - Unknown element (did you mean div?) [<dvi>]",
          "2:1 unknown-tag: spna - Unknown element (did you mean span?) [<spna>]"}, same},
        // The stack counts what is open by group through every way out: a block after a
        // link taken off around what it held still closes the paragraph, and a row closes a
        // column group left open.
        {"a paragraph closed after a link taken off", "<p><a href=x><b>one<a href=y>two</a></b><div>z</div>",
         {"1:4 not-closed: a - Not closed before a on line 1 [<a href=x>]"}, same},
        {"a row after a column group left open", "<table><colgroup><col><tr><td>x</td></tr></table>", {}, same},
        {"an element of current HTML is not misspelt on an older page", "<header>x</header>", {},
         {"1:1 unknown-tag: header - Unknown element [<header>]"}},
        {"a misspelt item stands for it: its list lacks nothing", "<ul>\n<il>x</li>\n</ul>",
         {"2:1 unknown-tag: il - Unknown element (did you mean li?) [<il>]"}, same},
        // html4 knows no rt: a misspelt row, of what unclear; its cells and close tag say nothing new.
        {"a row misspelt as an element of current HTML", "<table>\n<rt>\n<td>a</td><td>b</td>\n</tr>\n</table>",
         {"2:1 misplaced-element: rt - Not allowed in table (line 1) [<rt>]",
          "3:1 misplaced-element: td - Not allowed in rt (line 2) [<td>]",
          "3:11 misplaced-element: td - Not allowed in rt (line 2) [<td>]",
          "4:1 close-without-open: /tr - Close tag without matching open tag [</tr>]"},
         {"2:1 unknown-tag: rt - Unknown element [<rt>]"}},
        {"an unclear misspelling closed: what follows is checked again",
         "<table>\n<rt>\n<td>a</td>\n</rt>\n<td>b</td>\n</table>",
         {"2:1 misplaced-element: rt - Not allowed in table (line 1) [<rt>]",
          "3:1 misplaced-element: td - Not allowed in rt (line 2) [<td>]",
          "5:1 misplaced-element: td - Not allowed in table (line 1) [<td>]"},
         {"2:1 unknown-tag: rt - Unknown element [<rt>]",
          "5:1 misplaced-element: td - Not allowed in table (line 1) [<td>]"}},
        {"a close tag held back, taken at the end: what opened after it was left open at the end",
         "<b>\n<div>\n<b></b></b>\n<p>x\n<div>y",
         {"2:1 misplaced-element: div - Not allowed in b (line 1) [<div>]",
          "2:1 not-closed: div - Not closed before /b on line 3 [<div>]",
          "5:1 not-closed: div - Not closed at the end of the document [<div>]"}, same},
        {"misspelt attribute", "<div clas=x>y</div>",
         {"1:6 unknown-attribute: clas - Unknown attribute for DIV (did you mean class?) [clas]"}, same},
        {"unknown attribute near no known one", "<p foo=1>y</p>",
         {"1:4 unknown-attribute: foo - Unknown attribute for P [foo]"}, same},
        {"inner table left open: closed by the outer cell's close tag",
         "<table><tr><td>\n<table><tr><td>x</td></tr>\n</td></tr>\n<tr><td>y</td></tr>\n</table>\n<p>z</p>",
         {"2:1 not-closed: table - Not closed before /td on line 3 [<table>]"}, same},
        {"extra </div> in a cell: stray, the table stays as it was",
         "<div>\n<table><tr><td>\n<div>x</div></div>\n</td></tr>\n<tr><td>y</td></tr></table>\n</div>",
         {"3:13 close-without-open: /div - Close tag without matching open tag [</div>]"}, same},
        {"extra </div> before a section's close: what the next </div> crosses follows from it",
         "<div>\n  <section>\n    <div>\n      <div>x</div></div>\n    </div>\n  </section>\n</div>",
         {"4:19 close-without-open: /div - Close tag without matching open tag [</div>]"},
         {"2:3 unknown-tag: section - Unknown element [<section>]",
          "4:19 close-without-open: /div - Close tag without matching open tag [</div>]"}},
        {"extra </span> in a cell, its span closed after the table",
         "<div><span><table><tr><td>x</span></td></tr></table></span></div>",
         // A table can't stand in a span either: a fault of its own.
         {"1:12 misplaced-element: table - Not allowed in span (line 1) [<table>]",
          "1:28 close-without-open: /span - Close tag without matching open tag [</span>]"}, same},
        {"cell outside a table: one report", "<p>x<td>y</td> z</p>",
         {"1:5 cell-outside-table: TD - This tag should be in a table [<td>]"}, same},
        {"a close tag of a cell alone outside a table", "<p>x</td></p>",
         {"1:5 cell-outside-table: /TD - This tag should be in a table [</td>]"}, same},
        {"a in an a: one report", "<p><a href=x>1<a href=y>2</a>3</a></p>",
         {"1:4 not-closed: a - Not closed before a on line 1 [<a href=x>]"}, same},
        {"a in an a, and a second, independent extra </a>", "<p><a href=x>1<a href=y>2</a>3</a></p>\n<p>x</a></p>",
         {"1:4 not-closed: a - Not closed before a on line 1 [<a href=x>]",
          "2:5 close-without-open: /a - Close tag without matching open tag [</a>]"}, same},
        {"heading in a heading: one report", "<h1>x<h2>y</h2></h1>",
         {"1:1 not-closed: h1 - Not closed before h2 on line 1 [<h1>]"}, same},
        {"left-out </ul>: one report", "<div>\n<ul>\n<li>a</li>\n<p>b</p>\n</div>\n<p>c</p>",
         {"2:1 not-closed: ul - Not closed before /div on line 5 [<ul>]"}, same},
        // Close tags written the wrong way round, across a table: one crossing.
        {"</table></div> swapped", "<div>\n<table><tr><td>x</td></tr>\n</div></table>\n<p>y</p>",
         {"3:1 crossing-close: /div - Close tag crosses table, opened on line 2 [</div>]"}, same},
        {"</table></div> swapped in a div, whose own close tag then closes the outer one",
         "<div>\n<div>\n<table><tr><td>x</td></tr>\n</div></table>\n</div>",
         {"4:1 crossing-close: /div - Close tag crosses table, opened on line 3 [</div>]"}, same},
        {"</body></html> while a table is open: the table was left open, nothing else",
         "<html><body>\n<table><tr><td>x</td></tr>\n</body></html>",
         {"2:1 not-closed: table - Not closed before /body on line 3 [<table>]"}, same},
        {"</div> in a cell, the div closed by nothing else: a crossing, not nothing",
         "<div>\n<table><tr><td>x</div></td></tr></table>\n<p>y</p>",
         {"2:17 crossing-close: /div - Close tag crosses table, opened on line 2 [</div>]"}, same},
        // A close tag written twice, found by the indentation before it crosses anything.
        {"extra </div> before a section's close tag", "<div>\n  <section>\n    <div>x</div></div>\n    <p>y</p>\n"
         "  </section>\n</div>",
         {"3:17 close-without-open: /div - Close tag without matching open tag [</div>]"},
         {"2:3 unknown-tag: section - Unknown element [<section>]",
          "3:17 close-without-open: /div - Close tag without matching open tag [</div>]"}},
        {"extra </div> in a dd: the dd and dl close as written",
         "<div>\n  <dl>\n    <dt>a</dt>\n    <dd><div>x</div></div>\n    </dd>\n  </dl>\n</div>",
         {"4:21 close-without-open: /div - Close tag without matching open tag [</div>]"}, same},
        {"extra </div> and a second, independent stray </a>",
         "<div>\n  <section>\n    <div>x</div></div>\n    <p>y</p>\n  </section>\n</div>\n<p>z</a></p>",
         {"3:17 close-without-open: /div - Close tag without matching open tag [</div>]",
          "7:5 close-without-open: /a - Close tag without matching open tag [</a>]"},
         {"2:3 unknown-tag: section - Unknown element [<section>]",
          "3:17 close-without-open: /div - Close tag without matching open tag [</div>]",
          "7:5 close-without-open: /a - Close tag without matching open tag [</a>]"}},
        {"a close tag held as extra was its element's after all: what it crossed was left open",
         "<div>\n  <div>\n    <div>a</div><b>x</div>\n</div>",
         {"3:17 not-closed: b - Not closed before /div on line 3 [<b>]"}, same},
        {"a close tag across a list, where it stands: the list is left open",
         "<div>\n<ul>\n<li>a\n</div></ul>\n<p>b</p>",
         {"4:1 crossing-close: /div - Close tag crosses ul, opened on line 2 [</div>]"}, same},
        // A link left open around a list: the next link takes it off, the list stays open.
        {"left-out </a> before a nested list",
         "<ul>\n<li><a href=x>a\n<ul>\n<li><a href=y>b</a></li>\n</ul>\n</li>\n</ul>",
         {"2:5 not-closed: a - Not closed before a on line 4 [<a href=x>]"}, same},
        {"left-out </a> around a div: the div stays open, the next link is not in a link",
         "<div><a href=x>a\n<div>\n<a href=y>b</a>\n</div>\n</div>",
         {"1:6 not-closed: a - Not closed before a on line 3 [<a href=x>]"}, same},
        {"a in an a, through an em: the em goes on", "<p><a href=x><em><a href=y>T</a></em></a></p>",
         {"1:4 not-closed: a - Not closed before a on line 1 [<a href=x>]"}, same},
        {"left-out </a> before a nested list, and an extra </ul> of its own",
         "<ul>\n<li><a href=x>a\n<ul>\n<li><a href=y>b</a></li>\n</ul>\n</li>\n</ul>\n</ul>",
         {"2:5 not-closed: a - Not closed before a on line 4 [<a href=x>]",
          "8:1 close-without-open: /ul - Close tag without matching open tag [</ul>]"}, same},
        // The names a faulty tag meant to give: references to them follow from its fault.
        {"misspelt id: a link to it is no second fault, a link to another name is",
         "<p><a href=\"#top\">up</a> <a href=\"#other\">x</a></p>\n<h1 di=\"top\">T</h1>",
         {"1:35 missing-anchor: #other - No anchor other on this page [#other]",
          "2:5 unknown-attribute: di - Unknown attribute for H1 (did you mean id?) [di]"}, same},
        {"lost quote before an id: a link to it follows from it, a link to another name is reported",
         "<p><a href=\"#t\">x</a> <a href=\"#u\">y</a></p>\n<h2><a href=\"#t id=\"t\">#</a></h2>",
         {"1:32 missing-anchor: #u - No anchor u on this page [#u]",
          "2:5 unbalanced-quotes: <A - Unbalanced quotes [<a href=\"#t id=\"t\">]"}, same},
    };
    for (const FaultCase& c : cases) {
        EXPECT_EQ(placedProblems(c.document, *html5), c.html5) << c.what << " (html5)";
        EXPECT_EQ(placedProblems(c.document, *html4), c.html4 == same ? c.html5 : c.html4) << c.what << " (html4)";
    }
}

// A page with tagvetter directives, and the problems left through html32, html4 and html5
// (the window's lines, without "No errors found").
struct DirectiveCase {
    const char* what;
    std::string document;
    Lines html32;
    Lines html5;
    Lines html4;  // {"same"}: as html5
    std::vector<ProblemKind> ignored = {};
};

Lines linesLeft(const std::string& page, const TagProfile& profile, const std::vector<ProblemKind>& ignored) {
    CheckOptions options;
    for (const ProblemKind kind : ignored) options.ignored.set(static_cast<size_t>(kind));
    Lines lines = check(page, profile, options);
    if (lines == Lines{"No errors found"}) lines.clear();
    return lines;
}

// Looked through in two pieces cut anywhere, a page gives what one look over it gives,
// the word found across the cut too.
TEST(DirectiveSearch, PiecesCutAnywhereFindWhatTheWholeFinds) {
    const std::string word = "tagvetter-";
    const std::string texts[] = {"", word, "<!-- tagvetter-disable -->", "tagvetter", "xtagvetter-x", "tagvetter -x",
                                 std::string(40, 'a') + word + std::string(40, 'b'), std::string(100, 't') + "agvetter-"};
    for (const std::string& text : texts) {
        const char* end = text.data() + text.size();
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            DirectiveSearch search(text.data(), text.size());
            EXPECT_EQ(search.foundBefore(text.data() + cut), text.substr(0, cut).find(word) != std::string::npos)
                << text << " cut at " << cut;
            EXPECT_EQ(search.foundBefore(end), text.find(word) != std::string::npos) << text << " cut at " << cut;
        }
    }
}

TEST(CheckDocument, LeavesOutWhatThePagesDirectivesAndTheIgnoredKindsSay) {
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4"), html5 = TagProfile::make("html5");
    ASSERT_TRUE(html4 && html5);
    const Lines same = {"same"};
    const std::string unknown = " - Unknown kind in a tagvetter directive";
    const DirectiveCase cases[] = {
        {"the next line, one kind", "<!-- tagvetter-disable-next-line unknown-tag -->\n<bogus><td>\n<bogus>",
         {"0002  TD - This tag should be in a table", "0003  bogus - Unknown keyword"},
         {"0002  TD - This tag should be in a table", "0003  bogus - Unknown element"}, same},
        {"the next line, every kind, after a comment over two lines",
         "<bogus><!-- tagvetter-disable-next-line\n-->\n<bogus><td>\n<bogus>",
         {"0001  bogus - Unknown keyword", "0004  bogus - Unknown keyword"},
         {"0001  bogus - Unknown element", "0004  bogus - Unknown element"}, same},
        {"kinds apart by commas, no spaces before the closer", "<!--tagvetter-disable-next-line unknown-tag,"
         "cell-outside-table-->\n<bogus><td>", {}, {}, same},
        {"a range: its first line whole, up to its enable's line", "<bogus>\n<bogus><!-- tagvetter-disable unknown-tag -->"
         "\n<bogus>\n<bogus><!-- tagvetter-enable unknown-tag --><bogus>\n<bogus>",
         {"0001  bogus - Unknown keyword", "0005  bogus - Unknown keyword"},
         {"0001  bogus - Unknown element", "0005  bogus - Unknown element"}, same},
        {"a range without enable, the count at the end included", "<div>\n<!-- tagvetter-disable -->\n<bogus><td>",
         {}, {"0001  div - Not closed at the end of the document"}, same},
        {"enable of every kind ends the count's disable; a kind of the other reading",
         "<!-- tagvetter-disable unbalanced-tags -->\n<div>\n<!-- tagvetter-enable -->",
         {"DIV\tUnbalanced tags (1)"},
         {"0001  unbalanced-tags" + unknown, "0002  div - Not closed at the end of the document"}, same},
        {"enable of one kind of several",
         "<!-- tagvetter-disable unknown-tag unknown-attribute -->\n<bogus><img src=x alt=x bogus=1>\n"
         "<!-- tagvetter-enable unknown-tag -->\n<bogus><img src=x alt=x bogus=2>",
         {"0004  bogus - Unknown keyword"}, {"0004  bogus - Unknown element"}, same},
        {"enable of one kind after disable of every kind",
         "<!-- tagvetter-disable -->\n<bogus><td>\n<!-- tagvetter-enable unknown-tag -->\n<bogus><td>",
         {"0004  bogus - Unknown keyword"}, {"0004  bogus - Unknown element"}, same},
        {"bad kinds are reported and disable nothing; obsolete-tag is html4's and html5's",
         "<!-- tagvetter-disable-next-line unknown-tags obsolete-tag -->\n<center><bogus></center>",
         {"0001  unknown-tags" + unknown, "0001  obsolete-tag" + unknown, "0002  bogus - Unknown keyword"},
         {"0001  unknown-tags" + unknown, "0002  bogus - Unknown element"}, same},
        {"no directive disables the directives' own kind",
         "<!-- tagvetter-disable unknown-directive-kind -->\n<!-- tagvetter-disable -->\n"
         "<!-- tagvetter-enable bad -->\n<bogus>",
         {"0003  bad" + unknown}, {"0003  bad" + unknown}, same},
        {"comments that are no directive", "<!-- see tagvetter-disable -->\n<!-- tagvetter-disabled -->\n"
         "<!-- Tagvetter-disable --><!-- tagvetter- --><!-- tagvetter-disable-next-lines --><bogus>",
         {"0003  bogus - Unknown keyword"}, {"0003  bogus - Unknown element"}, same},
        {"a directive cut off by the end of the page is none",
         "<bogus><!-- tagvetter-disable", {"0001  bogus - Unknown keyword"},
         {"0001  bogus - Unknown element", "0001  <!-- - Tag without its closing >"}, same},
        {"a script's body holds no comments",
         "<script type=t><!-- tagvetter-disable-next-line --></script>\n<bogus>",
         {"0002  bogus - Unknown keyword"}, {"0002  bogus - Unknown element"}, same},
        {"a style's body: a comment to the 1990s reading only",
         "<style><!-- tagvetter-disable-next-line --></style>\n<bogus>",
         {}, {"0002  bogus - Unknown element"}, {"0001  type - Missing attribute of STYLE", "0002  bogus - Unknown element"}},
        {"ignored kinds, bad directive kinds too", "<!-- tagvetter-disable-next-line bogus-kind -->\n<bogus>\n<td>",
         {"0003  TD - This tag should be in a table"}, {"0003  TD - This tag should be in a table"}, same,
         {ProblemKind::UnknownTag, ProblemKind::UnknownDirectiveKind}},
        {"an ignored kind leaves the others", "<center><bogus></center>", {"0001  bogus - Unknown keyword"},
         {"0001  bogus - Unknown element"}, same, {ProblemKind::ObsoleteTag}},
    };
    for (const DirectiveCase& c : cases) {
        EXPECT_EQ(linesLeft(c.document, TagProfile::html32(), c.ignored), c.html32) << c.what << " (html32)";
        EXPECT_EQ(linesLeft(c.document, *html5, c.ignored), c.html5) << c.what << " (html5)";
        EXPECT_EQ(linesLeft(c.document, *html4, c.ignored), c.html4 == same ? c.html5 : c.html4)
            << c.what << " (html4)";
    }
}

}  // namespace
