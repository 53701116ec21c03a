// 按钮3: delete what lies between two markers; the symbol preset and the occurrence boxes.
#include <memory>

#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

struct BetweenInputs {
    Text first;  // 编辑框2
    Text second;  // 编辑框3
    Occurrence whichFirst = Occurrence::Neither;  // 选择框_1头 first, 选择框_1尾 last
    Occurrence whichSecond = Occurrence::Neither;  // 选择框_2头, 选择框_2尾
    bool withMarkers = false;  // 选择框6
    friend bool operator==(const BetweenInputs& a, const BetweenInputs& b) {
        return a.first == b.first && a.second == b.second && a.whichFirst == b.whichFirst &&
               a.whichSecond == b.whichSecond && a.withMarkers == b.withMarkers;
    }
};

// Where both boxes of a marker are checked, its last occurrence counts.
Occurrence lastFirst(const Window& w, Component head, Component tail) {
    if (w.checked(tail)) return Occurrence::Last;
    return w.checked(head) ? Occurrence::First : Occurrence::Neither;
}

BetweenInputs readInputs(const Window& w) {
    return {w.content(编辑框2), w.content(编辑框3), lastFirst(w, 选择框_1头, 选择框_1尾),
            lastFirst(w, 选择框_2头, 选择框_2尾), w.checked(选择框6)};
}

// Both positions are kept from entry to entry for a marker whose two boxes are unchecked.
struct Markers {
    int p1 = 0;
    int p2 = 0;
    void locate(const BetweenInputs& in, const Text& name) {
        if (const auto found = velmora::locate(name, in.first, in.whichFirst)) p1 = *found;
        if (const auto found = velmora::locate(name, in.second, in.whichSecond)) p2 = *found;
    }
};

Pass betweenPass(const BetweenInputs& in, Kind, std::size_t) {
    auto m = std::make_shared<Markers>();
    Pass pass;
    // The preview counts markers in order or at the same place; renaming needs them in order.
    pass.counts = [in, m](const Entry& e) {
        m->locate(in, e.subject);
        return m->p1 != notFound && m->p2 != notFound && m->p2 >= m->p1;
    };
    pass.transform = [in, m](const Entry& e) -> std::optional<Text> {
        m->locate(in, e.subject);
        if (m->p1 == notFound || m->p2 == notFound || m->p2 <= m->p1) return std::nullopt;
        const int firstLength = in.first.length();
        const Text piece = in.withMarkers ? midText(e.subject, m->p1, m->p2 - m->p1 + in.second.length())
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
    rule.read = reads(readInputs);
    rule.files = passOf<BetweenInputs>(betweenPass);
    rule.folders = passOf<BetweenInputs>(betweenPass);
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
