// The searches the readers spend their time in: for the next "<", the line feeds on the
// way, a closing quote, the bytes a tag's text, the character check or the URL check must
// look at.
//
// Each looks at sixteen bytes at a time with SSE2, which every x86-64 processor has and so
// does every one the 32-bit Windows program runs on, and has a portable path giving the
// same answers. The choice is made at run time: the portable path where the processor
// lacks SSE2, or when TAGVETTER_SIMD=off is in the environment; the tests and the fuzzers
// run both and compare them.
//
// Conventions of this file: a span is [from, to); a search reads no byte before `floor`
// (the text's first) or from `to` on. A span's last bytes are read in the sixteen that end
// with it when the text is that long.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace byte_scan {

// Whether the SSE2 paths are taken.
bool simdInUse();
// Takes the SSE2 paths (where the processor has SSE2) or the portable ones; for the tests
// and fuzzers that compare them.
void useSimd(bool on);

// Asks for the page's bytes some way ahead of a reader at `p`. A page read once in a run
// comes from memory, not from a cache, and the processor's own look-ahead stops at each
// 4 KiB page of the file; a search that had to wait for each line of the cache would go
// at the speed of memory's answer, not of its flow. A hint: it reads and faults nothing.
// The address is made as a number: near a page's end it lies past the page's bytes.
inline void prefetchAhead(const char* p) {
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(p) + 1024));
}

namespace detail {
extern bool simd;

// The bytes the character check looks at: "&", a control character other than white
// space, DEL, and bytes above 127; in a single-byte encoding only those below 0xA0, where
// the C1 controls are. [1] is UTF-8's.
constexpr std::array<std::array<bool, 256>, 2> characterStops() {
    std::array<std::array<bool, 256>, 2> stops{};
    for (int utf8 = 0; utf8 < 2; ++utf8) {
        for (int c = 0; c < 256; ++c) {
            const bool white = c == '\t' || c == '\n' || c == '\f' || c == '\r';
            stops[utf8][c] = c == '&' || c == 0x7F || (c < 0x20 && !white) || (c >= 0x80 && (utf8 || c < 0xA0));
        }
    }
    return stops;
}
inline constexpr std::array<std::array<bool, 256>, 2> CharacterStops = characterStops();

// The bytes a URL's path, query and fragment take as they are: letters, digits and
// "!$&'()*+,-./:;=?@_~". Every other byte of 0x21-0x7E is one of UrlOthers.
inline constexpr char UrlOthers[] = {'"', '#', '%', '<', '>', '[', '\\', ']', '^', '`', '{', '|', '}'};
constexpr std::array<bool, 256> urlUnits() {
    std::array<bool, 256> units{};
    for (int c = 0x21; c < 0x7F; ++c) units[c] = true;
    for (const char c : UrlOthers) units[static_cast<unsigned char>(c)] = false;
    return units;
}
inline constexpr std::array<bool, 256> UrlUnits = urlUnits();
}  // namespace detail

