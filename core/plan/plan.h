#pragma once
// What a run is about to do, as the confirmation shows it.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/plan/failures.h"
#include "core/plan/run_plan.h"
#include "core/text/encoding.h"
#include "core/text/text.h"

namespace velmora {

/// Which steps of plan will fail, in plan order, given the names the folder holds: the transform
/// refused the entry, the name is not valid, it would leave the folder, the name exists already, or an earlier step
/// takes it. Stops early, with fewer failures than steps, when cancelled returns true. For a plan that reorders chains,
/// a name held by an entry the run renames away is free (core/plan/rename_order.h).
std::vector<StepFailure> planFailures(const RunPlan& plan, const NameSet& existing,
                                      const std::function<bool()>& cancelled = {});

/// One line per step, "old → new", with "  ✗ " and the reason on every step that will fail. The
/// folder is read once to know which names exist. A plan that reorders chains is shown in the
/// order its renames will be made, temporary names included, then the failing steps.
std::vector<Text> describePlan(const RunPlan& plan);

/// One planned rename as a line of the plan shows it.
struct PlanStep {
    NativeName oldNative;
    Text oldName;
    bool exact;  ///< the old name could be read as text
    Text newName;
    StepFailure refusal = StepFailure::None;  ///< the transform's, judged before anything else
};

/// The lines of a plan as a confirmation shows them, one per step, made only when asked for.
/// Steps are checked in order, each once, and whether a name exists is asked of the folder per
/// name rather than read from a listing of it, so the first lines of a plan of a million steps
/// are ready at once and the rest follow as they are asked for.
class PlanLines {
public:
    using StepAt = std::function<PlanStep(std::size_t)>;
    PlanLines(const Text& folder, std::size_t steps, StepAt stepAt, std::shared_ptr<const Disk> disk = nullptr);
    /// Lines made already, each with its mark where it has one.
    explicit PlanLines(std::vector<Text> lines);
    ~PlanLines();
    PlanLines(const PlanLines&) = delete;
    PlanLines& operator=(const PlanLines&) = delete;

    std::size_t size() const { return steps_; }
    /// Steps checked so far; a line below this carries its mark.
    std::size_t checked() const { return failures_.size(); }
    /// Checks the steps up to (not including) end.
    void checkUpTo(std::size_t end);
    /// Line i, checking the steps up to it first.
    Text line(std::size_t i);
    /// Line i as far as it is known: without its mark when step i is not checked yet.
    Text knownLine(std::size_t i) const;
    /// Bytes of the longest line checked so far, and which line it is.
    std::size_t longestChecked() const { return longest_; }
    std::size_t longestLineAt() const { return longestAt_; }

private:
    StepFailure check(const PlanStep& step);
    bool existsOnDisk(const NativeName& name, const NativeName& old) const;

    const std::size_t steps_;
    const StepAt stepAt_;
    int folder_ = -1;
    std::shared_ptr<const Disk> disk_;
    std::vector<StepFailure> failures_;
    /// Names the run has touched so far, as the disk compares them: bit 1 present, bit 2 taken by
    /// an earlier step.
    std::unordered_map<std::string, std::uint8_t> changed_;
    std::size_t longest_ = 0;
    std::size_t longestAt_ = 0;
    std::vector<Text> fixed_;
};

}  // namespace velmora
