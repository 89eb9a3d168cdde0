#include "text.h"

#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

#ifndef _WIN32
// The order of the platform's word sort for ASCII, which the Windows build gets from
// lstrcmpiA. Three levels, each consulted only when the ones before are equal:
//  1. the "primary" characters, one by one: blanks, punctuation, symbols, digits, letters
//     (case ignored); bytes from 128 on sort after the letters, by value;
//  2. the apostrophe and the hyphen, which weigh nothing at level 1: by position (a later
//     one sorts first), then apostrophe before hyphen, then fewer before more;
//  3. the control characters, likewise by position, then by value.
enum Level { Primary, Special, Control };

struct Weights {
    uint16_t weight[256];
    uint8_t level[256];
};

Weights makeWeights() {
    Weights w{};
    uint16_t next = 1;
    for (int c = 1; c < 256; ++c) w.level[c] = Primary;
    for (int c : {0x27, 0x2D}) {
        w.level[c] = Special;
        w.weight[c] = next++;
    }
    for (int c = 0x01; c <= 0x1F; ++c) {
        if (c >= 0x09 && c <= 0x0D) continue;
        w.level[c] = Control;
        w.weight[c] = static_cast<uint16_t>(c);
    }
    w.level[0x7F] = Control;
    w.weight[0x7F] = 0x7F;
    const char* primaryOrder = " \t\n\v\f\r!\"#$%&()*,./:;?@[\\]^_`{|}~+<=>0123456789";
    for (const char* p = primaryOrder; *p; ++p) w.weight[static_cast<unsigned char>(*p)] = next++;
    for (int c = 'A'; c <= 'Z'; ++c) {
        w.weight[c] = next;
        w.weight[c + 32] = next++;
    }
    for (int c = 128; c < 256; ++c) w.weight[c] = next++;
    return w;
}

const Weights& weights() {
    static const Weights w = makeWeights();
    return w;
}

// Compares the characters of one level, both texts walked in step.
int compareLevel(const unsigned char* a, const unsigned char* b, Level level) {
    const Weights& w = weights();
    size_t i = 0, j = 0;
    for (;;) {
        while (a[i] && w.level[a[i]] != level) ++i;
        while (b[j] && w.level[b[j]] != level) ++j;
        if (!a[i] || !b[j]) return (a[i] ? 1 : 0) - (b[j] ? 1 : 0);
        if (level != Primary && i != j) return i > j ? -1 : 1;
        if (w.weight[a[i]] != w.weight[b[j]]) return w.weight[a[i]] < w.weight[b[j]] ? -1 : 1;
        ++i;
        ++j;
    }
}
#endif

}  // namespace

int compareNoCase(const char* a, const char* b) {
#ifdef _WIN32
    return lstrcmpiA(a, b);
#else
    auto ua = reinterpret_cast<const unsigned char*>(a);
    auto ub = reinterpret_cast<const unsigned char*>(b);
    for (Level level : {Primary, Special, Control}) {
        if (int r = compareLevel(ua, ub, level)) return r;
    }
    return 0;
#endif
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const int escaped = percentEscapeAt(text, i);
        if (escaped >= 0) {
            out += static_cast<char>(escaped);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}
