// Sub-folders at scale, through the real window with 包括子文件夹 checked: N files in F folders.
// Each figure is a ratio to a baseline measured in the same run on an identical tree: loading
// against an nftw walk (no links followed, no other disk entered) plus a sort of the paths; a
// suffix run against a renameat2 loop over the same entries, each folder opened once.
#include <fcntl.h>
#include <ftw.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/application.h"
#include "gap_meter.h"
#include "interaction/folder_loading.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace velmora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// F folders of N / F files each, named as a series: 第12季/第34集 片名.mp4.
std::string makeTree(int n, int folders) {
    std::string root = (fs::temp_directory_path() / "velmora-tree-XXXXXX").string();
    if (!mkdtemp(root.data())) std::abort();
    root += "/";
    for (int f = 0; f < folders; ++f) {
        const std::string folder = root + "第" + std::to_string(f) + "季";
        mkdir(folder.c_str(), 0755);
        const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < n / folders; ++i) {
            const std::string name = "第" + std::to_string(i) + "集 片名.mp4";
            close(openat(dir, name.c_str(), O_CREAT | O_WRONLY, 0644));
        }
        close(dir);
    }
    sync();
    return root;
}

std::vector<std::string>* walked = nullptr;
std::size_t rootLength = 0;

int collect(const char* path, const struct stat*, int, struct FTW*) {
    if (std::strlen(path) > rootLength) walked->emplace_back(path + rootLength);
    return 0;
}

// Every path below root, as the walk finds them, without following links or entering other disks.
std::vector<std::string> walk(const std::string& root) {
    std::vector<std::string> paths;
    walked = &paths;
    rootLength = root.size();
    nftw(root.c_str(), collect, 64, FTW_PHYS | FTW_MOUNT);
    return paths;
}

double baselineLoad(const std::string& root) {
    const auto start = Clock::now();
    std::vector<std::string> paths = walk(root);
    std::sort(paths.begin(), paths.end());
    return seconds(Clock::now() - start);
}

// The files of the tree walked, then renamed folder by folder, each folder opened once.
double baselineRename(const std::string& root) {
    const auto start = Clock::now();
    std::map<std::string, std::vector<std::string>> byFolder;
    for (const std::string& path : walk(root)) {
        const std::size_t slash = path.rfind('/');
        if (slash != std::string::npos) byFolder[path.substr(0, slash)].push_back(path.substr(slash + 1));
    }
    std::size_t failed = 0;
    for (const auto& [folder, names] : byFolder) {
        const int dir = open((root + folder).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        for (const std::string& name : names) {
            std::string to = name;
            to.insert(to.size() - 4, "-x");
            if (renameat2(dir, name.c_str(), dir, to.c_str(), RENAME_NOREPLACE) != 0) ++failed;
        }
        close(dir);
    }
    const double took = seconds(Clock::now() - start);
    if (failed > 0) std::fprintf(stderr, "*** the renameat2 loop failed %zu renames\n", failed);
    return took;
}

std::size_t renamedIn(const std::string& root) {
    std::size_t n = 0;
    for (const std::string& path : walk(root)) n += path.size() > 9 && path.compare(path.size() - 6, 6, "-x.mp4") == 0;
    return n;
}

void settle(Application& app) {
    while (app.preview().pending() || !app.preview().watching()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

// The tree loaded as the window opens a folder, timed until its rows are shown.
double loadThroughWindow(Application& app, const std::string& root, int n) {
    const auto start = Clock::now();
    loadOpenedFolder(app.window(), app.session(), Text::fromUtf8(root));
    QApplication::processEvents();
    const double took = seconds(Clock::now() - start);
    if (app.window().list().rowCount() != n)
        std::fprintf(stderr, "*** the window listed %d of %d\n", app.window().list().rowCount(), n);
    return took;
}

}  // namespace

void benchSubfolders(Application& app, int n, int folders) {
    MainWindow& main = app.mainWindow();
    auto* below = main.component<QCheckBox>("选择框_包括子文件夹");
    if (!below->isChecked()) below->click();
    std::map<std::string, std::vector<double>> t;
    double previewAfterKey = 0, gap = 0;
    for (int run = 0; run < 3; ++run) {
        const std::string a = makeTree(n, folders);
        const std::string b = makeTree(n, folders);
        t["loadBase"].push_back(baselineLoad(a));
        t["load"].push_back(loadThroughWindow(app, b, n));
        settle(app);
        // The suffix typed, its preview complete, then the click: the run renames what it showed.
        auto* suffix = main.component<QLineEdit>("编辑框7");
        suffix->clear();
        suffix->setFocus();
        QTest::keyClicks(suffix, QStringLiteral("-x"));
        const auto lastKey = Clock::now();
        settle(app);
        previewAfterKey = std::max(previewAfterKey, seconds(Clock::now() - lastKey));
        const auto runBase = [&] { t["renameBase"].push_back(baselineRename(a)); };
        const auto runWindow = [&] {
            GapMeter gaps;
            gaps.start();
            const auto start = Clock::now();
            main.component<QPushButton>("按钮_加后缀")->click();
            t["rename"].push_back(seconds(Clock::now() - start));
            gap = std::max(gap, gaps.stop());
        };
        if (run % 2 == 0) {
            runBase();
            runWindow();
        } else {
            runWindow();
            runBase();
        }
        if (renamedIn(a) != static_cast<std::size_t>(n) || renamedIn(b) != static_cast<std::size_t>(n))
            std::fprintf(stderr, "*** not every file renamed: loop %zu, window %zu of %d\n", renamedIn(a), renamedIn(b),
                         n);
        suffix->clear();
        forgetFolder(app.window());
        settle(app);
        fs::remove_all(a);
        fs::remove_all(b);
    }
    below->click();
    std::printf("N = %d files in %d folders, 包括子文件夹 (median of 3 runs)\n", n, folders);
    std::printf("  folder load, rows shown:  %7.3f s  nftw + sort %7.3f s  ratio %.2fx\n", median(t["load"]),
                median(t["loadBase"]), median(t["load"]) / median(t["loadBase"]));
    std::printf(
        "  rename, suffix rule:      %7.3f s  renameat2 loop %7.3f s  ratio %.2fx  (longest event gap %.0f ms)\n",
        median(t["rename"]), median(t["renameBase"]), median(t["rename"]) / median(t["renameBase"]), gap * 1e3);
    std::printf("  live preview: complete %.0f ms after the last key (worst of 3)\n", previewAfterKey * 1e3);
    std::fflush(stdout);
}

}  // namespace velmora
