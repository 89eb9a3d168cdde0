#include "tag_scanner.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "tag_census.h"
#include "tag_listing.h"
#include "test_documents.h"
#include "text.h"

namespace {

// Each tag as the HTML reading yields it: "LINE:COLUMN-LASTLINE NAME", then "|" and what
// ends it early ("unfinished", "quotes"), its attributes as "@NAME" (a "?" for a suspect
// one) and the text after it up to the next tag.
Lines scanned(const std::string& bytes, const TagProfile& profile) {
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    Lines tags;
    TagScanner scanner(d.document, profile, TagsOnly);
    while (scanner.next()) {
        const ScannedTag& t = scanner.tag();
        std::string line = std::to_string(t.line) + ":" + std::to_string(columnOf(t.lineStart, t.start)) + "-" +
                           std::to_string(t.lastLine) + " " + t.name;
        if (!t.finished) line += " |unfinished";
        if (t.brokenQuotes) line += " |quotes";
        if (t.selfClosing) line += " |/>";
        for (const ScannedAttribute& a : scanner.attributes()) {
            const TextPosition at = scanner.positionOf(a.name);
            line += " @" + std::string(a.name, a.length) + (a.suspect ? "?" : "") + "(" + std::to_string(at.line) +
                    ":" + std::to_string(at.column) + ")";
        }
        line += " >";
        for (const char* p = t.end; p < d.document.end && p < t.end + 3; ++p) line += *p ? std::string(1, *p) : "\\0";
        tags.push_back(line);
    }
    return tags;
}

struct ScanCase {
    const char* what;
    std::string document;
    Lines tags;
};

TEST(TagScanner, ReadsTagsAsHtmlReadsThem) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const ScanCase cases[] = {
        {"a tag over two lines", "<a\n  href=x>y", {"1:1-2 a @href(2:3) >y"}},
        {"a quoted > stays in the value", "<a title=\"a > b\" id='c>d'>e", {"1:1-1 a @title(1:4) @id(1:18) >e"}},
        {"an unquoted value ends at >", "<p class=x>y", {"1:1-1 p @class(1:4) >y"}},
        {"a < that starts no tag is text", "a < b <= c <3 <p>", {"1:15-1 p >"}},
        {"a new tag inside a tag ends it", "<tr class=\"x\"<td>1", {"1:1-1 tr |unfinished @class(1:5) ><td", "1:14-1 td >1"}},
        {"a close tag inside a tag ends it too", "<b x</b>", {"1:1-1 b |unfinished @x(1:4) ></b", "1:5-1 /b >"}},
        {"cut off by the end of the text", "<p class=", {"1:1-1 p |unfinished @class(1:4) >"}},
        {"a lost closing quote ends the tag at its first >", "<a href=\"x>k</a> <b class=\"y\">",
         {"1:1-1 a |quotes @href(1:4) >k</", "1:13-1 /a > <b", "1:18-1 b @class(1:21) >"}},
        {"no closing quote at all", "<a href=\"x>k", {"1:1-1 a |quotes @href(1:4) >k"}},
        {"a quote in an unquoted value", "<a href=x\">k", {"1:1-1 a |quotes @href(1:4) >k"}},
        {"a name right after a quote is suspect", "<a href=\"x\"id=y>", {"1:1-1 a @href(1:4) @id?(1:12) >"}},
        {"self-closing and a solidus among attributes", "<br/><img src=x / alt=\"\" />",
         {"1:1-1 br |/> ><im", "1:6-1 img |/> @src(1:11) @alt(1:19) >"}},
        {"comments end at -->, the short ones too", "<!-- a > <b> --><!--><!--->x",
         {"1:1-1 !- ><!-", "1:17-1 !- ><!-", "1:22-1 !- >x"}},
        {"declarations and processing instructions end at >", "<!DOCTYPE html><?xml v=\"1\"?></ x>",
         {"1:1-1 !DOCTYPE ><?x", "1:16-1 ?xml ></ ", "1:29-1 / >"}},
        {"raw text up to its close tag, whatever its case", "<script>a</b>'</SCRIPT >'</script >x",
         {"1:1-1 script >a</", "1:15-1 /SCRIPT >'</", "1:26-1 /script >x"}},
        {"svg contents, nested svg included, up to the matching close", "<svg><svg/><svg><p></svg></svg>x",
         {"1:1-1 svg ><sv", "1:26-1 /svg >x"}},
        {"columns count characters", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xFF<b>", {"1:5-1 b >"}},
        {"a NUL inside a tag is a space, the scan goes on", std::string("<p\0class=x>\0<b>", 15),
         {"1:1-1 p @class(1:4) >\\0<b", "1:13-1 b >"}},
    };
    for (const ScanCase& c : cases) EXPECT_EQ(scanned(c.document, *html5), c.tags) << c.what;
}

// The attributes of a document's first tag with their values: NAME alone when it has
// none, NAME=VALUE unquoted, NAME="VALUE" quoted.
std::string valuesOfFirstTag(const std::string& bytes, const TagProfile& profile) {
    LoadedDocument d(bytes);
    TagScanner scanner(d.document, profile, profile.readsAsHtml() ? TagsOnly : Html32Check);
    std::string shown;
    if (!scanner.next()) return shown;
    for (const ScannedAttribute& a : scanner.attributes()) {
        shown += (shown.empty() ? "" : " ") + std::string(a.name, a.length);
        if (!a.value) continue;
        const std::string value(a.value, a.valueLength);
        shown += a.quoted ? "=\"" + value + "\"" : "=" + value;
    }
    return shown;
}

TEST(TagScanner, GivesEachAttributesValueInBothReadings) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const struct {
        const char* document;
        const char* html;
        const char* html32;  // only double quotes quote, and no space may stand around "="
    } cases[] = {
        {"<a href=\"x y\" title='t' id=z name>", "href=\"x y\" title=\"t\" id=z name",
         "href=\"x y\" title='t' id=z name"},
        {"<a href=>", "href=", "href="},
        {"<a href = \"v\">", "href=\"v\"", "href"},
        {"<a href=\"x>k</a>", "href=\"x\"", "href=\"x\""},
        {"<a title=\"a>b\"c>d", "title=\"a\"", "title=\"a\""},
        {"<a title=\"a>bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\"c>d", "title=\"a\"", "title=\"a\""},
        {"<a href=x\"y>", "href=x\"y", "href=x\"y"},
        {"<a href=\"x", "href=\"x\"", "href=\"x\""},
        {"<a href=", "href", "href="},
        {"<a href=x<b>", "href=x", "href=x<b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(valuesOfFirstTag(c.document, *html5), c.html) << c.document;
        EXPECT_EQ(valuesOfFirstTag(c.document, TagProfile::html32()), c.html32) << c.document;
    }
}

// The reading looks at blocks of bytes: line feeds, quotes and ">" on either side of a
// block's edge, and spans shorter than a block at the page's start, are where it can slip.
TEST(TagScanner, CountsLinesAndFindsQuotesAcrossBlockEdges) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    for (size_t lead = 0; lead < 36; ++lead) {
        for (size_t length = 0; length < 36; length += 5) {
            // A lead of text with a line feed every eighth byte, then a tag whose quoted
            // value holds a line feed and, past its middle, a ">" when its length is odd.
            // Without one, the next name follows the closing quote directly, which a ">"
            // seen where there is none would take for broken quoting.
            std::string page;
            int leadLines = 0, column = 1;
            for (size_t i = 0; i < lead; ++i) {
                page += i % 8 == 0 ? '\n' : 'x';
                leadLines += i % 8 == 0;
                column = i % 8 == 0 ? 1 : column + 1;
            }
            const bool greaterThan = length % 2 == 1;
            std::string value(length, 'v');
            if (length > 2) value[1] = '\n';
            if (greaterThan) value[length / 2 + 1] = '>';
            const std::string between = greaterThan ? " " : "";
            page += "<p title=\"" + value + "\"" + between + "id=a>t\n\n<b>";
            const int line = leadLines + 1, last = line + (length > 2);
            const int idColumn = (length > 2 ? static_cast<int>(length) : column + 11 + static_cast<int>(length)) +
                                 static_cast<int>(between.size());
            const Lines expected = {std::to_string(line) + ":" + std::to_string(column) + "-" + std::to_string(last) +
                                        " p @title(" + std::to_string(line) + ":" + std::to_string(column + 3) +
                                        ") @id" + (between.empty() ? "?" : "") + "(" + std::to_string(last) + ":" + std::to_string(idColumn) + ") >t\n\n",
                                    std::to_string(last + 2) + ":1-" + std::to_string(last + 2) + " b >"};
            EXPECT_EQ(scanned(page, *html5), expected) << "lead " << lead << ", value " << length;
            EXPECT_EQ(valuesOfFirstTag(page, *html5), "title=\"" + value + "\" id=a") << lead << " " << length;
        }
    }
}

