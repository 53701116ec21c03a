// The live preview through the real window: the second column and the status line follow the rule
// the user touches, a click applies what was shown, and rows follow their entries.
#include <QCheckBox>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include "app/application.h"
#include "filelist/loading.h"
#include "tests/support/temp_folder.h"
#include "ui/folder_watch.h"
#include "ui/list_model.h"
#include "ui/preview_controller.h"

using namespace velmora;

class TstLivePreview : public QObject {
    Q_OBJECT
private slots:
    // Runs go into a history of the test's own.
    void initTestCase() { qputenv("VELMORA_STATE_DIR", state_.path().toUtf8()); }
    void typingShowsTheNewNamesAndTheClickAppliesThem();
    void rowsFollowTheirEntriesAcrossRunsAndUndo();
    void refusalsAreStatedWithoutABox();
    void hoverAndFocusChooseTheRuleInView();
    void changesOnDiskAreReflected();
    void aNewerKeystrokeOvertakesASlowPreview();
    void theWatchHearsOnlyItsFolderAndRestsWhilePaused();

private:
    QTemporaryDir state_;
};

namespace {

struct Fixture {
    explicit Fixture(const testing::TempFolder& f) {
        app.window().setResponder([this](const Text& text, int, const Text&) {
            boxes.push_back(text.toUtf8());
            return answerOk;
        });
        main.show();
        loadDroppedPath(app.window(), app.session(), Text::fromUtf8(f.path() + "x"));
    }
    QString second(int row) const { return cell(row, Qt::DisplayRole).toString(); }
    QVariant cell(int row, int role) const { return main.rows().data(main.rows().index(row, 1), role); }
    QString status() const { return main.statusLine().text(); }
    bool settle() {
        return QTest::qWaitFor([this] { return !app.preview().pending() && app.preview().watching(); }, 20000);
    }
    void type(const char* box, const QString& text) {
        auto* edit = main.component<QLineEdit>(box);
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    Application app{*qApp};
    MainWindow& main = app.mainWindow();
    std::vector<std::string> boxes;
};

bool isGrey(const QVariant& brush) { return brush.value<QBrush>().color() == QColor(128, 128, 128); }

}  // namespace

void TstLivePreview::typingShowsTheNewNamesAndTheClickAppliesThem() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.mp4");
    f.file("xb.mp4");
    Fixture w(f);
    QCOMPARE(w.main.rows().rowCount(), 3);
    const int a = w.app.window().list().rowText(0).toUtf8() == "a.mp4" ? 0 : 1;
    QCOMPARE(w.app.window().list().rowText(a).toUtf8(), std::string("a.mp4"));
    const int b = 1 - a;
    QCOMPARE(w.second(a), QStringLiteral("a.mp4"));  // no rule in view: the current name, grey
    QVERIFY(isGrey(w.cell(a, Qt::ForegroundRole)));

    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.second(a), QStringLiteral("xa.mp4"));
    QVERIFY(!isGrey(w.cell(a, Qt::ForegroundRole)));
    QCOMPARE(w.second(b), QStringLiteral("b.mp4  ✗ 已有同名"));
    QCOMPARE(w.cell(b, Qt::ForegroundRole).value<QBrush>().color(), QColor(200, 30, 30));
    QCOMPARE(w.second(2), QStringLiteral("xxb.mp4"));
    // Text and colour only: no check box, icon or font of its own in the column.
    for (const int role : {int(Qt::CheckStateRole), int(Qt::DecorationRole), int(Qt::FontRole)})
        for (const int row : {a, b}) QVERIFY2(!w.cell(row, role).isValid(), qPrintable(QString::number(role)));
    QCOMPARE(w.status(), QStringLiteral("最前面加：将更名2个，1个无法更名"));
    QVERIFY(w.boxes.empty());
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "b.mp4", "xb.mp4"}));

    w.main.component<QPushButton>("按钮_加前缀")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"xa.mp4", "b.mp4", "xxb.mp4"}));
    // The click took the rule out of view: current names, the renamed ones not grey.
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QString());
    QCOMPARE(w.second(a), QStringLiteral("xa.mp4"));
    QVERIFY(!isGrey(w.cell(a, Qt::ForegroundRole)));
    QCOMPARE(w.second(b), QStringLiteral("b.mp4"));
    QCOMPARE(w.main.rows().data(w.main.rows().index(a, 0), Qt::DisplayRole).toString(), QStringLiteral("a.mp4"));
}

