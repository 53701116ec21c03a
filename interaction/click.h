#pragma once
// A click on a rule's button as the user lives it: the checks, the listing or the preview's plan,
// the question with the plan to see, renaming with progress, the report.

#include <exception>

#include "interaction/rule.h"

namespace velmora {

/// What a run did on disk, in order.
struct RunResult {
    bool listed = false;  ///< the run got past its checks and listed the folder
    RenameList renamed;  ///< (old name, new name) of every success, sharing the run's names
};

/// Why work that threw stopped, as a person reads it: more names than one listing holds, no
/// memory left, or a fault of ours.
Text stoppedBecause(const std::exception_ptr& error);

/// Runs rule once, as a click on its button does. Nothing it throws escapes: a click that stops
/// on an exception says why. A previewed plan is applied as it is when the
/// fresh listing equals the listing it was made from (the caller vouches for the inputs); caption
/// (the button's) names the run in the history.
RunResult runRenameRule(const RenameRule& rule, Window& window, Session& session, const RunPlan* previewed = nullptr,
                        const Text& caption = {});

}  // namespace velmora
