// The check of ids, references within the page and URLs: small pages with one fault each,
// placed where the fault is, pages that must pass, and the URL grammar on its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document_check.h"
#include "result_lines.h"
#include "test_documents.h"
#include "text.h"
#include "url_check.h"

namespace {

// The problems of the kinds this check adds, each as "LINE:COLUMN kind: message [marked]".
Lines referenceProblems(const std::string& page, const TagProfile& profile) {
    struct Placed : ProblemSink {
        explicit Placed(const std::string& page) : text(page) {}
        void report(const Problem& p) override {
            const std::string kind = problemKindId(p.kind);
            if (kind != "duplicate-id" && kind != "missing-id" && kind != "missing-anchor" && kind != "bad-url") return;
            char message[ProblemTextSize];
            formatProblemMessage(p, message);
            EXPECT_LE(p.offset, p.endOffset) << message;
            EXPECT_LE(p.endOffset, text.size()) << message;
            lines.push_back(std::to_string(p.line) + ":" + std::to_string(p.column) + " " + kind + ": " + message +
                            " [" + text.substr(p.offset, p.endOffset - p.offset) + "]");
        }
        const std::string& text;
        Lines lines;
    };
    LoadedDocument d(page);
    EXPECT_TRUE(d.loaded);
    Placed placed(page);
    checkDocument(d.document, placed, profile);
    return placed.lines;
}

const TagProfile& html5() {
    static const std::unique_ptr<TagProfile> profile = TagProfile::make("html5");
    return *profile;
}
const TagProfile& html4() {
    static const std::unique_ptr<TagProfile> profile = TagProfile::make("html4");
    return *profile;
}

struct ReferencePage {
    const char* what;
    std::string page;
    std::string expected;  // "" when the page must pass
};

TEST(ReferenceCheck, Html5PagesWithOneFaultEach) {
    const ReferencePage cases[] = {
        {"second id", "<p id=a>x</p>\n<p id=\"a\">y</p>",
         "2:8 duplicate-id: a - Duplicate id, first on line 1 [a]"},
        {"id decoded before comparing", "<p id=\"a&amp;b\">x</p>\n<div id=\"a&#38;b\"></div>",
         "2:10 duplicate-id: a&b - Duplicate id, first on line 1 [a&#38;b]"},
        {"ids compare by exact bytes", "<p id=A></p><p id=a></p><p id=\"a \"></p>", ""},
        {"first of an attribute written twice counts", "<p id=a id=b></p><p id=b></p>", ""},
        {"label for", "<label for=nope>L</label>",
         "1:12 missing-id: nope - No element with this id (for of LABEL) [nope]"},
        {"label for, forward reference", "<label for=x>L</label>\n<input id=x>", ""},
        {"headers list, second missing", "<table><tr><th id=h1>a<td headers=\"h1  h9\">b</table>",
         "1:40 missing-id: h9 - No element with this id (headers of TD) [h9]"},
        {"input list", "<input list=cities>", "1:13 missing-id: cities - No element with this id (list of INPUT) [cities]"},
        {"form owner", "<form id=f></form><button form=g>x</button>",
         "1:32 missing-id: g - No element with this id (form of BUTTON) [g]"},
        {"output for list", "<input id=a><output for=\"a b\"></output>",
         "1:28 missing-id: b - No element with this id (for of OUTPUT) [b]"},
        {"aria on any element", "<div aria-describedby=\"d1\"></div>",
         "1:24 missing-id: d1 - No element with this id (aria-describedby of DIV) [d1]"},
        {"aria on a custom element", "<my-tab aria-labelledby=panel></my-tab>",
         "1:25 missing-id: panel - No element with this id (aria-labelledby of MY-TAB) [panel]"},
        {"what aria-controls or aria-owns names may come later, from a script",
         "<button aria-controls=menu aria-owns=list aria-activedescendant=o1>x</button>", ""},
        {"aria names found", "<div aria-labelledby=\"t1 t2\"></div><b id=t1></b><i id=t2></i>", ""},
        {"usemap without its map", "<img src=a.png alt=\"\" usemap=\"#m\">",
         "1:32 missing-id: m - No map of this name (usemap of IMG) [m]"},
        {"usemap with its map", "<img src=a.png alt=\"\" usemap=\"#m\"><map name=m></map>", ""},
        {"usemap after its map", "<map name=m></map><img src=a.png alt=\"\" usemap=\"#m\">", ""},
        {"a fragment names no map", "<map name=m></map><a href=\"#m\">x</a>",
         "1:28 missing-anchor: #m - No anchor m on this page [#m]"},
        {"fragment names an id given before", "<h2 id=s1>S</h2><a href=#s1>x</a>", ""},
        {"fragment names the value of a misspelt id", "<p idd=x></p><a href=#x>y</a><a href=#z>z</a><p idd=z></p>", ""},
        // The lines of what is placed at the end of the page, found within its tag.
        {"id on a later line of its tag", "<p id=a></p>\n<p\n  title=t\n  id=a></p>",
         "4:6 duplicate-id: a - Duplicate id, first on line 1 [a]"},
        {"line feeds in an earlier value", "<p id=a></p><p title=\"x\ny\" id=a></p>",
         "2:7 duplicate-id: a - Duplicate id, first on line 1 [a]"},
        {"reference on a later line of its tag", "<label\n for=nope>L</label>",
         "2:6 missing-id: nope - No element with this id (for of LABEL) [nope]"},
        {"fragment without anchor", "<a href=\"#intro\">x</a>",
         "1:10 missing-anchor: #intro - No anchor intro on this page [#intro]"},
        {"fragment names an a's name", "<a href=\"#n\">x</a><a name=n></a>", ""},
        {"fragment names an id later on", "<a href=#s2>x</a>\n<h2 id=s2>S</h2>", ""},
        {"top and empty fragments need none", "<a href=\"#\">x</a><a href=\"#top\">y</a><a href=\"#TOP\">z</a>", ""},
        {"fragment percent-decoded", "<a href=\"#caf%C3%A9\">x</a><b id=\"caf\xC3\xA9\"></b>", ""},
        {"fragment with space around", "<a href=\"  #gone \">x</a>",
         "1:12 missing-anchor: #gone - No anchor gone on this page [#gone]"},
        {"another page's fragment is links' business", "<a href=\"other.html#x\">x</a>", ""},
        {"space in a path", "<a href=\"my page.html\">x</a>",
         "1:12 bad-url: href - Bad URL: space at character 3 in \"my page.html\" [ ]"},
        {"backslash", "<img alt=\"\" src=\"img\\logo.png\">",
         "1:21 bad-url: src - Bad URL: backslash at character 4 in \"img\\logo.png\" [\\]"},
        {"bad percent escape", "<form action=\"/cgi?q=100%\"></form>",
         "1:25 bad-url: action - Bad URL: % not followed by two hex digits at character 11 in \"/cgi?q=100%\" [%]"},
        {"bad port", "<a href=\"http://example.com:80a/\">x</a>",
         "1:29 bad-url: href - Bad URL: port not a number up to 65535 at character 20 in \"http://example.com:80a/\" [8]"},
        {"character in the query", "<a href=\"x.html?a=1|2\">x</a>",
         "1:20 bad-url: href - Bad URL: character not allowed at character 11 in \"x.html?a=1|2\" [|]"},
        {"URL over two lines, placed on its line break", "<a href=\"one\ntwo.html\">x</a>",
         "1:13 bad-url: href - Bad URL: tab or line break at character 4 in \"one two.html\" [\n]"},
        {"placed past a character reference", "<a href=\"a.html?x=1&amp;y=<\">x</a>",
         "1:27 bad-url: href - Bad URL: character not allowed at character 14 in \"a.html?x=1&y=<\" [<]"},
        {"ping list, each URL", "<a href=x.html ping=\"/p1 /p%zz\">x</a>",
         "1:28 bad-url: ping - Bad URL: % not followed by two hex digits at character 3 in \"/p%zz\" [%]"},
        {"white space at the ends is allowed", "<a href=\"\n  https://example.com/a?b=c#d  \n\">x</a>", ""},
        {"javascript and data bodies are not read", "<a href=\"javascript:go('a b')\">x</a><img alt=\"\" src=\"data:image/png;base64,a b\">", ""},
        {"srcset is left out", "<img alt=\"\" src=a.png srcset=\"a b.png 2x\">", ""},
        {"attribute of no URL", "<p title=\"a b\\c\">x</p>", ""},
    };
    for (const ReferencePage& c : cases) {
        const Lines got = referenceProblems(c.page, html5());
        EXPECT_EQ(got, c.expected.empty() ? Lines{} : Lines{c.expected}) << c.what;
    }
}

TEST(ReferenceCheck, Html4PagesUseTheirOwnTable) {
    const std::string doctype = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n";
    const ReferencePage cases[] = {
        {"second id", "<p id=a>x\n<p id=a>y", "3:7 duplicate-id: a - Duplicate id, first on line 2 [a]"},
        {"label for", "<label for=x>L</label>", "2:12 missing-id: x - No element with this id (for of LABEL) [x]"},
        {"a name is an anchor", "<a href=\"#n\">x</a> <a name=\"n\">y</a>", ""},
        {"fragment without anchor", "<a href=\"#n\">x</a>", "2:10 missing-anchor: #n - No anchor n on this page [#n]"},
        {"usemap names a map", "<img src=a.gif alt=x usemap=\"#m\"><map name=\"m\"></map>", ""},
        {"longdesc is a URL", "<img src=a.gif alt=x longdesc=\"long desc.html\">",
         "2:36 bad-url: longdesc - Bad URL: space at character 5 in \"long desc.html\" [ ]"},
        {"html5's aria is not html4's", "<div aria-labelledby=nope></div>", ""},
    };
    for (const ReferencePage& c : cases) {
        const Lines got = referenceProblems(doctype + c.page, html4());
        EXPECT_EQ(got, c.expected.empty() ? Lines{} : Lines{c.expected}) << c.what;
    }
}

TEST(ReferenceCheck, Html32KnowsNoneOfThese) {
    const std::string page = "<p id=a><p id=a><a href=\"#x\">x</a><a href=\"a b\">y</a><label for=z>";
    LoadedDocument d(page);
    MemoryResultList list;
    checkLines(d.document, list, TagProfile::html32());
    ASSERT_FALSE(list.lines.empty());
    for (const std::string& line : list.lines) {
        for (const char* words : {"Duplicate id", "No element", "No map", "No anchor", "Bad URL"})
            EXPECT_EQ(line.find(words), std::string::npos) << line;
    }
}

TEST(ReferenceCheck, ManyIdsEachReportedOnceAfterTheFirst) {
    std::string page;
    for (int i = 0; i < 3; ++i) page += "<p id=same></p><p id=other" + std::to_string(i) + "></p>\n";
    EXPECT_EQ(referenceProblems(page, html5()),
              (Lines{"2:7 duplicate-id: same - Duplicate id, first on line 1 [same]",
                     "3:7 duplicate-id: same - Duplicate id, first on line 1 [same]"}));
}

TEST(ReferenceCheck, LongValuesAreShortenedInTheMessage) {
    const std::string id(200, 'x');
    const Lines got = referenceProblems("<label for=\"" + id + "\">", html5());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NE(got[0].find(std::string(60, 'x') + "... - No element with this id"), std::string::npos) << got[0];
}

struct UrlCase {
    const char* value;
    UrlFault fault;
    size_t at;
};

TEST(UrlCheck, ValidAndInvalidUrls) {
    const UrlCase cases[] = {
        // Valid.
        {"", UrlFault::None, 0},
        {"page.html", UrlFault::None, 0},
        {"../a/b.html?x=1&y=2#frag", UrlFault::None, 0},
        {"/abs/path;p?q=a:b@c!$'()*+,~", UrlFault::None, 0},
        {"#", UrlFault::None, 0},
        {"?only=query", UrlFault::None, 0},
        {"http://example.com", UrlFault::None, 0},
        {"HTTPS://Example.COM:443/x", UrlFault::None, 0},
        {"http://example.com:/x", UrlFault::None, 0},
        {"http://example.com./", UrlFault::None, 0},
        {"http://1.2.3.4/", UrlFault::None, 0},
        {"http://[::1]:8080/", UrlFault::None, 0},
        {"http://[2001:db8::ff00:42:8329]/", UrlFault::None, 0},
        {"http://[::ffff:192.0.2.1]/", UrlFault::None, 0},
        {"//cdn.example.org/lib.js", UrlFault::None, 0},
        {"mailto:someone@example.com?subject=Hi%20there", UrlFault::None, 0},
        {"tel:+1-555-0100", UrlFault::None, 0},
        {"urn:isbn:0451450523", UrlFault::None, 0},
        {"file:///C:/Docs/a.html", UrlFault::None, 0},
        {"C:/Docs/a.html", UrlFault::None, 0},
        {"my_file:x.html", UrlFault::None, 0},
        {"caf\xC3\xA9.html", UrlFault::None, 0},
        {"http://b\xC3\xBC" "cher.example/", UrlFault::None, 0},
        {"latin1\xE9.html", UrlFault::None, 0},
        {"javascript:void(0) ", UrlFault::None, 0},
        {"data:text/plain,a b", UrlFault::None, 0},
        {"ssh://git-host/repo", UrlFault::None, 0},
        // Invalid.
        {"a b", UrlFault::Space, 1},
        {"a\tb", UrlFault::LineBreak, 1},
        {"a\x01" "b", UrlFault::Control, 1},
        {"a\xC2\x85" "b", UrlFault::Control, 1},
        {"dir\\file", UrlFault::Backslash, 3},
        {"C:\\Docs\\a.html", UrlFault::Backslash, 2},
        {"\\\\server\\share", UrlFault::Backslash, 0},
        {"100%", UrlFault::Percent, 3},
        {"a%2", UrlFault::Percent, 1},
        {"a%g0", UrlFault::Percent, 1},
        {"a\"b", UrlFault::Character, 1},
        {"a<b>", UrlFault::Character, 1},
        {"x?a[]=1", UrlFault::Character, 3},
        {"a{b}", UrlFault::Character, 1},
        {"a^b", UrlFault::Character, 1},
        {"a`b", UrlFault::Character, 1},
        {"x\xEF\xB7\x90", UrlFault::Character, 1},
        {"#a#b", UrlFault::SecondHash, 2},
        {"http:example.com", UrlFault::Slashes, 5},
        {"https:/example.com", UrlFault::Slashes, 6},
        {"http:", UrlFault::Slashes, 4},
        {"http://user:pw@example.com/", UrlFault::Credentials, 7},
        {"http:///x", UrlFault::EmptyHost, 7},
        {"http://", UrlFault::EmptyHost, 6},
        {"http://exa_mple.com/", UrlFault::HostCharacter, 10},
        {"http://a%41.com/", UrlFault::HostCharacter, 8},
        {"http://a b.com/", UrlFault::Space, 8},
        {"http://a..b/", UrlFault::HostLabel, 9},
        {"http://.a/", UrlFault::HostLabel, 7},
        // A non-ASCII label isn't measured, but the labels after it are.
        {"http://b\xc3\xbc.aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.com/", UrlFault::HostLabel, 11},
        {"http://1.2.3/", UrlFault::Ipv4, 7},
        {"http://1.2.3.256/", UrlFault::Ipv4, 7},
        {"http://01.2.3.4/", UrlFault::Ipv4, 7},
        {"http://example.0x1f/", UrlFault::Ipv4, 7},
        {"http://[1:2:3]/", UrlFault::Ipv6, 7},
        {"http://[::1::2]/", UrlFault::Ipv6, 7},
        {"http://[12345::]/", UrlFault::Ipv6, 7},
        {"http://[1:2:3:4:5:6:7:8:9]/", UrlFault::Ipv6, 7},
        {"http://[::1/", UrlFault::Ipv6, 7},
        {"http://host:65536/", UrlFault::Port, 12},
        {"http://host:8o/", UrlFault::Port, 12},
        {"//host:99999", UrlFault::Port, 7},
        {"ftp:\\\\host", UrlFault::Backslash, 4},
        {"http://host\\path", UrlFault::Backslash, 11},
        {"mailto:a@b.org?subject=Hello World", UrlFault::Space, 28},
    };
    for (const UrlCase& c : cases) {
        const UrlVerdict v = checkUrl(c.value);
        EXPECT_EQ(static_cast<int>(v.fault), static_cast<int>(c.fault)) << c.value;
        EXPECT_EQ(v.at, c.at) << c.value;
    }
}

TEST(UrlCheck, TrimsOnlyAsciiWhiteSpaceAtTheEnds) {
    EXPECT_EQ(trimmedUrl(" \t\n a b \r\f"), "a b");
    EXPECT_EQ(trimmedUrl("\xC2\xA0x"), "\xC2\xA0x");
    EXPECT_EQ(trimmedUrl("   "), "");
}

}  // namespace
