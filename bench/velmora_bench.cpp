// Benchmarks: every figure is a ratio to a baseline measured in the same run on an identical
// folder, so the machine's speed and noise cancel out as far as they can.
//
//   velmora-bench [output folder]          all benchmarks, a plot of time per file
//   velmora-bench --memory N               (internal) peak memory of N rows, in a fresh process
//   velmora-bench --run-memory FOLDER      (internal) peak memory of a suffix run over FOLDER
//   velmora-bench --user-run-memory FOLDER (internal) the same with rows loaded and the preview on
//   velmora-bench --plan-open FOLDER       (internal) opening the plan of a run over FOLDER
//   velmora-bench --load FOLDER            loading an existing FOLDER against readdir and sort
//   velmora-bench --rename FOLDER          a suffix run over an existing FOLDER against renameat2
//   velmora-bench --rename-case FOLDER     lower-casing the extensions of FOLDER's IMG_00001.JPG …
//                                          against renameat2, every pass starting from .JPG
//
// VELMORA_BENCH_N=N measures only that N; VELMORA_BENCH_PREVIEW_ONLY, _HISTORY_ONLY and _MEMORY_ONLY
// measure only the live preview, the history's cost, or peak memory and the plan view;
// VELMORA_BENCH_TIME_ONLY only the times of renaming and loading (the exFAT card included);
// VELMORA_BENCH_EXFAT_ONLY only renaming on an exFAT card through FUSE (root, /dev/fuse and loop
// devices; skipped with a loud line without them), VELMORA_BENCH_EXFAT_ROUNDS=R its rounds (3);
// VELMORA_BENCH_STAGES prints the memory of the user run at each stage (rows loaded, preview shown)
// to stderr.
//
// BENCH_N=1000000 adds that N to the sizes measured (the million is left out by default).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/application.h"
#include "bench/gap_meter.h"
#include "core/text/encoding.h"
#include "core/text/text.h"
#include "tests/support/disk_image.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace fs = std::filesystem;
using namespace velmora;
using Clock = std::chrono::steady_clock;

void benchRenameByList(Application& app, const std::vector<int>& sizes);  // list_bench.cpp

namespace {

constexpr int kRuns = 5;
constexpr long kFuseMagic = 0x65735546;  ///< statfs's f_type of a FUSE disk
constexpr int kJournalRuns = 9;  ///< the history's few percent need more runs to rise above the noise
const char* kNeedle = "视频";

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Names of 32 to 59 bytes, Chinese and ASCII, every one holding the needle.
std::vector<std::string> makeNames(int n) {
    static const char* words[] = {"第", "课", "lesson", "notes", "高清", "final", "上", "下", "part", "合集", "review"};
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(n));
    unsigned state = 12345;
    for (int i = 0; i < n; ++i) {
        std::string name = std::to_string(i + 1) + " ";
        const std::size_t target = 32 + (state = state * 1103515245u + 12345u) % 24;
        name += kNeedle;
        while (name.size() + 4 < target) {
            state = state * 1103515245u + 12345u;
            name += words[(state >> 16) % 11];
            name += (state >> 8) % 3 == 0 ? " " : "-";
        }
        name += ".mp4";
        names.push_back(name);
    }
    return names;
}

