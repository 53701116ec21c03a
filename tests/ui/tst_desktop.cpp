// The program on a Chinese Linux desktop: Qt's own texts in Chinese, the folder picker, folders
// opened from the command line, the keyboard, tooltips, the names file beside an installed program,
// the sorted list view and what a narrow list shows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEnterEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <fstream>
#include <iterator>
#include <map>

#include "actions/actions.h"
#include "app/application.h"
#include "app/command_line.h"
#include "rules/catalogue.h"
#include "tests/reliability/read_only.h"
#include "tests/support/temp_folder.h"
#include "ui/focus_order.h"
#include "ui/list_model.h"
#include "ui/preview_controller.h"
#include "ui/sorted_rows.h"

using namespace velmora;

class TstDesktop : public QObject {
    Q_OBJECT
private slots:
    // Runs go into a history of the test's own.
    void initTestCase() { qputenv("VELMORA_STATE_DIR", state_.path().toUtf8()); }
    void qtOwnTextsAreChinese();
    void folderPickerOpensWhereTheLastChoiceWasAndSpeaksOnlyChinese();
    void commandLineAnswersAndOpensFolders();
    void severalFoldersOpenInAWindowEach();
    void focusOrderIsReadFromTheTable();
    void tabWalksTheShownPageBeforeTheList();
    void enterAndSpaceClickButtonsAndEscClosesThanks();
    void anEnterOnceTooOftenDoesNothingTwice();
    void enterInARuleBoxRunsThatRule();
    void everyRuleButtonExplainsItselfWithAnExampleThatHolds();
    void namesFileFallsBackWhereTheProgramFolderIsReadOnly();
    void headerSortsReversesAndRestores();
    void sortingChangesNeitherWhatRulesRenameNorWhatIsSavedAndCopied();
    void aNarrowColumnShortensTheNameNeverTheReason();

private:
    QTemporaryDir state_;
};

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

bool hasChinese(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
    return false;
}

// Runs check on the next modal dialog that opens, then closes it with close.
template <typename Dialog>
void onNextDialog(std::function<void(Dialog*)> check) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        check(dialog);
    });
    timer->start(10);
}

std::vector<std::string> shownRows(QtWindow& w) {
    std::vector<std::string> rows;
    for (int r = 0; r < w.list().rowCount(); ++r) rows.push_back(w.list().rowText(r).toUtf8());
    return rows;
}

// What the view paints, top to bottom.
std::vector<std::string> paintedRows(QTreeView* view) {
    std::vector<std::string> rows;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        rows.push_back(view->model()->index(r, 0).data().toString().toStdString());
    return rows;
}

void clickHeader(QTreeView* view) {
    QHeaderView* header = view->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 20, header->height() / 2));
}

std::string gbk(const std::string& utf8) { return Text::fromUtf8(utf8).bytes(); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QString focusName() {
    QWidget* w = QApplication::focusWidget();
    if (!w) return {};
    if (qobject_cast<QTabBar*>(w)) w = w->parentWidget();  // the tab control takes focus through its bar
    return w->objectName();
}

bool hasLatin(const QString& text) {
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    return text.contains(latin);
}

// Answers every message box that opens while it lives with Enter, as people do, noting its text.
class EnterOnBoxes {
public:
    EnterOnBoxes() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            seen << box->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        timer_.start(5);
    }
    QStringList seen;

private:
    QTimer timer_;
};

// An image that keeps the text painted on it, run by run, with where each run starts.
class PaintedText : public QImage {
public:
    explicit PaintedText(QSize size) : QImage(size, QImage::Format_ARGB32) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    /// The runs painted with their baseline inside rect, left to right, joined.
    QString within(const QRect& rect) const {
        std::map<qreal, QString> runs;
        for (const auto& [at, text] : engine_.runs)
            if (rect.contains(at.toPoint())) runs[at.x()] += text;
        QString line;
        for (const auto& run : runs) line += run.second;
        return line;
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override {
            runs.emplace_back(painter()->transform().map(at), item.text());
        }
        Type type() const override { return User; }
        std::vector<std::pair<QPointF, QString>> runs;
    };
    mutable Engine engine_;
};

}  // namespace

