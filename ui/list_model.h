#pragma once
// The rows of the list view: one column of names held as Text and converted only when painted, so
// a folder of 100,000 files costs one vector.

#include <QAbstractTableModel>
#include <vector>

#include "core/text.h"

namespace velmora {

class RowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RowModel(QString header, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const Text& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    void append(std::vector<Text> rows);
    void clear();

private:
    QString header_;
    std::vector<Text> rows_;
};

}  // namespace velmora
