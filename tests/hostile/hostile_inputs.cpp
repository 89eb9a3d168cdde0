#include "hostile_inputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

std::string repeated(const std::string& piece, size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

std::string inventedNames() {
    std::string text;
    char line[40];
    for (int i = 0; i < 10000; ++i) {
        snprintf(line, sizeof line, "<x%04d>text<X%04d>\n", i, i);
        text += line;
    }
    return text;
}

std::string longLines() {
    return std::string(2 << 20, 'x') + "<B>" + std::string(3 << 19, 'y') + "</B>\n" + "<FOO>" +
           std::string(1 << 20, 'z') + "\n<TD>";
}

std::string growingTags() {
    std::string text;
    for (size_t k = 400; k < 2400; ++k) text += "<BR " + std::string(k, 'x') + ">\n";
    return text;
}

// Bytes 1 to 255, each inside a tag name of its own.
std::string everyByteInNames() {
    std::string text;
    for (int b = 1; b < 256; ++b) text += nameWithByte(static_cast<unsigned char>(b));
    return text;
}

// The eight bytes a PNG file starts with, then a megabyte of bytes that hold tags.
std::string binaryPng() {
    std::string text = "\x89PNG\r\n\x1a\n";
    text += std::string("\0\0\0\rIHDR", 8);
    uint32_t state = 12345;
    for (size_t i = 0; i < (1u << 20); ++i) {
        state = state * 1103515245u + 12345u;
        text += static_cast<char>(state >> 24);
    }
    return text + "<HTML><FOO>";
}

}  // namespace

const std::vector<HostileInput>& hostileInputs() {
    static const std::vector<HostileInput> inputs = {
        {"empty", [] { return std::string(); }},
        {"lone_less_than", [] { return std::string("<"); }},
        {"less_than_100000", [] { return std::string(100000, '<'); }},
        {"nul_before_tags", [] { return std::string("\0<B>x</B>\n<FOO>\n", 16); }},
        {"nul_inside_tag", [] { return std::string("<P>one<TD\0 bogus>two</TD>\n<FOO>\n", 33); }},
        {"nul_between_tags", [] { return std::string("<B>\0<FOO>\n<I>", 13); }},
        {"binary_png", binaryPng},
        {"single_tag_10mb", [] { return longAnchor(10 << 20) + "x</A>\n"; }},
        {"unknown_attributes_100000", [] { return "<FONT" + repeated(" colour=1", 100000) + ">\n"; }},
        {"comment_unclosed", [] { return std::string("<P>\n<!-- note <B> > still a comment\n<TD>\n"); }},
        {"script_unclosed", [] { return std::string("<B>x</B>\n<SCRIPT>\nif (a<b) { <TD> }\n<FOO>\n"); }},
        {"pre_unclosed", [] { return std::string("<PRE width=80>\n<TD> <FOO>\n"); }},
        {"invented_names_10000", inventedNames},
        {"long_lines", longLines},
        {"tags_on_one_line_400000", [] { return repeated("<B></B>", 200000) + "\n<BR>"; }},
        {"growing_tags", growingTags},
        {"open_tables_1000000", [] { return repeated("<TABLE>", 1000000); }},
        {"truncated_in_text", [] { return std::string("<HTML><BODY><TABLE border=1><TR><TD>Plot</TD><TD>Fe"); }},
        {"truncated_in_tag", [] { return std::string("<HTML><BODY><TABLE"); }},
        {"carriage_returns_only", [] { return std::string("<B>\r<FOO>\r\r<TD>\r</B>\r<A\rhref=x>\r"); }},
        {"carriage_return_line_feeds", [] { return std::string("<B>\r\n<FOO>\r\n\r\n<TD\r\n>\r\n"); }},
        {"every_byte_in_names", everyByteInNames},
    };
    return inputs;
}

const HostileInput* findHostileInput(const std::string& name) {
    for (const HostileInput& input : hostileInputs()) {
        if (input.name == name) return &input;
    }
    return nullptr;
}

std::string nameWithByte(unsigned char byte) { return "<Q" + std::string(1, static_cast<char>(byte)) + "Z>\n"; }

std::string attributeWithByte(unsigned char byte) {
    return "<FONT s" + std::string(1, static_cast<char>(byte)) + "ze=1>\n";
}

std::string longAnchor(size_t length) {
    const std::string head = "<A href=\"";
    const std::string tail = "\">";
    return head + std::string(length - head.size() - tail.size(), 'h') + tail;
}

std::string generatedPage(size_t bytes) {
    const std::string block =
        "<!-- section -->\n"
        "<H2>Plot fees</H2>\n"
        "<P align=\"left\">Read the <A href=\"plots.htm\">plot list</A> or the <a href=\"rules.htm\">rules</a>.</P>\n"
        "<TABLE border=\"1\" cellpadding=\"4\" width=\"60%\">\n"
        "<TR><TH>Plot</TH><TH>Size</TH><TH align=\"right\">Fee</TH></TR>\n"
        "<TR><TD>Full</TD><TD>250 m&sup2;</TD><TD align=\"right\">&pound;42</TD></TR>\n"
        "</TABLE>\n"
        "<UL><LI><B>Saturday:</B> work party<LI><I>Sunday:</I> seed swap</UL>\n"
        "<FONT size=\"2\" face=\"Arial\">small print</FONT><BR>\n"
        "<SCRIPT>if (a < b) document.write(\"<td>\");</SCRIPT>\n"
        "<PRE>\n  <keep> as is\n</PRE>\n";
    std::string page = "<HTML><HEAD><TITLE>Generated</TITLE></HEAD><BODY>\n";
    page.reserve(bytes + block.size());
    while (page.size() + block.size() < bytes) page += block;
    return page + "</BODY></HTML>\n";
}

bool makeSparseZeros(const std::string& path, uint64_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool made = ftruncate(fd, static_cast<off_t>(size)) == 0;
    close(fd);
    if (!made) unlink(path.c_str());
    return made;
}
