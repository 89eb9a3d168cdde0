#include "known_tags.h"

#include <cstring>

#include "no_case.h"

namespace {

const char* const kNoAttributes[] = {""};
const char* const kTableAttributes[] = {"align", "width", "height", "bgcolor", "border", "cellspacing", "cellpadding", "valign", "bordercolordark", "bordercolorlight", ""};
const char* const kTdAttributes[] = {"nowrap", "rowspan", "colspan", "align", "valign", "width", "height", "bgcolor", ""};
const char* const kTrAttributes[] = {"align", "valign", ""};
const char* const kPreAttributes[] = {"width", ""};
const char* const kAAttributes[] = {"name", "href", "target", "rel", "rev", "title", "onclick", ""};
const char* const kPAttributes[] = {"align", ""};
const char* const kImgAttributes[] = {"src", "alt", "align", "width", "height", "border", "hspace", "vspace", "usemap", "ismap", ""};
const char* const kHrAttributes[] = {"align", "color", "noshade", "size", "width", ""};
const char* const kBodyAttributes[] = {"bgcolor", "text", "link", "vlink", "alink", "background", ""};
const char* const kFormAttributes[] = {"action", "method", "enctype", ""};
const char* const kInputAttributes[] = {"type", "name", "value", "checked", "size", "maxlength", "src", "align", ""};
const char* const kFontAttributes[] = {"size", "color", "face", ""};
const char* const kFrameAttributes[] = {"src", "name", "noresize", "frameborder", "marginwidth", "marginheight", "scrolling", "bordercolor", ""};
const char* const kSelectAttributes[] = {"name", "size", "multiple", ""};
const char* const kTextareaAttributes[] = {"name", "rows", "cols", ""};
const char* const kMarqueeAttributes[] = {"align", "bgcolor", "width", "border", ""};
const char* const kBaseAttributes[] = {"href", "target", ""};
const char* const kEmbedAttributes[] = {"align", "autostart", "height", "hidden", "src", "width", ""};
const char* const kIsindexAttributes[] = {"prompt", ""};
const char* const kLinkAttributes[] = {"href", "rel", "rev", "title", ""};
const char* const kMetaAttributes[] = {"name", "http-equiv", "content", ""};
const char* const kOptionAttributes[] = {"selected", "value", ""};

}  // namespace

