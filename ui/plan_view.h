#pragma once
// The plan of a run as the details of its confirmation: a list that makes and draws only the lines
// in sight, so a plan of a million renames opens at once.

#include <QAbstractListModel>
#include <QFontMetrics>
#include <QListView>
#include <QMessageBox>
#include <QTimer>
#include <memory>
#include <vector>

#include "interaction/plan_lines.h"
#include "interaction/window.h"

namespace velmora {

/// One row per plan line. Lines are made when drawn; the steps are checked ahead of the rows in
/// sight, and the rest in short slices while the box is open, so the ✗ marks of far rows follow
/// within moments instead of holding up the window.
class PlanModel : public QAbstractListModel {
    Q_OBJECT
public:
    PlanModel(std::unique_ptr<PlanLines> lines, const QFont& font, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    /// The rows, checked, one line each and each ending in a line break (for the clipboard).
    QString text(const std::vector<int>& rows) const;
    /// Checks every step now (tests; copying does it for the rows it copies).
    void checkAll();

private:
    void checkSlice();
    void announce();

    std::unique_ptr<PlanLines> lines_;
    QTimer slices_;
    void measureWidth();

    QFontMetrics metrics_;
    int width_ = 0;  ///< of the rows: about the widest line checked so far
    int lineHeight_;
    std::size_t announced_ = 0;  ///< rows up to here were drawn with what is known now
    std::size_t widthShown_ = 0;  ///< longest line (bytes) the view was last laid out for
};

/// The plan's lines: uniform rows, several of them selectable, Ctrl+C copies the selected lines
/// in order and Ctrl+A selects all; long lines scroll sideways.
class PlanView : public QListView {
    Q_OBJECT
public:
    explicit PlanView(QWidget* parent = nullptr);
    QSize sizeHint() const override;
    /// The selected lines in order, as Ctrl+C puts them on the clipboard.
    QString selectedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

/// A confirmation whose details are the plan: its own Chinese toggle button, the plan made only
/// when first opened, and with the details open a box the user can enlarge.
class PlanBox : public QMessageBox {
    Q_OBJECT
public:
    PlanBox(PlanDetails details, QWidget* parent);
    /// The details button; null when the box has none.
    QAbstractButton* detailsButton() const { return toggle_; }
    /// The plan's view; null until the details are first opened.
    PlanView* view() const { return view_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void toggled();
    void letEnlarge();
    bool detailsOpen() const;

    PlanDetails details_;
    QAbstractButton* toggle_ = nullptr;
    QWidget* area_ = nullptr;  ///< the box's own details area, which now holds the view
    PlanView* view_ = nullptr;
};

}  // namespace velmora
