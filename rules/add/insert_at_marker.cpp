// 按钮10: insert a text directly before or after one occurrence of a marker.
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

std::optional<Text> insertAtMarker(const Window& window, const Entry& e) {
    const Text marker = window.content(编辑框11);
    const auto position = locate(window, e.subject, marker, 单选框5, 单选框6);
    if (!position || *position == notFound) return std::nullopt;
    const Text insert = window.content(编辑框12);
    if (window.checked(单选框3)) return replaceText(e.subject, marker, insert + marker, *position, 1);
    if (window.checked(单选框4)) return replaceText(e.subject, marker, marker + insert, *position, 1);
    return std::nullopt;
}

RenameRule makeRule() {
    RenameRule rule;
    rule.checksFirst = {[](const Window& w) -> std::optional<Message> {
        if (w.content(编辑框11).empty() || w.content(编辑框12).empty())
            return Message{"弄啥呢？"_t, style::information, {}};
        return std::nullopt;
    }};
    rule.checksAfterFolder = {refuseForbiddenCharacters(编辑框12, {"不能改成这个东西"_t, style::ok, {}})};
    rule.subject = Subject::NamePart;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.files = simplePass(insertAtMarker);
    rule.folders = simplePass(insertAtMarker);
    rule.report = [](const RunOutcome& o) {
        return std::optional<Message>{{"有"_t + toText(o.count) + "个文件被改名成功"_t, style::ok, {}}};
    };
    return rule;
}

}  // namespace

const RenameRule& insertAtMarker() {
    static const RenameRule rule = makeRule();
    return rule;
}

void insertBeforeClicked(Window& window) {
    if (window.checked(单选框3)) window.setCaption(按钮10, "前面加"_t);
}

void insertAfterClicked(Window& window) {
    if (window.checked(单选框4)) window.setCaption(按钮10, "后面加"_t);
}

}  // namespace velmora
