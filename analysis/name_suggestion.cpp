#include "name_suggestion.h"

#include "text.h"

int editDistanceWithin(const char* a, size_t aLength, const char* b, size_t bLength, int bound) {
    const size_t lengthGap = aLength > bLength ? aLength - bLength : bLength - aLength;
    if (lengthGap > static_cast<size_t>(bound)) return bound + 1;
    // Names are read up to 79 characters; longer ones are never near a known name.
    constexpr size_t Most = 80;
    if (aLength >= Most || bLength >= Most) return bound + 1;
    // Three rows of the table of distances: two back, one back, this one.
    int rows[3][Most + 1];
    int *before = rows[0], *previous = rows[1], *current = rows[2];
    for (size_t j = 0; j <= bLength; ++j) previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= aLength; ++i) {
        current[0] = static_cast<int>(i);
        int rowBest = current[0];
        const char ai = lowerAscii(a[i - 1]);
        for (size_t j = 1; j <= bLength; ++j) {
            const char bj = lowerAscii(b[j - 1]);
            int d = previous[j - 1] + (ai == bj ? 0 : 1);
            if (previous[j] + 1 < d) d = previous[j] + 1;
            if (current[j - 1] + 1 < d) d = current[j - 1] + 1;
            if (i > 1 && j > 1 && ai == lowerAscii(b[j - 2]) && lowerAscii(a[i - 2]) == bj && before[j - 2] + 1 < d)
                d = before[j - 2] + 1;
            current[j] = d;
            if (d < rowBest) rowBest = d;
        }
        // Every later row is at least this row's least.
        if (rowBest > bound) return bound + 1;
        int* spare = before;
        before = previous;
        previous = current;
        current = spare;
    }
    return previous[bLength] > bound ? bound + 1 : previous[bLength];
}

namespace {

// True when `b` is `a` with its letters in another order, letter case ignored.
bool sameLetters(const char* a, const char* b, size_t length) {
    int counts[256] = {};
    for (size_t i = 0; i < length; ++i) {
        ++counts[static_cast<unsigned char>(lowerAscii(a[i]))];
        --counts[static_cast<unsigned char>(lowerAscii(b[i]))];
    }
    for (int c : counts) {
        if (c != 0) return false;
    }
    return true;
}

}  // namespace

void NearestName::consider(const char* candidate, size_t length, int id) {
    const int d = editDistanceWithin(name_, length_, candidate, length, best_);
    if (d > best_ || (d == best_ && ties_ == 0)) return;
    if (d < best_) {
        best_ = d;
        ties_ = 0;
        sameLetters_ = 0;
        id_ = id;
        tied_.clear();
    }
    ++ties_;
    tied_.push_back(id);
    if (length == length_ && sameLetters(name_, candidate, length)) {
        ++sameLetters_;
        sameLettersId_ = id;
    }
}
