// 按钮2: delete a text once or a given number of times, counted from its first or last occurrence.
#include <memory>

#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

struct OccurrenceInputs {
    Text needle;  // 编辑框1
    Text count;  // 编辑框10, its digits in ASCII
    Occurrence which = Occurrence::Neither;  // 单选框13 first, 单选框14 last
    friend bool operator==(const OccurrenceInputs& a, const OccurrenceInputs& b) {
        return a.needle == b.needle && a.count == b.count && a.which == b.which;
    }
};

OccurrenceInputs readInputs(const Window& w) {
    return {w.content(编辑框1), typedNumber(w, 编辑框10), occurrenceOf(w, 单选框13, 单选框14)};
}

// The position is kept from entry to entry when neither occurrence box is checked, and the
// preview shares it with the renaming loop.
struct Locator {
    int position = 0;
    void operator()(const OccurrenceInputs& in, const Text& name) {
        if (const auto found = locate(name, in.needle, in.which)) position = *found;
    }
};

// Deletes the last k occurrences, each found again in what the previous deletion left.
Text deleteLast(Text name, const Text& needle, int k) {
    for (int i = 0; i < k; ++i) {
        const int p = findTextReverse(name, needle);
        if (p == notFound) break;  // nothing left to delete: the remaining rounds change nothing
        name = replaceText(name, needle, {}, p, 1);
    }
    return name;
}

// The preview counts the names that hold the needle, moving the shared position as it goes.
CountCondition holdsNeedle(const OccurrenceInputs& in, const std::shared_ptr<Locator>& locator) {
    return [in, locator](const Entry& e) {
        (*locator)(in, e.subject);
        return locator->position != notFound;
    };
}

Pass filePass(const OccurrenceInputs& in, Kind, std::size_t) {
    auto locator = std::make_shared<Locator>();
    Pass pass;
    pass.counts = holdsNeedle(in, locator);
    pass.transform = [in, locator](const Entry& e) -> std::optional<Text> {
        (*locator)(in, e.subject);
        const int position = locator->position;
        if (position == notFound) return std::nullopt;
        const int k = toInteger(in.count);
        if (in.count.empty() || k == 1) return replaceText(e.subject, in.needle, {}, position, 1);
        if (k < 0) return std::nullopt;
        if (in.which == Occurrence::First) return replaceText(e.subject, in.needle, {}, position, k);
        if (in.which == Occurrence::Last) return deleteLast(e.subject, in.needle, k);
        return std::nullopt;
    };
    return pass;
}

// Folders take a simpler road: no test for a missing needle, and the count always runs forward
// from the located position.
Pass folderPass(const OccurrenceInputs& in, Kind, std::size_t) {
    auto locator = std::make_shared<Locator>();
    Pass pass;
    pass.counts = holdsNeedle(in, locator);
    pass.transform = [in, locator](const Entry& e) -> std::optional<Text> {
        (*locator)(in, e.subject);
        if (in.count.empty()) return replaceText(e.subject, in.needle, {}, locator->position, 1);
        const int k = toInteger(in.count);
        if (k < 1) return std::nullopt;
        return replaceText(e.subject, in.needle, {}, locator->position, k);
    };
    return pass;
}

// A count text that reads as 0 is refused once for the whole run, not once per entry.
std::optional<Message> countIsNumber(const Window& window) {
    const Text countText = typedNumber(window, 编辑框10);
    if (!countText.empty() && toInteger(countText) == 0)
        return Message{"输入的不是纯数字"_t, style::information, "提示"_t};
    return std::nullopt;
}

RenameRule makeRule() {
    RenameRule rule;
    rule.checksAfterEmpty = {requireContent(编辑框1, {"去掉啥？不能为空"_t, style::information, {}})};
    rule.confirmation = Confirmation::Counted;
    rule.checksBeforeFileLoop = {countIsNumber};
    rule.read = reads(readInputs);
    rule.files = passOf<OccurrenceInputs>(filePass);
    rule.folders = passOf<OccurrenceInputs>(folderPass);
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.count > 0) return Message{"删掉了"_t + toText(o.count) + "个"_t, style::ok, "修改成果提示"_t};
        if (o.kind == Kind::Folders) return Message{"没有任何改动"_t, style::ok, "没有改动"_t};
        return std::nullopt;
    };
    return rule;
}

}  // namespace

const RenameRule& deleteOccurrences() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
