#pragma once
// The rows of the list view. Column 0 holds the names as they were loaded; column 1 the name each
// entry has now, or, while a rule is in view, the name the rule would give it. Names are held in
// compact lists, shared with the listing that loaded them and with preview work, and converted only
// when painted.

#include <QAbstractTableModel>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "core/names/left_out_names.h"
#include "core/text/name_patterns.h"
#include "core/text/text.h"
#include "interaction/preview.h"

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
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// The name row r was loaded with.
    Text row(int r) const { return rows_->text(static_cast<std::size_t>(r)); }
    std::string_view rowBytes(int r) const { return rows_->bytes(static_cast<std::size_t>(r)); }
    /// Appends rows listed from folder.
    void append(const std::vector<Text>& rows, const Text& folder);
    /// Appends the names of a list, which the rows share rather than copy.
    void append(const std::shared_ptr<const NameList>& names, const Text& folder);
    void clear();
    /// The rows become the entries of listing (the current folder listed afresh): a row whose
    /// entry is still there stays where it is, with its check, also when another program renamed
    /// the entry (the same inode under a new name); new entries are appended, checked; rows of
    /// entries gone are removed.
    void mirror(const std::shared_ptr<const NameList>& listing, const Text& folder, bool inListingOrder = false);

    /// The check box of row r; every row comes checked.
    bool checked(int r) const { return unchecked_[static_cast<std::size_t>(r)] == 0; }
    void setChecked(const std::vector<int>& rows, bool checked);
    void checkAll(bool checked);
    void invertChecks();
    /// Checks exactly rows.
    void checkOnly(const std::vector<int>& rows);
    /// Hides the rows whose current names match none of the patterns typed (empty: none hidden).
    void setFilter(const Text& typed);
    bool hidden(int r) const { return hidden_[static_cast<std::size_t>(r)] != 0; }
    /// The current names of the rows unchecked or hidden: the entries the rules leave alone. The
    /// same value until the checks, the filter or the names change.
    SharedLeftOut leftOut() const;

    /// The folder whose rows show a second column: currentFolder.
    void setCurrentFolder(const Text& folder);
    /// Each row's current name where the row belongs to the current folder, else the empty text.
    /// Shared with preview work and replaced, never changed, when names change.
    std::shared_ptr<const NameList> currentNames() const { return currentOfFolder_; }
    /// Rows follow their entries: renames made in folder, in the order they were made.
    void followRenames(const Text& folder, const RenameList& renamed);
    /// True when renamed moved a folder that holds the entry of a row (rows named by paths below
    /// their folder): such rows are out of step until the folder is listed again.
    bool renamedAFolderOfARow(const RenameList& renamed) const;
    /// Shows preview over the rows, or the current names when null.
    void setPreview(std::shared_ptr<const RowPreview> preview);
    const RowPreview* preview() const { return preview_.get(); }

signals:
    /// Which rows the rules work on changed: a check, the filter, or the rows.
    void choiceChanged();
    /// Which rows the filter hides changed.
    void filterChanged();

private:
    struct Segment {
        std::size_t first;  ///< first row listed from folder
        Text folder;
    };
    const Text& folderOf(std::size_t row) const;
    void refreshCurrentOfFolder();
    void secondColumnChanged();
    void checksChanged();
    /// Applies the filter to every row; true when that hid or showed a row.
    bool refilter();

    QString header_;
    std::shared_ptr<const NameList> rows_;  ///< as loaded
    std::shared_ptr<const NameList> names_;  ///< as the entries are named now: rows_ until a row was renamed
    std::vector<Segment> segments_;
    Text currentFolder_;
    std::shared_ptr<const NameList> currentOfFolder_;
    std::shared_ptr<const RowPreview> preview_;
    std::vector<std::uint8_t> unchecked_;  ///< per row: 1 when unchecked
    std::vector<std::uint8_t> hidden_;  ///< per row: 1 when the filter hides it
    NamePatterns filter_;
    mutable SharedLeftOut leftOut_;  ///< made when first asked after a change
};

}  // namespace velmora
