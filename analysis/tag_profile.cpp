#include "tag_profile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "document.h"
#include "file_reader.h"
#include "name_suggestion.h"
#include "text.h"

namespace {

const char* const NoAttributes[] = {""};

// html4 and html5 read names as long as a census entry holds.
constexpr int HtmlNameLength = 79;
// No profile reads a longer name.
constexpr size_t LongestName = HtmlNameLength;

// The description of a close tag: "Table cell" gives "End of table cell"; a first word
// with capitals after its first letter ("SVG drawing") keeps its case.
std::string endOf(const std::string& description) {
    std::string tail = description;
    size_t word = tail.find(' ');
    bool plain = true;
    for (size_t i = 1; i < std::min(word, tail.size()); ++i) plain = plain && !isAsciiUpper(tail[i]);
    if (plain && !tail.empty()) tail[0] = lowerAscii(tail[0]);
    return "End of " + tail;
}

// The close row's part in the table context, from its open row's.
TableRole closeRoleOf(TableRole open) {
    if (open == TableRole::Table) return TableRole::TableEnd;
    return open == TableRole::Cell ? TableRole::Cell : TableRole::None;
}

// What tree building knows of an element by its name, as html5's table says: a tag a
// user's file adds to a profile is built into the tree as that name always is, since the
// file can't say it.
ElementTraits treeTraitsOf(const std::string& capitalName) {
    static const std::unordered_map<std::string, ElementTraits> traits = [] {
        std::unordered_map<std::string, ElementTraits> byName;
        std::vector<std::string> errors;
        for (const KnownTagDefinition& d :
             readKnownTags(Html5KnownTags.text, Html5KnownTags.size, "html5.known", errors, KnownTagForm::BuiltIn))
            byName.emplace(capitalised(d.name), d.traits);
        return byName;
    }();
    auto found = traits.find(capitalName);
    return found == traits.end() ? ElementTraits() : found->second;
}

// The attribute without a pattern's "*": what its length is measured by.
size_t patternStem(const std::string& attribute) {
    return !attribute.empty() && attribute.back() == '*' ? attribute.size() - 1 : attribute.size();
}

// True when the lower-case `lower` is `accepted`, or, for a pattern, begins with what
// comes before its "*" and goes on after it.
bool acceptsLower(const char* accepted, const char* lower) {
    while (*accepted && *accepted != '*' && *accepted == *lower) {
        ++accepted;
        ++lower;
    }
    if (*accepted == '\0') return *lower == '\0';
    return *accepted == '*' && *lower != '\0';
}

// The same for a name the platform's comparison must settle.
bool acceptsByComparison(const char* accepted, const char* attribute) {
    size_t n = strlen(accepted);
    if (n > 0 && accepted[n - 1] == '*') {
        if (strlen(attribute) <= n - 1) return false;
        std::string prefix(attribute, n - 1);
        return compareNoCase(std::string(accepted, n - 1).c_str(), prefix.c_str()) == 0;
    }
    return compareNoCase(accepted, attribute) == 0;
}

// FNV-1a of a name in lower case.
size_t lowerHash(const char* lower, size_t length) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < length; ++i) h = (h ^ static_cast<unsigned char>(lower[i])) * 16777619u;
    return h;
}

}  // namespace

const TagProfile& TagProfile::html32() {
    static const std::unique_ptr<TagProfile> profile = make("html32");
    if (!profile) abort();  // the compiled-in table is broken: its tests say how
    return *profile;
}

std::unique_ptr<TagProfile> TagProfile::make(const std::string& name) {
    if (name == "html32") {
        std::unique_ptr<TagProfile> profile = makeFromTable("html32", "html32.known", Html32KnownTags, false);
        // Its listings have always had these rows.
        return profile && profile->rowCount() == KnownTagCount ? std::move(profile) : nullptr;
    }
    if (name == "html4") {
        std::unique_ptr<TagProfile> profile = makeFromTable("html4", "html4.known", Html4KnownTags, true);
        if (profile) profile->byDtd_ = true;
        return profile;
    }
    if (name == "html5") return makeFromTable("html5", "html5.known", Html5KnownTags, true);
    return nullptr;
}

