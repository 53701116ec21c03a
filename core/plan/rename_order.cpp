#include "core/plan/rename_order.h"

#include <limits.h>

#include <unordered_map>
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
NativeName temporaryName(const NativeName& from, const NameSet& present, std::unordered_set<std::string>& reserved,
                         const Disk* disk, unsigned& next) {
    // An entry below the folder (a relative path) keeps to its own folder there.
    const std::size_t slash = from.rfind('/');
    const std::string within = slash == std::string::npos ? std::string() : from.substr(0, slash + 1);
    const std::string extension = from.substr(from.size() - extensionLength(from.substr(within.size())));
    for (unsigned& k = next;; ++k) {
        std::string name = "改名中转" + std::to_string(k);
        if (name.size() + extension.size() <= NAME_MAX) name += extension;
        name.insert(0, within);
        const std::string key = comparedName(name, disk);
        if (!present.contains(key) && reserved.insert(key).second) {
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

RenameOrder orderRenames(const std::vector<RenameRequest>& steps, const NameSet& present, const Disk* disk,
                         MadeIn madeIn) {
    // Where the disk ignores case, names are matched folded: a change of case only is then a
    // rename onto the entry's own name, a cycle of one, which goes through a temporary name.
    const bool folding = disk && disk->ignoresCase;
    std::vector<RenameRequest> folded;
    NameSet foldedPresent;
    if (folding) {
        folded = steps;
        for (RenameRequest& s : folded) {
            s.from = foldCase(s.from);
            if (s.to) s.to = foldCase(*s.to);
        }
        foldedPresent = present.mapped([](std::string_view name) { return foldCase(name); });
    }
    const std::vector<RenameRequest>& keys = folding ? folded : steps;
    const NameSet& held = folding ? foldedPresent : present;
    RenameOrder order;
    order.failures = chainFailures(steps, keys, held, disk);
    const auto moves = [&](std::size_t i) { return order.failures[i] == StepFailure::None; };

    // waitsFor[i]: the moving step whose old name step i takes. Names are claimed once, so each
    // step waits for at most one and is waited for by at most one: chains and separate cycles.
    std::unordered_map<std::string, std::size_t> byOldName;
    for (std::size_t i = 0; i < steps.size(); ++i)
        if (moves(i)) byOldName.emplace(keys[i].from, i);
    std::vector<std::size_t> waitsFor(steps.size(), none);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!moves(i)) continue;
        const auto holder = byOldName.find(*keys[i].to);
        if (holder != byOldName.end()) waitsFor[i] = holder->second;
    }

    std::unordered_set<std::string> reserved;  ///< the run's names; the folder's are in present
    for (const RenameRequest& s : keys) {
        reserved.insert(s.from);
        if (s.to) reserved.insert(*s.to);
    }
    auto whole = [&](std::size_t i) {
        order.operations.push_back({i, RenameOperation::Leg::Whole, steps[i].from, *steps[i].to});
    };

    unsigned nextTemporary = 1;
    enum State : unsigned char { Unseen, OnPath, Done };
    std::vector<State> state(steps.size(), Unseen);
    std::vector<std::size_t> groups;  // where the operations of each chain or cycle begin
    for (std::size_t start = 0; start < steps.size(); ++start) {
        if (!moves(start) || state[start] != Unseen) continue;
        groups.push_back(order.operations.size());
        std::vector<std::size_t> path;  // start, then each step it waits for
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
            const NativeName temporary = temporaryName(steps[head].from, held, reserved, disk, nextTemporary);
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
    requests.reserve(plan.steps.size());
    for (const PlannedRename& step : plan.steps) {
        const ListedEntry& entry = (*plan.listing)[step.entry];
        requests.push_back({entry.native, textToNative(step.newName), entry.exact, step.refusal});
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
