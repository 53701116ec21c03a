#include "ui/list_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "interaction/reasons.h"

namespace velmora {
namespace {

QString qs(const Text& text) { return QString::fromStdString(text.toUtf8()); }

const std::shared_ptr<const NameList>& noRows() {
    static const auto none = std::make_shared<const NameList>();
    return none;
}

// a followed by b, sharing a when b is empty and b when a is.
std::shared_ptr<const NameList> joined(const std::shared_ptr<const NameList>& a,
                                       const std::shared_ptr<const NameList>& b) {
    if (b->empty()) return a;
    if (a->empty()) return b;
    auto both = std::make_shared<NameList>(*a);
    both->reserve(a->size() + b->size(), 0);
    for (std::size_t i = 0; i < b->size(); ++i) both->addFrom(*b, i);
    return both;
}

}  // namespace

RowModel::RowModel(QString header, QObject* parent)
    : QAbstractTableModel(parent), header_(std::move(header)), rows_(noRows()), names_(rows_), currentOfFolder_(rows_) {
}

int RowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_->size());
}

int RowModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

const Text& RowModel::folderOf(std::size_t row) const {
    static const Text none;
    for (auto it = segments_.rbegin(); it != segments_.rend(); ++it)
        if (it->first <= row) return it->folder;
    return none;
}

Qt::ItemFlags RowModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool RowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0 || role != Qt::CheckStateRole) return false;
    setChecked({index.row()}, value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

QVariant RowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto r = static_cast<std::size_t>(index.row());
    if (index.column() == 0) {
        if (role == Qt::CheckStateRole) return unchecked_[r] ? Qt::Unchecked : Qt::Checked;
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
        return qs(rows_->text(r));
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::ForegroundRole) return {};
    if (folderOf(r) != currentFolder_ || currentFolder_.empty()) return {};
    const std::int32_t step = preview_ && r < preview_->stepOfRow.size() ? preview_->stepOfRow[r] : -1;
    if (step >= 0) {
        const auto s = static_cast<std::size_t>(step);
        const StepFailure failure = preview_->preview.failures[s];
        if (role == Qt::ForegroundRole) return failure == StepFailure::None ? QVariant() : QBrush(QColor(200, 30, 30));
        if (failure != StepFailure::None)
            return qs(names_->text(r) + failureMark() +
                      failureReason(failure, preview_->preview.plan.steps.newNames()->text(s)));
        return qs(preview_->preview.plan.steps.newNames()->text(s));
    }
    // Left alone by the rule in view, or no rule in view: the name it has now, grey when unchanged.
    if (role == Qt::ForegroundRole) {
        const bool grey = preview_ || names_->bytes(r) == rows_->bytes(r);
        return grey ? QBrush(QColor(128, 128, 128)) : QVariant();
    }
    return qs(names_->text(r));
}

QVariant RowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return header_;
    if (section == 1) return QStringLiteral("新文件名");
    return {};
}

void RowModel::append(const std::vector<Text>& rows, const Text& folder) {
    auto names = std::make_shared<NameList>();
    for (const Text& row : rows) names->add(row);
    append(std::shared_ptr<const NameList>(std::move(names)), folder);
}

void RowModel::append(const std::shared_ptr<const NameList>& names, const Text& folder) {
    if (!names || names->empty()) return;
    const int first = static_cast<int>(rows_->size());
    beginInsertRows({}, first, first + static_cast<int>(names->size()) - 1);
    segments_.push_back({rows_->size(), folder});
    names_ = names_ == rows_ ? nullptr : joined(names_, names);
    rows_ = joined(rows_, names);
    if (!names_) names_ = rows_;
    unchecked_.resize(rows_->size(), 0);
    hidden_.resize(rows_->size(), 0);
    for (std::size_t r = static_cast<std::size_t>(first); r < rows_->size(); ++r)
        hidden_[r] = filter_.matches(names_->bytes(r)) ? 0 : 1;
    preview_.reset();
    refreshCurrentOfFolder();
    endInsertRows();
    leftOut_.reset();
    emit filterChanged();
    emit choiceChanged();
}

