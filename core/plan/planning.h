#pragma once
// How a rule's run is planned over a listing: each entry as the rule's transform sees it, the
// skipped extension, refusals kept as failing steps. What the rule reads from the window it
// reads before; planning sees values only.

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "core/fs/listing.h"
#include "core/fs/progress.h"
#include "core/names/left_out_names.h"
#include "core/plan/run_plan.h"
#include "core/text/text.h"

namespace velmora {

/// What the transform of a file sees and returns.
enum class Subject {
    WholeName,  ///< the whole file name, extension included
    NamePart,  ///< the name without its extension; planning puts the extension back
};

/// One entry as a transform sees it.
struct Entry {
    std::size_t index = 0;  ///< 1-based position in the listing
    const Text& name;  ///< file or folder name (of an entry below the folder, the last part of its path)
    const Text& subject;  ///< what the transform edits (name or name part)
    std::size_t extensionLength = 0;  ///< files: bytes of extensionOf(name); folders: 0
    StepFailure* refusal = nullptr;  ///< where refuse() records its reason; set while planning
    /// Where the entry is below the listed folder, as GB18030 bytes ending in '/' ("第1季/"); empty
    /// for an entry of the folder itself. Planning puts it back before the new name.
    std::string_view within = {};

    /// Refuses to rename the entry: the plan keeps it under its own name, failing with why, and
    /// the run leaves it alone. The transform then returns nothing.
    void refuse(StepFailure why) const {
        if (refusal) *refusal = why;
    }

    /// Files: the name without extension; folders: the name.
    Text namePart() const { return leftText(name, name.length() - static_cast<int>(extensionLength)); }
    /// Files: extensionOf(name); folders: empty.
    Text extension() const { return rightText(name, static_cast<int>(extensionLength)); }
};

/// The transform of one pass: a new name (or name part) for an entry, or nothing to leave it.
using Transform = std::function<std::optional<Text>(const Entry&)>;
/// The counting condition of a run that counts its entries before it asks.
using CountCondition = std::function<bool(const Entry&)>;

/// What a pass may look at before its first transform: the folder, the listing, and which of
/// its entries the transform will see (0-based, in the order it sees them). A pass that reads the
/// entries' contents tells progress how far it came and stops when cancelled returns true.
struct Survey {
    const Text& folder;
    const NameList& listing;
    const std::vector<std::size_t>& visited;
    Progress* progress;
    const std::function<bool()>& cancelled;
};

struct Pass {
    Transform transform;
    CountCondition counts;  ///< only where the run counts first
    /// Called once before the first transform where set; false when cancelled on the way.
    std::function<bool(const Survey&)> survey = {};
};

/// Files whose extension is left alone by a run.
struct SkippedExtension {
    Text extension;
    bool alsoWithoutExtension = false;  ///< a file without an extension may match too
    friend bool operator==(const SkippedExtension& a, const SkippedExtension& b) {
        return a.extension == b.extension && a.alsoWithoutExtension == b.alsoWithoutExtension;
    }
};

/// True when a file named name is left alone for skipped (nothing skips nothing).
bool skipsFile(const std::optional<SkippedExtension>& skipped, const Text& name);

/// What planning needs of a rule and of the inputs read for one run.
struct PlanShape {
    Subject subject = Subject::WholeName;
    bool countsFirst = false;  ///< count the entries pass.counts accepts before planning
    bool reordersChains = false;
    std::optional<SkippedExtension> skipped;  ///< files only
    /// Entries left alone before anything else: no count, no survey, no transform sees them.
    SharedLeftOut leftOut;
    /// Reach::Below: the listing names entries by their paths below the folder. Each is renamed in
    /// its own folder, and a folder after the entries below it.
    Reach reach = Reach::Folder;
};

/// Plans a run of pass over listing, telling progress how far it came; planning stops early
/// (plan.abandoned) when cancelled (polled now and then) returns true. reading, where given, hears
/// how far the pass's survey came instead of progress.
RunPlan planRun(const PlanShape& shape, const Pass& pass, Kind kind, const Text& folder, SharedListing listing,
                Progress* progress = nullptr, const std::function<bool()>& cancelled = {}, Progress* reading = nullptr);

}  // namespace velmora