std::unique_ptr<TagProfile> TagProfile::makeFromTable(const char* name, const char* fileName,
                                                      const KnownTagTable& table, bool html) {
    std::unique_ptr<TagProfile> profile(new TagProfile());
    profile->name_ = name;
    profile->html_ = html;
    if (html) profile->nameLength_ = HtmlNameLength;
    std::vector<std::string> errors;
    if (!profile->addTags(table.text, table.size, fileName, KnownTagForm::BuiltIn, errors, nullptr)) return nullptr;
    return profile;
}

bool TagProfile::addKnownTags(const char* text, size_t size, const std::string& fileName,
                              std::vector<std::string>& errors, std::vector<std::string>* refused) {
    if (!addTags(text, size, fileName, KnownTagForm::User, errors, refused)) return false;
    if (!byDtd_) return true;
    userTags_.emplace_back(fileName, std::string(text, size));
    // A DTD's profile already made takes them now; the others when they are made.
    for (const std::unique_ptr<TagProfile>& dtd : dtdProfiles_) {
        std::vector<std::string> faults, leftOut;
        if (dtd) dtd->addTags(text, size, fileName, KnownTagForm::User, faults, &leftOut);
    }
    return true;
}

void TagProfile::makeDtdProfile(size_t i) const {
    static const struct {
        const char* file;
        const KnownTagTable& table;
    } Dtds[] = {{"html4-strict.known", Html4StrictKnownTags},
                {"html4-transitional.known", Html4TransitionalKnownTags},
                {"html4-frameset.known", Html4FramesetKnownTags}};
    std::unique_ptr<TagProfile> made = makeFromTable("html4", Dtds[i].file, Dtds[i].table, true);
    if (!made) return;
    // The lines are well formed, as this profile read them: what the DTD's profile refuses
    // (attributes for a tag the DTD lacks) its pages go without.
    for (const auto& [fileName, text] : userTags_) {
        std::vector<std::string> faults, leftOut;
        made->addTags(text.data(), text.size(), fileName, KnownTagForm::User, faults, &leftOut);
    }
    dtdProfiles_[i] = std::move(made);
}

const TagProfile& TagProfile::forPage(const char* text, size_t size) const {
    if (!byDtd_) return *this;
    const Html4Dtd dtd = html4DtdOf(text, size);
    if (dtd == Html4Dtd::None) return *this;
    const size_t i = static_cast<size_t>(dtd) - 1;
    // Pages are read on several threads at once.
    std::call_once(dtdOnce_[i], [&] { makeDtdProfile(i); });
    // Without the memory for the table, the merged vocabulary.
    return dtdProfiles_[i] ? *dtdProfiles_[i] : *this;
}

bool TagProfile::addTags(const char* text, size_t size, const std::string& fileName, KnownTagForm form,
                         std::vector<std::string>& errors, std::vector<std::string>* refused) {
    const size_t before = errors.size();
    const std::vector<KnownTagDefinition> definitions = readKnownTags(text, size, fileName, errors, form);
    std::vector<Tag> tags = tags_;
    std::vector<std::string> globals = globals_;
    apply(definitions, fileName, form, tags, globals, refused ? *refused : errors);
    if (errors.size() != before) return false;
    for (const KnownTagDefinition& d : definitions) {
        if (d.name != "*") continue;
        globalRules_.insert(globalRules_.end(), d.attributeRules.rules.begin(), d.attributeRules.rules.end());
        customElements_ = customElements_ || d.customElements;
        reservedNames_.insert(reservedNames_.end(), d.reserved.begin(), d.reserved.end());
        if (form == KnownTagForm::BuiltIn) globalValues_.insert(globalValues_.end(), d.values.begin(), d.values.end());
    }
    tags_ = std::move(tags);
    globals_ = std::move(globals);
    build();
    return true;
}

