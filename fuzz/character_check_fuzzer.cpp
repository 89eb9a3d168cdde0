// The encoding decision and the character check over arbitrary bytes: the decision never
// reads past the page, and every finding of the check, read as running text and as one
// attribute value, in every encoding and with both profiles' rules, lies inside the
// page, in the page's order, and says what its kind needs.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "character_check.h"
#include "fuzz_document.h"
#include "page_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input's size, so that the sanitizer sees any read past it.
    std::vector<char> bytes(data, data + size);
    const char* text = bytes.data();
    const char* end = text + size;

    for (PageEncoding fallback : {PageEncoding::Utf8, PageEncoding::Windows1252}) {
        const EncodingDecision d = decidePageEncoding(text, size, fallback);
        FUZZ_REQUIRE(d.textStart <= size, "the text starts past the page");
        FUZZ_REQUIRE(d.source != EncodingSource::Default || d.encoding == fallback || d.encoding == PageEncoding::Utf16,
                     "a default other than the fallback");
    }
    // The label reader takes any bytes.
    encodingOfLabel(std::string_view(text, size < 64 ? size : 64));

    for (PageEncoding encoding : {PageEncoding::Utf8, PageEncoding::Windows1252, PageEncoding::OtherAscii}) {
        for (bool current : {true, false}) {
            for (bool attribute : {false, true}) {
                CharacterCheck check(encoding, current, text);
                // Two spans, split in the middle, as text between tags comes.
                const char* middle = text + size / 2;
                if (attribute) {
                    check.attributeValue(text, middle);
                    check.attributeValue(middle, end);
                } else {
                    check.text(text, middle);
                    check.text(middle, end);
                }
                const char* last = text;
                int invalid = 0;
                for (const CharacterFinding& f : check.finish()) {
                    FUZZ_REQUIRE(f.at >= text && f.at < f.end && f.end <= end, "a finding outside the page");
                    if (f.kind == ProblemKind::InvalidBytes) {
                        FUZZ_REQUIRE(encoding == PageEncoding::Utf8 && f.count >= 1 && ++invalid == 1, "invalid bytes");
                        continue;
                    }
                    FUZZ_REQUIRE(f.at >= last, "findings out of order");
                    last = f.at;
                    switch (f.kind) {
                        case ProblemKind::UnknownReference:
                            FUZZ_REQUIRE(*f.at == '&' && f.end[-1] == ';', "an unknown reference");
                            break;
                        case ProblemKind::ReferenceWithoutSemicolon:
                            FUZZ_REQUIRE(*f.at == '&' && (referenceNameFlags(f.at + 1, static_cast<size_t>(f.end - f.at - 1)) &
                                                          ReferenceLegacy),
                                         "a reference without ; that is no legacy name");
                            break;
                        case ProblemKind::BadNumericReference:
                            FUZZ_REQUIRE(f.at[0] == '&' && f.at[1] == '#' && f.count >= NumericWithoutDigits &&
                                             f.count <= NumericControl,
                                         "a numeric reference");
                            break;
                        case ProblemKind::ControlCharacter:
                            FUZZ_REQUIRE(f.count >= 0 && f.count <= 0x10FFFF, "a control character");
                            break;
                        default:
                            fuzzFailure("a kind the character check doesn't find", problemKindId(f.kind));
                    }
                }
            }
        }
    }
    return 0;
}
