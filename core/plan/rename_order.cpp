#include "core/plan/rename_order.h"

#include <limits.h>

#include <unordered_set>

#include "core/fs/disk.h"
#include "core/fs/file_system.h"
#include "core/fs/paths.h"

namespace velmora {
namespace {

constexpr std::size_t none = static_cast<std::size_t>(-1);

// A name for a step broken out of a cycle: in the same folder, held by nothing, taken by no rename
// of the run, keeping the old extension so a left-over entry still opens.
// next: where the search goes on from the last temporary name of the run (every number before it
// was taken), so a run of many changes of case does not count from 1 each time.
template <typename Taken>
NativeName temporaryName(const NativeName& from, const Taken& taken, const Disk* disk, unsigned& next) {
    // An entry below the folder (a relative path) keeps to its own folder there.
    const std::size_t slash = from.rfind('/');
    const std::string within = slash == std::string::npos ? std::string() : from.substr(0, slash + 1);
    const std::string extension = from.substr(from.size() - extensionLength(from.substr(within.size())));
    for (unsigned& k = next;; ++k) {
        std::string name = "改名中转" + std::to_string(k);
        if (name.size() + extension.size() <= NAME_MAX) name += extension;
        name.insert(0, within);
        if (!taken(comparedName(name, disk))) {
            ++k;
            return name;
        }
    }
}

// The chains and cycles of operations (each begins at an index of groups) rearranged by where the
// listing holds the old name of each one's first operation; names it does not hold go last, in
// plan order. Each keeps its operations in their order: they depend on each other, the chains and
// cycles do not.
std::vector<RenameOperation> inListingOrder(std::vector<RenameOperation> operations,
                                            const std::vector<std::size_t>& groups, const NameSet& present,
                                            const Disk* disk) {
    std::vector<std::pair<std::uint32_t, std::size_t>> keyed;  // listing position, group
    keyed.reserve(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g)
        keyed.emplace_back(present.positionOf(comparedName(operations[groups[g]].from, disk)), g);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<RenameOperation> ordered;
    ordered.reserve(operations.size());
    for (const auto& [position, g] : keyed) {
        const std::size_t end = g + 1 < groups.size() ? groups[g + 1] : operations.size();
        for (std::size_t k = groups[g]; k < end; ++k) ordered.push_back(std::move(operations[k]));
    }
    return ordered;
}

}  // namespace

namespace {

// The steps and the folder's names as the disk compares them: folded where it ignores case, where a
// change of case only is then a rename onto the entry's own name, a cycle of one, which goes
// through a temporary name.
struct Compared {
    Compared(const std::vector<RenameRequest>& steps, const NameSet& present, const Disk* disk)
        : folding(disk && disk->ignoresCase) {
        if (!folding) return;
        folded = steps;
        for (RenameRequest& s : folded) {
            s.from = foldCase(s.from);
            if (s.to) s.to = foldCase(*s.to);
        }
        foldedPresent = present.mapped([](std::string_view name) { return foldCase(name); });
    }
    const std::vector<RenameRequest>& keys(const std::vector<RenameRequest>& steps) const {
        return folding ? folded : steps;
    }
    const NameSet& held(const NameSet& present) const { return folding ? foldedPresent : present; }

