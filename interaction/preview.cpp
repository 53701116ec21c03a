#include "interaction/preview.h"
#include "interaction/click.h"

#include <string_view>

namespace velmora {

// Below the folder, the walk's order is kept as found and every listing is in order of paths.
FolderSnapshot::FolderSnapshot(const Text& folder, Reach reach) : folder_(folder), reach_(reach) {
    std::pair<NameList, NameList> found;
    if (reach == Reach::Below)
        found = enumerateBelow(folder);
    else
        found = {enumerateEntries(folder, EntryKind::Files, ListingOrder::AsFound),
                 enumerateEntries(folder, EntryKind::Folders, ListingOrder::AsFound)};
    auto files = std::make_shared<const NameList>(std::move(found.first));
    auto folders = std::make_shared<const NameList>(std::move(found.second));
    names_ = NameSet({files, folders});
    const auto native = textToNative(folder);
    disk_ = std::make_shared<const Disk>(diskOf(native ? *native : NativeName{}));
    files_ = std::move(files);
    folders_ = std::move(folders);
}

SharedListing FolderSnapshot::listing(EntryKind kind, ListingOrder order) const {
    const SharedListing& asFound = kind == EntryKind::Files ? files_ : folders_;
    if (order == ListingOrder::AsFound ||
        (reach_ == Reach::Folder && order == ListingOrder::NumberAware && kind == EntryKind::Folders))
        return asFound;
    if (reach_ == Reach::Below) order = ListingOrder::Natural;  // of the paths
    const std::lock_guard<std::mutex> lock(sortedLock_);
    SharedListing& sorted = sorted_[{kind, order}];
    if (!sorted) {
        NameList names = *asFound;
        sortListing(names, kind, order, nullptr, reach_);
        sorted = std::make_shared<const NameList>(std::move(names));
    }
    return sorted;
}

namespace {

Preview planPreview(const RenameRule& rule, const RunRequest& request, const FolderSnapshot& folder,
                    const std::function<bool()>& cancelled, Progress* reading) {
    Preview preview;
    if (request.refusal) {
        preview.refusal = request.refusal;
        return preview;
    }
    if (!request.kind) {
        preview.noKindChosen = true;
        return preview;
    }
    const Kind kind = *request.kind;
    const EntryKind entries = kind == Kind::Files ? EntryKind::Files : EntryKind::Folders;
    preview.plan = planRequest(rule, request, folder.listing(entries, listingOrder(rule, kind, request.reach)), nullptr,
                               cancelled, reading);
    preview.plan.asFound = folder.asFound(entries);
    preview.plan.disk = folder.disk();
    if (preview.plan.abandoned) return preview;
    if (auto refusal = refusalAfterPlanning(rule, request, preview.plan)) {
        preview.refusal = std::move(refusal);
        preview.plan.steps.clear();
        return preview;
    }
    preview.failures = planFailures(preview.plan, folder.names(), cancelled);
    if (preview.failures.size() != preview.plan.steps.size()) {
        preview.plan.abandoned = true;
        return preview;
    }
    for (StepFailure f : preview.failures) ++(f == StepFailure::None ? preview.renames : preview.failing);
    preview.plan.failing = preview.failing;
    if (rule.checkPlan) {
        if (auto refusal = rule.checkPlan(request, preview.plan)) {
            preview.refusal = std::move(refusal->message);
            preview.refusalStatus = std::move(refusal->status);
        }
    }
    return preview;
}

}  // namespace

// Runs on the preview's worker, where an exception would end the program: it becomes the reason
// the status line shows.
Preview previewRun(const RenameRule& rule, const RunRequest& request, const FolderSnapshot& folder,
                   const std::function<bool()>& cancelled, Progress* reading) {
    try {
        return planPreview(rule, request, folder, cancelled, reading);
    } catch (...) {
        Preview preview;
        preview.refusal = Message{"无法预览："_t + stoppedBecause(std::current_exception()), style::information, {}};
        return preview;
    }
}

Text previewStatus(const Text& buttonCaption, const Preview& preview) {
    Text status = buttonCaption + "："_t;
    const Text leftOut = preview.plan.leftOut > 0
                             ? "，另有"_t + toText(static_cast<long long>(preview.plan.leftOut)) + "个未选"_t
                             : Text();
    // A refusal of the plan (a list of the wrong length) still tells what the check boxes left out.
    if (preview.refusal && preview.refusalStatus) return status + *preview.refusalStatus + leftOut;
    if (preview.refusal) return status + preview.refusal->text;
    if (preview.noKindChosen) return status + "“文件”和“文件夹”都没有勾选"_t;
    status += "将更名"_t + toText(static_cast<long long>(preview.renames)) + "个"_t;
    if (preview.failing > 0) status += "，"_t + toText(static_cast<long long>(preview.failing)) + "个无法更名"_t;
    return status + leftOut;
}

std::shared_ptr<const RowEntries> matchRows(SharedListing listing, std::shared_ptr<const NameList> rowNames) {
    auto rows = std::make_shared<RowEntries>();
    const auto nameOf = [&](std::uint32_t entry) { return listing->bytes(entry); };
    PositionTable entryNamed(listing->size());
    for (std::size_t i = 0; i < listing->size(); ++i) entryNamed.insert(static_cast<std::uint32_t>(i), nameOf);
    rows->entryOfRow.assign(rowNames->size(), -1);
    for (std::size_t r = 0; r < rowNames->size(); ++r) {
        if (rowNames->bytes(r).empty()) continue;
        const std::uint32_t entry = entryNamed.find(rowNames->bytes(r), nameOf);
        if (entry != PositionTable::none) rows->entryOfRow[r] = static_cast<std::int32_t>(entry);
    }
    rows->listing = std::move(listing);
    rows->rowNames = std::move(rowNames);
    return rows;
}

std::vector<std::int32_t> stepsOfRows(const RunPlan& plan, const RowEntries& rows) {
    std::vector<std::int32_t> stepOfEntry(plan.listing->size(), -1);
    for (std::size_t i = 0; i < plan.steps.size(); ++i) stepOfEntry[plan.steps.entry(i)] = static_cast<std::int32_t>(i);
    std::vector<std::int32_t> steps(rows.entryOfRow.size(), -1);
    for (std::size_t r = 0; r < steps.size(); ++r)
        if (rows.entryOfRow[r] >= 0) steps[r] = stepOfEntry[static_cast<std::size_t>(rows.entryOfRow[r])];
    return steps;
}

}  // namespace velmora
