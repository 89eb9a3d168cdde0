#include "file_reader.h"

#include <gtest/gtest.h>

#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "document_check.h"
#include "test_documents.h"

namespace {

// One buffer read file after file, larger and smaller, copied and mapped, with sizes on
// and beside a page's end: each text is whole and followed by two zero bytes, with
// nothing of a larger file before it showing through. A mapping's pages are still being
// read ahead when the next file comes after a large one.
TEST(TextBuffer, HoldsEachFileWholeWithTwoZeroBytesAfterIt) {
    const size_t mapped = TextBuffer::LargestCopied;
    const std::string texts[] = {
        std::string(100000, 'x'), "<a", "", std::string(3 << 20, '>') + "<td", "<b><b", std::string(70000, '\n'),
        std::string(24 << 20, 'l'), std::string(16 << 20, 'L'),
        std::string(mapped - 1, 'c'), std::string(mapped, 'm'), std::string(mapped + 4094, 'n'),
        std::string(mapped + 4095, 'o'), std::string(mapped + 4096, 'p'), "<i>",
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

#ifndef _WIN32
// A mapped file cut short while it is held reads as zeros past the cut instead of
// faulting, and the buffer tells it; the next file read is whole again.
TEST(TextBuffer, AMappedFileCutShortReadsAsZerosAndIsNotIntact) {
    const size_t size = TextBuffer::LargestCopied * 2;
    TempFile file(std::string(size, 'a'));
    TempFile next(std::string(size, 'b'));
    TextBuffer buffer;
    ASSERT_TRUE(buffer.readFile(file.path()));
    EXPECT_TRUE(buffer.intact());
    ASSERT_EQ(truncate(file.path(), static_cast<off_t>(size / 2)), 0);
    size_t letters = 0;
    for (size_t i = 0; i < size; ++i) letters += buffer.bytes()[i] == 'a';
    EXPECT_FALSE(buffer.intact());
    EXPECT_GE(letters, size / 2 - 4096);  // the cut page on may be lost
    EXPECT_LT(letters, size);
    ASSERT_TRUE(buffer.readFile(next.path()));
    EXPECT_TRUE(buffer.intact());
    EXPECT_EQ(std::string(buffer.bytes(), size), std::string(size, 'b'));
}
#endif

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