// The byte-by-byte searches: the portable path, and the SSE2 path's last few bytes.
namespace portable {

inline const char* lessThanAndFeeds(const char* from, const char* to, int32_t& count, const char*& lastFeed) {
    for (const char* s = from; s < to; ++s) {
        if (*s == '<') return s;
        if (*s == '\n') {
            ++count;
            lastFeed = s;
        }
    }
    return nullptr;
}

inline const char* lineFeeds(const char* from, const char* to, int32_t& count, const char*& last) {
    for (const char* s = from; s < to; ++s) {
        if (*s == '\n') {
            ++count;
            last = s;
        }
    }
    return last;
}

inline const char* closingQuote(const char* from, const char* to, char quote, bool& greaterThan) {
    const char* p = from;
    for (; p < to && *p != quote; ++p) greaterThan = greaterThan || *p == '>';
    return p;
}

inline const char* lessThanOrNul(const char* from, const char* to, int32_t& count) {
    const char* p = from;
    for (; p < to && *p != '<' && *p != '\0'; ++p) count += *p == '\n';
    return p;
}

inline const char* lessThanOrNul(const char* from, const char* to) {
    const char* p = from;
    while (p < to && *p != '<' && *p != '\0') ++p;
    return p;
}

inline const char* plainBytesEnd(const char* from, const char* to) {
    const char* p = from;
    while (p < to && *p != '\0' && *p != '\t' && *p != '\n' && *p != '\r' && *p != '>') ++p;
    return p;
}

inline const char* characterStop(const char* from, const char* to, bool utf8) {
    const auto& stops = detail::CharacterStops[utf8 ? 1 : 0];
    const char* p = from;
    while (p < to && !stops[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

inline const char* urlUnitsEnd(const char* from, const char* to) {
    const char* p = from;
    while (p < to && detail::UrlUnits[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

inline bool contains(const char* from, const char* to, const char* word, size_t length) {
    return std::string_view(from, static_cast<size_t>(to - from)).find(std::string_view(word, length)) != std::string_view::npos;
}

}  // namespace portable

#if defined(__SSE2__)
namespace sse2 {

// The bits set in a 16-bit mask, without the call __builtin_popcount makes where the
// processor's own instruction can't be assumed.
inline int bitsIn(unsigned mask) {
    mask = mask - ((mask >> 1) & 0x5555u);
    mask = (mask & 0x3333u) + ((mask >> 2) & 0x3333u);
    mask = (mask + (mask >> 4)) & 0x0F0Fu;
    return static_cast<int>((mask + (mask >> 8)) & 0x1Fu);
}
inline int lastBit(unsigned mask) { return 31 - __builtin_clz(mask); }
inline __m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline unsigned equalIn(__m128i bytes, char c) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}
// The mask of the bytes of the block at `block` from `from` on.
inline unsigned from(const char* block, const char* from) { return 0xFFFFu << (from - block); }

// The first of the bytes `stops` marks in the block, the feeds before it counted.
inline const char* firstAfterFeeds(const char* block, unsigned stops, unsigned feeds, int32_t& count,
                                   const char*& lastFeed) {
    if (stops) feeds &= (stops & (0u - stops)) - 1;
    if (feeds) {
        count += bitsIn(feeds);
        lastFeed = block + lastBit(feeds);
    }
    return stops ? block + __builtin_ctz(stops) : nullptr;
}

inline const char* lessThanAndFeeds(const char* from, const char* to, const char* floor, int32_t& count,
                                    const char*& lastFeed) {
    const char* s = from;
    for (; to - s >= 16; s += 16) {
        const __m128i bytes = load(s);
        if (const char* found = firstAfterFeeds(s, equalIn(bytes, '<'), equalIn(bytes, '\n'), count, lastFeed))
            return found;
    }
    if (s < to && to - floor >= 16) {
        const char* block = to - 16;
        const __m128i bytes = load(block);
        const unsigned keep = sse2::from(block, s);
        return firstAfterFeeds(block, equalIn(bytes, '<') & keep, equalIn(bytes, '\n') & keep, count, lastFeed);
    }
    return portable::lessThanAndFeeds(s, to, count, lastFeed);
}

inline const char* lineFeeds(const char* from, const char* to, const char* floor, int32_t& count) {
    const char* last = nullptr;
    const char* s = from;
    for (; to - s >= 16; s += 16) firstAfterFeeds(s, 0, equalIn(load(s), '\n'), count, last);
    if (s < to && to - floor >= 16) {
        const char* block = to - 16;
        firstAfterFeeds(block, 0, equalIn(load(block), '\n') & sse2::from(block, s), count, last);
        return last;
    }
    return portable::lineFeeds(s, to, count, last);
}

inline const char* closingQuote(const char* from, const char* to, char quote, bool& greaterThan) {
    const char* p = from;
    for (; to - p >= 16; p += 16) {
        const __m128i bytes = load(p);
        const unsigned quotes = equalIn(bytes, quote), greater = equalIn(bytes, '>');
        if (quotes) {
            greaterThan = greaterThan || (greater & ((quotes & (0u - quotes)) - 1)) != 0;
            return p + __builtin_ctz(quotes);
        }
        greaterThan = greaterThan || greater != 0;
    }
    return portable::closingQuote(p, to, quote, greaterThan);
}

inline const char* lessThanOrNul(const char* from, const char* to, const char* floor, int32_t& count) {
    const char* unused = nullptr;
    const char* s = from;
    for (; to - s >= 16; s += 16) {
        const __m128i bytes = load(s);
        const unsigned stops = equalIn(bytes, '<') | equalIn(bytes, '\0');
        if (const char* found = firstAfterFeeds(s, stops, equalIn(bytes, '\n'), count, unused)) return found;
    }
    if (s < to && to - floor >= 16) {
        const char* block = to - 16;
        const __m128i bytes = load(block);
        const unsigned keep = sse2::from(block, s);
        const unsigned stops = (equalIn(bytes, '<') | equalIn(bytes, '\0')) & keep;
        const char* found = firstAfterFeeds(block, stops, equalIn(bytes, '\n') & keep, count, unused);
        return found ? found : to;
    }
    return portable::lessThanOrNul(s, to, count);
}

inline const char* lessThanOrNul(const char* from, const char* to, const char* floor) {
    const char* s = from;
    for (; to - s >= 16; s += 16) {
        const __m128i bytes = load(s);
        if (const unsigned stops = equalIn(bytes, '<') | equalIn(bytes, '\0')) return s + __builtin_ctz(stops);
    }
    if (s < to && to - floor >= 16) {
        const char* block = to - 16;
        const __m128i bytes = load(block);
        const unsigned stops = (equalIn(bytes, '<') | equalIn(bytes, '\0')) & sse2::from(block, s);
        return stops ? block + __builtin_ctz(stops) : to;
    }
    return portable::lessThanOrNul(s, to);
}

inline size_t plainBytes(const char* from, const char* to) {
    const char* p = from;
    for (; to - p >= 16; p += 16) {
        const __m128i bytes = load(p);
        const unsigned stops = equalIn(bytes, '\0') | equalIn(bytes, '\t') | equalIn(bytes, '\n') |
                               equalIn(bytes, '\r') | equalIn(bytes, '>');
        if (stops) return static_cast<size_t>(p - from) + static_cast<size_t>(__builtin_ctz(stops));
    }
    return static_cast<size_t>(portable::plainBytesEnd(p, to) - from);
}

// The bytes of a block the character check looks at (detail::CharacterStops).
inline unsigned characterStopsIn(__m128i v, bool utf8) {
    // Signed, the bytes below the space are the controls and those above 127. Without
    // UTF-8 only 0x80-0x9F of the latter count: those whose low seven bits are a control's.
    const __m128i space = _mm_set1_epi8(0x20);
    const __m128i below = _mm_cmplt_epi8(utf8 ? v : _mm_and_si128(v, _mm_set1_epi8(0x7F)), space);
    const __m128i white = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                                       _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\f')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))));
    const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('&')), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7F)));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_andnot_si128(white, below), marks)));
}

