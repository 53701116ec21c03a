// 按钮11: pad the number near the front of each name with zeros, so names sort in numeric order.
#include "rules/catalogue.h"

namespace velmora {
namespace {

bool isDigitAt(const std::string& s, std::size_t i) { return i < s.size() && s[i] >= '0' && s[i] <= '9'; }

// The first digit among bytes 1 to limit, found on character boundaries: the trail bytes of a
// four-byte character can look like digits.
std::optional<std::size_t> firstDigit(const std::string& s, std::size_t limit) {
    for (std::size_t i = 0; i < std::min(limit, s.size());) {
        if (isDigitAt(s, i)) return i;
        i += isLeadByte(s[i]) ? 2 : 1;
    }
    return std::nullopt;
}

// A one-digit number becomes two digits below 100 entries; from 100 on, one or two digits become
// three.
std::optional<Text> pad(const Text& name, std::size_t scanned, bool threeDigits) {
    const std::string& s = name.bytes();
    const auto at = firstDigit(s, std::min<std::size_t>(7, scanned));
    if (!at) return std::nullopt;
    const Text first = Text::fromBytes(s.substr(*at, 1));
    const bool second = isDigitAt(s, *at + 1);
    const bool third = isDigitAt(s, *at + 2);
    if (!threeDigits) {
        if (second) return std::nullopt;
        return replaceText(name, first, "0"_t + first, 1, 1);
    }
    if (second && third) return std::nullopt;
    if (!second) return replaceText(name, first, "00"_t + first, 1, 1);
    const Text number = Text::fromBytes(s.substr(*at, 2));
    return replaceText(name, number, "0"_t + number, 1, 1);
}

// Files are scanned in their name part only: a digit of the extension is never padded.
Pass filePass(const RuleInputs&, Kind, std::size_t listSize) {
    return {[threeDigits = listSize >= 100](const Entry& e) {
                return pad(e.name, e.name.bytes().size() - e.extensionLength, threeDigits);
            },
            {}};
}

Pass folderPass(const RuleInputs&, Kind, std::size_t listSize) {
    return {[threeDigits = listSize >= 100](const Entry& e) {
                return pad(e.name, static_cast<std::size_t>(e.name.length()), threeDigits);
            },
            {}};
}

RenameRule makeRule() {
    RenameRule rule;
    rule.numberAwareOrder = true;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::FirstEntryBeforeAnything;
    rule.files = filePass;
    rule.folders = folderPass;
    rule.report = [](const RunOutcome& o) {
        return std::optional<Message>{{"改了"_t + toText(o.count) + "个"_t, style::ok, "修改成果如下"_t}};
    };
    return rule;
}

}  // namespace

const RenameRule& zeroPadding() {
    static const RenameRule rule = makeRule();
    return rule;
}

}  // namespace velmora
