// Sub-folders through the real window: the rows and the rules reach every folder below the chosen
// one, each entry renamed in its own folder, folders after the entries inside them.
#include <unistd.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/application.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_driver.h"
#include "ui/list_model.h"
#include "ui/preview_controller.h"

using namespace velmora;

class TstSubfolders : public QObject {
    Q_OBJECT
private slots:
    void init() {
        state_ = std::make_unique<QTemporaryDir>();
        qputenv("VELMORA_STATE_DIR", state_->path().toUtf8());
    }
    void filesAtThreeDepthsAreRenamedInTheirOwnFoldersAndTakenBack();
    void foldersAreRenamedAfterTheEntriesInsideThem();
    void numbersStartAgainInEachFolderWhenAsked();

private:
    std::unique_ptr<QTemporaryDir> state_;
};

namespace {

using Tree = std::set<std::string>;

struct Velmora : testing::WindowDriver {
    using WindowDriver::WindowDriver;
    void click(const char* name) { main.component<QAbstractButton>(name)->click(); }
    void type(const char* box, const QString& text) {
        auto* edit = main.component<QLineEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

}  // namespace

void TstSubfolders::filesAtThreeDepthsAreRenamedInTheirOwnFoldersAndTakenBack() {
    testing::TempFolder f;
    testing::TempFolder outside;
    outside.file("外面.mp4");
    for (const char* d : {"第1季", "第1季/花絮", "第2季"}) f.folder(d);
    for (const char* n : {"说明.txt", "第1季/第1集.mp4", "第1季/第10集.mp4", "第1季/第2集.mp4", "第1季/花絮/1.mp4",
                          "第1季/花絮/01.mp4", "第2季/1.mp4"})
        f.file(n, n);
    // A link to a folder elsewhere is not entered.
    QVERIFY(symlink(outside.path().c_str(), (f.path() + "链接").c_str()) == 0);
    const Tree original = f.tree();
    Velmora w(f);
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"说明.txt"}));  // without the box: the folder itself

    w.click("选择框_包括子文件夹");
    QCOMPARE(w.shownNames(),
             (std::vector<std::string>{"第1季/第1集.mp4", "第1季/第2集.mp4", "第1季/第10集.mp4", "第1季/花絮/01.mp4",
                                       "第1季/花絮/1.mp4", "第2季/1.mp4", "说明.txt"}));

    // Padded to two digits: 1.mp4 of 花絮 meets the 01.mp4 beside it, while 第2季's is free,
    // although another folder holds the same name.
    w.main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(1);
    w.main.component<QPushButton>("按钮11")->setFocus();  // its preview, without a click
    QVERIFY(w.settle());
    QCOMPARE(w.second("第2季/1.mp4"), QStringLiteral("第2季/01.mp4"));
    QCOMPARE(w.second("第1季/第1集.mp4"), QStringLiteral("第1季/第01集.mp4"));  // the folder's own number kept
    QVERIFY2(w.second("第1季/花絮/1.mp4").contains(QStringLiteral("✗")), qPrintable(w.second("第1季/花絮/1.mp4")));

    // A prefix on every file at every depth, each in its own folder; a swap of names never.
    w.main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(2);
    w.type("编辑框6", QStringLiteral("n"));
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("最前面加：将更名7个"));
    QCOMPARE(w.second("第1季/花絮/01.mp4"), QStringLiteral("第1季/花絮/n01.mp4"));
    w.click("按钮_加前缀");
    QCOMPARE(f.tree(),
             (Tree{"第1季/", "第1季/n第1集.mp4", "第1季/n第10集.mp4", "第1季/n第2集.mp4", "第1季/花絮/",
                   "第1季/花絮/n1.mp4", "第1季/花絮/n01.mp4", "第2季/", "第2季/n1.mp4", "n说明.txt", "链接"}));
    QCOMPARE(f.read("第1季/花絮/n01.mp4"), std::string("第1季/花絮/01.mp4"));
    QCOMPARE(outside.entries(), (Tree{"外面.mp4"}));
    QVERIFY(w.settle());
    QCOMPARE(w.second("第1季/花絮/01.mp4"), QStringLiteral("第1季/花絮/n01.mp4"));

    // Undone across the folders, and made again.
    w.click("按钮_撤销");
    QCOMPARE(f.tree(), original);
    QCOMPARE(w.boxes.back(), std::string("撤销了7个"));
    QTest::keyClick(&w.main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.read("第2季/n1.mp4"), std::string("第2季/1.mp4"));
    QCOMPARE(w.boxes.back(), std::string("重做了7个"));
}

void TstSubfolders::foldersAreRenamedAfterTheEntriesInsideThem() {
    testing::TempFolder f;
    for (const char* d : {"A", "A/B", "A/B/C", "D"}) f.folder(d);
    f.file("A/B/C/f.txt", "f");
    f.file("A/g.txt", "g");
    const Tree original = f.tree();
    Velmora w(f);
    w.click("选择框2");
    w.click("选择框_包括子文件夹");
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"A", "A/B", "A/B/C", "D"}));
    w.main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(2);
    w.type("编辑框6", QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.second("A/B/C"), QStringLiteral("A/B/xC"));
    w.click("按钮_加前缀");
    QCOMPARE(f.tree(), (Tree{"xA/", "xA/g.txt", "xA/xB/", "xA/xB/xC/", "xA/xB/xC/f.txt", "xD/"}));
    // The rows follow their entries to where the run put them.
    QVERIFY(w.settle());
    QTRY_COMPARE_WITH_TIMEOUT(w.second("A/B/C"), QStringLiteral("xA/xB/xC"), 5000);

    w.click("按钮_撤销");
    QCOMPARE(f.tree(), original);
    QCOMPARE(w.boxes.back(), std::string("撤销了4个"));
}

void TstSubfolders::numbersStartAgainInEachFolderWhenAsked() {
    testing::TempFolder f;
    for (const char* d : {"第1季", "第2季"}) f.folder(d);
    for (const char* n : {"第1季/b.mp4", "第1季/a.mp4", "第2季/c.mp4", "第2季/d.mp4"}) f.file(n);
    Velmora w(f);
    w.click("选择框_包括子文件夹");
    w.main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(3);
    auto* perFolder = w.main.component<QCheckBox>("选择框_每个文件夹重新编号");
    QCOMPARE(perFolder->text(), QStringLiteral("每个文件夹重新编号"));
    QVERIFY(!perFolder->isChecked());
    w.main.component<QLineEdit>("编辑框_模板")->setText(QStringLiteral("第#集"));
    w.click("按钮_加序号");
    QCOMPARE(f.tree(),
             (Tree{"第1季/", "第1季/第1集.mp4", "第1季/第2集.mp4", "第2季/", "第2季/第3集.mp4", "第2季/第4集.mp4"}));
    QVERIFY(w.settle());
    w.click("按钮_撤销");
    QVERIFY(w.settle());

    // Started again in each folder: the same new names in two folders collide with nothing.
    w.click("选择框_每个文件夹重新编号");
    QVERIFY(w.settle());
    QCOMPARE(w.second("第2季/c.mp4"), QStringLiteral("第2季/第1集.mp4"));
    w.click("按钮_加序号");
    QCOMPARE(f.tree(),
             (Tree{"第1季/", "第1季/第1集.mp4", "第1季/第2集.mp4", "第2季/", "第2季/第1集.mp4", "第2季/第2集.mp4"}));
}

QTEST_MAIN(TstSubfolders)
#include "tst_subfolders.moc"
