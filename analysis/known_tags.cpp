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

const TagEntry KnownTagTable[KnownTagCount] = {
    {"!-", "Comment", kNoAttributes, PairNone},
    {"SCRIPT", "Script language", kNoAttributes, PairStrict},
    {"/SCRIPT", "Script language end", kNoAttributes, PairStrict},
    {"TABLE", "Table", kTableAttributes, PairCounted},
    {"/TABLE", "Table end", kNoAttributes, PairCounted},
    {"TD", "Table cell", kTdAttributes, PairNone},
    {"/TD", "Table cell end", kNoAttributes, PairNone},
    {"TR", "Table row", kTrAttributes, PairNone},
    {"/TR", "Table row end", kNoAttributes, PairNone},
    {"TH", "Table header", kTdAttributes, PairNone},
    {"/TH", "Table header end", kNoAttributes, PairNone},
    {"PRE", "Preformatted text (as is)", kPreAttributes, PairStrict},
    {"/PRE", "Preformatted text end", kNoAttributes, PairStrict},
    {"LI", "Bullet", kNoAttributes, PairNone},
    {"BR", "Line break", kNoAttributes, PairNone},
    {"A", "Anchor (link)", kAAttributes, PairStrict},
    {"/A", "Anchor end", kNoAttributes, PairStrict},
    {"B", "Bold", kNoAttributes, PairStrict},
    {"/B", "Bold end", kNoAttributes, PairStrict},
    {"I", "Italic", kNoAttributes, PairStrict},
    {"/I", "Italic end", kNoAttributes, PairStrict},
    {"EM", "Emphasis (usually italic)", kNoAttributes, PairStrict},
    {"/EM", "Emphasis end", kNoAttributes, PairStrict},
    {"H1", "Heading, large", kNoAttributes, PairNone},
    {"/H1", "Heading end", kNoAttributes, PairNone},
    {"H2", "Heading", kNoAttributes, PairNone},
    {"/H2", "Heading end", kNoAttributes, PairNone},
    {"H3", "Heading, medium", kNoAttributes, PairNone},
    {"/H3", "Heading end", kNoAttributes, PairNone},
    {"H4", "Heading", kNoAttributes, PairNone},
    {"/H4", "Heading end", kNoAttributes, PairNone},
    {"H5", "Heading", kNoAttributes, PairNone},
    {"/H5", "Heading end", kNoAttributes, PairNone},
    {"H6", "Heading, Small", kNoAttributes, PairNone},
    {"/H6", "Heading end", kNoAttributes, PairNone},
    {"P", "Paragraph begin", kPAttributes, PairNone},
    {"/P", "Paragraph end", kNoAttributes, PairNone},
    {"IMG", "Display image", kImgAttributes, PairNone},
    {"HR", "Horizontal rule", kHrAttributes, PairNone},
    {"BODY", "Body of the document", kBodyAttributes, PairStrict},
    {"/BODY", "Body end", kNoAttributes, PairStrict},
    {"CAPTION", "Table caption", kPAttributes, PairStrict},
    {"/CAPTION", "Table caption end", kNoAttributes, PairStrict},
    {"HEAD", "Descriptive info, such as title", kNoAttributes, PairStrict},
    {"/HEAD", "Descriptive info end", kNoAttributes, PairStrict},
    {"STRIKE", "Strikeout", kNoAttributes, PairStrict},
    {"/STRIKE", "Strikeout end", kNoAttributes, PairStrict},
    {"BLINK", "Blinking text", kNoAttributes, PairStrict},
    {"/BLINK", "Blinking end", kNoAttributes, PairStrict},
    {"FORM", "Define form", kFormAttributes, PairStrict},
    {"/FORM", "Form end", kNoAttributes, PairStrict},
    {"INPUT", "Input field", kInputAttributes, PairNone},
    {"HTML", "Beginning of file", kNoAttributes, PairStrict},
    {"/HTML", "End of file", kNoAttributes, PairStrict},
    {"TITLE", "Title of document", kNoAttributes, PairStrict},
    {"/TITLE", "Title end", kNoAttributes, PairStrict},
    {"STRONG", "Strong text (bold)", kNoAttributes, PairStrict},
    {"/STRONG", "Strong end", kNoAttributes, PairStrict},
    {"BIG", "Large font size", kNoAttributes, PairStrict},
    {"/BIG", "Large font end", kNoAttributes, PairStrict},
    {"SMALL", "Small font size", kNoAttributes, PairStrict},
    {"/SMALL", "Small font end", kNoAttributes, PairStrict},
    {"SPAN", "", kNoAttributes, PairStrict},
    {"/SPAN", "", kNoAttributes, PairStrict},
    {"DL", "Definition list", kNoAttributes, PairCounted},
    {"/DL", "Definition list end", kNoAttributes, PairCounted},
    {"DT", "Definition list term", kNoAttributes, PairNone},
    {"DD", "Definition", kNoAttributes, PairNone},
    {"/DD", "Definition end", kNoAttributes, PairNone},
    {"FONT", "Font", kFontAttributes, PairCounted},
    {"/FONT", "Font end", kNoAttributes, PairCounted},
    {"U", "Underline", kNoAttributes, PairStrict},
    {"/U", "Underline end", kNoAttributes, PairStrict},
    {"OL", "Ordered list (numbered)", kNoAttributes, PairCounted},
    {"/OL", "Ordered list end", kNoAttributes, PairCounted},
    {"UL", "Unordered list (bulleted)", kNoAttributes, PairCounted},
    {"/UL", "Unordered list end", kNoAttributes, PairCounted},
    {"DIR", "Directory list", kNoAttributes, PairStrict},
    {"/DIR", "Directory list end", kNoAttributes, PairStrict},
    {"MENU", "Menu", kNoAttributes, PairStrict},
    {"/MENU", "Menu end", kNoAttributes, PairStrict},
    {"TT", "Typewriter (monospaced)", kNoAttributes, PairStrict},
    {"/TT", "Typewriter end", kNoAttributes, PairStrict},
    {"BLOCKQUOTE", "Block quote", kNoAttributes, PairStrict},
    {"/BLOCKQUOTE", "Block quote end", kNoAttributes, PairStrict},
    {"CENTER", "Center text and graphics", kNoAttributes, PairCounted},
    {"/CENTER", "Center end", kNoAttributes, PairCounted},
    {"CITE", "Citation (usually italics)", kNoAttributes, PairStrict},
    {"/CITE", "Citation end", kNoAttributes, PairStrict},
    {"CODE", "Program code", kNoAttributes, PairStrict},
    {"/CODE", "Program code end", kNoAttributes, PairStrict},
    {"DFN", "Definition", kNoAttributes, PairStrict},
    {"/DFN", "Definition end", kNoAttributes, PairStrict},
    {"DIV", "Document division", kPAttributes, PairCounted},
    {"/DIV", "Document division end", kNoAttributes, PairCounted},
    {"FRAMESET", "Frame document", kNoAttributes, PairStrict},
    {"/FRAMESET", "Frame document end", kNoAttributes, PairStrict},
    {"FRAME", "Define frame", kFrameAttributes, PairNone},
    {"KBD", "Keyboard input", kNoAttributes, PairStrict},
    {"/KBD", "Keyboard input end", kNoAttributes, PairStrict},
    {"SELECT", "Selection list", kSelectAttributes, PairStrict},
    {"/SELECT", "Selection list end", kNoAttributes, PairStrict},
    {"SUB", "Subscript", kNoAttributes, PairStrict},
    {"/SUB", "Subscript end", kNoAttributes, PairStrict},
    {"SUP", "Superscript", kNoAttributes, PairStrict},
    {"/SUP", "Superscript end", kNoAttributes, PairStrict},
    {"TEXTAREA", "Input box", kTextareaAttributes, PairStrict},
    {"/TEXTAREA", "Input box end", kNoAttributes, PairStrict},
    {"VAR", "Variable", kNoAttributes, PairStrict},
    {"/VAR", "Variable end", kNoAttributes, PairStrict},
    {"MAP", "Map", kNoAttributes, PairStrict},
    {"/MAP", "Map end", kNoAttributes, PairStrict},
    {"NOBR", "", kNoAttributes, PairNone},
    {"/NOBR", "", kNoAttributes, PairNone},
    {"ADDRESS", "Author's address", kNoAttributes, PairStrict},
    {"/ADDRESS", "Address end", kNoAttributes, PairStrict},
    {"APPLET", "Java applet", kNoAttributes, PairStrict},
    {"/APPLET", "Java applet end", kNoAttributes, PairStrict},
    {"MARQUEE", "Self-scrolling text", kMarqueeAttributes, PairStrict},
    {"/MARQUEE", "", kNoAttributes, PairStrict},
    {"NOSCRIPT", "", kNoAttributes, PairStrict},
    {"/NOSCRIPT", "", kNoAttributes, PairStrict},
    {"SAMP", "Sample output from programs", kNoAttributes, PairStrict},
    {"/SAMP", "Sample end", kNoAttributes, PairStrict},
    {"STYLE", "Style sheet", kNoAttributes, PairStrict},
    {"/STYLE", "Style sheet end", kNoAttributes, PairStrict},
    {"!DOCTYPE", "HTML 3.2 document", kNoAttributes, PairNone},
    {"AREA", "Area shape", kNoAttributes, PairNone},
    {"BASE", "Base URL", kBaseAttributes, PairNone},
    {"BASEFONT", "Base font size", kNoAttributes, PairNone},
    {"BGSOUND", "Background sound", kNoAttributes, PairNone},
    {"EMBED", "Embed object", kEmbedAttributes, PairNone},
    {"ISINDEX", "Single line input", kIsindexAttributes, PairNone},
    {"LINK", "Relationship to other documents", kLinkAttributes, PairNone},
    {"META", "Meta information ( name/value pairs)", kMetaAttributes, PairNone},
    {"OPTION", "Option (items that can be selected)", kOptionAttributes, PairNone},
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
