// Page " 列 表 " through the real window: a pasted list previewed against the rows as shown, the
// click and its undo, the import, and the list edited in a text editor that the test stands in for.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <fstream>

#include "app/application.h"
#include "interaction/folder_loading.h"
#include "interaction/history_prompts.h"
#include "tests/support/temp_folder.h"
#include "ui/editor_file.h"
#include "ui/list_model.h"
#include "ui/preview_controller.h"
#include "ui/sorted_rows.h"
#include "ui/text_box.h"

using namespace velmora;

class TstRenameByList : public QObject {
    Q_OBJECT
private slots:
    void init() {
        state_ = std::make_unique<QTemporaryDir>();
        qputenv("VELMORA_STATE_DIR", state_->path().toUtf8());
    }
    void fortyCourseTitlesPastedRenameFortyLessonsAndOneUndoTakesThemBack();
    void theListPairsWithTheRowsAsShownAndAnUnevenListIsRefused();
    void importLoadsTheListAndRefusesWhatIsNotText();
    void theEditorsSavesComeBackIntoTheBoxAndTheFileGoesWithTheWindow();
    void withoutFoldersOfItsOwnTheListGoesIntoANewPrivateTemporaryFolder();
    void aLongPasteLandsWholeInSlicesAndIsPreviewedAsItWillBe();

private:
    std::unique_ptr<QTemporaryDir> state_;
};

namespace {

struct Fixture {
    explicit Fixture(const testing::TempFolder& f) {
        app.window().setResponder([this](const Text& text, MessageStyle style, const Text& caption) {
            boxes.push_back(text.toUtf8());
            styles.push_back(style);
            captions.push_back(caption.toUtf8());
            return answerOk;
        });
        main.show();
        main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(4);
        loadDroppedPath(app.window(), app.session(), Text::fromUtf8(f.path() + "x"));
    }
    QPlainTextEdit& box() const { return *main.component<QPlainTextEdit>("编辑框_名称列表"); }
    // Pasted as a user pastes: one insertion at the cursor.
    void paste(const QString& text) {
        box().clear();
        box().setFocus();
        box().insertPlainText(text);
    }
    bool settle() {
        return QTest::qWaitFor([this] { return !app.preview().pending() && app.preview().watching(); }, 20000);
    }
    // Shown row r: its name as loaded and the second column.
    QString shown(int r, int column) const {
        const QAbstractItemModel* model = main.component<QTreeView>("超级列表框1")->model();
        return model->index(r, column).data().toString();
    }
    QString status() const { return main.statusLine().text(); }
    void click(const char* button) { main.component<QPushButton>(button)->click(); }

    Application app{*qApp};
    MainWindow& main = app.mainWindow();
    std::vector<std::string> boxes;
    std::vector<MessageStyle> styles;
    std::vector<std::string> captions;
};

}  // namespace

