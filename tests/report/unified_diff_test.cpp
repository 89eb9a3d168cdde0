#include "unified_diff.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(GitQuotedPath, QuotesAsGitDoes) {
    const struct {
        std::string path;
        std::string quoted;
    } cases[] = {
        {"a/page.html", "a/page.html"},
        {"a/my page.html", "\"a/my page.html\""},
        {"a/say \"hi\".html", "\"a/say \\\"hi\\\".html\""},
        {"a/back\\slash.html", "\"a/back\\\\slash.html\""},
        {"a/tab\there.html", "\"a/tab\\there.html\""},
        {"a/caf\xc3\xa9.html", "\"a/caf\\303\\251.html\""},
        {"a/del\x7f.html", "\"a/del\\177.html\""},
        {"a/bell\x01.html", "\"a/bell\\001.html\""},
    };
    for (const auto& c : cases) EXPECT_EQ(gitQuotedPath(c.path), c.quoted) << c.path;
}

TEST(UnifiedDiff, WritesHunksWithThreeLinesOfContext) {
    const struct {
        const char* what;
        std::string before;
        std::string after;
        std::string diff;  // after the two header lines
    } cases[] = {
        {"one line in the middle", "1\n2\n3\n4\n5\n6\n7\n8\n9\n", "1\n2\n3\n4\nV\n6\n7\n8\n9\n",
         "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+V\n 6\n 7\n 8\n"},
        {"first line", "a\nb\nc\nd\ne\n", "A\nb\nc\nd\ne\n", "@@ -1,4 +1,4 @@\n-a\n+A\n b\n c\n d\n"},
        {"changes six lines apart share a hunk", "1\n2\n3\n4\n5\n6\n7\n8\n", "X\n2\n3\n4\n5\n6\n7\nY\n",
         "@@ -1,8 +1,8 @@\n-1\n+X\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+Y\n"},
        {"changes seven lines apart make two", "1\n2\n3\n4\n5\n6\n7\n8\n9\n", "X\n2\n3\n4\n5\n6\n7\n8\nY\n",
         "@@ -1,4 +1,4 @@\n-1\n+X\n 2\n 3\n 4\n@@ -6,4 +6,4 @@\n 6\n 7\n 8\n-9\n+Y\n"},
        {"no line feed at the end", "a\nb", "a\nB", "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+B\n"
                                                     "\\ No newline at end of file\n"},
        {"one long line", std::string(5000, 'x') + "</b>", std::string(5000, 'x'),
         "@@ -1 +1 @@\n-" + std::string(5000, 'x') + "</b>\n\\ No newline at end of file\n+" + std::string(5000, 'x') +
             "\n\\ No newline at end of file\n"},
        {"carriage returns and other bytes kept", "a\r\n\xff</i>\r\n", "a\r\n\xff\r\n",
         "@@ -1,2 +1,2 @@\n a\r\n-\xff</i>\r\n+\xff\r\n"},
        {"a line more", "a\nb\nc\n", "a\nb\nx\nc\n", "@@ -1,3 +1,4 @@\n a\n b\n+x\n c\n"},
        {"a line less at the start", "a\nb\n", "b\n", "@@ -1,2 +1 @@\n-a\n b\n"},
        {"all lines gone", "a\n", "", "@@ -1 +0,0 @@\n-a\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(unifiedDiff("p.html", c.before, c.after), "--- a/p.html\n+++ b/p.html\n" + c.diff);
    }
    EXPECT_EQ(unifiedDiff("p.html", "same\n", "same\n"), "");
    EXPECT_EQ(unifiedDiff("my page.html", "a", "b").substr(0, 42), "--- \"a/my page.html\"\n+++ \"b/my page.html\"\n");
}

}  // namespace
