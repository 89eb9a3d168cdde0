#include "known_tag_file.h"

#include <cstring>
#include <unordered_map>

#include "text.h"

namespace {

constexpr const char* FieldsExpected = "NAME | PAIRING | DESCRIPTION | ATTRIBUTES | STATUS";

struct PairingWord {
    const char* word;
    PairKind pairing;
};
constexpr PairingWord PairingWords[] = {
    {"void", PairVoid},       {"optional", PairOptional}, {"strict", PairStrict},
    {"counted", PairCounted}, {"raw", PairRaw},           {"foreign", PairForeign},
};

// A byte a tag or attribute name may hold: what the tag reader would take into a name,
// less the characters that close a tag, start a value or quote, mark a close tag, and
// the "*" and "|" of this format.
bool isNameByte(unsigned char c) {
    if (c < 0x21 || c == 0x7F) return false;
    return strchr("<>/=\"'*|", c) == nullptr;
}

bool isName(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (!isNameByte(c)) return false;
    }
    return true;
}

// An attribute name, or such a name (possibly empty) followed by "*".
bool isAttributePattern(const std::string& text) {
    if (!text.empty() && text.back() == '*') return text.size() == 1 || isName(text.substr(0, text.size() - 1));
    return isName(text);
}

std::vector<std::string> splitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = line.find('|', start);
        fields.push_back(blankTrimmed(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start)));
        if (bar == std::string::npos) return fields;
        start = bar + 1;
    }
}

struct GroupWord {
    const char* word;
    ElementGroup group;
};
constexpr GroupWord FeatureGroups[] = {
    {"paragraph", ElementGroup::Paragraph},
    {"list-item", ElementGroup::ListItem},
    {"definition-item", ElementGroup::DefinitionItem},
    {"option", ElementGroup::Option},
    {"option-group", ElementGroup::OptionGroup},
    {"table", ElementGroup::Table},
    {"table-section", ElementGroup::TableSection},
    {"table-row", ElementGroup::TableRow},
    {"table-cell", ElementGroup::TableCell},
    {"caption", ElementGroup::Caption},
    {"column-group", ElementGroup::ColumnGroup},
    {"ruby", ElementGroup::Ruby},
    {"ruby-text", ElementGroup::RubyText},
    {"ruby-text-group", ElementGroup::RubyTextGroup},
    {"heading", ElementGroup::Heading},
    {"head", ElementGroup::Head},
    {"body", ElementGroup::Body},
    {"html", ElementGroup::Html},
    {"column", ElementGroup::Column},
    {"template", ElementGroup::Template},
};

// Reads "NAME", "NAME[OTHER]" or "NAME[OTHER=WORD]" into `use`; false when it is none.
bool readAttributeUse(const std::string& text, AttributeUse& use) {
    const size_t open = text.find('[');
    use.name = lowerCased(text.substr(0, open));
    if (!isName(use.name)) return false;
    if (open == std::string::npos) return true;
    if (text.back() != ']') return false;
    std::string condition = text.substr(open + 1, text.size() - open - 2);
    use.defaulted = !condition.empty() && condition[0] == '!';
    if (use.defaulted) condition.erase(0, 1);
    const size_t equals = condition.find('=');
    if (use.defaulted && equals != std::string::npos) return false;
    use.condition = lowerCased(condition.substr(0, equals));
    if (equals != std::string::npos) {
        use.value = condition.substr(equals + 1);
        if (!isName(use.value)) return false;
    }
    return isName(use.condition);
}

struct CategoryWord {
    const char* word;
    uint16_t category;
};
constexpr CategoryWord Categories[] = {
    {"flow", CategoryFlow},
    {"phrasing", CategoryPhrasing},
    {"interactive", CategoryInteractive},
    {"heading", CategoryHeading},
    {"sectioning", CategorySectioning},
    {"metadata", CategoryMetadata},
    {"embedded", CategoryEmbedded},
    {"script-supporting", CategoryScriptSupporting},
};

// The bit of a category's word, or 0.
uint16_t categoryOf(const std::string& word) {
    for (const CategoryWord& c : Categories) {
        if (word == c.word) return c.category;
    }
    return 0;
}

