#include "character_check.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "page_encoding.h"
#include "test_documents.h"

namespace {

// A problem as the tests expect it: its kind's id, line, column and name.
struct Found {
    std::string kind;
    int32_t line;
    int32_t column;
    std::string name;
    bool operator==(const Found& o) const {
        return kind == o.kind && line == o.line && column == o.column && name == o.name;
    }
};

std::ostream& operator<<(std::ostream& out, const Found& f) {
    return out << f.kind << " " << f.line << ":" << f.column << " " << f.name;
}

// The character problems of a check of `bytes`; the tag problems are not these tests'.
std::vector<Found> characterProblems(const std::string& bytes, const TagProfile& profile) {
    struct Sink : ProblemSink {
        void report(const Problem& p) override {
            switch (p.kind) {
                case ProblemKind::UnknownReference:
                case ProblemKind::ReferenceWithoutSemicolon:
                case ProblemKind::BadNumericReference:
                case ProblemKind::ControlCharacter:
                case ProblemKind::InvalidBytes:
                case ProblemKind::Utf16Page:
                    found.push_back({problemKindId(p.kind), p.line, p.column, p.name});
                    break;
                default:
                    break;
            }
        }
        std::vector<Found> found;
    } sink;
    LoadedDocument d(bytes);
    EXPECT_TRUE(d.loaded);
    checkDocument(d.document, sink, profile);
    return sink.found;
}

struct CharacterPage {
    const char* what;
    std::string page;
    std::vector<Found> found;
};

const std::string Html5 = "<!DOCTYPE html>\n";  // line 1: the pages' text starts on line 2

TEST(CharacterCheck, FindsTheFaultsOfCurrentPages) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const CharacterPage cases[] = {
        {"known references, with and without ;", Html5 + "&amp; &lt;&gt;&quot;&nbsp;&copy;&NotNestedGreaterGreater;", {}},
        {"ampersands that start no reference", Html5 + "a & b, a &= b, a&&b, &; &<b>x</b>", {}},
        {"an unknown name with ;", Html5 + "Tom &jerry; and", {{"unknown-reference", 2, 5, "&jerry;"}}},
        {"an unknown name without ; is text", Html5 + "?a=1&jerry=2", {}},
        {"names are case-sensitive", Html5 + "&Amp;", {{"unknown-reference", 2, 1, "&Amp;"}}},
        {"a legacy name without ; in text", Html5 + "(c) &copy 2024", {{"reference-without-semicolon", 2, 5, "&copy"}}},
        {"the longest legacy name is taken", Html5 + "&notit;", {{"reference-without-semicolon", 2, 1, "&not"}}},
        {"a legacy name before more letters", Html5 + "&ampx", {{"reference-without-semicolon", 2, 1, "&amp"}}},
        {"a name only with ; is not legacy", Html5 + "&hellip and", {}},
        {"in a value, = or a letter after a legacy name: no reference",
         Html5 + "<a href=\"?a=1&copy=2&ampx=3&lt\">x</a>", {{"reference-without-semicolon", 2, 28, "&lt"}}},
        {"an unquoted value", Html5 + "<a href=?x&bogus;>x</a>", {{"unknown-reference", 2, 11, "&bogus;"}}},
        {"numeric references that are fine", Html5 + "&#65;&#x41;&#X1F600;&#9;&#10;&#12;&#160;", {}},
        {"a numeric reference without digits", Html5 + "&#; &#x;", {{"bad-numeric-reference", 2, 1, "&#"},
                                                                   {"bad-numeric-reference", 2, 5, "&#x"}}},
        {"a numeric reference without ;", Html5 + "x&#65 y", {{"bad-numeric-reference", 2, 2, "&#65"}}},
        {"numeric references to what a page can't hold",
         Html5 + "&#0; &#xD800; &#x110000; &#xFFFE; &#150; &#13; &#1; &#127;",
         {{"bad-numeric-reference", 2, 1, "&#0;"}, {"bad-numeric-reference", 2, 6, "&#xD800;"},
          {"bad-numeric-reference", 2, 15, "&#x110000;"}, {"bad-numeric-reference", 2, 26, "&#xFFFE;"},
          {"bad-numeric-reference", 2, 35, "&#150;"}, {"bad-numeric-reference", 2, 42, "&#13;"},
          {"bad-numeric-reference", 2, 48, "&#1;"}, {"bad-numeric-reference", 2, 53, "&#127;"}}},
        {"a huge number stays beyond", Html5 + "&#99999999999999999999;", {{"bad-numeric-reference", 2, 1, "&#99999999999999999999;"}}},
        {"a long unknown name is cut", Html5 + "&" + std::string(50, 'a') + ";",
         {{"unknown-reference", 2, 1, "&" + std::string(39, 'a') + "..."}}},
        {"no references in scripts, styles, comments or svg",
         Html5 + "<script>a &foo; b</script><style>&foo;</style><!-- &foo; --><svg><text>&foo;</text></svg>", {}},
        {"references in a title and a textarea",
         Html5 + "<title>&foo;</title>\n<textarea>&bar;</textarea>",
         {{"unknown-reference", 2, 8, "&foo;"}, {"unknown-reference", 3, 11, "&bar;"}}},
        {"text after an svg drawing is checked again", Html5 + "<svg/>&foo;<svg></svg>&bar;",
         {{"unknown-reference", 2, 7, "&foo;"}, {"unknown-reference", 2, 23, "&bar;"}}},
        {"control characters, the first of each line",
         Html5 + "a\x01 b\x02\nc\x7f\td\x0b", {{"control-character", 2, 2, "U+0001"}, {"control-character", 3, 2, "U+007F"}}},
        {"white space is no control", Html5 + "a\tb\r\nc\fd", {}},
        {"a NUL in text", Html5 + std::string("a\0b", 3), {{"control-character", 2, 2, "U+0000"}}},
        {"a control character in a value", Html5 + "<img alt=\"a\x1b\">", {{"control-character", 2, 12, "U+001B"}}},
        {"C1 controls and noncharacters written in UTF-8",
         Html5 + "\xc2\x85\n\xef\xbf\xbe\n\xef\xb7\x90\n\xc2\xa0\xe2\x82\xac",
         {{"control-character", 2, 1, "U+0085"}, {"control-character", 3, 1, "U+FFFE"},
          {"control-character", 4, 1, "U+FDD0"}}},
        {"bytes not valid UTF-8: one report for the page", Html5 + "caf\xe9\n\xc0\xaf x \xed\xa0\x80",
         {{"invalid-bytes", 2, 4, "0xE9"}}},
        {"a sequence cut by a tag", Html5 + "\xe2\x82<b>x</b>", {{"invalid-bytes", 2, 1, "0xE2"}}},
        {"valid UTF-8 of every length", Html5 + "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80 &foo;",
         {{"unknown-reference", 2, 5, "&foo;"}}},
        {"a Latin-1 page says so", "<meta charset=iso-8859-1>caf\xe9 \x85", {}},
        {"its undefined bytes are controls", "<meta charset=windows-1252>a\x81", {{"control-character", 1, 29, "U+0081"}}},
        {"an encoding the check can't read: high bytes pass, references don't",
         "<meta http-equiv=Content-Type content='text/html; charset=Shift_JIS'>\x82\xa0\x81 &foo;",
         {{"unknown-reference", 1, 74, "&foo;"}}},
        {"iso-2022-jp: nothing is checked", "<meta charset=iso-2022-jp>\x1b$B&foo;", {}},
        {"a byte order mark is no character, nor a column", "\xef\xbb\xbf<p>&foo;", {{"unknown-reference", 1, 4, "&foo;"}}},
        {"UTF-16 with its byte order mark", std::string("\xff\xfe<\0p\0>\0&\0", 10), {{"utf16-page", 1, 1, "UTF-16"}}},
        {"UTF-16 without one", std::string("<\0p\0>\0", 6), {{"utf16-page", 1, 1, "UTF-16"}}},
        {"a meta naming UTF-16 over ASCII bytes is UTF-8", "<meta charset=utf-16>\xe9", {{"invalid-bytes", 1, 22, "0xE9"}}},
        {"problems in order with the tags'", Html5 + "<p>&foo;<bogus>&#1;",
         {{"unknown-reference", 2, 4, "&foo;"}, {"bad-numeric-reference", 2, 16, "&#1;"}}},
        {"a directive leaves one out", Html5 + "<!-- tagvetter-disable-next-line unknown-reference -->\n&foo;\n&bar;",
         {{"unknown-reference", 4, 1, "&bar;"}}},
        {"a value after a lost quote is not looked at", Html5 + "<a title=\"&foo;>x</a>", {}},
    };
    for (const CharacterPage& c : cases) EXPECT_EQ(characterProblems(c.page, *html5), c.found) << c.what;
}

