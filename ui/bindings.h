#pragma once
// Which handler serves which event of which component: one table for the whole main window.

#include <functional>
#include <vector>

#include "interaction/components.h"
#include "interaction/rule.h"
#include "interaction/session.h"
#include "rules/catalogue.h"

namespace velmora {

class Window;
class MainWindow;

/// What a handler may reach.
struct HandlerContext {
    Window& window;
    Session& session;
    std::function<void()> openThanksWindow;
    std::function<void()> undoLastRun;
    /// The plan a click on a rule's button applies, shown in the list view before any question;
    /// null where the rule plans for itself.
    std::function<const RunPlan*(const RenameRule&)> planForClick;
    /// Renames are about to be made (a run, an undo or a redo); renamed follows.
    std::function<void()> renaming;
    /// Renames were made in a folder, by a run or an undo.
    std::function<void(const Text& folder, const RenameList& renamed)> renamed;
    /// Moves the keyboard focus to the list view.
    std::function<void()> focusList;
    /// Shows a line in the status line under the list view.
    std::function<void(const Text&)> tell;
    Component source{};  ///< the component whose event the handler serves
};

struct Binding {
    Component component;
    Event event;
    std::function<void(HandlerContext&)> handler;
};

const std::vector<Binding>& bindingTable();

/// Connects every binding of the table to the widgets of window, the history's shortcuts, and
/// Enter in a rule's edit box to the rule's button; 按钮_撤销 follows the session's history from
/// then on.
void bindEvents(MainWindow& window, HandlerContext& context);

/// 按钮13: empties the input boxes in order; the folder and the rows stay.
void clearInputs(Window& window);
/// 选择框5: keeps the window on top while the box is checked.
void topmostClicked(Window& window);

}  // namespace velmora