std::string makeFolder(const std::vector<std::string>& names, const fs::path& parent = fs::temp_directory_path()) {
    std::string pattern = (parent / "velmora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    const int dir = open(pattern.c_str(), O_RDONLY | O_DIRECTORY);
    for (const std::string& n : names) close(openat(dir, n.c_str(), O_CREAT | O_WRONLY, 0644));
    close(dir);
    return pattern + "/";
}

void removeFolder(const std::string& path) { fs::remove_all(path); }

std::vector<std::string> readNames(int dir) {
    std::vector<std::string> names;
    DIR* d = fdopendir(dup(dir));
    while (dirent* e = readdir(d))
        if (e->d_name[0] != '.' || (e->d_name[1] && (e->d_name[1] != '.' || e->d_name[2])))
            names.emplace_back(e->d_name);
    closedir(d);
    return names;
}

// What a timed run does to every name, through the window and in the C loop alike. The upper-case
// extension only puts the names of a letter-case pass back, untimed.
enum class Change { Suffix, DeleteNeedle, LowerExtension, UpperExtension };

std::string changed(std::string name, Change change) {
    switch (change) {
    case Change::Suffix:
        name.insert(name.size() - 4, "-x");
        break;
    case Change::DeleteNeedle:
        name.erase(name.find(kNeedle), std::strlen(kNeedle));
        break;
    case Change::LowerExtension:
    case Change::UpperExtension:
        for (std::size_t i = name.rfind('.') + 1; i < name.size(); ++i) {
            const auto c = static_cast<unsigned char>(name[i]);
            name[i] = static_cast<char>(change == Change::LowerExtension ? std::tolower(c) : std::toupper(c));
        }
        break;
    }
    return name;
}

// The C loop: names read first, then one renameat2 each, with the no-replace flag except on a
// FUSE disk: exFAT through exfat-fuse refuses the flag, and where names differ in case only the
// kernel finds the new name taken by the entry itself. A loop that fails to rename would be fast
// for nothing, so failures are told.
double baselineRename(const std::string& folder, Change change) {
    const auto start = Clock::now();
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const auto names = readNames(dir);
    struct statfs disk {};
    const unsigned flags = fstatfs(dir, &disk) == 0 && disk.f_type == kFuseMagic ? 0 : RENAME_NOREPLACE;
    std::size_t failed = 0;
    for (const std::string& name : names) {
        const std::string to = changed(name, change);
        if (renameat2(dir, name.c_str(), dir, to.c_str(), flags) != 0) ++failed;
    }
    close(dir);
    const double took = seconds(Clock::now() - start);
    if (failed > 0) std::fprintf(stderr, "*** the renameat2 loop failed %zu of %zu renames\n", failed, names.size());
    return took;
}

// Before and after a timed pass every entry of folder is to have a name ending in ending: a pass
// that left names alone, or found them renamed already, would be fast for nothing.
void expectNamesEnding(const std::string& folder, const std::string& ending, const char* pass) {
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    const auto names = readNames(dir);
    close(dir);
    const auto good = std::count_if(names.begin(), names.end(), [&](const std::string& name) {
        return name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
    });
    if (static_cast<std::size_t>(good) != names.size())
        std::fprintf(stderr, "*** %s: only %ld of %zu names end in %s\n", pass, static_cast<long>(good), names.size(),
                     ending.c_str());
}

double baselineLoad(const std::string& folder) {
    const auto start = Clock::now();
    const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<std::string> names = readNames(dir);
    std::sort(names.begin(), names.end());
    close(dir);
    return seconds(Clock::now() - start);
}

struct Measured {
    double seconds;
    double longestGap;
};

void waitForPreview(Application& app);

// A click on the rule's button, timed to its report. With previewed, the suffix is typed first, as
// a user does, and the click comes once its preview is shown: the click then plans nothing. The
// lower-case extension is 全部小写 with 只改扩展名 on the page 更多.
Measured renameThroughWindow(Application& app, const std::string& folder, Change change, bool previewed = false) {
    // An A/A check of the harness: the baseline against itself should give 1.00x.
    if (std::getenv("VELMORA_BENCH_SELF_CHECK")) return {baselineRename(folder, change), 0};
    QtWindow& w = app.window();
    w.setCaption(component::标签2, Text::fromUtf8(folder));
    // The folder was chosen before the click: its watch is set up (at a million entries the kernel
    // takes a while over it, and the folder cannot be opened meanwhile).
    while (!app.preview().watching()) QApplication::processEvents(QEventLoop::AllEvents, 1);
    if (change == Change::LowerExtension) {
        w.setChecked(component::单选框_小写, true);
        w.setChecked(component::选择框_只改扩展名, true);
        GapMeter gaps;
        gaps.start();
        const auto start = Clock::now();
        app.mainWindow().component<QPushButton>("按钮_改大小写")->click();
        const double took = seconds(Clock::now() - start);
        return {took, gaps.stop()};
    }
    const bool deleteNeedle = change == Change::DeleteNeedle;
    w.setContent(component::编辑框1, Text::fromUtf8(kNeedle));
    if (previewed) {
        w.setContent(component::编辑框7, Text{});
        auto* edit = app.mainWindow().component<QLineEdit>("编辑框7");
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("-x"));
        waitForPreview(app);
    } else {
        w.setContent(component::编辑框7, Text::fromUtf8("-x"));
    }
    auto* button = app.mainWindow().component<QPushButton>(deleteNeedle ? "按钮2" : "按钮_加后缀");
    GapMeter gaps;
    gaps.start();
    const auto start = Clock::now();
    button->click();
    const double took = seconds(Clock::now() - start);
    return {took, gaps.stop()};
}

// The window lets its folder go, so the folder's watch wakes for none of the renames timed next.
void letFolderGo(Application& app) {
    app.window().setCaption(component::标签2, Text{});
    while (!app.preview().watching()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

Measured loadByDrop(Application& app, const std::string& folder, int n) {
    MainWindow& main = app.mainWindow();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder + "1 x.mp4"))});
    GapMeter gaps;
    gaps.start();
    const auto start = Clock::now();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    QApplication::processEvents();  // the view lays out its rows
    const double took = seconds(Clock::now() - start);
    if (app.window().list().rowCount() != n)
        std::fprintf(stderr, "load listed %d of %d\n", app.window().list().rowCount(), n);
    return {took, gaps.stop()};
}

