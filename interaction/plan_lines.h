#pragma once
// A run's plan as the confirmation shows it: one line per step, "old → new", with the failure mark
// and the reason on every step that will fail.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/plan/plan.h"
#include "core/plan/rename_order.h"
#include "core/text/text.h"

namespace velmora {

/// One line per step, with the reason on every step that will fail. The folder is read once to
/// know which names exist. A plan that reorders chains is shown in the order its renames will be
/// made, temporary names included, then the failing steps.
std::vector<Text> describePlan(const RunPlan& plan);

/// The plan of renames in order: the operations in the order they will be made, "old → new", then
/// every rename that will not be made, with failureMark() and the reason.
std::vector<Text> describeOrder(const RenameOrder& order, const std::vector<Text>& oldNames,
                                const std::vector<Text>& newNames);

/// The lines of a plan as a confirmation shows them, one per step, made only when asked for: the
/// steps are checked (PlanCheck) as far as the lines asked for, so the first lines of a plan of a
/// million steps are ready at once and the rest follow as they are asked for.
class PlanLines {
public:
    using StepAt = std::function<PlanStep(std::size_t)>;
    PlanLines(const Text& folder, std::size_t steps, StepAt stepAt, std::shared_ptr<const Disk> disk = nullptr);
    /// Lines made already, each with its mark where it has one.
    explicit PlanLines(std::vector<Text> lines);
    PlanLines(const PlanLines&) = delete;
    PlanLines& operator=(const PlanLines&) = delete;

    std::size_t size() const { return steps_; }
    /// Steps checked so far; a line below this carries its mark.
    std::size_t checked() const { return check_ ? check_->checked() : steps_; }
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
    const std::size_t steps_;
    const StepAt stepAt_;
    std::optional<PlanCheck> check_;  ///< none for lines made already
    std::size_t longest_ = 0;
    std::size_t longestAt_ = 0;
    std::vector<Text> fixed_;
};

}  // namespace velmora