// Reads "CAT", "CAT[ATTR]", "CAT[ATTR=WORD]" or "CAT[ATTR!=WORD]" into `content`.
std::string readCategory(const std::string& text, ContentText& content) {
    const size_t open = text.find('[');
    const uint16_t category = categoryOf(text.substr(0, open));
    if (open == std::string::npos && text == "none") return std::string();
    if (category == 0) return "unknown category '" + text.substr(0, open) + "'";
    if (open == std::string::npos) {
        content.categories |= category;
        return std::string();
    }
    if (text.back() != ']') return "'" + text + "' is not a category with a [condition]";
    std::string condition = text.substr(open + 1, text.size() - open - 2);
    ConditionalCategory c;
    c.category = category;
    const size_t equals = condition.find('=');
    if (equals != std::string::npos) {
        c.negated = equals > 0 && condition[equals - 1] == '!';
        c.value = lowerCased(condition.substr(equals + 1));
        condition = condition.substr(0, c.negated ? equals - 1 : equals);
        if (!isName(c.value)) return "'" + text + "' compares with no word";
    }
    c.attribute = lowerCased(condition);
    if (!isName(c.attribute)) return "'" + text + "' has no attribute in its condition";
    content.conditional.push_back(std::move(c));
    return std::string();
}

// Reads "@CAT" or a tag name into a set of categories and names.
std::string readContentItems(const std::vector<std::string>& values, uint16_t& categories,
                             std::vector<std::string>& names) {
    for (const std::string& v : values) {
        if (v[0] == '@') {
            const uint16_t category = categoryOf(v.substr(1));
            if (category == 0) return "unknown category '" + v.substr(1) + "'";
            categories |= category;
        } else if (isName(v)) {
            names.push_back(lowerCased(v));
        } else {
            return "'" + v + "' is neither @CATEGORY nor a tag name";
        }
    }
    return std::string();
}

// Reads one feature's values into `definition`; gives what is wrong, or "".
using FeatureReader = std::string (*)(const std::vector<std::string>& values, KnownTagDefinition& definition);

// `defaulted`: a "[!ATTR]" condition may stand there (the attribute checks' features).
std::string readAttributeUses(const std::vector<std::string>& values, std::vector<AttributeUse>& uses,
                              bool defaulted = false) {
    for (const std::string& value : values) {
        AttributeUse use;
        if (!readAttributeUse(value, use) || (use.defaulted && !defaulted))
            return "'" + value + "' is not an attribute, with or without a [condition]";
        uses.push_back(std::move(use));
    }
    return std::string();
}

std::string readValueAttributes(const std::vector<std::string>& values, ValueRole role, KnownTagDefinition& d) {
    for (const std::string& value : values) {
        if (!isName(value)) return "'" + value + "' is not an attribute";
        d.values.push_back({lowerCased(value), role});
    }
    return std::string();
}

// The rule of `name` in `d`, made when it has none yet.
AttributeRule& ruleOf(KnownTagDefinition& d, const std::string& name) {
    for (AttributeRule& rule : d.attributeRules.rules) {
        if (rule.name == name) return rule;
    }
    d.attributeRules.rules.push_back(AttributeRule());
    d.attributeRules.rules.back().name = name;
    return d.attributeRules.rules.back();
}

// Reads attribute names into the rules of `d`, setting what `mark` sets on each.
std::string markAttributes(const std::vector<std::string>& values, KnownTagDefinition& d, void (*mark)(AttributeRule&)) {
    for (const std::string& value : values) {
        if (!isName(value)) return "'" + value + "' is not an attribute name";
        mark(ruleOf(d, lowerCased(value)));
    }
    return std::string();
}

// Reads "values:ATTR" or "tokens:ATTR" with its words; gives what is wrong, or "".
std::string readValueWords(const std::string& key, const std::vector<std::string>& values, KnownTagDefinition& d) {
    const size_t colon = key.find(':');
    const std::string kind = key.substr(0, colon), attribute = lowerCased(key.substr(colon + 1));
    if (kind != "values" && kind != "tokens") return "unknown feature '" + key + "'";
    if (!isName(attribute)) return "'" + attribute + "' is not an attribute name";
    if (values.empty()) return "feature '" + key + "' needs a value";
    AttributeRule& rule = ruleOf(d, attribute);
    rule.tokens = kind == "tokens";
    for (const std::string& v : values) {
        if (v.empty()) return "feature '" + key + "' has an empty value: write \"\" for the empty value";
        const std::string word = v == "\"\"" ? std::string() : lowerCased(v);
        if (!word.empty() && (word.find('"') != std::string::npos || word.find('*') < word.size() - 1))
            return "'" + v + "' is not a value: it holds a quote or a \"*\" before its end";
        if (rule.tokens && word.empty()) return "a token can't be empty";
        if (rule.tokens && word.back() == '*') {
            rule.prefixes.push_back(word.substr(0, word.size() - 1));
        } else {
            rule.values.push_back(word);
        }
    }
    return std::string();
}

