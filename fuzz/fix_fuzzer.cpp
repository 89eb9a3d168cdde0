// mendPage over arbitrary pages, with the html32, html4 and html5 profiles: the mends it
// keeps are the check's own, inside the page and apart from each other; the mended page
// is the page with exactly those edits made; checked again it has exactly the problems
// that were left, each mended problem gone and none new.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "document_check.h"
#include "fuzz_document.h"
#include "page_fix.h"

namespace {

// A problem as it must come out the same once the page is mended (columns move).
using Key = std::tuple<ProblemKind, int32_t, std::string, std::string, std::string, int32_t, int32_t>;

struct Seen {
    Key key;
    std::vector<OwnedEdit> edits;
};

struct Recording : ProblemSink {
    void report(const Problem& p) override {
        Seen s{Key{p.kind, p.line, p.name, p.tag, p.detail, p.count, p.relatedLine}, {}};
        for (int e = 0; e < p.fix.count; ++e) s.edits.push_back({p.fix.edits[e].from, p.fix.edits[e].to, p.fix.edits[e].text});
        all.push_back(std::move(s));
    }
    std::vector<Seen> all;
};

std::vector<Key> keysOf(const std::vector<Seen>& seen) {
    std::vector<Key> keys;
    for (const Seen& s : seen) keys.push_back(s.key);
    std::sort(keys.begin(), keys.end());
    return keys;
}

void requireMended(Document& document, const std::string& original, const TagProfile& profile) {
    Recording before;
    checkDocument(document, before, profile);

    Recording left;
    const PageMend mend = mendPage(document, profile, CheckOptions(), ProblemKinds().set(), left);
    FUZZ_REQUIRE(mend.fixes >= 0 && mend.left == static_cast<int32_t>(left.all.size()), "the counts of a mend");
    FUZZ_REQUIRE(mend.fixes + mend.left == static_cast<int32_t>(before.all.size()), "problems lost in the mend");
    FUZZ_REQUIRE(std::string(document.text, document.size) == original, "the mend wrote into the page");
    if (mend.fixes == 0) {
        FUZZ_REQUIRE(mend.text == original, "a page without mends came out changed");
        return;
    }

    // The mended problems are those of the check missing from what was left. Their edits,
    // in the order of the text, must not overlap and must give the mended text; where two
    // problems look alike and only some were mended, which ones is not known.
    std::vector<Key> all = keysOf(before.all), kept = keysOf(left.all), mended;
    std::set_difference(all.begin(), all.end(), kept.begin(), kept.end(), std::back_inserter(mended));
    FUZZ_REQUIRE(static_cast<int32_t>(mended.size()) == mend.fixes, "the mended problems are not the check's");
    std::vector<OwnedEdit> edits;
    bool known = true;
    for (const Seen& s : before.all) {
        const auto inMended = std::equal_range(mended.begin(), mended.end(), s.key);
        if (inMended.first == inMended.second) continue;
        FUZZ_REQUIRE(!s.edits.empty() || std::count(all.begin(), all.end(), s.key) > 1, "a mended problem had no mend");
        known = known && std::count(all.begin(), all.end(), s.key) == 1;
        edits.insert(edits.end(), s.edits.begin(), s.edits.end());
    }
    if (known) {
        std::sort(edits.begin(), edits.end(), [](const OwnedEdit& a, const OwnedEdit& b) { return a.from < b.from; });
        for (size_t i = 0; i < edits.size(); ++i) {
            FUZZ_REQUIRE(edits[i].from <= edits[i].to && edits[i].to <= original.size(), "an edit outside the page");
            if (i > 0) FUZZ_REQUIRE(edits[i - 1].to <= edits[i].from && edits[i - 1].from != edits[i].from, "edits overlap");
            // Mends neither add nor take away a line break.
            FUZZ_REQUIRE(std::count(edits[i].text.begin(), edits[i].text.end(), '\n') ==
                             std::count(original.begin() + edits[i].from, original.begin() + edits[i].to, '\n'),
                         "an edit moves the lines");
        }
        const std::string made = withEdits(original, edits);
        FUZZ_REQUIRE(made == mend.text, "the mended text is not the page with its mends");

        // withEdits keeps every byte outside the edits, in order.
        size_t at = 0, out = 0;
        for (const OwnedEdit& e : edits) {
            FUZZ_REQUIRE(made.compare(out, e.from - at, original, at, e.from - at) == 0, "a byte between edits changed");
            out += e.from - at + e.text.size();
            at = e.to;
        }
        FUZZ_REQUIRE(made.compare(out, std::string::npos, original, at, std::string::npos) == 0, "the page's end changed");
    }

    // Checked again: exactly the problems left.
    Document again;
    FUZZ_REQUIRE(again.loadText(mend.text.data(), mend.text.size()), "loading the mended page");
    Recording after;
    checkDocument(again, after, profile);
    FUZZ_REQUIRE(keysOf(after.all) == kept, "the mended page has other problems than those left");
    again.release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Pages of many kilobytes only slow the search: the mends are local.
    if (size > 16384) return 0;
    static Document document;
    loadFuzzedDocument(document, data, size);
    const std::string original(document.text, document.size);

    static const std::unique_ptr<const TagProfile> html4 = TagProfile::make("html4");
    static const std::unique_ptr<const TagProfile> html5 = TagProfile::make("html5");
    for (const TagProfile* profile : {&TagProfile::html32(), html4.get(), html5.get()}) {
        requireMended(document, original, *profile);
    }
    return 0;
}
