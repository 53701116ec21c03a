#include "rules/common.h"

namespace velmora {

InputCheck refuseForbiddenCharacters(Component component, Message message) {
    return [component, message = std::move(message)](const Window& window) -> std::optional<Message> {
        static const char* const forbidden[] = {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"};
        const Text text = window.content(component);
        int found = 0;
        for (const char* c : forbidden)
            if (findText(text, Text::fromBytes(c)) != notFound) ++found;
        if (found > 0) return message;
        return std::nullopt;
    };
}

Text asciiNumberText(const Text& typed) {
    // GB18030: ０-９ are A3 B0-A3 B9, － is A3 AD, ＋ is A3 AB, the full-width space A1 A1. Stepping
    // two bytes at a lead byte keeps the halves of a four-byte character (trails 30-39) together.
    const std::string& s = typed.bytes();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (!isLeadByte(s[i]) || i + 1 >= s.size()) {
            out += s[i++];
            continue;
        }
        const auto lead = static_cast<unsigned char>(s[i]);
        const auto trail = static_cast<unsigned char>(s[i + 1]);
        if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9)
            out += static_cast<char>('0' + (trail - 0xB0));
        else if (lead == 0xA3 && trail == 0xAD)
            out += '-';
        else if (lead == 0xA3 && trail == 0xAB)
            out += '+';
        else if (lead == 0xA1 && trail == 0xA1)
            out += ' ';
        else
            out.append(s, i, 2);
        i += 2;
    }
    return Text::fromBytes(std::move(out));
}

Text typedNumber(const Window& window, Component component) { return asciiNumberText(window.content(component)); }

Occurrence occurrenceOf(const Window& window, Component firstBox, Component lastBox) {
    if (window.checked(firstBox)) return Occurrence::First;
    if (window.checked(lastBox)) return Occurrence::Last;
    return Occurrence::Neither;
}

std::optional<int> locate(const Text& name, const Text& marker, Occurrence which) {
    switch (which) {
    case Occurrence::First:
        return findText(name, marker);
    case Occurrence::Last:
        return findTextReverse(name, marker);
    case Occurrence::Neither:
        break;
    }
    return std::nullopt;
}

RenameRule reorderingRule() {
    RenameRule rule;
    rule.listing = Listing::FullPaths;
    rule.subject = Subject::NamePart;
    rule.filter = ExtensionFilter::Standard;
    rule.confirmation = Confirmation::UpFront;
    rule.naturalOrder = true;  // where two entries want one name, the one first in this order gets it
    rule.reordersChains = true;
    rule.report = [](const RunOutcome& o) -> std::optional<Message> {
        if (o.cancelled) return std::nullopt;
        return Message{"成功改名"_t + toText(o.count) + "个"_t, style::ok, "提示"_t};
    };
    return rule;
}

}  // namespace velmora
