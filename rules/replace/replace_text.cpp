// 按钮4: replace one occurrence of a text in every name.
#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

enum class ReplaceMode : std::uint8_t { None, NearFront, AtOccurrence };

struct ReplaceInputs {
    Text find;  // 编辑框4
    Text replacement;  // 编辑框5
    ReplaceMode mode = ReplaceMode::None;  // 单选框7 near the front, 单选框8 at an occurrence
    Occurrence which = Occurrence::Neither;  // 单选框9 first, 单选框10 last
    friend bool operator==(const ReplaceInputs& a, const ReplaceInputs& b) {
        return a.find == b.find && a.replacement == b.replacement && a.mode == b.mode && a.which == b.which;
    }
};

ReplaceInputs readInputs(const Window& w) {
    const ReplaceMode mode = w.checked(单选框7)   ? ReplaceMode::NearFront
                             : w.checked(单选框8) ? ReplaceMode::AtOccurrence
                                                  : ReplaceMode::None;
    return {w.content(编辑框4), w.content(编辑框5), mode, occurrenceOf(w, 单选框9, 单选框10)};
}

// In the restricted mode only an occurrence that starts within the first frontLimit bytes counts.
std::optional<Text> replaceOne(const ReplaceInputs& in, const Text& name, int frontLimit, bool missingIsAlone) {
    int position = notFound;
    if (in.mode == ReplaceMode::NearFront) {
        position = findText(name, in.find);
        if (position > frontLimit || (missingIsAlone && position == notFound)) return std::nullopt;
    } else if (in.mode == ReplaceMode::AtOccurrence) {
        const auto found = locate(name, in.find, in.which);
        if (!found || *found == notFound) return std::nullopt;
        position = *found;
    } else {
        return std::nullopt;
    }
    const Text changed = replaceText(name, in.find, in.replacement, position, 1);
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
    rule.read = reads(readInputs);
    rule.files = simplePass<ReplaceInputs>(
        [](const ReplaceInputs& in, const Entry& e) { return replaceOne(in, e.subject, 8, false); });
    rule.folders = simplePass<ReplaceInputs>(
        [](const ReplaceInputs& in, const Entry& e) { return replaceOne(in, e.subject, 7, true); });
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