// The census, the listing and the check read the same tags: each tag the listing shows is
// counted once in the census, for every profile, on pages with every kind of hard case.
TEST(TagScanner, TheAnalysesAgreeOnEveryTag) {
    const std::string page =
        "<!DOCTYPE html>\n<p title='a > b'>x<tr class=\"y\"<td>z</td>\n<script>if (a<b) '<i>'</script>"
        "<svg><path/></svg><a href=\"lost>k</a> <b class=\"q\">w</b>\n<pre>\n<i>y</i></pre>< a <!-- c -->"
        "<PREFIX><Script\tx>s</scripts></script\t></script>";
    for (const char* profileName : {"html32", "html4", "html5"}) {
        SCOPED_TRACE(profileName);
        const std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
        LoadedDocument d(page);
        MemoryResultList listed;
        listTagLines(d.document, "", listed, *profile);
        TagCensus census;
        ASSERT_TRUE(census.setUp());
        recordDocumentTags(d.document, census, *profile);
        std::map<std::string, int64_t> counted;
        for (int e = 0; e < census.count; ++e) counted[census.entries[e].name] = census.entries[e].count;
        std::map<std::string, int64_t> shown;
        for (const std::string& line : listed.lines) {
            // "LINE  <NAME ...": the name up to a space or a ">", "/>" left out, a comment's
            // as "!-", capitalised as the census keeps it.
            std::string name = line.substr(line.find("  <") + 3);
            name = name.substr(0, name.find_first_of(" >"));
            if (name.size() > 1 && name.back() == '/') name.pop_back();
            if (name.compare(0, 2, "!-") == 0) name = "!-";
            upperCaseAscii(&name[0]);
            ++shown[name];
        }
        if (std::string(profileName) != "html32") {
            EXPECT_EQ(shown, counted);
        } else {
            // The 1990s census reads a word up to a carriage return or a space but not a tab,
            // and skips the body of every word that begins with SCRIPT or PRE.
            EXPECT_EQ(counted.count("PREFIX"), 1u);
            EXPECT_EQ(shown.count("PREFIX"), 1u);
        }
    }
}

}  // namespace