void TstDesktop::qtOwnTextsAreChinese() {
    Application app(*qApp);
    app.mainWindow().show();
    QString ok, cancel;
    onNextDialog<QMessageBox>([&](QMessageBox* box) {
        ok = box->button(QMessageBox::Ok)->text();
        cancel = box->button(QMessageBox::Cancel)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    QCOMPARE(app.window().showMessage("确定更名吗？"_t, style::okCancel, std::nullopt), answerCancel);
    QCOMPARE(ok, QStringLiteral("确定"));
    QCOMPARE(cancel, QStringLiteral("取消"));

    QString accept, lookIn;
    onNextDialog<QFileDialog>([&](QFileDialog* dialog) {
        for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons())
            if (dialog->findChild<QDialogButtonBox*>()->buttonRole(b) == QDialogButtonBox::AcceptRole)
                accept = b->text();
        lookIn = dialog->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
        dialog->reject();
    });
    QCOMPARE(app.window().browseForFolder("选择目录"_t), Text{});
    QVERIFY2(hasChinese(accept) && !accept.contains(QStringLiteral("Choose")), qPrintable(accept));
    QVERIFY2(hasChinese(lookIn), qPrintable(lookIn));
}

void TstDesktop::folderPickerOpensWhereTheLastChoiceWasAndSpeaksOnlyChinese() {
    testing::TempFolder f;
    f.folder("课程");
    f.folder("课程/第一单元");
    const QString lessons = qs(f.path() + "课程");
    Application app(*qApp);
    app.mainWindow().show();
    QtWindow& w = app.window();
    // Opens the picker, notes where it opened, looks at it, then chooses `choose` as a person
    // does (types it and clicks the accept button) or cancels when it is empty.
    QString openedIn;
    auto pick = [&](const QString& choose, std::function<void(QFileDialog*)> look = {}) {
        onNextDialog<QFileDialog>([&openedIn, choose, look](QFileDialog* dialog) {
            openedIn = dialog->directory().absolutePath();
            if (look) look(dialog);
            if (choose.isEmpty()) {
                dialog->setDirectory(QDir::rootPath());  // wandered elsewhere before giving up
                dialog->reject();
                return;
            }
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(choose);
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            for (QAbstractButton* b : buttons->buttons())
                if (buttons->buttonRole(b) == QDialogButtonBox::AcceptRole) b->click();
        });
        return w.browseForFolder("选择目录"_t);
    };
    QCOMPARE(pick({}), Text{});
    QCOMPARE(openedIn, QDir::homePath());  // nothing chosen yet
    QCOMPARE(pick(lessons).toUtf8(), f.path() + "课程");
    QCOMPARE(pick({}), Text{});
    QCOMPARE(openedIn, lessons);

    // Every text the picker shows is Chinese; only names of folders and paths are what they are.
    QStringList texts;
    QString folderType;
    QCOMPARE(pick({},
                  [&](QFileDialog* dialog) {
                      dialog->setViewMode(QFileDialog::Detail);  // every column shows
                      auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
                      QAbstractItemModel* model = view->model();
                      QTRY_COMPARE(model->rowCount(view->rootIndex()), 1);
                      texts << dialog->windowTitle();
                      for (QLabel* label : dialog->findChildren<QLabel*>())
                          if (label->isVisible()) texts << label->text();
                      for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                          if (b->isVisible()) texts << b->text() << b->toolTip();
                      for (QAction* action : dialog->findChildren<QAction*>()) texts << action->text();
                      auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                      for (int i = 0; i < types->count(); ++i) texts << types->itemText(i);
                      for (int c = 0; c < model->columnCount(view->rootIndex()); ++c) {
                          if (view->isColumnHidden(c)) continue;
                          texts << model->headerData(c, Qt::Horizontal).toString();
                          // Column 0 is the folder's own name.
                          if (c > 0) texts << model->index(0, c, view->rootIndex()).data().toString();
                      }
                      folderType = model->index(0, 2, view->rootIndex()).data().toString();
                  }),
             Text{});
    QCOMPARE(folderType, QStringLiteral("文件夹"));
    QVERIFY(texts.size() > 20);
    QStringList latin;
    for (const QString& text : texts)
        if (hasLatin(text)) latin << text;
    QVERIFY2(latin.isEmpty(), qPrintable(latin.join(QStringLiteral(" | "))));

    // The folder chosen last is gone: the picker opens in the nearest folder above it.
    QVERIFY(QDir().rename(lessons, qs(f.path() + "旧课程")));
    QCOMPARE(pick({}), Text{});
    QCOMPARE(openedIn, qs(f.path()).chopped(1));
}

void TstDesktop::commandLineAnswersAndOpensFolders() {
    using Action = CommandLine::Action;
    const QString program = QStringLiteral("velmora");
    QCOMPARE(readCommandLine({program}).action, Action::Open);
    QCOMPARE(readCommandLine({program, QStringLiteral("--help")}).action, Action::Help);
    QCOMPARE(readCommandLine({program, QStringLiteral("-v")}).action, Action::Version);
    QCOMPARE(readCommandLine({program, QStringLiteral("--bogus")}).action, Action::Error);
    QCOMPARE(readCommandLine({program, QStringLiteral("a"), QStringLiteral("--"), QStringLiteral("-b")}).paths,
             (QStringList{QStringLiteral("a"), QStringLiteral("-b")}));

    testing::TempFolder f;
    f.folder("课程");
    f.file("课程/第2课.mp4");
    f.file("课程/第1课.mp4");
    f.file("top.txt");
    Application app(*qApp);
    QtWindow& w = app.window();
    const std::string folder = f.path() + "课程";
    struct Case {
        QString given;
        std::string listed;  // the folder 标签2 shows
        std::vector<std::string> rows;
    };
    const std::vector<Case> cases = {
        {qs(folder), folder + "/", {"第1课.mp4", "第2课.mp4"}},  // a folder lists itself
        {qs(folder + "/"), folder + "/", {"第1课.mp4", "第2课.mp4"}},
        {qs(f.path() + "top.txt"), f.path(), {"top.txt"}},  // a file lists its folder
        {qs(folder + "/第2课.mp4"), folder + "/", {"第1课.mp4", "第2课.mp4"}},
    };
    for (const Case& c : cases) {
        w.list().clearRows();
        w.setCaption(component::标签2, {});
        app.openPaths({c.given});
        QCOMPARE(w.currentFolder().toUtf8(), c.listed);
        QCOMPARE(shownRows(w), c.rows);
    }
    // A path that is not there leaves the window as it was; of several, the first shows here and
    // the next in a window beside it.
    app.openPaths({qs(f.path() + "missing")});
    QCOMPARE(w.currentFolder().toUtf8(), folder + "/");
    app.openPaths({qs(folder), qs(f.path() + "top.txt")});
    QCOMPARE(shownRows(w), (std::vector<std::string>{"第1课.mp4", "第2课.mp4"}));
    QCOMPARE(app.otherWindows().size(), std::size_t{1});
    QCOMPARE(shownRows(app.otherWindows().front()->window()), std::vector<std::string>{"top.txt"});
}

void TstDesktop::severalFoldersOpenInAWindowEach() {
    testing::TempFolder f;
    for (const char* folder : {"甲", "乙", "丙"}) f.folder(folder);
    f.file("甲/a.mp4");
    f.file("乙/b.mp4");
    f.file("丙/c.mp4");
    Application app(*qApp);
    app.mainWindow().show();
    const std::string sheet = qApp->styleSheet().toStdString();
    QVERIFY(!sheet.empty());
    // As a file manager passes them (%F): folders and files, one folder twice, one path gone.
    app.openPaths({qs(f.path() + "甲"), qs(f.path() + "乙/b.mp4"), qs(f.path() + "甲/a.mp4"), qs(f.path() + "没有"),
                   qs(f.path() + "丙/")});
    QCOMPARE(app.window().currentFolder().toUtf8(), f.path() + "甲/");
    QCOMPARE(shownRows(app.window()), std::vector<std::string>{"a.mp4"});
    const std::vector<Application*> others = app.otherWindows();
    QCOMPARE(others.size(), std::size_t{2});
    const std::pair<std::string, std::string> expected[] = {{"乙/", "b.mp4"}, {"丙/", "c.mp4"}};
    for (std::size_t i = 0; i < others.size(); ++i) {
        MainWindow& other = others[i]->mainWindow();
        QVERIFY(&other != &app.mainWindow());
        QVERIFY(other.isVisible());
        QVERIFY2(other.pos() != app.mainWindow().pos(), "each window shows its own title");
        QCOMPARE(others[i]->window().currentFolder().toUtf8(), f.path() + expected[i].first);
        QCOMPARE(shownRows(others[i]->window()), std::vector<std::string>{expected[i].second});
    }
    // The theme belongs to every window: it stays while one of them is open.
    app.mainWindow().close();
    QCOMPARE(qApp->styleSheet().toStdString(), sheet);
    // A window closed goes, the others stay.
    others[1]->mainWindow().close();
    QTRY_COMPARE(app.otherWindows().size(), std::size_t{1});
    QCOMPARE(app.otherWindows().front(), others[0]);
    QCOMPARE(qApp->styleSheet().toStdString(), sheet);
}

void TstDesktop::focusOrderIsReadFromTheTable() {
    const std::vector<std::string_view> order = focusOrder(mainWindowLayout());
    auto at = [&](std::string_view name) {
        const auto it = std::find(order.begin(), order.end(), name);
        return it == order.end() ? -1 : static_cast<int>(it - order.begin());
    };
    // Every component that takes focus, once.
    int focusable = 0;
    for (const ComponentRow& c : mainWindowLayout().components)
        if (c.kind != WidgetKind::Label && c.kind != WidgetKind::TransparentLabel && c.kind != WidgetKind::GroupBox &&
            c.kind != WidgetKind::PictureBox) {
            ++focusable;
            QVERIFY2(std::count(order.begin(), order.end(), c.name) == 1, c.name.data());
        }
    QCOMPARE(static_cast<int>(order.size()), focusable);
    // Top row, the tab control, page by page, creation boxes, list, bottom row.
    const std::vector<std::string_view> expectedChain = {
        "选择框5",      "选择框1",  "选择框2",  "组合框2",  "按钮_撤销",   "高级选择夹1", "组合框1", "按钮3",
        "选择框3",      "按钮7",    "编辑框1",  "编辑框10", "按钮2",       "编辑框4",     "按钮4",   "按钮_加前缀",
        "按钮_加后缀1", "编辑框14", "编辑框15", "按钮14",   "超级列表框1", "按钮13",      "按钮9",   "按钮16"};
    for (std::size_t i = 1; i < expectedChain.size(); ++i)
        QVERIFY2(at(expectedChain[i - 1]) < at(expectedChain[i]), expectedChain[i].data());
    // Inside a group its inputs come first, read row by row, then its buttons.
    QVERIFY(at("选择框_1头") < at("选择框_2头") && at("选择框_2头") < at("选择框_1尾") &&
            at("选择框_1尾") < at("选择框_2尾"));
    QVERIFY(at("编辑框6") < at("编辑框7") && at("编辑框7") < at("按钮_加前缀") &&
            at("按钮_加前缀") < at("按钮_加后缀"));
    QVERIFY(at("编辑框11") < at("编辑框12") && at("编辑框12") < at("按钮10"));

    // A group added at the foot of the last page is walked after the others, before the creation boxes.
    WindowLayout more = mainWindowLayout();
    more.components.push_back({"分组框99", WidgetKind::GroupBox, "page5", 10, 505, 250, 80, "新规则"});
    more.components.push_back({"按钮99", WidgetKind::Button, "分组框99", 150, 30, 60, 28, "执行"});
    more.components.push_back({"编辑框99", WidgetKind::EditBox, "分组框99", 10, 30, 120, 28, ""});
    const auto withPage = focusOrder(more);
    const auto pos = [&](std::string_view n) {
        return std::find(withPage.begin(), withPage.end(), n) - withPage.begin();
    };
    QVERIFY(pos("按钮_加后缀1") < pos("编辑框99"));
    QCOMPARE(pos("按钮99"), pos("编辑框99") + 1);
    QCOMPARE(pos("编辑框14"), pos("按钮99") + 1);
}

void TstDesktop::tabWalksTheShownPageBeforeTheList() {
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    auto* tabs = main.component<QTabWidget>("高级选择夹1");
    for (int page : {0, 2}) {
        tabs->setCurrentIndex(page);
        main.component<QWidget>("选择框5")->setFocus();
        QTRY_COMPARE(focusName(), QStringLiteral("选择框5"));
        QStringList walked{focusName()};
        while (walked.size() < 60 && focusName() != QStringLiteral("按钮16")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << focusName();
        }
        const QString firstOfPage = page == 0 ? QStringLiteral("组合框1") : QStringLiteral("单选框5");
        const qsizetype list = walked.indexOf(QStringLiteral("超级列表框1"));
        QVERIFY2(walked.indexOf(QStringLiteral("高级选择夹1")) < walked.indexOf(firstOfPage),
                 qPrintable(walked.join(' ')));
        QVERIFY2(walked.indexOf(firstOfPage) != -1 && walked.indexOf(firstOfPage) < list, qPrintable(walked.join(' ')));
        QVERIFY2(walked.indexOf(QStringLiteral("按钮14")) < list, qPrintable(walked.join(' ')));
        QCOMPARE(walked.last(), QStringLiteral("按钮16"));
        // Only the shown page is walked.
        QVERIFY2(!walked.contains(page == 0 ? QStringLiteral("编辑框11") : QStringLiteral("编辑框2")),
                 qPrintable(walked.join(' ')));
    }
}

void TstDesktop::enterAndSpaceClickButtonsAndEscClosesThanks() {
    testing::TempFolder f;
    f.file("a.mp4");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    std::vector<std::string> seen;
    app.window().setResponder([&](const Text& text, MessageStyle, const Text&) {
        seen.push_back(text.toUtf8());
        return answerOk;
    });
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(2);
    main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("x"));
    auto* prefix = main.component<QPushButton>("按钮_加前缀");
    // Each key runs the focused button once; the run sends the focus on to the list.
    const std::pair<Qt::Key, const char*> keys[] = {
        {Qt::Key_Return, "xa.mp4"}, {Qt::Key_Enter, "xxa.mp4"}, {Qt::Key_Space, "xxxa.mp4"}};
    for (const auto& [key, renamed] : keys) {
        prefix->setFocus();
        QTRY_VERIFY(prefix->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(f.entries(), std::set<std::string>{renamed});
        QTRY_COMPARE(focusName(), QStringLiteral("超级列表框1"));
    }
    QCOMPARE(seen.size(), std::size_t{3});

    auto* picture = main.component<QPushButton>("图形按钮1");
    picture->setFocus();
    QTRY_VERIFY(picture->hasFocus());
    QTest::keyClick(picture, Qt::Key_Return);
    QPointer<ThanksWindow> thanks = app.thanksWindow();
    QVERIFY(thanks && thanks->isVisible());
    QTest::keyClick(thanks->component<QPushButton>("按钮2"), Qt::Key_Escape);  // from a button inside, too
    QTRY_VERIFY(thanks.isNull());
}

// Enter on a rule's button, Enter on its question, then Enter and Space once too often: one
// question, one rename, and the list shows the names as they are. The same for undo and redo.
void TstDesktop::anEnterOnceTooOftenDoesNothingTwice() {
    testing::TempFolder f;
    f.file("第1课.mp4");
    f.file("第2课.mp4");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    app.openPaths({qs(f.path())});
    EnterOnBoxes boxes;
    // An earlier run, for an undo pressed twice to take back.
    main.component<QLineEdit>("编辑框7")->setText(QStringLiteral("-旧"));
    main.component<QPushButton>("按钮_加后缀")->click();
    const std::set<std::string> earlier = {"第1课-旧.mp4", "第2课-旧.mp4"};
    QCOMPARE(f.entries(), earlier);

    main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(2);
    auto* box = main.component<QLineEdit>("编辑框6");
    box->setFocus();
    for (QChar c : QStringLiteral("课件-"))  // typed as an input method hands it over
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    const std::set<std::string> prefixed = {"课件-第1课-旧.mp4", "课件-第2课-旧.mp4"};
    // Presses key on the focused widget and waits for whatever it starts to settle.
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QTest::qWait(30);
    };
    // Once the focus is on the list, Enter and Space again change nothing and ask nothing.
    // The boxes are gone: the window is active again, its focus where the run left it.
    auto activate = [&] {
        main.activateWindow();
        return QTest::qWaitForWindowActive(&main);
    };
    auto onceTooOften = [&](const std::set<std::string>& entries) {
        QVERIFY(activate());
        QTRY_COMPARE(focusName(), QStringLiteral("超级列表框1"));
        const qsizetype asked = boxes.seen.size();
        press(Qt::Key_Return);
        press(Qt::Key_Space);
        press(Qt::Key_Enter);
        QCOMPARE(boxes.seen.size(), asked);
        QCOMPARE(f.entries(), entries);
    };
    auto* button = main.component<QPushButton>("按钮_加前缀");
    QVERIFY(activate());
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());
    press(Qt::Key_Return);
    QCOMPARE(f.entries(), prefixed);
    QVERIFY(!boxes.seen.isEmpty());
    onceTooOften(prefixed);
    // The column shows the names as they are now, not the rule brought back into view.
    QTRY_VERIFY(!app.preview().pending());
    QCOMPARE(app.preview().shownRule(), nullptr);
    for (int r = 0; r < main.rows().rowCount(); ++r)
        QVERIFY2(prefixed.count(main.rows().data(main.rows().index(r, 1), Qt::DisplayRole).toString().toStdString()),
                 qPrintable(main.rows().data(main.rows().index(r, 1), Qt::DisplayRole).toString()));

    auto* undo = main.component<QPushButton>("按钮_撤销");
    QVERIFY(activate());
    undo->setFocus();
    QTRY_VERIFY(undo->hasFocus());
    press(Qt::Key_Return);
    QCOMPARE(f.entries(), earlier);
    onceTooOften(earlier);  // the earlier run is not taken back as well

    // Redo from the keys while the undo button has the focus.
    QVERIFY(activate());
    undo->setFocus();
    QTRY_VERIFY(undo->hasFocus());
    press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.entries(), prefixed);
    onceTooOften(prefixed);
}

