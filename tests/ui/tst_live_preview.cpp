// The live preview through the real window: the second column and the status line follow the rule
// the user touches, a click applies what was shown, and rows follow their entries.
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <random>

#include "app/application.h"
#include "interaction/folder_loading.h"
#include "tests/support/temp_folder.h"
#include "ui/folder_watch.h"
#include "ui/list_model.h"
#include "ui/plan_view.h"
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
    void onlyChangesThatMatterStartAPreview();
    void theClickAppliesTheShownNumbersWhateverElseIsTyped();
    void aHoveredPreviewIsAskedAboutAndApplied();
    void aClickWithoutACurrentPreviewShowsItsPlanFirst();
    void aChangeOnDiskIsReadAndShownForTheClick();
    void theColumnHoldsThePlanWhileTheQuestionIsOpen();
    void anySequenceOfChangesRenamesAsTheColumnShows();

private:
    QTemporaryDir state_;
};

namespace {

struct Fixture {
    explicit Fixture(const testing::TempFolder& f) {
        app.window().setResponder([this](const Text& text, MessageStyle, const Text&) {
            boxes.push_back(text.toUtf8());
            asked.push_back(askedIn ? folderAfter(*askedIn) : column());
            return answerOk;
        });
        main.show();
        loadDroppedPath(app.window(), app.session(), Text::fromUtf8(f.path() + "x"));
    }
    // Focus moves (and focus-in arrives) only in the active window.
    bool activate() {
        main.activateWindow();
        return QTest::qWaitForWindowActive(&main);
    }
    // The names the second column gives the rows; a row whose rename would fail keeps its name.
    std::set<std::string> column() const {
        std::set<std::string> names;
        for (int r = 0; r < main.rows().rowCount(); ++r) {
            QString name = second(r);
            const int mark = name.indexOf(QStringLiteral("  ✗ "));
            if (mark >= 0) name.truncate(mark);
            names.insert(name.toStdString());
        }
        return names;
    }
    /// The column, and the entries of f that no row shows (another kind, the skipped extension):
    /// what the folder would hold after the rule shown is applied.
    std::set<std::string> folderAfter(const testing::TempFolder& f) const {
        std::set<std::string> names = column();
        std::set<std::string> rowed;
        const auto current = main.rows().currentNames();
        for (std::size_t r = 0; r < current->size(); ++r) rowed.insert(current->text(r).toUtf8());
        for (const std::string& entry : f.entries())
            if (!rowed.count(entry)) names.insert(entry);
        return names;
    }
    void hover(const char* button) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(main.component(button), &enter);
    }
    void leave(const char* button) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(main.component(button), &leave);
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
    std::vector<std::set<std::string>> asked;  ///< the column as each box opened
    const testing::TempFolder* askedIn = nullptr;  ///< where set, asked holds folderAfter(*askedIn)
};

bool numbered(const std::set<std::string>& names) {
    return !names.empty() &&
           std::all_of(names.begin(), names.end(), [](const std::string& n) { return n.find("(Av") != n.npos; });
}

// Notes that a widget took the focus.
class FocusSeen : public QObject {
public:
    bool seen = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) seen = true;
        return false;
    }
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
    // Renamed by another program: the row follows, as the rule would rename it.
    QVERIFY(std::rename((f.path() + "b.mp4").c_str(), (f.path() + "c.mp4").c_str()) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.second(1 - a), QStringLiteral("c_1.mp4"), 5000);
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

