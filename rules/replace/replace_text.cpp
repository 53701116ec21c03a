// 按钮4: replace one occurrence of a text in every name.
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

// In the restricted mode only an occurrence that starts within the first frontLimit bytes counts.
std::optional<Text> replaceOne(const Window& window, const Text& name, int frontLimit, bool missingIsAlone) {
    const Text find = window.content(编辑框4);
    int position = notFound;
    if (window.checked(单选框7)) {
        position = findText(name, find);
        if (position > frontLimit || (missingIsAlone && position == notFound)) return std::nullopt;
    } else if (window.checked(单选框8)) {
        const auto found = locate(window, name, find, 单选框9, 单选框10);
        if (!found || *found == notFound) return std::nullopt;
        position = *found;
    } else {
        return std::nullopt;
    }
    const Text changed = replaceText(name, find, window.content(编辑框5), position, 1);
    if (changed == name) return std::nullopt;
    return changed;
}

RenameRule makeRule() {
    RenameRule rule;
    rule.noFolderCaption = "提示"_t;
    rule.checksAfterEmpty = {requireContent(编辑框4, {"去掉啥？不能为空"_t, style::information, "提示"_t})};
    rule.checksAfterFolder = {refuseForbiddenCharacters(编辑框5, {"不能改成这个东西"_t, style::ok, {}})};
    rule.listing = Listing::FullPaths;
    rule.subject = Subject::NamePart;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::UpFront;
    rule.files = simplePass([](const Window& w, const Entry& e) { return replaceOne(w, e.subject, 8, false); });
    rule.folders = simplePass([](const Window& w, const Entry& e) { return replaceOne(w, e.subject, 7, true); });
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.cancelled || o.count == 0) return std::nullopt;
        const Text prefix = o.kind == Kind::Files ? "成功改名"_t : "成功改了"_t;
        return Message{prefix + toText(o.count) + "个"_t, style::ok, "提示"_t};
    };
    return rule;
}

}  // namespace

const RenameRule& replaceTextRule() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
