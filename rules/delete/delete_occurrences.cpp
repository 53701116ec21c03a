// 按钮2: delete a text once or a given number of times, counted from its first or last occurrence.
#include <memory>

#include "rules/catalogue.h"
#include "rules/common.h"

namespace velmora {
namespace {

using namespace component;

// The position is kept from entry to entry when neither occurrence box is checked, and the
// preview shares it with the renaming loop.
struct Locator {
    int position = 0;
    void operator()(const Window& window, const Text& name) {
        if (window.checked(单选框13))
            position = findText(name, window.content(编辑框1));
        else if (window.checked(单选框14))
            position = findTextReverse(name, window.content(编辑框1));
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
CountCondition holdsNeedle(const Window& window, const std::shared_ptr<Locator>& locator) {
    return [&window, locator](const Entry& e) {
        (*locator)(window, e.subject);
        return locator->position != notFound;
    };
}

Pass filePass(const Window& window, Kind, std::size_t) {
    auto locator = std::make_shared<Locator>();
    Pass pass;
    pass.counts = holdsNeedle(window, locator);
    pass.transform = [&window, locator](const Entry& e) -> std::optional<Text> {
        (*locator)(window, e.subject);
        const int position = locator->position;
        if (position == notFound) return std::nullopt;
        const Text needle = window.content(编辑框1);
        const Text countText = typedNumber(window, 编辑框10);
        const int k = toInteger(countText);
        if (countText.empty() || k == 1) return replaceText(e.subject, needle, {}, position, 1);
        if (k < 0) return std::nullopt;
        if (window.checked(单选框13)) return replaceText(e.subject, needle, {}, position, k);
        if (window.checked(单选框14)) return deleteLast(e.subject, needle, k);
        return std::nullopt;
    };
    return pass;
}

// Folders take a simpler road: no test for a missing needle, and the count always runs forward
// from the located position.
Pass folderPass(const Window& window, Kind, std::size_t) {
    auto locator = std::make_shared<Locator>();
    Pass pass;
    pass.counts = holdsNeedle(window, locator);
    pass.transform = [&window, locator](const Entry& e) -> std::optional<Text> {
        (*locator)(window, e.subject);
        const Text needle = window.content(编辑框1);
        const Text countText = typedNumber(window, 编辑框10);
        if (countText.empty()) return replaceText(e.subject, needle, {}, locator->position, 1);
        const int k = toInteger(countText);
        if (k < 1) return std::nullopt;
        return replaceText(e.subject, needle, {}, locator->position, k);
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
    rule.files = filePass;
    rule.folders = folderPass;
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
