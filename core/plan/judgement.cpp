#include "core/plan/judgement.h"

#include "core/fs/disk.h"

namespace velmora {

// Room for two names per step, the old and the new, as the table never grows.
StepJudge::StepJudge(std::size_t steps, const Disk* disk)
    : disk_(disk), folding_(disk && disk->ignoresCase), table_(2 * steps) {}

void StepJudge::keyOf(std::string_view name, std::string& key) const {
    if (folding_)
        key = foldCase(name);
    else
        key.assign(name.data(), name.size());
}

std::string_view StepJudge::keyAt(std::uint32_t k) const {
    const std::size_t begin = k == 0 ? 0 : ends_[k - 1];
    return std::string_view(keys_).substr(begin, ends_[k] - begin);
}

std::uint32_t StepJudge::lookUp(std::string_view newNative) {
    keyOf(newNative, newKey_);
    return table_.find(newKey_, [this](std::uint32_t k) { return keyAt(k); });
}

// Only a disk that ignores case finds an entry's own name in another spelling; elsewhere the old
// name itself was refused by nameFailure already.
bool StepJudge::ownName(std::string_view oldNative) {
    keyOf(oldNative, oldKey_);
    return folding_ && oldKey_ == newKey_;
}

std::uint32_t StepJudge::add(const std::string& key, bool taken) {
    const auto k = static_cast<std::uint32_t>(ends_.size());
    keys_ += key;
    ends_.push_back(keys_.size());
    taken_.push_back(taken);
    table_.insert(k, [this](std::uint32_t at) { return keyAt(at); });
    return k;
}

// The step's entry leaves its old name, free from now on, and takes the new one.
void StepJudge::take(std::uint32_t known, bool own) {
    const std::uint32_t old = table_.find(oldKey_, [this](std::uint32_t k) { return keyAt(k); });
    const std::uint32_t freed = old != PositionTable::none ? old : add(oldKey_, false);
    taken_[freed] = false;
    if (own)
        taken_[freed] = true;
    else if (known != PositionTable::none)
        taken_[known] = true;
    else
        add(newKey_, true);
}

// Every rename is taken to succeed until something forces it to fail: its name is held by an entry
// that stays (one that no rename moves, or whose rename fails), or an earlier rename takes the name.
// Failures only ever add up, so the loop ends. Names are numbered once (views into keys), so the
// work is a few lookups per step however long the run.
std::vector<StepFailure> chainFailures(const std::vector<RenameRequest>& requests,
                                       const std::vector<RenameRequest>& keys, const NameSet& present,
                                       const Disk* disk) {
    constexpr std::uint32_t none = PositionTable::none;
    const std::size_t n = keys.size();
    std::vector<StepFailure> failures(n);
    NameNumbers names(2 * n);  // every old and new name of the run
    std::vector<std::uint32_t> from(n);
    std::vector<std::uint32_t> to(n, none);
    for (std::size_t i = 0; i < n; ++i) {
        from[i] = names.number(keys[i].from);
        const RenameRequest& r = requests[i];
        failures[i] = nameFailure(r.refusal, r.exact, r.to, r.from, disk);
        if (failures[i] == StepFailure::None) to[i] = names.number(*keys[i].to);
    }
    // holder: the first step whose old name it is; the steps that want a name, in plan order, as a
    // chain from firstClaim through nextClaim.
    std::vector<std::uint32_t> holder(names.size(), none);
    std::vector<std::uint32_t> firstClaim(names.size(), none);
    std::vector<std::uint32_t> lastClaim(names.size(), none);
    std::vector<std::uint32_t> nextClaim(n, none);
    std::vector<std::uint32_t> work;  // names whose claimants are to be judged again
    for (std::size_t i = 0; i < n; ++i) {
        if (holder[from[i]] == none) holder[from[i]] = static_cast<std::uint32_t>(i);
        if (to[i] == none) continue;
        if (firstClaim[to[i]] == none) {
            firstClaim[to[i]] = static_cast<std::uint32_t>(i);
            work.push_back(to[i]);
        } else {
            nextClaim[lastClaim[to[i]]] = static_cast<std::uint32_t>(i);
        }
        lastClaim[to[i]] = static_cast<std::uint32_t>(i);
    }
    for (std::size_t i = 0; i < n; ++i)
        if (failures[i] != StepFailure::None) work.push_back(from[i]);

    auto fail = [&](std::size_t i, StepFailure why) {
        const bool first = failures[i] == StepFailure::None;
        failures[i] = why;
        if (first) work.push_back(from[i]);  // the entry stays, so its name stays held
    };
    while (!work.empty()) {
        const std::uint32_t name = work.back();
        work.pop_back();
        if (firstClaim[name] == none) continue;
        const std::uint32_t h = holder[name];
        const bool held = present.contains(names.name(name)) && (h == none || failures[h] != StepFailure::None);
        std::size_t k = 0;
        for (std::uint32_t c = firstClaim[name]; c != none; c = nextClaim[c], ++k) {
            if (held)
                fail(c, StepFailure::Exists);
            else if (k > 0 && failures[c] == StepFailure::None)
                fail(c, StepFailure::TakenByRun);
        }
    }
    return failures;
}

}  // namespace velmora
