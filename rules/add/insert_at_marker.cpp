// 按钮10: insert a text directly before or after one occurrence of a marker.
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

enum class Placement : std::uint8_t { Neither, Before, After };

struct InsertInputs {
    Text marker;  // 编辑框11
    Text insert;  // 编辑框12
    Occurrence which = Occurrence::Neither;  // 单选框5 first, 单选框6 last
    Placement placement = Placement::Neither;  // 单选框3 before, 单选框4 after
    friend bool operator==(const InsertInputs& a, const InsertInputs& b) {
        return a.marker == b.marker && a.insert == b.insert && a.which == b.which && a.placement == b.placement;
    }
};

InsertInputs readInputs(const Window& w) {
    const Placement placement = w.checked(单选框3)   ? Placement::Before
                                : w.checked(单选框4) ? Placement::After
                                                     : Placement::Neither;
    return {w.content(编辑框11), w.content(编辑框12), occurrenceOf(w, 单选框5, 单选框6), placement};
}

std::optional<Text> insertAtMarker(const InsertInputs& in, const Entry& e) {
    const auto position = locate(e.subject, in.marker, in.which);
    if (!position || *position == notFound) return std::nullopt;
    if (in.placement == Placement::Before)
        return replaceText(e.subject, in.marker, in.insert + in.marker, *position, 1);
    if (in.placement == Placement::After) return replaceText(e.subject, in.marker, in.marker + in.insert, *position, 1);
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
    rule.read = reads(readInputs);
    rule.files = simplePass<InsertInputs>(insertAtMarker);
    rule.folders = rule.files;
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