void TagProfile::apply(const std::vector<KnownTagDefinition>& definitions, const std::string& fileName,
                       KnownTagForm form, std::vector<Tag>& tags, std::vector<std::string>& globals,
                       std::vector<std::string>& refused) const {
    std::unordered_map<std::string, size_t> byName;
    for (size_t i = 0; i < tags.size(); ++i) byName.emplace(tags[i].name, i);
    const std::string tooLong = " characters the " + name_ + " profile reads";

    for (const KnownTagDefinition& d : definitions) {
        const std::string where = fileName + ":" + std::to_string(d.line) + ": ";
        bool fine = true;
        if (d.name.size() > static_cast<size_t>(nameLength_)) {
            refused.push_back(where + "'" + d.name + "' is longer than the " + std::to_string(nameLength_) + tooLong);
            fine = false;
        }
        for (const std::string& a : d.attributes) {
            if (patternStem(a) > static_cast<size_t>(nameLength_)) {
                refused.push_back(where + "'" + a + "' is longer than the " + std::to_string(nameLength_) + tooLong);
                fine = false;
            }
        }
        if (!fine) continue;

        if (d.name[0] == '/') {
            // A built-in table's close tag with its own description.
            tags[byName.at(capitalised(d.name.substr(1)))].closeDescription = d.description;
            continue;
        }
        std::vector<std::string>* attributes = &globals;
        if (d.name != "*") {
            const std::string name = capitalised(d.name);
            auto found = byName.find(name);
            if (found == byName.end()) {
                if (d.pairing == PairNone) {
                    refused.push_back(where + "'" + d.name + "' is not a tag of the " + name_ +
                                     " profile, so it needs a pairing");
                    continue;
                }
                Tag tag;
                tag.name = name;
                if (form == KnownTagForm::BuiltIn) {
                    tag.traits = d.traits;
                    tag.tableRole = d.tableRole;
                    tag.links = d.links;
                    tag.values = d.values;
                    tag.content = d.content;
                    tag.attributeRules = d.attributeRules;
                } else {
                    tag.traits = treeTraitsOf(name);
                }
                found = byName.emplace(name, tags.size()).first;
                tags.push_back(std::move(tag));
            }
            Tag& tag = tags[found->second];
            if (d.obsolete) tag.obsolete = true;
            if (d.pairing != PairNone) {
                tag.pairing = d.pairing;
                tag.closeName = d.pairing == PairVoid ? std::string() : "/" + name;
            }
            if (!d.description.empty()) {
                tag.description = d.description;
                tag.closeDescription = endOf(d.description);
            }
            attributes = &tag.attributes;
        }
        for (const std::string& a : d.attributes) {
            std::string lower = lowerCased(a);
            bool present = false;
            for (const std::string& held : *attributes) present = present || held == lower;
            if (!present) attributes->push_back(lower);
        }
    }
}