TagEntry KnownTagTable[KnownTagCount] = {
    {"!-", "Comment", kNoAttributes, PairNone, 0},
    {"SCRIPT", "Script language", kNoAttributes, PairStrict, 0},
    {"/SCRIPT", "Script language end", kNoAttributes, PairStrict, 0},
    {"TABLE", "Table", kTableAttributes, PairCounted, 0},
    {"/TABLE", "Table end", kNoAttributes, PairCounted, 0},
    {"TD", "Table cell", kTdAttributes, PairNone, 0},
    {"/TD", "Table cell end", kNoAttributes, PairNone, 0},
    {"TR", "Table row", kTrAttributes, PairNone, 0},
    {"/TR", "Table row end", kNoAttributes, PairNone, 0},
    {"TH", "Table header", kTdAttributes, PairNone, 0},
    {"/TH", "Table header end", kNoAttributes, PairNone, 0},
    {"PRE", "Preformatted text (as is)", kPreAttributes, PairStrict, 0},
    {"/PRE", "Preformatted text end", kNoAttributes, PairStrict, 0},
    {"LI", "Bullet", kNoAttributes, PairNone, 0},
    {"BR", "Line break", kNoAttributes, PairNone, 0},
    {"A", "Anchor (link)", kAAttributes, PairStrict, 0},
    {"/A", "Anchor end", kNoAttributes, PairStrict, 0},
    {"B", "Bold", kNoAttributes, PairStrict, 0},
    {"/B", "Bold end", kNoAttributes, PairStrict, 0},
    {"I", "Italic", kNoAttributes, PairStrict, 0},
    {"/I", "Italic end", kNoAttributes, PairStrict, 0},
    {"EM", "Emphasis (usually italic)", kNoAttributes, PairStrict, 0},
    {"/EM", "Emphasis end", kNoAttributes, PairStrict, 0},
    {"H1", "Heading, large", kNoAttributes, PairNone, 0},
    {"/H1", "Heading end", kNoAttributes, PairNone, 0},
    {"H2", "Heading", kNoAttributes, PairNone, 0},
    {"/H2", "Heading end", kNoAttributes, PairNone, 0},
    {"H3", "Heading, medium", kNoAttributes, PairNone, 0},
    {"/H3", "Heading end", kNoAttributes, PairNone, 0},
    {"H4", "Heading", kNoAttributes, PairNone, 0},
    {"/H4", "Heading end", kNoAttributes, PairNone, 0},
    {"H5", "Heading", kNoAttributes, PairNone, 0},
    {"/H5", "Heading end", kNoAttributes, PairNone, 0},
    {"H6", "Heading, Small", kNoAttributes, PairNone, 0},
    {"/H6", "Heading end", kNoAttributes, PairNone, 0},
    {"P", "Paragraph begin", kPAttributes, PairNone, 0},
    {"/P", "Paragraph end", kNoAttributes, PairNone, 0},
    {"IMG", "Display image", kImgAttributes, PairNone, 0},
    {"HR", "Horizontal rule", kHrAttributes, PairNone, 0},
    {"BODY", "Body of the document", kBodyAttributes, PairStrict, 0},
    {"/BODY", "Body end", kNoAttributes, PairStrict, 0},
    {"CAPTION", "Table caption", kPAttributes, PairStrict, 0},
    {"/CAPTION", "Table caption end", kNoAttributes, PairStrict, 0},
    {"HEAD", "Descriptive info, such as title", kNoAttributes, PairStrict, 0},
    {"/HEAD", "Descriptive info end", kNoAttributes, PairStrict, 0},
    {"STRIKE", "Strikeout", kNoAttributes, PairStrict, 0},
    {"/STRIKE", "Strikeout end", kNoAttributes, PairStrict, 0},
    {"BLINK", "Blinking text", kNoAttributes, PairStrict, 0},
    {"/BLINK", "Blinking end", kNoAttributes, PairStrict, 0},
    {"FORM", "Define form", kFormAttributes, PairStrict, 0},
    {"/FORM", "Form end", kNoAttributes, PairStrict, 0},
    {"INPUT", "Input field", kInputAttributes, PairNone, 0},
    {"HTML", "Beginning of file", kNoAttributes, PairStrict, 0},
    {"/HTML", "End of file", kNoAttributes, PairStrict, 0},
    {"TITLE", "Title of document", kNoAttributes, PairStrict, 0},
    {"/TITLE", "Title end", kNoAttributes, PairStrict, 0},
    {"STRONG", "Strong text (bold)", kNoAttributes, PairStrict, 0},
    {"/STRONG", "Strong end", kNoAttributes, PairStrict, 0},
    {"BIG", "Large font size", kNoAttributes, PairStrict, 0},
    {"/BIG", "Large font end", kNoAttributes, PairStrict, 0},
    {"SMALL", "Small font size", kNoAttributes, PairStrict, 0},
    {"/SMALL", "Small font end", kNoAttributes, PairStrict, 0},
    {"SPAN", "", kNoAttributes, PairStrict, 0},
    {"/SPAN", "", kNoAttributes, PairStrict, 0},
    {"DL", "Definition list", kNoAttributes, PairCounted, 0},
    {"/DL", "Definition list end", kNoAttributes, PairCounted, 0},
    {"DT", "Definition list term", kNoAttributes, PairNone, 0},
    {"DD", "Definition", kNoAttributes, PairNone, 0},
    {"/DD", "Definition end", kNoAttributes, PairNone, 0},
    {"FONT", "Font", kFontAttributes, PairCounted, 0},
    {"/FONT", "Font end", kNoAttributes, PairCounted, 0},
    {"U", "Underline", kNoAttributes, PairStrict, 0},
    {"/U", "Underline end", kNoAttributes, PairStrict, 0},
    {"OL", "Ordered list (numbered)", kNoAttributes, PairCounted, 0},
    {"/OL", "Ordered list end", kNoAttributes, PairCounted, 0},
    {"UL", "Unordered list (bulleted)", kNoAttributes, PairCounted, 0},
    {"/UL", "Unordered list end", kNoAttributes, PairCounted, 0},
    {"DIR", "Directory list", kNoAttributes, PairStrict, 0},
    {"/DIR", "Directory list end", kNoAttributes, PairStrict, 0},
    {"MENU", "Menu", kNoAttributes, PairStrict, 0},
    {"/MENU", "Menu end", kNoAttributes, PairStrict, 0},
    {"TT", "Typewriter (monospaced)", kNoAttributes, PairStrict, 0},
    {"/TT", "Typewriter end", kNoAttributes, PairStrict, 0},
    {"BLOCKQUOTE", "Block quote", kNoAttributes, PairStrict, 0},
    {"/BLOCKQUOTE", "Block quote end", kNoAttributes, PairStrict, 0},
    {"CENTER", "Center text and graphics", kNoAttributes, PairCounted, 0},
    {"/CENTER", "Center end", kNoAttributes, PairCounted, 0},
    {"CITE", "Citation (usually italics)", kNoAttributes, PairStrict, 0},
    {"/CITE", "Citation end", kNoAttributes, PairStrict, 0},
    {"CODE", "Program code", kNoAttributes, PairStrict, 0},
    {"/CODE", "Program code end", kNoAttributes, PairStrict, 0},
    {"DFN", "Definition", kNoAttributes, PairStrict, 0},
    {"/DFN", "Definition end", kNoAttributes, PairStrict, 0},
    {"DIV", "Document division", kPAttributes, PairCounted, 0},
    {"/DIV", "Document division end", kNoAttributes, PairCounted, 0},
    {"FRAMESET", "Frame document", kNoAttributes, PairStrict, 0},
    {"/FRAMESET", "Frame document end", kNoAttributes, PairStrict, 0},
    {"FRAME", "Define frame", kFrameAttributes, PairNone, 0},
    {"KBD", "Keyboard input", kNoAttributes, PairStrict, 0},
    {"/KBD", "Keyboard input end", kNoAttributes, PairStrict, 0},
    {"SELECT", "Selection list", kSelectAttributes, PairStrict, 0},
    {"/SELECT", "Selection list end", kNoAttributes, PairStrict, 0},
    {"SUB", "Subscript", kNoAttributes, PairStrict, 0},
    {"/SUB", "Subscript end", kNoAttributes, PairStrict, 0},
    {"SUP", "Superscript", kNoAttributes, PairStrict, 0},
    {"/SUP", "Superscript end", kNoAttributes, PairStrict, 0},
    {"TEXTAREA", "Input box", kTextareaAttributes, PairStrict, 0},
    {"/TEXTAREA", "Input box end", kNoAttributes, PairStrict, 0},
    {"VAR", "Variable", kNoAttributes, PairStrict, 0},
    {"/VAR", "Variable end", kNoAttributes, PairStrict, 0},
    {"MAP", "Map", kNoAttributes, PairStrict, 0},
    {"/MAP", "Map end", kNoAttributes, PairStrict, 0},
    {"NOBR", "", kNoAttributes, PairNone, 0},
    {"/NOBR", "", kNoAttributes, PairNone, 0},
    {"ADDRESS", "Author's address", kNoAttributes, PairStrict, 0},
    {"/ADDRESS", "Address end", kNoAttributes, PairStrict, 0},
    {"APPLET", "Java applet", kNoAttributes, PairStrict, 0},
    {"/APPLET", "Java applet end", kNoAttributes, PairStrict, 0},
    {"MARQUEE", "Self-scrolling text", kMarqueeAttributes, PairStrict, 0},
    {"/MARQUEE", "", kNoAttributes, PairStrict, 0},
    {"NOSCRIPT", "", kNoAttributes, PairStrict, 0},
    {"/NOSCRIPT", "", kNoAttributes, PairStrict, 0},
    {"SAMP", "Sample output from programs", kNoAttributes, PairStrict, 0},
    {"/SAMP", "Sample end", kNoAttributes, PairStrict, 0},
    {"STYLE", "Style sheet", kNoAttributes, PairStrict, 0},
    {"/STYLE", "Style sheet end", kNoAttributes, PairStrict, 0},
    {"!DOCTYPE", "HTML 3.2 document", kNoAttributes, PairNone, 0},
    {"AREA", "Area shape", kNoAttributes, PairNone, 0},
    {"BASE", "Base URL", kBaseAttributes, PairNone, 0},
    {"BASEFONT", "Base font size", kNoAttributes, PairNone, 0},
    {"BGSOUND", "Background sound", kNoAttributes, PairNone, 0},
    {"EMBED", "Embed object", kEmbedAttributes, PairNone, 0},
    {"ISINDEX", "Single line input", kIsindexAttributes, PairNone, 0},
    {"LINK", "Relationship to other documents", kLinkAttributes, PairNone, 0},
    {"META", "Meta information ( name/value pairs)", kMetaAttributes, PairNone, 0},
    {"OPTION", "Option (items that can be selected)", kOptionAttributes, PairNone, 0},
};

