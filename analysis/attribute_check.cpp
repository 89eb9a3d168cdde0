#include "attribute_check.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "name_suggestion.h"
#include "text.h"

namespace {

bool isAsciiWhitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

// True when `word` is one of `values`, letter case ignored (the values are lower case).
bool oneOf(std::string_view word, const std::vector<std::string>& values) {
    for (const std::string& v : values) {
        if (equalBytesNoCase(word, v)) return true;
    }
    return false;
}

bool beginsWithOneOf(std::string_view word, const std::vector<std::string>& prefixes) {
    for (const std::string& p : prefixes) {
        if (word.size() > p.size() && startsWithNoCase(word, p)) return true;
    }
    return false;
}

// Past this many attributes on one tag, the names given twice are found by a set, not by
// comparing each with every earlier one.
constexpr size_t PairwiseLimit = 32;

// A finding of the attribute `a`, out of the loops over a tag's attributes: the name's copy
// is made only for a fault.
void addFinding(std::vector<AttributeFinding>& out, ProblemKind kind, const ScannedAttribute& a,
                std::string detail = std::string()) {
    out.push_back({kind, a.name, a.length, std::string(a.name, a.length), std::move(detail)});
}

}  // namespace

std::string quotedValue(const char* value, size_t length, size_t longest) {
    size_t kept = length;
    if (length > longest) {
        kept = longest;
        // Back to the first byte of a UTF-8 sequence.
        while (kept > 0 && (static_cast<unsigned char>(value[kept]) & 0xC0) == 0x80) --kept;
    }
    std::string text(value, kept);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    }
    if (kept < length) text += "...";
    return text;
}

AttributeCheck::AttributeCheck(const TagProfile& profile)
    : profile_(profile), requires_(static_cast<size_t>(profile.rowCount())),
      onlyGroups_(static_cast<size_t>(profile.rowCount())) {
    for (int r = 0; r < profile.rowCount(); ++r) {
        const AttributeRules& rules = profile.attributeRules(r);
        requires_[static_cast<size_t>(r)] = !rules.required.empty();
        for (size_t u = 0; u < rules.only.size();) {
            size_t end = u;
            while (end < rules.only.size() && rules.only[end].name == rules.only[u].name) ++end;
            const std::string& name = rules.only[u].name;
            onlyGroups_[static_cast<size_t>(r)].push_back(
                {static_cast<uint32_t>(u), static_cast<uint32_t>(end), onlyNameBit(name[0], name.size())});
            u = end;
        }
    }
}