void RowModel::mirror(const std::shared_ptr<const NameList>& listing, const Text& folder, bool inListingOrder) {
    const auto nameOf = [this](std::uint32_t r) { return names_->bytes(r); };
    PositionTable rowNamed(rows_->size());
    for (std::uint32_t r = 0; r < rows_->size(); ++r) rowNamed.insert(r, nameOf);
    constexpr std::uint32_t none = PositionTable::none;
    std::vector<std::uint32_t> entryOfRow(rows_->size(), none);
    std::vector<std::size_t> added;
    for (std::size_t i = 0; i < listing->size(); ++i) {
        const std::uint32_t r = rowNamed.find(listing->bytes(i), nameOf);
        if (r == none)
            added.push_back(i);
        else
            entryOfRow[r] = static_cast<std::uint32_t>(i);
    }
    // An entry renamed by another program is the row of the same inode whose name went.
    std::unordered_map<std::uint64_t, std::uint32_t> goneByInode;
    for (std::uint32_t r = 0; r < rows_->size() && !added.empty(); ++r)
        if (entryOfRow[r] == none && rows_->inode(r) != 0) goneByInode.emplace(rows_->inode(r), r);
    bool followed = false;
    if (!goneByInode.empty()) {
        std::vector<std::size_t> stillAdded;
        for (std::size_t i : added) {
            const auto it = goneByInode.find(listing->inode(i));
            if (it == goneByInode.end()) {
                stillAdded.push_back(i);
                continue;
            }
            entryOfRow[it->second] = static_cast<std::uint32_t>(i);
            goneByInode.erase(it);
            followed = true;
        }
        added = std::move(stillAdded);
    }
    const bool allStay = std::all_of(entryOfRow.begin(), entryOfRow.end(), [](std::uint32_t e) { return e != none; });
    if (allStay && !followed && added.empty() && !inListingOrder &&
        (segments_.empty() || segments_.front().folder == folder))
        return;
    auto rows = std::make_shared<NameList>();
    auto names = std::make_shared<NameList>();
    std::vector<std::uint8_t> unchecked;
    if (inListingOrder) {
        std::vector<std::uint32_t> rowOfEntry(listing->size(), none);
        for (std::uint32_t r = 0; r < rows_->size(); ++r)
            if (entryOfRow[r] != none) rowOfEntry[entryOfRow[r]] = r;
        for (std::size_t i = 0; i < listing->size(); ++i) {
            const std::uint32_t r = rowOfEntry[i];
            if (r == none)
                rows->addFrom(*listing, i);
            else
                rows->addFrom(*rows_, r);
            names->addFrom(*listing, i);
            unchecked.push_back(r == none ? 0 : unchecked_[r]);
        }
        followed = true;  // the names are the listing's, whatever the rows were loaded as
    } else {
        for (std::size_t r = 0; r < rows_->size(); ++r) {
            if (entryOfRow[r] == none) continue;
            rows->addFrom(*rows_, r);
            names->addFrom(*listing, entryOfRow[r]);
            unchecked.push_back(unchecked_[r]);
        }
        for (std::size_t i : added) {
            rows->addFrom(*listing, i);
            names->addFrom(*listing, i);
            unchecked.push_back(0);
        }
    }
    beginResetModel();
    const bool renamed = followed || names_ != rows_;
    rows_ = std::move(rows);
    names_ = renamed ? std::shared_ptr<const NameList>(std::move(names)) : rows_;
    unchecked_ = std::move(unchecked);
    segments_.clear();
    if (!rows_->empty()) segments_.push_back({0, folder});
    preview_.reset();
    hidden_.assign(rows_->size(), 0);
    refilter();
    refreshCurrentOfFolder();
    endResetModel();
    leftOut_.reset();
    emit filterChanged();
    emit choiceChanged();
}

void RowModel::setChecked(const std::vector<int>& rows, bool checked) {
    bool changed = false;
    for (int r : rows) {
        auto& u = unchecked_[static_cast<std::size_t>(r)];
        changed |= u != (checked ? 0 : 1);
        u = checked ? 0 : 1;
    }
    if (changed) checksChanged();
}

void RowModel::checkAll(bool checked) {
    std::fill(unchecked_.begin(), unchecked_.end(), checked ? 0 : 1);
    checksChanged();
}

void RowModel::invertChecks() {
    for (auto& u : unchecked_) u = u ? 0 : 1;
    checksChanged();
}

void RowModel::checkOnly(const std::vector<int>& rows) {
    std::fill(unchecked_.begin(), unchecked_.end(), 1);
    for (int r : rows) unchecked_[static_cast<std::size_t>(r)] = 0;
    checksChanged();
}

void RowModel::checksChanged() {
    leftOut_.reset();
    // Only the check boxes changed: the sorting and filtering of the shown rows stay as they are.
    if (!rows_->empty())
        emit dataChanged(index(0, 0), index(static_cast<int>(rows_->size()) - 1, 0), {Qt::CheckStateRole});
    emit choiceChanged();
}

void RowModel::setFilter(const Text& typed) {
    filter_ = NamePatterns(typed);
    if (!refilter()) return;
    leftOut_.reset();
    emit filterChanged();
    emit choiceChanged();
}

bool RowModel::refilter() {
    bool changed = false;
    for (std::size_t r = 0; r < rows_->size(); ++r) {
        const std::uint8_t hide = filter_.matches(names_->bytes(r)) ? 0 : 1;
        changed |= hide != hidden_[r];
        hidden_[r] = hide;
    }
    return changed;
}

