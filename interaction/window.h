#pragma once
// The window as handlers see it. Handlers read every input at the moment they need it and keep no
// model of their own; the real window (ui/) and the test double implement this.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/fs/progress.h"
#include "core/names/left_out_names.h"
#include "core/names/name_list.h"
#include "core/text/text.h"
#include "interaction/box_content.h"
#include "interaction/components.h"

namespace velmora {

/// Message-box styles in use.
/// What a message box offers and shows, by meaning.
enum class Buttons : std::uint8_t { Ok, OkCancel };
enum class Icon : std::uint8_t { None, Information };
struct MessageStyle {
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    friend constexpr bool operator==(MessageStyle a, MessageStyle b) {
        return a.buttons == b.buttons && a.icon == b.icon;
    }
    friend constexpr bool operator!=(MessageStyle a, MessageStyle b) { return !(a == b); }
};

namespace style {
inline constexpr MessageStyle ok{};  ///< OK, no icon
inline constexpr MessageStyle okCancel{Buttons::OkCancel, Icon::None};  ///< OK and Cancel
inline constexpr MessageStyle information{Buttons::Ok, Icon::Information};  ///< OK with the information icon
}  // namespace style

/// Results of showMessage.
inline constexpr int answerOk = 0;
inline constexpr int answerCancel = 1;

/// The rows of the list view; row i is 0-based.
class ListView {
public:
    virtual ~ListView() = default;
    virtual int rowCount() const = 0;
    virtual Text rowText(int row) const = 0;
    virtual void appendRows(std::vector<Text> rows) = 0;
    /// Appends the names of a list, which the view may keep and share rather than copy.
    // Taken by value: the real view keeps the list.
    virtual void appendNames(std::shared_ptr<const NameList> names) {  // NOLINT(performance-unnecessary-value-param)
        std::vector<Text> rows;
        rows.reserve(names->size());
        for (std::size_t i = 0; i < names->size(); ++i) rows.push_back(names->text(i));
        appendRows(std::move(rows));
    }
    virtual void clearRows() = 0;
    virtual int selectedRow() const = 0;  ///< -1 when none
    /// The name each row's entry has now, row by row as shown: rows follow the renames made since
    /// they were listed. A row of another folder than currentFolder gives the empty text.
    virtual std::shared_ptr<const NameList> currentNames() const {
        auto names = std::make_shared<NameList>();
        for (int r = 0; r < rowCount(); ++r) names->add(rowText(r));
        return names;
    }
    /// The rows as a fresh listing of the current folder gives them: rows whose entries are still
    /// there keep their place in it and their check, new entries come checked, gone ones go. With
    /// inListingOrder every row takes the place of its entry in names instead (the listing reaches
    /// other depths now), keeping its check.
    // Taken by value: the real view keeps the list.
    virtual void mirrorNames(std::shared_ptr<const NameList> names,  // NOLINT(performance-unnecessary-value-param)
                             bool inListingOrder = false) {
        (void)inListingOrder;
        clearRows();
        appendNames(std::move(names));
    }
};

enum class TextColour { Default, Grey };

class PlanLines;
struct RunPlan;
/// The lines of a run's plan, made only when a confirmation shows them.
using PlanDetails = std::function<std::unique_ptr<PlanLines>()>;

class Window {
public:
    virtual ~Window() = default;

    /// Lets the window handle its own events during long work; never starts other work of ours.
    virtual void pumpMessages() = 0;
    /// Done of total, or only that work goes on when total is 0.
    virtual void showProgress(std::size_t done, std::size_t total) = 0;
    /// The long work has ended.
    virtual void endProgress() = 0;

    virtual Text content(Component) const = 0;  ///< edit box
    /// The same, converted only when its text is first asked for.
    virtual BoxContent contentAsIs(Component c) const { return BoxContent(content(c)); }
    virtual void setContent(Component, const Text&) = 0;
    virtual void setTextColour(Component, TextColour) = 0;
    virtual bool checked(Component) const = 0;  ///< check box, radio button
    virtual void setChecked(Component, bool) = 0;  ///< runs no handler
    virtual int selection(Component) const = 0;  ///< combo box, -1 = none (or a typed text)
    virtual void setSelection(Component, int) = 0;
    /// The chosen item's text, or what was typed into an editable combo box; empty when none.
    virtual Text chosenText(Component) const = 0;
    virtual Text caption(Component) const = 0;  ///< label, button
    virtual void setCaption(Component, const Text&) = 0;
    virtual void setTopmost(bool) = 0;
    virtual void setEnabled(Component, bool) = 0;  ///< button

    /// A modal message box; style as above, caption "信息：" when none is given. Returns
    /// answerOk, answerCancel (also Esc or closing an OK/Cancel box), or 0 for anything else.
    virtual int showMessage(const Text& text, MessageStyle style, std::optional<Text> caption = std::nullopt) = 0;
    /// A confirmation of a rename run: the same box, with summary under text and the run's plan as
    /// details to open; cancelByDefault makes Cancel the default button.
    virtual int confirmWithPlan(const Text& text, MessageStyle style, std::optional<Text> caption, const PlanDetails&,
                                const Text& summary = {}, bool cancelByDefault = false) {
        (void)summary;
        (void)cancelByDefault;
        return showMessage(text, style, std::move(caption));
    }
    /// A click found its folder changed since the preview and planned again: the window shows
    /// plan where it showed the preview, before the question about it.
    virtual void showPlan(const RunPlan& plan) { (void)plan; }
    virtual ListView& list() = 0;
    /// The rows to read; handing them out changes nothing.
    const ListView& list() const { return const_cast<Window&>(*this).list(); }
    /// The entries the rules leave alone: those of unchecked rows and of rows the filter hides.
    virtual SharedLeftOut leftOut() const { return nullptr; }
    /// The names of the rows in the order the user sorted them by the header; null while the rows
    /// show the loading order.
    virtual std::shared_ptr<const NameList> sortedNames() const { return nullptr; }
    /// The folder picker; empty when cancelled.
    virtual Text browseForFolder(const Text& title) = 0;
    /// A file chooser that offers text files first; the chosen file's path, empty when cancelled.
    virtual Text chooseTextFile(const Text& title) = 0;
    /// Puts text into a file of its own, opens that in the desktop's text editor and follows it:
    /// whenever it is saved, what it holds replaces the content of box. False when no editor
    /// opened it.
    virtual bool editInTextEditor(Component box, const Text& text) = 0;
    virtual bool setClipboardText(const Text& text) = 0;

    /// currentFolder: the caption of 标签2.
    Text currentFolder() const { return caption(component::标签2); }
};

/// Long work as the window lives it: it keeps painting, and shows how far the work came once it
/// has taken half a second.
class WindowProgress final : public Progress {
public:
    explicit WindowProgress(Window& window) : window_(window) {}
    WindowProgress(const WindowProgress&) = delete;
    WindowProgress& operator=(const WindowProgress&) = delete;
    void started() override;
    void advanced(std::size_t done, std::size_t total) override;
    void finished() override;

private:
    Window& window_;
    long long started_ = 0;  ///< when the work under way started, in ms
    bool shown_ = false;
};

}  // namespace velmora
