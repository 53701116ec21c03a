// The plan view of a confirmation: its rows are the plan's lines, made only when drawn.
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "core/plan/plan.h"
#include "interaction/plan_lines.h"
#include "tests/support/temp_folder.h"
#include "ui/plan_view.h"
#include "ui/qt_window.h"

using namespace velmora;

class TstPlanView : public QObject {
    Q_OBJECT
private slots:
    void rowsAreThePlanLinesInOrderWithTheirMarks();
    void aMillionStepsOpenWithoutMakingEveryLine();
    void farRowsGetTheirMarksWithoutBeingAskedFor();
    void selectAllAndCopyGiveTheSelectedLinesInOrder();
    void longLinesScrollSideways();
    void aLineLongestByItsMarkFitsToo();
};

namespace {

using Steps = std::vector<std::pair<std::string, std::string>>;  // (old, new), UTF-8

PlanLines::StepAt stepsAt(const Steps& steps) {
    return [steps](std::size_t i) {
        return PlanStep{steps[i].first, Text::fromUtf8(steps[i].first), true, Text::fromUtf8(steps[i].second)};
    };
}

std::unique_ptr<PlanLines> planOf(const testing::TempFolder& f, const Steps& steps) {
    return std::make_unique<PlanLines>(Text::fromUtf8(f.path()), steps.size(), stepsAt(steps));
}

QStringList rows(const QAbstractItemModel& model) {
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r) out << model.index(r, 0).data().toString();
    return out;
}

}  // namespace

void TstPlanView::rowsAreThePlanLinesInOrderWithTheirMarks() {
    testing::TempFolder f;
    for (const char* name : {"b.mp4", "a.mp4", "第1集.mkv", "x", "h1.mp4"}) f.file(name);
    QCOMPARE(link((f.path() + "h1.mp4").c_str(), (f.path() + "h2.mp4").c_str()), 0);
    const Steps steps = {{"b.mp4", "c.mp4"},  // b is free afterwards
                         {"a.mp4", "b.mp4"},  // so a may take it
                         {"第1集.mkv", "b.mp4"},  // which is now taken by this run
                         {"x", "a.mp4"},  // a was vacated too
                         {"y", "第1集.mkv"},  // an entry still on disk
                         {"z", "../z"},          {"h1.mp4", "h2.mp4"}};  // another link of the same file holds the name
    PlanModel model(planOf(f, steps), QApplication::font());
    const QStringList expected = {QStringLiteral("b.mp4 → c.mp4"),
                                  QStringLiteral("a.mp4 → b.mp4"),
                                  QStringLiteral("第1集.mkv → b.mp4  ✗ 本次前面的改名已占用这个名称"),
                                  QStringLiteral("x → a.mp4"),
                                  QStringLiteral("y → 第1集.mkv  ✗ 已有同名"),
                                  QStringLiteral("z → ../z  ✗ 会移出文件夹"),
                                  QStringLiteral("h1.mp4 → h2.mp4  ✗ 已有同名")};
    QCOMPARE(rows(model), expected);
    // The same lines as the whole plan described at once.
    QStringList described;
    RunPlan plan;
    plan.folder = Text::fromUtf8(f.path());
    auto listing = std::make_shared<NameList>();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        listing->addNative(steps[i].first);
        plan.steps.push_back({i, Text::fromUtf8(steps[i].second)});
    }
    plan.listing = listing;
    for (const Text& line : describePlan(plan)) described << toQString(line);
    QCOMPARE(described, expected);
}

void TstPlanView::aMillionStepsOpenWithoutMakingEveryLine() {
    testing::TempFolder f;
    constexpr std::size_t n = 1000000;
    std::size_t made = 0;
    auto lines = std::make_unique<PlanLines>(Text::fromUtf8(f.path()), n, [&made](std::size_t i) {
        ++made;
        const std::string name = std::to_string(i);
        return PlanStep{name, Text::fromUtf8(name), true, Text::fromUtf8(name + "-x")};
    });
    PlanView view;
    view.setModel(new PlanModel(std::move(lines), view.font(), &view));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.model()->rowCount(), int(n));
    QVERIFY2(made < 20000, qPrintable(QString::number(made)));
    view.scrollToBottom();
    QApplication::processEvents();
    QCOMPARE(view.model()->index(int(n) - 1, 0).data().toString(), QStringLiteral("999999 → 999999-x"));
    QVERIFY2(made < 40000, qPrintable(QString::number(made)));
}

