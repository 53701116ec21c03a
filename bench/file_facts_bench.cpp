// Values read from the files for the numbering template, at scale: a folder of photos of about
// 100 KB each and one of MP3s, previewed through the real window with <拍摄日期>_### (and
// <艺术家> - <标题> ###), first with the folder in the kernel's cache only, then once Velmora's
// cache holds the values, and the click after the preview.
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/application.h"
#include "ui/main_window.h"
#include "ui/preview_controller.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::string_literals;
constexpr std::size_t kFileBytes = 100 * 1024;

std::string le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string le32(unsigned v) { return le16(v & 0xFFFF) + le16(v >> 16); }
std::string be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }

// A JPEG as a camera writes it, in the small: EXIF with the model and the moment taken, the
// tables, and ~100 KB of scan data.
std::string photo(int i) {
    const std::string model = "Velmora Cam\0"s;
    char when[64];
    std::snprintf(when, sizeof when, "2024:%02d:%02d %02d:%02d:%02d", 1 + (i * 7) % 12, 1 + (i * 13) % 28, (i * 5) % 24,
                  (i * 11) % 60, i % 60);
    const std::string taken(when, 20);
    // TIFF header, IFD0 (model, pointer to the EXIF IFD), the EXIF IFD (DateTimeOriginal), the strings.
    const unsigned ifd0 = 8, exifIfd = ifd0 + 2 + 2 * 12 + 4, strings = exifIfd + 2 + 12 + 4;
    std::string tiff = "II*\0"s + le32(ifd0);
    tiff += le16(2) + le16(0x0110) + le16(2) + le32(static_cast<unsigned>(model.size())) + le32(strings) +
            le16(0x8769) + le16(4) + le32(1) + le32(exifIfd) + le32(0);
    tiff += le16(1) + le16(0x9003) + le16(2) + le32(20) + le32(strings + static_cast<unsigned>(model.size())) + le32(0);
    tiff += model + taken;
    const std::string app1 = "Exif\0\0"s + tiff;
    std::string j = "\xFF\xD8\xFF\xE1"s + be16(static_cast<unsigned>(app1.size()) + 2) + app1;
    j += "\xFF\xDB"s + be16(67) + std::string(1, '\0') + std::string(64, '\x01');
    j += "\xFF\xC0"s + be16(11) + "\x08"s + be16(3024) + be16(4032) + "\x01\x01\x11\x00"s;
    j += "\xFF\xDA"s + be16(8) + "\x01\x01\x00\x00\x3F\x00"s;
    j += std::string(kFileBytes - j.size() - 2, '\x3F') + "\xFF\xD9"s;
    return j;
}

std::string syncsafe(std::size_t n) {
    std::string out(4, '\0');
    for (int i = 3; i >= 0; --i, n >>= 7) out[static_cast<std::size_t>(i)] = static_cast<char>(n & 0x7F);
    return out;
}

// An MP3 of ~100 KB: an ID3v2.3 tag (artist and title in GBK under Latin-1, as old Chinese tags
// are), silent frames, an ID3v1 tag.
std::string song(int i) {
    std::string body;
    const std::string artist = "\0\xD6\xDC\xBD\xDC\xC2\xD7"s;
    const std::string title = "\0\xC7\xE7\xCC\xEC "s + std::to_string(i);
    for (const auto& [id, data] : {std::pair{"TPE1", artist}, std::pair{"TIT2", title}})
        body += std::string(id) + be16(0) + be16(static_cast<unsigned>(data.size())) + "\0\0"s + data;
    std::string s = "ID3\x03\0\0"s + syncsafe(body.size()) + body;
    const std::string frame = "\xFF\xFB\x90\x00"s + std::string(413, '\0');
    while (s.size() + frame.size() + 128 < kFileBytes) s += frame;
    std::string v1 = "TAG"s + std::string(125, '\0');
    return s + v1;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void waitForPreview(Application& app) {
    while (app.preview().pending()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

// Types pattern into the template box as one edit and waits for its complete preview.
double previewOf(Application& app, const QString& pattern) {
    auto* edit = app.mainWindow().component<QLineEdit>("编辑框_模板");
    const auto start = Clock::now();
    edit->setText(pattern);
    emit edit->textEdited(pattern);
    QApplication::processEvents();
    waitForPreview(app);
    return secondsSince(start);
}

void benchFolder(Application& app, const char* what, int n, std::string (*make)(int), const char* name,
                 const QString& pattern) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    for (int i = 0; i < n; ++i) {
        char file[32];
        std::snprintf(file, sizeof file, name, i + 1);
        std::ofstream(folder + file, std::ios::binary) << make(i);
    }
    // The folder is in the kernel's cache now, just written; Velmora has read none of it.
    MainWindow& main = app.mainWindow();
    QMimeData mime;
    char first[32];
    std::snprintf(first, sizeof first, name, 1);
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(folder + first))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&main, &drop);
    QApplication::processEvents();
    main.component<QLineEdit>("编辑框_起始")->setText("1");
    main.component<QLineEdit>("编辑框_步长")->setText("1");
    const double first_ = previewOf(app, pattern);
    const QString firstStatus = main.statusLine().text();
    // Out of view and back: the same template planned again, its values from Velmora's cache.
    app.preview().takeOutOfView();
    waitForPreview(app);
    const double cached = previewOf(app, pattern);
    const QString cachedStatus = main.statusLine().text();
    const auto start = Clock::now();
    main.component<QPushButton>("按钮_加序号")->click();
    const double click = secondsSince(start);
    std::size_t renamed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        renamed += entry.path().filename().string().find('_') != std::string::npos || entry.path().extension() == ".mp3"
                       ? entry.path().filename().string().find(" - ") != std::string::npos ||
                             entry.path().filename().string().rfind("2024", 0) == 0
                       : 0;
    std::printf(
        "%d %s, %s: first complete preview %.2f s, with Velmora's cache %.0f ms, click after it %.2f s "
        "(%zu renamed)\n",
        n, what, pattern.toUtf8().constData(), first_, cached * 1e3, click, renamed);
    std::printf("  status: %s / %s\n", firstStatus.toUtf8().constData(), cachedStatus.toUtf8().constData());
    main.component<QPushButton>("按钮13")->click();
    app.window().setCaption(component::标签2, Text{});
    while (!app.preview().watching()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

}  // namespace

void benchFileFacts(Application& app, int n) {
    benchFolder(app, "JPEGs of 100 KB", n, photo, "IMG_%05d.JPG", QStringLiteral("<拍摄日期>_###"));
    benchFolder(app, "MP3s of 100 KB", n, song, "%05d.mp3", QStringLiteral("<艺术家> - <标题> ###"));
    std::fflush(stdout);
}

}  // namespace velmora
