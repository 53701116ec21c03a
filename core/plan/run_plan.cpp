#include "core/plan/run_plan.h"

#include <algorithm>

namespace velmora {

void PlanSteps::push_back(const PlannedRename& step) {
    if (!names_)
        names_ = std::make_shared<NameList>();
    else if (names_.use_count() > 1)
        names_ = std::make_shared<NameList>(*names_);
    if (step.refusal != StepFailure::None) refusals_.emplace_back(static_cast<std::uint32_t>(size()), step.refusal);
    entries_.push_back(static_cast<std::uint32_t>(step.entry));
    names_->add(step.newName);
}

StepFailure PlanSteps::refusal(std::size_t i) const {
    if (refusals_.empty()) return StepFailure::None;
    const auto at = std::lower_bound(refusals_.begin(), refusals_.end(), i,
                                     [](const auto& refused, std::size_t step) { return refused.first < step; });
    return at != refusals_.end() && at->first == i ? at->second : StepFailure::None;
}

void PlanSteps::shrinkToFit() {
    entries_.shrink_to_fit();
    refusals_.shrink_to_fit();
    if (names_ && names_.use_count() == 1) names_->shrinkToFit();
}

void PlanSteps::clear() {
    entries_.clear();
    names_.reset();
    refusals_.clear();
}

}  // namespace velmora
