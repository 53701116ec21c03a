// 按钮3: delete what lies between two markers; the symbol preset and the occurrence boxes.
#include <memory>

#include "rules/catalogue.h"

namespace velmora {
namespace {

using namespace component;

// Both positions are kept from entry to entry for a marker whose two boxes are unchecked.
struct Markers {
    int p1 = 0;
    int p2 = 0;
    void locate(const Window& window, const Text& name) {
        const Text first = window.content(编辑框2);
        const Text second = window.content(编辑框3);
        if (window.checked(选择框_1头)) p1 = findText(name, first);
        if (window.checked(选择框_1尾)) p1 = findTextReverse(name, first);
        if (window.checked(选择框_2头)) p2 = findText(name, second);
        if (window.checked(选择框_2尾)) p2 = findTextReverse(name, second);
    }
};

Pass betweenPass(const Window& window, Kind, std::size_t) {
    auto m = std::make_shared<Markers>();
    Pass pass;
    // The preview counts markers in order or at the same place; renaming needs them in order.
    pass.counts = [&window, m](const Entry& e) {
        m->locate(window, e.subject);
        return m->p1 != notFound && m->p2 != notFound && m->p2 >= m->p1;
    };
    pass.transform = [&window, m](const Entry& e) -> std::optional<Text> {
        m->locate(window, e.subject);
        if (m->p1 == notFound || m->p2 == notFound || m->p2 <= m->p1) return std::nullopt;
        const int firstLength = window.content(编辑框2).length();
        const Text piece = window.checked(选择框6)
                               ? midText(e.subject, m->p1, m->p2 - m->p1 + window.content(编辑框3).length())
                               : midText(e.subject, m->p1 + firstLength, m->p2 - m->p1 - firstLength);
        return replaceText(e.subject, piece, {}, m->p1, 1);
    };
    return pass;
}

RenameRule makeRule() {
    RenameRule rule;
    rule.checksAfterEmpty = {[](const Window& w) -> std::optional<Message> {
        if (w.content(编辑框2).empty() || w.content(编辑框3).empty())
            return Message{"去掉啥？不能为空"_t, style::information, {}};
        return std::nullopt;
    }};
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::Counted;
    rule.files = betweenPass;
    rule.folders = betweenPass;
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.cancelled || o.kind == Kind::Folders) return std::nullopt;
        return Message{"有"_t + toText(o.count) + "个文件被改名成功"_t, style::ok, {}};
    };
    return rule;
}

void keepExclusive(Window& window, Component clicked, Component other) {
    if (window.checked(clicked)) window.setChecked(other, false);
}

}  // namespace

const RenameRule& deleteBetween() {
    static const RenameRule rule = makeRule();
    return rule;
}

void applySymbolPreset(Window& window) {
    static const std::pair<Text, Text> symbols[] = {
        {"，"_t, ","_t}, {"。"_t, "."_t}, {"（"_t, "("_t}, {"）"_t, ")"_t}, {"【"_t, "["_t}, {"】"_t, "]"_t},
    };
    const bool toFullWidth = window.chosenText(组合框1) == "中文符号"_t;
    for (Component box : {编辑框1, 编辑框2, 编辑框3}) {
        Text text = window.content(box);
        for (const auto& [full, ascii] : symbols)
            text = toFullWidth ? replaceText(text, ascii, full) : replaceText(text, full, ascii);
        window.setContent(box, text);
    }
}

void firstMarkerHeadClicked(Window& window) { keepExclusive(window, 选择框_1头, 选择框_1尾); }
void firstMarkerTailClicked(Window& window) { keepExclusive(window, 选择框_1尾, 选择框_1头); }
void secondMarkerHeadClicked(Window& window) { keepExclusive(window, 选择框_2头, 选择框_2尾); }
void secondMarkerTailClicked(Window& window) { keepExclusive(window, 选择框_2尾, 选择框_2头); }

}  // namespace velmora
