#pragma once
// The rows of the list view. Column 0 holds the names as they were loaded; column 1 the name each
// entry has now, or, while a rule is in view, the name the rule would give it. Names are held as
// Text and converted only when painted.

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/preview.h"
#include "core/text.h"

namespace velmora {

/// A preview laid over the rows: its plan and, per row, the step of the row's entry or -1.
struct RowPreview {
    Preview preview;
    std::vector<std::int32_t> stepOfRow;
};

class RowModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RowModel(QString header, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// The name row r was loaded with.
    const Text& row(int r) const { return rows_[static_cast<std::size_t>(r)]; }
    /// Appends rows listed from folder.
    void append(std::vector<Text> rows, const Text& folder);
    void clear();

    /// The folder whose rows show a second column: currentFolder.
    void setCurrentFolder(const Text& folder);
    /// Each row's current name where the row belongs to the current folder, else the empty text.
    /// Shared with preview work and replaced, never changed, when names change.
    std::shared_ptr<const std::vector<Text>> currentNames() const { return currentOfFolder_; }
    /// Rows follow their entries: renames made in folder, in the order they were made.
    void followRenames(const Text& folder, const std::vector<std::pair<Text, Text>>& renamed);
    /// Shows preview over the rows, or the current names when null.
    void setPreview(std::shared_ptr<const RowPreview> preview);
    const RowPreview* preview() const { return preview_.get(); }

private:
    struct Segment {
        std::size_t first;  ///< first row listed from folder
        Text folder;
    };
    const Text& folderOf(std::size_t row) const;
    const Text& currentName(std::size_t row) const;
    void refreshCurrentOfFolder();
    void secondColumnChanged();

    QString header_;
    std::vector<Text> rows_;
    std::vector<Text> renamedTo_;  ///< per row once any row was renamed; empty: not renamed
    std::vector<Segment> segments_;
    Text currentFolder_;
    std::shared_ptr<const std::vector<Text>> currentOfFolder_;
    std::shared_ptr<const RowPreview> preview_;
};

}  // namespace velmora
