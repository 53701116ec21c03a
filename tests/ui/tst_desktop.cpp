// The program on a Chinese Linux desktop: Qt's own texts in Chinese, folders opened from the
// command line, the keyboard, the names file beside an installed program, the sorted list view.
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <fstream>
#include <iterator>

#include "app/application.h"
#include "app/command_line.h"
#include "rules/rules.h"
#include "tests/reliability/read_only.h"
#include "tests/support/temp_folder.h"
#include "ui/focus_order.h"
#include "ui/list_model.h"
#include "ui/sorted_rows.h"

using namespace velmora;

class TstDesktop : public QObject {
    Q_OBJECT
private slots:
    void qtOwnTextsAreChinese();
    void commandLineAnswersAndOpensFolders();
    void focusOrderIsReadFromTheTable();
    void tabWalksTheShownPageBeforeTheList();
    void enterAndSpaceClickButtonsAndEscClosesThanks();
    void namesFileFallsBackWhereTheProgramFolderIsReadOnly();
    void headerSortsReversesAndRestores();
    void sortingChangesNeitherWhatRulesRenameNorWhatIsSavedAndCopied();
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
    // A path that is not there leaves the window as it was; of several, the last one shows.
    app.openPaths({qs(f.path() + "missing")});
    QCOMPARE(w.currentFolder().toUtf8(), folder + "/");
    app.openPaths({qs(folder), qs(f.path() + "top.txt")});
    QCOMPARE(shownRows(w), std::vector<std::string>{"top.txt"});
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
    more.components.push_back({"分组框99", WidgetKind::GroupBox, "page4", 10, 485, 250, 80, "新规则"});
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
    app.window().setResponder([&](const Text& text, int, const Text&) {
        seen.push_back(text.toUtf8());
        return answerOk;
    });
    app.window().setCaption(component::标签2, Text::fromUtf8(f.path()));
    main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(2);
    main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("x"));
    auto* prefix = main.component<QPushButton>("按钮_加前缀");
    prefix->setFocus();
    QTRY_VERIFY(prefix->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(f.entries(), std::set<std::string>{"xa.mp4"});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    QCOMPARE(f.entries(), std::set<std::string>{"xxa.mp4"});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(f.entries(), std::set<std::string>{"xxxa.mp4"});
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

void TstDesktop::namesFileFallsBackWhereTheProgramFolderIsReadOnly() {
    testing::TempFolder program;
    testing::TempFolder home;
    const std::string data = home.path() + "share/velmora/";  // missing: made by the save
    Application app(*qApp);
    QtWindow& w = app.window();
    std::vector<std::string> seen;
    w.setResponder([&](const Text& text, int, const Text&) {
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
        app.window().setResponder([&](const Text& text, int, const Text&) {
            messages.push_back(text.toUtf8());
            return answerOk;
        });
        app.openPaths({qs(f.path())});
        auto* view = main.component<QTreeView>("超级列表框1");
        if (sorted) {
            clickHeader(view);
            clickHeader(view);  // reversed: 第10课 first
            // The clicked row's name is copied, and the names file keeps the shown order.
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(view->model()->index(0, 0)).center());
            [&] { QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("第10课.mp4")); }();
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

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
