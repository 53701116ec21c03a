#include "ui/bindings.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QThread>

#include "actions/actions.h"
#include "interaction/click.h"
#include "interaction/folder_loading.h"
#include "interaction/history_prompts.h"
#include "interaction/rule.h"
#include "interaction/window.h"
#include "rules/catalogue.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"

namespace velmora {
namespace {

using namespace component;

// A run, an undo or a redo: the preview holds and the folder watch rests while work renames;
// then the rows follow the renames, and the keyboard leaves the button for the list, so an Enter or
// Space pressed once too often does not do it all a second time. The undo button follows the
// history by itself (followUndoState).
void renameThrough(HandlerContext& c, const std::function<MadeRenames()>& work) {
    if (c.renaming) c.renaming();
    const MadeRenames made = work();
    if (c.renamed) c.renamed(made.folder, made.renamed);
    if (c.focusList) c.focusList();
}

// The history names a run by the caption of the button that started it.
std::function<void(HandlerContext&)> run(const RenameRule& (*rule)()) {
    return [rule](HandlerContext& c) {
        const Text folder = c.window.currentFolder();
        const RunPlan* previewed = c.planForClick ? c.planForClick(rule()) : nullptr;
        renameThrough(c, [&] {
            return MadeRenames{
                folder, runRenameRule(rule(), c.window, c.session, previewed, c.window.caption(c.source)).renamed};
        });
    };
}

void copyClickedRow(HandlerContext& c) {
    const Text name = copyRowName(c.window);
    if (!name.empty() && c.tell) c.tell("已复制："_t + name);
}

std::function<void(HandlerContext&)> on(void (*handler)(Window&)) {
    return [handler](HandlerContext& c) { handler(c.window); };
}

// The rows are the entries of the kind the boxes choose, minus the skipped extension: a change of
// either lists the folder again.
std::function<void(HandlerContext&)> relistAfter(void (*handler)(Window&)) {
    return [handler](HandlerContext& c) {
        if (handler) handler(c.window);
        relistFolder(c.window, c.session);
    };
}

std::vector<Binding> makeTable() {
    std::vector<Binding> table = {
        {按钮1, Event::Clicked, [](HandlerContext& c) { loadChosenFolder(c.window, c.session); }},
        {选择框1, Event::Clicked, relistAfter(filesBoxClicked)},
        {选择框2, Event::Clicked, relistAfter(foldersBoxClicked)},
        {选择框_包括子文件夹, Event::Clicked, [](HandlerContext& c) { subfoldersBoxClicked(c.window, c.session); }},
        {组合框2, Event::ItemChosen, relistAfter(nullptr)},
        {超级列表框1, Event::Clicked, copyClickedRow},
        {按钮9, Event::Clicked,
         [](HandlerContext& c) {
             forgetFolder(c.window);
             if (c.tell) c.tell("没有选择文件夹：点“手动读取”选择一个，或把文件拖进窗口"_t);
         }},
        {按钮13, Event::Clicked, on(clearInputs)},
        {选择框5, Event::Clicked, on(topmostClicked)},
        {图形按钮1, Event::Clicked, [](HandlerContext& c) { c.openThanksWindow(); }},
    };
    for (const CataloguedRule& rule : ruleCatalogue()) {
        table.push_back({rule.button, Event::Clicked, run(rule.rule)});
        for (const GroupHandler& h : rule.handlers) table.push_back({h.component, h.event, on(h.handler)});
    }
    table.insert(table.end(),
                 {
                     {按钮14, Event::Clicked, [](HandlerContext& c) { createEntries(c.window, c.session); }},
                     {编辑框14, Event::FocusIn, on(targetBoxFocused)},
                     {编辑框15, Event::FocusIn, on(extensionBoxFocused)},
                     {按钮16, Event::Clicked, on(saveOriginalNames)},
                     // They fill the list's box, whose changes the preview follows.
                     {按钮_导入列表, Event::Clicked, on(importNameList)},
                     {按钮_用编辑器编辑, Event::Clicked, on(editNameList)},
                     {按钮_撤销, Event::Clicked,
                      [](HandlerContext& c) { renameThrough(c, [&] { return undoLastRun(c.window, c.session); }); }},
                 });
    return table;
}

// Delivers focus-in events of one widget to its handler.
class FocusWatcher : public QObject {
public:
    FocusWatcher(QObject* parent, std::function<void()> handler) : QObject(parent), handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) handler_();
        return false;
    }

private:
    std::function<void()> handler_;
};