// The live preview while a user types a prefix into a loaded folder of n rows: how long after the
// last keystroke the second column is complete, the longest gap between processed events while
// typing, and (for small folders) the work from one keystroke to its preview.
struct PreviewMeasured {
    double afterLastKey;
    double longestGap;
    double perKeyMedian;
    double perKeyMax;
};

void waitForPreview(Application& app) {
    while (app.preview().pending()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

PreviewMeasured previewWhileTyping(Application& app, const std::string& folder, int n) {
    loadByDrop(app, folder, n);
    MainWindow& main = app.mainWindow();
    auto* edit = main.component<QLineEdit>("编辑框6");
    edit->setFocus();
    QApplication::processEvents();
    waitForPreview(app);
    const QString typed = QStringLiteral("S01-view");  // key events carry Latin keys only
    std::vector<double> perKey;
    // One keystroke at a time, each waited for: the work a keystroke costs.
    for (const QChar c : typed) {
        const auto start = Clock::now();
        QTest::keyClicks(edit, QString(c));
        waitForPreview(app);
        perKey.push_back(seconds(Clock::now() - start));
    }
    edit->clear();
    // At a typist's pace, about one key every 80 ms, without waiting: older previews are overtaken.
    GapMeter gaps;
    gaps.start();
    Clock::time_point lastKey;
    for (int i = 0; i < typed.size(); ++i) {
        if (i > 0)
            while (Clock::now() - lastKey < std::chrono::milliseconds(80))
                QApplication::processEvents(QEventLoop::AllEvents, 2);
        lastKey = Clock::now();
        QTest::keyClicks(edit, QString(typed[i]));
    }
    waitForPreview(app);
    const double afterLast = seconds(Clock::now() - lastKey);
    const double gap = gaps.stop();
    if (app.preview().shownRule() == nullptr || main.statusLine().text().isEmpty())
        std::fprintf(stderr, "no preview shown\n");
    main.component<QPushButton>("按钮13")->click();
    app.window().list().clearRows();
    std::sort(perKey.begin(), perKey.end());
    return {afterLast, gap, perKey[perKey.size() / 2], perKey.back()};
}

// A fresh application in a child process of the bench, which measures one thing and exits.
struct ChildApp {
    int argc = 1;
    char arg0[14] = "velmora-bench";
    char* argv[2] = {arg0, nullptr};
    QApplication qt{argc, argv};
    Application app{qt};
};

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return 0;
}

// The kernel's high-water mark of resident memory starts again from what is resident now, so the
// peak read later belongs to what ran after this.
void resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

// A fresh application with its window shown and idle; returns its resident memory (kB).
long idleWindow(Application& app) {
    app.mainWindow().show();
    QApplication::processEvents();
    const long idle = statusKb("VmRSS:");
    resetPeak();
    return idle;
}

int memoryChild(int n) {
    std::string folder;
    {
        const auto names = makeNames(n);
        folder = makeFolder(names);
    }
    ChildApp child;
    Application& app = child.app;
    const long idle = idleWindow(app);
    loadByDrop(app, folder, n);
    const long peak = statusKb("VmHWM:");
    removeFolder(folder);
    std::printf("%ld\n", peak - idle);
    return 0;
}

// Peak memory of one suffix run over a folder the parent made, above the idle window: the run
// alone, or as a user makes it, with the folder's rows loaded and the run's preview shown first
// (the suffix typed into its box, so the preview's cached listing counts too).
int runMemoryChild(const std::string& folder, bool asUser) {
    ChildApp child;
    Application& app = child.app;
    app.window().setResponder([](const Text&, MessageStyle, const Text&) { return answerOk; });
    const long idle = idleWindow(app);
    if (asUser) {
        const int n = static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
        loadByDrop(app, folder, n);
        if (std::getenv("VELMORA_BENCH_STAGES")) std::fprintf(stderr, "rows: %ld kB\n", statusKb("VmRSS:") - idle);
        auto* edit = app.mainWindow().component<QLineEdit>("编辑框7");
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("-x"));
        QApplication::processEvents();
        waitForPreview(app);
        if (app.preview().shownRule() == nullptr) std::fprintf(stderr, "no preview shown\n");
        if (std::getenv("VELMORA_BENCH_STAGES"))
            std::fprintf(stderr, "before the click: %ld kB resident, peak %ld kB\n", statusKb("VmRSS:") - idle,
                         statusKb("VmHWM:") - idle);
        app.mainWindow().component<QPushButton>("按钮_加后缀")->click();
        QApplication::processEvents();
    } else {
        renameThroughWindow(app, folder, Change::Suffix);
    }
    const long peak = statusKb("VmHWM:");
    const long after = statusKb("VmRSS:");
    std::printf("%ld %ld\n", peak - idle, after - idle);
    return 0;
}

