#pragma once
// The preview's worker: works out a rule's preview away from the window's thread, over a folder
// read once and shared from one job to the next, and stops a job that a newer one overtook.

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "interaction/preview.h"
#include "ui/list_model.h"

namespace velmora {

/// A rule as the preview knows it: its button, the rule, and the inputs of its group.
struct PreviewedRule {
    Component button;
    const RenameRule& (*rule)();
    std::vector<Component> inputs;
};

/// One preview to work out: what it was made from, and once worked out, what the rows show.
struct PreviewJob {
    unsigned long long generation = 0;
    const PreviewedRule* rule = nullptr;
    RunRequest request;
    Text caption;  ///< the rule's button's, for the status line
    std::shared_ptr<const FolderSnapshot> folder;  ///< the folder as last read, when known
    unsigned long long folderEpoch = 0;
    std::shared_ptr<const NameList> rowNames;
    std::shared_ptr<RowPreview> rows;  ///< null until worked out
    std::shared_ptr<const RowEntries> rowEntries;
};

class PreviewWorker : public QObject {
    Q_OBJECT
public:
    explicit PreviewWorker(QObject* parent);
    ~PreviewWorker() override;

    /// Works job out on the worker; done hears of it, on this object's thread, unless a newer job
    /// or cancel() overtook it.
    void start(const std::shared_ptr<PreviewJob>& job, std::function<void(std::shared_ptr<PreviewJob>)> done);
    /// Works job out here and now, while progress hears that it goes on.
    void workNow(PreviewJob& job, Progress* progress);
    /// The job under way stops early and is not reported.
    void cancel();
    /// The folder read so far is out of date from epoch on: the next job reads it again.
    void forgetFolder(unsigned long long epoch);
    /// Hears, on this object's thread, how far the job of a generation came reading what the files
    /// hold (done of total), while it reads.
    using ReadingShower = std::function<void(unsigned long long generation, std::size_t done, std::size_t total)>;
    void setReadingShower(ReadingShower shower) { readingShower_ = std::move(shower); }

private:
    struct SnapshotSlot;
    static bool workOut(PreviewJob& job, SnapshotSlot& slot, const std::function<bool()>& cancelled,
                        Progress* reading = nullptr);
    void showReading(unsigned long long generation, std::size_t done, std::size_t total);

    QThreadPool pool_;
    /// The generation of the job whose result is awaited, 0 when none: other jobs stop early.
    std::shared_ptr<std::atomic<unsigned long long>> latest_;
    /// The snapshot the worker read last, so a job queued before the one that read it does not
    /// read the folder a second time.
    std::shared_ptr<SnapshotSlot> slot_;
    ReadingShower readingShower_;
};

}  // namespace velmora