// A preview is worked out again when something its rule's click would read changed, and only then.
void TstLivePreview::onlyChangesThatMatterStartAPreview() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.txt");
    Fixture w(f);
    QVERIFY(w.activate());
    const PreviewController& preview = w.app.preview();
    const int a = w.app.window().list().rowText(0).toUtf8() == "a.mp4" ? 0 : 1;
    auto* suffix = w.main.component<QLineEdit>("编辑框7");
    w.type("编辑框7", QStringLiteral("-s"));
    QVERIFY(w.settle());
    QCOMPARE(w.second(a), QStringLiteral("a-s.mp4"));
    unsigned long long generation = preview.generation();
    const auto unchanged = [&] { return !preview.pending() && preview.generation() == generation; };

    // Boxes of no rule, focus back on the rule's input, its button hovered and left.
    w.type("编辑框14", QStringLiteral("out"));
    w.type("编辑框15", QStringLiteral("srt"));
    QVERIFY(unchanged());
    suffix->setFocus();
    QVERIFY(suffix->hasFocus());
    QVERIFY(unchanged());
    w.hover("按钮_加后缀");
    w.leave("按钮_加后缀");
    QVERIFY(unchanged());

    // A keystroke taken back before its preview came: the one shown holds again and stays.
    QTest::keyClick(suffix, Qt::Key_X);
    QVERIFY(preview.pending());
    generation = preview.generation();
    w.hover("按钮_加后缀");  // the same rule with the same inputs as the one being worked out
    w.leave("按钮_加后缀");
    QCOMPARE(preview.generation(), generation);
    QTest::keyClick(suffix, Qt::Key_Backspace);
    QVERIFY(!preview.pending());
    QTest::qWait(150);
    QCOMPARE(w.second(a), QStringLiteral("a-s.mp4"));
    generation = preview.generation();

    // The skipped extension, a kind box and another rule's hover each change the plan.
    auto* skipped = w.main.component<QComboBox>("组合框2");
    skipped->setCurrentIndex(1);
    emit skipped->activated(1);
    QVERIFY(preview.generation() > generation);
    QVERIFY(w.settle());
    // .mp4 is skipped: its files are no rows any more.
    QCOMPARE(w.app.window().list().rowCount(), 1);
    QCOMPARE(w.second(0), QStringLiteral("b-s.txt"));
    generation = preview.generation();
    w.main.component<QCheckBox>("选择框2")->click();
    QVERIFY(preview.generation() > generation);
    QVERIFY(w.settle());
    generation = preview.generation();
    w.hover("按钮_加前缀");
    QVERIFY(preview.generation() > generation);
    QVERIFY(w.settle());
}

// Video numbers are random: a click that planned again would give other numbers than were shown.
void TstLivePreview::theClickAppliesTheShownNumbersWhateverElseIsTyped() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.mp4");
    Fixture w(f);
    QVERIFY(w.activate());
    auto* button = w.main.component<QPushButton>("按钮_加后缀1");
    button->setFocus();
    QVERIFY(w.settle());
    const auto shown = w.column();
    QVERIFY(numbered(shown));
    const unsigned long long generation = w.app.preview().generation();
    w.type("编辑框14", QStringLiteral("/tmp/out"));
    w.type("编辑框15", QStringLiteral("txt"));
    QVERIFY(!w.app.preview().pending());
    QCOMPARE(w.app.preview().generation(), generation);
    QCOMPARE(w.column(), shown);
    button->click();
    QCOMPARE(w.boxes.front(), std::string("文件名将被更改，确定吗？"));
    QCOMPARE(w.asked.front(), shown);
    QCOMPARE(f.entries(), shown);
}

// Hover a rule's button, then press it (which focuses it): the names of the hover are those the
// question lists and those the disk gets, and nothing is planned in between.
void TstLivePreview::aHoveredPreviewIsAskedAboutAndApplied() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.mp4");
    Fixture w(f);
    w.app.window().setResponder({});  // real boxes, to read the question's details
    QVERIFY(w.activate());
    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    w.hover("按钮_加后缀1");
    QVERIFY(w.settle());
    const auto hovered = w.column();
    QVERIFY(numbered(hovered));
    const unsigned long long generation = w.app.preview().generation();

    std::set<std::string> asked;
    std::set<std::string> detailed;
    unsigned long long generationAsked = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (auto* question = qobject_cast<PlanBox*>(box); question && question->detailsButton()) {
            asked = w.column();
            generationAsked = w.app.preview().generation();
            question->detailsButton()->click();
            const QAbstractItemModel* plan = question->view()->model();
            for (int i = 0; i < plan->rowCount(); ++i) {
                const QString line = plan->index(i, 0).data().toString();
                detailed.insert(line.mid(line.indexOf(QStringLiteral(" → ")) + 3).toStdString());
            }
        }
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(0);
    auto* button = w.main.component<QPushButton>("按钮_加后缀1");
    FocusSeen focus;
    button->installEventFilter(&focus);
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(focus.seen);
    QCOMPARE(generationAsked, generation);
    QCOMPARE(asked, hovered);
    QCOMPARE(detailed, hovered);
    QCOMPARE(f.entries(), hovered);
}

