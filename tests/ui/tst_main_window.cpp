// The main window as built from its table, its start-up states and the window behaviours.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <map>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "rules/catalogue.h"
#include "ui/bindings.h"
#include "ui/preview_controller.h"

using namespace velmora;

class TstMainWindow : public QObject {
    Q_OBJECT
private slots:
    // The rename history of these windows lives in a folder of their own.
    void initTestCase() { qputenv("VELMORA_STATE_DIR", state_.path().toUtf8()); }
    void init() { app_ = std::make_unique<Application>(*qApp); }
    void cleanup() { app_.reset(); }

    void everyComponentExistsWithItsKindPlaceAndText();
    void everyCataloguedRuleIsBoundOnceAndPreviewed();
    void startUpStates();
    void topmostFollowsTheBoxFromStartUp();
    void clearingInputsLeavesEverythingElse();
    void thanksWindowOpensRaisesAndCloses();
    void droppedPathsArriveInOrderAndWhole();
    void messageBoxAnswersEscAsCancel();
    void messageBoxIconsButtonsAndEnterMeaningOk();
    void progressBarShowsTheShareDoneAndHidesAtTheEnd();
    void aLargerWindowGivesTheRoomToTheListAndThePageAndNeverShrinksBelowItsTable();
    void themeClampsAndDetaches();

private:
    QTemporaryDir state_;
    std::unique_ptr<Application> app_;
};

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

const char* expectedClass(WidgetKind kind) {
    switch (kind) {
    case WidgetKind::Label:
    case WidgetKind::TransparentLabel:
    case WidgetKind::PictureBox:
        return "QLabel";
    case WidgetKind::EditBox:
        return "QLineEdit";
    case WidgetKind::TextBox:
        return "QPlainTextEdit";
    case WidgetKind::Button:
    case WidgetKind::PictureButton:
        return "QPushButton";
    case WidgetKind::CheckBox:
        return "QCheckBox";
    case WidgetKind::RadioButton:
        return "QRadioButton";
    case WidgetKind::ComboBox:
        return "QComboBox";
    case WidgetKind::GroupBox:
        return "QGroupBox";
    case WidgetKind::TabControl:
        return "QTabWidget";
    case WidgetKind::ListView:
        return "QTreeView";
    }
    return "";
}

void checkWindow(BuiltWindow& window, const WindowLayout& layout) {
    QCOMPARE(window.windowTitle(), qs(layout.caption));
    QCOMPARE(window.geometry(), QRect(layout.left, layout.top, layout.width, layout.height));
    window.show();  // the tab control lays its pages out when shown
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* tabs = window.findChild<QTabWidget*>();
    for (const ComponentRow& c : layout.components) {
        QWidget* w = window.findChild<QWidget*>(qs(c.name));
        QVERIFY2(w, c.name.data());
        QVERIFY2(w->inherits(expectedClass(c.kind)), c.name.data());
        // Placement is relative to the container: the window, a group box, or the tab control.
        QWidget* reference = c.container.empty()                 ? &window
                             : c.container.rfind("page", 0) == 0 ? static_cast<QWidget*>(tabs)
                                                                 : window.findChild<QWidget*>(qs(c.container));
        QVERIFY2(reference && reference->isAncestorOf(w), c.name.data());
        if (tabs && tabs->isAncestorOf(w)) {  // a page lays itself out when it is shown
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(w)) tabs->setCurrentIndex(i);
            QCoreApplication::processEvents();
        }
        const QPoint at = w->mapTo(reference, QPoint(0, 0));
        QCOMPARE(QRect(at, w->size()), QRect(c.left, c.top, c.width, c.height));
        if (c.font.pixels) QCOMPARE(w->font().pixelSize(), c.font.pixels);
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) text = e->text();
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) text = e->toPlainText();
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        QCOMPARE(text, qs(c.text));
    }
}

}  // namespace

void TstMainWindow::everyComponentExistsWithItsKindPlaceAndText() {
    checkWindow(app_->mainWindow(), mainWindowLayout());
    QCOMPARE(mainWindowLayout().components.size(), std::size_t{138});
    auto* tabs = app_->mainWindow().component<QTabWidget>("高级选择夹1");
    QCOMPARE(tabs->tabText(0), QStringLiteral(" 删 除 "));
    QCOMPARE(tabs->tabText(2), QStringLiteral(" 添 加 "));
    QCOMPARE(tabs->tabText(3), QStringLiteral(" 更 多 "));
    QCOMPARE(tabs->tabText(4), QStringLiteral(" 列 表 "));
    auto* combo = app_->mainWindow().component<QComboBox>("组合框3");
    QCOMPARE(combo->count(), 11);
    QCOMPARE(combo->itemText(4), QStringLiteral(".7z"));
    auto* view = app_->mainWindow().component<QTreeView>("超级列表框1");
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("原来的文件名"));
    // The second column shares the list's width with the first; both can be resized.
    QCOMPARE(view->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("新文件名"));
    QCOMPARE(view->columnWidth(0), 190);
    QVERIFY(view->header()->sectionResizeMode(0) == QHeaderView::Interactive);
    app_->openThanksWindow();
    checkWindow(*app_->thanksWindow(), thanksWindowLayout());
}

