#include "core/plan/plan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cstring>
#include <string_view>

#include "core/fs/disk.h"
#include "core/fs/file_system.h"
#include "core/fs/folder_reader.h"
#include "core/fs/paths.h"
#include "core/plan/failures.h"
#include "core/plan/rename_order.h"

namespace velmora {

std::vector<StepFailure> planFailures(const RunPlan& plan, const NameSet& existing,
                                      const std::function<bool()>& cancelled) {
    const Disk* disk = plan.disk.get();
    if (plan.reordersChains) return orderRenames(renameRequests(plan), existing, disk).failures;
    if (plan.steps.empty()) return {};  // and it holds no list of new names
    // The names the run takes, over the names the folder holds; the folder's set is shared with
    // the preview and never copied. Names are compared as the lists hold them, as text: a name
    // read exactly converts to exactly one native name and back, and only such names are renamed.
    // Where the disk ignores case they are compared folded, which takes copies.
    const NameList& listing = *plan.listing;
    const NameList& newNames = *plan.steps.newNames();
    const bool folding = disk && disk->ignoresCase;
    std::vector<std::string> foldedNew;
    std::vector<std::string> foldedOld;
    NameSet foldedExisting;
    if (folding) {
        foldedNew.reserve(newNames.size());
        for (std::size_t i = 0; i < newNames.size(); ++i)
            foldedNew.push_back(foldCase(textToNative(newNames.text(i)).value_or(std::string())));
        foldedOld.reserve(listing.size());
        for (std::size_t e = 0; e < listing.size(); ++e)
            foldedOld.push_back(foldCase(listing.native(e).value_or(std::string())));
        foldedExisting = existing.mapped([](std::string_view name) { return foldCase(name); });
    }
    const auto newNameOf = [&](std::uint32_t step) -> std::string_view {
        return folding ? std::string_view(foldedNew[step]) : newNames.bytes(step);
    };
    PositionTable takenByRun(plan.steps.size());  ///< by step, the names taken so far
    // A name the folder holds is free again once its entry was renamed away, and to the entry
    // that holds it (a change of case only). Which entry holds a name is looked up only when a
    // step meets an existing name, which most runs never do.
    std::vector<bool> renamedAway(listing.size(), false);
    const auto entryNameOf = [&](std::uint32_t entry) -> std::string_view {
        return folding ? std::string_view(foldedOld[entry]) : listing.bytes(entry);
    };
    PositionTable entryNamed;
    const auto freedFor = [&](std::string_view name, std::size_t entry) {
        if (entryNamed.empty()) {
            entryNamed = PositionTable(listing.size());
            for (std::size_t e = 0; e < listing.size(); ++e)
                if (listing.exact(e)) entryNamed.insert(static_cast<std::uint32_t>(e), entryNameOf);
        }
        const std::uint32_t e = entryNamed.find(name, entryNameOf);
        return e != PositionTable::none && (renamedAway[e] || e == entry);
    };
    std::vector<StepFailure> failures;
    failures.reserve(plan.steps.size());
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (cancelled && (failures.size() & 1023) == 0 && cancelled()) break;
        if (const StepFailure refused = plan.steps.refusal(i); refused != StepFailure::None) {
            failures.push_back(refused);  // the transform's reason; the entry keeps its name
            continue;
        }
        const std::size_t entry = plan.steps.entry(i);
        const auto newNative = textToNative(newNames.text(i));
        const NativeName ownedOld =
            listing.keepsNatives() ? NativeName{} : listing.native(entry).value_or(NativeName{});
        const std::string_view oldNative = listing.keepsNatives() ? listing.nativeBytes(entry) : ownedOld;
        StepFailure failure = nameFailure(StepFailure::None, listing.exact(entry), newNative, oldNative, disk);
        if (failure == StepFailure::None) {
            if (takenByRun.find(newNameOf(static_cast<std::uint32_t>(i)), newNameOf) != PositionTable::none) {
                failure = StepFailure::TakenByRun;
            } else if ((folding ? foldedExisting.contains(foldedNew[i]) : existing.contains(*newNative)) &&
                       !freedFor(newNameOf(static_cast<std::uint32_t>(i)), entry)) {
                failure = StepFailure::Exists;
            } else {
                renamedAway[entry] = true;
                takenByRun.erase(entryNameOf(static_cast<std::uint32_t>(entry)), newNameOf);
                takenByRun.insert(static_cast<std::uint32_t>(i), newNameOf);
            }
        }
        failures.push_back(failure);
    }
    return failures;
}