void TagProfile::build() {
    rows_.clear();
    details_.clear();
    bodyRows_.clear();
    attributeLists_.clear();
    for (uint32_t t = 0; t < tags_.size(); ++t) {
        const Tag& tag = tags_[t];
        std::vector<const char*>& list = attributeLists_.emplace_back();
        for (const std::string& a : tag.attributes) list.push_back(a.c_str());
        list.push_back("");
        if (tag.pairing == PairRaw || tag.pairing == PairForeign) bodyRows_.push_back(rowCount());
        rows_.push_back({tag.name.c_str(), tag.description.c_str(), list.data(), tag.pairing});
        details_.push_back({tag.tableRole, tag.obsolete, false, tag.traits, t});
        if (!tag.closeName.empty()) {
            rows_.push_back({tag.closeName.c_str(), tag.closeDescription.c_str(), NoAttributes, tag.pairing});
            details_.push_back({closeRoleOf(tag.tableRole), tag.obsolete, true, tag.traits, t});
        }
    }

    globalPrefixes_.clear();
    std::vector<const std::string*> names;
    for (const std::string& a : globals_) {
        if (a.back() == '*') {
            globalPrefixes_.push_back(a.substr(0, a.size() - 1));
        } else {
            names.push_back(&a);
        }
    }
    // An open-addressed table of the names, at least four slots a name.
    size_t globalSlots = 16;
    while (globalSlots < 4 * names.size()) globalSlots *= 2;
    globalSlots_.assign(globalSlots, nullptr);
    for (const std::string* a : names) {
        size_t h = lowerHash(a->data(), a->size());
        while (globalSlots_[h & (globalSlots - 1)]) ++h;
        globalSlots_[h & (globalSlots - 1)] = a;
    }

    // The tags' own names, at least four slots a name.
    size_t ownNames = 0;
    for (const Tag& tag : tags_) ownNames += tag.attributes.size();
    size_t attributeSlots = 16;
    while (attributeSlots < 4 * ownNames) attributeSlots *= 2;
    attributeSlots_.assign(attributeSlots, AttributeSlot{nullptr, 0});
    tagPatterns_.assign(tags_.size(), false);
    for (uint32_t t = 0; t < tags_.size(); ++t) {
        for (const std::string& a : tags_[t].attributes) {
            if (a.find('*') != std::string::npos) {
                tagPatterns_[t] = true;
                continue;
            }
            size_t h = lowerHash(a.data(), a.size()) + t * 40503u;
            while (attributeSlots_[h & (attributeSlots - 1)].name) ++h;
            attributeSlots_[h & (attributeSlots - 1)] = {&a, t};
        }
    }

    // The attribute rules, at least four slots a rule.
    std::vector<RuleSlot> rules;
    for (uint32_t t = 0; t < tags_.size(); ++t) {
        for (const AttributeRule& rule : tags_[t].attributeRules.rules) rules.push_back({&rule, t});
    }
    for (const AttributeRule& rule : globalRules_) rules.push_back({&rule, static_cast<uint32_t>(tags_.size())});
    size_t ruleSlots = 16;
    while (ruleSlots < 4 * rules.size()) ruleSlots *= 2;
    ruleSlots_.assign(ruleSlots, RuleSlot{nullptr, 0});
    ruleNames_.fill(0);
    for (const RuleSlot& r : rules) {
        const size_t hash = lowerHash(r.rule->name.data(), r.rule->name.size());
        // A later rule of the same name (a global one given twice) is not looked at.
        if (findRule(r.tag, hash, r.rule->name.data(), r.rule->name.size())) continue;
        ruleNames_[(hash >> 6) & 15] |= uint64_t(1) << (hash & 63);
        size_t h = hash + r.tag * 40503u;
        while (ruleSlots_[h & (ruleSlots - 1)].rule) ++h;
        ruleSlots_[h & (ruleSlots - 1)] = r;
    }

    // At least four slots a row keeps the probes short.
    size_t slotCount = 16;
    while (slotCount < 4 * rows_.size()) slotCount *= 2;
    slots_.assign(slotCount, Slot{-1, 0});
    nameLengths_.assign(rows_.size(), 0);
    longestRowName_ = 0;
    for (int r = 0; r < rowCount(); ++r) {
        size_t length;
        const uint32_t hash = foldedHash(rows_[static_cast<size_t>(r)].name, length);
        nameLengths_[static_cast<size_t>(r)] = static_cast<uint8_t>(length);
        if (length > longestRowName_) longestRowName_ = length;
        uint32_t h = hash;
        while (slots_[h & (slotCount - 1)].row >= 0) ++h;
        slots_[h & (slotCount - 1)] = Slot{r, hash};
    }
    commentRow_ = find("!-");
    resolveContent();
}

void TagProfile::resolveContent() {
    contentRules_.assign(tags_.size(), ContentRules());
    const size_t words = (rows_.size() + 63) / 64;
    // A name the profile doesn't have (a user's table may drop nothing, but may lack
    // what the built-in table names) takes no part.
    // No names, no words: an empty set is what the check looks for.
    auto rowsOf = [&](const std::vector<std::string>& names, std::vector<uint64_t>& bits) {
        bits.assign(names.empty() ? 0 : words, 0);
        for (const std::string& n : names) {
            const int r = find(n.c_str());
            if (r >= 0) bits[static_cast<size_t>(r) / 64] |= uint64_t(1) << (static_cast<size_t>(r) % 64);
        }
    };
    for (size_t t = 0; t < tags_.size(); ++t) {
        const ContentText& text = tags_[t].content;
        ContentRules& rules = contentRules_[t];
        rules.known = text.given;
        rules.transparent = text.transparent;
        rules.anywhere = text.anywhere;
        rules.checksChildren = text.holdsGiven;
        rules.categories = text.categories;
        rules.conditional = text.conditional;
        rules.holdsCategories = text.holdsCategories;
        rowsOf(text.holds, rules.holdsRows);
        rules.forbidsCategories = text.forbidsCategories;
        rowsOf(text.forbids, rules.forbidsRows);
        for (const std::vector<std::string>& group : text.needs) {
            std::vector<int>& rows = rules.needs.emplace_back();
            for (const std::string& n : group) {
                if (find(n.c_str()) >= 0) rows.push_back(find(n.c_str()));
            }
            if (rows.empty()) rules.needs.pop_back();
        }
        if (!text.follows.empty()) {
            rules.follows = find(text.follows.c_str());
            rules.followedBy = find(text.followedBy.c_str());
        }
    }
}