TEST(CharacterCheck, HoldsHtml4PagesToWhatSgmlAndBrowsersAgreeOn) {
    const std::unique_ptr<TagProfile> html4 = TagProfile::make("html4");
    ASSERT_TRUE(html4);
    const CharacterPage cases[] = {
        {"HTML 4's names, XHTML's apos", "&amp; &eacute; &hellip; &apos; &AElig;", {}},
        {"a current name HTML 4 lacks", "&check; &NotNestedGreaterGreater;",
         {{"unknown-reference", 1, 1, "&check;"}, {"unknown-reference", 1, 9, "&NotNestedGreaterGreater;"}}},
        {"no longest match: the name as read", "&notit;", {{"unknown-reference", 1, 1, "&notit;"}}},
        {"SGML ends a name at a space: no ; needed", "&copy 2024 &nbsp x &amp=1", {}},
        {"a legacy name run into digits", "&copy2024", {{"reference-without-semicolon", 1, 1, "&copy"}}},
        {"query strings in values are left alone", "<a href=\"?a=1&b=2&copy=3\">x</a>", {}},
        {"numbers: SGML takes 13 and noncharacters", "&#13; &#12; &#xFFFE; &#65 x", {}},
        {"numbers: C1 and other controls, surrogates, beyond, null",
         "&#150; &#1; &#xD800; &#x110000; &#0;",
         {{"bad-numeric-reference", 1, 1, "&#150;"}, {"bad-numeric-reference", 1, 8, "&#1;"},
          {"bad-numeric-reference", 1, 13, "&#xD800;"}, {"bad-numeric-reference", 1, 22, "&#x110000;"},
          {"bad-numeric-reference", 1, 33, "&#0;"}}},
        {"a number run into letters", "&#65x", {{"bad-numeric-reference", 1, 1, "&#65"}}},
        {"windows-1252 by default: every high byte passes, UTF-8 too", "caf\xe9 \x93quoted\x94 \x80 \xe2\x80\x8f \x9d", {}},
        {"declared, its printable high bytes pass", "<meta charset=windows-1252>caf\xe9 \x93quoted\x94 \x80", {}},
        {"but not its undefined ones", "<meta charset=windows-1252>a\x9d", {{"control-character", 1, 29, "U+009D"}}},
        {"a UTF-8 page by its meta", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\xe9",
         {{"invalid-bytes", 1, 68, "0xE9"}}},
        {"an XML declaration's encoding", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n\xe9", {{"invalid-bytes", 2, 1, "0xE9"}}},
    };
    for (const CharacterPage& c : cases) EXPECT_EQ(characterProblems(c.page, *html4), c.found) << c.what;
}

// The text is looked through in blocks: a fault at every place around a block's edge,
// after text with line breaks and high bytes the encoding takes as they are, is found
// once and placed exactly.
TEST(CharacterCheck, FindsEachFaultWhereverABlockCutsTheText) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5"), html4 = TagProfile::make("html4");
    ASSERT_TRUE(html5 && html4);
    const struct {
        const TagProfile& profile;
        std::string before;  // on the fault's line, then the fault and its finding
        std::string fault;
        Found found;
    } cases[] = {
        {*html5, "caf\xc3\xa9 ", "&bogus;", {"unknown-reference", 0, 0, "&bogus;"}},
        {*html5, "\t", "\x01", {"control-character", 0, 0, "U+0001"}},
        {*html5, "\xe2\x80\x94", "\xff", {"invalid-bytes", 0, 0, "0xFF"}},
        {*html4, "caf\xe9 \x93", "\x9d", {"control-character", 0, 0, "U+009D"}},
        {*html4, "", "\x7f", {"control-character", 0, 0, "U+007F"}},
    };
    for (const auto& c : cases) {
        for (size_t lead = 0; lead < 40; ++lead) {
            std::string page = "<p>";
            int line = 1;
            for (size_t i = 0; i < lead; ++i) {
                page += i % 9 == 8 ? '\n' : 'x';
                line += i % 9 == 8;
            }
            const size_t lineStart = page.rfind('\n');
            // Columns count characters: the text before the fault on its line.
            const std::string onLine = page.substr(lineStart == std::string::npos ? 0 : lineStart + 1) + c.before;
            int column = 1;
            for (char b : onLine) column += (static_cast<unsigned char>(b) & 0xC0) != 0x80 || &c.profile != html5.get();
            page += c.before + c.fault + " and more text after it, enough for a block or two\n";
            Found expected = c.found;
            expected.line = line;
            expected.column = column;
            // A line of its own that names the encoding: windows-1252 leaves five bytes undefined.
            const std::string prefix = &c.profile == html5.get() ? "<!DOCTYPE html>\n" : "<meta charset=windows-1252>\n";
            ++expected.line;
            EXPECT_EQ(characterProblems(prefix + page, c.profile), std::vector<Found>{expected})
                << c.found.name << " after " << lead << " bytes";
        }
    }
}

