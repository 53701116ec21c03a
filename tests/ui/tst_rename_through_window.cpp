// A user's run through the real window: load a folder, type, click, answer, see the disk change.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>

#include <thread>

#include "app/application.h"
#include "interaction/history_prompts.h"
#include "tests/support/temp_folder.h"

using namespace velmora;

class TstRenameThroughWindow : public QObject {
    Q_OBJECT
private slots:
    // Each test starts with an empty rename history of its own.
    void init() {
        state_ = std::make_unique<QTemporaryDir>();
        qputenv("VELMORA_STATE_DIR", state_->path().toUtf8());
    }
    void deleteTextFromLoadedFolder();
    void numeralsAndConversionThroughButtons();
    void hintBoxesClearOnFocus();
    void clickedRowGoesToClipboard();
    void confirmationShowsThePlanAndUndoTakesTheRunBack();
    void numberStripAndLowerCaseOnPageMore();
    void aTypedExtension();
    void historySurvivesARestartAndRedoFollowsTheKeys();
    void undoButtonFollowsTheHistoryWhoeverChangesIt();

private:
    std::unique_ptr<QTemporaryDir> state_;
};

namespace {

// Accepts every message box that opens while it lives, recording its text.
class Answerer {
public:
    Answerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                seen << box->text();
                for (QAbstractButton* b : box->buttons()) {  // open the details, as a user would
                    if (box->buttonRole(b) != QMessageBox::ActionRole) continue;
                    toggles << b->text();
                    b->click();
                    toggles << b->text();
                }
                // Select all of the plan and copy it, then drag the box larger.
                auto* view = box->findChild<QListView*>();
                if (view) {
                    // The plan's view stands in for the box's own text, which stays hidden.
                    if (auto* own = box->findChild<QTextEdit*>()) ownTextHidden << !own->isVisible();
                    QApplication::clipboard()->clear();
                    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
                    const QSize before = view->size();
                    box->resize(box->size() + QSize(200, 150));
                    QApplication::processEvents();
                    grew << (view->width() > before.width() && view->height() > before.height());
                    QShowEvent restored;  // as when the box is minimised and brought back
                    QApplication::sendEvent(box, &restored);
                    const QSize shown = view->size();  // and it still lets itself be enlarged
                    box->resize(box->size() + QSize(120, 90));
                    QApplication::processEvents();
                    grew << (view->width() > shown.width() && view->height() > shown.height());
                    for (QAbstractButton* b : box->buttons())
                        if (box->buttonRole(b) == QMessageBox::ActionRole) toggles << b->text();
                }
                details << (view ? QApplication::clipboard()->text() : QString());
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer_.start(0);
    }
    QStringList seen;
    QStringList details;
    QStringList toggles;  ///< the details button's caption before and after opening
    QList<bool> grew;  ///< the plan grew with the enlarged box
    QList<bool> ownTextHidden;  ///< the box's own details text stayed hidden beside the plan

private:
    QTimer timer_;
};

}  // namespace

void TstRenameThroughWindow::deleteTextFromLoadedFolder() {
    testing::TempFolder f;
    f.file("a-1.mp4");
    f.file("b-2.mp4");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    app.window().setFolderPicker([&] { return Text::fromUtf8(f.path()); });
    main.component<QPushButton>("按钮1")->click();
    QCOMPARE(app.window().list().rowCount(), 2);
    main.component<QLineEdit>("编辑框1")->setText(QStringLiteral("-"));
    Answerer answerer;
    main.component<QPushButton>("按钮2")->click();
    QCOMPARE(answerer.seen, (QStringList{QStringLiteral("一共有2个文件将被更名"), QStringLiteral("删掉了2个")}));
    QCOMPARE(f.entries(), (std::set<std::string>{"a1.mp4", "b2.mp4"}));
    QCOMPARE(app.window().list().rowText(0).toUtf8(), std::string("a-1.mp4"));
}

void TstRenameThroughWindow::numeralsAndConversionThroughButtons() {
    testing::TempFolder f;
    f.file("第一课.mp4");
    f.file("頭髮.txt");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    std::vector<std::string> seen;
    app.window().setResponder([&](const Text& text, MessageStyle, const Text&) {
        seen.push_back(text.toUtf8());
        return answerOk;
    });
    main.component<QPushButton>("按钮15")->click();
    main.component<QPushButton>("按钮5")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"第1课.mp4", "头发.txt"}));
    QCOMPARE(seen.back(), std::string("一共有1个文件被改名"));
    main.component<QRadioButton>("单选框16")->click();
    QCOMPARE(main.component<QPushButton>("按钮5")->text(), QStringLiteral("简转繁"));
}