// A run whose confirmation shows its plan (add a prefix, asked on the first entry): the time from
// clicking the details button until the plan is drawn, then the longest gap between processed
// events while the box stays open and checks the rest of the plan. Cancelled, so nothing changes.
int planOpenChild(const std::string& folder) {
    ChildApp child;
    Application& app = child.app;
    app.mainWindow().show();
    QtWindow& w = app.window();
    w.setCaption(component::标签2, Text::fromUtf8(folder));
    w.setContent(component::编辑框6, Text::fromUtf8("p-"));
    double openMs = -1, gapMs = -1;
    int lines = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll.stop();
        QAbstractButton* details = nullptr;
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == QMessageBox::ActionRole) details = b;
        if (!details) return;
        const auto start = Clock::now();
        details->click();
        QApplication::processEvents();  // laid out and painted
        if (auto* view = box->findChild<QListView*>()) {
            view->viewport()->repaint();
            lines = view->model()->rowCount();
        }
        openMs = seconds(Clock::now() - start) * 1e3;
        GapMeter gaps;
        gaps.start();
        QElapsedTimer open;
        open.start();
        while (open.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 50);
        gapMs = gaps.stop() * 1e3;
        box->button(QMessageBox::Cancel)->click();
    });
    poll.start(5);
    app.mainWindow().component<QPushButton>("按钮_加前缀")->click();
    std::printf("%.1f %.1f %d\n", openMs, gapMs, lines);
    return 0;
}

double memoryMb(const char* self, int n) {
    const std::string command = std::string(self) + " --memory " + std::to_string(n);
    FILE* pipe = popen(command.c_str(), "r");
    long kb = 0;
    if (pipe && std::fscanf(pipe, "%ld", &kb) != 1) kb = -1;
    if (pipe) pclose(pipe);
    return static_cast<double>(kb) / 1024.0;
}

std::string child(const char* self, const std::string& arguments) {
    FILE* pipe = popen((std::string(self) + " " + arguments).c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (pipe) pclose(pipe);
    return out;
}

// Peak memory of a run and opening its plan, each in a fresh process, for every N.
void runMemoryAndPlan(const char* self, const std::vector<int>& sizes) {
    for (int n : sizes) {
        const auto names = makeNames(n);
        std::string folder = makeFolder(names);
        long peakKb = -1, afterKb = -1;
        std::sscanf(child(self, "--run-memory " + folder).c_str(), "%ld %ld", &peakKb, &afterKb);
        removeFolder(folder);
        folder = makeFolder(names);
        long userPeakKb = -1, userAfterKb = -1;
        std::sscanf(child(self, "--user-run-memory " + folder).c_str(), "%ld %ld", &userPeakKb, &userAfterKb);
        removeFolder(folder);
        folder = makeFolder(names);
        double openMs = -1, gapMs = -1;
        int lines = -1;
        std::sscanf(child(self, "--plan-open " + folder).c_str(), "%lf %lf %d", &openMs, &gapMs, &lines);
        removeFolder(folder);
        std::printf("N = %d, each in a fresh process:\n", n);
        std::printf("  rename run, suffix rule:  peak %.1f MB above the idle window, %.1f MB kept after it\n",
                    peakKb / 1024.0, afterKb / 1024.0);
        std::printf("  the same with its rows loaded and its preview shown first: peak %.1f MB, %.1f MB kept\n",
                    userPeakKb / 1024.0, userAfterKb / 1024.0);
        std::printf("  plan view of %d lines:    open %.0f ms, longest event gap while open %.0f ms\n", lines, openMs,
                    gapMs);
        std::fflush(stdout);
    }
}

// The text primitives over every name, as a rule uses them.
double textPerName(const std::vector<std::string>& names) {
    const Text needle = Text::fromUtf8(kNeedle);
    const auto start = Clock::now();
    std::size_t sink = 0;
    for (const std::string& n : names) {
        const Text t = nativeToText(n).text;
        const int at = findText(t, needle);
        const Text changed = replaceText(t, needle, {}, at, 1);
        sink += textToNative(changed)->size() + static_cast<std::size_t>(findTextReverse(t, needle));
    }
    const double took = seconds(Clock::now() - start);
    if (sink == 0) std::puts("");
    return took / static_cast<double>(names.size());
}

struct Row {
    int n;
    double suffix, suffixBase, del, delBase, shown, shownBase, load, loadBase, gapRename, gapLoad;
};

void plot(const std::vector<Row>& rows, const QString& path) {
    QImage image(720, 420, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect area(70, 30, 620, 330);
    double top = 0;
    for (const Row& r : rows) top = std::max({top, r.suffix / r.n, r.suffixBase / r.n, r.del / r.n, r.delBase / r.n});
    top *= 1e6 * 1.15;
    p.setPen(Qt::black);
    p.drawRect(area);
    p.drawText(QRect(0, 0, 720, 24), Qt::AlignCenter, QStringLiteral("Rename run: microseconds per file against N"));
    for (int i = 0; i <= 4; ++i) {
        const int y = area.bottom() - area.height() * i / 4;
        p.drawText(QRect(0, y - 8, 64, 16), Qt::AlignRight, QString::number(top * i / 4, 'f', 1));
    }
    auto xOf = [&](std::size_t i) {
        return area.left() + 40 + static_cast<int>((area.width() - 80) * i / std::max<std::size_t>(1, rows.size() - 1));
    };
    for (std::size_t i = 0; i < rows.size(); ++i)
        p.drawText(QRect(xOf(i) - 40, area.bottom() + 6, 80, 16), Qt::AlignCenter, QString::number(rows[i].n));
    struct Series {
        QString name;
        QColor colour;
        double Row::*value;
    };
    const Series series[] = {{QStringLiteral("C renameat2 loop (suffix)"), QColor(120, 120, 120), &Row::suffixBase},
                             {QStringLiteral("Velmora suffix rule"), QColor(61, 126, 216), &Row::suffix},
                             {QStringLiteral("C renameat2 loop (delete)"), QColor(180, 180, 180), &Row::delBase},
                             {QStringLiteral("Velmora delete rule"), QColor(232, 93, 74), &Row::del}};
    int legend = 0;
    for (const Series& s : series) {
        p.setPen(QPen(s.colour, 2));
        QPointF previous;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QPointF pt(xOf(i), area.bottom() - area.height() * ((rows[i].*s.value) / rows[i].n * 1e6) / top);
            if (i > 0) p.drawLine(previous, pt);
            p.drawEllipse(pt, 3, 3);
            previous = pt;
        }
        const int legendY = area.bottom() - 80 + legend * 18;  // below the lines, which sit high
        p.drawLine(area.left() + 12, legendY, area.left() + 36, legendY);
        p.setPen(Qt::black);
        p.drawText(area.left() + 42, legendY + 5, s.name);
        ++legend;
    }
    image.save(path);
}

}  // namespace

