#pragma once
// A run's plan as values: which entry gets which new name, and which steps are refused. Planned
// by a rule over a listing, shown by the preview and the question, applied by the click.

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "core/fs/disk.h"
#include "core/fs/listing.h"
#include "core/names/name_list.h"
#include "core/text/text.h"

namespace velmora {

enum class Kind { Files, Folders };

/// Why a planned rename will fail: the new name is not valid, it would leave the folder, the name
/// exists already, an earlier step takes it, or the transform refused the entry (its number is out
/// of range, or its file lacks a value the new name needs).
enum class StepFailure : std::uint8_t {
    None,
    Invalid,
    LeavesFolder,
    Exists,
    TakenByRun,
    OutOfRange,
    DiskCharacter,  ///< a character the folder's disk cannot store
    DiskDeviceName,  ///< a device name on a disk that Windows reads (CON, NUL, COM1, …)
    DiskTrailingDotOrSpace,
    TooLong,  ///< longer than the folder's disk allows, in its own units
    // The new name needs a value the entry's file does not hold: one kind per value, in this order.
    NoDateTaken,
    NoTimeTaken,
    NoCamera,
    NoWidth,
    NoHeight,
    NoModifiedDate,
    NoModifiedTime,
    NoArtist,
    NoTitle,
    NoAlbum,
    NoTrack,
    NoYear,
};

/// One planned rename: an entry of the listing and its new name.
struct PlannedRename {
    std::size_t entry;  ///< index into the listing
    Text newName;  ///< the entry's own name when refused
    StepFailure refusal = StepFailure::None;  ///< why the transform refused the entry
};

/// A listing held compactly and shared: the click's, the preview's cached one, the session's
/// entry list and the last run's renames refer to the same names.
using SharedListing = std::shared_ptr<const NameList>;

/// The steps of a plan held compactly: the entries in order and their new names in one list,
/// which copies of the plan and the renames of the run that applies it share.
class PlanSteps {
public:
    std::size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    void push_back(const PlannedRename& step);
    void clear();
    /// Gives back what growing left unused, once every step is in.
    void shrinkToFit();
    PlannedRename operator[](std::size_t i) const { return {entries_[i], names_->text(i), refusal(i)}; }
    PlannedRename front() const { return (*this)[0]; }
    /// Index into the listing of step i's entry.
    std::size_t entry(std::size_t i) const { return entries_[i]; }
    /// Why the transform refused step i's entry; StepFailure::None for a rename.
    StepFailure refusal(std::size_t i) const;
    /// The new names, name i for step i (null while there are none).
    std::shared_ptr<const NameList> newNames() const { return names_; }

    class const_iterator {
    public:
        const_iterator(const PlanSteps* steps, std::size_t i) : steps_(steps), i_(i) {}
        PlannedRename operator*() const { return (*steps_)[i_]; }
        const_iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const const_iterator& o) const { return i_ != o.i_; }

    private:
        const PlanSteps* steps_;
        std::size_t i_;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

private:
    std::vector<std::uint32_t> entries_;
    std::shared_ptr<NameList> names_;  ///< shared by copies; a copy that grows makes its own first
    std::vector<std::pair<std::uint32_t, StepFailure>> refusals_;  ///< by step, ascending; rare
};

/// What a click would do with its listing, worked out without asking, renaming or showing anything.
/// The click and the live preview plan with the same function.
struct RunPlan {
    Kind kind = Kind::Files;
    Text folder;
    SharedListing listing;
    /// The listing as the folder gave it, before it was put in order, when planned over a snapshot
    /// of the folder (the preview): a click checks the folder against it.
    SharedListing asFound;
    std::optional<std::size_t> counted;  ///< entries that a counted confirmation counts
    std::size_t leftOut = 0;  ///< listed entries left alone as unchecked or filtered out
    PlanSteps
        steps;  ///< in listing order (below the folder, deepest first); never an entry onto its own name unless refused
    bool abandoned = false;  ///< planning was cancelled; steps are incomplete
    bool reordersChains = false;  ///< the rule's: steps are made in the order of core/plan/rename_order.h
    /// Reach::Below: the listing names entries by their paths below the folder, and the steps
    /// rename a folder after the entries inside it.
    Reach reach = Reach::Folder;
    /// What the folder's disk does with names; null for a disk that tells case apart and takes
    /// every name of up to 255 bytes.
    std::shared_ptr<const Disk> disk;
    /// Steps that will fail, where the plan was judged already (the preview's).
    std::optional<std::size_t> failing;
};

}  // namespace velmora
