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
    folder_ = folder;
    ask(paused_ ? QString() : folder, false);
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

void FolderWatch::ask(const QString& folder, bool tellChanged) {
    const unsigned asked = ++asked_;
    QMetaObject::invokeMethod(
        watcher_,
        [this, folder, asked, tellChanged] {
            if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
            if (!folder.isEmpty()) watcher_->addPath(folder);
            done_.store(asked);
            if (tellChanged) QMetaObject::invokeMethod(this, &FolderWatch::changed, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

}  // namespace velmora