void TstDesktop::enterInARuleBoxRunsThatRule() {
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    std::vector<std::string> seen;  // no folder: each rule refuses
    app.window().setResponder([&](const Text& text, MessageStyle, const Text&) {
        seen.push_back(text.toUtf8());
        return answerOk;
    });
    std::map<std::string_view, std::unique_ptr<QSignalSpy>> clicks;
    for (const PreviewedRule& rule : previewedRules())
        clicks[rule.button.name] =
            std::make_unique<QSignalSpy>(main.component<QAbstractButton>(rule.button.name), &QAbstractButton::clicked);
    // Enter (either key) in each edit box of a rule clicks that rule's button, and no other.
    auto enterIn = [&](QLineEdit* edit, Qt::Key key) {
        QTest::keyClick(edit, key);
        std::vector<std::string_view> clicked;
        for (auto& [name, spy] : clicks) {
            for (int i = 0; i < spy->count(); ++i) clicked.push_back(name);
            spy->clear();
        }
        return clicked;
    };
    int boxes = 0;
    for (const PreviewedRule& rule : previewedRules())
        for (Component input : rule.inputs) {
            auto* edit = main.component<QLineEdit>(input.name);
            if (!edit) continue;
            ++boxes;
            const auto clicked = enterIn(edit, boxes % 2 ? Qt::Key_Return : Qt::Key_Enter);
            QVERIFY2(clicked == std::vector<std::string_view>{rule.button.name}, input.name.data());
        }
    QCOMPARE(boxes, 19);
    // A box of no rule runs nothing.
    QVERIFY(enterIn(main.component<QLineEdit>("编辑框14"), Qt::Key_Return).empty());

    // Through to the disk: the rule asks its question, then renames.
    testing::TempFolder f;
    f.file("a.mp4");
    app.openPaths({qs(f.path())});
    seen.clear();
    auto* prefix = main.component<QLineEdit>("编辑框6");
    prefix->setText(QStringLiteral("x"));
    QTest::keyClick(prefix, Qt::Key_Return);
    QVERIFY(!seen.empty());
    QCOMPARE(seen.front(), std::string("确定更名吗？"));
    QCOMPARE(f.entries(), std::set<std::string>{"xa.mp4"});
}

