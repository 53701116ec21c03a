#include "core/plan/planning.h"

#include <algorithm>

#include "core/fs/paths.h"

namespace velmora {
namespace {

// Visits every listed entry as the transform sees it, telling progress and stopping early when
// cancelled.
// Entries left out are not visited; leftOutSeen, where given, counts them.
template <typename Visit>
bool forEachEntry(const PlanShape& shape, bool files, const NameList& listed, Progress* progress,
                  const std::function<bool()>& cancelled, Visit visit, std::size_t* leftOutSeen = nullptr) {
    ProgressThrottle throttle(progress, listed.size());
    const LeftOutNames* leftOut = shape.leftOut && !shape.leftOut->empty() ? shape.leftOut.get() : nullptr;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        throttle.tick(i + 1);
        if (cancelled && (i & 1023) == 0 && cancelled()) return false;
        if (leftOut && leftOut->contains(listed.bytes(i))) {
            if (leftOutSeen) ++*leftOutSeen;
            continue;
        }
        const std::string_view path = listed.bytes(i);
        const std::size_t slash = shape.reach == Reach::Below ? path.rfind('/') : std::string_view::npos;
        const std::string_view within =
            slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
        const Text name = within.empty() ? listed.text(i) : Text::fromBytes(std::string(path.substr(within.size())));
        const std::size_t extensionLength = files ? velmora::extensionLength(name.bytes()) : 0;
        if (files && shape.subject == Subject::NamePart) {
            const Text namePart = leftText(name, name.length() - static_cast<int>(extensionLength));
            visit(Entry{i + 1, name, namePart, extensionLength, nullptr, within});
        } else {
            visit(Entry{i + 1, name, name, extensionLength, nullptr, within});
        }
    }
    return true;
}

// Lets pass survey the entries its transform will see, before the first of them.
bool survey(const PlanShape& shape, const Pass& pass, bool files, const Text& folder, const NameList& listed,
            Progress* progress, const std::function<bool()>& cancelled) {
    std::vector<std::size_t> visited;
    visited.reserve(listed.size());
    const bool completed = forEachEntry(shape, files, listed, nullptr, cancelled, [&](const Entry& e) {
        if (!(files && skipsFile(shape.skipped, e.name))) visited.push_back(e.index - 1);
    });
    static const std::function<bool()> never = [] { return false; };
    return completed && pass.survey(Survey{folder, listed, visited, progress, cancelled ? cancelled : never});
}

// Folders below the listed one are renamed after every entry inside them: the deepest first, the
// entries of one depth in the order planned.
void madeDeepestFirst(RunPlan& plan) {
    const NameList& listed = *plan.listing;
    std::vector<std::pair<std::size_t, std::size_t>> order;  // depth, step
    order.reserve(plan.steps.size());
    bool sorted = true;
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const std::string_view path = listed.bytes(plan.steps.entry(i));
        order.emplace_back(static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')), i);
        sorted = sorted && (i == 0 || order[i - 1].first >= order[i].first);
    }
    if (sorted) return;
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    PlanSteps steps;
    for (const auto& [depth, i] : order) steps.push_back(plan.steps[i]);
    plan.steps = std::move(steps);
}

}  // namespace

bool skipsFile(const std::optional<SkippedExtension>& skipped, const Text& name) {
    if (!skipped) return false;
    if (extensionLength(name.bytes()) == 0 && !skipped->alsoWithoutExtension) return false;
    return extensionIs(name, skipped->extension);
}

RunPlan planRun(const PlanShape& shape, const Pass& pass, Kind kind, const Text& folder, SharedListing listing,
                Progress* progress, const std::function<bool()>& cancelled, Progress* reading) {
    RunPlan plan;
    plan.kind = kind;
    plan.folder = folder;
    plan.listing = std::move(listing);
    plan.reordersChains = shape.reordersChains;
    plan.reach = shape.reach;
    const bool files = kind == Kind::Files;
    const NameList& listed = *plan.listing;
    if (shape.countsFirst) {
        std::size_t n = 0;
        if (!forEachEntry(shape, files, listed, progress, cancelled,
                          [&](const Entry& e) { n += pass.counts(e) ? 1 : 0; })) {
            plan.abandoned = true;
            return plan;
        }
        plan.counted = n;
        if (n == 0) {
            for (std::size_t i = 0; shape.leftOut && i < listed.size(); ++i)
                plan.leftOut += shape.leftOut->contains(listed.bytes(i)) ? 1 : 0;
            return plan;
        }
    }
    if (pass.survey && !survey(shape, pass, files, folder, listed, reading ? reading : progress, cancelled)) {
        plan.abandoned = true;
        return plan;
    }
    plan.abandoned = !forEachEntry(
        shape, files, listed, progress, cancelled,
        [&](const Entry& e) {
            if (files && skipsFile(shape.skipped, e.name)) return;
            StepFailure refusal = StepFailure::None;
            std::optional<Text> changed =
                pass.transform(Entry{e.index, e.name, e.subject, e.extensionLength, &refusal, e.within});
            // The new name goes back into the entry's own folder below.
            const auto inItsFolder = [&e](const Text& name) {
                return e.within.empty() ? name : Text::fromBytes(std::string(e.within) + name.bytes());
            };
            // A refused entry stays in the plan under its own name, so the preview, the question and
            // the report count it as failing.
            if (refusal != StepFailure::None) {
                plan.steps.push_back({e.index - 1, inItsFolder(e.name), refusal});
                return;
            }
            if (!changed || changed->empty()) return;
            if (files && shape.subject == Subject::NamePart) *changed += e.extension();
            // An entry that would keep its name is left alone, not a rename that fails.
            if (*changed == e.name) return;
            // The new name of an entry below stays in its folder: a separator in it is told as
            // leaving the folder, whatever follows it.
            if (!e.within.empty() && changed->bytes().find('/') != std::string::npos) {
                plan.steps.push_back({e.index - 1, inItsFolder(e.name), StepFailure::LeavesFolder});
                return;
            }
            plan.steps.push_back({e.index - 1, inItsFolder(*changed)});
        },
        &plan.leftOut);
    if (shape.reach == Reach::Below && kind == Kind::Folders) madeDeepestFirst(plan);
    plan.steps.shrinkToFit();
    return plan;
}

}  // namespace velmora
