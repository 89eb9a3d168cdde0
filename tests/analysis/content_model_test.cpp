#include "content_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document_check.h"
#include "result_lines.h"
#include "test_documents.h"

namespace {

struct Seen {
    ProblemKind kind;
    int32_t line;
    int32_t column;
    std::string message;
};

class Collect : public ProblemSink {
public:
    void report(const Problem& p) override {
        if (p.kind != ProblemKind::MisplacedElement && p.kind != ProblemKind::MissingChild) return;
        char text[ProblemTextSize];
        formatProblemMessage(p, text);
        seen.push_back({p.kind, p.line, p.column, text});
    }
    std::vector<Seen> seen;
};

std::vector<Seen> contentProblems(const std::string& page, const TagProfile& profile) {
    LoadedDocument d(page);
    EXPECT_TRUE(d.loaded);
    Collect sink;
    checkDocument(d.document, sink, profile);
    return sink.seen;
}

const TagProfile& html5() {
    static const std::unique_ptr<TagProfile> p = TagProfile::make("html5");
    return *p;
}
const TagProfile& html4() {
    static const std::unique_ptr<TagProfile> p = TagProfile::make("html4");
    return *p;
}

constexpr ProblemKind Misplaced = ProblemKind::MisplacedElement;
constexpr ProblemKind Missing = ProblemKind::MissingChild;

struct Case {
    const char* what;
    const TagProfile& (*profile)();
    std::string page;
    std::vector<Seen> expected;  // empty: the page must pass
};

TEST(ContentModel, ReportsWhatDoesNotBelongOnceAtItsTag) {
    const Case cases[] = {
        // Children a parent doesn't take.
        {"div in ul", html5, "<ul>\n  <div>x</div>\n  <li>y</li>\n</ul>",
         {{Misplaced, 2, 3, "div - Not allowed in ul (line 1)"}}},
        {"flow in phrasing", html5, "<h1><span><div>x</div></span></h1>", {{Misplaced, 1, 11, "div - Not allowed in span (line 1)"}}},
        {"li with no list stands in body", html5, "<body>\n<li>x</li>", {{Misplaced, 2, 1, "li - Not allowed in body (line 1)"}}},
        {"li at the top of a page", html5, "<li>x</li>", {{Misplaced, 1, 1, "li - Not allowed in body"}}},
        {"dd outside dl", html5, "<section><dd>x</dd></section>", {{Misplaced, 1, 10, "dd - Not allowed in section (line 1)"}}},
        {"option outside select", html5, "<p><option>x</option>", {{Misplaced, 1, 4, "option - Not allowed in p (line 1)"}}},
        {"p in select", html5, "<select><p>x</p></select>", {{Misplaced, 1, 9, "p - Not allowed in select (line 1)"}}},
        {"div moved out of a table", html5, "<table>\n<tr><td>x</td></tr>\n<div>y</div></table>",
         {{Misplaced, 3, 1, "div - Not allowed in table (line 1)"}}},
        {"td straight in a table", html5, "<table><td>x</td></table>", {{Misplaced, 1, 8, "td - Not allowed in table (line 1)"}}},
        {"source outside media", html5, "<div><source src=a></div>", {{Misplaced, 1, 6, "source - Not allowed in div (line 1)"}}},
        {"transparent a takes its parent's model", html5, "<span><a href=x><div>y</div></a></span>",
         {{Misplaced, 1, 17, "div - Not allowed in span (line 1)"}}},
        {"obsolete element in ul", html5, "<ul><li>a</li><center>b</center></ul>", {}},
        // Forbidden descendants.
        {"link in a button", html5, "<button>\n<a href=x>y</a></button>", {{Misplaced, 2, 1, "a - Not allowed inside button (line 1)"}}},
        {"a custom element where a list takes items only", html5, "<ul><my-item>x</my-item></ul>",
         {{Misplaced, 1, 5, "my-item - Not allowed in ul (line 1)"}}},
        {"what a misplaced custom element holds is not reported for an ancestor", html5,
         "<a href=x><ul><my-item><a href=y>z</a></my-item></ul></a>",
         {{Misplaced, 1, 15, "my-item - Not allowed in ul (line 1)"}}},
        {"a custom element hides nothing it isn't refused", html5, "<a href=x><my-el><button>b</button></my-el></a>",
         {{Misplaced, 1, 18, "button - Not allowed inside a (line 1)"}}},
        {"input in a link", html5, "<p><a href=x><span><input></span></a>", {{Misplaced, 1, 20, "input - Not allowed inside a (line 1)"}}},
        {"what a misplaced element holds is not reported again", html5,
         "<button><div><a href=x>z</a></div></button>", {{Misplaced, 1, 9, "div - Not allowed in button (line 1)"}}},
        {"heading in dt", html5, "<dl><dt><h3>x</h3><dd>y</dl>", {{Misplaced, 1, 9, "h3 - Not allowed inside dt (line 1)"}}},
        {"sectioning in a header cell", html5, "<table><tr><th><div><section>x</section></div></table>",
         {{Misplaced, 1, 21, "section - Not allowed inside th (line 1)"}}},
        {"rows close the row before", html5, "<table><tr><td>a<tr><td>b</table>", {}},
        {"a section closes the open row and cell", html5, "<table><thead><tr><th><div>a</div><tbody><tr><td>b</table>", {}},
        // Missing children, at the element's open tag.
        {"head without title", html5, "<html>\n<head><meta charset=utf-8></head><body></body></html>",
         {{Missing, 2, 1, "head - Missing title"}}},
        {"picture without img", html5, "<picture><source srcset=a></picture>", {{Missing, 1, 1, "picture - Missing img"}}},
        {"dt without dd", html5, "<dl>\n<dt>a<dd>b\n<dt>c\n</dl>", {{Missing, 1, 1, "dl - Missing dd after dt (line 3)"}}},
        {"details without summary", html5, "<details><p>x</p></details>", {{Missing, 1, 1, "details - Missing summary"}}},
        // html4, from the DTDs.
        {"html4 ul without li", html4, "<body><ul></ul>", {{Missing, 1, 7, "ul - Missing li"}}},
        {"html4 fieldset without legend", html4, "<form action=x><fieldset><input></fieldset></form>",
         {{Missing, 1, 16, "fieldset - Missing legend"}}},
        {"html4 table in a", html4, "<a name=x><table><tr><td>y</table></a>", {{Misplaced, 1, 11, "table - Not allowed in a (line 1)"}}},
        {"html4 img excluded from pre", html4, "<pre>x <b><img src=a></b></pre>",
         {{Misplaced, 1, 11, "img - Not allowed inside pre (line 1)"}}},
        {"html4 heading in caption", html4, "<table><caption><h2>x</h2></caption><tr><td>y</table>",
         {{Misplaced, 1, 17, "h2 - Not allowed in caption (line 1)"}}},
        {"html4 tr without cells", html4, "<table><tr></tr></table>", {{Missing, 1, 8, "tr - Missing th or td"}}},
    };
    for (const Case& c : cases) {
        const std::vector<Seen> seen = contentProblems(c.page, c.profile());
        ASSERT_EQ(seen.size(), c.expected.size()) << c.what << (seen.empty() ? "" : ": " + seen[0].message);
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].kind, c.expected[i].kind) << c.what;
            EXPECT_EQ(seen[i].line, c.expected[i].line) << c.what;
            EXPECT_EQ(seen[i].column, c.expected[i].column) << c.what;
            EXPECT_EQ(seen[i].message, c.expected[i].message) << c.what;
        }
    }
}