// Each rule's button says what it does with an example: "…，如 [what is typed：]old → new". The
// example holds: typed into the window as it starts, the rule's preview gives exactly new.
void TstDesktop::everyRuleButtonExplainsItselfWithAnExampleThatHolds() {
    // What each example types or chooses beyond the start-up states.
    const std::map<std::string_view, std::vector<std::pair<const char*, QString>>> typed = {
        {"按钮3", {{"编辑框2", "("}, {"编辑框3", ")"}}},
        {"按钮7", {{"编辑框8", "第"}}},
        {"按钮_去掉后面的", {{"编辑框9", "课"}}},
        {"按钮2", {{"编辑框1", "高清"}}},
        {"按钮4", {{"编辑框4", "、"}, {"编辑框5", "."}}},
        {"按钮6", {{"组合框3", ".mp4"}}},
        {"按钮10", {{"编辑框11", "入门"}, {"编辑框12", "基础"}}},
        {"按钮_加前缀", {{"编辑框6", "课件-"}}},
        {"按钮_加后缀", {{"编辑框7", "-高清"}}},
        {"按钮_加后缀2", {{"编辑框18", ".bak"}}},
        {"按钮12", {{"编辑框13", "、"}}},
        {"按钮_加序号", {{"编辑框_模板", "第##集"}}},
        {"按钮_正则替换", {{"编辑框_查找", "\\s*\\[1080p\\]"}}},
        {"按钮_改大小写", {{"选择框_只改扩展名", "checked"}}},
        {"按钮_按列表改名", {{"编辑框_名称列表", "第1课 开篇词"}}},
    };
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    // A rule reads only its own inputs, so what one example sets stays out of the others' way.
    auto set = [&](const char* name, const QString& value) {
        QWidget* w = main.component(name);
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(value);
        if (auto* lines = qobject_cast<QPlainTextEdit*>(w)) lines->setPlainText(value);
        if (auto* combo = qobject_cast<QComboBox*>(w)) combo->setEditText(value);
        if (auto* box = qobject_cast<QCheckBox*>(w)) box->setChecked(true);
    };
    static const QRegularExpression randomNumber(QStringLiteral("Av\\d{9}"));
    for (const PreviewedRule& rule : previewedRules()) {
        const char* name = rule.button.name.data();
        const QString tip = main.component(name)->toolTip();
        QVERIFY2(hasChinese(tip) && tip.count(QStringLiteral(" → ")) == 1 && tip.contains(QStringLiteral("如 ")), name);
        const qsizetype arrow = tip.indexOf(QStringLiteral(" → "));
        const QString example = tip.left(arrow);
        const qsizetype from =
            std::max(example.lastIndexOf(QStringLiteral("：")), example.lastIndexOf(QStringLiteral("如 ")) + 1);
        const QString oldName = example.mid(from + 1);
        QString newName = tip.mid(arrow + 3);

        testing::TempFolder f;
        f.file(oldName.toStdString());
        app.openPaths({qs(f.path())});
        if (const auto it = typed.find(rule.button.name); it != typed.end())
            for (const auto& [input, value] : it->second) set(input, value);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(main.component(name), &enter);  // the pointer rests on the button
        QTRY_VERIFY(app.preview().shownRule() == &rule && !app.preview().pending());
        QString shown = main.rows().data(main.rows().index(0, 1), Qt::DisplayRole).toString();
        if (rule.button == component::按钮_加后缀1) {  // a random number each time
            shown.replace(randomNumber, QStringLiteral("Av#"));
            newName.replace(randomNumber, QStringLiteral("Av#"));
        }
        QVERIFY2(shown == newName,
                 qPrintable(QStringLiteral("%1: %2 → %3, not %4").arg(name, oldName, shown, newName)));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(main.component(name), &leave);
    }
}

