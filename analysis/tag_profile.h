// A profile: the vocabulary the analyses check tags against and describe them by, and the
// way its pages are read. Three are built in, each made from its data file: html32, the
// 1990s table (html32.known: the window program's default); html4 and html5 (html4.known,
// html5.known), whose pages are read as HTML reads them and checked as a tree of elements.
// html4 holds a profile of each HTML 4.01 DTD besides (html4-strict.known, ...), for the
// pages whose doctype names one (forPage). Each can take the user's own known tags on top
// (`--known FILE`).
//
// Each close row directly follows its open row and has its kind, so the open row of a
// close row r is r - 1.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "known_tag_file.h"
#include "known_tags.h"
#include "page_profile.h"

class TagProfile {
public:
    // The html32 profile, built once; any thread may read it.
    static const TagProfile& html32();
    // A new profile of the given name ("html32", "html4" or "html5"), to take the user's
    // known tags; null for any other name.
    static std::unique_ptr<TagProfile> make(const std::string& name);

    TagProfile(const TagProfile&) = delete;
    TagProfile& operator=(const TagProfile&) = delete;

    // Adds the known tags of `text` (`size` bytes of the file `fileName`) to, or over,
    // this profile's. Each problem adds one "FILE:LINE: what is wrong" to `errors`, and
    // any problem leaves the profile as it was. False when there was one. With `refused`,
    // a well-formed line this profile can't hold (a name too long for it, a new tag
    // without a pairing) is left out and its reason goes there instead.
    // html4 adds them to the profile of each DTD too, but a line one of those can't hold
    // (attributes for a tag its DTD lacks) is left out of it alone, unreported.
    bool addKnownTags(const char* text, size_t size, const std::string& fileName, std::vector<std::string>& errors,
                      std::vector<std::string>* refused = nullptr);

    // The profile to read the page `text` (`size` bytes) with: html4's profile of the DTD
    // its doctype names (html4DtdOf), named "html4" too; this profile itself for any other
    // page, and for html32 and html5.
    const TagProfile& forPage(const char* text, size_t size) const;