// A tag's name as the HTML reading keeps it: a close tag's "/" first, cut at the profile's
// length, followed by zeros up to its 16th byte (the row cache reads those). Names of 15,
// 16 and 17 bytes with the "/", longer than the profile allows, and at the text's very
// end, where fewer than 16 bytes are left to read; each after a longer name, whose bytes
// must not show through.
TEST(TagScanner, KeepsEachNameWithZerosAfterIt) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const size_t longest = static_cast<size_t>(html5->nameLength());
    const std::string lengths[] = {"a", "abcdefghijklmn", "abcdefghijklmno", "abcdefghijklmnop",
                                   std::string(longest - 1, 'x'), std::string(longest, 'y'),
                                   std::string(longest + 7, 'z')};
    for (const std::string& name : lengths) {
        for (const bool closing : {false, true}) {
            for (const char* after : {">", " id=k>", ""}) {
                const std::string tag = std::string(closing ? "</" : "<") + name + after;
                // Alone, after a short name, after a name longer than this one.
                for (const std::string& before : {std::string(), std::string("<p>"), "<" + std::string(longest, 'w') + ">"}) {
                    const std::string page = before + tag + (before.empty() ? "\n" + std::string(40, '.') : "");
                    LoadedDocument d(page);
                    TagScanner scanner(d.document, *html5, TagsOnly);
                    const ScannedTag* t = nullptr;
                    while (!t && scanner.next()) {
                        if (scanner.tag().start == d.document.text + before.size()) t = &scanner.tag();
                    }
                    ASSERT_NE(t, nullptr) << page;
                    const std::string expected = ((closing ? "/" : "") + name).substr(0, longest);
                    EXPECT_EQ(std::string(t->name), expected) << page;
                    EXPECT_EQ(t->nameLength, expected.size()) << page;
                    for (size_t i = expected.size(); i < 16; ++i) EXPECT_EQ(t->name[i], '\0') << page << " byte " << i;
                    EXPECT_EQ(t->row, html5->find(expected.c_str())) << page;
                }
            }
        }
    }
}