int AttributeCheck::indexOf(const std::string& lower) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        const Name& n = names_[i];
        if (n.folded && n.length == lower.size() && memcmp(&lower_[n.at], lower.data(), n.length) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

bool AttributeCheck::conditionHolds(int row, const AttributeUse& use, const ScannedAttribute* attributes) const {
    if (use.condition.empty()) return true;
    const int i = indexOf(use.condition);
    if (use.defaulted) {
        // Absent, or a value none of its words: the attribute's default state.
        if (i < 0) return true;
        const ScannedAttribute& a = attributes[i];
        const AttributeRule* rule = profile_.attributeRule(row, use.condition.data(), use.condition.size());
        return rule && !rule->values.empty() && !oneOf(std::string_view(a.value ? a.value : "", a.valueLength), rule->values);
    }
    if (i < 0) return false;
    if (use.value.empty()) return true;
    const ScannedAttribute& a = attributes[i];
    return equalBytesNoCase(std::string_view(a.value ? a.value : "", a.valueLength), use.value);
}

bool AttributeCheck::nearMissOf(const std::string& required) const {
    for (const Name& n : names_) {
        if (!n.known && n.folded &&
            editDistanceWithin(&lower_[n.at], n.length, required.data(), required.size(), 2) <= 2)
            return true;
    }
    return false;
}

void AttributeCheck::checkValue(const AttributeRule& rule, const ScannedAttribute& a, const Name& n,
                                std::vector<AttributeFinding>& out) const {
    const std::string_view name(&lower_[n.at], n.length);
    auto bad = [&](const char* from, size_t length) {
        addFinding(out, ProblemKind::BadAttributeValue, a, quotedValue(from, length));
    };
    if (!a.value) {
        // Written bare: the empty value in current HTML; in HTML 4.01 the attribute's own
        // name as its value (<td nowrap>).
        if (rule.boolean || rule.tokens || rule.values.empty()) return;
        if (!oneOf("", rule.values) && !oneOf(name, rule.values)) bad("", 0);
        return;
    }
    const std::string_view value(a.value, a.valueLength);
    if (rule.boolean) {
        if (!value.empty() && !equalBytesNoCase(value, name)) bad(a.value, a.valueLength);
        return;
    }
    if (rule.tokens) {
        // Each word of the list on its own.
        size_t at = 0;
        while (at < value.size()) {
            while (at < value.size() && isAsciiWhitespace(value[at])) ++at;
            size_t end = at;
            while (end < value.size() && !isAsciiWhitespace(value[end])) ++end;
            if (end > at) {
                const std::string_view word = value.substr(at, end - at);
                if (!oneOf(word, rule.values) && !beginsWithOneOf(word, rule.prefixes)) {
                    bad(word.data(), word.size());
                    return;
                }
            }
            at = end;
        }
        return;
    }
    if (!rule.values.empty() && !oneOf(value, rule.values)) bad(a.value, a.valueLength);
}

void AttributeCheck::check(int row, bool closing, const ScannedAttribute* attributes, size_t count, bool namesOnly,
                           std::vector<AttributeFinding>& out) {
    if (!needed(row, closing, count)) return;
    const AttributeRules& rules = profile_.attributeRules(row);
    names_.clear();
    if (lower_.size() < count * ScannedNameSize) lower_.resize(count * ScannedNameSize);
    uint64_t onlyBits = 0;  // onlyNameBit of each name
    for (size_t i = 0; i < count; ++i) {
        const ScannedAttribute& a = attributes[i];
        // Filled field by field where it stays: a copy read whole from fields just written
        // would wait on them.
        Name& n = names_.emplace_back();
        n.at = i * ScannedNameSize;
        n.length = a.length;
        n.folded = true;
        char* lower = &lower_[n.at];
        if (const CachedName* cached = cache_.find(a.name, a.length, row)) {
            memcpy(lower, cached->lower, sizeof cached->lower);
            lower[a.length] = '\0';
            n.known = cached->known;
            n.rule = cached->rule;
        } else {
            for (uint32_t k = 0; k < a.length; ++k) lower[k] = lowerAscii(a.name[k]);
            lower[a.length] = '\0';
            n.folded = foldsExactly(lower);
            if (n.folded) {
                const TagProfile::AttributeLookup found = profile_.lookupAttribute(row, lower, a.length);
                n.known = found.known;
                n.rule = found.rule;
                if (a.length <= sizeof CachedName::lower) {
                    CachedName kept{{}, n.known, n.rule};
                    memcpy(kept.lower, lower, a.length);
                    cache_.keep(a.name, a.length, row, kept);
                }
            } else {
                memcpy(lower, a.name, a.length);
                n.known = profile_.hasAttribute(lower, row);
            }
        }
        onlyBits |= onlyNameBit(lower[0], n.length);
        if (!n.known) {
            addFinding(out, ProblemKind::UnknownAttribute, a);
        }
    }
    if (namesOnly) return;

    // The names given twice: a browser keeps the first, so the later ones are the fault.
    if (count <= PairwiseLimit) {
        for (size_t i = 1; i < count; ++i) {
            Name& n = names_[i];
            for (size_t j = 0; j < i && n.folded && !n.repeated; ++j) {
                const Name& m = names_[j];
                n.repeated = m.length == n.length && m.folded && lower_[m.at] == lower_[n.at] &&
                             memcmp(&lower_[m.at], &lower_[n.at], n.length) == 0;
            }
        }
    } else {
        std::unordered_set<std::string_view> seen;
        for (Name& n : names_) {
            if (n.folded) n.repeated = !seen.insert(std::string_view(&lower_[n.at], n.length)).second;
        }
    }

    for (size_t i = 0; i < count; ++i) {
        const ScannedAttribute& a = attributes[i];
        const Name& n = names_[i];
        if (!n.known || !n.folded) continue;
        if (n.repeated) {
            addFinding(out, ProblemKind::DuplicateAttribute, a);
            continue;
        }
        const AttributeRule* rule = n.rule;
        if (!rule) continue;
        if (rule->obsolete)
            addFinding(out, ProblemKind::ObsoleteAttribute, a);
        checkValue(*rule, a, n, out);
    }

    if (closing) return;
    // The uses of one name: it is in place when one of their conditions holds. Most tags
    // lack the names: their conditions are not worth weighing then.
    const bool anyOnly = (rules.onlyNames & onlyBits) != 0;
    const std::vector<OnlyGroup>& groups = onlyGroups_[static_cast<size_t>(row)];
    for (size_t g = 0; anyOnly && g < groups.size(); ++g) {
        const OnlyGroup& group = groups[g];
        if ((group.bit & onlyBits) == 0) continue;
        const size_t u = group.begin, end = group.end;
        const int i = indexOf(rules.only[u].name);
        if (i < 0) continue;
        bool holds = false;
        for (size_t k = u; k < end && !holds; ++k) holds = conditionHolds(row, rules.only[k], attributes);
        if (!holds && !names_[static_cast<size_t>(i)].repeated) {
            // What it stands with instead: the value the condition's attribute has, or its absence.
            const AttributeUse* valued = &rules.only[u];
            for (size_t k = u; k < end; ++k) {
                if (!rules.only[k].value.empty()) valued = &rules.only[k];
            }
            const int other = indexOf(valued->condition);
            std::string lacks = (other >= 0 ? "" : "no ") + valued->condition;
            if (other >= 0 && !valued->value.empty()) {
                const ScannedAttribute& o = attributes[other];
                lacks = valued->condition + "=\"" + quotedValue(o.value ? o.value : "", o.valueLength) + "\"";
            }
            const ScannedAttribute& a = attributes[i];
            addFinding(out, ProblemKind::MisplacedAttribute, a, std::move(lacks));
        }
    }
    const size_t before = out.size();
    for (const AttributeUse& use : rules.required) {
        if (!conditionHolds(row, use, attributes) || indexOf(use.name) >= 0) continue;
        // Required on any of several conditions (a meta's content): reported once.
        bool reported = false;
        for (size_t f = before; f < out.size(); ++f) reported = reported || out[f].name == use.name;
        if (reported) continue;
        // A misspelt name is the one fault, reported as unknown.
        if (nearMissOf(use.name)) continue;
        out.push_back({ProblemKind::MissingAttribute, nullptr, 0, use.name, ""});
    }
}
