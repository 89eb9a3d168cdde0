#include "page_fix.h"

#include <algorithm>
#include <tuple>

namespace {

// A problem kept past its call, with its texts and its mend.
struct Kept {
    Problem problem;
    std::string name;
    std::string tag;
    std::string detail;
    std::vector<OwnedEdit> edits;

    // What must come out the same when the page is checked again. Mends never add or take
    // away a line break, so lines stay; columns move.
    auto key() const {
        return std::tie(problem.kind, problem.line, name, tag, detail, problem.count, problem.relatedLine);
    }
};

class Keeping : public ProblemSink {
public:
    void report(const Problem& problem) override {
        Kept k{problem, problem.name, problem.tag, problem.detail, {}};
        for (int e = 0; e < problem.fix.count; ++e) {
            const TextEdit& edit = problem.fix.edits[e];
            k.edits.push_back({edit.from, edit.to, edit.text});
        }
        kept.push_back(std::move(k));
    }
    std::vector<Kept> kept;
};

bool overlap(const OwnedEdit& a, const OwnedEdit& b) {
    // Two edits at one place would have no order between them.
    return a.from == b.from || std::max(a.from, b.from) < std::min(a.to, b.to);
}

// Past this many mends that fail together, each is not tried alone: the page goes unmended.
constexpr size_t MostTriedAlone = 200;

}  // namespace

std::string withEdits(std::string_view text, const std::vector<OwnedEdit>& edits) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    for (const OwnedEdit& e : edits) {
        out.append(text.substr(at, e.from - at));
        out.append(e.text);
        at = e.to;
    }
    out.append(text.substr(at));
    return out;
}

PageMend mendPage(Document& document, const TagProfile& profile, const CheckOptions& options,
                  const ProblemKinds& kinds, ProblemSink& left) {
    const std::string original(document.text, document.size);
    Keeping found;
    checkDocument(document, found, profile, options);
    std::vector<Kept>& problems = found.kept;

    // The mends to make, in the order of their problems, none overlapping another.
    std::vector<size_t> chosen;
    std::vector<OwnedEdit> taken;
    for (size_t i = 0; i < problems.size(); ++i) {
        const Kept& k = problems[i];
        if (k.edits.empty() || !kinds.test(static_cast<size_t>(k.problem.kind))) continue;
        const bool inside = std::all_of(k.edits.begin(), k.edits.end(), [&](const OwnedEdit& e) {
            return e.from <= e.to && e.to <= original.size();
        });
        if (!inside) continue;
        const bool clashes = std::any_of(k.edits.begin(), k.edits.end(), [&](const OwnedEdit& e) {
            return std::any_of(taken.begin(), taken.end(), [&](const OwnedEdit& t) { return overlap(e, t); });
        });
        if (clashes) continue;
        taken.insert(taken.end(), k.edits.begin(), k.edits.end());
        chosen.push_back(i);
    }

    PageMend mend;
    std::vector<bool> mended(problems.size(), false);
    Document again;
    // The page with the mends of `set` made, when it checks with exactly the other problems.
    auto attempt = [&](const std::vector<size_t>& set, std::string& text) {
        std::vector<bool> in(problems.size(), false);
        std::vector<OwnedEdit> edits;
        for (size_t i : set) {
            in[i] = true;
            edits.insert(edits.end(), problems[i].edits.begin(), problems[i].edits.end());
        }
        std::sort(edits.begin(), edits.end(), [](const OwnedEdit& a, const OwnedEdit& b) { return a.from < b.from; });
        text = withEdits(original, edits);
        if (!again.loadText(text.data(), text.size())) return false;
        Keeping after;
        checkDocument(again, after, profile, options);
        again.release();
        std::vector<size_t> expected, got;
        for (size_t i = 0; i < problems.size(); ++i) {
            if (!in[i]) expected.push_back(i);
        }
        if (expected.size() != after.kept.size()) return false;
        auto byKey = [](const Kept* a, const Kept* b) { return a->key() < b->key(); };
        std::vector<const Kept*> before, now;
        for (size_t i : expected) before.push_back(&problems[i]);
        for (const Kept& k : after.kept) now.push_back(&k);
        std::sort(before.begin(), before.end(), byKey);
        std::sort(now.begin(), now.end(), byKey);
        for (size_t i = 0; i < before.size(); ++i) {
            if (before[i]->key() != now[i]->key()) return false;
        }
        return true;
    };

    std::string text;
    if (!chosen.empty() && !attempt(chosen, text)) {
        // Some mend brings a problem with it: each is tried alone, and those that pass together.
        std::vector<size_t> alone;
        if (chosen.size() <= MostTriedAlone) {
            for (size_t i : chosen) {
                if (attempt({i}, text)) alone.push_back(i);
            }
        }
        if (alone.size() == chosen.size()) alone.clear();  // each alone, but not all together
        chosen = alone;
        if (!chosen.empty() && !attempt(chosen, text)) chosen.clear();
    }
    if (chosen.empty()) text = original;
    for (size_t i : chosen) mended[i] = true;

    for (size_t i = 0; i < problems.size(); ++i) {
        if (mended[i]) continue;
        Kept& k = problems[i];
        Problem p = k.problem;
        p.name = k.name.c_str();
        p.tag = k.tag.c_str();
        p.detail = k.detail.c_str();
        p.fix = Fix();
        left.report(p);
        ++mend.left;
    }
    mend.fixes = static_cast<int32_t>(chosen.size());
    mend.text = std::move(text);
    return mend;
}