void TstPlanView::farRowsGetTheirMarksWithoutBeingAskedFor() {
    testing::TempFolder f;
    f.file("taken");
    Steps steps;
    for (int i = 0; i < 20000; ++i) steps.push_back({"f" + std::to_string(i), "g" + std::to_string(i)});
    steps.back().second = "taken";
    PlanModel model(planOf(f, steps), QApplication::font());
    const QModelIndex last = model.index(19999, 0);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(last.data().toString(), QStringLiteral("f19999 → taken"));  // not checked yet
    // Copied before its turn, a row is checked first: the clipboard never lacks a mark.
    QCOMPARE(model.text({19999}), QStringLiteral("f19999 → taken  ✗ 已有同名\n"));
    QTRY_COMPARE(last.data().toString(), QStringLiteral("f19999 → taken  ✗ 已有同名"));
    // The view hears of it, so a row drawn without its mark is drawn again.
    const auto announced = [&changed] {
        for (const QList<QVariant>& args : changed)
            if (args[0].toModelIndex().row() <= 19999 && args[1].toModelIndex().row() >= 19999) return true;
        return false;
    };
    QTRY_VERIFY(announced());
}

void TstPlanView::selectAllAndCopyGiveTheSelectedLinesInOrder() {
    testing::TempFolder f;
    f.file("a1");
    const Steps steps = {{"a0", "b0"}, {"a1", "b1"}, {"a2", "a1"}, {"a3", "b3"}, {"a4", "b4"}};
    PlanView view;
    view.setModel(new PlanModel(planOf(f, steps), view.font(), &view));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a0 → b0\na1 → b1\na2 → a1\na3 → b3\na4 → b4\n"));
    // Chosen out of order, copied in order.
    view.selectionModel()->select(view.model()->index(3, 0), QItemSelectionModel::ClearAndSelect);
    view.selectionModel()->select(view.model()->index(0, 0), QItemSelectionModel::Select);
    view.selectionModel()->select(view.model()->index(2, 0), QItemSelectionModel::Select);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("a0 → b0\na2 → a1\na3 → b3\n"));
}

void TstPlanView::longLinesScrollSideways() {
    testing::TempFolder f;
    Steps steps;
    for (int i = 0; i < 9000; ++i) steps.push_back({"s" + std::to_string(i), "t" + std::to_string(i)});
    const std::string longName(200, 'w');
    steps[8999].second = longName;  // beyond what is checked on opening
    PlanView view;
    auto* model = new PlanModel(planOf(f, steps), view.font(), &view);
    view.setModel(model);
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int before = view.horizontalScrollBar()->maximum();
    model->checkAll();
    QApplication::processEvents();
    QVERIFY2(view.horizontalScrollBar()->maximum() > before + 1000,
             qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(view.horizontalScrollBar()->maximum())));
    // The end of the long line can be brought into sight.
    view.scrollToBottom();
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    const QRect shown = view.visualRect(model->index(8999, 0));
    const int textWidth = view.fontMetrics().horizontalAdvance(model->index(8999, 0).data().toString());
    QVERIFY2(shown.left() + textWidth <= view.viewport()->width(),
             qPrintable(QString::number(shown.left() + textWidth)));
}

// The rows are as wide as the widest line, and a failing line is widest by its mark here.
void TstPlanView::aLineLongestByItsMarkFitsToo() {
    testing::TempFolder f;
    f.file("taken");
    const Steps steps = {{"aaaaaaa", "bbbbbbbb"}, {std::string(23, 'c'), "taken"}};
    PlanModel model(planOf(f, steps), QApplication::font());
    QCOMPARE(model.index(1, 0).data().toString(),
             QString::fromStdString(std::string(23, 'c') + " → taken  ✗ 已有同名"));
    const int width = model.index(0, 0).data(Qt::SizeHintRole).toSize().width();
    const QFontMetrics metrics(QApplication::font());
    for (int row : {0, 1}) {
        const int needed = metrics.horizontalAdvance(model.index(row, 0).data().toString());
        QVERIFY2(needed <= width, qPrintable(QStringLiteral("row %1: %2 > %3").arg(row).arg(needed).arg(width)));
    }
}

QTEST_MAIN(TstPlanView)
#include "tst_plan_view.moc"
