#include "ui/main_window.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>

#include "core/plan/plan.h"
#include "interaction/reasons.h"
#include "ui/focus_order.h"
#include "ui/list_model.h"
#include "ui/pictures.h"
#include "ui/row_choice.h"
#include "ui/sorted_rows.h"
#include "ui/text_box.h"

namespace velmora {
namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

// A page of the tab control. Its components are placed in the tab control's coordinates, tab
// strip included, so they move back by however far the page lies inside the tab control; that
// changes when the tab control lays itself out or the theme changes the height of its tabs.
class TabPage : public QWidget {
public:
    explicit TabPage(QTabWidget* tabs) : tabs_(tabs) {}
    QPoint placedAt() const { return placedAt_; }

protected:
    void moveEvent(QMoveEvent* event) override {
        realign();
        QWidget::moveEvent(event);
    }
    void resizeEvent(QResizeEvent* event) override {
        realign();
        QWidget::resizeEvent(event);
    }
    void showEvent(QShowEvent* event) override {
        realign();
        QWidget::showEvent(event);
    }

private:
    void realign() {
        const QPoint offset = parentWidget() ? mapTo(tabs_, QPoint(0, 0)) : QPoint(0, 0);
        const QPoint delta = offset - placedAt_;
        if (delta.isNull()) return;
        placedAt_ = offset;
        for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            child->move(child->pos() - delta);
    }

    QTabWidget* tabs_;
    QPoint placedAt_;
};

QWidget* makeWidget(const ComponentRow& c, QWidget* parent) {
    switch (c.kind) {
    case WidgetKind::Label: {
        auto* label = new QLabel(qs(c.text), parent);
        if (c.text.find('\n') != std::string_view::npos) {  // a hint of several lines reads from the top
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(true);
        }
        return label;
    }
    case WidgetKind::TransparentLabel: {
        auto* label = new QLabel(qs(c.text), parent);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setProperty("transparent", true);
        return label;
    }
    case WidgetKind::EditBox:
        return new QLineEdit(qs(c.text), parent);
    case WidgetKind::TextBox: {
        auto* edit = new TextBox(qs(c.text), parent);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);  // a line is a name: one line on screen each
        edit->setTabChangesFocus(true);
        return edit;
    }
    case WidgetKind::Button:
        return new QPushButton(qs(c.text), parent);
    case WidgetKind::PictureButton: {
        auto* button = new QPushButton(parent);
        button->setIcon(QIcon(tipPicture(QSize(c.width, c.height))));
        button->setIconSize(QSize(c.width - 6, c.height - 6));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        return button;
    }
    case WidgetKind::CheckBox: {
        auto* box = new QCheckBox(qs(c.text), parent);
        box->setChecked(c.checked);
        return box;
    }
    case WidgetKind::RadioButton: {
        auto* button = new QRadioButton(qs(c.text), parent);
        button->setChecked(c.checked);
        return button;
    }
    case WidgetKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        for (std::string_view item : c.items) combo->addItem(qs(item));
        if (c.editable) {  // a typed text is used as it stands; it never becomes an item
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
        }
        combo->setCurrentIndex(c.chosen);
        return combo;
    }
    case WidgetKind::GroupBox:
        return new QGroupBox(qs(c.text), parent);
    case WidgetKind::TabControl: {
        auto* tabs = new QTabWidget(parent);
        for (std::size_t i = 0; i < c.items.size(); ++i) {
            auto* page = new TabPage(tabs);
            page->setObjectName(qs(kTabPages[i]));
            tabs->addTab(page, qs(c.items[i]));
        }
        return tabs;
    }
    case WidgetKind::ListView: {
        auto* view = new QTreeView(parent);
        view->setRootIsDecorated(false);
        view->setUniformRowHeights(true);
        // Several rows are chosen at once to check or uncheck them together.
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        return view;
    }
    case WidgetKind::PictureBox: {
        auto* label = new QLabel(parent);
        label->setScaledContents(true);
        return label;
    }
    }
    return nullptr;
}

// A row of the new names whose rename would fail reads "name  ✗ reason". Where the column is too
// narrow for all of it, the name is shortened and the mark and the reason stay whole; the view's
// own shortening would cut into the reason.
class WholeReasonDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* widget = item.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        static const QString mark = QString::fromStdString(failureMark().toUtf8());
        const qsizetype at = item.text.lastIndexOf(mark);
        if (at > 0) {
            // The room the style gives the text: its rectangle less a margin each side, and a pixel
            // for widths measured apart that the style measures together.
            const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
            const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).width() - 2 * margin;
            const QString reason = item.text.mid(at);
            const int nameRoom = room - item.fontMetrics.horizontalAdvance(reason) - 1;
            item.text =
                item.fontMetrics.elidedText(item.text.left(at), item.textElideMode, std::max(0, nameRoom)) + reason;
            item.textElideMode = Qt::ElideRight;  // narrower than the reason itself: its end goes last
        }
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    }
};

}  // namespace

