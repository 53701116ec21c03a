#include "interaction/window_snapshot.h"

namespace velmora {

WindowSnapshot::WindowSnapshot(const Window& window, const std::vector<Component>& components) {
    for (Component c : components)
        states_[c.name] =
            State{window.content(c), window.checked(c), window.selection(c), window.chosenText(c), window.caption(c)};
}

bool WindowSnapshot::sameIn(const WindowSnapshot& other, const std::vector<Component>& components) const {
    for (Component c : components)
        if (!(state(c) == other.state(c))) return false;
    return true;
}

const WindowSnapshot::State& WindowSnapshot::state(Component c) const {
    static const State none;
    const auto it = states_.find(c.name);
    return it == states_.end() ? none : it->second;
}

}  // namespace velmora