void TstLivePreview::aClickWithoutACurrentPreviewShowsItsPlanFirst() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.mp4");
    Fixture w(f);
    QVERIFY(w.activate());
    // Clicked before its preview came.
    auto* numbers = w.main.component<QPushButton>("按钮_加后缀1");
    numbers->setFocus();
    QVERIFY(w.app.preview().pending());
    numbers->click();
    QCOMPARE(w.boxes.front(), std::string("文件名将被更改，确定吗？"));
    QVERIFY(numbered(w.asked.front()));
    QCOMPARE(f.entries(), w.asked.front());
    // Clicked after a box it reads was changed without a signal: the preview shown is stale.
    QVERIFY(w.settle());
    w.type("编辑框7", QStringLiteral("-1"));
    QVERIFY(w.settle());
    w.main.component<QLineEdit>("编辑框7")->setText(QStringLiteral("-2"));
    w.asked.clear();
    w.main.component<QPushButton>("按钮_加后缀")->click();
    QVERIFY(!w.asked.empty());
    QVERIFY(std::all_of(w.asked.front().begin(), w.asked.front().end(),
                        [](const std::string& n) { return n.find("-2.mp4") != n.npos; }));
    QCOMPARE(f.entries(), w.asked.front());
}

// The folder changes while the rule is in view, heard by the watch before the click or not yet:
// either way the click's plan is the folder as it is now (other random numbers), and the column
// shows that plan before the question.
void TstLivePreview::aChangeOnDiskIsReadAndShownForTheClick() {
    for (const bool heard : {true, false}) {
        testing::TempFolder f;
        f.file("a.mp4");
        f.file("b.mp4");
        Fixture w(f);
        QVERIFY(w.activate());
        auto* button = w.main.component<QPushButton>("按钮_加后缀1");
        button->setFocus();
        QVERIFY(w.settle());
        const auto before = w.column();
        QVERIFY(numbered(before));
        QSignalSpy told(w.app.preview().findChild<FolderWatch*>(), &FolderWatch::changed);
        f.file("c.mp4");
        if (heard) QVERIFY(told.wait(5000));
        button->click();  // not heard: no event delivered in between
        QCOMPARE(w.asked.size(), std::size_t{1});
        QVERIFY2(w.asked.front() != before, heard ? "heard" : "not heard");
        const auto entries = f.entries();
        for (const std::string& name : w.asked.front()) QVERIFY2(entries.count(name), name.c_str());
    }
}

// Whatever happens while the question is open (here the pointer leaves the hovered button, which
// brings back the rule in view before), the column goes on showing the plan asked about.
void TstLivePreview::theColumnHoldsThePlanWhileTheQuestionIsOpen() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.file("b.mp4");
    Fixture w(f);
    QVERIFY(w.activate());
    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    w.hover("按钮_加后缀1");
    QVERIFY(w.settle());
    const auto hovered = w.column();
    QVERIFY(numbered(hovered));
    std::set<std::string> during;
    w.app.window().setResponder([&](const Text&, MessageStyle, const Text&) {
        if (during.empty()) {
            w.leave("按钮_加后缀1");
            QTest::qWait(200);
            during = w.column();
        }
        return answerOk;
    });
    w.main.component<QPushButton>("按钮_加后缀1")->click();
    QCOMPARE(during, hovered);
    QCOMPARE(f.entries(), hovered);
}