QFont componentFont(const FontStyle& style, const QFont& base) {
    QFont font = base;
    if (style.tabCaption) {
        font.setFamilies(
            {QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
        font.setPixelSize(12);
        return font;
    }
    if (style.pixels == 0) return font;
    font.setFamilies(
        {QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(style.pixels);
    font.setBold(style.bold);
    return font;
}

BuiltWindow::BuiltWindow(const WindowLayout& layout, QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(qs(layout.name));
    setWindowTitle(qs(layout.caption));
    setGeometry(layout.left, layout.top, layout.width, layout.height);
    QTabWidget* tabs = nullptr;
    for (const ComponentRow& c : layout.components) {
        QWidget* container = this;
        QPoint origin(0, 0);
        if (c.container.rfind("page", 0) == 0 && tabs) {
            auto* page = tabs->findChild<TabPage*>(qs(c.container));
            container = page;
            origin = -page->placedAt();
        } else if (!c.container.empty()) {
            container = component(c.container);
        }
        QWidget* w = makeWidget(c, container);
        w->setObjectName(qs(c.name));
        w->setGeometry(QRect(origin + QPoint(c.left, c.top), QSize(c.width, c.height)));
        w->setFont(componentFont(c.font, w->font()));
        components_.emplace(c.name, w);
        if (c.kind == WidgetKind::TabControl) {
            tabs = static_cast<QTabWidget*>(w);
            tabs->tabBar()->setFont(componentFont(c.font, tabs->font()));
        }
    }
    for (const ToolTip& tip : layout.toolTips) component(tip.component)->setToolTip(qs(tip.text));
    QWidget* previous = nullptr;
    for (std::string_view name : focusOrder(layout)) {
        QWidget* w = component(name);
        // Enter clicks a focused button as Space does; outside dialogs only auto-default ones do.
        if (auto* button = qobject_cast<QPushButton*>(w)) button->setAutoDefault(true);
        if (previous) setTabOrder(previous, w);
        previous = w;
    }
}

QWidget* BuiltWindow::component(std::string_view name) const {
    const auto it = components_.find(name);
    return it == components_.end() ? nullptr : it->second;
}

void BuiltWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    QWidget::closeEvent(event);
}

MainWindow::MainWindow() : BuiltWindow(mainWindowLayout(), nullptr) {
    auto* view = component<QTreeView>("超级列表框1");
    rows_ = new RowModel(QStringLiteral("原来的文件名"), view);
    shown_ = new SortedRows(*rows_, view);
    shown_->attach(*view);
    attachRowChoice(*view, *rows_, *shown_, *component<QLineEdit>("编辑框_筛选"));
    view->header()->setStretchLastSection(true);
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
    view->header()->resizeSection(0, 190);
    view->setTextElideMode(Qt::ElideMiddle);
    view->setItemDelegateForColumn(1, new WholeReasonDelegate(view));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("状态栏"));
    status_->setFont(componentFont(FontStyle{12, false, false}, status_->font()));
    status_->setStyleSheet(QStringLiteral("color: rgb(110, 110, 110);"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("进度"));
    progress_->setTextVisible(false);
    progress_->hide();
    // The table places every component for its own size, each readable there; the window grows
    // from it but does not shrink below it.
    setMinimumSize(mainWindowLayout().width, mainWindowLayout().height);
    layOutGrowing();
}

// At the table's size everything stands where the table puts it. A larger window gives the room to
// the list view: it grows both ways, the folder caption and the creation box above it grow as wide,
// and what stands right of them moves along; the tab control grows as high, and the bottom row
// stays under both.
void MainWindow::layOutGrowing() {
    const WindowLayout& table = mainWindowLayout();
    const int dw = std::max(0, width() - table.width);
    const int dh = std::max(0, height() - table.height);
    for (const ComponentRow& c : table.components) {
        if (!c.container.empty()) continue;
        QRect r(c.left, c.top, c.width, c.height);
        if (c.name == "超级列表框1")
            r.adjust(0, 0, dw, dh);
        else if (c.name == "标签2" || c.name == "编辑框14" || c.name == "编辑框_筛选")
            r.adjust(0, 0, dw, 0);
        else if (c.name == "图形按钮1" || c.name == "透明标签1" || c.name == "编辑框15" || c.name == "按钮14")
            r.translate(dw, 0);
        else if (c.name == "高级选择夹1")
            r.adjust(0, 0, 0, dh);
        else if (c.name == "按钮13" || c.name == "按钮9" || c.name == "按钮16")
            r.translate(c.name == "按钮13" ? 0 : dw, dh);
        else
            continue;
        component(c.name)->setGeometry(r);
    }
    status_->setGeometry(10, height() - 34, width() - 20, 24);
    progress_->setGeometry(0, height() - 4, width(), 4);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    BuiltWindow::resizeEvent(event);
    layOutGrowing();
}

ThanksWindow::ThanksWindow(QWidget* owner) : BuiltWindow(thanksWindowLayout(), owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    int index = 0;
    for (const char* name : {"图片框1", "图片框2", "图片框3", "图片框4"})
        component<QLabel>(name)->setPixmap(thanksPicture(index++, component(name)->size()));
}

void ThanksWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    BuiltWindow::keyPressEvent(event);
}

}  // namespace velmora
