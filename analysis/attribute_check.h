// The check of one tag's attributes for the pages read as HTML (html4, html5): names the
// tag doesn't take, names given twice, values the table doesn't allow (its word lists,
// booleans), attributes it requires that are left out, and attributes it calls obsolete.
// What each tag takes and requires is the profile's data (TagProfile::attributeRules).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document_check.h"
#include "name_cache.h"
#include "tag_profile.h"
#include "tag_scanner.h"

// One problem of a tag's attributes.
struct AttributeFinding {
    ProblemKind kind;
    // The attribute's name as read where the fault is one attribute's; null for an
    // attribute left out, which is the tag's fault.
    const char* at;
    uint32_t length;     // of the name at `at`
    std::string name;    // the attribute as read, or the table's name of one left out
    std::string detail;  // for a bad value: the value (or the word of it) at fault, cut short
};

// The longest part of a value a finding quotes, in bytes; a longer one is cut and "..." added.
constexpr size_t QuotedValueLength = 40;

// Reusable across tags: it keeps its buffers, so a page's tags cost no allocation.
class AttributeCheck {
public:
    explicit AttributeCheck(const TagProfile& profile);

    // Checks the first `count` attributes of an open or close tag of row `row` and adds
    // what is wrong to `out`, in the order of the attributes, then the ones left out.
    // `namesOnly`: the values are not to be trusted (the tag's quoting is broken), so only
    // the names are checked.
    void check(int row, bool closing, const ScannedAttribute* attributes, size_t count, bool namesOnly,
               std::vector<AttributeFinding>& out);
    // Whether a tag of row `row` with `count` attributes has anything to check: most close
    // tags and bare open tags have not.
    bool needed(int row, bool closing, size_t count) const {
        return count > 0 || (!closing && requires_[static_cast<size_t>(row)] != 0);
    }

private:
    struct Name {
        size_t at;       // in lower_
        uint32_t length;
        bool folded;     // lower_ holds it in lower case
        bool known;
        bool repeated;   // an earlier attribute of the tag has its name
        const AttributeRule* rule;  // the table's, for a name read in lower case
    };
    // The index among the checked attributes of the first named `lower`, or -1.
    int indexOf(const std::string& lower) const;
    void checkValue(const AttributeRule& rule, const ScannedAttribute& a, const Name& n,
                    std::vector<AttributeFinding>& out) const;
    bool conditionHolds(int row, const AttributeUse& use, const ScannedAttribute* attributes) const;
    bool nearMissOf(const std::string& required) const;

    // What the profile says of a name on a row, kept for the names a page repeats.
    struct CachedName {
        char lower[16];  // the name in lower case, zero-padded: as long as a cached name may be
        bool known;
        const AttributeRule* rule;
    };

    const TagProfile& profile_;
    std::vector<uint8_t> requires_;  // by row: 1 when it has required attributes
    // The uses of one name in a row's attributes taken only on a condition, [begin, end)
    // of AttributeRules::only, with the name's onlyNameBit.
    struct OnlyGroup {
        uint32_t begin;
        uint32_t end;
        uint64_t bit;
    };
    std::vector<std::vector<OnlyGroup>> onlyGroups_;  // by row
    std::vector<char> lower_;
    std::vector<Name> names_;
    NameCache<CachedName> cache_;
    static_assert(sizeof CachedName::lower == NameCache<CachedName>::Longest, "a cached name fits whole");
};

// A value as a finding quotes it: at most `longest` bytes, cut at a character's start and
// followed by "...", control characters shown as spaces.
std::string quotedValue(const char* value, size_t length, size_t longest = QuotedValueLength);