void TstRenameThroughWindow::hintBoxesClearOnFocus() {
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto* target = main.component<QLineEdit>("编辑框14");
    target->setFocus();
    QTRY_COMPARE(target->text(), QString());
    QVERIFY(target->styleSheet().isEmpty());
    target->setText(QStringLiteral("/tmp/out"));
    main.component<QLineEdit>("编辑框15")->setFocus();
    QTRY_COMPARE(main.component<QLineEdit>("编辑框15")->text(), QString());
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    QCOMPARE(target->text(), QStringLiteral("/tmp/out"));
}

void TstRenameThroughWindow::clickedRowGoesToClipboard() {
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    app.window().list().appendRows({Text::fromUtf8("第1集.mkv"), Text::fromUtf8("b.mp4")});
    auto* view = main.component<QTreeView>("超级列表框1");
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect rect = view->visualRect(view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("第1集.mkv"));
}

void TstRenameThroughWindow::confirmationShowsThePlanAndUndoTakesTheRunBack() {
    testing::TempFolder f;
    f.file("a.mp4", "A");
    f.file("b.mp4", "B");
    f.folder("pa.mp4");  // a folder holds the name a.mp4 would take
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("p"));
    auto* undo = main.component<QPushButton>("按钮_撤销");
    QVERIFY(!undo->isEnabled());
    {
        Answerer answerer;
        main.component<QPushButton>("按钮_加前缀")->click();
        // The rule reports nothing of its own; the failed rename is told all the same.
        QCOMPARE(answerer.seen, (QStringList{QStringLiteral("确定更名吗？"), QStringLiteral("1个无法更名：已有同名")}));
        const QString details = answerer.details.first();
        QVERIFY2(details.contains(QStringLiteral("a.mp4 → pa.mp4  ✗ 已有同名\n")), qPrintable(details));
        QVERIFY2(details.contains(QStringLiteral("b.mp4 → pb.mp4\n")), qPrintable(details));
        QCOMPARE(details.count(QLatin1Char('\n')), 2);
        QCOMPARE(answerer.toggles, (QStringList{QStringLiteral("显示详细信息…"), QStringLiteral("隐藏详细信息…"),
                                                QStringLiteral("隐藏详细信息…")}));
        QCOMPARE(answerer.grew, (QList<bool>{true, true}));
        QCOMPARE(answerer.ownTextHidden, QList<bool>{true});
    }
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "pa.mp4/", "pb.mp4"}));
    QVERIFY(undo->isEnabled());
    {
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        Answerer answerer;
        const QString label = toQString(runLabel(*app.session().journal.newestDone()));
        QVERIFY2(label.startsWith(QStringLiteral("最前面加，")), qPrintable(label));
        QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
        const QString folder = QString::fromStdString(f.path()).chopped(1);
        QCOMPARE(answerer.seen, (QStringList{QStringLiteral("撤销上次更名？\n“%1”中的1个更名（%2）").arg(folder, label),
                                             QStringLiteral("撤销了1个")}));
        QCOMPARE(answerer.details.first(), QStringLiteral("pb.mp4 → b.mp4\n"));
    }
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "b.mp4", "pa.mp4/"}));
    QCOMPARE(f.read("b.mp4"), std::string("B"));
    QVERIFY(!undo->isEnabled());
}

// What a user does on page " 更 多 ": lessons numbered 第01集…第12集, [1080p] taken out with a
// regular expression, every .JPG lower-cased; each time the plan is seen before the run.
void TstRenameThroughWindow::numberStripAndLowerCaseOnPageMore() {
    testing::TempFolder f;
    for (int i = 12; i >= 1; --i) f.file("第" + std::to_string(i) + "课.mp4", std::to_string(i));
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(3);
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));

    main.component<QLineEdit>("编辑框_模板")->setText(QStringLiteral("第##集"));
    {
        Answerer answerer;
        main.component<QPushButton>("按钮_加序号")->click();
        QCOMPARE(answerer.seen, (QStringList{QStringLiteral("确定更名吗？"), QStringLiteral("成功改名12个")}));
        QVERIFY2(
            answerer.details.first().startsWith(QStringLiteral("第1课.mp4 → 第01集.mp4\n第2课.mp4 → 第02集.mp4\n")),
            qPrintable(answerer.details.first()));
    }
    std::set<std::string> numbered;
    for (int i = 1; i <= 12; ++i) {
        const std::string name = (i < 10 ? "第0" : "第") + std::to_string(i) + "集.mp4";
        numbered.insert(name);
        QCOMPARE(f.read(name), std::to_string(i));
    }
    QCOMPARE(f.entries(), numbered);

    testing::TempFolder films;
    films.file("电影 [1080p].mkv");
    films.file("IMG_1.JPG");
    films.file("IMG_2.JPG");
    app.window().setCaption(component::标签2, Text::fromUtf8(films.path()));
    main.component<QLineEdit>("编辑框_查找")->setText(QStringLiteral("\\s*\\[1080p\\]"));
    {
        Answerer answerer;
        main.component<QPushButton>("按钮_正则替换")->click();
        QCOMPARE(answerer.seen, (QStringList{QStringLiteral("确定更名吗？"), QStringLiteral("成功改名1个")}));
        QCOMPARE(answerer.details.first(), QStringLiteral("电影 [1080p].mkv → 电影.mkv\n"));
    }
    main.component<QCheckBox>("选择框_只改扩展名")->click();
    {
        Answerer answerer;
        main.component<QPushButton>("按钮_改大小写")->click();
        QCOMPARE(answerer.seen, (QStringList{QStringLiteral("确定更名吗？"), QStringLiteral("成功改名2个")}));
        QCOMPARE(answerer.details.first(), QStringLiteral("IMG_1.JPG → IMG_1.jpg\nIMG_2.JPG → IMG_2.jpg\n"));
    }
    QCOMPARE(films.entries(), (std::set<std::string>{"IMG_1.jpg", "IMG_2.jpg", "电影.mkv"}));
}

