// "Did you mean": the known name nearest to a name the profile doesn't know, when one
// stands out. It runs only on unknown names, so a plain bounded edit distance will do.
#pragma once

#include <cstddef>
#include <vector>

// The number of edits (a letter put in, left out, changed, or two neighbours swapped)
// that make `a` into `b`, letter case ignored; `bound` + 1 when it takes more than `bound`.
int editDistanceWithin(const char* a, size_t aLength, const char* b, size_t bLength, int bound);

// How many edits a name of `length` letters may be from a known one to suggest it: two,
// but one for a short name, to which too many short names are two edits near.
constexpr int suggestionBound(size_t length) { return length <= 4 ? 1 : 2; }

// Gathers the candidates of one unknown name: the nearest one within the bound is kept,
// and a second one as near makes the choice unclear, unless of those as near only one is
// made of the same letters (two swapped letters being the likeliest slip: tabel is table,
// not label).
class NearestName {
public:
    NearestName(const char* name, size_t length) : name_(name), length_(length), best_(suggestionBound(length) + 1) {}

    void consider(const char* candidate, size_t length, int id);
    // The id of the one nearest candidate, or -1 when none is near or two are as near.
    int chosen() const { return ties_ == 1 ? id_ : sameLetters_ == 1 ? sameLettersId_ : -1; }
    // True when the chosen one alone is that near, within two edits: a mend may then take
    // it without asking, where a tie broken by the letters is still a guess.
    bool sole() const { return ties_ == 1 && chosen() >= 0; }
    // True when candidates are near but none stands out: a misspelling, of what is unclear.
    bool unclear() const { return chosen() < 0 && ties_ > 1; }
    // Every candidate as near as the nearest, in the order considered.
    const std::vector<int>& tied() const { return tied_; }

private:
    const char* name_;
    size_t length_;
    int best_;
    int ties_ = 0;
    int id_ = -1;
    int sameLetters_ = 0;  // of the nearest ones, those made of the name's letters
    int sameLettersId_ = -1;
    std::vector<int> tied_;
};
