#include "page_links.h"

#include <gtest/gtest.h>

#include <string>

#include "test_documents.h"

namespace {

// The links of a page as lines: "LINE:COLUMN tag@attribute target" for each reference,
// then "#ANCHOR" for each anchor, then "base TARGET" when there is a base.
Lines linesOf(const PageLinks& links) {
    Lines lines;
    for (const PageReference& r : links.references)
        lines.push_back(std::to_string(r.line) + ":" + std::to_string(r.column) + " " + r.tag + "@" + r.attribute +
                        " " + r.target);
    for (const std::string& anchor : links.anchors) lines.push_back("#" + anchor);
    if (!links.base.empty()) lines.push_back("base " + links.base);
    return lines;
}

Lines readLinks(const std::string& page, PageLinks& links) {
    LoadedDocument d(page);
    EXPECT_TRUE(d.loaded);
    EXPECT_TRUE(readPageLinks(d.document, links));
    return linesOf(links);
}

// The same lines of a packed block: its references carry no element or attribute.
Lines linesOf(const PageLinkBlock& block) {
    Lines lines;
    for (size_t i = 0; i < block.referenceCount(); ++i)
        lines.push_back(std::to_string(block.line(i)) + ":" + std::to_string(block.column(i)) + " " +
                        std::string(block.target(i)));
    for (size_t i = 0; i < block.anchorCount(); ++i) lines.push_back("#" + std::string(block.anchor(i)));
    if (!block.base().empty()) lines.push_back("base " + std::string(block.base()));
    return lines;
}

// The lines of a PageLinks without their elements and attributes, as a block gives them.
Lines withoutAttributes(Lines lines) {
    for (std::string& line : lines) {
        const size_t space = line.find(' ');
        const size_t at = line.find('@');
        if (line[0] != '#' && line.compare(0, 5, "base ") != 0 && at != std::string::npos)
            line.erase(space + 1, line.find(' ', at) - space);
    }
    return lines;
}

std::string withCrLf(const std::string& page) {
    std::string out;
    for (char c : page) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

struct LinksCase {
    const char* what;
    std::string page;
    Lines links;
};

// Each page through a fresh reading, a reading that follows another page's, and with
// its lines ended by CR LF: the same links, at the same places.
TEST(PageLinks, ReadsEveryReferenceAndAnchorAtItsValue) {
    const LinksCase cases[] = {
        {"href of a, area and link",
         "<a href=\"a.html\">x</a>\n<area href=b.html>\n<link rel=stylesheet href='c.css'>",
         {"1:10 a@href a.html", "2:12 area@href b.html", "3:28 link@href c.css"}},
        {"src of every element that has one",
         "<img src=i.png>\n<script src=s.js></script>\n<iframe src=f.html></iframe>\n<frame src=g.html>\n"
         "<embed src=e.swf>\n<source src=o.ogg>\n<audio src=a.mp3>\n<video src=v.mp4 poster=p.jpg>\n"
         "<track src=t.vtt>\n<object data=d.svg></object>",
         {"1:10 img@src i.png", "2:13 script@src s.js", "3:13 iframe@src f.html", "4:12 frame@src g.html",
          "5:12 embed@src e.swf", "6:13 source@src o.ogg", "7:12 audio@src a.mp3", "8:12 video@src v.mp4",
          "8:25 video@poster p.jpg", "9:12 track@src t.vtt", "10:14 object@data d.svg"}},
        {"background of body and tables, action of form",
         "<body background=b.gif>\n<table background=t.gif>\n<tr background=r.gif>\n<th background=h.gif>\n"
         "<td background=d.gif>\n<form action=/post>",
         {"1:18 body@background b.gif", "2:19 table@background t.gif", "3:16 tr@background r.gif",
          "4:16 th@background h.gif", "5:16 td@background d.gif", "6:14 form@action /post"}},
        {"src of input only with type=image, whichever comes first",
         "<input src=i.png type=image>\n<input type=text src=t.png>\n<INPUT TYPE=Image SRC=u.png>\n<input src=n.png>",
         {"1:12 input@src i.png", "3:23 input@src u.png"}},
        {"the attributes of other elements are no references",
         "<div src=x href=y background=z></div><p action=a><span data=d poster=p>", {}},
        {"srcset: each candidate's URL, descriptors and list commas left out",
         "<img srcset=\"a.png 1x, b.png 2x,c.png\" src=d.png>\n"
         "<source srcset=\"s.webp 100w,t.png,, u.webp (1,2) 2x, v,w.png,\">",
         {"1:14 img@srcset a.png", "1:24 img@srcset b.png", "1:33 img@srcset c.png", "1:44 img@src d.png",
          "2:17 source@srcset s.webp", "2:29 source@srcset t.png", "2:37 source@srcset u.webp",
          "2:54 source@srcset v,w.png"}},
        {"meta refresh in its forms; other metas name nothing",
         "<meta http-equiv=\"refresh\" content=\"5; url=next.html\">\n"
         "<meta content=\"0;URL='x.html'\" http-equiv=REFRESH>\n"
         "<meta http-equiv=refresh content=\"3, next.html\">\n"
         "<meta http-equiv=refresh content=\"1 ; Url = &quot;q.html&quot; more\">\n"
         "<meta http-equiv=refresh content=\"5\">\n<meta http-equiv=refresh content=\"x; url=y.html\">\n"
         "<meta name=description content=\"7; url=d.html\">",
         {"1:44 meta@content next.html", "2:23 meta@content x.html", "3:38 meta@content next.html",
          "4:51 meta@content q.html"}},
        {"character references decoded, unknown ones left as written; a srcset split once decoded",
         "<a href=\"a.html?x=1&amp;y=2&#35;top&#x41;&#X42;&unknown;&lt&gt;&#;&#1114112;\" id=\"&quot;q&apos;\">\n"
         "<img srcset=\"a.png&#32;1x,&#32;b&amp;c.png\">",
         {"1:10 a@href a.html?x=1&y=2#topAB&unknown;&lt>&#;\xEF\xBF\xBD", "2:14 img@srcset a.png",
          "2:32 img@srcset b&c.png", "#\"q'"}},
        {"unquoted values, and quoted ones holding >",
         "<a href=x.html?a=b title=y>\n<a title='>' href=\"p>q.html\">\n<img src=z.png/>",
         {"1:9 a@href x.html?a=b", "2:20 a@href p>q.html", "3:10 img@src z.png/"}},
        {"no references in a script's or style's body, nor in a comment or an svg",
         "<script>document.write('<a href=s.html>')</script>\n<style>/* <img src=t.png> */</style>\n"
         "<!-- <a href=c.html> -->\n<svg><a href=v.html/></svg>\n<a href=after.html>",
         {"5:9 a@href after.html"}},
        {"upper-case names; targets and anchors keep their case",
         "<A HREF=\"U.HTML\" ID=Top NAME=n></A>\n<IMG SRCSET=\"X.PNG 2X\">",
         {"1:10 a@href U.HTML", "2:14 img@srcset X.PNG", "#Top", "#n"}},
        {"a tag over several lines, a srcset too",
         "<img\n  alt=\"x\"\n  src=\"m.png\"\n  srcset=\"a.png 1x,\n   b.png 2x\">",
         {"3:8 img@src m.png", "4:11 img@srcset a.png", "5:4 img@srcset b.png"}},
        {"columns count characters, not bytes",
         "\xC3\xA9<a href=x>\n<img alt=\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\" src=\"u.png\">\n\xFF\xE2\x82<a href=y>",
         {"1:10 a@href x", "2:21 img@src u.png", "3:12 a@href y"}},
        {"white space off a value's ends; empty values left out",
         "<a href=\"  t.html \n\">\n<a href=\"\"><a href><img src=\" \"><a href=\"&#32;\"><div id=\"\">",
         {"1:12 a@href t.html"}},
        {"of an attribute written twice the first counts",
         "<a href=first.html HREF=second.html id=one id=two>\n<input type=image type=text src=i.png>",
         {"1:9 a@href first.html", "2:33 input@src i.png", "#one"}},
        {"anchors: every id and the names of a, once each, sorted; ids as written",
         "<p id=b><a name=a id=c></a><span id=b><p name=notanchor><div id=\" d\"><h1 id=b&amp;c>",
         {"# d", "#a", "#b", "#b&c", "#c"}},
        {"the first base that has an href", "<base target=_top>\n<base href=\" /root/ \">\n<base href=other/>",
         {"base /root/"}},
        {"a lost quote: the value ends with the tag", "<a href=\"x.html>k</a>\n<a href=y.html>",
         {"1:10 a@href x.html", "2:9 a@href y.html"}},
        {"close tags and declarations hold none", "<!DOCTYPE html href=x></a href=y.html>", {}},
        {"a byte order mark is a character of the first line", "\xEF\xBB\xBF<a href=x>\n<a href=y>",
         {"1:10 a@href x", "2:9 a@href y"}},
        {"places along one line after characters of several bytes, and on the next",
         "<a href=a>\xC3\xA9</a><a href=b>\xE2\x82\xAC</a><a href=c>\n"
         "<img src=\"\xF0\x9F\x98\x80.png\" srcset=\"x.png 1x, \xC3\xA9.png 2x\">",
         {"1:9 a@href a", "1:24 a@href b", "1:39 a@href c", "2:11 img@src \xF0\x9F\x98\x80.png",
          "2:26 img@srcset x.png", "2:36 img@srcset \xC3\xA9.png"}},
    };
    PageLinks reused;
    readLinks("<a href=before.html id=before><base href=/before/>", reused);
    // A packer's room holds the page before's texts; none of them may show.
    PageLinkPacker packer;
    {
        LoadedDocument before("<a href=before.html id=before><base href=/before/>");
        PageLinkBlock block;
        ASSERT_TRUE(packer.read(before.document, block));
        EXPECT_EQ(linesOf(block), (Lines{"1:9 before.html", "#before", "base /before/"}));
    }
    for (const LinksCase& c : cases) {
        PageLinks fresh;
        EXPECT_EQ(readLinks(c.page, fresh), c.links) << c.what;
        EXPECT_EQ(readLinks(c.page, reused), c.links) << c.what << " (after another page)";
        PageLinks crlf;
        EXPECT_EQ(readLinks(withCrLf(c.page), crlf), c.links) << c.what << " (CR LF)";

        LoadedDocument d(c.page);
        PageLinkBlock block;
        ASSERT_TRUE(packer.read(d.document, block)) << c.what;
        EXPECT_EQ(linesOf(block), withoutAttributes(c.links)) << c.what << " (packed)";
        EXPECT_EQ(linesOf(PageLinkPacker::pack(fresh)), withoutAttributes(c.links)) << c.what << " (packed after)";
        EXPECT_GE(block.bytes(), 5 * sizeof(uint32_t) + 16 * block.referenceCount()) << c.what;
    }
}

// Whether a packed page has an anchor: exactly the anchors it holds, byte for byte.
TEST(PageLinks, APackedPageHasExactlyItsAnchors) {
    PageLinks links;
    links.anchors = {"b", "a", "a b", "caf\xC3\xA9", "b", "Z", "\xFF"};  // unsorted, one twice
    const PageLinkBlock block = PageLinkPacker::pack(links);
    EXPECT_EQ(linesOf(block), (Lines{"#Z", "#a", "#a b", "#b", "#caf\xC3\xA9", "#\xFF"}));
    const struct {
        const char* name;
        bool has;
    } cases[] = {
        {"a", true},   {"b", true},    {"Z", true},  {"a b", true},  {"caf\xC3\xA9", true}, {"\xFF", true},
        {"A", false},  {"z", false},   {"", false},  {"a ", false},  {" a", false},          {"ab", false},
        {"c", false},  {"\xFE", false}, {"caf", false}, {"bb", false},
    };
    for (const auto& c : cases) EXPECT_EQ(block.hasAnchor(c.name), c.has) << c.name;
    // An empty block, as a page that can't be read leaves, has none and no links.
    const PageLinkBlock empty;
    EXPECT_FALSE(empty.hasAnchor("a"));
    EXPECT_EQ(empty.referenceCount(), 0u);
    EXPECT_EQ(empty.base(), "");
    EXPECT_EQ(empty.bytes(), 0u);
}

}  // namespace