void TstDesktop::namesFileFallsBackWhereTheProgramFolderIsReadOnly() {
    testing::TempFolder program;
    testing::TempFolder home;
    const std::string data = home.path() + "share/velmora/";  // missing: made by the save
    Application app(*qApp);
    QtWindow& w = app.window();
    std::vector<std::string> seen;
    w.setResponder([&](const Text& text, MessageStyle, const Text&) {
        seen.push_back(text.toUtf8());
        return answerOk;
    });
    w.list().appendRows({Text::fromUtf8("第1集.mkv"), Text::fromUtf8("b.mp4")});
    const std::string expected = gbk("第1集.mkv") + "\r\nb.mp4\r\n";

    // Writable: the program's folder, as always.
    saveOriginalNames(w, Text::fromUtf8(program.path()), Text::fromUtf8(data));
    QCOMPARE(program.read("原文件名保存.txt"), expected);
    QCOMPARE(seen.back(), std::string("已将原文件名存入txt文档内，\r\n并已将txt文档保存到本软件的同级文件夹"));
    QVERIFY(!home.exists("share"));

    // Read-only: the same bytes under the same name in the data folder, which the message names.
    program.file("原文件名保存.txt", "old\r\n");
    testing::ReadOnlyFolder readOnly(program.path());
    if (!readOnly.ok()) QSKIP("this file system cannot make a folder read-only here");
    saveOriginalNames(w, Text::fromUtf8(program.path()), Text::fromUtf8(data));
    QCOMPARE(readFile(data + "原文件名保存.txt"), expected);
    QCOMPARE(program.read("原文件名保存.txt"), std::string("old\r\n"));
    QCOMPARE(seen.back(), "已将原文件名存入txt文档内，\r\n并已将txt文档保存到\r\n" + data);

    // Nowhere to write: a real failure, with its reason.
    testing::ReadOnlyFolder readOnlyData(data);
    QVERIFY(readOnlyData.ok());
    w.list().appendRows({Text::fromUtf8("c.mp4")});
    saveOriginalNames(w, Text::fromUtf8(program.path()), Text::fromUtf8(data));
    QCOMPARE(seen.back(), std::string("保存失败\r\n没有写入这个文件夹的权限"));
    QCOMPARE(readFile(data + "原文件名保存.txt"), expected);
}

