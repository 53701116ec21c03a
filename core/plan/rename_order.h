#pragma once
// Renames of one run carried out so that chains and swaps succeed: a new name held by an entry
// that the same run renames away is not a failure. A chain (a→b, b→c) runs from its free end; a
// cycle (a→b, b→a) goes through a temporary name in the same folder. Nothing is ever overwritten.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/plan/failures.h"
#include "core/plan/judgement.h"
#include "core/plan/run_plan.h"
#include "core/text/encoding.h"
#include "core/text/text.h"

namespace velmora {

/// One rename on disk. A step broken out of a cycle is two operations: to its temporary name,
/// and later from it to the new name.
struct RenameOperation {
    enum class Leg {
        Whole,  ///< old name to new name
        ToTemporary,  ///< old name to the temporary name
        FromTemporary,  ///< temporary name to new name
        TakenBack,  ///< temporary name back to the old name, when the new one could not be reached
    };
    std::size_t step;  ///< index into the planned renames
    Leg leg;
    NativeName from;
    NativeName to;
};

struct RenameOrder {
    std::vector<RenameOperation> operations;  ///< in the order they are to be made
    /// One per planned rename. Exists: an entry that stays where it is holds the name (an entry
    /// the run renames away does not); TakenByRun: an earlier rename of the plan takes it.
    std::vector<StepFailure> failures;
};

/// In which order renames that do not depend on each other are made.
enum class MadeIn {
    PlanOrder,
    /// The order of the folder's listing (present's): where a FUSE driver finds an entry by walking
    /// the folder, it finds the ones it listed first soonest. Temporary names stay those of plan
    /// order, so the plan shown beforehand names them right.
    ListingOrder,
};

/// Orders the planned renames of one folder whose entries are named present. Pure: reads nothing
/// and touches nothing. Where two renames want one name, the earlier in plan order gets it.
/// Where disk ignores case, names equal but for case are one name, and a change of case goes
/// through a temporary name.
RenameOrder orderRenames(const std::vector<RenameRequest>& steps, const NameSet& present, const Disk* disk = nullptr,
                         MadeIn madeIn = MadeIn::PlanOrder);

/// The failures orderRenames finds, without ordering the renames: all a preview shows of them.
std::vector<StepFailure> orderedFailures(const std::vector<RenameRequest>& steps, const NameSet& present,
                                         const Disk* disk = nullptr);

/// The steps of plan as requests for orderRenames.
std::vector<RenameRequest> renameRequests(const RunPlan& plan);

/// The old and the new names of the steps of plan, in plan order.
std::pair<std::vector<Text>, std::vector<Text>> stepNames(const RunPlan& plan);

/// The operation as text, "from" and "to": the step's old and new names or the temporary name.
std::pair<Text, Text> operationText(const RenameOperation& operation, const std::vector<Text>& oldNames,
                                    const std::vector<Text>& newNames);

}  // namespace velmora