int TagProfile::findByScan(const char* name) const {
    for (int r = 0; r < rowCount(); ++r) {
        if (compareNoCase(rows_[static_cast<size_t>(r)].name, name) == 0) return r;
    }
    return -1;
}

int TagProfile::find(const char* name) const {
    // The hash finds what a scan of the rows in order would, for every name whose
    // equality is plain case folding; the others take the scan.
    if (!foldsExactly(name)) return findByScan(name);
    size_t length;
    const uint32_t hash = foldedHash(name, length);
    if (length > longestRowName_) return -1;
    const size_t mask = slots_.size() - 1;
    for (uint32_t h = hash;; ++h) {
        const Slot& slot = slots_[h & mask];
        if (slot.row < 0) return -1;
        if (slot.hash == hash && nameLengths_[static_cast<size_t>(slot.row)] == length &&
            foldedEqual(rows_[static_cast<size_t>(slot.row)].name, name, length))
            return slot.row;
    }
}

const char* TagProfile::describe(const char* name) const {
    int r = find(name);
    if (r >= 0) return rows_[static_cast<size_t>(r)].description;
    if (name[0] == '/' && isCustomElement(name + 1)) return "Custom element end";
    if (isCustomElement(name)) return "Custom element";
    return "";
}

bool TagProfile::acceptedAsLowerCase(const char* lower, size_t length, size_t hash, int r) const {
    const RowDetails& row = details_[static_cast<size_t>(r)];
    if (!row.close) {
        // A close row takes no names of its own.
        const size_t mask = attributeSlots_.size() - 1;
        for (size_t h = hash + row.tag * 40503u;; ++h) {
            const AttributeSlot& slot = attributeSlots_[h & mask];
            if (!slot.name) break;
            if (slot.tag == row.tag && slot.name->size() == length && memcmp(slot.name->data(), lower, length) == 0)
                return true;
        }
        if (tagPatterns_[row.tag]) {
            for (const char* const* a = rows_[static_cast<size_t>(r)].attributes; **a; ++a) {
                if (acceptsLower(*a, lower)) return true;
            }
        }
    }
    const size_t mask = globalSlots_.size() - 1;
    for (size_t h = hash;; ++h) {
        const std::string* a = globalSlots_[h & mask];
        if (!a) break;
        if (a->size() == length && memcmp(a->data(), lower, length) == 0) return true;
    }
    for (const std::string& prefix : globalPrefixes_) {
        if (prefix.size() < length && memcmp(prefix.data(), lower, prefix.size()) == 0) return true;
    }
    return false;
}

const TagProfile::RuleSlot* TagProfile::findRule(uint32_t tag, size_t hash, const char* lower, size_t length) const {
    const size_t mask = ruleSlots_.size() - 1;
    for (size_t h = hash + tag * 40503u;; ++h) {
        const RuleSlot& slot = ruleSlots_[h & mask];
        if (!slot.rule) return nullptr;
        if (slot.tag == tag && slot.rule->name.size() == length && memcmp(slot.rule->name.data(), lower, length) == 0)
            return &slot;
    }
}

const AttributeRule* TagProfile::attributeRule(int r, const char* lower, size_t length) const {
    return ruleOf(r, lower, length, lowerHash(lower, length));
}