    bool folding;
    std::vector<RenameRequest> folded;
    NameSet foldedPresent;
};

}  // namespace

std::vector<StepFailure> orderedFailures(const std::vector<RenameRequest>& steps, const NameSet& present,
                                         const Disk* disk) {
    const Compared compared(steps, present, disk);
    return chainFailures(steps, compared.keys(steps), compared.held(present), disk);
}

RenameOrder orderRenames(const std::vector<RenameRequest>& steps, const NameSet& present, const Disk* disk,
                         MadeIn madeIn) {
    const Compared compared(steps, present, disk);
    const std::vector<RenameRequest>& keys = compared.keys(steps);
    const NameSet& held = compared.held(present);
    RenameOrder order;
    order.failures = chainFailures(steps, keys, held, disk);
    const auto moves = [&](std::size_t i) { return order.failures[i] == StepFailure::None; };

    // The run's names, numbered; the folder's are in present.
    NameNumbers runNames(2 * steps.size());
    for (const RenameRequest& s : keys) {
        runNames.number(s.from);
        if (s.to) runNames.number(*s.to);
    }
    std::vector<std::size_t> moverOf(runNames.size(), none);  // by old name: the first step moving it
    for (std::size_t i = 0; i < steps.size(); ++i) {
        std::size_t& mover = moverOf[runNames.find(keys[i].from)];
        if (moves(i) && mover == none) mover = i;
    }
    // waitsFor[i]: the moving step whose old name step i takes. Names are claimed once, so each
    // step waits for at most one and is waited for by at most one: chains and separate cycles.
    std::vector<std::size_t> waitsFor(steps.size(), none);
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (moves(i)) waitsFor[i] = moverOf[runNames.find(*keys[i].to)];

    std::unordered_set<std::string> reserved;  ///< temporary names given out so far
    const auto taken = [&](const std::string& key) {
        return held.contains(key) || runNames.find(key) != NameNumbers::none || !reserved.insert(key).second;
    };
    auto whole = [&](std::size_t i) {
        order.operations.push_back({i, RenameOperation::Leg::Whole, steps[i].from, *steps[i].to});
    };
    order.operations.reserve(steps.size());

    unsigned nextTemporary = 1;
    enum State : unsigned char { Unseen, OnPath, Done };
    std::vector<State> state(steps.size(), Unseen);
    std::vector<std::size_t> groups;  // where the operations of each chain or cycle begin
    std::vector<std::size_t> path;  // a chain's start, then each step it waits for
    for (std::size_t start = 0; start < steps.size(); ++start) {
        if (!moves(start) || state[start] != Unseen) continue;
        groups.push_back(order.operations.size());
        path.clear();
        std::size_t at = start;
        while (at != none && state[at] == Unseen) {
            state[at] = OnPath;
            path.push_back(at);
            at = waitsFor[at];
        }
        std::size_t tail = path.size();  // path[cycleFrom..] is a cycle when at is on the path
        if (at != none && state[at] == OnPath) {
            std::size_t cycleFrom = 0;
            while (path[cycleFrom] != at) ++cycleFrom;
            const std::size_t head = path[cycleFrom];
            const NativeName temporary = temporaryName(steps[head].from, taken, disk, nextTemporary);
            order.operations.push_back({head, RenameOperation::Leg::ToTemporary, steps[head].from, temporary});
            for (std::size_t k = path.size() - 1; k > cycleFrom; --k) whole(path[k]);
            order.operations.push_back({head, RenameOperation::Leg::FromTemporary, temporary, *steps[head].to});
            tail = cycleFrom;
        }
        for (std::size_t k = tail; k-- > 0;) whole(path[k]);
        for (std::size_t i : path) state[i] = Done;
    }
    if (madeIn == MadeIn::ListingOrder)
        order.operations = inListingOrder(std::move(order.operations), groups, held, disk);
    return order;
}

std::pair<Text, Text> operationText(const RenameOperation& op, const std::vector<Text>& oldNames,
                                    const std::vector<Text>& newNames) {
    using Leg = RenameOperation::Leg;
    switch (op.leg) {
    case Leg::Whole:
        return {oldNames[op.step], newNames[op.step]};
    case Leg::ToTemporary:
        return {oldNames[op.step], nativeToText(op.to).text};
    case Leg::FromTemporary:
        return {nativeToText(op.from).text, newNames[op.step]};
    case Leg::TakenBack:
        return {nativeToText(op.from).text, oldNames[op.step]};
    }
    return {};
}

std::vector<RenameRequest> renameRequests(const RunPlan& plan) {
    std::vector<RenameRequest> requests;
    if (plan.steps.empty()) return requests;
    requests.reserve(plan.steps.size());
    const NameList& listing = *plan.listing;
    const NameList& newNames = *plan.steps.newNames();
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        const std::size_t entry = plan.steps.entry(i);
        NativeName from = listing.keepsNatives() ? NativeName(listing.nativeBytes(entry))
                                                 : listing.native(entry).value_or(NativeName{});
        requests.push_back(
            {std::move(from), textToNative(newNames.text(i)), listing.exact(entry), plan.steps.refusal(i)});
    }
    return requests;
}

std::pair<std::vector<Text>, std::vector<Text>> stepNames(const RunPlan& plan) {
    std::pair<std::vector<Text>, std::vector<Text>> names;
    names.first.reserve(plan.steps.size());
    names.second.reserve(plan.steps.size());
    for (const PlannedRename& step : plan.steps) {
        names.first.push_back((*plan.listing)[step.entry].name);
        names.second.push_back(step.newName);
    }
    return names;
}

}  // namespace velmora
