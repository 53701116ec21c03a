#pragma once
// What a run is about to do, as the confirmation shows it.

#include <functional>
#include <vector>

#include "core/encoding.h"
#include "core/text.h"

namespace velmora {

class Window;

/// One planned rename.
struct PlanStep {
    NativeName oldNative;
    Text oldName;
    bool exact;  ///< the old name could be read as text
    Text newName;
};

/// One line per step, "old → new", with "  ✗ " and the reason on every step that will fail: the
/// name exists already, an earlier step takes it, the name is not valid, or it would leave the
/// folder. The folder is read once to know which names exist.
std::vector<Text> describePlan(const Text& folder, std::size_t steps, const std::function<PlanStep(std::size_t)>& stepAt);

/// The mark that starts the reason of a failing line.
Text failureMark();

}  // namespace velmora
