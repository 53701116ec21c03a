#include "ui/list_model.h"

#include <QBrush>
#include <QColor>
#include <unordered_map>

namespace velmora {
namespace {

QString qs(const Text& text) { return QString::fromStdString(text.toUtf8()); }

}  // namespace

RowModel::RowModel(QString header, QObject* parent)
    : QAbstractTableModel(parent), header_(std::move(header)), currentOfFolder_(std::make_shared<std::vector<Text>>()) {
}

int RowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RowModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

const Text& RowModel::folderOf(std::size_t row) const {
    static const Text none;
    for (auto it = segments_.rbegin(); it != segments_.rend(); ++it)
        if (it->first <= row) return it->folder;
    return none;
}

const Text& RowModel::currentName(std::size_t row) const {
    return row < renamedTo_.size() && !renamedTo_[row].empty() ? renamedTo_[row] : rows_[row];
}

QVariant RowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const auto r = static_cast<std::size_t>(index.row());
    if (index.column() == 0) {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
        return qs(rows_[r]);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::ForegroundRole) return {};
    if (folderOf(r) != currentFolder_ || currentFolder_.empty()) return {};
    const Text& current = currentName(r);
    const std::int32_t step = preview_ && r < preview_->stepOfRow.size() ? preview_->stepOfRow[r] : -1;
    if (step >= 0) {
        const auto s = static_cast<std::size_t>(step);
        const StepFailure failure = preview_->preview.failures[s];
        if (role == Qt::ForegroundRole) return failure == StepFailure::None ? QVariant() : QBrush(QColor(200, 30, 30));
        if (failure != StepFailure::None) return qs(current + failureMark() + failureReason(failure));
        return qs(preview_->preview.plan.steps[s].newName);
    }
    // Left alone by the rule in view, or no rule in view: the name it has now, grey when unchanged.
    if (role == Qt::ForegroundRole) {
        const bool grey = preview_ || current == rows_[r];
        return grey ? QBrush(QColor(128, 128, 128)) : QVariant();
    }
    return qs(current);
}

QVariant RowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return header_;
    if (section == 1) return QStringLiteral("新文件名");
    return {};
}

void RowModel::append(std::vector<Text> rows, const Text& folder) {
    if (rows.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    segments_.push_back({rows_.size(), folder});
    if (rows_.empty()) {
        rows_ = std::move(rows);
    } else {
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    }
    if (!renamedTo_.empty()) renamedTo_.resize(rows_.size());
    preview_.reset();
    refreshCurrentOfFolder();
    endInsertRows();
}

void RowModel::clear() {
    if (rows_.empty()) return;
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    renamedTo_.clear();
    renamedTo_.shrink_to_fit();
    segments_.clear();
    preview_.reset();
    refreshCurrentOfFolder();
    endResetModel();
}

void RowModel::setCurrentFolder(const Text& folder) {
    if (folder == currentFolder_) return;
    currentFolder_ = folder;
    preview_.reset();
    refreshCurrentOfFolder();
    secondColumnChanged();
}

void RowModel::followRenames(const Text& folder, const std::vector<std::pair<Text, Text>>& renamed) {
    if (renamed.empty() || rows_.empty()) return;
    std::unordered_map<std::string, std::size_t> rowOf;
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (folderOf(r) == folder) rowOf.emplace(currentName(r).bytes(), r);
    if (rowOf.empty()) return;
    if (renamedTo_.empty()) renamedTo_.resize(rows_.size());
    for (const auto& [from, to] : renamed) {
        const auto it = rowOf.find(from.bytes());
        if (it == rowOf.end()) continue;
        const std::size_t r = it->second;
        rowOf.erase(it);
        renamedTo_[r] = to == rows_[r] ? Text{} : to;
        rowOf.emplace(to.bytes(), r);
    }
    refreshCurrentOfFolder();
    secondColumnChanged();
}

void RowModel::setPreview(std::shared_ptr<const RowPreview> preview) {
    if (!preview && !preview_) return;
    preview_ = std::move(preview);
    secondColumnChanged();
}

void RowModel::refreshCurrentOfFolder() {
    auto names = std::make_shared<std::vector<Text>>(rows_.size());
    if (!currentFolder_.empty())
        for (std::size_t r = 0; r < rows_.size(); ++r)
            if (folderOf(r) == currentFolder_) (*names)[r] = currentName(r);
    currentOfFolder_ = std::move(names);
}

void RowModel::secondColumnChanged() {
    if (rows_.empty()) return;
    emit dataChanged(index(0, 1), index(static_cast<int>(rows_.size()) - 1, 1));
}

}  // namespace velmora