// The job the page is for: 第1课.mp4 … 第40课.mp4 and forty titles copied from a course's page.
void TstRenameByList::fortyCourseTitlesPastedRenameFortyLessonsAndOneUndoTakesThemBack() {
    testing::TempFolder f;
    std::set<std::string> lessons, titled;
    QString titles;
    for (int i = 1; i <= 40; ++i) {
        const std::string n = std::to_string(i);
        f.file("第" + n + "课.mp4", n);
        lessons.insert("第" + n + "课.mp4");
        titled.insert("第" + n + "课 标题" + n + ".mp4");
        titles += QStringLiteral("  第%1课 标题%1\r\n").arg(i);  // a web page's spaces and line ends
    }
    Fixture x(f);
    QVERIFY(x.settle());
    x.paste(titles + QStringLiteral("\n\n"));
    QVERIFY(x.settle());
    // Loaded in the order of the number at the front, which these names lack: the titles pair with
    // the rows as shown, whatever lesson they hold.
    QVERIFY(x.shown(1, 0) != QStringLiteral("第2课.mp4"));
    QCOMPARE(x.shown(1, 1), QStringLiteral("第2课 标题2.mp4"));
    // The header sorts the rows in natural order, and the pairing follows.
    emit x.main.component<QTreeView>("超级列表框1")->header()->sectionClicked(0);
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：将更名40个"));
    QCOMPARE(x.shown(1, 0), QStringLiteral("第2课.mp4"));
    QCOMPARE(x.shown(1, 1), QStringLiteral("第2课 标题2.mp4"));
    QCOMPARE(x.shown(39, 1), QStringLiteral("第40课 标题40.mp4"));

    x.click("按钮_按列表改名");
    QCOMPARE(x.boxes, (std::vector<std::string>{"确定更名吗？", "成功改名40个"}));
    QCOMPARE(x.captions, (std::vector<std::string>{"提示", "提示"}));
    QCOMPARE(f.entries(), titled);
    QCOMPARE(f.read("第7课 标题7.mp4"), std::string("7"));
    QCOMPARE(x.shown(6, 0), QStringLiteral("第7课.mp4"));  // the rows follow: loaded name, name now
    QVERIFY(x.settle());
    QCOMPARE(x.shown(6, 1), QStringLiteral("第7课 标题7.mp4"));

    QTest::keyClick(&x.main, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(x.boxes.back(), std::string("撤销了40个"));
    QCOMPARE(f.entries(), lessons);
    QCOMPARE(f.read("第7课.mp4"), std::string("7"));
}

void TstRenameByList::theListPairsWithTheRowsAsShownAndAnUnevenListIsRefused() {
    testing::TempFolder f;
    for (const char* n : {"第2课.mp4", "第10课.mp4", "第1课.mp4", "说明.txt"}) f.file(n, n);
    Fixture x(f);
    x.main.shownRows().setOrder(SortedRows::Order::Reversed);
    QVERIFY(x.settle());
    x.paste(QStringLiteral("十\n二\n一"));  // 说明.txt is shown first and takes a line too
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：列表有3行，要改名的有4个"));
    QCOMPARE(x.shown(0, 0), QStringLiteral("说明.txt"));
    QCOMPARE(x.shown(0, 1), QStringLiteral("十.txt"));  // paired already, while the counts differ
    QCOMPARE(x.shown(1, 1), QStringLiteral("二.mp4"));

    x.click("按钮_按列表改名");
    QCOMPARE(x.boxes, (std::vector<std::string>{"列表有3行，要改名的有4个，行数要一样"}));
    QVERIFY(x.styles.front() == style::information);
    QCOMPARE(x.captions.front(), std::string("提示"));
    QCOMPARE(f.entries(), (std::set<std::string>{"第1课.mp4", "第2课.mp4", "第10课.mp4", "说明.txt"}));

    // Skipping .txt takes its row out of the pairing; the rows' order is what the view shows.
    x.boxes.clear();
    auto* skip = x.main.component<QComboBox>("组合框2");
    skip->setCurrentIndex(0);
    emit skip->activated(0);
    x.paste(QStringLiteral("十\n二\n一"));  // the click took the rule out of view; typing brings it back
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：将更名3个"));
    x.click("按钮_按列表改名");
    QCOMPARE(x.boxes, (std::vector<std::string>{"确定更名吗？", "成功改名3个"}));
    QCOMPARE(f.entries(), (std::set<std::string>{"十.mp4", "二.mp4", "一.mp4", "说明.txt"}));
    QCOMPARE(f.read("十.mp4"), std::string("第10课.mp4"));
    QCOMPARE(f.read("一.mp4"), std::string("第1课.mp4"));
}

void TstRenameByList::importLoadsTheListAndRefusesWhatIsNotText() {
    testing::TempFolder f;
    f.file("a.mp4");
    testing::TempFolder lists;
    lists.file("titles.txt",
               "\xEF\xBB\xBF"
               "开篇词\r\n");
    lists.file("视频.mp4", std::string("\0\0\0\x18"
                                       "ftypmp42",
                                       12));
    Fixture x(f);
    QVERIFY(x.settle());
    std::string picked = lists.path() + "titles.txt";
    x.app.window().setFilePicker([&] { return Text::fromUtf8(picked); });
    x.click("按钮_导入列表");
    QCOMPARE(x.box().toPlainText(), QStringLiteral("开篇词\n"));
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：将更名1个"));
    QCOMPARE(x.shown(0, 1), QStringLiteral("开篇词.mp4"));

    picked = lists.path() + "视频.mp4";
    x.click("按钮_导入列表");
    QCOMPARE(x.boxes, (std::vector<std::string>{"“视频.mp4”不是文本文件（或者编码无法识别），无法导入"}));
    QCOMPARE(x.box().toPlainText(), QStringLiteral("开篇词\n"));
}

// The test stands in for the editor: it saves once in place, and once as editors that write a new
// file and rename it over the old one do.
void TstRenameByList::theEditorsSavesComeBackIntoTheBoxAndTheFileGoesWithTheWindow() {
    testing::TempFolder f;
    for (const char* n : {"b.mp4", "a.mp4"}) f.file(n);
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    Fixture x(f);
    QVERIFY(x.settle());
    QString opened;
    x.app.window().editorFile().setOpener([&](const QString& path) {
        opened = path;
        return true;
    });
    x.click("按钮_用编辑器编辑");
    QVERIFY(opened.startsWith(runtime.path() + QStringLiteral("/velmora/")));
    QFile file(opened);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("a\nb\n"));  // the names, as shown
    file.close();

    { std::ofstream(opened.toStdString(), std::ios::trunc) << "第一\n第二\n"; }
    QTRY_COMPARE(x.box().toPlainText(), QStringLiteral("第一\n第二\n"));
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：将更名2个"));
    QCOMPARE(x.shown(0, 1), QStringLiteral("第一.mp4"));

    const std::string replacement = opened.toStdString() + "~";
    { std::ofstream(replacement) << "\xEF\xBB\xBF甲\r\n乙\r\n"; }
    QVERIFY(std::rename(replacement.c_str(), opened.toStdString().c_str()) == 0);
    QTRY_COMPARE(x.box().toPlainText(), QStringLiteral("甲\n乙\n"));
    QVERIFY(x.settle());
    QCOMPARE(x.shown(1, 1), QStringLiteral("乙.mp4"));

    // A third save after the replacement is still followed.
    { std::ofstream(opened.toStdString(), std::ios::trunc) << "丙\n丁\n"; }
    QTRY_COMPARE(x.box().toPlainText(), QStringLiteral("丙\n丁\n"));

    x.main.close();
    QVERIFY(!QFile::exists(opened));
}

