#include "byte_scan.h"

#include <cstdlib>
#include <cstring>

namespace byte_scan {
namespace {

bool chooseSimd() {
    const char* asked = getenv("TAGVETTER_SIMD");
    if (asked && strcmp(asked, "off") == 0) return false;
#if defined(__x86_64__) || defined(_M_X64)
    return true;
#elif defined(__i386__) && defined(__GNUC__)
    return __builtin_cpu_supports("sse2");
#else
    return false;
#endif
}

}  // namespace

namespace detail {
bool simd = chooseSimd();
}

bool simdInUse() { return detail::simd; }

void useSimd(bool on) { detail::simd = on && chooseSimd(); }

#if defined(__i386__) && defined(__SSE2__)
// The SSE2 paths for the rest of the 32-bit program, which is built without SSE2.
namespace sse2_call {
const char* lessThanAndFeeds(const char* from, const char* to, const char* floor, int32_t& count,
                             const char*& lastFeed) {
    return sse2::lessThanAndFeeds(from, to, floor, count, lastFeed);
}
const char* lineFeeds(const char* from, const char* to, const char* floor, int32_t& count) {
    return sse2::lineFeeds(from, to, floor, count);
}
const char* closingQuote(const char* from, const char* to, char quote, bool& greaterThan) {
    return sse2::closingQuote(from, to, quote, greaterThan);
}
const char* lessThanOrNul(const char* from, const char* to, const char* floor, int32_t& count) {
    return sse2::lessThanOrNul(from, to, floor, count);
}
const char* lessThanOrNul(const char* from, const char* to, const char* floor) {
    return sse2::lessThanOrNul(from, to, floor);
}
size_t plainBytes(const char* from, const char* to) { return sse2::plainBytes(from, to); }
const char* characterStop(const char* from, const char* to, const char* floor, bool utf8) {
    return sse2::characterStop(from, to, floor, utf8);
}
const char* urlUnitsEnd(const char* from, const char* to) { return sse2::urlUnitsEnd(from, to); }
void copyPadded(char* to, const char* from, size_t count, const char* textEnd) {
    sse2::copyPadded(to, from, count, textEnd);
}
bool contains(const char* from, const char* to, const char* word, size_t length) {
    return sse2::contains(from, to, word, length);
}
}  // namespace sse2_call
#endif

}  // namespace byte_scan