// The same in the 1990s readings, whose names are read from the page or from the buffer a
// tag is collected into (a line break in it, or the listing's reading): names of up to 16
// bytes, after a longer tag collected into that buffer, whose bytes must not show through
// where a name's load passes its tag.
TEST(TagScanner, The1990sReadingsKeepEachNameWithZerosAfterIt) {
    const TagProfile& profile = TagProfile::html32();
    const std::string names[] = {"B", "ABCDEFGHIJKLMN", "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNOP"};
    const std::string before = "<" + std::string(30, 'W') + " X=1\n>";
    for (const TagReading reading : {Html32Check, ListingReading, CensusReading}) {
        for (const std::string& name : names) {
            for (const bool closing : {false, true}) {
                for (const char* after : {">", "\n>", " X=1\n>", "\r\n>", ""}) {
                    const std::string page = before + (closing ? "</" : "<") + name + after;
                    LoadedDocument d(page);
                    TagScanner scanner(d.document, profile, reading);
                    ASSERT_TRUE(scanner.next() && scanner.next()) << page;
                    const std::string expected = (closing ? "/" : "") + name;
                    EXPECT_EQ(std::string(scanner.tag().name), expected) << page;
                    EXPECT_EQ(scanner.tag().nameLength, expected.size()) << page;
                    for (size_t i = expected.size(); i < 16; ++i)
                        EXPECT_EQ(scanner.tag().name[i], '\0') << page << " byte " << i;
                }
            }
        }
    }
}

// The rows the reader gives by its cache of recent names are the profile's own: every name
// of the profile as written, in capitals and mixed, close tags too, names alike in their
// first 8 or 16 bytes, one of exactly 16 bytes and longer ones, more names than the cache
// has room for, each met again after others pushed it out.
TEST(TagScanner, GivesEachNameTheProfilesRow) {
    for (const char* profileName : {"html4", "html5"}) {
        SCOPED_TRACE(profileName);
        const std::unique_ptr<TagProfile> profile = TagProfile::make(profileName);
        std::vector<std::string> names;
        for (int r = 0; r < profile->rowCount(); ++r) {
            std::string name = profile->row(r).name;
            if (name.empty() || !isAsciiLetter(name[0])) continue;
            names.push_back(name);
            std::string upper = name, mixed = name;
            for (size_t i = 0; i < name.size(); ++i) {
                upper[i] = static_cast<char>(toupper(static_cast<unsigned char>(name[i])));
                if (i % 2) mixed[i] = upper[i];
            }
            names.push_back(upper);
            names.push_back(mixed);
        }
        // Unknown names as long as a known one and like it in their first 8 bytes.
        for (const char* made : {"blockquotx", "figcaptioq", "abcdefgh", "abcdefghx", "abcdefghijklmnop",
                                 "abcdefghijklmnopq", "abcdefghijklmnopqrstu"})
            names.push_back(made);
        for (int i = 0; i < 300; ++i) names.push_back("made" + std::to_string(i));
        // Hundreds alike in their first 8 bytes and their length, one of them known: some
        // share its place in the cache.
        for (const std::string known : {"blockquote", "figcaption"}) {
            for (char a = 'a'; a <= 'z'; ++a) {
                for (char b = 'a'; b <= 'z'; ++b) names.push_back(known.substr(0, 8) + a + b);
            }
        }
        std::string page;
        for (int round = 0; round < 2; ++round) {
            for (const std::string& name : names) page += "<" + name + "></" + name + ">\n";
        }
        LoadedDocument d(page);
        TagScanner scanner(d.document, *profile, TagsOnly);
        size_t tags = 0;
        while (scanner.next()) {
            const ScannedTag& t = scanner.tag();
            ASSERT_EQ(t.row, profile->find(t.name)) << t.name;
            ++tags;
        }
        EXPECT_EQ(tags, 4 * names.size());
    }
}
