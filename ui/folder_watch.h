#pragma once
// Watching the current folder for changes, from a thread of its own: the kernel takes a while to
// watch a folder of a million entries, and the window should not wait for it.

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>

class QFileSystemWatcher;

namespace velmora {

class FolderWatch : public QObject {
    Q_OBJECT
public:
    explicit FolderWatch(QObject* parent = nullptr);
    ~FolderWatch() override;
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    /// Watches folder (a native path, empty for none) in place of the folder before.
    void watch(const QString& folder);
    /// Stops watching until resume; the changes made meanwhile are told as one, on resuming.
    void pause();
    void resume();
    /// True once the folder asked for last is watched, or could not be.
    bool ready() const { return done_.load() == asked_; }

signals:
    /// Something in the watched folder changed.
    void changed();

private:
    /// Has the watch thread watch folder (none when empty), then tell of a change if asked to; from
    /// the next turn of the event loop if asked to.
    void ask(const QString& folder, bool tellChanged, bool nextTurn = false);

    QThread thread_;
    QFileSystemWatcher* watcher_;  ///< lives in thread_
    QString folder_;  ///< the folder asked for last
    bool paused_ = false;
    unsigned asked_ = 0;
    std::atomic<unsigned> done_{0};
};

}  // namespace velmora
