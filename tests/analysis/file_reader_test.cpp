#include "file_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "document_check.h"
#include "test_documents.h"

namespace {

// One buffer read file after file, larger and smaller, across the huge-page size: each
// text is whole and followed by two zero bytes, with nothing of a larger file before it
// showing through.
TEST(TextBuffer, HoldsEachFileWholeWithTwoZeroBytesAfterIt) {
    const std::string texts[] = {
        std::string(100000, 'x'), "<a", "", std::string(3 << 20, '>') + "<td", "<b><b", std::string(70000, '\n'),
    };
    TextBuffer buffer;
    for (const std::string& text : texts) {
        TempFile file(text);
        ASSERT_TRUE(buffer.readFile(file.path())) << text.size();
        ASSERT_EQ(buffer.size(), text.size());
        EXPECT_EQ(std::string(buffer.bytes(), text.size()), text);
        EXPECT_EQ(buffer.bytes()[text.size()], '\0') << text.size();
        EXPECT_EQ(buffer.bytes()[text.size() + 1], '\0') << text.size();
    }
    EXPECT_FALSE(buffer.readFile("/nonexistent/page.htm"));
    EXPECT_EQ(buffer.size(), 0u);
}

// A document examined in a buffer that held a longer text before sees only its own.
TEST(TextBuffer, ADocumentInAReusedBufferSeesOnlyItsOwnText) {
    TempFile longer("<P>" + std::string(5000, ' ') + "<td><sidebar>");
    TempFile shorter("<B><B>");
    TextBuffer buffer;
    Document document;
    ASSERT_TRUE(document.load(longer.path(), buffer));
    ASSERT_TRUE(document.load(shorter.path(), buffer));
    MemoryResultList list;
    checkLines(document, list, TagProfile::html32());
    EXPECT_EQ(list.lines, Lines{"0001  B - Open tag before previous tag was closed"});
}

}  // namespace