inline const char* characterStop(const char* from, const char* to, const char* floor, bool utf8) {
    const char* p = from;
    for (; to - p >= 16; p += 16) {
        if (const unsigned flagged = characterStopsIn(load(p), utf8)) return p + __builtin_ctz(flagged);
    }
    // The last few bytes, most spans' all: the block that ends with them, the bytes
    // before them masked off.
    if (p < to && to - floor >= 16) {
        const char* block = to - 16;
        const unsigned flagged = characterStopsIn(load(block), utf8) & sse2::from(block, p);
        return flagged ? block + __builtin_ctz(flagged) : to;
    }
    return portable::characterStop(p, to, utf8);
}

inline const char* urlUnitsEnd(const char* from, const char* to) {
    const char* p = from;
    if (to - p >= 16) {
        // Signed bytes: those above 127 are below zero, so not above the space.
        const __m128i space = _mm_set1_epi8(0x20), del = _mm_set1_epi8(0x7F);
        for (; to - p >= 16; p += 16) {
            const __m128i v = load(p);
            const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(v, space), _mm_cmplt_epi8(v, del));
            __m128i others = _mm_setzero_si128();
            for (const char c : detail::UrlOthers) others = _mm_or_si128(others, _mm_cmpeq_epi8(v, _mm_set1_epi8(c)));
            const unsigned units = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(others, printable)));
            if (units != 0xFFFFu) return p + __builtin_ctz(~units);
        }
    }
    return portable::urlUnitsEnd(p, to);
}

inline void copyPadded(char* to, const char* from, size_t count, const char* textEnd) {
    static const unsigned char Ones[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    if (count <= 16 && textEnd - from >= 16) {
        const __m128i keep = load(reinterpret_cast<const char*>(Ones) + 16 - count);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_and_si128(load(from), keep));
        return;
    }
    memcpy(to, from, count);
    if (count < 16) memset(to + count, 0, 16 - count);
}

// Sixteen places at a time, those where the word's first and last bytes both stand; only
// those are compared whole. A frequent first letter costs nothing then.
inline bool contains(const char* from, const char* to, const char* word, size_t length) {
    const char* p = from;
    for (; to - p >= static_cast<ptrdiff_t>(length + 15); p += 16) {
        for (unsigned both = equalIn(load(p), word[0]) & equalIn(load(p + length - 1), word[length - 1]); both;
             both &= both - 1) {
            if (memcmp(p + __builtin_ctz(both) + 1, word + 1, length - 2) == 0) return true;
        }
    }
    return portable::contains(p, to, word, length);
}

}  // namespace sse2
#define TAGVETTER_SSE2 sse2
#elif defined(__i386__) && defined(__GNUC__)
// 32-bit x86 doesn't assume SSE2: byte_scan.cpp alone is built with it, and calls these.
namespace sse2_call {
const char* lessThanAndFeeds(const char* from, const char* to, const char* floor, int32_t& count,
                             const char*& lastFeed);
const char* lineFeeds(const char* from, const char* to, const char* floor, int32_t& count);
const char* closingQuote(const char* from, const char* to, char quote, bool& greaterThan);
const char* lessThanOrNul(const char* from, const char* to, const char* floor, int32_t& count);
const char* lessThanOrNul(const char* from, const char* to, const char* floor);
size_t plainBytes(const char* from, const char* to);
const char* characterStop(const char* from, const char* to, const char* floor, bool utf8);
const char* urlUnitsEnd(const char* from, const char* to);
void copyPadded(char* to, const char* from, size_t count, const char* textEnd);
bool contains(const char* from, const char* to, const char* word, size_t length);
}  // namespace sse2_call
#define TAGVETTER_SSE2 sse2_call
#endif

