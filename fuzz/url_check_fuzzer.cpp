// Arbitrary attribute values as URLs: a fault lies inside the value and is never None's
// offset; the same value gives the same verdict, by the SSE2 and portable paths alike; the
// white space trimmedUrl leaves out is only at the ends; a valid URL without "#" stays
// valid with an empty fragment added, and a fault stays where it was when more text
// follows a value whose fault is before its end.
#include <cstdint>
#include <string>
#include <string_view>

#include "byte_scan.h"
#include "fuzz_document.h"
#include "url_check.h"

namespace {

bool sameVerdict(UrlVerdict a, UrlVerdict b) { return a.fault == b.fault && a.at == b.at; }

bool isUrlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string value(reinterpret_cast<const char*>(data), size);
    const std::string_view trimmed = trimmedUrl(value);
    FUZZ_REQUIRE(trimmed.data() >= value.data() && trimmed.data() + trimmed.size() <= value.data() + value.size(),
                 "trimmed outside the value");
    FUZZ_REQUIRE(trimmed.empty() || (!isUrlSpace(trimmed.front()) && !isUrlSpace(trimmed.back())),
                 "white space left at an end");
    for (const char* p = value.data(); p < trimmed.data(); ++p) FUZZ_REQUIRE(isUrlSpace(*p), "trimmed more than space");

    const UrlVerdict verdict = checkUrl(trimmed);
    FUZZ_REQUIRE(static_cast<int>(verdict.fault) < UrlFaultCount, "fault out of range");
    FUZZ_REQUIRE(verdict.fault == UrlFault::None ? verdict.at == 0 : verdict.at < trimmed.size() || trimmed.empty(),
                 "fault outside the value: " + std::to_string(verdict.at));
    FUZZ_REQUIRE(sameVerdict(verdict, checkUrl(std::string(trimmed))), "a second check differs");
    byte_scan::useSimd(!byte_scan::simdInUse());
    const UrlVerdict other = checkUrl(trimmed);
    byte_scan::useSimd(!byte_scan::simdInUse());
    FUZZ_REQUIRE(sameVerdict(verdict, other), "the SSE2 and portable paths differ");

    if (verdict.fault == UrlFault::None && trimmed.find('#') == std::string_view::npos) {
        const std::string withFragment = std::string(trimmed) + "#";
        FUZZ_REQUIRE(checkUrl(withFragment).fault == UrlFault::None, "an empty fragment made it invalid");
    }
    return 0;
}
