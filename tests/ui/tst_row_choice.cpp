// Choosing what the rules rename, through the real window: the rows' check boxes, the filter, and
// rows that stay the entries of the current folder.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>

#include "app/application.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_driver.h"
#include "ui/list_model.h"
#include "ui/preview_controller.h"
#include "ui/sorted_rows.h"

using namespace velmora;

class TstRowChoice : public QObject {
    Q_OBJECT
private slots:
    void init() {
        state_ = std::make_unique<QTemporaryDir>();
        qputenv("VELMORA_STATE_DIR", state_->path().toUtf8());
    }
    void checksAndTheFilterChooseWhatIsRenamedAndStayThroughRunUndoAndSort();
    void spaceTheMenuAndSelectAllCheckSelectedRows();
    void rowsAreTheEntriesOfTheFolderAsItIsNow();
    void numberingCountsTheCheckedRowsInTheOrderSorted();
    void theListPairsItsLinesWithTheCheckedRowsShown();

private:
    std::unique_ptr<QTemporaryDir> state_;
};

namespace {

struct Velmora : testing::WindowDriver {
    using WindowDriver::WindowDriver;
    SortedRows& shown() { return main.shownRows(); }
    QTreeView& view() { return *main.component<QTreeView>("超级列表框1"); }
    bool checked(const char* name) { return rows().checked(row(name)); }
    void setChecked(const char* name, bool on) {
        rows().setData(rows().index(row(name), 0), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }
    void filter(const QString& typed) { main.component<QLineEdit>("编辑框_筛选")->setText(typed); }
    void selectShown(std::initializer_list<int> shownRows) {
        view().selectionModel()->clear();
        for (int r : shownRows)
            view().selectionModel()->select(shown().index(r, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};

}  // namespace

void TstRowChoice::checksAndTheFilterChooseWhatIsRenamedAndStayThroughRunUndoAndSort() {
    testing::TempFolder f;
    for (const char* n : {"a.mp4", "b.mp4", "c.txt", "d.MP4"}) f.file(n);
    Velmora w(f);
    QCOMPARE(w.rows().rowCount(), 4);
    for (const char* n : {"a.mp4", "b.mp4", "c.txt", "d.MP4"}) QVERIFY2(w.checked(n), n);  // checked on loading
    QCOMPARE(w.main.component<QLabel>("标签_筛选")->text(), QStringLiteral("筛选："));
    w.setChecked("b.mp4", false);
    w.filter(QStringLiteral("*.mp4"));
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"a.mp4", "b.mp4", "d.MP4"}));
    w.main.component<QLineEdit>("编辑框6")->setFocus();
    QTest::keyClicks(w.main.component<QLineEdit>("编辑框6"), QStringLiteral("x"));
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("最前面加：将更名2个，另有2个未选"));
    QCOMPARE(w.second("a.mp4"), QStringLiteral("xa.mp4"));
    QCOMPARE(w.second("b.mp4"), QStringLiteral("b.mp4"));  // left alone: its name, in grey
    QCOMPARE(w.rows().data(w.rows().index(w.row("b.mp4"), 1), Qt::ForegroundRole).value<QBrush>().color(),
             QColor(128, 128, 128));
    QCOMPARE(w.second("c.txt"), QStringLiteral("c.txt"));

    w.main.component<QPushButton>("按钮_加前缀")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"xa.mp4", "b.mp4", "c.txt", "xd.MP4"}));
    QVERIFY(w.settle());
    QVERIFY(!w.checked("b.mp4"));
    QVERIFY(w.checked("a.mp4"));
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"a.mp4", "b.mp4", "d.MP4"}));  // the filter holds

    // Undone: the same rows keep their checks.
    w.main.component<QPushButton>("按钮_撤销")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "b.mp4", "c.txt", "d.MP4"}));
    QVERIFY(w.settle());
    QVERIFY(!w.checked("b.mp4"));
    QVERIFY(w.checked("a.mp4") && w.checked("d.MP4"));

    // Sorted backwards: the check box goes with its row.
    w.shown().setOrder(SortedRows::Order::Reversed);
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"d.MP4", "b.mp4", "a.mp4"}));
    QCOMPARE(w.shown().data(w.shown().index(1, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QCOMPARE(w.shown().data(w.shown().index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);

    // The filter's patterns: several, without case, ?, and none matching at all.
    w.filter(QStringLiteral("?.TXT;   b*"));
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"c.txt", "b.mp4"}));
    w.filter(QStringLiteral("*.avi"));
    QVERIFY(w.shownNames().empty());
    QTest::keyClicks(w.main.component<QLineEdit>("编辑框6"), QStringLiteral("y"));  // the rule in view again
    QVERIFY(w.settle());
    QCOMPARE(w.status(), QStringLiteral("最前面加：将更名0个，另有4个未选"));
    w.main.component<QPushButton>("按钮_加前缀")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "b.mp4", "c.txt", "d.MP4"}));
    w.filter(QString());
    QCOMPARE(w.shownNames().size(), std::size_t{4});
    QVERIFY(!w.checked("b.mp4"));
}

