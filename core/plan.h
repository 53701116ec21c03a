#pragma once
// What a run is about to do, as the confirmation shows it.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/encoding.h"
#include "core/pipeline.h"
#include "core/text.h"

namespace velmora {

class Window;

/// Why a planned rename will fail.
enum class StepFailure : std::uint8_t { None, Invalid, LeavesFolder, Exists, TakenByRun };

/// The reason as the plan shows it after the failure mark.
Text failureReason(StepFailure failure);

/// The names a folder holds, exactly as the file system has them.
std::unordered_set<std::string> namesIn(const Text& folder);

/// Which steps of plan will fail, in plan order, given the names the folder holds: the name is not
/// valid, it would leave the folder, the name exists already, or an earlier step takes it.
/// Stops early, with fewer failures than steps, when cancelled returns true. For a plan that
/// reorders chains, a name held by an entry the run renames away is free (core/rename_order.h).
std::vector<StepFailure> planFailures(const RunPlan& plan, const std::unordered_set<std::string>& existing,
                                      const std::function<bool()>& cancelled = {});

/// One line per step, "old → new", with "  ✗ " and the reason on every step that will fail. The
/// folder is read once to know which names exist. A plan that reorders chains is shown in the
/// order its renames will be made, temporary names included, then the failing steps.
std::vector<Text> describePlan(const RunPlan& plan);

/// The mark that starts the reason of a failing line.
Text failureMark();

}  // namespace velmora