void TstDesktop::headerSortsReversesAndRestores() {
    testing::TempFolder f;
    for (const char* name : {"第10课.mp4", "第2课.mp4", "第1课.mp4", "a10.txt", "a9.txt", "B.txt", "第1课 上.mp4"})
        f.file(name);
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QtWindow& w = app.window();
    app.openPaths({qs(f.path())});
    auto* view = main.component<QTreeView>("超级列表框1");
    const std::vector<std::string> loading = shownRows(w);
    QCOMPARE(loading.size(), std::size_t{7});
    const std::vector<std::string> natural = {"B.txt",     "a9.txt",    "a10.txt",   "第1课 上.mp4",
                                              "第1课.mp4", "第2课.mp4", "第10课.mp4"};
    const std::vector<std::string> reversed(natural.rbegin(), natural.rend());
    struct Step {
        std::vector<std::string> rows;
        int indicatorSection;
        Qt::SortOrder indicatorOrder;
    };
    const Step steps[] = {{natural, 0, Qt::AscendingOrder},
                          {reversed, 0, Qt::DescendingOrder},
                          {loading, -1, Qt::AscendingOrder},
                          {natural, 0, Qt::AscendingOrder}};
    for (const Step& step : steps) {
        clickHeader(view);
        QCOMPARE(paintedRows(view), step.rows);
        QCOMPARE(shownRows(w), step.rows);
        QCOMPARE(view->header()->sortIndicatorSection(), step.indicatorSection);
        if (step.indicatorSection == 0) QCOMPARE(view->header()->sortIndicatorOrder(), step.indicatorOrder);
    }
    // Rows loaded while sorted are shown sorted; the model keeps the loading order.
    w.list().appendRows({Text::fromUtf8("第3课.mp4")});
    QCOMPARE(shownRows(w)[6], std::string("第3课.mp4"));
    QCOMPARE(main.rows().row(7).toUtf8(), std::string("第3课.mp4"));
}

