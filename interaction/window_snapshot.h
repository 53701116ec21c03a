#pragma once
// The inputs of a window copied at one moment: what a preview plans with away from the window's
// thread. It only answers reads; writes, message boxes and pumping do nothing.

#include <map>
#include <string_view>
#include <vector>

#include "interaction/window.h"

namespace velmora {

class WindowSnapshot final : public Window, private ListView {
public:
    WindowSnapshot() = default;
    /// Copies every state of components from window.
    WindowSnapshot(const Window& window, const std::vector<Component>& components);

    /// True when both hold the same inputs.
    friend bool operator==(const WindowSnapshot& a, const WindowSnapshot& b) { return a.states_ == b.states_; }
    friend bool operator!=(const WindowSnapshot& a, const WindowSnapshot& b) { return !(a == b); }
    /// True when other holds the same states of components as this one; other components may differ.
    bool sameIn(const WindowSnapshot& other, const std::vector<Component>& components) const;

    Text content(Component c) const override { return state(c).content; }
    void setContent(Component, const Text&) override {}
    void setTextColour(Component, TextColour) override {}
    bool checked(Component c) const override { return state(c).checked; }
    void setChecked(Component, bool) override {}
    int selection(Component c) const override { return state(c).selection; }
    void setSelection(Component, int) override {}
    Text chosenText(Component c) const override { return state(c).chosen; }
    Text caption(Component c) const override { return state(c).caption; }
    void setCaption(Component, const Text&) override {}
    void setTopmost(bool) override {}
    void setEnabled(Component, bool) override {}
    int showMessage(const Text&, MessageStyle, std::optional<Text>) override { return answerCancel; }
    ListView& list() override { return *this; }
    Text browseForFolder(const Text&) override { return {}; }
    bool setClipboardText(const Text&) override { return false; }
    void pumpMessages() override {}
    void showProgress(std::size_t, std::size_t) override {}
    void endProgress() override {}

private:
    struct State {
        Text content;
        bool checked = false;
        int selection = -1;
        Text chosen;
        Text caption;
        friend bool operator==(const State& a, const State& b) {
            return a.content == b.content && a.checked == b.checked && a.selection == b.selection &&
                   a.chosen == b.chosen && a.caption == b.caption;
        }
    };

    const State& state(Component c) const;

    int rowCount() const override { return 0; }
    Text rowText(int) const override { return {}; }
    void appendRows(std::vector<Text>) override {}
    void clearRows() override {}
    int selectedRow() const override { return -1; }

    std::map<std::string_view, State> states_;
};

}  // namespace velmora
