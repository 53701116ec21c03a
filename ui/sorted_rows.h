#pragma once
// What the list view shows of its rows: the loading order, or the names in natural order and
// reversed, chosen by clicking the header of the first column, less the rows the filter hides.
// The rows themselves keep the loading order.

#include <QSortFilterProxyModel>
#include <memory>

#include "core/names/name_list.h"

class QTreeView;

namespace velmora {

class RowModel;

class SortedRows : public QSortFilterProxyModel {
    Q_OBJECT
public:
    enum class Order { Loading, Natural, Reversed };

    SortedRows(RowModel& rows, QObject* parent);
    /// Shows the rows in order; the view's header shows which.
    void setOrder(Order order);
    Order order() const { return order_; }
    /// The row of the model that shown row shows.
    int loadedRow(int shownRow) const;
    /// The current names of the shown rows in the order shown, once sorted by the header; null in
    /// the loading order. The same value until the order or the rows change.
    std::shared_ptr<const NameList> sortedNames() const;
    /// Makes view show these rows; a click on its first column's header steps through natural
    /// order, reversed and loading order.
    void attach(QTreeView& view);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    void showIndicator();
    void invalidateRowsFilter();

    RowModel& rows_;
    mutable std::shared_ptr<const NameList> sortedNames_;
    QTreeView* view_ = nullptr;
    Order order_ = Order::Loading;
};

}  // namespace velmora