void TstDesktop::sortingChangesNeitherWhatRulesRenameNorWhatIsSavedAndCopied() {
    const char* names[] = {"第10课.mp4", "第2课.mp4", "第1课.mp4", "notes.txt"};
    auto runPrefix = [&](bool sorted, std::vector<std::string>& messages) {
        testing::TempFolder f;
        for (const char* n : names) f.file(n);
        Application app(*qApp);
        MainWindow& main = app.mainWindow();
        main.show();
        [&] { QVERIFY(QTest::qWaitForWindowExposed(&main)); }();
        app.window().setResponder([&](const Text& text, MessageStyle, const Text&) {
            messages.push_back(text.toUtf8());
            return answerOk;
        });
        app.openPaths({qs(f.path())});
        auto* view = main.component<QTreeView>("超级列表框1");
        if (sorted) {
            clickHeader(view);
            clickHeader(view);  // reversed: 第10课 first
            // The clicked row's name is copied, the status line says so, and the names file keeps
            // the shown order.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(0, 0)).center());
            [&] {
                QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("第10课.mp4"));
                QCOMPARE(main.statusLine().text(), QStringLiteral("已复制：第10课.mp4"));
            }();
            testing::TempFolder saved;
            saveOriginalNames(app.window(), Text::fromUtf8(saved.path()), Text{});
            [&] {
                QCOMPARE(saved.read("原文件名保存.txt"), gbk("第10课.mp4\r\n第2课.mp4\r\n第1课.mp4\r\nnotes.txt\r\n"));
            }();
            messages.clear();
        }
        main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("x"));
        main.component<QPushButton>("按钮_加前缀")->click();
        return f.entries();
    };
    std::vector<std::string> plainMessages, sortedMessages;
    const auto plain = runPrefix(false, plainMessages);
    const auto sorted = runPrefix(true, sortedMessages);
    QCOMPARE(sorted, plain);
    QCOMPARE(plain, (std::set<std::string>{"x第10课.mp4", "x第2课.mp4", "x第1课.mp4", "xnotes.txt"}));
    QCOMPARE(sortedMessages, plainMessages);
}