// Ctrl+Z takes the last run back, as the undo button does while it is enabled; Ctrl+Shift+Z and
// Ctrl+Y redo the run taken back last.
void bindHistoryShortcuts(MainWindow& window, HandlerContext& context) {
    auto* shortcut = new QShortcut(QKeySequence::Undo, &window);
    QObject::connect(shortcut, &QShortcut::activated, &window, [&window] {
        auto* undo = window.component<QPushButton>("按钮_撤销");
        if (undo->isEnabled()) undo->click();
    });
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        auto* redo = new QShortcut(keys, &window);
        QObject::connect(redo, &QShortcut::activated, &window, [&context] {
            renameThrough(context, [&] { return redoLastRun(context.window, context.session); });
        });
    }
}

// 按钮_撤销 is enabled while the history holds a run to take back, whatever changed it: a run, an
// undo, a redo, start-up opening the history or recovering a run a crash left. The history tells
// on the thread that changed it; the button is only ever touched on the window's own thread.
void followUndoState(MainWindow& window, HandlerContext& context) {
    Window& port = context.window;
    QPointer<MainWindow> alive(&window);
    context.session.journal.onUndoState([alive, &port](UndoState state) {
        if (!alive) return;
        if (QThread::currentThread() == alive->thread()) {
            port.setEnabled(按钮_撤销, state.canUndo);
            return;
        }
        QMetaObject::invokeMethod(
            alive.data(),
            [alive, &port, state] {
                if (alive) port.setEnabled(按钮_撤销, state.canUndo);
            },
            Qt::QueuedConnection);
    });
}

// Enter in a rule's edit box runs the rule, question included, as a click on its button does.
void bindEnterInRuleBoxes(MainWindow& window) {
    for (const CataloguedRule& rule : ruleCatalogue()) {
        auto* button = window.component<QAbstractButton>(rule.button.name);
        for (Component input : rule.inputs)
            if (auto* edit = window.component<QLineEdit>(input.name))
                QObject::connect(edit, &QLineEdit::returnPressed, button, &QAbstractButton::click);
    }
}

}  // namespace

const std::vector<Binding>& bindingTable() {
    static const std::vector<Binding> table = makeTable();
    return table;
}

void bindEvents(MainWindow& window, HandlerContext& context) {
    for (const Binding& b : bindingTable()) {
        QWidget* w = window.component(b.component.name);
        auto call = [&context, handler = b.handler, source = b.component] {
            context.source = source;
            handler(context);
        };
        switch (b.event) {
        case Event::Clicked:
            // clicked arrives after a check box or radio button has changed its state.
            if (auto* button = qobject_cast<QAbstractButton*>(w))
                QObject::connect(button, &QAbstractButton::clicked, &window, call);
            else if (auto* view = qobject_cast<QAbstractItemView*>(w))
                QObject::connect(view, &QAbstractItemView::clicked, &window, call);
            break;
        case Event::ItemChosen:
            if (auto* combo = qobject_cast<QComboBox*>(w))
                QObject::connect(combo, &QComboBox::activated, &window, call);
            break;
        case Event::FocusIn:
            w->installEventFilter(new FocusWatcher(w, call));
            break;
        }
    }
    bindHistoryShortcuts(window, context);
    followUndoState(window, context);
    bindEnterInRuleBoxes(window);
}

void clearInputs(Window& window) {
    for (Component box : {编辑框1, 编辑框2, 编辑框3, 编辑框4, 编辑框5, 编辑框6, 编辑框7, 编辑框8, 编辑框9, 编辑框10,
                          编辑框11, 编辑框12, 编辑框13, 编辑框14, 编辑框15})
        window.setContent(box, {});
}

void topmostClicked(Window& window) { window.setTopmost(window.checked(选择框5)); }

}  // namespace velmora
