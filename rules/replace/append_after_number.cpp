// 按钮12: insert a typed text right after the number at the front of each name.
#include "rules/catalogue.h"

namespace velmora {
namespace {

using namespace component;

std::optional<Text> appendAfterNumber(const Window& window, const Entry& e) {
    constexpr int frontLimit = 5;
    const Text number = toText(toInteger(leftText(e.subject, frontLimit)));
    const int position = findText(e.subject, number);
    if (position == notFound || position > frontLimit) return std::nullopt;
    return replaceText(e.subject, number, number + window.content(编辑框13), 1, 1);
}

RenameRule makeRule() {
    RenameRule rule;
    rule.checksAfterEmpty = {requireContent(编辑框13, {"加什么？"_t, style::information, {}})};
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.fileCount = Count::None;
    rule.folderCount = Count::None;
    rule.files = simplePass(appendAfterNumber);
    rule.folders = simplePass(appendAfterNumber);
    return rule;
}

}  // namespace

const RenameRule& appendAfterNumber() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
