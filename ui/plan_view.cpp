#include "ui/plan_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QScreen>
#include <QTextEdit>

#include <algorithm>

#include "ui/qt_text.h"

namespace velmora {
namespace {

// Rows checked on the spot when drawn; beyond this the row shows what is known until the slices
// reach it, so dragging to the end of a million lines never stalls.
constexpr std::size_t kCheckAhead = 4000;
constexpr qint64 kSliceMs = 12;
// Checked before the view opens: more than a tall box shows, and a first width for the rows.
constexpr std::size_t kFirstChecked = 256;

}  // namespace

PlanModel::PlanModel(std::unique_ptr<PlanLines> lines, const QFont& font, QObject* parent)
    : QAbstractListModel(parent), lines_(std::move(lines)), metrics_(font), lineHeight_(metrics_.height() + 2) {
    lines_->checkUpTo(kFirstChecked);
    measureWidth();
    announced_ = lines_->checked();
    connect(&slices_, &QTimer::timeout, this, &PlanModel::checkSlice);
    if (lines_->checked() < lines_->size()) slices_.start(0);
}

int PlanModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_->size());
}

QVariant PlanModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::SizeHintRole) return QSize(width_, lineHeight_);
    if (role != Qt::DisplayRole) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= lines_->checked() && row - lines_->checked() < kCheckAhead) lines_->checkUpTo(row + 1);
    return toQString(lines_->knownLine(row));
}

void PlanModel::checkSlice() {
    QElapsedTimer clock;
    clock.start();
    while (lines_->checked() < lines_->size() && clock.elapsed() < kSliceMs) lines_->checkUpTo(lines_->checked() + 256);
    announce();
    if (lines_->checked() == lines_->size()) slices_.stop();
}

void PlanModel::checkAll() {
    lines_->checkUpTo(lines_->size());
    announce();
    slices_.stop();
}

// Rows drawn before their step was checked lack their mark; the view learns of the new width once
// a line longer than it was laid out for has been checked.
void PlanModel::announce() {
    if (lines_->checked() > announced_) {
        emit dataChanged(index(static_cast<int>(announced_)), index(static_cast<int>(lines_->checked()) - 1),
                         {Qt::DisplayRole});
        announced_ = lines_->checked();
    }
    if (lines_->longestChecked() > widthShown_ &&
        (lines_->checked() == lines_->size() || lines_->longestChecked() > widthShown_ + widthShown_ / 8)) {
        measureWidth();
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }
}

// Every row is as wide as the longest line in bytes, measured, with room for a line of as many
// bytes in wider letters.
void PlanModel::measureWidth() {
    widthShown_ = lines_->longestChecked();
    if (lines_->checked() == 0) return;
    const int measured = metrics_.horizontalAdvance(toQString(lines_->knownLine(lines_->longestLineAt())));
    width_ = measured + measured / 4 + 16;
}

QString PlanModel::text(const std::vector<int>& rows) const {
    if (!rows.empty()) lines_->checkUpTo(static_cast<std::size_t>(rows.back()) + 1);
    std::string all;
    for (int row : rows) {
        all += lines_->knownLine(static_cast<std::size_t>(row)).toUtf8();
        all += '\n';
    }
    return QString::fromStdString(all);
}

PlanView::PlanView(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    // Rows are laid out a batch at a time, so a million of them never hold up the first paint.
    setLayoutMode(QListView::Batched);
    setBatchSize(20000);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize PlanView::sizeHint() const { return {560, 260}; }

QString PlanView::selectedText() const {
    auto* plan = qobject_cast<PlanModel*>(model());
    if (!plan) return {};
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return plan->text(rows);
}

void PlanView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (QClipboard* clipboard = QApplication::clipboard()) clipboard->setText(selectedText());
        QApplication::restoreOverrideCursor();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

namespace {
const QString kShow = QStringLiteral("显示详细信息…");
const QString kHide = QStringLiteral("隐藏详细信息…");
}  // namespace

PlanBox::PlanBox(PlanDetails details, QWidget* parent) : QMessageBox(parent), details_(std::move(details)) {
    // The box's own details area and toggle, with a placeholder text that is never shown: the
    // plan goes into a view of its own when first opened.
    setDetailedText(QStringLiteral(" "));
}

// The box makes its details button only as it is shown.
void PlanBox::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event);  // fixes the box's size again, also when shown a second time
    if (detailsOpen() && view_) letEnlarge();
    if (toggle_) return;
    if (auto* edit = findChild<QTextEdit*>()) {
        edit->hide();
        area_ = edit->parentWidget();
    }
    for (QAbstractButton* button : buttons())
        if (buttonRole(button) == QMessageBox::ActionRole) toggle_ = button;
    if (!toggle_ || !area_) return;
    toggle_->setText(kShow);
    // Wide enough for either caption, so switching never cuts the text.
    const QFontMetrics metrics(toggle_->font());
    toggle_->setMinimumWidth(std::max(metrics.horizontalAdvance(kShow), metrics.horizontalAdvance(kHide)) + 24);
    // Connected after the box's own handler, so it runs once the area is shown or hidden.
    connect(toggle_, &QAbstractButton::clicked, this, &PlanBox::toggled);
}

bool PlanBox::detailsOpen() const { return area_ && !area_->isHidden(); }

void PlanBox::toggled() {
    toggle_->setText(detailsOpen() ? kHide : kShow);
    if (!detailsOpen()) return;
    if (!view_) {
        view_ = new PlanView(area_);
        auto lines = details_ ? details_() : nullptr;
        if (!lines) lines = std::make_unique<PlanLines>(Text{}, 0, nullptr);
        view_->setModel(new PlanModel(std::move(lines), view_->font(), view_));
        area_->layout()->addWidget(view_);
        view_->show();
    }
    letEnlarge();
    QSize wanted = size().expandedTo({640, 440});
    if (const QScreen* s = screen()) wanted = wanted.boundedTo(s->availableGeometry().size());
    resize(wanted);
    view_->setFocus();
}

// The message box keeps a fixed size of its own; with the plan open the user may enlarge it.
void PlanBox::letEnlarge() {
    setMinimumSize(360, 280);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizeGripEnabled(true);
}

bool PlanBox::event(QEvent* event) {
    // The message box answers a layout request by fixing its size again; not while the plan is open.
    // Skipping QMessageBox's own handling is the point here.
    if (event->type() == QEvent::LayoutRequest && detailsOpen())
        return QDialog::event(event);  // NOLINT(bugprone-parent-virtual-call)
    return QMessageBox::event(event);
}

}  // namespace velmora
