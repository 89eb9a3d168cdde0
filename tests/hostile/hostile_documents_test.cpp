// Every hostile document through every command of the command line, each with the exact
// lines, summary and exit status that the reading rules give, within a time bound, and
// with the file left as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "hostile_inputs.h"
#include "run_checks.h"
#include "run_cli.h"
#include "scratch_folder.h"

namespace {

// One command and what it must give.
struct Expected {
    std::vector<std::string> command;  // the file's path is added at the end
    int status;
    std::string out;
    std::string err;
};

// One hostile document and its expected results.
struct HostileCase {
    const char* input;
    std::function<std::vector<Expected>()> expected;
    double seconds = 30;  // bound of each command, with the sanitizers and another test running
};

std::string lines(const std::vector<std::string>& each) {
    std::string text;
    for (const std::string& line : each) text += line + '\n';
    return text;
}

std::string repeatedLines(const std::string& line, size_t times) {
    std::string text;
    text.reserve((line.size() + 1) * times);
    for (size_t i = 0; i < times; ++i) text += line + '\n';
    return text;
}

std::string census(int distinct) { return std::to_string(distinct) + " different tags\n"; }
std::string longest(long long length) { return "Longest: " + std::to_string(length) + "\n"; }

const std::string NoErrors = "No errors found\n";

// The usual four commands of a document with nothing to report in common.
std::vector<Expected> allEmpty(const std::string& name) {
    return {
        {{"count"}, 0, "", census(0)},
        {{"check"}, 0, NoErrors, ""},
        {{"tags"}, 0, "", longest(0)},
        {{"tag", name}, 0, "", longest(0)},
    };
}

std::string label(int line) {
    char text[16];
    snprintf(text, sizeof text, "%04d", line);
    return text;
}

// How a tag name holding one byte value reads: what the census counts, what the check
// reports, how the listing shows the tag, and how many line feeds the byte adds.
struct ByteInName {
    std::string censusWord;
    std::string checkName;
    std::string listed;
    int lineFeeds;
};

ByteInName byteInName(unsigned char b) {
    const std::string byte(1, static_cast<char>(b));
    switch (b) {
        case '\0': return {"Q", "Q", "<Q", 0};           // ends the tag, and the census
        case '>': return {"Q", "Q", "<Q>", 0};           // ends the tag
        case ' ': return {"Q", "Q", "<Q Z>", 0};         // ends the name
        case '\n': return {"Q", "Q", "<Q Z>", 1};        // ends the word; collected as a space
        case '\r': return {"Q", "QZ", "<QZ>", 0};        // ends the word; left out of tag text
        case '\t': return {"Q\tZ", "Q", "<Q Z>", 0};     // part of the word; collected as a space
        default: {
            std::string word = "Q" + byte + "Z";
            if (b >= 'a' && b <= 'z') word[1] = static_cast<char>(b - 32);
            return {word, "Q" + byte + "Z", "<Q" + byte + "Z>", 0};
        }
    }
}

// The length the listing reports: the tag's characters without its closing ">".
int listedLength(const std::string& listed) {
    return static_cast<int>(listed.size()) - (listed.back() == '>' ? 1 : 0);
}

std::vector<Expected> byteInNameExpected(unsigned char b) {
    ByteInName read = byteInName(b);
    return {
        {{"count"}, 0, read.censusWord + "\t1\t\n", census(1)},
        {{"check"}, 1, label(1 + read.lineFeeds) + "  " + read.checkName + " - Unknown keyword\n", ""},
        {{"tags"}, 0, "0001  " + read.listed + "\n", longest(listedLength(read.listed))},
    };
}

std::vector<Expected> byteInAttributeExpected(unsigned char b) {
    const std::string byte(1, static_cast<char>(b));
    std::vector<std::string> unknown;
    std::string listed = "<FONT s" + byte + "ze=1>";
    bool oddQuote = false;
    switch (b) {
        case '\0': unknown = {"s"}; listed = "<FONT s"; break;   // the tag ends at the NUL
        case '>': unknown = {"s"}; listed = "<FONT s>"; break;    // the tag ends at the byte
        case '=': unknown = {"s"}; break;                         // the value starts at the byte
        case '"': unknown = {"s"}; oddQuote = true; break;        // a quote with no partner
        case ' ': unknown = {"s", "ze"}; break;                   // two names
        case '\t': case '\n': unknown = {"s", "ze"}; listed = "<FONT s ze=1>"; break;
        case '\r': unknown = {"sze"}; listed = "<FONT sze=1>"; break;
        case 'i': case 'I': break;                                // size, which FONT accepts
        default: unknown = {"s" + byte + "ze"};
    }
    const std::string at = label(b == '\n' ? 2 : 1);
    std::string check;
    for (const std::string& name : unknown) check += at + "  " + name + " - Unknown attribute for FONT\n";
    if (oddQuote) check += at + "  <FONT - Unbalanced quotes\n";
    check += "FONT\tUnbalanced tags (1)\n";
    return {
        {{"count"}, 0, "FONT\t1\tFont\n", census(1)},
        {{"check"}, 1, check, ""},
        {{"tags"}, 0, "0001  " + listed + "\n", longest(listedLength(listed))},
    };
}

const std::vector<HostileCase>& hostileCases() {
    static const std::vector<HostileCase> cases = {
        {"empty", [] { return allEmpty("B"); }},
        {"lone_less_than", [] {
             return std::vector<Expected>{
                 {{"count"}, 0, "\t1\t\n", census(1)},
                 {{"check"}, 1, "0001   - Unknown keyword\n", ""},
                 {{"tags"}, 0, "0001  <\n", longest(1)},
                 {{"tag", "B"}, 0, "", longest(1)},
             };
         }},
        {"less_than_100000", [] {
             // Each word and name is read up to its length limit; the one tag runs to the end.
             const std::string word(18, '<');
             const std::string all = "0001  " + std::string(100000, '<') + "\n";
             return std::vector<Expected>{
                 {{"count"}, 0, word + "\t1\t\n", census(1)},
                 {{"check"}, 1, "0001  " + std::string(19, '<') + " - Unknown keyword\n", ""},
                 {{"tags"}, 0, all, longest(100000)},
                 {{"tag", word}, 0, all, longest(100000)},
             };
         }},
        {"nul_before_tags", [] { return allEmpty("B"); }},
        {"nul_inside_tag", [] {
             // The census stops at the NUL; the check and the listing go on after it.
             return std::vector<Expected>{
                 {{"count"}, 0, "P\t1\tParagraph begin\nTD\t1\tTable cell\n", census(2)},
                 {{"check"}, 1,
                  lines({"0001  TD - This tag should be in a table", "0001  /TD - This tag should be in a table",
                         "0002  FOO - Unknown keyword"}),
                  ""},
                 {{"tags"}, 0, lines({"0001  <P>", "0001  <TD", "0001  </TD>", "0002  <FOO>"}), longest(4)},
                 {{"tag", "td"}, 0, lines({"0001  <TD", "0001  </TD>"}), longest(4)},
             };
         }},
        {"nul_between_tags", [] {
             return std::vector<Expected>{
                 {{"count"}, 0, "B\t1\tBold\n", census(1)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, "0001  <B>\n", longest(2)},
                 {{"tag", "FOO"}, 0, "", longest(2)},
             };
         }},
        {"binary_png", [] { return allEmpty("HTML"); }},
        {"single_tag_10mb", [] {
             const std::string tag = "<A href=\"" + std::string((10 << 20) - 11, 'h') + "\">";
             const std::string listing = "0001  " + tag + "\n0001  </A>\n";
             return std::vector<Expected>{
                 {{"count"}, 0, "A\t1\tAnchor (link)\n/A\t1\tAnchor end\n", census(2)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, listing, longest((10 << 20) - 1)},
                 {{"tag", "a"}, 0, listing, longest((10 << 20) - 1)},
             };
         }},
        {"unknown_attributes_100000", [] {
             std::string tag = "<FONT";
             for (int i = 0; i < 100000; ++i) tag += " colour=1";
             tag += ">";
             return std::vector<Expected>{
                 {{"count"}, 0, "FONT\t1\tFont\n", census(1)},
                 {{"check"}, 1,
                  repeatedLines("0001  colour - Unknown attribute for FONT", 100000) + "FONT\tUnbalanced tags (1)\n",
                  ""},
                 {{"tags"}, 0, "0001  " + tag + "\n", longest(900005)},
                 {{"tag", "font"}, 0, "0001  " + tag + "\n", longest(900005)},
             };
         }},
        {"comment_unclosed", [] {
             // Without "->" the comment runs to the end; its line feeds become spaces.
             const std::string comment = "<!-- note <B> > still a comment <TD> ";
             return std::vector<Expected>{
                 {{"count"}, 0, "!-\t1\tComment\nP\t1\tParagraph begin\n", census(2)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, lines({"0001  <P>", "0002  " + comment}), longest(37)},
                 {{"tag", "!-"}, 0, lines({"0002  " + comment}), longest(37)},
             };
         }},
        {"script_unclosed", [] {
             return std::vector<Expected>{
                 {{"count"}, 0, "B\t1\tBold\n/B\t1\tBold end\nSCRIPT\t1\tScript language\n", census(3)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, lines({"0001  <B>", "0001  </B>", "0002  <SCRIPT>"}), longest(7)},
                 {{"tag", "script"}, 0, "0002  <SCRIPT>\n", longest(7)},
             };
         }},
        {"pre_unclosed", [] {
             return std::vector<Expected>{
                 {{"count"}, 0, "PRE\t1\tPreformatted text (as is)\n", census(1)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, "0001  <PRE width=80>\n", longest(13)},
                 {{"tag", "TD"}, 0, "", longest(13)},
             };
         }},
        {"invented_names_10000", [] {
             std::string count, check, tags;
             char line[80];
             for (int i = 0; i < 10000; ++i) {
                 snprintf(line, sizeof line, "X%04d\t2\t\n", i);
                 count += line;
                 snprintf(line, sizeof line, "%04d  x%04d - Unknown keyword\n%04d  X%04d - Unknown keyword\n", i + 1, i,
                          i + 1, i);
                 check += line;
                 snprintf(line, sizeof line, "%04d  <x%04d>\n%04d  <X%04d>\n", i + 1, i, i + 1, i);
                 tags += line;
             }
             return std::vector<Expected>{
                 {{"count"}, 0, count, census(10000)},
                 {{"check"}, 1, check, ""},
                 {{"tags"}, 0, tags, longest(6)},
                 {{"tag", "X0042"}, 0, "0043  <x0042>\n0043  <X0042>\n", longest(6)},
             };
         }},
        {"long_lines", [] {
             return std::vector<Expected>{
                 {{"count"}, 0, "B\t1\tBold\n/B\t1\tBold end\nFOO\t1\t\nTD\t1\tTable cell\n", census(4)},
                 {{"check"}, 1, "0002  FOO - Unknown keyword\n0003  TD - This tag should be in a table\n", ""},
                 {{"tags"}, 0, lines({"0001  <B>", "0001  </B>", "0002  <FOO>", "0003  <TD>"}), longest(4)},
                 {{"tag", "b"}, 0, lines({"0001  <B>", "0001  </B>"}), longest(4)},
             };
         }},
        {"tags_on_one_line_400000", [] {
             std::string tags;
             for (int i = 0; i < 200000; ++i) tags += "0001  <B>\n0001  </B>\n";
             return std::vector<Expected>{
                 {{"count"}, 0, "B\t200000\tBold\n/B\t200000\tBold end\nBR\t1\tLine break\n", census(3)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, tags + "0002  <BR>\n", longest(3)},
                 {{"tag", "br"}, 0, "0002  <BR>\n", longest(3)},
             };
         }},
        {"growing_tags", [] {
             // Each tag is longer than the buffer has room for, so each grows it.
             std::string tags;
             for (int k = 400; k < 2400; ++k) tags += label(k - 399) + "  <BR " + std::string(k, 'x') + ">\n";
             return std::vector<Expected>{
                 {{"count"}, 0, "BR\t2000\tLine break\n", census(1)},
                 {{"check"}, 0, NoErrors, ""},
                 {{"tags"}, 0, tags, longest(4 + 2399)},
                 {{"tag", "BR"}, 0, tags, longest(4 + 2399)},
             };
         }},
        {"open_tables_1000000", [] {
             const std::string tags = repeatedLines("0001  <TABLE>", 1000000);
             return std::vector<Expected>{
                 {{"count"}, 0, "TABLE\t1000000\tTable\n", census(1)},
                 {{"check"}, 1, "TABLE\tUnbalanced tags (1000000)\n", ""},
                 {{"tags"}, 0, tags, longest(6)},
                 {{"tag", "table"}, 0, tags, longest(6)},
             };
         }},
        {"truncated_in_text", [] {
             return std::vector<Expected>{
                 {{"count"}, 0,
                  lines({"BODY\t1\tBody of the document", "HTML\t1\tBeginning of file", "TABLE\t1\tTable",
                         "TD\t2\tTable cell", "/TD\t1\tTable cell end", "TR\t1\tTable row"}),
                  census(6)},
                 {{"check"}, 1, "TABLE\tUnbalanced tags (1)\n", ""},
                 {{"tags"}, 0,
                  lines({"0001  <HTML>", "0001  <BODY>", "0001  <TABLE border=1>", "0001  <TR>", "0001  <TD>",
                         "0001  </TD>", "0001  <TD>"}),
                  longest(15)},
                 {{"tag", "td"}, 0, lines({"0001  <TD>", "0001  </TD>", "0001  <TD>"}), longest(15)},
             };
         }},
        {"truncated_in_tag", [] {
             return std::vector<Expected>{
                 {{"count"}, 0,
                  lines({"BODY\t1\tBody of the document", "HTML\t1\tBeginning of file", "TABLE\t1\tTable"}), census(3)},
                 {{"check"}, 1, "TABLE\tUnbalanced tags (1)\n", ""},
                 {{"tags"}, 0, lines({"0001  <HTML>", "0001  <BODY>", "0001  <TABLE"}), longest(6)},
                 {{"tag", "table"}, 0, "0001  <TABLE\n", longest(6)},
             };
         }},
        {"carriage_returns_only", [] {
             // A carriage return alone ends no line; inside a tag it is left out.
             return std::vector<Expected>{
                 {{"count"}, 0,
                  lines({"A\t1\tAnchor (link)", "B\t1\tBold", "/B\t1\tBold end", "FOO\t1\t", "TD\t1\tTable cell"}),
                  census(5)},
                 {{"check"}, 1,
                  lines({"0001  FOO - Unknown keyword", "0001  TD - This tag should be in a table",
                         "0001  Ahref=x - Unknown keyword"}),
                  ""},
                 {{"tags"}, 0, lines({"0001  <B>", "0001  <FOO>", "0001  <TD>", "0001  </B>", "0001  <Ahref=x>"}),
                  longest(8)},
                 {{"tag", "b"}, 0, lines({"0001  <B>", "0001  </B>"}), longest(8)},
             };
         }},
        {"carriage_return_line_feeds", [] {
             return std::vector<Expected>{
                 {{"count"}, 0, lines({"B\t1\tBold", "FOO\t1\t", "TD\t1\tTable cell"}), census(3)},
                 {{"check"}, 1, lines({"0002  FOO - Unknown keyword", "0005  TD - This tag should be in a table"}), ""},
                 {{"tags"}, 0, lines({"0001  <B>", "0002  <FOO>", "0004  <TD >"}), longest(4)},
                 {{"tag", "td"}, 0, "0004  <TD >\n", longest(4)},
             };
         }},
        {"every_byte_in_names", [] {
             // Bytes 1 to 255 one after the other; the census order is checked elsewhere, so
             // its lines are compared as a set below.
             std::string check, tags;
             int line = 1;
             size_t longestTag = 0;
             for (int b = 1; b < 256; ++b) {
                 ByteInName read = byteInName(static_cast<unsigned char>(b));
                 check += label(line + read.lineFeeds) + "  " + read.checkName + " - Unknown keyword\n";
                 tags += label(line) + "  " + read.listed + "\n";
                 longestTag = std::max(longestTag, static_cast<size_t>(listedLength(read.listed)));
                 line += 1 + read.lineFeeds;
             }
             return std::vector<Expected>{
                 {{"check"}, 1, check, ""},
                 {{"tags"}, 0, tags, longest(static_cast<long long>(longestTag))},
                 {{"tag", "QZ"}, 0, "0014  <QZ>\n", longest(static_cast<long long>(longestTag))},
             };
         }},
    };
    return cases;
}

// Runs every expected command on `path`, compares, and checks the file after each run.
// `bytes` is what the file must hold throughout; without it (a sparse file too big to read
// back) its size, blocks and time alone show that nothing wrote to it.
void expectResults(const std::string& path, const std::vector<Expected>& expected, double bound,
                   const std::string* bytes, const char* timeLabel) {
    const FileState before = fileState(path, bytes != nullptr);
    ASSERT_TRUE(before.exists) << path;
    if (bytes) {
        ASSERT_TRUE(before.bytes == *bytes) << "the file was not written whole";
    }
    for (const Expected& e : expected) {
        std::vector<std::string> arguments = e.command;
        arguments.push_back(path);
        std::string shown = e.command[0] + (e.command.size() > 1 ? " " + e.command[1] : "");
        CliRun r = runCli(arguments);
        EXPECT_EQ(r.status, e.status) << shown;
        EXPECT_EQ(firstDifference(e.out, r.out), "") << shown << " (standard output)";
        EXPECT_EQ(firstDifference(e.err, r.err), "") << shown << " (standard error)";
        EXPECT_LT(r.seconds, bound) << shown;
        EXPECT_TRUE(fileState(path, bytes != nullptr) == before) << shown << " changed the file";
        if (timeLabel) printf("[   time   ] %-28s %-14s %8.3f s\n", timeLabel, shown.substr(0, 14).c_str(), r.seconds);
    }
}

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.input; }