// The cost of the rename history: the same run through the window with the history written
// (plan, progress, end, on a real disk with full syncs) and with it unavailable (the run asks
// whether to rename without it, and the bench answers OK). The new folder is synced to disk
// before each run: a user's folder was not made a moment ago, and the history's first sync would
// otherwise write out the bench's own hundred thousand new files and be charged for it.
void benchJournal(Application& app, int n) {
    const auto names = makeNames(n);
    QTemporaryDir state;
    std::vector<double> with, without, writing;
    for (int run = 0; run < kJournalRuns; ++run) {
        for (bool journal : {run % 2 == 0, run % 2 != 0}) {
            const std::string folder = makeFolder(names);
            sync();
            if (journal)
                app.session().journal.open(state.path().toStdString());
            else
                app.session().journal.close();
            const auto before = app.session().journal.timeWriting();
            const double took = renameThroughWindow(app, folder, Change::Suffix).seconds;
            (journal ? with : without).push_back(took);
            if (journal)
                writing.push_back(std::chrono::duration<double>(app.session().journal.timeWriting() - before).count() /
                                  took);
            removeFolder(folder);
        }
    }
    const double a = median(with), b = median(without);
    std::printf("history: N = %d, suffix rule with the history %.3f s, without %.3f s: %+.1f%% (median of %d)\n", n, a,
                b, (a / b - 1) * 100, kJournalRuns);
    // The end-to-end figure moves by more than the history costs on a shared machine; the time
    // the run spends in the history's own writing is measured directly as well.
    std::printf("history: writing it down took %.1f%% of each run (median), %.1f%% at most\n", median(writing) * 100,
                *std::max_element(writing.begin(), writing.end()) * 100);
    app.session().journal.open(Journal::defaultFolder());
}

// Loading an existing folder (a million files take long to make): the drop against readdir and
// sort, alternating which goes first, three times; prints both medians and the longest gap.
int loadChild(const std::string& folder) {
    ChildApp child;
    Application& app = child.app;
    app.mainWindow().show();
    const int n = static_cast<int>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    std::vector<double> load, base;
    double gap = 0;
    for (int run = 0; run < 3; ++run) {
        if (run % 2 == 0) base.push_back(baselineLoad(folder));
        const Measured m = loadByDrop(app, folder, n);
        load.push_back(m.seconds);
        gap = std::max(gap, m.longestGap);
        app.window().list().clearRows();
        if (run % 2 != 0) base.push_back(baselineLoad(folder));
    }
    std::printf("N = %d: folder load (drop) %.3f s, baseline %.3f s, ratio %.2fx, longest gap %.0f ms\n", n,
                median(load), median(base), median(load) / median(base), gap * 1e3);
    return 0;
}

