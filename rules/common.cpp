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

}  // namespace velmora