struct FeatureKey {
    const char* key;
    bool takesValues;
    FeatureReader read;
};
// The keys of the FEATURES field, one a column.
const FeatureKey FeatureKeys[] = {
    {"group", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         for (const GroupWord& g : FeatureGroups) {
             if (values.size() == 1 && values[0] == g.word) {
                 d.traits.group = g.group;
                 return std::string();
             }
         }
         return "unknown group '" + values[0] + "'";
     }},
    {"closes-p", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) { return d.traits.closesParagraph = true, std::string(); }},
    {"special", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) { return d.traits.special = true, std::string(); }},
    {"scope", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) { return d.traits.scopeBoundary = true, std::string(); }},
    {"in-head", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) { return d.traits.inHead = true, std::string(); }},
    {"escapable", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) { return d.traits.escapableText = true, std::string(); }},
    {"table", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         if (values.size() == 1 && values[0] == "table") {
             d.tableRole = TableRole::Table;
         } else if (values.size() == 1 && values[0] == "cell") {
             d.tableRole = TableRole::Cell;
         } else {
             return "unknown table role '" + values[0] + "': use table or cell";
         }
         return std::string();
     }},
    {"links", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         return readAttributeUses(values, d.links.references);
     }},
    {"anchors", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         return readAttributeUses(values, d.links.anchors);
     }},
    {"base", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) { return readAttributeUses(values, d.links.base); }},
    {"idrefs", true,
     [](const std::vector<std::string>& v, KnownTagDefinition& d) { return readValueAttributes(v, ValueRole::IdRef, d); }},
    {"idref-lists", true,
     [](const std::vector<std::string>& v, KnownTagDefinition& d) { return readValueAttributes(v, ValueRole::IdRefList, d); }},
    {"maprefs", true,
     [](const std::vector<std::string>& v, KnownTagDefinition& d) { return readValueAttributes(v, ValueRole::MapRef, d); }},
    {"map-names", true,
     [](const std::vector<std::string>& v, KnownTagDefinition& d) { return readValueAttributes(v, ValueRole::MapName, d); }},
    {"urls", true,
     [](const std::vector<std::string>& v, KnownTagDefinition& d) { return readValueAttributes(v, ValueRole::Url, d); }},
    {"url-lists", true,
     [](const std::vector<std::string>& v, KnownTagDefinition& d) { return readValueAttributes(v, ValueRole::UrlList, d); }},
    {"categories", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         d.content.given = true;
         for (const std::string& v : values) {
             std::string problem = readCategory(v, d.content);
             if (!problem.empty()) return problem;
         }
         return std::string();
     }},
    {"holds", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         d.content.given = d.content.holdsGiven = true;
         return readContentItems(values, d.content.holdsCategories, d.content.holds);
     }},
    {"transparent", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) {
         d.content.given = d.content.transparent = true;
         return std::string();
     }},
    {"anywhere", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) {
         d.content.given = d.content.anywhere = true;
         return std::string();
     }},
    {"forbids", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         d.content.given = true;
         return readContentItems(values, d.content.forbidsCategories, d.content.forbids);
     }},
    {"needs", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         d.content.given = true;
         std::vector<std::string>& group = d.content.needs.emplace_back();
         for (const std::string& v : values) {
             if (!isName(v)) return "'" + v + "' is not a tag name";
             group.push_back(lowerCased(v));
         }
         return std::string();
     }},
    {"follow", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         const size_t colon = values[0].find(':');
         if (values.size() != 1 || colon == std::string::npos) return "follow takes NAME:NAME";
         d.content.given = true;
         d.content.follows = lowerCased(values[0].substr(0, colon));
         d.content.followedBy = lowerCased(values[0].substr(colon + 1));
         if (!isName(d.content.follows) || !isName(d.content.followedBy)) return "follow takes NAME:NAME";
         return std::string();
     }},
    {"required", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         return readAttributeUses(values, d.attributeRules.required, true);
     }},
    {"only", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         std::vector<AttributeUse>& only = d.attributeRules.only;
         for (const std::string& value : values) {
             AttributeUse use;
             if (!readAttributeUse(value, use) || use.condition.empty())
                 return "'" + value + "' is not an attribute with a [condition]";
             d.attributeRules.onlyNames |= onlyNameBit(use.name[0], use.name.size());
             // Each name's uses together, in the order of their first.
             size_t at = only.size();
             while (at > 0 && only[at - 1].name != use.name) --at;
             only.insert(at == 0 ? only.end() : only.begin() + static_cast<std::ptrdiff_t>(at), std::move(use));
         }
         return std::string();
     }},
    {"boolean", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         return markAttributes(values, d, [](AttributeRule& r) { r.boolean = true; });
     }},
    {"obsolete-attributes", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) {
         return markAttributes(values, d, [](AttributeRule& r) { r.obsolete = true; });
     }},
    {"any-attributes", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) {
         return d.attributeRules.anyAttributes = true, std::string();
     }},
    {"custom-elements", false,
     [](const std::vector<std::string>&, KnownTagDefinition& d) { return d.customElements = true, std::string(); }},
    {"reserved", true,
     [](const std::vector<std::string>& values, KnownTagDefinition& d) -> std::string {
         for (const std::string& v : values) {
             if (!isName(v)) return "'" + v + "' is not a tag name";
             d.reserved.push_back(lowerCased(v));
         }
         return std::string();
     }},
};