SharedLeftOut RowModel::leftOut() const {
    if (leftOut_) return leftOut_;
    auto names = std::make_shared<NameList>();
    for (std::size_t r = 0; r < rows_->size(); ++r)
        if (unchecked_[r] || hidden_[r]) names->addFrom(*names_, r);
    leftOut_ = std::make_shared<const LeftOutNames>(std::move(names));
    return leftOut_;
}

void RowModel::clear() {
    if (rows_->empty()) return;
    beginResetModel();
    rows_ = noRows();
    names_ = rows_;
    segments_.clear();
    unchecked_.clear();
    hidden_.clear();
    preview_.reset();
    refreshCurrentOfFolder();
    endResetModel();
    leftOut_.reset();
    emit filterChanged();
    emit choiceChanged();
}

void RowModel::setCurrentFolder(const Text& folder) {
    if (folder == currentFolder_) return;
    currentFolder_ = folder;
    preview_.reset();
    refreshCurrentOfFolder();
    secondColumnChanged();
}

bool RowModel::renamedAFolderOfARow(const RenameList& renamed) const {
    std::unordered_set<std::string_view> moved;
    for (std::size_t i = 0; i < renamed.size(); ++i) moved.insert(renamed.fromBytes(i));
    for (std::size_t r = 0; r < names_->size(); ++r) {
        const std::string_view name = names_->bytes(r);
        for (std::size_t slash = name.find('/'); slash != std::string_view::npos; slash = name.find('/', slash + 1))
            if (moved.count(name.substr(0, slash))) return true;
    }
    return false;
}

void RowModel::followRenames(const Text& folder, const RenameList& renamed) {
    if (renamed.empty() || rows_->empty()) return;
    // Each row's name as the renames leave it: its own, or the new name of the last rename that
    // moved it; the rows of the folder are found by that name in a table of row numbers.
    constexpr std::uint32_t unrenamed = PositionTable::none;
    std::vector<std::uint32_t> renameOf(rows_->size(), unrenamed);
    const auto nameOf = [&](std::uint32_t r) {
        return renameOf[r] == unrenamed ? names_->bytes(r) : renamed.toBytes(renameOf[r]);
    };
    std::vector<std::uint32_t> here;
    for (std::size_t r = 0; r < rows_->size(); ++r)
        if (folderOf(r) == folder) here.push_back(static_cast<std::uint32_t>(r));
    if (here.empty()) return;
    PositionTable rowNamed(here.size() + renamed.size());
    for (std::uint32_t r : here) rowNamed.insert(r, nameOf);
    here = {};
    bool moved = false;
    for (std::size_t i = 0; i < renamed.size(); ++i) {
        const std::uint32_t r = rowNamed.find(renamed.fromBytes(i), nameOf);
        if (r == PositionTable::none) continue;
        rowNamed.erase(renamed.fromBytes(i), nameOf);
        renameOf[r] = static_cast<std::uint32_t>(i);
        rowNamed.insert(r, nameOf);
        moved = true;
    }
    if (!moved) return;
    std::size_t bytes = 0;
    for (std::uint32_t r = 0; r < rows_->size(); ++r) bytes += nameOf(r).size();
    auto names = std::make_shared<NameList>();
    names->reserve(rows_->size(), bytes);
    for (std::uint32_t r = 0; r < rows_->size(); ++r) names->add(nameOf(r));
    names_ = std::move(names);
    // The checks stay with their rows; the filter and what is left out go by the new names.
    if (refilter()) emit filterChanged();
    leftOut_.reset();
    refreshCurrentOfFolder();
    secondColumnChanged();
    emit choiceChanged();
}

void RowModel::setPreview(std::shared_ptr<const RowPreview> preview) {
    if (!preview && !preview_) return;
    preview_ = std::move(preview);
    secondColumnChanged();
}

void RowModel::refreshCurrentOfFolder() {
    // Commonly every row belongs to the current folder: the preview then shares the names.
    const bool allRowsHere =
        !currentFolder_.empty() && !segments_.empty() &&
        std::all_of(segments_.begin(), segments_.end(), [&](const Segment& s) { return s.folder == currentFolder_; });
    if (allRowsHere || rows_->empty()) {
        currentOfFolder_ = names_;
        return;
    }
    auto names = std::make_shared<NameList>();
    names->reserve(rows_->size(), 0);
    for (std::size_t r = 0; r < rows_->size(); ++r)
        names->add(!currentFolder_.empty() && folderOf(r) == currentFolder_ ? names_->bytes(r) : std::string_view());
    currentOfFolder_ = std::move(names);
}

void RowModel::secondColumnChanged() {
    if (rows_->empty()) return;
    emit dataChanged(index(0, 1), index(static_cast<int>(rows_->size()) - 1, 1));
}

}  // namespace velmora
