// 按钮15: turn one Chinese numeral near the front of each name into digits (第一课 -> 第1课).
#include "rules/catalogue.h"

namespace velmora {
namespace {

// Tried in this order; the first numeral found within the front limit wins.
std::optional<Text> numeralToDigits(const Entry& e) {
    static const std::pair<Text, Text> numerals[] = {
        {"一"_t, "1"_t}, {"二"_t, "2"_t}, {"三"_t, "3"_t}, {"四"_t, "4"_t}, {"五"_t, "5"_t},
        {"六"_t, "6"_t}, {"七"_t, "7"_t}, {"八"_t, "8"_t}, {"九"_t, "9"_t}, {"十"_t, "10"_t},
    };
    constexpr int frontLimit = 8;
    for (const auto& [numeral, digits] : numerals) {
        const int position = findText(e.subject, numeral);
        if (position == notFound || position > frontLimit) continue;
        return replaceText(e.subject, numeral, digits, position, 1);
    }
    return std::nullopt;
}

RenameRule makeRule() {
    RenameRule rule;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntry;
    rule.files = entryPass(numeralToDigits);
    rule.folders = entryPass(numeralToDigits);
    rule.report = [](const RunOutcome& o) {
        return std::optional<Message>{{"总共更改"_t + toText(o.count) + "个"_t, style::ok, "更名数量"_t}};
    };
    return rule;
}

}  // namespace

const RenameRule& chineseNumerals() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
