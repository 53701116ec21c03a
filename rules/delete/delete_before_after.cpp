// 按钮7 and 按钮_去掉后面的: cut a name before or after a marker.
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

// What cutting at a marker reads: the marker, which occurrence, and whether the marker goes too
// (包括它: 选择框3 before, 选择框4 after).
struct MarkerInputs {
    Text marker;
    Occurrence which = Occurrence::Neither;
    bool withMarker = false;
    friend bool operator==(const MarkerInputs& a, const MarkerInputs& b) {
        return a.marker == b.marker && a.which == b.which && a.withMarker == b.withMarker;
    }
};

MarkerInputs readBefore(const Window& w) {
    return {w.content(编辑框8), occurrenceOf(w, 单选框11, 单选框12), w.checked(选择框3)};
}
MarkerInputs readAfter(const Window& w) {
    return {w.content(编辑框9), occurrenceOf(w, 单选框1, 单选框2), w.checked(选择框4)};
}

std::optional<Text> cutBefore(const MarkerInputs& in, const Entry& e) {
    const auto position = locate(e.subject, in.marker, in.which);
    if (!position || *position == notFound) return std::nullopt;
    const Text rest = midText(e.subject, *position, e.subject.length() - *position + 1);
    return in.withMarker ? replaceText(rest, in.marker, {}, 1, 1) : rest;
}

std::optional<Text> cutAfter(const MarkerInputs& in, const Entry& e) {
    const auto position = locate(e.subject, in.marker, in.which);
    if (!position || *position == notFound) return std::nullopt;
    const Text kept = leftText(e.subject, *position - 1);
    return in.withMarker ? kept : kept + in.marker;
}

// Folders lose the marker with what follows it, whatever 包括它 says.
std::optional<Text> cutFolderAfter(const MarkerInputs& in, const Entry& e) {
    const auto position = locate(e.subject, in.marker, in.which);
    if (!position || *position == notFound) return std::nullopt;
    return leftText(e.subject, *position - 1);
}

const Message kEmptyMarker{"去掉啥？不能为空"_t, style::information, {}};

RenameRule makeBefore() {
    RenameRule rule;
    rule.checksFirst = {requireContent(编辑框8, kEmptyMarker)};
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.read = reads(readBefore);
    rule.files = simplePass<MarkerInputs>(cutBefore);
    rule.folders = simplePass<MarkerInputs>(cutBefore);
    rule.report = [](const RunOutcome& o) {
        return std::optional<Message>{{"成功改了"_t + toText(o.count) + "个"_t, style::ok, "提示"_t}};
    };
    return rule;
}

RenameRule makeAfter() {
    RenameRule rule;
    rule.checksFirst = {requireContent(编辑框9, kEmptyMarker)};
    rule.listing = Listing::FullPaths;
    rule.subject = Subject::NamePart;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.read = reads(readAfter);
    rule.files = simplePass<MarkerInputs>(cutAfter);
    rule.folders = simplePass<MarkerInputs>(cutFolderAfter);
    rule.folderCount = Count::None;
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.kind == Kind::Folders) return std::nullopt;
        return Message{"修改了"_t + toText(o.count) + "个"_t, style::ok, "修改成果提示"_t};
    };
    return rule;
}

}  // namespace

const RenameRule& deleteBefore() {
    static const RenameRule rule = makeBefore();
    return rule;
}

const RenameRule& deleteAfter() {
    static const RenameRule rule = makeAfter();
    return rule;
}

}  // namespace velmora
