#include "interaction/plan_lines.h"

#include <algorithm>

#include "interaction/reasons.h"

namespace velmora {

std::vector<Text> describePlan(const RunPlan& plan) {
    if (plan.reordersChains) {
        const auto [oldNames, newNames] = stepNames(plan);
        return describeOrder(orderRenames(renameRequests(plan), namesIn(plan.folder, plan.reach), plan.disk.get()),
                             oldNames, newNames);
    }
    const std::vector<StepFailure> failures = planFailures(plan, namesIn(plan.folder, plan.reach));
    std::vector<Text> lines;
    lines.reserve(plan.steps.size());
    const Text arrow = " → "_t;
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        Text line = plan.listing->text(plan.steps.entry(i)) + arrow + plan.steps.newNames()->text(i);
        if (failures[i] != StepFailure::None)
            line += failureMark() + failureReason(failures[i], plan.steps.newNames()->text(i));
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<Text> describeOrder(const RenameOrder& order, const std::vector<Text>& oldNames,
                                const std::vector<Text>& newNames) {
    std::vector<Text> lines;
    lines.reserve(order.operations.size() + order.failures.size());
    const Text arrow = " → "_t;
    for (const RenameOperation& op : order.operations) {
        auto [from, to] = operationText(op, oldNames, newNames);
        lines.push_back(from + arrow + to);
    }
    for (std::size_t i = 0; i < order.failures.size(); ++i)
        if (order.failures[i] != StepFailure::None)
            lines.push_back(oldNames[i] + arrow + newNames[i] + failureMark() +
                            failureReason(order.failures[i], newNames[i]));
    return lines;
}

PlanLines::PlanLines(const Text& folder, std::size_t steps, StepAt stepAt, std::shared_ptr<const Disk> disk)
    : steps_(steps), stepAt_(std::move(stepAt)) {
    check_.emplace(folder, steps, std::move(disk));
}

PlanLines::PlanLines(std::vector<Text> lines) : steps_(lines.size()), fixed_(std::move(lines)) {
    for (std::size_t i = 0; i < fixed_.size(); ++i) {
        if (fixed_[i].bytes().size() > longest_) {
            longest_ = fixed_[i].bytes().size();
            longestAt_ = i;
        }
    }
}

void PlanLines::checkUpTo(std::size_t end) {
    if (!check_) return;
    end = std::min(end, steps_);
    while (check_->checked() < end) {
        const PlanStep step = stepAt_(check_->checked());
        const StepFailure failure = check_->check(step);
        std::size_t bytes = step.oldName.bytes().size() + step.newName.bytes().size() + 5;
        if (failure != StepFailure::None) bytes += 6 + failureReason(failure, step.newName).bytes().size();
        if (bytes > longest_) {
            longest_ = bytes;
            longestAt_ = check_->checked() - 1;
        }
    }
}

Text PlanLines::line(std::size_t i) {
    checkUpTo(i + 1);
    return knownLine(i);
}

Text PlanLines::knownLine(std::size_t i) const {
    if (!stepAt_) return fixed_[i];
    const PlanStep step = stepAt_(i);
    static const Text arrow = " → "_t;
    Text line = step.oldName + arrow + step.newName;
    if (i < check_->checked() && check_->failure(i) != StepFailure::None)
        line += failureMark() + failureReason(check_->failure(i), step.newName);
    return line;
}

}  // namespace velmora