std::string readFeatures(const std::string& field, KnownTagDefinition& definition) {
    size_t at = 0;
    while (at < field.size()) {
        size_t end = at;
        while (end < field.size() && !isBlank(field[end])) ++end;
        const std::string word = field.substr(at, end - at);
        while (end < field.size() && isBlank(field[end])) ++end;
        at = end;

        const size_t equals = word.find('=');
        const std::string key = word.substr(0, equals);
        std::vector<std::string> values;
        if (equals != std::string::npos) {
            for (size_t start = equals + 1;;) {
                const size_t comma = word.find(',', start);
                values.push_back(word.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
        }
        if (key.find(':') != std::string::npos) {
            std::string problem = readValueWords(key, values, definition);
            if (!problem.empty()) return problem;
            continue;
        }
        const FeatureKey* found = nullptr;
        for (const FeatureKey& k : FeatureKeys) {
            if (key == k.key) found = &k;
        }
        if (!found) return "unknown feature '" + key + "'";
        if (found->takesValues != !values.empty()) return "feature '" + key + (found->takesValues ? "' needs a value" : "' takes no value");
        for (const std::string& v : values) {
            if (v.empty()) return "feature '" + key + "' has an empty value";
        }
        std::string problem = found->read(values, definition);
        if (!problem.empty()) return problem;
    }
    return std::string();
}

// Reads one line that is neither blank nor a comment into `definition`; gives what is
// wrong with it, or "" when nothing is.
std::string readLine(const std::string& line, KnownTagDefinition& definition, KnownTagForm form) {
    const bool builtIn = form == KnownTagForm::BuiltIn;
    const std::vector<std::string> fields = splitFields(line);
    if (builtIn && fields.size() > 6) return std::string("more than six fields; expected ") + FieldsExpected + " | FEATURES";
    if (!builtIn && fields.size() > 5) return std::string("more than five fields; expected ") + FieldsExpected;
    definition.name = fields[0];
    if (definition.name.empty()) return std::string("no tag name; expected ") + FieldsExpected;
    const bool everyTag = definition.name == "*";
    if (builtIn && definition.name[0] == '/') {
        // A close tag's own line gives its description only.
        if (!isName(definition.name.substr(1)) || fields.size() > 3 || (fields.size() > 1 && !fields[1].empty()))
            return "'" + definition.name + "' is a close tag's line: it gives a description only";
        definition.description = fields.size() > 2 ? fields[2] : std::string();
        return std::string();
    }
    if (!everyTag && !isName(definition.name))
        return "'" + definition.name + "' is not a tag name: it holds a space or one of < > / = \" ' * |";

    if (fields.size() > 1 && !fields[1].empty()) {
        bool found = false;
        for (const PairingWord& w : PairingWords) {
            if (equalNoCase(fields[1].c_str(), w.word)) {
                definition.pairing = w.pairing;
                found = true;
            }
        }
        if (!found) return "unknown pairing '" + fields[1] + "': use void, optional, strict, counted, raw or foreign";
        if (everyTag) return "'*' gives attributes only: leave its pairing empty";
    }

    if (fields.size() > 2) {
        definition.description = fields[2];
        if (everyTag && !definition.description.empty())
            return "'*' gives attributes only: leave its description empty";
        if (definition.description.size() > LongestKnownDescription)
            return "description longer than " + std::to_string(LongestKnownDescription) + " characters";
    }

    if (fields.size() > 3) {
        size_t at = 0;
        const std::string& list = fields[3];
        while (at < list.size()) {
            size_t end = at;
            while (end < list.size() && !isBlank(list[end])) ++end;
            std::string attribute = list.substr(at, end - at);
            if (!isAttributePattern(attribute))
                return "'" + attribute + "' is not an attribute name: it holds one of < > / = \" ' | or a \"*\" before its end";
            definition.attributes.push_back(attribute);
            at = end;
            while (at < list.size() && isBlank(list[at])) ++at;
        }
    }

    if (fields.size() > 4 && !fields[4].empty()) {
        if (!equalNoCase(fields[4].c_str(), "obsolete"))
            return "unknown status '" + fields[4] + "': use obsolete or leave it empty";
        if (everyTag) return "'*' gives attributes only: leave its status empty";
        definition.obsolete = true;
    }
    if (fields.size() > 5) {
        std::string problem = readFeatures(fields[5], definition);
        if (problem.empty() && !everyTag && (definition.customElements || !definition.reserved.empty()))
            problem = "custom-elements and reserved belong on the '*' line";
        bool ownOnly = definition.attributeRules.anyAttributes || !definition.attributeRules.required.empty() ||
                       !definition.attributeRules.only.empty();
        for (const AttributeRule& rule : definition.attributeRules.rules) ownOnly = ownOnly || rule.obsolete;
        if (problem.empty() && everyTag && ownOnly)
            problem = "required, only, obsolete-attributes and any-attributes belong on an element's line";
        return problem;
    }
    return std::string();
}

}  // namespace

std::vector<KnownTagDefinition> readKnownTags(const char* text, size_t size, const std::string& fileName,
                                              std::vector<std::string>& errors, KnownTagForm form) {
    std::vector<KnownTagDefinition> definitions;
    std::unordered_map<std::string, int> lines;  // the line of each name, by its capitals
    const char* const end = text + size;
    int number = 0;
    for (const char* start = text; start < end;) {
        const char* stop = static_cast<const char*>(memchr(start, '\n', static_cast<size_t>(end - start)));
        if (!stop) stop = end;
        std::string line(start, stop);
        start = stop + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();

        auto fail = [&](const std::string& problem) {
            errors.push_back(fileName + ":" + std::to_string(number) + ": " + problem);
        };
        if (line.find('\0') != std::string::npos) {
            fail("holds a NUL byte");
            continue;
        }
        const std::string content = blankTrimmed(line);
        if (content.empty() || content[0] == '#') continue;

        KnownTagDefinition definition;
        definition.line = number;
        std::string problem = readLine(content, definition, form);
        if (problem.empty() && definition.name[0] == '/' &&
            (definitions.empty() || capitalised(definitions.back().name) != capitalised(definition.name.substr(1)) ||
             definitions.back().pairing == PairVoid))
            problem = "'" + definition.name + "' does not follow the line of a tag with a close tag";
        if (problem.empty()) {
            auto first = lines.emplace(capitalised(definition.name), number);
            if (!first.second)
                problem = "'" + definition.name + "' is defined on line " + std::to_string(first.first->second) + " already";
        }
        if (problem.empty()) {
            definitions.push_back(std::move(definition));
        } else {
            fail(problem);
        }
    }
    return definitions;
}
