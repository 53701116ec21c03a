#pragma once
// A window for handler tests: component states in maps, message boxes answered from a script and
// recorded in order.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core/plan/plan.h"
#include "interaction/plan_lines.h"
#include "interaction/window.h"

namespace velmora::testing {

struct Shown {
    Text text;
    MessageStyle style;
    Text caption;
    friend bool operator==(const Shown& a, const Shown& b) {
        return a.text == b.text && a.style == b.style && a.caption == b.caption;
    }
};

/// A message as a test writes it, from UTF-8 literals.
Shown msg(const char* text, MessageStyle style, const char* caption = "信息：");
std::ostream& operator<<(std::ostream& out, const Shown& shown);

class FakeWindow : public Window, public ListView {
public:
    /// Starts in the window's start-up states.
    FakeWindow();

    Text content(Component c) const override { return get(contents_, c); }
    void setContent(Component c, const Text& t) override { contents_[std::string(c.name)] = t; }
    void setTextColour(Component c, TextColour colour) override { colours_[std::string(c.name)] = colour; }
    bool checked(Component c) const override;
    void setChecked(Component c, bool on) override { checked_[std::string(c.name)] = on; }
    int selection(Component c) const override;
    void setSelection(Component c, int index) override {
        selections_[std::string(c.name)] = index;
        if (index >= 0) typed_.erase(std::string(c.name));
    }
    Text chosenText(Component c) const override;
    Text caption(Component c) const override { return get(captions_, c); }
    void setCaption(Component c, const Text& t) override { captions_[std::string(c.name)] = t; }
    void setTopmost(bool on) override { topmost = on; }
    int showMessage(const Text& text, MessageStyle style, std::optional<Text> caption) override;
    /// Records the plan's lines as a user opening the details would see them.
    int confirmWithPlan(const Text& text, MessageStyle style, std::optional<Text> caption, const PlanDetails& details,
                        const Text& summary = {}, bool cancelByDefault = false) override {
        summaryShown = summary;
        cancelShownByDefault = cancelByDefault;
        planShown.clear();
        if (auto plan = details ? details() : nullptr)
            for (std::size_t i = 0; i < plan->size(); ++i) planShown.push_back(plan->line(i));
        return showMessage(text, style, std::move(caption));
    }
    void setEnabled(Component c, bool on) override { enabled_[std::string(c.name)] = on; }
    bool enabled(Component c) const {
        auto it = enabled_.find(std::string(c.name));
        return it == enabled_.end() || it->second;
    }
    ListView& list() override { return *this; }
    SharedLeftOut leftOut() const override;
    Text browseForFolder(const Text&) override { return pickedFolder; }
    Text chooseTextFile(const Text&) override { return pickedFile; }
    /// Records what the editor was given; editorOpens says whether one opened.
    bool editInTextEditor(Component box, const Text& text) override {
        edited.push_back({std::string(box.name), text});
        return editorOpens;
    }
    bool setClipboardText(const Text& text) override {
        clipboard = text;
        return true;
    }
    void pumpMessages() override { ++pumps; }
    void showProgress(std::size_t, std::size_t) override { ++progressShown; }
    void endProgress() override { ++progressEnded; }

    int rowCount() const override { return static_cast<int>(rows.size()); }
    Text rowText(int row) const override { return rows.at(static_cast<std::size_t>(row)); }
    void appendRows(std::vector<Text> more) override { rows.insert(rows.end(), more.begin(), more.end()); }
    void clearRows() override { rows.clear(); }
    int selectedRow() const override { return selected; }

    // Test conveniences, UTF-8 in.
    void type(Component c, const char* utf8) { setContent(c, Text::fromUtf8(utf8)); }
    void choose(Component c, const char* itemUtf8);
    /// Types into an editable combo box: no item is chosen, its text is what was typed.
    void typeIntoCombo(Component c, const char* utf8);
    void setFolder(const std::string& utf8) { setCaption(component::标签2, Text::fromUtf8(utf8)); }
    /// Answers for the coming message boxes, in order; OK once the script runs out.
    void answer(std::initializer_list<int> answers) { script_.insert(script_.end(), answers); }
    /// Forgets the answers not used yet.
    void forgetAnswers() { script_.clear(); }
    TextColour colour(Component c) const;

    std::vector<Shown> messages;
    std::vector<Text> planShown;  ///< the details of the last confirmation
    Text summaryShown;  ///< the line under the last confirmation's question
    bool cancelShownByDefault = false;  ///< the last confirmation had Cancel as its default button
    std::vector<Text> rows;
    std::vector<Text> unchecked;  ///< names of entries whose rows are unchecked or filtered out
    int selected = -1;
    Text pickedFolder;
    Text pickedFile;
    bool editorOpens = true;
    std::vector<std::pair<std::string, Text>> edited;  ///< (box, text) of every editInTextEditor
    Text clipboard;
    bool topmost = false;
    int pumps = 0;
    int progressShown = 0;
    int progressEnded = 0;

private:
    static Text get(const std::map<std::string, Text>& m, Component c);
    std::map<std::string, Text> contents_;
    std::map<std::string, Text> captions_;
    std::map<std::string, Text> typed_;
    std::map<std::string, bool> checked_;
    std::map<std::string, int> selections_;
    std::map<std::string, TextColour> colours_;
    std::map<std::string, bool> enabled_;
    std::deque<int> script_;
};

}  // namespace velmora::testing
