// Choosing rows at scale, through the real window with a rule in view: 反向勾选 over every row
// (half of them checked before), and a filter typed key by key. What counts is the longest time
// the event loop goes without turning, and how long after the last change the preview is complete.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/application.h"
#include "interaction/folder_loading.h"
#include "ui/list_model.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// The longest stretch between two turns of the event loop while it runs.
class Turns {
public:
    Turns() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { turned(); });
        last_ = Clock::now();
        timer_.start(0);
    }
    double longestMs() {
        turned();
        return longest_;
    }

private:
    void turned() {
        longest_ = std::max(longest_, msSince(last_));
        last_ = Clock::now();
    }
    QTimer timer_;
    Clock::time_point last_;
    double longest_ = 0;
};

void settle(Application& app) {
    while (app.preview().pending() || !app.preview().watching()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

}  // namespace

void benchRowChoice(Application& app, int n) {
    const std::string folder = std::filesystem::temp_directory_path() / ("velmora-choice-" + std::to_string(n)) / "";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    static const char* const kinds[] = {".mp4", ".mkv", ".srt", ".txt"};
    for (int i = 0; i < n; ++i) std::ofstream(folder + "第" + std::to_string(i) + "集 片名" + kinds[i % 4]).close();
    MainWindow& main = app.mainWindow();
    loadOpenedFolder(app.window(), app.session(), Text::fromUtf8(folder));
    auto* suffix = main.component<QLineEdit>("编辑框7");
    suffix->setFocus();
    QTest::keyClicks(suffix, QStringLiteral("-x"));
    settle(app);
    RowModel& rows = main.rows();
    std::vector<int> half;
    for (int r = 0; r < rows.rowCount(); r += 2) half.push_back(r);
    rows.checkOnly(half);
    settle(app);

    double invertGap = 0, invertDone = 0;
    {
        Turns turns;
        const auto start = Clock::now();
        rows.invertChecks();
        settle(app);
        invertDone = msSince(start);
        invertGap = turns.longestMs();
    }
    auto* filter = main.component<QLineEdit>("编辑框_筛选");
    double filterGap = 0, filterDone = 0;
    {
        Turns turns;
        for (QChar c : QStringLiteral("*.mp4")) {
            QTest::keyClick(filter, c.toLatin1());
            QApplication::processEvents();
        }
        const auto lastKey = Clock::now();
        settle(app);
        filterDone = msSince(lastKey);
        filterGap = turns.longestMs();
    }
    std::printf(
        "N = %d choosing rows: 反向勾选 of %d rows: longest event gap %.0f ms, preview complete after "
        "%.0f ms; filter *.mp4 typed: longest event gap %.0f ms, preview complete %.0f ms after the "
        "last key (%d rows shown)\n",
        n, n, invertGap, invertDone, filterGap, filterDone, app.window().list().rowCount());
    std::fflush(stdout);
    filter->clear();
    suffix->clear();
    forgetFolder(app.window());
    std::filesystem::remove_all(folder);
}

}  // namespace velmora
