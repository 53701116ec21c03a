#include "core/plan/judgement.h"

#include <unordered_map>

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
// Failures only ever add up, so the loop ends.
std::vector<StepFailure> chainFailures(const std::vector<RenameRequest>& requests,
                                       const std::vector<RenameRequest>& keys, const NameSet& present,
                                       const Disk* disk) {
    std::vector<StepFailure> failures(keys.size());
    std::unordered_map<std::string, std::size_t> byOldName;
    std::unordered_map<std::string, std::vector<std::size_t>> claimants;  // new name -> steps, in plan order
    std::vector<std::string> work;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        byOldName.emplace(keys[i].from, i);
        const RenameRequest& r = requests[i];
        failures[i] = nameFailure(r.refusal, r.exact, r.to, r.from, disk);
        if (failures[i] != StepFailure::None) continue;
        auto& claim = claimants[*keys[i].to];
        if (claim.empty()) work.push_back(*keys[i].to);
        claim.push_back(i);
    }
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (failures[i] != StepFailure::None) work.push_back(keys[i].from);

    auto fail = [&](std::size_t i, StepFailure why) {
        const bool first = failures[i] == StepFailure::None;
        failures[i] = why;
        if (first) work.push_back(keys[i].from);  // the entry stays, so its name stays held
    };
    while (!work.empty()) {
        const std::string name = std::move(work.back());
        work.pop_back();
        const auto claim = claimants.find(name);
        if (claim == claimants.end()) continue;
        const auto holder = byOldName.find(name);
        const bool held =
            present.contains(name) && (holder == byOldName.end() || failures[holder->second] != StepFailure::None);
        const std::vector<std::size_t>& wanting = claim->second;
        for (std::size_t k = 0; k < wanting.size(); ++k) {
            if (held)
                fail(wanting[k], StepFailure::Exists);
            else if (k > 0 && failures[wanting[k]] == StepFailure::None)
                fail(wanting[k], StepFailure::TakenByRun);
        }
    }
    return failures;
}

}  // namespace velmora
