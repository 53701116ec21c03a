// 按钮12: insert a typed text right after the number at the front of each name.
#include "rules/replace/append_after_number.h"

#include "rules/catalogue.h"

namespace velmora {
namespace {

RenameRule makeRule() {
    RenameRule rule;
    rule.checksAfterEmpty = {[](const Window& window) -> std::optional<Message> {
        if (readAfterNumberInputs(window).text.empty()) return Message{"加什么？"_t, style::information, {}};
        return std::nullopt;
    }};
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.fileCount = Count::None;
    rule.folderCount = Count::None;
    rule.read = reads(readAfterNumberInputs);
    rule.files = simplePass<AfterNumberInputs>(
        [](const AfterNumberInputs& in, const Entry& e) { return insertedAfterNumber(in, e.subject); });
    rule.folders = rule.files;
    return rule;
}

}  // namespace

AfterNumberInputs readAfterNumberInputs(const Window& window) { return {window.content(component::编辑框13)}; }

std::optional<Text> insertedAfterNumber(const AfterNumberInputs& inputs, const Text& name) {
    constexpr int frontLimit = 5;
    const Text number = toText(toInteger(leftText(name, frontLimit)));
    const int position = findText(name, number);
    if (position == notFound || position > frontLimit) return std::nullopt;
    return replaceText(name, number, number + inputs.text, 1, 1);
}

const RenameRule& appendAfterNumber() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
