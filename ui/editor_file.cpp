#include "ui/editor_file.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>
#include <atomic>

#include "core/fs/user_folders.h"
#include "core/text/encoding.h"

namespace velmora {
namespace {

// The runtime folder lives as long as the session and is the user's alone; the cache folder
// stands in where there is none. Empty when the user has neither.
QString editingFolder() {
    NativeName base = userFolder(UserFolder::Runtime);
    if (base.empty()) base = userFolder(UserFolder::Cache);
    if (base.empty()) return {};
    return QString::fromStdString(base) + QStringLiteral("/velmora");
}

}  // namespace

EditorFile::EditorFile(QObject* parent) : QObject(parent) {
    opener_ = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    // An editor saves in steps (truncate, write; or write a new file and rename it over the old
    // one): the file is read once it has been quiet for a moment.
    settle_.setSingleShot(true);
    settle_.setInterval(60);
    connect(&settle_, &QTimer::timeout, this, &EditorFile::readBack);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &EditorFile::changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &EditorFile::changed);
}

EditorFile::~EditorFile() { remove(); }

bool EditorFile::edit(const Text& text, std::function<void(const Text&)> saved) {
    if (path_.isEmpty()) {
        static std::atomic<int> windows{0};
        folder_ = editingFolder();
        if (folder_.isEmpty()) {
            // The shared temporary folder is everyone's: a folder of a fixed name there could be
            // another user's, so the list goes into a new one only this user can enter.
            fallback_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velmora-XXXXXX"));
            if (!fallback_->isValid()) return false;
            folder_ = fallback_->path();
        } else if (!QDir().mkpath(folder_)) {
            return false;
        }
        QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        path_ = folder_ + QStringLiteral("/名称列表-%1-%2.txt").arg(QCoreApplication::applicationPid()).arg(++windows);
    }
    const auto utf8 = textToUtf8(text);
    const QByteArray bytes = QByteArray::fromStdString(utf8 ? *utf8 : textToUtf8Lossy(text));
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) return false;
    last_ = bytes;
    saved_ = std::move(saved);
    if (!watcher_.files().contains(path_)) watcher_.addPath(path_);
    if (!watcher_.directories().contains(folder_)) watcher_.addPath(folder_);
    return opener_(path_);
}

void EditorFile::remove() {
    settle_.stop();
    saved_ = nullptr;
    if (path_.isEmpty()) return;
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    QFile::remove(path_);
    path_.clear();
    fallback_.reset();
}

void EditorFile::changed() {
    if (!saved_) return;
    // A file replaced by a rename is a new file: the watch follows the name, not the old file.
    if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
    settle_.start();
}

void EditorFile::readBack() {
    if (!saved_) return;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return;  // between the halves of a replacing save
    const QByteArray bytes = file.readAll();
    if (bytes == last_) return;
    const auto text = decodeTextFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!text) return;  // half written, or not text: the next save tells
    last_ = bytes;
    saved_(*text);
}

}  // namespace velmora
