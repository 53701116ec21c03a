#include "ui/folder_watch.h"

#include <QDir>
#include <QFileSystemWatcher>
#include <QTimer>

namespace velmora {

FolderWatch::FolderWatch(QObject* parent) : QObject(parent), watcher_(new QFileSystemWatcher) {
    watcher_->moveToThread(&thread_);
    // A change told of the folder watched before (its news crossing the switch to another) is no
    // change of the folder watched now.
    connect(
        watcher_, &QFileSystemWatcher::directoryChanged, this,
        [this](const QString& folder) {
            if (QDir::cleanPath(folder) == QDir::cleanPath(folder_)) emit changed();
        },
        Qt::QueuedConnection);
    thread_.start();
}

FolderWatch::~FolderWatch() {
    QMetaObject::invokeMethod(
        watcher_, [w = watcher_] { delete w; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

// A new folder is watched from the next turn of the event loop: it is about to be listed, and the
// kernel opens no folder while it sets up a watch on it (a third of a second at a million entries).
// Once the listing has it open, the two no longer wait for each other.
void FolderWatch::watch(const QString& folder) {
    folder_ = folder;
    ask(paused_ ? QString() : folder, false, true);
}

void FolderWatch::pause() {
    if (paused_) return;
    paused_ = true;
    ask(QString(), false);
}

void FolderWatch::resume() {
    if (!paused_) return;
    paused_ = false;
    ask(folder_, !folder_.isEmpty());
}

void FolderWatch::ask(const QString& folder, bool tellChanged, bool nextTurn) {
    const unsigned asked = ++asked_;
    const auto post = [this, folder, asked, tellChanged] {
        QMetaObject::invokeMethod(
            watcher_,
            [this, folder, asked, tellChanged] {
                if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
                if (!folder.isEmpty()) watcher_->addPath(folder);
                done_.store(asked);
                if (tellChanged) QMetaObject::invokeMethod(this, &FolderWatch::changed, Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    };
    if (!nextTurn) {
        post();
        return;
    }
    // Asked for again meanwhile (paused, say), the newer request stands for both.
    QTimer::singleShot(0, this, [this, asked, post] {
        if (asked == asked_) post();
    });
}

}  // namespace velmora