// Random sequences of changes (inputs of the rule in view, of other rules and of no rule, kind
// boxes, the skipped extension, hovering, changes made with no signal, row checks, the filter,
// some waited for), then a
// click on the shown rule's button: the disk gets the names the column showed at the question,
// and those it showed at the click whenever that preview was current.
void TstLivePreview::anySequenceOfChangesRenamesAsTheColumnShows() {
    testing::TempFolder start;
    Fixture w(start);
    QVERIFY(w.activate());
    auto* files = w.main.component<QCheckBox>("选择框1");
    auto* folders = w.main.component<QCheckBox>("选择框2");
    auto* skipped = w.main.component<QComboBox>("组合框2");
    const PreviewController& preview = w.app.preview();
    QSignalSpy heard(preview.findChild<FolderWatch*>(), &FolderWatch::changed);
    // The button may have kept the focus since its last click: focus-in comes only on a change.
    const auto focusNumbers = [&w] {
        auto* button = w.main.component<QPushButton>("按钮_加后缀1");
        button->clearFocus();
        button->setFocus();
    };
    for (unsigned seed = 1; seed <= 16; ++seed) {
        std::mt19937 random(seed);
        const auto pick = [&random](unsigned n) { return static_cast<int>(random() % n); };
        const auto letter = [&pick] { return QString(QChar('a' + pick(26))); };
        testing::TempFolder f;
        for (const char* name : {"a.mp4", "b.txt", "第一课.mp4", "c"}) f.file(name);
        w.main.component<QLineEdit>("编辑框_筛选")->clear();
        files->setChecked(true);
        folders->setChecked(false);
        skipped->setCurrentIndex(-1);
        loadDroppedPath(w.app.window(), w.app.session(), Text::fromUtf8(f.path() + "x"));
        // Until the watch has been quiet for longer than a change takes to be read: what it tells
        // of the last folder (its run, its removal) is over.
        while (heard.wait(300)) {
        }
        QVERIFY(w.settle());
        const char* hovered = nullptr;
        unsigned long long quietAt = 0;  // generation when a box last changed without a signal
        QString log = QStringLiteral("seed %1:").arg(seed);
        for (int step = 0; step < 10; ++step) {
            const int op = pick(11);
            log += QStringLiteral(" %1").arg(op);
            switch (op) {
            case 0:
                focusNumbers();
                break;
            case 1:
                w.type("编辑框7", letter());
                break;
            case 2:
                w.type("编辑框6", letter());
                break;
            case 3:
                w.type(pick(2) ? "编辑框14" : "编辑框15", letter());
                break;
            case 4:
                files->click();
                break;
            case 5:
                folders->click();
                break;
            case 6: {
                const int item = pick(3) - 1;
                skipped->setCurrentIndex(item);
                emit skipped->activated(item);
                break;
            }
            case 7: {
                const char* box = std::array{"编辑框6", "编辑框7", "编辑框13"}[pick(3)];
                auto* edit = w.main.component<QLineEdit>(box);
                edit->setText(edit->text() + letter());
                quietAt = preview.generation();
                break;
            }
            case 8:
                if (hovered) {
                    w.leave(hovered);
                    hovered = nullptr;
                } else {
                    hovered = pick(2) ? "按钮_加后缀1" : "按钮_加前缀";
                    w.hover(hovered);
                }
                break;
            case 9: {  // a row's check box clicked
                RowModel& rows = w.main.rows();
                if (rows.rowCount() == 0) break;
                const QModelIndex box = rows.index(pick(rows.rowCount()), 0);
                const bool on = rows.data(box, Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
                rows.setData(box, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
                break;
            }
            case 10:
                w.main.component<QLineEdit>("编辑框_筛选")
                    ->setText(std::array{QStringLiteral(""), QStringLiteral("*.MP4"), QStringLiteral("?.*;c"),
                                         QStringLiteral("第*")}[pick(4)]);
                break;
            }
            if (pick(2)) QVERIFY(w.settle());
        }
        if (!preview.shownRule()) focusNumbers();
        if (pick(2)) QVERIFY(w.settle());
        const bool current = !preview.pending() && (quietAt == 0 || preview.generation() > quietAt);
        const auto atClick = w.folderAfter(f);
        // A plan made by the click is shown as it is made; the question, where the rule asks one,
        // comes after it.
        std::optional<std::set<std::string>> planned;
        const auto connection = QObject::connect(&preview, &PreviewController::settled, [&] {
            if (preview.shownRule() && !planned) planned = w.folderAfter(f);
        });
        const bool filesOnly = preview.shownRule()->rule().kinds == Kinds::FilesOnly;
        const bool filesListed = files->isChecked();
        w.asked.clear();
        w.askedIn = &f;
        w.main.component<QPushButton>(preview.shownRule()->button.name)->click();
        w.askedIn = nullptr;
        QObject::disconnect(connection);
        const auto applied = planned ? *planned : atClick;
        if (hovered) w.leave(hovered);
        // A rule that renames files whatever the kind boxes say, with 文件 unchecked, renames files
        // that have no rows: the status line counts them, the column cannot show them.
        if (filesOnly && !filesListed) continue;
        QVERIFY2(f.entries() == applied, qPrintable(log));
        if (!w.asked.empty()) QVERIFY2(w.asked.front() == applied, qPrintable(log));
        if (current) QVERIFY2(!planned, qPrintable(log));
    }
}

QTEST_MAIN(TstLivePreview)
#include "tst_live_preview.moc"