void TstRowChoice::spaceTheMenuAndSelectAllCheckSelectedRows() {
    testing::TempFolder f;
    for (const char* n : {"1.mp4", "2.mp4", "3.mp4", "4.mp4"}) f.file(n);
    Velmora w(f);
    const auto checks = [&w] {
        std::string s;
        for (const char* n : {"1.mp4", "2.mp4", "3.mp4", "4.mp4"}) s += w.checked(n) ? 'x' : '-';
        return s;
    };
    w.view().setFocus();
    w.selectShown({1, 2});
    QTest::keyClick(&w.view(), Qt::Key_Space);
    QCOMPARE(checks(), std::string("x--x"));
    w.selectShown({0, 1});
    QTest::keyClick(&w.view(), Qt::Key_Space);  // not every selected row checked: all get checked
    QCOMPARE(checks(), std::string("xx-x"));
    QTest::keyClick(&w.view(), Qt::Key_Space);
    QCOMPARE(checks(), std::string("---x"));

    QTest::keyClick(&w.view(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.view().selectionModel()->selectedRows().size(), 4);

    auto* menu = w.view().findChild<QMenu*>(QStringLiteral("勾选菜单"));
    QVERIFY(menu);
    const auto act = [menu](const char* text) {
        for (QAction* a : menu->actions())
            if (a->text() == QString::fromUtf8(text)) return a->trigger();
        QFAIL(text);
    };
    act("反向勾选");
    QCOMPARE(checks(), std::string("xxx-"));
    act("全部不勾选");
    QCOMPARE(checks(), std::string("----"));
    act("全部勾选");
    QCOMPARE(checks(), std::string("xxxx"));
    w.shown().setOrder(SortedRows::Order::Reversed);  // shown rows 0 and 3: 4.mp4 and 1.mp4
    w.selectShown({0, 3});
    act("只勾选选中的行");
    QCOMPARE(checks(), std::string("x--x"));
}

void TstRowChoice::rowsAreTheEntriesOfTheFolderAsItIsNow() {
    testing::TempFolder f;
    f.file("a.mp4");
    f.folder("季1");
    Velmora w(f);
    w.setChecked("a.mp4", false);
    w.main.component<QPushButton>("按钮1")->click();  // the same folder again: its rows once, afresh
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"a.mp4"}));
    QVERIFY(w.checked("a.mp4"));
    w.setChecked("a.mp4", false);
    QVERIFY(w.settle());

    // What others do in the folder: a new file comes checked, the unchecked one keeps its check.
    f.file("b.mp4");
    QTRY_COMPARE_WITH_TIMEOUT(w.shownNames(), (std::vector<std::string>{"a.mp4", "b.mp4"}), 5000);
    QVERIFY(w.checked("b.mp4"));
    QVERIFY(!w.checked("a.mp4"));
    QVERIFY(std::remove((f.path() + "b.mp4").c_str()) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.shownNames(), (std::vector<std::string>{"a.mp4"}), 5000);
    // Renamed by another program: the row follows its entry, check and all.
    QVERIFY(std::rename((f.path() + "a.mp4").c_str(), (f.path() + "z.mp4").c_str()) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.second("a.mp4"), QStringLiteral("z.mp4"), 5000);
    QCOMPARE(w.rows().rowCount(), 1);
    QVERIFY(!w.checked("a.mp4"));
    QVERIFY(std::rename((f.path() + "z.mp4").c_str(), (f.path() + "a.mp4").c_str()) == 0);
    QTRY_COMPARE_WITH_TIMEOUT(w.second("a.mp4"), QStringLiteral("a.mp4"), 5000);

    // The kind boxes list again.
    w.main.component<QCheckBox>("选择框2")->click();
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"季1"}));
    w.main.component<QCheckBox>("选择框1")->click();
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"a.mp4"}));

    // 按钮13 clears the inputs and keeps folder and rows.
    w.main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("x"));
    w.main.component<QPushButton>("按钮13")->click();
    QCOMPARE(w.app.window().currentFolder().toUtf8(), f.path());
    QCOMPARE(w.shownNames(), (std::vector<std::string>{"a.mp4"}));

    // 按钮9 forgets the folder with its rows; the rules then ask for one.
    w.main.component<QPushButton>("按钮9")->click();
    QVERIFY(w.shownNames().empty());
    QCOMPARE(w.app.window().currentFolder(), Text{});
    QVERIFY(w.status().contains(QStringLiteral("手动读取")));
    w.main.component<QLineEdit>("编辑框6")->setText(QStringLiteral("x"));
    w.boxes.clear();
    w.main.component<QPushButton>("按钮_加前缀")->click();
    QCOMPARE(w.boxes, (std::vector<std::string>{"路径呢？"}));
    QCOMPARE(f.entries(), (std::set<std::string>{"a.mp4", "季1/"}));
}

