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

std::optional<int> locate(const Window& window, const Text& name, const Text& marker, Component firstBox,
                          Component lastBox) {
    if (window.checked(firstBox)) return findText(name, marker);
    if (window.checked(lastBox)) return findTextReverse(name, marker);
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