const AttributeRule* TagProfile::ruleOf(int r, const char* lower, size_t length, size_t hash) const {
    if (!(ruleNames_[(hash >> 6) & 15] >> (hash & 63) & 1)) return nullptr;
    const RuleSlot* own = findRule(details_[static_cast<size_t>(r)].tag, hash, lower, length);
    if (own) return own->rule;
    const RuleSlot* global = findRule(static_cast<uint32_t>(tags_.size()), hash, lower, length);
    return global ? global->rule : nullptr;
}

bool TagProfile::hasLowerAttribute(const char* lower, size_t length, int r) const {
    return takesLower(lower, length, lowerHash(lower, length), r);
}

bool TagProfile::takesLower(const char* lower, size_t length, size_t hash, int r) const {
    if (acceptedAsLowerCase(lower, length, hash, r)) return true;
    return !details_[static_cast<size_t>(r)].close && tagOf(r).attributeRules.anyAttributes &&
           memchr(lower, ':', length) == nullptr;
}

TagProfile::AttributeLookup TagProfile::lookupAttribute(int r, const char* lower, size_t length) const {
    const size_t hash = lowerHash(lower, length);
    return {takesLower(lower, length, hash, r), ruleOf(r, lower, length, hash)};
}

bool TagProfile::hasAttribute(const char* attribute, int r) const {
    // The accepted names are in lower case: fold the name once and compare bytes, unless
    // the platform's comparison must settle it or it is longer than any name read.
    char lower[LongestName + 1];
    size_t length = 0;
    bool folded = foldsExactly(attribute);
    for (; folded && attribute[length]; ++length) {
        if (length == LongestName) {
            folded = false;
            break;
        }
        lower[length] = lowerAscii(attribute[length]);
    }
    if (folded) {
        lower[length] = '\0';
        return hasLowerAttribute(lower, length, r);
    }
    if (!details_[static_cast<size_t>(r)].close && tagOf(r).attributeRules.anyAttributes && !strchr(attribute, ':'))
        return true;
    for (const char* const* a = rows_[static_cast<size_t>(r)].attributes; **a; ++a) {
        if (acceptsByComparison(*a, attribute)) return true;
    }
    for (const std::string& a : globals_) {
        if (acceptsByComparison(a.c_str(), attribute)) return true;
    }
    return false;
}

int TagProfile::nearestElement(const char* name, size_t length, bool* sole, bool* unclear,
                               std::vector<int>* tied) const {
    NearestName nearest(name, length);
    for (int r = 0; r < rowCount(); ++r) {
        const char* rowName = rows_[static_cast<size_t>(r)].name;
        if (details_[static_cast<size_t>(r)].close || !isAsciiLetter(rowName[0])) continue;
        nearest.consider(rowName, nameLengths_[static_cast<size_t>(r)], r);
    }
    if (sole) *sole = nearest.sole();
    if (unclear) *unclear = nearest.unclear();
    if (tied) *tied = nearest.tied();
    return nearest.chosen();
}

const char* TagProfile::nearestAttribute(const char* name, size_t length, int r, bool* sole,
                                         std::vector<const char*>* tied) const {
    NearestName nearest(name, length);
    const char* const* own = rows_[static_cast<size_t>(r)].attributes;
    int count = 0;
    for (; *own[count]; ++count) nearest.consider(own[count], strlen(own[count]), count);
    for (size_t g = 0; g < globals_.size(); ++g) {
        if (globals_[g].back() != '*') nearest.consider(globals_[g].data(), globals_[g].size(), count + static_cast<int>(g));
    }
    auto nameOf = [&](int id) { return id < count ? own[id] : globals_[static_cast<size_t>(id - count)].c_str(); };
    const int chosen = nearest.chosen();
    if (sole) *sole = nearest.sole();
    if (tied) {
        tied->clear();
        for (int id : nearest.tied()) tied->push_back(nameOf(id));
    }
    return chosen < 0 ? nullptr : nameOf(chosen);
}

std::string TagProfile::attributeText(int r) const {
    std::string text;
    for (const char* const* a = rows_[static_cast<size_t>(r)].attributes; **a; ++a) text.append(*a).push_back(' ');
    return text;
}

