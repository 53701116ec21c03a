#include "ui/row_choice.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTreeView>
#include <algorithm>
#include <vector>

#include "ui/list_model.h"
#include "ui/qt_text.h"
#include "ui/sorted_rows.h"

namespace velmora {
namespace {

// The rows of the model that the view's selected rows show.
std::vector<int> selectedRows(const QTreeView& view, const SortedRows& shown) {
    std::vector<int> rows;
    for (const QModelIndex& index : view.selectionModel()->selectedRows()) rows.push_back(shown.loadedRow(index.row()));
    return rows;
}

// Space checks the selected rows, or unchecks them when every one of them is checked.
class SpaceToggles : public QObject {
public:
    SpaceToggles(QTreeView& view, RowModel& rows, SortedRows& shown)
        : QObject(&view), view_(view), rows_(rows), shown_(shown) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier) return false;
        const std::vector<int> selected = selectedRows(view_, shown_);
        if (selected.empty()) return false;
        const bool allChecked = std::all_of(selected.begin(), selected.end(), [&](int r) { return rows_.checked(r); });
        rows_.setChecked(selected, !allChecked);
        return true;
    }

private:
    QTreeView& view_;
    RowModel& rows_;
    SortedRows& shown_;
};

}  // namespace

void attachRowChoice(QTreeView& view, RowModel& rows, SortedRows& shown, QLineEdit& filter) {
    view.installEventFilter(new SpaceToggles(view, rows, shown));
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    auto* menu = new QMenu(&view);
    menu->setObjectName(QStringLiteral("勾选菜单"));
    QObject::connect(menu->addAction(QStringLiteral("全部勾选")), &QAction::triggered, &view,
                     [&rows] { rows.checkAll(true); });
    QObject::connect(menu->addAction(QStringLiteral("全部不勾选")), &QAction::triggered, &view,
                     [&rows] { rows.checkAll(false); });
    QObject::connect(menu->addAction(QStringLiteral("反向勾选")), &QAction::triggered, &view,
                     [&rows] { rows.invertChecks(); });
    QObject::connect(menu->addAction(QStringLiteral("只勾选选中的行")), &QAction::triggered, &view,
                     [&view, &rows, &shown] { rows.checkOnly(selectedRows(view, shown)); });
    QObject::connect(&view, &QWidget::customContextMenuRequested, menu,
                     [&view, menu](const QPoint& at) { menu->popup(view.viewport()->mapToGlobal(at)); });
    QObject::connect(&filter, &QLineEdit::textChanged, &rows,
                     [&rows](const QString& typed) { rows.setFilter(fromQString(typed)); });
}

}  // namespace velmora