void TstLivePreview::rowsFollowTheirEntriesAcrossRunsAndUndo() {
    testing::TempFolder f;
    f.file("1.mp4");
    f.file("2.mp4");
    Fixture w(f);
    w.type("编辑框6", QStringLiteral("p"));
    QVERIFY(w.settle());
    w.main.component<QPushButton>("按钮_加前缀")->click();
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("p1.mp4"));
    // A second run starts from the names the entries have now.
    w.type("编辑框7", QStringLiteral("-s"));
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("p1-s.mp4"));
    w.main.component<QPushButton>("按钮_加后缀")->click();
    QVERIFY(w.settle());
    QCOMPARE(f.entries(), (std::set<std::string>{"p1-s.mp4", "p2-s.mp4"}));
    QCOMPARE(w.second(1), QStringLiteral("p2-s.mp4"));
    w.main.component<QPushButton>("按钮_撤销")->click();
    QVERIFY(w.settle());
    QCOMPARE(f.entries(), (std::set<std::string>{"p1.mp4", "p2.mp4"}));
    QCOMPARE(w.second(0), QStringLiteral("p1.mp4"));
    QCOMPARE(w.second(1), QStringLiteral("p2.mp4"));
    QCOMPARE(w.app.window().list().rowText(1).toUtf8(), std::string("2.mp4"));
    // Redone from the keyboard, the rows follow again.
    QTest::keyClick(&w.main, Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(w.settle());
    QCOMPARE(f.entries(), (std::set<std::string>{"p1-s.mp4", "p2-s.mp4"}));
    QCOMPARE(w.second(1), QStringLiteral("p2-s.mp4"));
}

void TstLivePreview::refusalsAreStatedWithoutABox() {
    testing::TempFolder f;
    f.file("a-1.mp4");
    Fixture w(f);
    w.type("编辑框1", QStringLiteral("-"));
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("删掉：将更名1个"));
    w.type("编辑框10", QStringLiteral("z"));
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("删掉：输入的不是纯数字"));
    QCOMPARE(w.second(0), QStringLiteral("a-1.mp4"));
    w.main.component<QLineEdit>("编辑框10")->clear();
    w.type("编辑框1", QStringLiteral("#"));  // "-#" is in no name
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("删掉：找不到需要改的文件名"));
    w.main.component<QLineEdit>("编辑框6")->clear();
    w.type("编辑框6", QString());  // focus alone brings the prefix rule into view
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("最前面加：加点啥？不能为空"));
    w.app.window().setCaption(component::标签2, {});
    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("最前面加：路径呢？"));
    w.main.component<QCheckBox>("选择框1")->setChecked(false);
    w.app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("最前面加：“文件”和“文件夹”都没有勾选"));
    QVERIFY(w.boxes.empty());
    QCOMPARE(f.entries(), std::set<std::string>{"a-1.mp4"});
}

void TstLivePreview::hoverAndFocusChooseTheRuleInView() {
    testing::TempFolder f;
    f.file("第一课.mp4");
    Fixture w(f);
    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("x第一课.mp4"));
    auto* numerals = w.main.component<QPushButton>("按钮15");
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(numerals, &enter);
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("第1课.mp4"));
    QCOMPARE(w.status(), QStringLiteral("第一课改第1课：将更名1个"));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(numerals, &leave);
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("x第一课.mp4"));
    // A rule without inputs comes into view when its button takes the focus.
    numerals->setFocus();
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("第1课.mp4"));
    // Focus on another rule's input brings that rule into view: a focused button is not a hover.
    w.main.component<QLineEdit>("编辑框6")->setFocus();
    QVERIFY(w.settle());
    QCOMPARE(w.second(0), QStringLiteral("x第一课.mp4"));
    // 按钮13 takes the rule out of view.
    w.main.component<QPushButton>("按钮13")->click();
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QString());
}

