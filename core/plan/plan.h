#pragma once
// Which steps of a run will fail, for the preview, the question before a run and its report.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/plan/failures.h"
#include "core/plan/judgement.h"
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

/// One planned rename as a line of the plan shows it.
struct PlanStep {
    NativeName oldNative;
    Text oldName;
    bool exact;  ///< the old name could be read as text
    Text newName;
    StepFailure refusal = StepFailure::None;  ///< the transform's, judged before anything else
};

/// The steps of a plan checked one after another, each once, in plan order, as planFailures judges
/// them; whether a name exists is asked of the folder per name rather than read from a listing of
/// it, so the first steps of a plan of a million are checked at once and the rest as they are
/// asked for.
class PlanCheck {
public:
    PlanCheck(const Text& folder, std::size_t steps, std::shared_ptr<const Disk> disk = nullptr);
    ~PlanCheck();
    PlanCheck(const PlanCheck&) = delete;
    PlanCheck& operator=(const PlanCheck&) = delete;

    /// Checks the next step, which step is checked() before it.
    StepFailure check(const PlanStep& step);
    /// Steps checked so far.
    std::size_t checked() const { return failures_.size(); }
    /// Why checked step i will fail; StepFailure::None when it will not.
    StepFailure failure(std::size_t i) const { return failures_[i]; }

private:
    bool heldOnDisk(const NativeName& name, const NativeName& old) const;

    int folder_ = -1;
    std::shared_ptr<const Disk> disk_;
    StepJudge judge_;
    std::vector<StepFailure> failures_;
};

}  // namespace velmora
