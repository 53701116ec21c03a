#pragma once
// The live preview: what a click on a rule's button would do now, planned over a folder read once
// and kept, with no message box, no question and nothing touched on disk.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/plan/plan.h"
#include "interaction/rule.h"

namespace velmora {

/// One folder's files and sub-folders as found, and every name it holds, read once.
class FolderSnapshot {
public:
    /// Reads folder from the disk (with Reach::Below, every folder below it too).
    explicit FolderSnapshot(const Text& folder, Reach reach = Reach::Folder);

    const Text& folder() const { return folder_; }
    Reach reach() const { return reach_; }
    /// The entries of one kind in the order a listing of that kind gives them.
    SharedListing listing(EntryKind kind, ListingOrder order) const;
    /// The entries of one kind as the disk gave them, before any order.
    const SharedListing& asFound(EntryKind kind) const { return kind == EntryKind::Files ? files_ : folders_; }
    const NameSet& names() const { return names_; }
    /// What the folder's disk does with names.
    const std::shared_ptr<const Disk>& disk() const { return disk_; }

private:
    Text folder_;
    Reach reach_;
    std::shared_ptr<const Disk> disk_;
    SharedListing files_;
    SharedListing folders_;
    NameSet names_;  ///< points into files_ and folders_
    mutable std::mutex sortedLock_;
    mutable std::map<std::pair<EntryKind, ListingOrder>, SharedListing> sorted_;  ///< made when first asked
};

struct Preview {
    std::optional<Message> refusal;  ///< what the click would show instead of renaming
    bool noKindChosen = false;  ///< neither kind box is checked: the click does nothing
    RunPlan plan;  ///< empty when refused, unless the rule refused on looking at the plan
    std::optional<Text> refusalStatus;  ///< the status line's words for the refusal, where shorter
    std::vector<StepFailure> failures;  ///< per step of the plan
    std::size_t renames = 0;  ///< steps that will succeed
    std::size_t failing = 0;  ///< steps that will fail
};

/// Plans rule as its click would with request, over the snapshot of the folder it names.
/// Planning stops early (plan.abandoned) when cancelled returns true; reading hears how far reading
/// what the files hold came, where the rule reads it.
Preview previewRun(const RenameRule& rule, const RunRequest& request, const FolderSnapshot& folder,
                   const std::function<bool()>& cancelled = {}, Progress* reading = nullptr);

/// The status line of a preview: the button's caption, then "：将更名N个" with "，M个无法更名" and
/// "，另有M个未选" (entries left out by the check boxes and the filter), or
/// the refusal.
Text previewStatus(const Text& buttonCaption, const Preview& preview);

/// Which listed entry each row shows: for every row name, the index of the entry with that name, or
/// -1. Rows with an empty name (rows of another folder) get -1.
struct RowEntries {
    SharedListing listing;
    std::shared_ptr<const NameList> rowNames;
    std::vector<std::int32_t> entryOfRow;
};
std::shared_ptr<const RowEntries> matchRows(SharedListing listing, std::shared_ptr<const NameList> rowNames);

/// For every row, the plan step of its entry, or -1; rows.listing is the plan's listing.
std::vector<std::int32_t> stepsOfRows(const RunPlan& plan, const RowEntries& rows);

}  // namespace velmora
