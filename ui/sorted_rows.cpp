#include "ui/sorted_rows.h"

#include <QHeaderView>
#include <QTreeView>

#include "core/text/natural_order.h"
#include "ui/list_model.h"

namespace velmora {

SortedRows::SortedRows(RowModel& rows, QObject* parent) : QSortFilterProxyModel(parent), rows_(rows) {
    setSourceModel(&rows);
    connect(&rows, &RowModel::filterChanged, this, &SortedRows::invalidateRowsFilter);
    const auto forget = [this] { sortedNames_.reset(); };
    connect(this, &QAbstractItemModel::layoutChanged, this, forget);
    connect(this, &QAbstractItemModel::modelReset, this, forget);
    connect(this, &QAbstractItemModel::rowsInserted, this, forget);
    connect(this, &QAbstractItemModel::rowsRemoved, this, forget);
    connect(&rows, &RowModel::choiceChanged, this, forget);  // also when the rows' names change
}

std::shared_ptr<const NameList> SortedRows::sortedNames() const {
    if (order_ == Order::Loading) return nullptr;
    if (sortedNames_) return sortedNames_;
    const auto current = rows_.currentNames();
    auto names = std::make_shared<NameList>();
    const int shown = rowCount();
    for (int r = 0; r < shown; ++r) names->addFrom(*current, static_cast<std::size_t>(loadedRow(r)));
    sortedNames_ = std::move(names);
    return sortedNames_;
}

void SortedRows::invalidateRowsFilter() { invalidateFilter(); }

bool SortedRows::filterAcceptsRow(int sourceRow, const QModelIndex&) const { return !rows_.hidden(sourceRow); }

void SortedRows::setOrder(Order order) {
    order_ = order;
    sortedNames_.reset();
    // Column -1 gives back the model's own order; equal names keep their loading order either way.
    switch (order) {
    case Order::Loading:
        sort(-1);
        break;
    case Order::Natural:
        sort(0, Qt::AscendingOrder);
        break;
    case Order::Reversed:
        sort(0, Qt::DescendingOrder);
        break;
    }
    showIndicator();
}

int SortedRows::loadedRow(int shownRow) const { return mapToSource(index(shownRow, 0)).row(); }

bool SortedRows::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return naturalLess(rows_.rowBytes(left.row()), rows_.rowBytes(right.row()));
}

void SortedRows::attach(QTreeView& view) {
    view_ = &view;
    view.setModel(this);
    QHeaderView* header = view.header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    connect(header, &QHeaderView::sectionClicked, this, [this](int section) {
        if (section != 0) {  // only the names sort; the header turned its arrow already, turn it back
            showIndicator();
            return;
        }
        setOrder(order_ == Order::Loading   ? Order::Natural
                 : order_ == Order::Natural ? Order::Reversed
                                            : Order::Loading);
    });
    showIndicator();
}

void SortedRows::showIndicator() {
    if (!view_) return;
    if (order_ == Order::Loading)
        view_->header()->setSortIndicator(-1, Qt::AscendingOrder);
    else
        view_->header()->setSortIndicator(0, order_ == Order::Natural ? Qt::AscendingOrder : Qt::DescendingOrder);
}

}  // namespace velmora