std::vector<Text> describePlan(const RunPlan& plan) {
    if (plan.reordersChains) {
        const auto [oldNames, newNames] = stepNames(plan);
        return describeOrder(orderRenames(renameRequests(plan), namesIn(plan.folder), plan.disk.get()), oldNames,
                             newNames);
    }
    const std::vector<StepFailure> failures = planFailures(plan, namesIn(plan.folder));
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

PlanLines::PlanLines(const Text& folder, std::size_t steps, StepAt stepAt, std::shared_ptr<const Disk> disk)
    : steps_(steps), stepAt_(std::move(stepAt)), disk_(std::move(disk)) {
    // Room for every step at once: growing in the slices a view checks would copy the marks, and
    // rehash the names, again and again, each time the longer.
    failures_.reserve(steps_);
    changed_.reserve(2 * steps_);
    const auto native = textToNative(folder);
    if (native) folder_ = open(native->empty() ? "." : native->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

PlanLines::PlanLines(std::vector<Text> lines)
    : steps_(lines.size()), failures_(lines.size(), StepFailure::None), fixed_(std::move(lines)) {
    for (std::size_t i = 0; i < fixed_.size(); ++i) {
        if (fixed_[i].bytes().size() > longest_) {
            longest_ = fixed_[i].bytes().size();
            longestAt_ = i;
        }
    }
}

PlanLines::~PlanLines() {
    if (folder_ >= 0) close(folder_);
}

// A name the rename itself would take as free: missing, or the same entry under another case.
bool PlanLines::existsOnDisk(const NativeName& name, const NativeName& old) const {
    // Such a disk holds no two names that differ only in case: the name is the entry's own. Not
    // even looked up: a FUSE disk's kernel cache would keep the spelling as a name of the entry,
    // and the rename to it would find it taken.
    if (disk_ && disk_->ignoresCase && sameButForCase(name, old)) return false;
    struct stat st {};
    if (folder_ < 0 || fstatat(folder_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    struct stat so {};
    if (fstatat(folder_, old.c_str(), &so, AT_SYMLINK_NOFOLLOW) != 0 || so.st_dev != st.st_dev ||
        so.st_ino != st.st_ino)
        return true;
    // Both names find one entry: the same entry under another case on a file system that ignores
    // case, or two links of one file, the second of which holds the name. Only the folder's own
    // names tell them apart; this is rare enough to read them for.
    FolderReader folder(folder_);
    if (!folder.isOpen()) return true;
    bool held = false;
    while (const dirent* e = held ? nullptr : folder.next()) held = name == e->d_name;
    return held;
}

namespace {
constexpr std::uint8_t kPresent = 1;
constexpr std::uint8_t kTakenByRun = 2;
}  // namespace

// The same judgement as planFailures, with the names the run has not touched asked of the disk.
StepFailure PlanLines::check(const PlanStep& step) {
    const auto newNative = textToNative(step.newName);
    if (const StepFailure refused = nameFailure(step.refusal, step.exact, newNative, step.oldNative, disk_.get());
        refused != StepFailure::None)
        return refused;
    const std::string newKey = comparedName(*newNative, disk_.get());
    const std::string oldKey = comparedName(step.oldNative, disk_.get());
    const auto known = changed_.find(newKey);
    const bool taken = known != changed_.end() ? (known->second & kPresent) != 0 && newKey != oldKey
                                               : existsOnDisk(*newNative, step.oldNative);
    if (taken)
        return known != changed_.end() && (known->second & kTakenByRun) ? StepFailure::TakenByRun : StepFailure::Exists;
    changed_[oldKey] = 0;  // freed; never taken by the run before its own step
    changed_[newKey] = kPresent | kTakenByRun;
    return StepFailure::None;
}

void PlanLines::checkUpTo(std::size_t end) {
    end = std::min(end, steps_);
    if (end <= failures_.size()) return;
    while (failures_.size() < end) {
        const PlanStep step = stepAt_(failures_.size());
        const StepFailure failure = check(step);
        failures_.push_back(failure);
        std::size_t bytes = step.oldName.bytes().size() + step.newName.bytes().size() + 5;
        if (failure != StepFailure::None) bytes += 6 + failureReason(failure, step.newName).bytes().size();
        if (bytes > longest_) {
            longest_ = bytes;
            longestAt_ = failures_.size() - 1;
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
    if (i < failures_.size() && failures_[i] != StepFailure::None)
        line += failureMark() + failureReason(failures_[i], step.newName);
    return line;
}

}  // namespace velmora