// The bindings and the preview are made from the catalogue: each rule's button runs it on a click,
// once, its group's handlers serve their boxes, and the preview knows the rules in the same order.
void TstMainWindow::everyCataloguedRuleIsBoundOnceAndPreviewed() {
    MainWindow& main = app_->mainWindow();
    std::map<std::pair<std::string_view, Event>, int> bound;
    for (const Binding& b : bindingTable()) ++bound[{b.component.name, b.event}];
    for (const auto& [key, count] : bound) QVERIFY2(count == 1, key.first.data());

    std::vector<std::string_view> previewedButtons;
    for (const CataloguedRule& rule : ruleCatalogue()) {
        const char* button = rule.button.name.data();
        QVERIFY2(main.component<QPushButton>(button), button);
        QVERIFY2(bound.count({rule.button.name, Event::Clicked}), button);
        for (Component input : rule.inputs) {
            QWidget* w = main.component(input.name);
            QVERIFY2(qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                         qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w),
                     input.name.data());
        }
        for (const GroupHandler& h : rule.handlers) QVERIFY2(bound.count({h.component.name, h.event}), button);
        if (rule.previewed) previewedButtons.push_back(rule.button.name);
    }
    std::vector<std::string_view> previewed;
    for (const PreviewedRule& rule : previewedRules()) previewed.push_back(rule.button.name);
    QVERIFY(!previewed.empty() && previewed == previewedButtons);
}

