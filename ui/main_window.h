#pragma once
// The two windows, built from their component tables.

#include <QString>
#include <QWidget>
#include <string_view>
#include <unordered_map>

#include "ui/component_table.h"

class QLabel;
class QProgressBar;

namespace velmora {

class RowModel;
class SortedRows;

/// A top-level window whose components are found by name.
class BuiltWindow : public QWidget {
    Q_OBJECT
public:
    BuiltWindow(const WindowLayout& layout, QWidget* owner);

    QWidget* component(std::string_view name) const;
    template <typename T>
    T* component(std::string_view name) const {
        return qobject_cast<T*>(component(name));
    }

signals:
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Keyed by the names of the component table, which live as long as the program: handlers
    // look components up once per entry of a run.
    std::unordered_map<std::string_view, QWidget*> components_;
};

class MainWindow : public BuiltWindow {
    Q_OBJECT
public:
    MainWindow();
    RowModel& rows() { return *rows_; }
    /// The rows as the list view shows them.
    SortedRows& shownRows() { return *shown_; }
    QProgressBar& progressBar() { return *progress_; }
    /// The status line under the list view: what the rule in view would do.
    QLabel& statusLine() { return *status_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOutGrowing();

    RowModel* rows_;
    SortedRows* shown_;
    QProgressBar* progress_;
    QLabel* status_;
};

class ThanksWindow : public BuiltWindow {
    Q_OBJECT
public:
    explicit ThanksWindow(QWidget* owner);

protected:
    void keyPressEvent(QKeyEvent* event) override;  // Esc closes it
};

/// The font of a component: "微软雅黑" falling back to an installed CJK font.
QFont componentFont(const FontStyle& style, const QFont& base);

}  // namespace velmora
