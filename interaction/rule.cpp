#include "interaction/rule.h"

#include "core/fs/paths.h"
#include "core/plan/plan.h"

namespace velmora {
namespace {

using namespace component;

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

bool filteredOut(const RenameRule& rule, const Window& window, const Entry& e) {
    switch (rule.filter) {
    case ExtensionFilter::None:
        return false;
    case ExtensionFilter::Standard:
        return e.extensionLength != 0 && extensionIs(e.name, window.chosenText(组合框2));
    case ExtensionFilter::ChosenItem:
        return window.selection(组合框2) != -1 && extensionIs(e.name, window.chosenText(组合框2));
    }
    return false;
}

// Visits every listed entry as the rule's transform sees it, keeping the window painting and
// stopping early when cancelled.
template <typename Visit>
bool forEachEntry(const RenameRule& rule, Window& window, bool files, const NameList& listed,
                  const std::function<bool()>& cancelled, Visit visit) {
    PumpThrottle throttle(&window, listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        throttle.tick(i + 1);
        if (cancelled && (i & 1023) == 0 && cancelled()) return false;
        const Text name = listed.text(i);
        const std::size_t extensionLength = files ? velmora::extensionLength(name.bytes()) : 0;
        if (files && rule.subject == Subject::NamePart) {
            const Text namePart = leftText(name, name.length() - static_cast<int>(extensionLength));
            visit(Entry{i + 1, name, namePart, extensionLength});
        } else {
            visit(Entry{i + 1, name, name, extensionLength});
        }
    }
    return true;
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

RunStart startRun(const RenameRule& rule, const Window& window) {
    if (auto refusal = folderRefusal(rule, window)) return {std::move(refusal), std::nullopt};
    if (rule.kinds == Kinds::FilesOnly || window.checked(选择框1)) return {std::nullopt, Kind::Files};
    if (window.checked(选择框2)) return {std::nullopt, Kind::Folders};
    return {};
}

ListingOrder listingOrder(const RenameRule& rule, Kind kind) {
    if (rule.naturalOrder) return ListingOrder::Natural;
    return kind == Kind::Files && rule.numberAwareOrder ? ListingOrder::NumberAware : ListingOrder::AsFound;
}

RunPlan planRun(const RenameRule& rule, Window& window, Kind kind, const Text& folder, SharedListing listing,
                const std::function<bool()>& cancelled) {
    RunPlan plan;
    plan.kind = kind;
    plan.folder = folder;
    plan.listing = std::move(listing);
    plan.reordersChains = rule.reordersChains;
    const bool files = kind == Kind::Files;
    const NameList& listed = *plan.listing;
    const Pass pass = (files ? rule.files : rule.folders)(window, kind, listed.size());
    if (rule.confirmation == Confirmation::Counted) {
        std::size_t n = 0;
        if (!forEachEntry(rule, window, files, listed, cancelled,
                          [&](const Entry& e) { n += pass.counts(e) ? 1 : 0; })) {
            plan.abandoned = true;
            return plan;
        }
        plan.counted = n;
        if (n == 0) return plan;
    }
    plan.abandoned = !forEachEntry(rule, window, files, listed, cancelled, [&](const Entry& e) {
        if (files && filteredOut(rule, window, e)) return;
        StepFailure refusal = StepFailure::None;
        std::optional<Text> changed = pass.transform(Entry{e.index, e.name, e.subject, e.extensionLength, &refusal});
        // A refused entry stays in the plan under its own name, so the preview, the question and
        // the report count it as failing.
        if (refusal != StepFailure::None) {
            plan.steps.push_back({e.index - 1, e.name, refusal});
            return;
        }
        if (!changed || changed->empty()) return;
        if (files && rule.subject == Subject::NamePart) *changed += e.extension();
        // An entry that would keep its name is left alone, not a rename that fails.
        if (*changed == e.name) return;
        plan.steps.push_back({e.index - 1, std::move(*changed)});
    });
    plan.steps.shrinkToFit();
    return plan;
}

std::optional<Message> refusalAfterPlanning(const RenameRule& rule, const Window& window, const RunPlan& plan) {
    if (rule.confirmation == Confirmation::Counted && plan.counted == 0u)
        return Message{"找不到需要改的文件名"_t, style::ok, "提示"_t};
    if (plan.kind == Kind::Files) return firstRefusal(rule.checksBeforeFileLoop, window);
    return std::nullopt;
}

}  // namespace velmora