// Pages written as the standard's own examples are, with the elements a page may leave out.
TEST(ContentModel, PassesValidPages) {
    const Case cases[] = {
        {"implied html, head, body", html5, "<!DOCTYPE html><title>x</title><p>y", {}},
        {"metadata before the body", html5, "<html><head><title>x</title><link rel=stylesheet href=a></head>"
                                            "<style>p{}</style><body><link rel=stylesheet href=b></body></html>", {}},
        {"rows in a table without tbody", html5, "<table><caption>c</caption><col><tr><th>a<td>b</table>", {}},
        {"sections and colgroup", html5, "<table><colgroup><col></colgroup><thead><tr><th>h<tbody><tr><td>d"
                                         "<tfoot><tr><td>f</table>", {}},
        {"grouped dl", html5, "<dl><div><dt>a<dd>b</div><div><dt>c<dt>d<dd>e</div></dl>", {}},
        {"dl with several dd", html5, "<dl><dt>a<dd>b<dd>c<script></script></dl>", {}},
        {"lists with script-supporting", html5, "<ul><template><li>x</template><li>a</ul><ol><li>b</ol><menu><li>c</menu>", {}},
        {"select", html5, "<select><optgroup label=g><option>a<option>b</optgroup><option>c<hr></select>", {}},
        {"datalist", html5, "<datalist id=l><option value=a></datalist>", {}},
        {"media", html5, "<video controls><source src=a><track src=b><p>fallback</p></video>"
                         "<picture><source srcset=x><img src=y alt=z></picture>", {}},
        {"a holding blocks in flow", html5, "<div><a href=x><div>block link</div></a></div>", {}},
        {"hidden input and img in a link", html5, "<a href=x><img src=a alt=b><input type=hidden></a>", {}},
        {"img with usemap outside a", html5, "<p><img src=a usemap=#m alt=x><map name=m><area alt=a href=b></map>", {}},
        {"form parts", html5, "<form><fieldset><legend>l</legend><label>n <input></label></fieldset>"
                              "<details><summary>s</summary><p>d</p></details>"
                              "<figure><img src=a alt=b><figcaption>c</figcaption></figure></form>", {}},
        {"ruby", html5, "<ruby>a<rp>(</rp><rt>b</rt><rp>)</rp></ruby>", {}},
        {"custom elements hold and go anywhere", html5, "<p><my-el><div>x</div></my-el></p><x-list><li>a</x-list>", {}},
        {"template contents stand apart", html5, "<a href=x><template><button>b</button></template></a>", {}},
        {"svg and math in phrasing", html5, "<span><svg><g></g></svg><math><mi>x</mi></math></span>", {}},
        {"hgroup", html5, "<hgroup><h1>t</h1><p>s</p></hgroup>", {}},
        {"html4 table without tbody", html4, "<table><tr><td>x</td></tr></table>", {}},
        {"html4 ins and del anywhere in body", html4, "<ul><li>x</li><ins>y</ins></ul><p><del>z</del>", {}},
        {"html4 frameset", html4, "<html><head><title>t</title></head><frameset><frame src=a><noframes>"
                                  "<body><p>x</body></noframes></frameset></html>", {}},
        {"html4 head", html4, "<head><title>t</title><meta name=a content=b><script></script><style></style>"
                              "<link rel=x href=y></head><body><p>x</body>", {}},
    };
    for (const Case& c : cases) {
        const std::vector<Seen> seen = contentProblems(c.page, c.profile());
        EXPECT_TRUE(seen.empty()) << c.what << ": " << (seen.empty() ? "" : seen[0].message);
    }
}

}  // namespace
