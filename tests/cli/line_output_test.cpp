#include "line_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "output_text.h"
#include "test_documents.h"

namespace {

// A stream open for reading only: every write to it fails, as to a pipe whose reader is gone.
struct RefusingStream {
    RefusingStream() : page("x"), file(fopen(page.path(), "rb")) { setvbuf(file, nullptr, _IONBF, 0); }
    ~RefusingStream() { fclose(file); }
    TempFile page;
    FILE* file;
};

TEST(LineOutput, SaysWhenAWriteFailsAndWritesNothingAfter) {
    RefusingStream stream;
    LineOutput out(stream.file, true);
    EXPECT_FALSE(out.add("a whole line\n"));
    EXPECT_TRUE(out.failed());
    EXPECT_FALSE(out.add("more\n"));
}

TEST(LineOutput, GathersWholeLinesUntilFlushed) {
    FILE* file = tmpfile();
    {
        LineOutput out(file, false);
        EXPECT_TRUE(out.add("one\ntw"));
        EXPECT_EQ(ftell(file), 0);  // gathered, not yet written
        EXPECT_TRUE(out.add("o\n"));
        out.flush();
        EXPECT_FALSE(out.failed());
    }
    EXPECT_EQ(ftell(file), 8);
    fclose(file);
}

TEST(OutputText, PassesOnTheFailureOfTheStreamItSpillsInto) {
    RefusingStream stream;
    LineOutput out(stream.file, false);
    OutputText text;
    EXPECT_TRUE(text.add("kept until its turn\n"));  // no stream: held
    text.stream = &out;
    EXPECT_FALSE(text.add(std::string(1 << 16, '\n')));  // large enough to spill
    EXPECT_TRUE(out.failed());
}

}  // namespace