class HostileDocument : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileDocument, GivesItsExactResultsAndLeavesTheFileAlone) {
    const HostileCase& c = GetParam();
    const HostileInput* input = findHostileInput(c.input);
    ASSERT_NE(input, nullptr) << c.input;
    ScratchFolder folder;
    const std::string bytes = input->bytes();
    const std::string path = folder.write(std::string(c.input) + ".htm", bytes);
    ASSERT_FALSE(path.empty()) << "can't write " << c.input;
    expectResults(path, c.expected(), c.seconds, &bytes, c.input);
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileDocument, testing::ValuesIn(hostileCases()),
                         [](const testing::TestParamInfo<HostileCase>& test) { return std::string(test.param.input); });

TEST(HostileDocuments, EveryInputHasExpectedResults) {
    std::set<std::string> covered;
    for (const HostileCase& c : hostileCases()) covered.insert(c.input);
    for (const HostileInput& input : hostileInputs()) EXPECT_EQ(covered.count(input.name), 1u) << input.name;
    EXPECT_EQ(covered.size(), hostileInputs().size());
}

// The census of bytes 1 to 255 in tag names: the letters a-z merge with their capitals,
// and ">", a space, a line feed and a carriage return all end the word after "Q".
TEST(HostileDocuments, CensusOfEveryByteCountsTheTrueDistinctWords) {
    ScratchFolder folder;
    const std::string bytes = findHostileInput("every_byte_in_names")->bytes();
    const std::string path = folder.write("every_byte_in_names.htm", bytes);
    ASSERT_FALSE(path.empty());
    std::map<std::string, int> expected;
    for (int b = 1; b < 256; ++b) ++expected[byteInName(static_cast<unsigned char>(b)).censusWord];
    ASSERT_EQ(expected.size(), 226u);
    EXPECT_EQ(expected["Q"], 4);
    EXPECT_EQ(expected["QAZ"], 2);

    CliRun r = runCli({"count", path});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, census(226));
    std::map<std::string, int> counted;
    size_t from = 0;
    for (size_t end; (end = r.out.find('\n', from)) != std::string::npos; from = end + 1) {
        std::string line = r.out.substr(from, end - from);
        // The name may hold a tab; the count and the (empty) description can't.
        ASSERT_GE(line.size(), 3u) << line;
        ASSERT_EQ(line.back(), '\t') << line;
        size_t tab = line.rfind('\t', line.size() - 2);
        ASSERT_NE(tab, std::string::npos) << line;
        EXPECT_TRUE(counted.emplace(line.substr(0, tab), std::stoi(line.substr(tab + 1))).second) << line;
    }
    EXPECT_EQ(from, r.out.size());
    EXPECT_EQ(counted, expected);
    EXPECT_TRUE(fileState(path, true).bytes == bytes);
}

