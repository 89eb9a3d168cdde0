#include "page_fix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "test_documents.h"

namespace {

const TagProfile& profileNamed(const std::string& name) {
    static const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4"), html5 = TagProfile::make("html5");
    return name == "html32" ? TagProfile::html32() : name == "html4" ? *html4 : *html5;
}

// A page loaded and its mender.
struct Loaded {
    Loaded(const std::string& page, const std::string& profile)
        : document(page), mender(document.document, profileNamed(profile), {}) {}
    LoadedDocument document;
    PageMender mender;
};

// Counts the problems handed over and keeps their kinds.
struct KindsSeen : ProblemSink {
    void report(const Problem& problem) override { kinds.push_back(problem.kind); }
    std::vector<ProblemKind> kinds;
};

struct Mended {
    std::string text;
    int32_t fixes;
    std::vector<ProblemKind> left;
};

Mended mend(const std::string& page, const std::string& profile, const CheckOptions& options = {},
            ProblemKinds kinds = ProblemKinds().set()) {
    LoadedDocument d(page);
    EXPECT_TRUE(d.loaded);
    KindsSeen left;
    const PageMend m = mendPage(d.document, profileNamed(profile), options, kinds, left);
    EXPECT_EQ(m.left, static_cast<int32_t>(left.kinds.size()));
    return {m.text, m.fixes, left.kinds};
}

// The edits every problem of the check carries, made at once: what the mends offer
// before they are checked again.
std::string offered(const std::string& page, const std::string& profile) {
    LoadedDocument d(page);
    struct Edits : ProblemSink {
        void report(const Problem& problem) override {
            for (int e = 0; e < problem.fix.count; ++e)
                edits.push_back({problem.fix.edits[e].from, problem.fix.edits[e].to, problem.fix.edits[e].text});
        }
        std::vector<OwnedEdit> edits;
    } edits;
    checkDocument(d.document, edits, profileNamed(profile));
    std::sort(edits.edits.begin(), edits.edits.end(),
              [](const OwnedEdit& a, const OwnedEdit& b) { return a.from < b.from; });
    return withEdits(page, edits.edits);
}

const std::string Html5 = "<!DOCTYPE html>\n<title>t</title>\n";
const std::string Html4 = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<title>t</title>\n";

struct MendCase {
    const char* what;
    const char* profile;
    std::string page;
    std::string mended;  // the page once mended; the page itself when nothing is sure
    int32_t fixes;
    int32_t left;
};

TEST(MendPage, MakesTheSureMendsAndLeavesTheGuesses) {
    const MendCase cases[] = {
        {"stray close tag", "html5", Html5 + "<b>a</b></b>\n", Html5 + "<b>a</b>\n", 1, 0},
        {"stray close of an element never opened", "html5", Html5 + "<p>a</span> b\n", Html5 + "<p>a b\n", 1, 0},
        {"void element's close tag", "html5", Html5 + "<p>a<br></br>\n", Html5 + "<p>a<br>\n", 1, 0},
        {"close tag of img in capitals", "html5", Html5 + "<IMG src=a alt=\"\"></IMG>\n",
         Html5 + "<IMG src=a alt=\"\">\n", 1, 0},
        {"misspelled attribute with one name near", "html5", Html5 + "<img src=a alt=\"\" stlye=x>\n",
         Html5 + "<img src=a alt=\"\" style=x>\n", 1, 0},
        {"attribute in capitals keeps them", "html5", Html5 + "<IMG SRC=a ALT=\"\" STLYE=x>\n",
         Html5 + "<IMG SRC=a ALT=\"\" STYLE=x>\n", 1, 0},
        {"misspelled element and its close tag", "html5", Html5 + "<blockqoute>q</blockqoute>\n",
         Html5 + "<blockquote>q</blockquote>\n", 1, 0},
        {"misspelled element in capitals", "html5", Html5 + "<BLOCKQOUTE>q</BLOCKQOUTE>\n",
         Html5 + "<BLOCKQUOTE>q</BLOCKQUOTE>\n", 1, 0},
        // Names as near (li, i, ul, ...): what the page holds says which.
        {"only one of the names as near stands in its parent", "html5",
         Html5 + "<ul>\n<li>a</li>\n<il>b</il>\n</ul>\n",
         Html5 + "<ul>\n<li>a</li>\n<li>b</li>\n</ul>\n", 1, 0},
        {"only one takes the tag's attributes", "html5", Html5 + "<p><mig src=a alt=\"\">\n",
         Html5 + "<p><img src=a alt=\"\">\n", 1, 0},
        {"ruby's parts stand only in a ruby", "html5", Html5 + "<p>x<rh>\n", Html5 + "<p>x<hr>\n", 1, 0},
        {"an obsolete element without rules (tt) stands where text may, not in a row", "html5",
         Html5 + "<table><tr><ht>a<td>b</table>\n", Html5 + "<table><tr><th>a<td>b</table>\n", 1, 0},
        {"what it holds settles it: of ul and u, only ul holds li", "html5",
         Html5 + "<div><lu>\n<li>a</li>\n</lu></div>\n", Html5 + "<div><ul>\n<li>a</li>\n</ul></div>\n", 1, 0},
        // Taken for ul, the check finds b out of place too.
        {"what it holds points away from the name it stands for (u holds b, ul does not): no mend",
         "html5",
         Html5 + "<div><lu><b>a</b></lu></div>\n", Html5 + "<div><lu><b>a</b></lu></div>\n", 0, 2},
        // The second search for a name is remembered: its ties must come back with it.
        {"one misspelt name twice: settled where it holds li, a guess where it holds text", "html5",
         Html5 + "<lu><li>x</li></lu>\n<lu>text</lu>\n<dvi>a</dvi>\n<DVI>b</DVI>\n",
         Html5 + "<ul><li>x</li></ul>\n<lu>text</lu>\n<div>a</div>\n<DIV>b</DIV>\n", 3, 1},
        {"the open tag's own close tag names it", "html5", Html5 + "<div><lu>x</ul></div>\n",
         Html5 + "<div><ul>x</ul></div>\n", 1, 0},
        {"the misspelt close tag closes the one open of them", "html5",
         Html5 + "<table><tr><td>x</td></tr></tabel>\n", Html5 + "<table><tr><td>x</td></tr></table>\n", 1, 0},
        {"a close tag written twice, found by the indentation", "html5",
         Html5 + "<div>\n  <div>\n    <p>x</p>\n  </div></div>\n</div>\n",
         Html5 + "<div>\n  <div>\n    <p>x</p>\n  </div>\n</div>\n", 1, 0},
        {"a misspelt tag over two lines: its name is mended, the lines stay", "html5",
         Html5 + "<p><igm src=a alt=\"\"\n   class=x>\n", Html5 + "<p><img src=a alt=\"\"\n   class=x>\n", 1, 0},
        // Attribute names as near: the value says which.
        {"rel and role as near: only rel takes the value", "html5", Html5 + "<link rle=\"stylesheet\" href=a.css>\n",
         Html5 + "<link rel=\"stylesheet\" href=a.css>\n", 1, 0},
        {"id and dir as near: dir takes only its words", "html5", Html5 + "<p><span di=\"note\">x</span>\n",
         Html5 + "<p><span id=\"note\">x</span>\n", 1, 0},
        {"id and dir as near, and the value is one of dir's", "html5", Html5 + "<p><span di=\"ltr\">x</span>\n",
         Html5 + "<p><span di=\"ltr\">x</span>\n", 0, 1},
        {"html4 alike", "html4", Html4 + "<UL><IL>a</IL></UL>\n", Html4 + "<UL><LI>a</LI></UL>\n", 1, 0},
        {"several mends on one line", "html5", Html5 + "<p>a</span><br></br></i>\n", Html5 + "<p>a<br>\n", 3, 0},
        {"CRLF lines stay", "html5", "<!DOCTYPE html>\r\n<title>t</title>\r\n<b>a</b></b>\r\nx\r\n",
         "<!DOCTYPE html>\r\n<title>t</title>\r\n<b>a</b>\r\nx\r\n", 1, 0},
        {"html4 too", "html4", Html4 + "<p>a</span><br></br><img src=x alt=y stlye=z>\n",
         Html4 + "<p>a<br><img src=x alt=y style=z>\n", 3, 0},
        {"html32 stray close tag", "html32", "<HTML><BODY></B>x</BODY></HTML>\n", "<HTML><BODY>x</BODY></HTML>\n", 1,
         0},
        {"close tag left out, ended by its parent's", "html5", Html5 + "<div><span>a</div>\n",
         Html5 + "<div><span>a</span></div>\n", 1, 0},
        {"left-out close tag keeps the letter case of its open tag", "html4", Html4 + "<DIV><EM>a</DIV>\n",
         Html4 + "<DIV><EM>a</EM></DIV>\n", 1, 0},
        {"left out inside a cell", "html4", Html4 + "<table><tr><td><span>c</td></tr></table>\n",
         Html4 + "<table><tr><td><span>c</span></td></tr></table>\n", 1, 0},
        {"left-out close tag on the blank line it was taken from", "html5",
         Html5 + "<section><div>\n<p>x</p>\n  \n</section>\n", Html5 + "<section><div>\n<p>x</p>\n  </div>\n</section>\n",
         1, 0},
        {"blank line of CRLF lines", "html5", Html5 + "<section><div>\r\n<p>x</p>\r\n\r\n</section>\n",
         Html5 + "<section><div>\r\n<p>x</p>\r\n</div>\r\n</section>\n", 1, 0},
        {"left out on the line of blanks before the first line less far in than it", "html5",
         Html5 + "<section>\n  <div>\n    <p>x</p>\n   \n<p>y</p>\n</section>\n",
         Html5 + "<section>\n  <div>\n    <p>x</p>\n   </div>\n<p>y</p>\n</section>\n", 1, 0},
        {"left out on the line of blanks as far in as its open tag, before a close tag less far in",
         "html5",
         Html5 + "<div>\n  <div>\n    <p>x</p>\n  \n</div>\n",
         Html5 + "<div>\n  <div>\n    <p>x</p>\n  </div>\n</div>\n", 1, 0},
        {"an element that holds nothing, its open tag ending its line", "html5",
         Html5 + "<div>\n  <div class=c>\n</div>\n", Html5 + "<div>\n  <div class=c></div>\n</div>\n", 1, 0},
        {"the layout's place in CRLF lines", "html5",
         Html5 + "<section>\r\n  <div>\r\n    <p>x</p>\r\n   \r\n<p>y</p>\r\n</section>\r\n",
         Html5 + "<section>\r\n  <div>\r\n    <p>x</p>\r\n   </div>\r\n<p>y</p>\r\n</section>\r\n", 1, 0},
        {"the layout's place indented by tabs", "html5",
         Html5 + "<section>\n\t<div>\n\t\t<p>x</p>\n\t\n<p>y</p>\n</section>\n",
         Html5 + "<section>\n\t<div>\n\t\t<p>x</p>\n\t</div>\n<p>y</p>\n</section>\n", 1, 0},
        {"blanks as far in as the content: not the close tag's line", "html5",
         Html5 + "<section>\n  <div>\n    <p>x</p>\n    \n<p>y</p>\n</section>\n",
         Html5 + "<section>\n  <div>\n    <p>x</p>\n    \n<p>y</p>\n</div></section>\n", 1, 0},
        {"a line as far in that may be its content: not by the layout", "html5",
         Html5 + "<section>\n  <div>\n    <p>x</p>\n  \n  <p>y</p>\n</section>\n",
         Html5 + "<section>\n  <div>\n    <p>x</p>\n  \n  <p>y</p>\n</div></section>\n", 1, 0},
        {"left out before what it can't hold", "html5", Html5 + "<section>\n<h1>Title\n<p>x</p>\n</section>\n",
         Html5 + "<section>\n<h1>Title</h1>\n<p>x</p>\n</section>\n", 1, 0},
        {"left out before what it can't hold, on a blank line", "html4", Html4 + "<h2>Title\n  \n<div>x</div>\n",
         Html4 + "<h2>Title\n  </h2>\n<div>x</div>\n", 1, 0},
        {"a heading left open by the next", "html5", Html5 + "<h1>a<h2>b</h2>\n", Html5 + "<h1>a</h1><h2>b</h2>\n", 1, 0},
        {"a link left open by the next, what it held still open: before that", "html5",
         Html5 + "<ul><li><a href=x>a<ul>\n<li><a href=y>b</a></li></ul></li></ul>\n",
         Html5 + "<ul><li><a href=x>a</a><ul>\n<li><a href=y>b</a></li></ul></li></ul>\n", 1, 0},
        {"a link left open by the next", "html4", Html4 + "<p><a href=x>a\n<a href=y>b</a>\n",
         Html4 + "<p><a href=x>a\n</a><a href=y>b</a>\n", 1, 0},
        {"close tags the wrong way round", "html5", Html5 + "<p><b><i>x</b></i>\n", Html5 + "<p><b><i>x</i></b>\n", 1,
         0},
        {"wrong way round with blanks between", "html4", Html4 + "<p><a href=x><code>y</a> </code>\n",
         Html4 + "<p><a href=x><code>y</code> </a>\n", 1, 0},
        {"crossing with text between: the crossed element ends before and opens again after", "html5",
         Html5 + "<p><b>x<i>y</b>z</i>\n", Html5 + "<p><b>x<i>y</i></b><i>z</i>\n", 1, 0},
        {"crossing, the open tag copied as written", "html4", Html4 + "<p><A HREF=x>x<EM class=c>y</A>z</EM>\n",
         Html4 + "<p><A HREF=x>x<EM class=c>y</EM></A><EM class=c>z</EM>\n", 1, 0},
        {"a paragraph's close tag before its phrase's", "html5", Html5 + "<p><code>y</p></code>\n",
         Html5 + "<p><code>y</code></p>\n", 1, 0},
        {"\">\" left out before the next tag", "html5", Html5 + "<p><a href=\"x\"<b>y</b></a>\n",
         Html5 + "<p><a href=\"x\"><b>y</b></a>\n", 1, 0},
        {"\">\" of a close tag", "html4", Html4 + "<p><b>y</b<i>z</i>\n", Html4 + "<p><b>y</b><i>z</i>\n", 1, 0},
        // What stays: a guess, or a mend that would bring a problem of its own.
        {"two elements left out before one close tag: their order is a guess", "html5",
         Html5 + "<div><b><i>a</div>\n", Html5 + "<div><b><i>a</div>\n", 0, 2},
        {"crossing with an id: opened again, the id would be there twice", "html5",
         Html5 + "<p><b>x<i id=a>y</b>z</i>\n", Html5 + "<p><b>x<i id=a>y</b>z</i>\n", 0, 1},
        {"crossing over two lines", "html5", Html5 + "<p><b><i>x</b>\n</i>\n", Html5 + "<p><b><i>x</b>\n</i>\n", 0, 1},
        {"a close tag passing two elements, one crossed", "html5", Html5 + "<p><b><i><u>x</b></i></u>\n",
         Html5 + "<p><b><i><u>x</b></i></u>\n", 0, 2},
        {"left open by a link inside that holds what the first one held", "html5",
         Html5 + "<p><a href=x><em>a<a href=y>b</a>\n", Html5 + "<p><a href=x><em>a<a href=y>b</a>\n", 0, 2},
        {"written twice inside a list, its element's own close tag as far in as its open tag", "html5",
         Html5 + "<div>\n<dl>\n<dt>a<dd><div>x</div></div>\n<dt>b<dd>y\n</dl>\n</div>\n",
         Html5 + "<div>\n<dl>\n<dt>a<dd><div>x</div>\n<dt>b<dd>y\n</dl>\n</div>\n", 1, 0},
        {"written twice, but the element's own close tag elsewhere than its open tag", "html5",
         Html5 + "<div>\n<dl>\n<dt>a<dd><div>x</div></div>\n<dt>b<dd>y\n</dl>\n  </div>\n",
         Html5 + "<div>\n<dl>\n<dt>a<dd><div>x</div></div>\n<dt>b<dd>y\n</dl>\n  </div>\n", 0, 1},
        {"written twice in capitals, html4", "html4",
         Html4 + "<DIV>\n  <DIV>\n    <P>x</P>\n  </DIV></DIV>\n</DIV>\n",
         Html4 + "<DIV>\n  <DIV>\n    <P>x</P>\n  </DIV>\n</DIV>\n", 1, 0},
        {"one close tag too many, none written twice: which is a guess", "html5",
         Html5 + "<div>\n  <div>\n    <p>x</p>\n  </div>\n  </div>\n</div>\n",
         Html5 + "<div>\n  <div>\n    <p>x</p>\n  </div>\n  </div>\n</div>\n", 0, 1},
        {"left open at the end of the page", "html5", Html5 + "<div>a\n", Html5 + "<div>a\n", 0, 1},
        {"tag cut short by the end of the page", "html5", Html5 + "<p>a<b class=x", Html5 + "<p>a<b class=x", 0, 2},
        {"the \">\" would show an attribute's fault", "html5", Html5 + "<p><a hreff=\"x\"<b>y</b></a>\n",
         Html5 + "<p><a hreff=\"x\"<b>y</b></a>\n", 0, 1},
        {"two misspellings of one name: the first is mended, the second would repeat it", "html5",
         Html5 + "<a hreff=x hrf=y>l</a>\n", Html5 + "<a href=x hrf=y>l</a>\n", 1, 1},
        {"the suggestion is on the tag already", "html5", Html5 + "<a hreff=x href=y>l</a>\n",
         Html5 + "<a hreff=x href=y>l</a>\n", 0, 1},
        {"letters of both cases", "html5", Html5 + "<Blockqoute>m</Blockqoute>\n", Html5 + "<Blockqoute>m</Blockqoute>\n",
         0, 1},
        {"no known name stands out", "html5", Html5 + "<bt>x</bt>\n", Html5 + "<bt>x</bt>\n", 0, 1},
        {"names as near, nothing tells which: a guess", "html5", Html5 + "<p><lu>x</lu>\n",
         Html5 + "<p><lu>x</lu>\n", 0, 1},
        // As li it would close the li open and stand in the list; as i it stands in that li.
        {"names as near, each standing where it would", "html5", Html5 + "<ul><li>a<il>b</il></ul>\n",
         Html5 + "<ul><li>a<il>b</il></ul>\n", 0, 1},
        {"names as near, and both elements open for the close tag", "html5", Html5 + "<ul><li>a</il></ul>\n",
         Html5 + "<ul><li>a</il></ul>\n", 0, 1},
        {"close tag over two lines", "html5", Html5 + "<p>a</div\n>\n", Html5 + "<p>a</div\n>\n", 0, 1},
        {"close tag cut short", "html5", Html5 + "<p>a</span\n", Html5 + "<p>a</span\n", 0, 2},
        {"the mended element's attributes would be wrong", "html5", Html5 + "<blockqoute clas=x>q</blockqoute>\n",
         Html5 + "<blockqoute clas=x>q</blockqoute>\n", 0, 1},
        {"silenced by the page", "html5",
         Html5 + "<!-- tagvetter-disable-next-line close-without-open -->\n</span>\n",
         Html5 + "<!-- tagvetter-disable-next-line close-without-open -->\n</span>\n", 0, 0},
    };
    for (const MendCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Mended m = mend(c.page, c.profile);
        EXPECT_EQ(m.text, c.mended);
        EXPECT_EQ(m.fixes, c.fixes);
        EXPECT_EQ(static_cast<int32_t>(m.left.size()), c.left);
        // What was mended is gone, and nothing came with it.
        const Mended again = mend(c.mended, c.profile);
        EXPECT_EQ(again.fixes, 0);
        EXPECT_EQ(again.text, c.mended);
        EXPECT_EQ(again.left, m.left);
        // Where every offered mend passed, they are the check's own edits.
        if (c.fixes > 0 && m.left.empty()) {
            EXPECT_EQ(offered(c.page, c.profile), c.mended);
        }
    }
}

TEST(MendPage, KindsLeftOutAreNeitherMendedNorCounted) {
    const std::string page = Html5 + "</span><br></br>\n";
    ProblemKinds voids;
    voids.set(static_cast<size_t>(ProblemKind::VoidClose));
    const Mended some = mend(page, "html5", {}, voids);
    EXPECT_EQ(some.text, Html5 + "</span><br>\n");
    EXPECT_EQ(some.fixes, 1);
    EXPECT_EQ(some.left, std::vector<ProblemKind>{ProblemKind::CloseWithoutOpen});

    CheckOptions ignoring;
    ignoring.ignored.set(static_cast<size_t>(ProblemKind::CloseWithoutOpen));
    const Mended ignored = mend(page, "html5", ignoring);
    EXPECT_EQ(ignored.text, Html5 + "</span><br>\n");
    EXPECT_EQ(ignored.fixes, 1);
    EXPECT_TRUE(ignored.left.empty());
}

// Each problem's mend offered by itself: only when, made alone, the page checks with
// exactly the other problems, which the check of the page it gives must bear out.
TEST(PageMender, MendsAloneOnlyWhatTakesItsProblemAwayAndNoMore) {
    const struct Case {
        const char* what;
        const char* profile;
        std::string page;
        std::vector<bool> alone;  // for each problem in the order of the check
        std::vector<size_t> together;
    } cases[] = {
        {"several on one line", "html5", Html5 + "<p>a</span><br></br></i>\n", {true, true, true}, {0, 1, 2}},
        {"a guess has none", "html5", Html5 + "<bt>x</bt><br></br>\n", {false, true}, {1}},
        {"the mended element's attributes would be wrong", "html5", Html5 + "<blockqoute clas=x>q</blockqoute>\n",
         {false}, {}},
        {"the mended element and a stray close tag", "html5", Html5 + "<blockqoute>q</blockqoute></b>\n",
         {true, true}, {0, 1}},
        // Each passes alone; together the tag would have href twice: the first is kept.
        {"two mends that clash", "html5", Html5 + "<a hreff=x hrf=y>l</a>\n", {true, true}, {0}},
        {"of three, one clashes with the first", "html5", Html5 + "<a hreff=x hrf=y>l</a><br></br>\n",
         {true, true, true}, {0, 2}},
        {"html32", "html32", "<HTML><BODY></B>x<FOO></BODY></HTML>\n", {true, false}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Loaded page(c.page, c.profile);
        PageMender& mender = page.mender;
        ASSERT_EQ(mender.problemCount(), c.alone.size());
        EXPECT_EQ(mender.text(), c.page);
        for (size_t i = 0; i < mender.problemCount(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(mender.mendsAlone(i), c.alone[i]);
            if (!c.alone[i]) continue;
            const std::string mended = withEdits(c.page, mender.edits(i));
            Loaded again(mended, c.profile);
            const PageMender& after = again.mender;
            EXPECT_EQ(after.problemCount(), mender.problemCount() - 1) << mended;
            for (size_t j = 0, k = 0; j < mender.problemCount(); ++j) {
                if (j == i) continue;
                EXPECT_EQ(after.problem(k++).kind, mender.problem(j).kind);
            }
        }
        EXPECT_EQ(mender.mendsTogether(ProblemKinds().set()), c.together);
    }
}

TEST(WithEdits, MakesEditsInOrderAroundTheRest) {
    EXPECT_EQ(withEdits("abcdef", {}), "abcdef");
    EXPECT_EQ(withEdits("abcdef", {{0, 1, "X"}, {3, 3, "-"}, {5, 6, ""}}), "Xbc-de");
    EXPECT_EQ(withEdits("ab", {{0, 2, "xyz"}}), "xyz");
}

}  // namespace