// A failing row reads "name  ✗ reason". In a column too narrow for it, what is painted is the name
// shortened, then the mark and the reason whole.
void TstDesktop::aNarrowColumnShortensTheNameNeverTheReason() {
    testing::TempFolder f;
    const std::string longName = "一个很长很长很长很长的文件名字第10课.mp4";
    f.file(longName);
    f.folder("p" + longName);  // holds the name the rule would give the file
    f.file("短.mp4");
    Application app(*qApp);
    MainWindow& main = app.mainWindow();
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    app.openPaths({qs(f.path())});
    auto* prefix = main.component<QLineEdit>("编辑框6");
    prefix->setText(QStringLiteral("p"));
    emit prefix->textEdited(prefix->text());
    QTRY_VERIFY(!app.preview().pending() && app.preview().shownRule());
    auto* view = main.component<QTreeView>("超级列表框1");
    QAbstractItemModel* shown = view->model();
    int failing = -1;
    for (int r = 0; r < shown->rowCount(); ++r)
        if (shown->index(r, 0).data().toString().toStdString() == longName) failing = r;
    QVERIFY(failing != -1);
    const QString whole = shown->index(failing, 1).data().toString();
    const qsizetype mark = whole.indexOf(QStringLiteral("  ✗ "));
    QVERIFY2(mark > 0, qPrintable(whole));
    const QString reason = whole.mid(mark);
    // Room for the reason and a little of the name: less than half of it would stay at the end if
    // the whole text were shortened in its middle.
    const QFontMetrics metrics(view->font());
    const int width = metrics.horizontalAdvance(reason) + metrics.horizontalAdvance(QStringLiteral("一个…mp4")) + 16;
    view->header()->setStretchLastSection(false);
    view->header()->resizeSection(1, width);
    QApplication::processEvents();
    PaintedText painted(view->viewport()->size());
    view->viewport()->render(&painted);
    const QString line = painted.within(view->visualRect(shown->index(failing, 1)));
    QVERIFY2(line.endsWith(reason.trimmed()), qPrintable(line + QStringLiteral(" | ") + whole));
    QVERIFY2(
        line.startsWith(QStringLiteral("一")) && line.left(line.indexOf(QStringLiteral("✗"))).contains(QChar(0x2026)),
        qPrintable(line));
    // A row that fits is painted whole.
    const int shortRow = failing == 0 ? 1 : 0;
    view->header()->resizeSection(1, 400);
    PaintedText wide(view->viewport()->size());
    view->viewport()->render(&wide);
    QCOMPARE(wide.within(view->visualRect(shown->index(failing, 1))), whole);
    QCOMPARE(wide.within(view->visualRect(shown->index(shortRow, 1))), QStringLiteral("p短.mp4"));
}

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