TEST(CharacterCheck, LeavesHtml32AsItWas) {
    LoadedDocument d("&foo; &#0; \x01 \xe9");
    MemoryResultList list;
    checkLines(d.document, list, TagProfile::html32());
    EXPECT_EQ(list.lines, Lines{"No errors found"});
}

TEST(CharacterCheck, WritesEachKindsMessage) {
    const std::unique_ptr<TagProfile> html5 = TagProfile::make("html5");
    ASSERT_TRUE(html5);
    const struct {
        std::string page;
        Lines lines;
    } cases[] = {
        {"&foo;", {"0001  &foo; - Unknown character reference"}},
        {"&copy 1", {"0001  &copy - Character reference without its ;"}},
        {"&#;", {"0001  &# - Numeric character reference without digits"}},
        {"&#65", {"0001  &#65 - Numeric character reference without its ;"}},
        {"&#0;", {"0001  &#0; - Numeric character reference to the null character"}},
        {"&#xDFFF;", {"0001  &#xDFFF; - Numeric character reference to a surrogate, not a character"}},
        {"&#x110000;", {"0001  &#x110000; - Numeric character reference beyond U+10FFFF, the last character"}},
        {"&#xFDEF;", {"0001  &#xFDEF; - Numeric character reference to a noncharacter"}},
        {"&#128;", {"0001  &#128; - Numeric character reference to a control character"}},
        {"\x02", {"0001  U+0002 - Control character in the text"}},
        {"\xf4\x8f\xbf\xbf", {"0001  U+10FFFF - Noncharacter in the text"}},
        {"\xff", {"0001  0xFF - Byte not valid in UTF-8"}},
        {"\xff\n\xfe", {"0001  0xFF - Byte not valid in UTF-8 (2 on the page)"}},
        {std::string("\xfe\xff\0<", 4), {"0001  UTF-16 - Page encoded as UTF-16, not checked further"}},
    };
    for (const auto& c : cases) {
        LoadedDocument d(c.page);
        MemoryResultList list;
        checkLines(d.document, list, *html5);
        EXPECT_EQ(list.lines, c.lines) << c.page;
    }
}