// A user without a runtime folder and without an absolute HOME: the shared temporary folder is the
// only place left, and a folder of a fixed name there may be another user's trap.
void TstRenameByList::withoutFoldersOfItsOwnTheListGoesIntoANewPrivateTemporaryFolder() {
    QTemporaryDir shared, elsewhere;
    // Put back as found, set or not, however the test ends.
    struct Restored {
        const char* name;
        bool set = qEnvironmentVariableIsSet(name);
        QByteArray value = qgetenv(name);
        ~Restored() { set ? qputenv(name, value) : qunsetenv(name); }
    } restored[] = {{"XDG_RUNTIME_DIR"}, {"XDG_CACHE_HOME"}, {"HOME"}, {"TMPDIR"}};
    qunsetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_CACHE_HOME");
    qputenv("HOME", "not/absolute");
    qputenv("TMPDIR", shared.path().toUtf8());
    QVERIFY(QFile::link(elsewhere.path(), shared.path() + QStringLiteral("/velmora")));
    QString folder;
    {
        QObject owner;
        EditorFile editor(&owner);
        editor.setOpener([](const QString&) { return true; });
        QVERIFY(editor.edit(Text::fromUtf8("甲\n"), [](const Text&) {}));
        folder = QFileInfo(editor.path()).absolutePath();
        QVERIFY(folder.startsWith(shared.path() + QStringLiteral("/velmora-")));
        QVERIFY(!QFileInfo(folder).isSymLink());
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());  // no group, no others
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        editor.remove();
        QVERIFY(!QFileInfo::exists(folder));
    }
}

// A paste of thousands of lines goes in slice by slice: read meanwhile, the box gives what it will
// hold once the paste is whole, which the preview works on; typing waits; the change is told as
// the paste begins and once more when it is whole; one undo takes all of it back; and whatever
// reads the box for a click gets the whole paste at once.
void TstRenameByList::aLongPasteLandsWholeInSlicesAndIsPreviewedAsItWillBe() {
    testing::TempFolder f;
    for (const char* n : {"a.txt", "b.txt", "c.txt"}) f.file(n, n);
    Fixture x(f);
    QVERIFY(x.settle());
    auto* box = qobject_cast<TextBox*>(&x.box());
    QVERIFY(box);
    box->setPlainText(QStringLiteral("头\n尾"));
    QTextCursor at = box->textCursor();
    at.setPosition(1);
    at.setPosition(2, QTextCursor::KeepAnchor);  // the line break between 头 and 尾 is replaced
    box->setTextCursor(at);
    QString pasted;
    for (int i = 1; i <= 4500; ++i) pasted += QStringLiteral("第%1行\r\n").arg(i);
    pasted += QStringLiteral("不换行\u00A0空格\u2028行内换行\r末行");
    const QString whole = QStringLiteral("头") +
                          QString(pasted)
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                              .replace(QChar(0x00A0), QChar(u' '))
                              .replace(QChar(0x2028), QChar(u'\n'))
                              .replace(QChar(u'\r'), QChar(u'\n')) +
                          QStringLiteral("尾");
    int told = 0;
    connect(box, &QPlainTextEdit::textChanged, [&told] { ++told; });
    QApplication::clipboard()->setText(pasted);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(box->pasting());
    QCOMPARE(told, 1);
    QCOMPARE(box->plainText(), whole);
    QTest::keyClick(box, Qt::Key_X);  // not typed into the middle of the paste
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：列表有4503行，要改名的有3个"));
    QVERIFY(QTest::qWaitFor([box] { return !box->pasting(); }, 20000));
    QCOMPARE(told, 2);
    QCOMPARE(box->toPlainText(), whole);
    QVERIFY(x.settle());
    QCOMPARE(x.status(), QStringLiteral("按列表改名：列表有4503行，要改名的有3个"));
    box->undo();
    QCOMPARE(box->toPlainText(), QStringLiteral("头\n尾"));

    box->selectAll();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(box->pasting());
    QCOMPARE(x.app.window().content(component::编辑框_名称列表).toUtf8(),
             QString(whole).remove(0, 1).chopped(1).toStdString());
    QVERIFY(!box->pasting());

    // Emptied by code while a paste lands: the rest of the paste does not come after.
    box->clear();
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QVERIFY(box->pasting());
    box->clear();
    QVERIFY(!box->pasting());
    QVERIFY(!box->isReadOnly());
    QVERIFY(x.settle());
    QCOMPARE(box->toPlainText(), QString());
}

QTEST_MAIN(TstRenameByList)
#include "tst_rename_by_list.moc"
