#include "core/plan/plan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string_view>

#include "core/fs/disk.h"
#include "core/fs/folder_reader.h"
#include "core/fs/folder_walk.h"
#include "core/plan/rename_order.h"

namespace velmora {

std::vector<StepFailure> planFailures(const RunPlan& plan, const NameSet& existing,
                                      const std::function<bool()>& cancelled) {
    const Disk* disk = plan.disk.get();
    if (plan.reordersChains) return orderedFailures(renameRequests(plan), existing, disk);
    if (plan.steps.empty()) return {};  // and it holds no list of new names
    // The folder's set is shared with the preview and never copied; where the disk ignores case it
    // is compared folded, which takes a folded copy.
    const NameList& listing = *plan.listing;
    const NameList& newNames = *plan.steps.newNames();
    NameSet folded;
    if (disk && disk->ignoresCase) folded = existing.mapped([](std::string_view name) { return foldCase(name); });
    const NameSet& held = disk && disk->ignoresCase ? folded : existing;
    const auto heldInFolder = [&held](const NativeName&, std::string_view key) { return held.contains(key); };
    StepJudge judge(plan.steps.size(), disk);
    std::vector<StepFailure> failures;
    failures.reserve(plan.steps.size());
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        if (cancelled && (failures.size() & 1023) == 0 && cancelled()) break;
        const std::size_t entry = plan.steps.entry(i);
        const StepFailure refusal = plan.steps.refusal(i);
        if (refusal != StepFailure::None) {
            failures.push_back(refusal);  // the transform's reason; the entry keeps its name
            continue;
        }
        const NativeName ownedOld =
            listing.keepsNatives() ? NativeName{} : listing.native(entry).value_or(NativeName{});
        const std::string_view oldNative = listing.keepsNatives() ? listing.nativeBytes(entry) : ownedOld;
        failures.push_back(
            judge.judge(refusal, listing.exact(entry), textToNative(newNames.text(i)), oldNative, heldInFolder));
    }
    return failures;
}

PlanCheck::PlanCheck(const Text& folder, std::size_t steps, std::shared_ptr<const Disk> disk)
    : disk_(std::move(disk)), judge_(steps, disk_.get()) {
    // Room for every step at once: growing in the slices a view checks would copy the marks again
    // and again, each time the longer.
    failures_.reserve(steps);
    const auto native = textToNative(folder);
    if (native) folder_ = open(native->empty() ? "." : native->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

PlanCheck::~PlanCheck() {
    if (folder_ >= 0) close(folder_);
}

// Whether an entry other than the one named old holds name. Not asked of an entry's own name under
// another case on a disk that ignores case: a FUSE disk's kernel cache would keep the spelling as
// a name of the entry, and the rename to it would find it taken.
bool PlanCheck::heldOnDisk(const NativeName& name, const NativeName& old) const {
    struct stat st {};
    if (folder_ < 0 || fstatat(folder_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    struct stat so {};
    if (fstatat(folder_, old.c_str(), &so, AT_SYMLINK_NOFOLLOW) != 0 || so.st_dev != st.st_dev ||
        so.st_ino != st.st_ino)
        return true;
    // Both names find one entry: the same entry under another case on a file system that ignores
    // case, or two links of one file, the second of which holds the name. Only the folder's own
    // names tell them apart; this is rare enough to read them for.
    // An entry below the folder is looked for among the names of its own folder.
    const std::size_t slash = name.rfind('/');
    const int below = slash == std::string::npos ? -1 : openFolderBelow(folder_, name.substr(0, slash));
    if (slash != std::string::npos && below < 0) return true;
    FolderReader folder(below >= 0 ? below : folder_);
    if (below >= 0) close(below);
    if (!folder.isOpen()) return true;
    const std::string_view own =
        slash == std::string::npos ? std::string_view(name) : std::string_view(name).substr(slash + 1);
    bool held = false;
    while (const dirent* e = held ? nullptr : folder.next()) held = own == e->d_name;
    return held;
}

StepFailure PlanCheck::check(const PlanStep& step) {
    const StepFailure failure =
        judge_.judge(step.refusal, step.exact, textToNative(step.newName), step.oldNative,
                     [&](const NativeName& name, std::string_view) { return heldOnDisk(name, step.oldNative); });
    failures_.push_back(failure);
    return failure;
}

}  // namespace velmora