TEST(PageEncoding, IsDecidedAsBrowsersDecideIt) {
    const struct {
        const char* what;
        std::string page;
        PageEncoding fallback;
        PageEncoding encoding;
        EncodingSource source;
    } cases[] = {
        {"nothing said", "<p>x", PageEncoding::Utf8, PageEncoding::Utf8, EncodingSource::Default},
        {"nothing said, html4", "<p>x", PageEncoding::Windows1252, PageEncoding::Windows1252, EncodingSource::Default},
        {"UTF-8 byte order mark over a meta", "\xef\xbb\xbf<meta charset=latin1>", PageEncoding::Windows1252,
         PageEncoding::Utf8, EncodingSource::ByteOrderMark},
        {"UTF-16 big-endian mark", "\xfe\xff", PageEncoding::Utf8, PageEncoding::Utf16, EncodingSource::ByteOrderMark},
        {"meta charset, any case, quoted", "<META CharSet='UTF-8'>", PageEncoding::Windows1252, PageEncoding::Utf8,
         EncodingSource::Meta},
        {"meta http-equiv", "<meta content=\"text/html;charset = 'iso-8859-1'\" http-equiv=content-type>",
         PageEncoding::Utf8, PageEncoding::Windows1252, EncodingSource::Meta},
        {"http-equiv of another kind", "<meta http-equiv=refresh content=\"0; charset=utf-8\">",
         PageEncoding::Windows1252, PageEncoding::Windows1252, EncodingSource::Default},
        {"a meta inside a comment", "<!-- <meta charset=utf-8> --><p>", PageEncoding::Windows1252,
         PageEncoding::Windows1252, EncodingSource::Default},
        {"a quoted > doesn't end a tag early", "<p title='a > <meta charset=utf-8>'><meta charset=koi8-r>",
         PageEncoding::Utf8, PageEncoding::OtherAscii, EncodingSource::Meta},
        {"the first meta that names one", "<meta name=x><meta charset=ascii><meta charset=utf-8>",
         PageEncoding::Utf8, PageEncoding::Windows1252, EncodingSource::Meta},
        {"past the first 1024 bytes", std::string(1024, ' ') + "<meta charset=utf-8>", PageEncoding::Windows1252,
         PageEncoding::Windows1252, EncodingSource::Default},
        {"unreadable ones", "<meta charset=ISO-2022-JP>", PageEncoding::Utf8, PageEncoding::Unreadable,
         EncodingSource::Meta},
        {"utf-16 named, NULs present", std::string("<meta charset=utf-16>\0", 22), PageEncoding::Utf8,
         PageEncoding::Utf16, EncodingSource::Meta},
        {"an XML declaration", "<?xml version='1.0' encoding='UTF-8'?>", PageEncoding::Windows1252,
         PageEncoding::Utf8, EncodingSource::XmlDeclaration},
    };
    for (const auto& c : cases) {
        const EncodingDecision d = decidePageEncoding(c.page.data(), c.page.size(), c.fallback);
        EXPECT_EQ(static_cast<int>(d.encoding), static_cast<int>(c.encoding)) << c.what;
        EXPECT_EQ(static_cast<int>(d.source), static_cast<int>(c.source)) << c.what;
    }
}

TEST(CharacterReferences, AreLookedUpByTheirExactBytes) {
    const struct {
        const char* name;
        uint8_t flags;
    } cases[] = {
        {"amp", ReferenceCurrent | ReferenceLegacy | ReferenceHtml4},
        {"AMP", ReferenceCurrent | ReferenceLegacy},
        {"hellip", ReferenceCurrent | ReferenceHtml4},
        {"apos", ReferenceCurrent | ReferenceHtml4},
        {"check", ReferenceCurrent},
        {"AElig", ReferenceCurrent | ReferenceLegacy | ReferenceHtml4},
        {"zwnj", ReferenceCurrent | ReferenceHtml4},
        {"CounterClockwiseContourIntegral", ReferenceCurrent},
        {"am", 0},
        {"ampx", 0},
        {"Amp", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(referenceNameFlags(c.name, strlen(c.name)), c.flags) << c.name;
}

}  // namespace