namespace {

constexpr size_t LongestKnownName = 11;
constexpr size_t LongestAttributeName = 16;

// The table's names hashed by their capitals, so that a name is found without comparing
// it with every row. Equal to a scan of the rows in order for every name whose equality
// is plain case folding (foldsExactly); other names take the scan.
class KnownNameIndex {
public:
    KnownNameIndex() {
        for (auto& slot : slots_) slot = -1;
        for (int row = 0; row < KnownTagCount; ++row) {
            size_t length;
            uint32_t h = foldedHash(KnownTagTable[row].name, length);
            lengths_[row] = static_cast<uint8_t>(length);
            while (slots_[h & Mask] >= 0) ++h;
            slots_[h & Mask] = static_cast<int16_t>(row);
        }
    }

    int find(const char* name) const {
        size_t length;
        uint32_t h = foldedHash(name, length);
        if (length > LongestKnownName) return -1;
        for (;; ++h) {
            int row = slots_[h & Mask];
            if (row < 0) return -1;
            if (lengths_[row] == length && foldedEqual(KnownTagTable[row].name, name, length)) return row;
        }
    }

private:
    static constexpr uint32_t Mask = 511;
    int16_t slots_[Mask + 1];
    uint8_t lengths_[KnownTagCount];
};

const KnownNameIndex& knownNameIndex() {
    static const KnownNameIndex index;
    return index;
}

}  // namespace

