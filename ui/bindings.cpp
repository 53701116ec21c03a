#include "ui/bindings.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include "core/history.h"
#include "core/pipeline.h"
#include "core/window.h"
#include "filelist/loading.h"
#include "rules/rules.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"

namespace velmora {
namespace {

using namespace component;

// After a run, an undo or a redo: undo is offered while the history holds a run to take back, the
// rows follow the renames, and the keyboard leaves the button for the list, so an Enter or Space
// pressed once too often does not do it all a second time.
void done(HandlerContext& c, const Text& folder, const RenameList& renamed) {
    c.window.setEnabled(按钮_撤销, c.session.journal.canUndo());
    if (c.renamed) c.renamed(folder, renamed);
    if (c.focusList) c.focusList();
}

// The history names a run by the caption of the button that started it.
std::function<void(HandlerContext&)> run(const RenameRule& (*rule)()) {
    return [rule](HandlerContext& c) {
        const Text folder = c.window.currentFolder();
        const RunPlan* previewed = c.planForClick ? c.planForClick(rule()) : nullptr;
        if (c.renaming) c.renaming();
        const RunResult result = runRenameRule(rule(), c.window, c.session, previewed, c.window.caption(c.source));
        done(c, folder, result.renamed);
    };
}

void copyClickedRow(HandlerContext& c) {
    const Text name = copyRowName(c.window);
    if (!name.empty() && c.tell) c.tell("已复制："_t + name);
}

std::function<void(HandlerContext&)> on(void (*handler)(Window&)) {
    return [handler](HandlerContext& c) { handler(c.window); };
}

std::vector<Binding> makeTable() {
    return {
        {按钮1, Event::Clicked, [](HandlerContext& c) { loadChosenFolder(c.window, c.session); }},
        {选择框1, Event::Clicked, on(filesBoxClicked)},
        {选择框2, Event::Clicked, on(foldersBoxClicked)},
        {超级列表框1, Event::Clicked, copyClickedRow},
        {按钮9, Event::Clicked, on(clearRows)},
        {按钮13, Event::Clicked, on(clearInputs)},
        {选择框5, Event::Clicked, on(topmostClicked)},
        {图形按钮1, Event::Clicked, [](HandlerContext& c) { c.openThanksWindow(); }},
        {按钮2, Event::Clicked, run(deleteOccurrences)},
        {按钮7, Event::Clicked, run(deleteBefore)},
        {按钮_去掉后面的, Event::Clicked, run(deleteAfter)},
        {按钮3, Event::Clicked, run(deleteBetween)},
        {组合框1, Event::ItemChosen, on(applySymbolPreset)},
        {选择框_1头, Event::Clicked, on(firstMarkerHeadClicked)},
        {选择框_1尾, Event::Clicked, on(firstMarkerTailClicked)},
        {选择框_2头, Event::Clicked, on(secondMarkerHeadClicked)},
        {选择框_2尾, Event::Clicked, on(secondMarkerTailClicked)},
        {按钮_加后缀1, Event::Clicked, run(videoNumbers)},
        {按钮4, Event::Clicked, run(replaceTextRule)},
        {按钮11, Event::Clicked, run(zeroPadding)},
        {按钮5, Event::Clicked, run(chineseConversion)},
        {单选框15, Event::Clicked, on(toSimplifiedClicked)},
        {单选框16, Event::Clicked, on(toTraditionalClicked)},
        {按钮15, Event::Clicked, run(chineseNumerals)},
        {按钮12, Event::Clicked, run(appendAfterNumber)},
        {按钮_加前缀, Event::Clicked, run(addPrefix)},
        {按钮_加后缀, Event::Clicked, run(addSuffix)},
        {按钮10, Event::Clicked, run(insertAtMarker)},
        {单选框3, Event::Clicked, on(insertBeforeClicked)},
        {单选框4, Event::Clicked, on(insertAfterClicked)},
        {按钮_加后缀2, Event::Clicked, run(appendAfterExtension)},
        {按钮6, Event::Clicked, run(changeExtensions)},
        {按钮_加序号, Event::Clicked, run(numbering)},
        {按钮_正则替换, Event::Clicked, run(regexReplace)},
        {按钮_改大小写, Event::Clicked, run(letterCase)},
        {按钮14, Event::Clicked, [](HandlerContext& c) { createEntries(c.window, c.session); }},
        {编辑框14, Event::FocusIn, on(targetBoxFocused)},
        {编辑框15, Event::FocusIn, on(extensionBoxFocused)},
        {按钮16, Event::Clicked, on(saveOriginalNames)},
        {按钮_撤销, Event::Clicked,
         [](HandlerContext& c) {
             if (c.renaming) c.renaming();
             const MadeRenames undone = undoLastRun(c.window, c.session);
             done(c, undone.folder, undone.renamed);
         }},
    };
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
            if (context.renaming) context.renaming();
            const MadeRenames redone = redoLastRun(context.window, context.session);
            done(context, redone.folder, redone.renamed);
        });
    }
}

// Enter in a rule's edit box runs the rule, question included, as a click on its button does.
void bindEnterInRuleBoxes(MainWindow& window) {
    for (const PreviewedRule& rule : previewedRules()) {
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
    bindEnterInRuleBoxes(window);
}

void clearInputs(Window& window) {
    for (Component box : {编辑框1, 编辑框2, 编辑框3, 编辑框4, 编辑框5, 编辑框6, 编辑框7, 编辑框8, 编辑框9, 编辑框10,
                          编辑框11, 编辑框12, 编辑框13, 编辑框14, 编辑框15})
        window.setContent(box, {});
    window.setCaption(标签2, {});
}

void topmostClicked(Window& window) { window.setTopmost(window.checked(选择框5)); }

}  // namespace velmora