std::string TagProfile::globalAttributeText() const {
    std::string text;
    for (const std::string& a : globals_) text.append(a).push_back(' ');
    return text;
}

int TagProfile::skippedBodyEnd(const char* word) const {
    if (!html_) {
        for (int r : bodyRows_) {
            if (startsWithTagName(word, rows_[static_cast<size_t>(r)].name)) return r + 1;
        }
        return -1;
    }
    int r = find(word);
    return r >= 0 && (opensText(r) || opensForeign(r)) ? r + 1 : -1;
}

bool TagProfile::isCustomElement(const char* name) const {
    if (!customElements_ || !isAsciiLetter(name[0])) return false;
    bool hyphen = false;
    for (auto p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        hyphen = hyphen || *p == '-';
        bool allowed = isAsciiLetter(*p) || isDigit(*p) || *p == '-' || *p == '.' || *p == '_' || *p >= 0x80;
        if (!allowed) return false;
    }
    if (!hyphen) return false;
    for (const std::string& kept : reservedNames_) {
        if (equalNoCase(name, kept.c_str())) return false;
    }
    return true;
}

namespace {

// Adds every known-tag file to each of `profiles`, a file that can't be read ending the
// reading. False when a file can't be read or a line is malformed; those faults are
// written once, however many profiles read the file.
bool addKnownTagFiles(const std::vector<std::string>& knownFiles, TagProfile* const* profiles, size_t count,
                      std::vector<std::string>* refused, std::vector<std::string>& errors) {
    for (const std::string& path : knownFiles) {
        FileBlock block;
        if (!readWholeFile(path.c_str(), block)) {
            errors.push_back("tagvetter: Can't open file: " + path);
            return false;
        }
        bool good = true;
        for (size_t i = 0; i < count; ++i) {
            std::vector<std::string> faults;
            if (!profiles[i]->addKnownTags(block.bytes, block.size, path, faults, refused ? &refused[i] : nullptr)) {
                good = false;
                if (i == 0) errors.insert(errors.end(), faults.begin(), faults.end());
            }
        }
        free(block.bytes);
        if (!good) return false;
    }
    return true;
}

// "FILE:LINE: " of a known-tag fault.
std::string placeOf(const std::string& fault) {
    const size_t colon = fault.find(": ");
    return colon == std::string::npos ? fault : fault.substr(0, colon + 2);
}

}  // namespace

std::unique_ptr<TagProfile> makeProfileWithKnownTags(const std::string& name,
                                                     const std::vector<std::string>& knownFiles,
                                                     std::vector<std::string>& errors) {
    std::unique_ptr<TagProfile> profile = TagProfile::make(name);
    if (!profile) {
        errors.push_back("tagvetter: the " + name + " profile can't be made");
        return nullptr;
    }
    TagProfile* one = profile.get();
    if (!addKnownTagFiles(knownFiles, &one, 1, nullptr, errors)) return nullptr;
    return profile;
}

bool makeDoctypeProfiles(const std::vector<std::string>& knownFiles, DoctypeProfiles& profiles,
                         std::vector<std::string>& errors) {
    TagProfile* made[3];
    for (size_t i = 0; i < profiles.size(); ++i) made[i] = (profiles[i] = TagProfile::make(DoctypeProfileNames[i])).get();
    std::vector<std::string> refused[3];
    const size_t before = errors.size();
    addKnownTagFiles(knownFiles, made, profiles.size(), refused, errors);
    // A line is a fault only when every profile refused it.
    const size_t fine = errors.size();
    for (const std::string& fault : refused[0]) {
        const std::string place = placeOf(fault);
        auto refusedBy = [&](const std::vector<std::string>& faults) {
            return std::any_of(faults.begin(), faults.end(), [&](const std::string& f) { return placeOf(f) == place; });
        };
        if (!refusedBy(refused[1]) || !refusedBy(refused[2])) continue;
        for (const auto& faults : refused) {
            for (const std::string& f : faults) {
                if (placeOf(f) == place && std::find(errors.begin() + fine, errors.end(), f) == errors.end())
                    errors.push_back(f);
            }
        }
    }
    return errors.size() == before;
}
