#include "core/plan/planning.h"

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
        const Text name = listed.text(i);
        const std::size_t extensionLength = files ? velmora::extensionLength(name.bytes()) : 0;
        if (files && shape.subject == Subject::NamePart) {
            const Text namePart = leftText(name, name.length() - static_cast<int>(extensionLength));
            visit(Entry{i + 1, name, namePart, extensionLength});
        } else {
            visit(Entry{i + 1, name, name, extensionLength});
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
                pass.transform(Entry{e.index, e.name, e.subject, e.extensionLength, &refusal});
            // A refused entry stays in the plan under its own name, so the preview, the question and
            // the report count it as failing.
            if (refusal != StepFailure::None) {
                plan.steps.push_back({e.index - 1, e.name, refusal});
                return;
            }
            if (!changed || changed->empty()) return;
            if (files && shape.subject == Subject::NamePart) *changed += e.extension();
            // An entry that would keep its name is left alone, not a rename that fails.
            if (*changed == e.name) return;
            plan.steps.push_back({e.index - 1, std::move(*changed)});
        },
        &plan.leftOut);
    plan.steps.shrinkToFit();
    return plan;
}

}  // namespace velmora
