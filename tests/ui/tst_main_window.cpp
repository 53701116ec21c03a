// The main window as built from its table, its start-up states and the window behaviours.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTemporaryDir>
#include <QUrl>

#include "app/application.h"

using namespace velmora;

class TstMainWindow : public QObject {
    Q_OBJECT
private slots:
    // The rename history of these windows lives in a folder of their own.
    void initTestCase() { qputenv("VELMORA_STATE_DIR", state_.path().toUtf8()); }
    void init() { app_ = std::make_unique<Application>(*qApp); }
    void cleanup() { app_.reset(); }

    void everyComponentExistsWithItsKindPlaceAndText();
    void startUpStates();
    void topmostTakesTwoClicksAfterStartUp();
    void clearingInputsLeavesEverythingElse();
    void thanksWindowOpensRaisesAndCloses();
    void droppedPathsArriveInOrderAndWhole();
    void messageBoxAnswersEscAsCancel();
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
        QWidget* reference = c.container.empty() ? &window
                             : c.container.rfind("page", 0) == 0
                                 ? static_cast<QWidget*>(tabs)
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
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        QCOMPARE(text, qs(c.text));
    }
}

}  // namespace

void TstMainWindow::everyComponentExistsWithItsKindPlaceAndText() {
    checkWindow(app_->mainWindow(), mainWindowLayout());
    QCOMPARE(mainWindowLayout().components.size(), std::size_t{104});
    auto* tabs = app_->mainWindow().component<QTabWidget>("高级选择夹1");
    QCOMPARE(tabs->tabText(0), QStringLiteral(" 删 除 "));
    QCOMPARE(tabs->tabText(2), QStringLiteral(" 添 加 "));
    auto* combo = app_->mainWindow().component<QComboBox>("组合框3");
    QCOMPARE(combo->count(), 11);
    QCOMPARE(combo->itemText(4), QStringLiteral(".7z"));
    auto* view = app_->mainWindow().component<QTreeView>("超级列表框1");
    QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("原来的文件名"));
    QCOMPARE(view->columnWidth(0), 380);
    app_->openThanksWindow();
    checkWindow(*app_->thanksWindow(), thanksWindowLayout());
}

void TstMainWindow::startUpStates() {
    QtWindow& w = app_->window();
    using namespace component;
    for (Component c : {选择框5, 选择框6, 选择框1, 单选框2, 单选框7, 单选框9, 单选框5, 单选框3, 单选框11, 单选框13, 单选框15,
                        选择框_1头, 选择框_2头})
        QVERIFY2(w.checked(c), c.name.data());
    for (Component c : {选择框2, 选择框3, 选择框4, 单选框1, 单选框16, 单选框4, 选择框_1尾}) QVERIFY2(!w.checked(c), c.name.data());
    QCOMPARE(w.selection(组合框2), -1);
    QCOMPARE(w.chosenText(组合框1).toUtf8(), std::string("英文符号"));
    QCOMPARE(w.caption(按钮5).toUtf8(), std::string("繁转简"));
    QCOMPARE(w.caption(按钮10).toUtf8(), std::string("前面加"));
    auto* hint = app_->mainWindow().component<QLineEdit>("编辑框14");
    QCOMPARE(hint->text(), QStringLiteral("将在这里创建"));
    QVERIFY(hint->styleSheet().contains(QStringLiteral("128, 128, 128")));
    QVERIFY(!(app_->mainWindow().windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(app_->dropTarget().attached());
}

void TstMainWindow::topmostTakesTwoClicksAfterStartUp() {
    MainWindow& main = app_->mainWindow();
    main.show();
    auto* box = main.component<QCheckBox>("选择框5");
    box->click();
    QVERIFY(!box->isChecked());
    QVERIFY(!(main.windowFlags() & Qt::WindowStaysOnTopHint));
    box->click();
    QVERIFY(box->isChecked());
    QVERIFY(main.windowFlags() & Qt::WindowStaysOnTopHint);
}

void TstMainWindow::clearingInputsLeavesEverythingElse() {
    MainWindow& main = app_->mainWindow();
    QtWindow& w = app_->window();
    using namespace component;
    for (Component c : {编辑框1, 编辑框9, 编辑框13, 编辑框18}) w.setContent(c, "x"_t);
    w.setCaption(标签2, "/v/"_t);
    w.list().appendRows({"row"_t});
    main.component<QPushButton>("按钮13")->click();
    QCOMPARE(w.content(编辑框1), Text{});
    QCOMPARE(w.content(编辑框13), Text{});
    QCOMPARE(w.content(编辑框14), Text{});
    QCOMPARE(w.content(编辑框18).toUtf8(), std::string("x"));
    QCOMPARE(w.currentFolder(), Text{});
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

void TstMainWindow::themeClampsAndDetaches() {
    const SkinArguments args = clampSkinArguments(500, -300);
    QCOMPARE(args.hue, 180);
    QCOMPARE(args.level, -100);
    QCOMPARE(clampSkinArguments(-20, 30).hue, -20);
    Theme& theme = app_->theme();
    QVERIFY(theme.loaded());
    const QString plain = theme.styleSheet();
    theme.adjustHSV(120, 0);
    QVERIFY(theme.styleSheet() != plain);
    QVERIFY(!theme.styleSheet().contains(QLatin1Char('@')));
    theme.detach();
    QVERIFY(qApp->styleSheet().isEmpty());
    Theme broken(*qApp);
    skinAttach(broken, QByteArray(), 0, 0);
    QVERIFY(!broken.loaded());
}

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"