    const std::string& name() const { return name_; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const TagEntry& row(int r) const { return rows_[static_cast<size_t>(r)]; }
    size_t rowNameLength(int r) const { return nameLengths_[static_cast<size_t>(r)]; }
    // True when row `r` opens contents that are text, not tags (a script's body): they
    // are skipped up to the first close tag.
    bool opensText(int r) const { return row(r).kind == PairRaw && !details_[static_cast<size_t>(r)].close; }
    // True when row `r` opens another vocabulary (an svg drawing): it is skipped up to the
    // matching close tag.
    bool opensForeign(int r) const { return row(r).kind == PairForeign && !details_[static_cast<size_t>(r)].close; }
    TableRole tableRole(int r) const { return details_[static_cast<size_t>(r)].tableRole; }
    // True for a tag of earlier HTML that the current standard calls obsolete.
    bool isObsolete(int r) const { return details_[static_cast<size_t>(r)].obsolete; }
    const ElementTraits& traits(int r) const { return details_[static_cast<size_t>(r)].traits; }
    // What the attributes of row `r`'s tag say of other pages and files.
    const LinkAttributes& links(int r) const { return tagOf(r).links; }
    // The attributes of row `r`'s own whose values name an id, a map or a URL, and those
    // of every tag (the check of ids, references and URLs).
    const std::vector<ValueAttribute>& valueAttributes(int r) const { return tagOf(r).values; }
    const std::vector<ValueAttribute>& globalValueAttributes() const { return globalValues_; }
    int commentRow() const { return commentRow_; }
    // The most characters of a tag word or an attribute name the analyses read (the
    // check reads one more of a tag's name).
    int nameLength() const { return nameLength_; }
    // html4 and html5: tags are read as HTML reads them (tag_scanner.h) and the check
    // builds the page's tree of elements.
    bool readsAsHtml() const { return html_; }
    // html5: the current standard's rules for what isn't tags (its character references,
    // UTF-8 when a page names no encoding).
    bool isCurrentHtml() const { return html_ && name_ == "html5"; }
    // True when `name` is a custom element's, known with any attributes and nesting like
    // a div (html5): it begins with a letter a-z and holds a "-" (letter case ignored, as
    // for every name), holds nothing but letters, digits, "-", ".", "_" and bytes above
    // 127, and is none of the names the table keeps for other vocabularies.
    bool isCustomElement(const char* name) const;

    // What the content check (content_model.h) knows of an element: where it may stand
    // and what it may hold, with the names resolved to open rows.
    struct ContentRules {
        bool known = false;        // without, the element stands anywhere and holds anything
        bool transparent = false;  // its children are checked against its parent's model
        bool anywhere = false;     // it may stand in any element
        bool checksChildren = false;
        uint16_t categories = 0;
        std::vector<ConditionalCategory> conditional;
        uint16_t holdsCategories = 0;
        std::vector<uint64_t> holdsRows;  // a bit per open row
        uint16_t forbidsCategories = 0;
        std::vector<uint64_t> forbidsRows;
        std::vector<std::vector<int>> needs;  // each: at least one child of these rows
        int follows = -1, followedBy = -1;
    };
    // The content rules of open row `r`.
    const ContentRules& content(int r) const { return contentRules_[details_[static_cast<size_t>(r)].tag]; }
    // True when the bit of `row` is set in a row set of ContentRules.
    static bool hasRow(const std::vector<uint64_t>& rows, int row) {
        const size_t word = static_cast<size_t>(row) / 64;
        return word < rows.size() && (rows[word] >> (static_cast<size_t>(row) % 64) & 1) != 0;
    }

    // The row whose name equals `name` without regard to case, or -1.
    int find(const char* name) const;
    // The description of the tag word `name`: its row's, a custom element's, or "".
    const char* describe(const char* name) const;
    // True when the check looks at the attributes of row `r` at all: html32 leaves the
    // rows without attributes unchecked.
    bool checksAttributes(int r) const { return html_ || row(r).attributes[0][0] != '\0'; }
    // True when row `r` takes `attribute`: one of its own or one every tag takes.
    bool hasAttribute(const char* attribute, int r) const;
    // "Did you mean": the open row of the element whose name is nearest to the unknown
    // element `name` (`length` characters), when one alone is near (name_suggestion.h);
    // -1 otherwise. `sole`, when given, is set to whether it is the only element within
    // two edits (NearestName::sole); `unclear`, to whether several are as near
    // (NearestName::unclear).
    // `tied`, when given, receives the open rows of every element as near as the nearest.
    int nearestElement(const char* name, size_t length, bool* sole = nullptr, bool* unclear = nullptr,
                       std::vector<int>* tied = nullptr) const;
    // The same for an attribute that row `r` doesn't take, among its own attributes and
    // the global ones named in full (not the patterns such as data-*): the name in lower
    // case, or null; `sole` as for nearestElement.
    // `tied`, when given, receives every name as near as the nearest.
    const char* nearestAttribute(const char* name, size_t length, int r, bool* sole = nullptr,
                                 std::vector<const char*>* tied = nullptr) const;
    // The same for an attribute name already in lower case, `length` bytes long.
    bool hasLowerAttribute(const char* lower, size_t length, int r) const;
    // Both what hasLowerAttribute and attributeRule say of the lower-case `lower`, with
    // one hash of the name.
    struct AttributeLookup {
        bool known = false;
        const AttributeRule* rule = nullptr;
    };
    AttributeLookup lookupAttribute(int r, const char* lower, size_t length) const;
    // What the table says of the attributes of row `r`'s tag beyond their names.
    const AttributeRules& attributeRules(int r) const { return tagOf(r).attributeRules; }
    // The rule of the lower-case attribute `lower` on row `r`: its tag's own, else the one
    // every tag has; null when there is none.
    const AttributeRule* attributeRule(int r, const char* lower, size_t length) const;
    // The attribute names of row `r`, each followed by one space.
    std::string attributeText(int r) const;
    // The attributes every tag takes, each followed by one space; "" when none.
    std::string globalAttributeText() const;
    // The close row up to which the census and the tag listing skip the body of a tag
    // read as `word`, or -1 when they don't. html32 skips for every word that begins
    // with SCRIPT or PRE, html4 and html5 for the words of rows whose contents aren't markup.
    int skippedBodyEnd(const char* word) const;

private:
    TagProfile() = default;

    // One tag, with its close tag.
    struct Tag {
        std::string name;  // in capitals
        std::string closeName;
        PairKind pairing = PairNone;  // never PairNone once defined
        bool obsolete = false;
        std::string description;
        std::string closeDescription;
        std::vector<std::string> attributes;  // in lower case
        ElementTraits traits;
        TableRole tableRole = TableRole::None;
        LinkAttributes links;
        std::vector<ValueAttribute> values;
        ContentText content;
        AttributeRules attributeRules;
    };
    struct RowDetails {
        TableRole tableRole;
        bool obsolete;
        bool close;  // the row of a close tag
        ElementTraits traits;
        uint32_t tag;  // in tags_
    };

    // A profile from its built-in table.
    static std::unique_ptr<TagProfile> makeFromTable(const char* name, const char* fileName,
                                                     const KnownTagTable& table, bool html);
    // Makes dtdProfiles_[i] with the user's known tags: null when it can't be had.
    void makeDtdProfile(size_t i) const;
    bool addTags(const char* text, size_t size, const std::string& fileName, KnownTagForm form,
                 std::vector<std::string>& errors, std::vector<std::string>* refused);
    // Checks and applies one file's definitions to `tags` and `globals`; a definition the
    // profile can't hold has its reason added to `refused`.
    void apply(const std::vector<KnownTagDefinition>& definitions, const std::string& fileName, KnownTagForm form,
               std::vector<Tag>& tags, std::vector<std::string>& globals, std::vector<std::string>& refused) const;
    const Tag& tagOf(int r) const { return tags_[details_[static_cast<size_t>(r)].tag]; }
    // Makes the rows, their details and the name index from tags_ and globals_.
    void build();
    // Makes contentRules_ from each tag's ContentText, once the rows are known.
    void resolveContent();
    int findByScan(const char* name) const;
    bool acceptedAsLowerCase(const char* lower, size_t length, size_t hash, int r) const;
    bool takesLower(const char* lower, size_t length, size_t hash, int r) const;
    const AttributeRule* ruleOf(int r, const char* lower, size_t length, size_t hash) const;

    std::string name_;
    // html4: the profiles of the Strict, Transitional and Frameset DTDs, in the order of
    // Html4Dtd after None, each made when a page first names its DTD: making the three
    // up front would add some 3 ms to every run. `userTags_` are the known-tag files
    // added, by file name, for them to take in turn.
    bool byDtd_ = false;
    mutable std::array<std::once_flag, 3> dtdOnce_;
    mutable std::array<std::unique_ptr<TagProfile>, 3> dtdProfiles_;
    std::vector<std::pair<std::string, std::string>> userTags_;
    bool html_ = false;
    bool customElements_ = false;
    int nameLength_ = 18;
    std::vector<Tag> tags_;
    std::vector<std::string> globals_;  // in lower case; a name ending in "*" is a pattern
    std::vector<AttributeRule> globalRules_;  // the rules of attributes every tag takes
    // Every rule by the hash of its tag (tags_.size() for the global ones) and its name.
    struct RuleSlot {
        const AttributeRule* rule;
        uint32_t tag;
    };
    std::vector<RuleSlot> ruleSlots_;
    // One bit a name's hash for every name that has a rule on some tag: most attributes
    // (class, href, id) have none, and one look at their bit says so.
    std::array<uint64_t, 16> ruleNames_{};
    const RuleSlot* findRule(uint32_t tag, size_t hash, const char* lower, size_t length) const;
    std::vector<std::string> reservedNames_;  // in lower case: never custom elements'
    std::vector<ValueAttribute> globalValues_;

    std::vector<TagEntry> rows_;
    std::vector<RowDetails> details_;
    std::deque<std::vector<const char*>> attributeLists_;  // each ended by ""
    std::vector<const std::string*> globalSlots_;  // the names of globals_ that aren't patterns, by hash
    // Each tag's own attribute names by the hash of the tag and the name: a tag may take
    // dozens, and most names asked for are another tag's or a global one.
    struct AttributeSlot {
        const std::string* name;
        uint32_t tag;
    };
    std::vector<AttributeSlot> attributeSlots_;
    std::vector<bool> tagPatterns_;  // by tag: its own names hold a pattern ("*")
    std::vector<std::string> globalPrefixes_;  // of the patterns, without their "*"
    // The rows by the hash of their names' capitals, with the hash and each row's length
    // at hand so that a probe seldom reads a name.
    struct Slot {
        int32_t row;
        uint32_t hash;
    };
    std::vector<Slot> slots_;
    std::vector<uint8_t> nameLengths_;
    std::vector<int> bodyRows_;                 // the open rows whose contents aren't markup
    std::vector<ContentRules> contentRules_;    // by tag
    size_t longestRowName_ = 0;
    int commentRow_ = -1;
};

// Makes the profile `name` with the tags of the known-tag files added in order. Null when
// it can't be had, with every fault in `errors`: each malformed line as FILE:LINE: what is
// wrong, then "tagvetter: Can't open file: PATH" for a file that can't be read (the files
// after it are not read).
std::unique_ptr<TagProfile> makeProfileWithKnownTags(const std::string& name,
                                                     const std::vector<std::string>& knownFiles,
                                                     std::vector<std::string>& errors);

// The profiles a page's doctype chooses among (the automatic profile), in the order of
// DoctypeProfile.
using DoctypeProfiles = std::array<std::unique_ptr<TagProfile>, DoctypeProfileCount>;

// Makes the three profiles of the automatic choice with the known-tag files added. Each
// line goes to the profiles that can hold it, and is a fault only when none can: then
// each profile's reason is given. Faults as for makeProfileWithKnownTags, each once;
// false when there is one.
bool makeDoctypeProfiles(const std::vector<std::string>& knownFiles, DoctypeProfiles& profiles,
                         std::vector<std::string>& errors);

// What a page is read with: one profile, or with auto the one its doctype asks for among
// three. Empty (`has` false) when the profiles couldn't be made.
class ProfileChoice {
public:
    ProfileChoice() = default;
    explicit ProfileChoice(const TagProfile* one) : byDoctype_(false) { profiles_.fill(one); }
    explicit ProfileChoice(const DoctypeProfiles& three) : byDoctype_(true) {
        for (size_t i = 0; i < profiles_.size(); ++i) profiles_[i] = three[i].get();
        if (!profiles_[0] || !profiles_[1] || !profiles_[2]) profiles_.fill(nullptr);
    }

    bool has() const { return profiles_[0] != nullptr; }
    // The profile for the page whose text is `text`.
    const TagProfile& profileOf(const char* text, size_t size) const {
        return profiles_[byDoctype_ ? static_cast<size_t>(doctypeProfileOf(text, size)) : 0]->forPage(text, size);
    }
    bool operator==(const ProfileChoice& other) const {
        return byDoctype_ == other.byDoctype_ && profiles_ == other.profiles_;
    }

private:
    std::array<const TagProfile*, DoctypeProfileCount> profiles_{};
    bool byDoctype_ = false;
};
