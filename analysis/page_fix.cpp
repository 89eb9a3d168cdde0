#include "page_fix.h"

#include <algorithm>
#include <tuple>

auto PageMender::Kept::key() const {
    return std::tie(problem.kind, problem.line, name, tag, detail, problem.count, problem.relatedLine);
}

class PageMender::Keeping : public ProblemSink {
public:
    void report(const Problem& problem) override {
        Kept k{problem, problem.name, problem.tag, problem.detail, {}};
        for (int e = 0; e < problem.fix.count; ++e) {
            const TextEdit& edit = problem.fix.edits[e];
            k.edits.push_back({edit.from, edit.to, edit.text});
        }
        k.problem.fix = Fix();
        kept.push_back(std::move(k));
    }
    std::vector<Kept> kept;
};

namespace {

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

PageMender::PageMender(Document& document, const TagProfile& profile, const CheckOptions& options)
    : profile_(profile), options_(options), original_(document.text, document.size) {
    Keeping found;
    checkDocument(document, found, profile_, options_);
    problems_ = std::move(found.kept);
}

Problem PageMender::problem(size_t index) const {
    const Kept& k = problems_[index];
    Problem p = k.problem;
    p.name = k.name.c_str();
    p.tag = k.tag.c_str();
    p.detail = k.detail.c_str();
    return p;
}

bool PageMender::fitsInText(const Kept& kept) const {
    return std::all_of(kept.edits.begin(), kept.edits.end(),
                       [&](const OwnedEdit& e) { return e.from <= e.to && e.to <= original_.size(); });
}

std::vector<OwnedEdit> PageMender::editsOf(const std::vector<size_t>& problems) const {
    std::vector<OwnedEdit> edits;
    for (size_t i : problems) edits.insert(edits.end(), problems_[i].edits.begin(), problems_[i].edits.end());
    std::sort(edits.begin(), edits.end(), [](const OwnedEdit& a, const OwnedEdit& b) { return a.from < b.from; });
    return edits;
}

bool PageMender::passes(const std::vector<size_t>& set) {
    const std::string text = withEdits(original_, editsOf(set));
    if (!again_.loadText(text.data(), text.size())) return false;
    Keeping after;
    checkDocument(again_, after, profile_, options_);
    again_.release();
    std::vector<bool> in(problems_.size(), false);
    for (size_t i : set) in[i] = true;
    std::vector<const Kept*> before, now;
    for (size_t i = 0; i < problems_.size(); ++i) {
        if (!in[i]) before.push_back(&problems_[i]);
    }
    if (before.size() != after.kept.size()) return false;
    for (const Kept& k : after.kept) now.push_back(&k);
    auto byKey = [](const Kept* a, const Kept* b) { return a->key() < b->key(); };
    std::sort(before.begin(), before.end(), byKey);
    std::sort(now.begin(), now.end(), byKey);
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i]->key() != now[i]->key()) return false;
    }
    return true;
}

bool PageMender::mendsAlone(size_t index) {
    const Kept& k = problems_[index];
    return !k.edits.empty() && fitsInText(k) && passes({index});
}

std::vector<size_t> PageMender::mendsTogether(const ProblemKinds& kinds) {
    // The mends to make, in the order of their problems, none overlapping another.
    std::vector<size_t> chosen;
    std::vector<OwnedEdit> taken;
    for (size_t i = 0; i < problems_.size(); ++i) {
        const Kept& k = problems_[i];
        if (k.edits.empty() || !kinds.test(static_cast<size_t>(k.problem.kind)) || !fitsInText(k)) continue;
        const bool clashes = std::any_of(k.edits.begin(), k.edits.end(), [&](const OwnedEdit& e) {
            return std::any_of(taken.begin(), taken.end(), [&](const OwnedEdit& t) { return overlap(e, t); });
        });
        if (clashes) continue;
        taken.insert(taken.end(), k.edits.begin(), k.edits.end());
        chosen.push_back(i);
    }
    if (chosen.empty() || passes(chosen)) return chosen;

    // Some mend brings a problem with it: each is tried alone, and those that pass alone
    // are taken one by one, each only while the page still passes with it (two that pass
    // alone may clash, as two names mended to the same attribute).
    std::vector<size_t> alone;
    if (chosen.size() <= MostTriedAlone) {
        for (size_t i : chosen) {
            if (passes({i})) alone.push_back(i);
        }
    }
    if (alone.size() < chosen.size() && (alone.empty() || passes(alone))) return alone;
    std::vector<size_t> together;
    for (size_t i : alone) {
        together.push_back(i);
        if (together.size() > 1 && !passes(together)) together.pop_back();
    }
    return together;
}

PageMend mendPage(Document& document, const TagProfile& profile, const CheckOptions& options,
                  const ProblemKinds& kinds, ProblemSink& left) {
    PageMender mender(document, profile, options);
    const std::vector<size_t> chosen = mender.mendsTogether(kinds);
    std::vector<bool> mended(mender.problemCount(), false);
    for (size_t i : chosen) mended[i] = true;

    PageMend mend;
    for (size_t i = 0; i < mender.problemCount(); ++i) {
        if (mended[i]) continue;
        left.report(mender.problem(i));
        ++mend.left;
    }
    mend.fixes = static_cast<int32_t>(chosen.size());
    mend.text = chosen.empty() ? mender.text() : withEdits(mender.text(), mender.editsOf(chosen));
    return mend;
}