void TstRowChoice::numberingCountsTheCheckedRowsInTheOrderSorted() {
    testing::TempFolder f;
    for (const char* n : {"第2课.mp4", "第10课.mp4", "第1课.mp4", "第3课.mp4"}) f.file(n);
    Velmora w(f);
    w.setChecked("第3课.mp4", false);
    // In the loading order the rule numbers in natural order; sorted by the header, as shown.
    w.shown().setOrder(SortedRows::Order::Reversed);
    w.main.component<QPushButton>("按钮_加序号")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"第10课 01.mp4", "第2课 02.mp4", "第1课 03.mp4", "第3课.mp4"}));
    QVERIFY(w.settle());
    w.shown().setOrder(SortedRows::Order::Loading);
    w.main.component<QPushButton>("按钮_撤销")->click();
    QVERIFY(w.settle());
    w.main.component<QPushButton>("按钮_加序号")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"第1课 01.mp4", "第2课 02.mp4", "第10课 03.mp4", "第3课.mp4"}));
}

void TstRowChoice::theListPairsItsLinesWithTheCheckedRowsShown() {
    testing::TempFolder f;
    for (const char* n : {"第1课.mp4", "第2课.mp4", "第3课.mp4", "第4课.mp4", "说明.txt"}) f.file(n, n);
    Velmora w(f);
    w.main.component<QTabWidget>("高级选择夹1")->setCurrentIndex(4);
    w.setChecked("第2课.mp4", false);
    w.filter(QStringLiteral("*.MP4"));
    auto* list = w.main.component<QPlainTextEdit>("编辑框_名称列表");
    list->setPlainText(QStringLiteral("一\n二"));
    QVERIFY(w.settle());
    // Three rows are worked on: the unchecked one and the hidden 说明.txt take no line.
    QCOMPARE(w.status(), QStringLiteral("按列表改名：列表有2行，要改名的有3个，另有2个未选"));
    list->setPlainText(QStringLiteral("一\n三\n四"));
    QVERIFY(w.settle());
    QCOMPARE(w.second("第3课.mp4"), QStringLiteral("三.mp4"));
    QCOMPARE(w.second("第2课.mp4"), QStringLiteral("第2课.mp4"));
    w.main.component<QPushButton>("按钮_按列表改名")->click();
    QCOMPARE(f.entries(), (std::set<std::string>{"一.mp4", "第2课.mp4", "三.mp4", "四.mp4", "说明.txt"}));
    QCOMPARE(f.read("四.mp4"), std::string("第4课.mp4"));
}

QTEST_MAIN(TstRowChoice)
#include "tst_row_choice.moc"