void TstLivePreview::changesOnDiskAreReflected() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.mp4");
    Fixture w(f);
    const int a = w.app.window().list().rowText(0).toUtf8() == "a.mp4" ? 0 : 1;
    w.type("编辑框7", QStringLiteral("_1"));
    QVERIFY(w.settle());
    QCOMPARE(w.second(a), QStringLiteral("a_1.mp4"));
    f.folder("a_1.mp4");  // the name is taken meanwhile, by an entry the rule does not rename
    QTRY_COMPARE_WITH_TIMEOUT(w.second(a), QStringLiteral("a.mp4  ✗ 已有同名"), 5000);
    QVERIFY(std::rename((f.path() + "b.mp4").c_str(), (f.path() + "c.mp4").c_str()) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.second(1 - a), QStringLiteral("b.mp4"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(w.status(), QStringLiteral("最尾部加：将更名1个，1个无法更名"), 5000);
    // The watch rests while a run renames, and watches the folder again after it.
    w.main.component<QPushButton>("按钮_加后缀")->click();
    QVERIFY(w.settle());
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "a_1.mp4/", "c_1.mp4"}));
    w.type("编辑框7", QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.second(a), QStringLiteral("a_1x.mp4"));
    f.folder("a_1x.mp4");
    QTRY_COMPARE_WITH_TIMEOUT(w.second(a), QStringLiteral("a.mp4  ✗ 已有同名"), 5000);
    // Once the folder is quiet, it is read no more.
    QTest::qWait(300);
    QVERIFY(w.settle());
    QSignalSpy settled(&w.app.preview(), &PreviewController::settled);
    QTest::qWait(400);
    QCOMPARE(settled.count(), 0);
}

void TstLivePreview::aNewerKeystrokeOvertakesASlowPreview() {
    testing::TempFolder f;
    for (int i = 0; i < 20000; ++i) f.file("第" + std::to_string(i) + "集 some longer name.mp4");
    Fixture w(f);
    QCOMPARE(w.main.rows().rowCount(), 20000);
    QSignalSpy shown(&w.app.preview(), &PreviewController::settled);
    w.type("编辑框6", QStringLiteral("a"));
    w.type("编辑框6", QStringLiteral("b"));
    QVERIFY(w.settle());
    QCOMPARE(shown.count(), 1);  // the older preview was never shown
    QVERIFY(w.second(0).startsWith(QStringLiteral("ab第")));
    QCOMPARE(w.status(), QStringLiteral("最前面加：将更名20000个"));
}

void TstLivePreview::theWatchHearsOnlyItsFolderAndRestsWhilePaused() {
    testing::TempFolder a;
    testing::TempFolder b;
    FolderWatch watch;
    QSignalSpy changed(&watch, &FolderWatch::changed);
    const auto ready = [&watch] { return QTest::qWaitFor([&watch] { return watch.ready(); }, 5000); };
    // A new entry in f goes unheard (what earlier changes sent has arrived first).
    const auto unheard = [&changed](testing::TempFolder& f, const char* name) {
        QTest::qWait(50);
        changed.clear();
        f.file(name);
        QTest::qWait(300);
        return changed.isEmpty();
    };
    watch.watch(QString::fromStdString(a.path()));
    QVERIFY(ready());
    a.file("1");
    QTRY_VERIFY(!changed.isEmpty());
    // Another folder in its place: the first is heard no more.
    watch.watch(QString::fromStdString(b.path()));
    QVERIFY(ready());
    QVERIFY(unheard(a, "2"));
    // Paused: nothing is heard; resumed: told once, then heard again.
    watch.pause();
    QVERIFY(ready());
    QVERIFY(unheard(b, "3"));
    watch.resume();
    QVERIFY(ready());
    QTRY_COMPARE(changed.count(), 1);
    QTest::qWait(100);
    QCOMPARE(changed.count(), 1);
    b.file("4");
    QTRY_VERIFY(changed.count() > 1);
    // A folder asked for and paused before the watch took it up: the pause stands.
    watch.watch(QString::fromStdString(a.path()));
    watch.pause();
    QVERIFY(ready());
    QVERIFY(unheard(a, "5"));
    watch.resume();
    QVERIFY(ready());
    QTRY_COMPARE(changed.count(), 1);
    a.file("6");
    QTRY_VERIFY(changed.count() > 1);
}

QTEST_MAIN(TstLivePreview)
#include "tst_live_preview.moc"
