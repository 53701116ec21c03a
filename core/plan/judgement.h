#pragma once
// Whether a step of a plan collides with another name: one held by an entry outside the run or
// not freed by it (Exists), or one an earlier step of the run takes (TakenByRun). The plan's
// check, its lines and rename order all judge collisions here, after nameFailure has judged the
// names themselves; names are compared as the folder's disk compares them (comparedName).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/names/name_list.h"
#include "core/plan/failures.h"
#include "core/plan/run_plan.h"
#include "core/text/encoding.h"

namespace velmora {

/// One planned rename as the file system sees it, in plan order.
struct RenameRequest {
    NativeName from;
    std::optional<NativeName> to;  ///< nothing when the new name has no native form
    bool exact = true;  ///< the old name could be read as text
    StepFailure refusal = StepFailure::None;  ///< the transform's: the step fails with it
};

/// The steps of a plan made in plan order, judged one at a time as they come. A name is free to
/// a step when no entry holds it, when the entry that held it was renamed away by an earlier step,
/// or when it is the step's own name under another case on a disk that ignores case; it is taken
/// by the run when an earlier step renamed an entry to it. Whether the folder holds a name the run
/// has not touched is the caller's to say (a listing or the disk itself), and is asked only then.
/// The names the run touched are kept back to back in one buffer, so a step costs no allocation of
/// its own where the disk tells case apart.
class StepJudge {
public:
    /// steps: how many steps will be judged at most; disk: how the folder's disk compares names
    /// (null: exactly as they are).
    StepJudge(std::size_t steps, const Disk* disk);

    /// Judges the next step: the entry named oldNative (read exactly or not) to newNative, or the
    /// transform's refusal. held(newNative, key) is true when an entry other than the step's own
    /// holds the name, key being the name as the disk compares names.
    template <typename Held>
    StepFailure judge(StepFailure refusal, bool exact, const std::optional<NativeName>& newNative,
                      std::string_view oldNative, const Held& held) {
        if (const StepFailure named = nameFailure(refusal, exact, newNative, oldNative, disk_);
            named != StepFailure::None)
            return named;
        const std::uint32_t known = lookUp(*newNative);
        if (known != PositionTable::none && taken_[known]) return StepFailure::TakenByRun;
        const bool own = ownName(oldNative);
        if (known == PositionTable::none && !own && held(*newNative, std::string_view(newKey_)))
            return StepFailure::Exists;
        take(known, own);
        return StepFailure::None;
    }

private:
    std::uint32_t lookUp(std::string_view newNative);
    bool ownName(std::string_view oldNative);
    void take(std::uint32_t known, bool own);
    std::uint32_t add(const std::string& key, bool taken);
    std::string_view keyAt(std::uint32_t k) const;
    void keyOf(std::string_view name, std::string& key) const;

    const Disk* disk_;
    const bool folding_;
    std::string newKey_;  ///< the step's names as the disk compares them
    std::string oldKey_;
    std::string keys_;  ///< every name the run touched, back to back
    std::vector<std::size_t> ends_;  ///< where each ends in keys_
    std::vector<bool> taken_;  ///< per name: taken by a step (else freed by one)
    PositionTable table_;
};

/// Names numbered 0, 1, 2… in the order first seen, each once; the names are viewed where the caller
/// keeps them, which must outlive the numbers. A few bytes per name and no allocation of its own.
class NameNumbers {
public:
    static constexpr std::uint32_t none = PositionTable::none;
    /// Room for most names.
    explicit NameNumbers(std::size_t most) : table_(most) { names_.reserve(most); }
    /// The number of name, numbering it when new.
    std::uint32_t number(std::string_view name) {
        const std::uint32_t known = find(name);
        if (known != none) return known;
        const auto k = static_cast<std::uint32_t>(names_.size());
        names_.push_back(name);
        table_.insert(k, [this](std::uint32_t at) { return names_[at]; });
        return k;
    }
    /// The number of name, or none.
    std::uint32_t find(std::string_view name) const {
        return table_.find(name, [this](std::uint32_t at) { return names_[at]; });
    }
    std::string_view name(std::uint32_t k) const { return names_[k]; }
    std::size_t size() const { return names_.size(); }

private:
    std::vector<std::string_view> names_;
    PositionTable table_;
};

/// The steps of a plan that reorders chains (core/plan/rename_order.h), judged as a whole: a name
/// held by an entry that the run renames away is free whichever comes first in plan order; where
/// two steps want one name, the earlier in plan order gets it. keys are requests with their names
/// as the disk compares them, present likewise.
std::vector<StepFailure> chainFailures(const std::vector<RenameRequest>& requests,
                                       const std::vector<RenameRequest>& keys, const NameSet& present,
                                       const Disk* disk);

}  // namespace velmora
