#include "interaction/rule.h"

#include "core/fs/paths.h"

namespace velmora {
namespace {

using namespace component;

// The inputs of a rule that reads nothing from the window.
struct NoInputs {
    friend bool operator==(NoInputs, NoInputs) { return true; }
};

std::optional<Message> folderRefusal(const RenameRule& rule, const Window& window) {
    if (auto m = firstRefusal(rule.checksFirst, window)) return m;
    const Text folder = window.currentFolder();
    if (folder.empty()) return Message{"路径呢？"_t, style::information, rule.noFolderCaption};
    if (auto m = firstRefusal(rule.checksAfterEmpty, window)) return m;
    if (findText(folder, "desktop"_t) != notFound)
        return Message{"请不要把视频放在桌面"_t, style::information, "提示"_t};
    if (folder == separatorText()) return Message{"什么都没有选择"_t, style::information, "提示"_t};
    return firstRefusal(rule.checksAfterFolder, window);
}

std::optional<SkippedExtension> skippedExtension(const RenameRule& rule, const Window& window) {
    switch (rule.filter) {
    case ExtensionFilter::None:
        return std::nullopt;
    case ExtensionFilter::Standard:
        return SkippedExtension{window.chosenText(组合框2), false};
    case ExtensionFilter::ChosenItem:
        if (window.selection(组合框2) == -1) return std::nullopt;
        return SkippedExtension{window.chosenText(组合框2), true};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Message> firstRefusal(const std::vector<InputCheck>& checks, const Window& window) {
    for (const InputCheck& check : checks)
        if (auto message = check(window)) return message;
    return std::nullopt;
}

InputCheck requireContent(Component component, Message message) {
    return [component, message = std::move(message)](const Window& window) -> std::optional<Message> {
        if (window.content(component).empty()) return message;
        return std::nullopt;
    };
}

bool RunRequest::sameAs(const RunRequest& other) const {
    return refusal == other.refusal && kind == other.kind && folder == other.folder && skipped == other.skipped &&
           sameLeftOut(leftOut, other.leftOut) && reach == other.reach &&
           refusalBeforeFileLoop == other.refusalBeforeFileLoop &&
           (inputs == other.inputs || (inputs && other.inputs && inputs->sameAs(*other.inputs)));
}

RunRequest readRequest(const RenameRule& rule, const Window& window) {
    RunRequest request;
    request.folder = window.currentFolder();
    if ((request.refusal = folderRefusal(rule, window))) return request;
    if (rule.kinds == Kinds::FilesOnly || window.checked(选择框1))
        request.kind = Kind::Files;
    else if (window.checked(选择框2))
        request.kind = Kind::Folders;
    else
        return request;
    request.skipped = skippedExtension(rule, window);
    request.leftOut = window.leftOut();
    request.reach = window.checked(选择框_包括子文件夹) ? Reach::Below : Reach::Folder;
    static const auto nothing = std::make_shared<const InputsOf<NoInputs>>(NoInputs{});
    request.inputs = rule.read ? rule.read(window) : nothing;
    if (request.kind == Kind::Files) request.refusalBeforeFileLoop = firstRefusal(rule.checksBeforeFileLoop, window);
    return request;
}

ListingOrder listingOrder(const RenameRule& rule, Kind kind, Reach reach) {
    if (rule.naturalOrder) return ListingOrder::Natural;
    if (reach == Reach::Below) return ListingOrder::AsFound;  // numbers in names of many folders order nothing
    return kind == Kind::Files && rule.numberAwareOrder ? ListingOrder::NumberAware : ListingOrder::AsFound;
}

RunPlan planRequest(const RenameRule& rule, const RunRequest& request, SharedListing listing, Progress* progress,
                    const std::function<bool()>& cancelled, Progress* reading) {
    const Kind kind = *request.kind;
    const PlanShape shape{rule.subject,        rule.confirmation == Confirmation::Counted,
                          rule.reordersChains, request.skipped,
                          request.leftOut,     request.reach};
    if (rule.arrange) listing = rule.arrange(request, listing);
    const Pass pass = (kind == Kind::Files ? rule.files : rule.folders)(*request.inputs, kind, listing->size());
    return planRun(shape, pass, kind, request.folder, std::move(listing), progress, cancelled, reading);
}

std::optional<Message> refusalAfterPlanning(const RenameRule& rule, const RunRequest& request, const RunPlan& plan) {
    if (rule.confirmation == Confirmation::Counted && plan.counted == 0u)
        return Message{"找不到需要改的文件名"_t, style::ok, "提示"_t};
    if (plan.kind == Kind::Files) return request.refusalBeforeFileLoop;
    return std::nullopt;
}

PassFactory entryPass(std::function<std::optional<Text>(const Entry&)> transform) {
    return [transform = std::move(transform)](const RuleInputs&, Kind, std::size_t) { return Pass{transform, {}}; };
}

}  // namespace velmora