// Megabytes of memory the system can still give, from /proc/meminfo; 0 when unknown.
long long availableMegabytes() {
    std::ifstream info("/proc/meminfo");
    std::string key;
    long long kilobytes;
    std::string unit;
    while (info >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:") return kilobytes / 1024;
    }
    return 0;
}

// A gigabyte of NULs: the file is read whole (the reader can't know what comes later),
// but every scan ends at the first byte, so each command takes about the time of reading.
TEST(HostileDocuments, SparseGigabyteOfNuls) {
    const uint64_t size = 1ull << 30;
    // Each command holds the text once; leave room for the sanitizers' own bookkeeping.
    const long long needed = 3 * 1024;
    const long long available = availableMegabytes();
    if (available < needed)
        GTEST_SKIP() << "a gigabyte of NULs needs about " << needed << " MB of free memory; " << available
                     << " MB are available";
    ScratchFolder folder;
    const std::string path = folder.path("nuls.htm");
    if (folder.root().empty() || !makeSparseZeros(path, size))
        GTEST_SKIP() << "the temporary folder can't hold a sparse file of 1 GB";
    expectResults(path, allEmpty("B"), 30, nullptr, "sparse_1gb_nuls");
    EXPECT_EQ(fileState(path, false).size, static_cast<off_t>(size));
}

// Each byte value alone in a tag name, and alone in an attribute name.
class ByteValue : public testing::TestWithParam<int> {};

// The document of one byte value in a file of its own, through every command.
void expectByteDocument(const std::string& bytes, const std::vector<Expected>& expected) {
    ScratchFolder folder;
    const std::string path = folder.write("byte.htm", bytes);
    ASSERT_FALSE(path.empty());
    expectResults(path, expected, 10, &bytes, nullptr);
}

TEST_P(ByteValue, InATagName) {
    const unsigned char b = static_cast<unsigned char>(GetParam());
    expectByteDocument(nameWithByte(b), byteInNameExpected(b));
}

TEST_P(ByteValue, InAnAttributeName) {
    const unsigned char b = static_cast<unsigned char>(GetParam());
    expectByteDocument(attributeWithByte(b), byteInAttributeExpected(b));
}

INSTANTIATE_TEST_SUITE_P(AllBytes, ByteValue, testing::Range(0, 256), [](const testing::TestParamInfo<int>& test) {
    char name[8];
    snprintf(name, sizeof name, "x%02X", test.param);
    return std::string(name);
});

}  // namespace