void TstMainWindow::startUpStates() {
    QtWindow& w = app_->window();
    using namespace component;
    for (Component c : {选择框5, 选择框6, 选择框1, 单选框2, 单选框7, 单选框9, 单选框5, 单选框3, 单选框11, 单选框13,
                        单选框15, 选择框_1头, 选择框_2头})
        QVERIFY2(w.checked(c), c.name.data());
    for (Component c : {选择框2, 选择框3, 选择框4, 单选框1, 单选框16, 单选框4, 选择框_1尾})
        QVERIFY2(!w.checked(c), c.name.data());
    for (Component c : {单选框_小写, 选择框_区分大小写}) QVERIFY2(w.checked(c), c.name.data());
    for (Component c : {单选框_大写, 单选框_首字母大写, 选择框_包括扩展名, 选择框_只改扩展名})
        QVERIFY2(!w.checked(c), c.name.data());
    QCOMPARE(w.content(编辑框_模板).toUtf8(), std::string("* ##"));
    QCOMPARE(w.content(编辑框_起始).toUtf8(), std::string("1"));
    QCOMPARE(w.content(编辑框_步长).toUtf8(), std::string("1"));
    QCOMPARE(w.selection(组合框3), -1);
    QCOMPARE(w.chosenText(组合框3), Text{});
    QCOMPARE(w.selection(组合框2), -1);
    QCOMPARE(w.chosenText(组合框1).toUtf8(), std::string("英文符号"));
    QCOMPARE(w.caption(按钮5).toUtf8(), std::string("繁转简"));
    QCOMPARE(w.caption(按钮10).toUtf8(), std::string("前面加"));
    auto* hint = app_->mainWindow().component<QLineEdit>("编辑框14");
    QCOMPARE(hint->text(), QStringLiteral("将在这里创建"));
    QVERIFY(hint->styleSheet().contains(QStringLiteral("128, 128, 128")));
    // 选择框5 starts checked, and the window is kept on top from the start as it says.
    QVERIFY(app_->mainWindow().windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(app_->dropTarget().attached());
    w.list().appendRows({"a.mp4"_t});
    QCOMPARE(w.list().selectedRow(), -1);
    QCOMPARE(app_->mainWindow().component<QTabWidget>("高级选择夹1")->tabBar()->font().pixelSize(), 12);
}

void TstMainWindow::topmostFollowsTheBoxFromStartUp() {
    MainWindow& main = app_->mainWindow();
    main.show();
    auto* box = main.component<QCheckBox>("选择框5");
    QVERIFY(box->isChecked());
    QVERIFY(main.windowFlags() & Qt::WindowStaysOnTopHint);
    box->click();
    QVERIFY(!box->isChecked());
    QVERIFY(!(main.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY2(main.isVisible(), "changing the flag hides a window; it must be shown again");
    box->click();
    QVERIFY(box->isChecked());
    QVERIFY(main.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(main.isVisible());
}

void TstMainWindow::clearingInputsLeavesEverythingElse() {
    MainWindow& main = app_->mainWindow();
    QtWindow& w = app_->window();
    using namespace component;
    const Component cleared[] = {编辑框1, 编辑框2,  编辑框3,  编辑框4,  编辑框5,  编辑框6,  编辑框7, 编辑框8,
                                 编辑框9, 编辑框10, 编辑框11, 编辑框12, 编辑框13, 编辑框14, 编辑框15};
    for (Component c : cleared) w.setContent(c, "x"_t);
    w.setContent(编辑框18, "x"_t);
    w.setCaption(标签2, "/v/"_t);
    w.list().appendRows({"row"_t});
    main.component<QPushButton>("按钮13")->click();
    for (Component c : cleared) QVERIFY2(w.content(c).empty(), c.name.data());
    QCOMPARE(w.content(编辑框18).toUtf8(), std::string("x"));
    QCOMPARE(w.currentFolder().toUtf8(), std::string("/v/"));  // the folder and its rows stay
    QCOMPARE(w.list().rowCount(), 1);
    QVERIFY(main.component<QLineEdit>("编辑框14")->styleSheet().contains(QStringLiteral("128")));
}

void TstMainWindow::thanksWindowOpensRaisesAndCloses() {
    MainWindow& main = app_->mainWindow();
    main.show();
    main.component<QPushButton>("图形按钮1")->click();
    QPointer<ThanksWindow> first = app_->thanksWindow();
    QVERIFY(first && first->isVisible());
    QCOMPARE(first->parentWidget(), static_cast<QWidget*>(&main));
    QVERIFY(!first->isModal());
    main.component<QPushButton>("图形按钮1")->click();
    QCOMPARE(app_->thanksWindow(), first.data());
    first->component<QPushButton>("按钮1")->click();
    QTRY_VERIFY(first.isNull());
}

void TstMainWindow::droppedPathsArriveInOrderAndWhole() {
    std::vector<std::string> received;
    MainWindow& main = app_->mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    app_->dropTarget().attach(&main, [&](const Text& p) { received.push_back(p.toUtf8()); });
    const std::string longPath = "/tmp/" + std::string(1200, 'x') + "/a.mp4";
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/第一/a.mp4")), QUrl(QStringLiteral("https://example.org/x")),
                  QUrl::fromLocalFile(QString::fromStdString(longPath))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    QCOMPARE(received.size(), std::size_t{2});
    QCOMPARE(received[0], std::string("/tmp/第一/a.mp4"));
    QCOMPARE(received[1], longPath);
    app_->dropTarget().detach();
    QVERIFY(!main.acceptDrops());
}

void TstMainWindow::messageBoxAnswersEscAsCancel() {
    QtWindow& w = app_->window();
    app_->mainWindow().show();
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QStringLiteral("信息："));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QCOMPARE(w.showMessage("确定更名吗？"_t, style::okCancel, std::nullopt), answerCancel);
    QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    QCOMPARE(w.showMessage("好"_t, style::information, "提示"_t), answerOk);
}

// Only the information style has an icon; OK is the default button, so Enter means OK
// also where Cancel is offered.
void TstMainWindow::messageBoxIconsButtonsAndEnterMeaningOk() {
    QtWindow& w = app_->window();
    app_->mainWindow().show();
    struct Case {
        MessageStyle style;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };
    const Case cases[] = {{style::information, QMessageBox::Information, QMessageBox::Ok},
                          {style::ok, QMessageBox::NoIcon, QMessageBox::Ok},
                          {style::okCancel, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel}};
    for (const Case& c : cases) {
        QMessageBox::Icon icon = QMessageBox::Warning;
        QMessageBox::StandardButtons buttons;
        bool okIsDefault = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            icon = box->icon();
            buttons = box->standardButtons();
            okIsDefault = box->defaultButton() == box->button(QMessageBox::Ok);
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(w.showMessage("好"_t, c.style, "提示"_t), answerOk);
        QCOMPARE(icon, c.icon);
        QCOMPARE(buttons, c.buttons);
        QVERIFY(okIsDefault);
    }
}

void TstMainWindow::progressBarShowsTheShareDoneAndHidesAtTheEnd() {
    QtWindow& w = app_->window();
    MainWindow& main = app_->mainWindow();
    main.show();
    QProgressBar& bar = main.progressBar();
    QVERIFY(!bar.isVisible());
    w.showProgress(3, 4);
    QVERIFY(bar.isVisible());
    QCOMPARE(bar.maximum(), 1000);
    QCOMPARE(bar.value(), 750);
    w.showProgress(0, 0);
    QCOMPARE(bar.maximum(), 0);
    QVERIFY(bar.isVisible());
    w.endProgress();
    QVERIFY(!bar.isVisible());
}

void TstMainWindow::aLargerWindowGivesTheRoomToTheListAndThePageAndNeverShrinksBelowItsTable() {
    MainWindow& main = app_->mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QSize table = main.size();
    QCOMPARE(table, QSize(mainWindowLayout().width, mainWindowLayout().height));
    // Smaller would cut controls off: the window keeps the size its table needs.
    QCOMPARE(main.minimumSize(), table);
    main.resize(table - QSize(200, 150));
    QCOMPARE(main.size(), table);
    struct Place {
        const char* name;
        QRect atTableSize;
        QRect grown;  ///< 100 wider and 50 higher
    };
    const Place places[] = {
        {"超级列表框1", QRect(352, 146, 400, 438), QRect(352, 146, 500, 488)},
        {"编辑框_筛选", QRect(396, 113, 356, 28), QRect(396, 113, 456, 28)},  // as wide as the list
        {"高级选择夹1", QRect(8, 72, 328, 512), QRect(8, 72, 328, 562)},
        {"标签2", QRect(211, 39, 373, 25), QRect(211, 39, 473, 25)},  // right of 包括子文件夹
        {"图形按钮1", QRect(632, 8, 112, 47), QRect(732, 8, 112, 47)},  // right of the folder caption
        {"编辑框14", QRect(352, 73, 232, 32), QRect(352, 73, 332, 32)},  // as wide as the list
        {"透明标签1", QRect(585, 74, 25, 25), QRect(685, 74, 25, 25)},
        {"编辑框15", QRect(609, 73, 72, 32), QRect(709, 73, 72, 32)},
        {"按钮14", QRect(688, 73, 64, 32), QRect(788, 73, 64, 32)},
        {"按钮_撤销", QRect(436, 6, 120, 27), QRect(436, 6, 120, 27)},
        {"按钮13", QRect(8, 590, 328, 28), QRect(8, 640, 328, 28)},
        {"按钮9", QRect(360, 590, 176, 28), QRect(460, 640, 176, 28)},
        {"按钮16", QRect(568, 590, 184, 28), QRect(668, 640, 184, 28)},
        {"按钮2", QRect(), QRect()},  // inside a tab page: never moves
    };
    const QRect pageButton = main.component("按钮2")->geometry();
    for (const bool grown : {true, false}) {
        main.resize(table + (grown ? QSize(100, 50) : QSize(0, 0)));
        QTRY_COMPARE(main.size(), table + (grown ? QSize(100, 50) : QSize(0, 0)));
        for (const Place& p : places) {
            const QRect expected = p.atTableSize.isNull() ? pageButton : grown ? p.grown : p.atTableSize;
            QCOMPARE(main.component(p.name)->geometry(), expected);
        }
        QCOMPARE(main.statusLine().geometry(), QRect(10, main.height() - 34, main.width() - 20, 24));
        QCOMPARE(main.progressBar().geometry(), QRect(0, main.height() - 4, main.width(), 4));
    }
    QVERIFY(!main.progressBar().isTextVisible());
    QCOMPARE(main.statusLine().font().pixelSize(), 12);
    // A hint of several lines wraps and reads from the top; a one-line caption does not.
    auto* hint = main.component<QLabel>("标签19");
    QVERIFY(hint->wordWrap());
    QCOMPARE(hint->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(!main.component<QLabel>("标签10")->wordWrap());
}

void TstMainWindow::themeClampsAndDetaches() {
    const SkinArguments args = clampSkinArguments(500, -300);
    QCOMPARE(args.hue, 180);
    QCOMPARE(args.level, -100);
    QCOMPARE(clampSkinArguments(-20, 30).hue, -20);
    Theme& theme = app_->theme();
    QVERIFY(theme.loaded());
    const QString plain = theme.styleSheet();
    // Start-up applies the palette unshifted.
    QVERIFY(plain.contains(QStringLiteral("#3d7ed8")));
    QVERIFY(plain.contains(QStringLiteral("#242b36")));
    theme.adjustHSV(0, 50);
    QVERIFY2(theme.styleSheet().contains(QStringLiteral("#ffffff")), "white stays white when lightened");
    QVERIFY(!theme.styleSheet().contains(QStringLiteral("#3d7ed8")));
    theme.adjustHSV(0, -100);
    QVERIFY(theme.styleSheet().contains(QStringLiteral("#000000")));
    QVERIFY2(!theme.styleSheet().contains(QStringLiteral("#ffffff")), "all the way down everything is black");
    theme.adjustHSV(120, 0);
    QVERIFY(theme.styleSheet() != plain);
    QVERIFY(!theme.styleSheet().contains(QLatin1Char('@')));
    theme.detach();
    QVERIFY(qApp->styleSheet().isEmpty());
    QVERIFY(theme.styleSheet().isEmpty());
    Theme broken(*qApp);
    skinAttach(broken, QByteArray(), 0, 0);
    QVERIFY(!broken.loaded());
}

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