// A run over an existing folder against the renameat2 loop over the same folder, in the order
// loop, run, run, loop, so neither always meets the warmer cache. The suffix passes each add their
// suffix; the letter-case passes each lower-case the extensions, which are put back to upper case
// (untimed) after every pass, so every pass renames every entry.
int renameChild(const std::string& folder, Change change) {
    ChildApp child;
    Application& app = child.app;
    app.window().setResponder([](const Text&, MessageStyle, const Text&) { return answerOk; });
    app.mainWindow().show();
    const bool lettersOnly = change == Change::LowerExtension;
    std::vector<double> run, base;
    double gap = 0;
    std::string ending = lettersOnly ? ".JPG" : ".mp4";
    for (int k = 0; k < 4; ++k) {
        const bool loop = k == 0 || k == 3;
        expectNamesEnding(folder, ending, loop ? "before the renameat2 loop" : "before the run");
        if (loop) {
            base.push_back(baselineRename(folder, change));
        } else {
            const Measured m = renameThroughWindow(app, folder, change);
            run.push_back(m.seconds);
            gap = std::max(gap, m.longestGap);
            letFolderGo(app);
        }
        expectNamesEnding(folder, lettersOnly ? ".jpg" : "-x" + ending,
                          loop ? "after the renameat2 loop" : "after the run");
        if (lettersOnly) {
            baselineRename(folder, Change::UpperExtension);
        } else {
            ending = "-x" + ending;
        }
    }
    const double r = (run[0] + run[1]) / 2;
    const double b = (base[0] + base[1]) / 2;
    std::printf("%s run %.3f s, renameat2 loop %.3f s, ratio %.2fx, longest gap %.0f ms\n",
                lettersOnly ? "letter-case" : "suffix", r, b, r / b, gap * 1e3);
    return 0;
}

// Renaming on a camera card: a fresh exFAT image mounted through FUSE (exfat-fuse), where the disk
// refuses the no-replace flag and hard links and tells no letter case apart. 10,000 files, each
// round in a fresh folder of the card, synced, timed by a --rename or --rename-case child; the
// medians of the rounds. Suffix: the names of the other benches. Letter case: IMG_00001.JPG …, so
// that every rename changes the case only, which the program makes through a temporary name.
void benchExfatCard(const char* self) {
    using testing::DiskImage;
    using testing::ImageFormat;
    const std::string why = DiskImage::unavailableReason(ImageFormat::Exfat);
    if (!why.empty()) {
        std::printf("*** exFAT card through FUSE: SKIPPED, %s\n", why.c_str());
        std::fflush(stdout);
        return;
    }
    constexpr int n = 10000;
    int rounds = 3;
    if (const char* r = std::getenv("VELMORA_BENCH_EXFAT_ROUNDS")) rounds = std::max(1, std::atoi(r));
    std::optional<DiskImage> card;
    try {
        card.emplace(ImageFormat::Exfat, 64);
    } catch (const std::exception& e) {
        std::printf("*** exFAT card through FUSE: SKIPPED, the image could not be made: %s\n", e.what());
        std::fflush(stdout);
        return;
    }
    std::vector<std::string> photos;
    for (int i = 1; i <= n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.JPG", i);
        photos.emplace_back(name);
    }
    std::printf("N = %d on an exFAT card image through FUSE, %s (median of %d rounds, each loop, run, run, loop)\n", n,
                DiskImage::formatName(ImageFormat::Exfat), rounds);
    struct Kind {
        const char* label;
        const char* option;
        std::vector<std::string> names;
    };
    const Kind kinds[] = {{"rename, suffix rule:      ", "--rename", makeNames(n)},
                          {"rename, case only .JPG:   ", "--rename-case", photos}};
    for (const Kind& kind : kinds) {
        std::vector<double> run, base, ratios;
        double gap = 0;
        for (int round = 0; round < rounds; ++round) {
            const std::string folder = makeFolder(kind.names, card->path());
            sync();
            // The card's folder holds a space, as card labels often do.
            const std::string out = child(self, std::string(kind.option) + " '" + folder + "'");
            double r = 0, b = 0, g = 0;
            const std::size_t at = out.find(" run ");
            if (at == std::string::npos ||
                std::sscanf(out.c_str() + at, " run %lf s, renameat2 loop %lf s, ratio %*fx, longest gap %lf ms", &r,
                            &b, &g) != 3 ||
                b <= 0) {
                std::fprintf(stderr, "*** exFAT %s: the child said: %s\n", kind.option, out.c_str());
                continue;
            }
            gap = std::max(gap, g);
            run.push_back(r);
            base.push_back(b);
            ratios.push_back(r / b);
        }
        if (run.empty()) continue;
        std::string each;
        for (double x : ratios) each += (each.empty() ? "" : ", ") + QString::number(x, 'f', 2).toStdString() + "x";
        std::printf("  %s%7.3f s  baseline %7.3f s  ratio %.2fx  (%.0f us/file; rounds %s; longest gap %.0f ms)\n",
                    kind.label, median(run), median(base), median(run) / median(base), median(run) / n * 1e6,
                    each.c_str(), gap);
        std::fflush(stdout);
    }
}

