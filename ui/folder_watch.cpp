#include "ui/folder_watch.h"

#include <QFileSystemWatcher>

namespace velmora {

FolderWatch::FolderWatch(QObject* parent) : QObject(parent), watcher_(new QFileSystemWatcher) {
    watcher_->moveToThread(&thread_);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderWatch::changed, Qt::QueuedConnection);
    thread_.start();
}

FolderWatch::~FolderWatch() {
    QMetaObject::invokeMethod(
        watcher_, [w = watcher_] { delete w; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void FolderWatch::watch(const QString& folder) {
    const unsigned asked = ++asked_;
    QMetaObject::invokeMethod(
        watcher_,
        [this, folder, asked] {
            if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
            if (!folder.isEmpty()) watcher_->addPath(folder);
            done_.store(asked);
        },
        Qt::QueuedConnection);
}

}  // namespace velmora