int findKnownName(const char* name) {
    if (foldsExactly(name)) return knownNameIndex().find(name);
    for (int row = 0; row < KnownTagCount; ++row) {
        if (compareNoCase(KnownTagTable[row].name, name) == 0) return row;
    }
    return -1;
}

int findTag(const char* tagText, char* name, int size) {
    const char* p = tagText;
    if (*p == '<') ++p;
    int copied = 0;
    while (copied < size - 1) {
        char c = *p;
        if (c == '\0' || c == '>' || c == ' ' || c == '\n' || c == '\r') break;
        name[copied++] = c;
        ++p;
        // Every comment opener reads as "!-", however many dashes follow.
        if (c == '-' && p - 2 >= tagText && p[-2] == '!') break;
    }
    name[copied] = '\0';
    return findKnownName(name);
}

const char* describeTag(const char* name) {
    int row = findKnownName(name);
    return row < 0 ? "" : KnownTagTable[row].description;
}

bool hasAttribute(const char* attribute, int row) {
    const char* const* accepted = KnownTagTable[row].attributes;
    if (!foldsExactly(attribute)) {
        for (const char* const* a = accepted; **a; ++a) {
            if (compareNoCase(*a, attribute) == 0) return true;
        }
        return false;
    }
    // The accepted names are in lower case: fold the name once and compare bytes.
    char lower[LongestAttributeName + 1];
    size_t length = 0;
    for (; attribute[length]; ++length) {
        if (length == LongestAttributeName) return false;
        char c = attribute[length];
        lower[length] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    lower[length] = '\0';
    for (const char* const* a = accepted; **a; ++a) {
        if (strcmp(*a, lower) == 0) return true;
    }
    return false;
}

char* attributeText(int row, char* out) {
    char* w = out;
    for (const char* const* a = KnownTagTable[row].attributes; **a; ++a) {
        size_t length = strlen(*a);
        memcpy(w, *a, length);
        w += length;
        *w++ = ' ';
    }
    *w = '\0';
    return out;
}