void TstRenameThroughWindow::aTypedExtension() {
    testing::TempFolder f;
    f.file("a.avi");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    auto* combo = main.component<QComboBox>("组合框3");
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->count(), 11);
    combo->setFocus();
    QTest::keyClicks(combo, QStringLiteral("srt"));
    QTest::keyClick(combo, Qt::Key_Return);
    QCOMPARE(combo->count(), 11);  // a typed extension is no new item
    {
        Answerer answerer;
        main.component<QPushButton>("按钮6")->click();
        QCOMPARE(answerer.seen, (QStringList{QStringLiteral("确定更名吗？"), QStringLiteral("一共有1扩展名被修改")}));
    }
    QCOMPARE(f.entries(), std::set<std::string>{"a.srt"});
    combo->setCurrentIndex(1);  // a chosen item works as before
    {
        Answerer answerer;
        main.component<QPushButton>("按钮6")->click();
    }
    QCOMPARE(f.entries(), std::set<std::string>{"a.mp4"});
}

// Close the window, start again: yesterday's run can still be taken back, and Ctrl+Shift+Z and
// Ctrl+Y put it back.
void TstRenameThroughWindow::historySurvivesARestartAndRedoFollowsTheKeys() {
    testing::TempFolder f;
    f.file("a.mp4", "A");
    {
        Application app(*qApp);
        app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
        app.mainWindow().component<QLineEdit>("编辑框6")->setText(QStringLiteral("p"));
        app.window().setResponder([](const Text&, MessageStyle, const Text&) { return answerOk; });
        app.mainWindow().component<QPushButton>("按钮_加前缀")->click();
    }
    QCOMPARE(f.entries(), std::set<std::string>{"pa.mp4"});
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    auto* undo = main.component<QPushButton>("按钮_撤销");
    QVERIFY2(undo->isEnabled(), "the history of the last session can be taken back at once");
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    std::vector<std::string> seen;
    app.window().setResponder([&](const Text& text, MessageStyle, const Text&) {
        seen.push_back(text.toUtf8());
        return answerOk;
    });
    undo->click();
    QCOMPARE(f.entries(), std::set<std::string>{"a.mp4"});
    QVERIFY(!undo->isEnabled());
    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.entries(), std::set<std::string>{"pa.mp4"});
    QVERIFY(undo->isEnabled());
    QTest::keyClick(&main, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&main, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.entries(), std::set<std::string>{"pa.mp4"});
    QCOMPARE(f.read("pa.mp4"), std::string("A"));
    QCOMPARE(seen.back(), std::string("重做了1个"));
    QCOMPARE(seen.size(), std::size_t(6));
}

// The button follows the history itself: after the window's own run and undo, and after changes
// made past its handlers, on its thread at once and from a worker thread through its event loop.
void TstRenameThroughWindow::undoButtonFollowsTheHistoryWhoeverChangesIt() {
    testing::TempFolder f;
    f.file("a.mp4", "A");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    Journal& journal = app.session().journal;
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("p"));
    app.window().setResponder([](const Text&, MessageStyle, const Text&) { return answerOk; });
    auto* undo = main.component<QPushButton>("按钮_撤销");
    QVERIFY(!undo->isEnabled());
    main.component<QPushButton>("按钮_加前缀")->click();
    QCOMPARE(f.entries(), std::set<std::string>{"pa.mp4"});
    QVERIFY(undo->isEnabled());
    undo->click();
    QCOMPARE(f.entries(), std::set<std::string>{"a.mp4"});
    QVERIFY(!undo->isEnabled());

    const std::int64_t id = journal.lastUndone()->id;
    journal.claim(id, RunState::Undone, RunState::Redoing);
    journal.settle(id, RunState::Done, {StepState::Made});
    QVERIFY(undo->isEnabled());
    std::thread([&] { journal.claim(id, RunState::Done, RunState::Undoing); }).join();
    QVERIFY2(undo->isEnabled(), "not touched from the worker thread");
    QTRY_VERIFY(!undo->isEnabled());
}

QTEST_MAIN(TstRenameThroughWindow)
#include "tst_rename_through_window.moc"
