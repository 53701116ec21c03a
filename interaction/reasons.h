#pragma once
// Why a rename fails, as a person reads it: the one place that turns a step's failure, or the
// errno of a rename the disk refused, into a Chinese reason.

#include "core/plan/run_plan.h"
#include "core/text/text.h"

namespace velmora {

/// The reason of a failing step as the plan shows it after the failure mark; newName names the
/// character a disk refuses.
Text failureReason(StepFailure failure, const Text& newName = {});

/// The mark that starts the reason of a failing line.
Text failureMark();

/// Why a rename failed with errno error.
Text renameFailureReason(int error);

}  // namespace velmora