#ifdef TAGVETTER_SSE2
#define TAGVETTER_TRY_SSE2(call) \
    if (detail::simd) return TAGVETTER_SSE2::call
#else
#define TAGVETTER_TRY_SSE2(call)
#endif

// The first "<" in the span, or null; the line feeds before it (before `to` when there is
// none) are added to `count`, and the last of them is put in `lastFeed`.
inline const char* lessThanAndFeeds(const char* from, const char* to, const char* floor, int32_t& count,
                                    const char*& lastFeed) {
    TAGVETTER_TRY_SSE2(lessThanAndFeeds(from, to, floor, count, lastFeed));
    (void)floor;
    return portable::lessThanAndFeeds(from, to, count, lastFeed);
}

// The line feeds in the span: adds how many to `count` and gives the last (null if none).
inline const char* lineFeeds(const char* from, const char* to, const char* floor, int32_t& count) {
    TAGVETTER_TRY_SSE2(lineFeeds(from, to, floor, count));
    (void)floor;
    const char* last = nullptr;
    return portable::lineFeeds(from, to, count, last);
}

// The first `quote` in the span, or `to`; `greaterThan` is set when a ">" comes before it.
inline const char* closingQuote(const char* from, const char* to, char quote, bool& greaterThan) {
    TAGVETTER_TRY_SSE2(closingQuote(from, to, quote, greaterThan));
    return portable::closingQuote(from, to, quote, greaterThan);
}

// The 1990s reading's search: the first "<" or NUL in the span, or `to`; the line feeds
// before it are added to `count`.
inline const char* lessThanOrNul(const char* from, const char* to, const char* floor, int32_t& count) {
    TAGVETTER_TRY_SSE2(lessThanOrNul(from, to, floor, count));
    (void)floor;
    return portable::lessThanOrNul(from, to, count);
}

// The same search where no line is asked for (the census's): no line feed counted.
inline const char* lessThanOrNul(const char* from, const char* to, const char* floor) {
    TAGVETTER_TRY_SSE2(lessThanOrNul(from, to, floor));
    (void)floor;
    return portable::lessThanOrNul(from, to);
}

// How many bytes the span starts with that a tag's text takes as they are: none is a NUL,
// a tab, a line feed, a carriage return or a ">".
inline size_t plainBytes(const char* from, const char* to) {
    TAGVETTER_TRY_SSE2(plainBytes(from, to));
    return static_cast<size_t>(portable::plainBytesEnd(from, to) - from);
}

// The first byte of the span the character check looks at (detail::CharacterStops), or `to`.
inline const char* characterStop(const char* from, const char* to, const char* floor, bool utf8) {
    TAGVETTER_TRY_SSE2(characterStop(from, to, floor, utf8));
    (void)floor;
    return portable::characterStop(from, to, utf8);
}

// The first byte of the span that a URL's path, query or fragment doesn't take as it is
// (detail::UrlUnits), or `to`.
inline const char* urlUnitsEnd(const char* from, const char* to) {
    TAGVETTER_TRY_SSE2(urlUnitsEnd(from, to));
    return portable::urlUnitsEnd(from, to);
}

// Copies `count` bytes of a text ending at `textEnd` and, when they are fewer than 16, puts
// zeros after them up to the 16th: `to` has room for 16 bytes at least.
inline void copyPadded(char* to, const char* from, size_t count, const char* textEnd) {
    TAGVETTER_TRY_SSE2(copyPadded(to, from, count, textEnd));
    (void)textEnd;
    memcpy(to, from, count);
    if (count < 16) memset(to + count, 0, 16 - count);
}

// Whether the span holds `word`, `length` bytes (two or more).
inline bool contains(const char* from, const char* to, const char* word, size_t length) {
    TAGVETTER_TRY_SSE2(contains(from, to, word, length));
    return portable::contains(from, to, word, length);
}

#undef TAGVETTER_TRY_SSE2

}  // namespace byte_scan