namespace velmora {
void benchFileFacts(Application& app, int n);  // file_facts_bench.cpp
void benchRowChoice(Application& app, int n);  // row_choice_bench.cpp
void benchSubfolders(Application& app, int n, int folders);  // subfolder_bench.cpp
}  // namespace velmora

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::string(argv[1]) == "--rename") return renameChild(argv[2], Change::Suffix);
    if (argc == 3 && std::string(argv[1]) == "--rename-case") return renameChild(argv[2], Change::LowerExtension);
    if (argc == 3 && std::string(argv[1]) == "--load") return loadChild(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--memory") return memoryChild(std::atoi(argv[2]));
    if (argc == 3 && std::string(argv[1]) == "--run-memory") return runMemoryChild(argv[2], false);
    if (argc == 3 && std::string(argv[1]) == "--user-run-memory") return runMemoryChild(argv[2], true);
    if (argc == 3 && std::string(argv[1]) == "--plan-open") return planOpenChild(argv[2]);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/bench");
    QDir().mkpath(out);

    std::vector<int> sizes = {1000, 10000, 100000};
    if (const char* only = std::getenv("VELMORA_BENCH_N")) sizes = {std::atoi(only)};
    const int journalN = std::min(sizes.back(), 100000);  // the history's cost, at 100,000 at most
    const bool timeOnly = std::getenv("VELMORA_BENCH_TIME_ONLY") != nullptr;
    if (const char* more = std::getenv("BENCH_N"))
        if (std::find(sizes.begin(), sizes.end(), std::atoi(more)) == sizes.end()) sizes.push_back(std::atoi(more));
    QApplication qt(argc, argv);
    QTemporaryDir history;  // the runs here are not the user's history
    qputenv("VELMORA_STATE_DIR", history.path().toUtf8());
    Application app(qt);
    app.window().setResponder([](const Text&, MessageStyle, const Text&) { return answerOk; });
    app.mainWindow().show();

    if (std::getenv("VELMORA_BENCH_PREVIEW_ONLY")) {
        for (int n : sizes) {
            const std::string folder = makeFolder(makeNames(n));
            const PreviewMeasured p = previewWhileTyping(app, folder, n);
            removeFolder(folder);
            std::printf(
                "N = %d live preview: complete %.0f ms after the last keystroke, longest event gap %.0f ms, "
                "one keystroke %.1f ms (median), %.1f ms (max)\n",
                n, p.afterLastKey * 1e3, p.longestGap * 1e3, p.perKeyMedian * 1e3, p.perKeyMax * 1e3);
        }
        return 0;
    }
    if (std::getenv("VELMORA_BENCH_LIST_ONLY")) return benchRenameByList(app, sizes), 0;
    if (std::getenv("VELMORA_BENCH_MEMORY_ONLY")) {
        for (int n : sizes)
            std::printf("memory: %.1f MB above the idle window with %d rows loaded\n", memoryMb(argv[0], n), n);
        runMemoryAndPlan(argv[0], sizes);
        return 0;
    }
    if (std::getenv("VELMORA_BENCH_HISTORY_ONLY")) {
        benchJournal(app, journalN);
        return 0;
    }
    if (const char* facts = std::getenv("VELMORA_BENCH_FACTS_N")) return benchFileFacts(app, std::atoi(facts)), 0;
    if (const char* choice = std::getenv("VELMORA_BENCH_CHOICE_N")) return benchRowChoice(app, std::atoi(choice)), 0;
    if (const char* below = std::getenv("VELMORA_BENCH_SUBFOLDERS_N"))
        return benchSubfolders(app, std::atoi(below), std::max(1, std::atoi(below) / 100)), 0;
    if (std::getenv("VELMORA_BENCH_EXFAT_ONLY")) {
        benchExfatCard(argv[0]);
        return 0;
    }
    std::vector<Row> rows;
    for (int n : sizes) {
        const auto names = makeNames(n);
        std::map<std::string, std::vector<double>> t;
        double gapRename = 0, gapLoad = 0;
        const int runs = n >= 1000000 ? 1 : kRuns;  // a million files take minutes to make
        for (int run = 0; run < runs; ++run) {
            // The suffix rule, the delete rule, and the suffix rule clicked after its preview.
            for (const std::string key : {"suffix", "del", "shown"}) {
                const Change change = key == "del" ? Change::DeleteNeedle : Change::Suffix;
                std::string a = makeFolder(names), b = makeFolder(names);
                // On disk before either is timed: the run's history syncs, and would otherwise be
                // charged for writing out the two hundred thousand files just made for the bench.
                sync();
                // Alternate which goes first so neither always meets the warmer cache.
                const auto window = [&] {
                    const Measured m = renameThroughWindow(app, b, change, key == "shown");
                    t[key].push_back(m.seconds);
                    gapRename = std::max(gapRename, m.longestGap);
                    letFolderGo(app);
                };
                if (run % 2 == 0) {
                    t[key + "Base"].push_back(baselineRename(a, change));
                    window();
                } else {
                    window();
                    t[key + "Base"].push_back(baselineRename(a, change));
                }
                removeFolder(a);
                removeFolder(b);
            }
            const std::string folder = makeFolder(names);
            t["loadBase"].push_back(baselineLoad(folder));
            const Measured m = loadByDrop(app, folder, n);
            t["load"].push_back(m.seconds);
            gapLoad = std::max(gapLoad, m.longestGap);
            app.window().list().clearRows();
            removeFolder(folder);
        }
        Row r{n,
              median(t["suffix"]),
              median(t["suffixBase"]),
              median(t["del"]),
              median(t["delBase"]),
              median(t["shown"]),
              median(t["shownBase"]),
              median(t["load"]),
              median(t["loadBase"]),
              gapRename,
              gapLoad};
        rows.push_back(r);
        std::printf("N = %d (median of %d runs, %s)\n", n, runs, fs::temp_directory_path().c_str());
        std::printf("  rename, suffix rule:      %7.3f s  baseline %7.3f s  ratio %.2fx  (%.1f us/file)\n", r.suffix,
                    r.suffixBase, r.suffix / r.suffixBase, r.suffix / n * 1e6);
        std::printf("  rename, delete rule:      %7.3f s  baseline %7.3f s  ratio %.2fx  (%.1f us/file)\n", r.del,
                    r.delBase, r.del / r.delBase, r.del / n * 1e6);
        std::printf("  rename, after its preview: %6.3f s  baseline %7.3f s  ratio %.2fx  (%.1f us/file)\n", r.shown,
                    r.shownBase, r.shown / r.shownBase, r.shown / n * 1e6);
        std::printf("  folder load (drop):       %7.3f s  baseline %7.3f s  ratio %.2fx\n", r.load, r.loadBase,
                    r.load / r.loadBase);
        std::printf("  longest event gap:        renaming %.0f ms, loading %.0f ms\n", gapRename * 1e3, gapLoad * 1e3);
        if (!timeOnly) {
            const std::string folder = makeFolder(names);
            const PreviewMeasured p = previewWhileTyping(app, folder, n);
            removeFolder(folder);
            std::printf(
                "  live preview while typing: complete %.0f ms after the last key, longest gap %.0f ms, "
                "one key %.1f ms (median) %.1f ms (max)\n",
                p.afterLastKey * 1e3, p.longestGap * 1e3, p.perKeyMedian * 1e3, p.perKeyMax * 1e3);
        }
        std::printf("  text primitives:          %.2f us per name (%.0f%% of a suffix run per file)\n",
                    textPerName(names) * 1e6, textPerName(names) / (r.suffix / n) * 100);
        std::fflush(stdout);
    }
    benchExfatCard(argv[0]);
    if (!timeOnly) benchFileFacts(app, 10000);
    if (!timeOnly) benchRenameByList(app, sizes);
    if (!timeOnly) benchRowChoice(app, sizes.back());
    benchSubfolders(app, std::min(sizes.back(), 100000), std::max(1, std::min(sizes.back(), 100000) / 100));
    if (!timeOnly) {
        benchJournal(app, journalN);
        for (int n : sizes)
            std::printf("memory: %.1f MB above the idle window with %d rows loaded\n", memoryMb(argv[0], n), n);
        runMemoryAndPlan(argv[0], sizes);
    }
    plot(rows, out + QStringLiteral("/rename-per-file.png"));
    std::printf("plot: %s/rename-per-file.png\n", out.toLocal8Bit().constData());
    return 0;
}
