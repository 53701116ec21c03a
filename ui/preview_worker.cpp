#include "ui/preview_worker.h"

#include <QPointer>
#include <mutex>

namespace velmora {

struct PreviewWorker::SnapshotSlot {
    std::mutex lock;
    unsigned long long epoch = 0;
    std::shared_ptr<const FolderSnapshot> snapshot;
};

namespace {

// The worker's snapshot of folder: the one read last while the folder was not forgotten since,
// else read now (outside the lock, so forgetting never waits for the disk).
template <typename Slot>
std::shared_ptr<const FolderSnapshot> snapshotFor(Slot& slot, unsigned long long epoch, const Text& folder,
                                                  Reach reach) {
    {
        const std::lock_guard<std::mutex> hold(slot.lock);
        if (slot.snapshot && slot.epoch == epoch && slot.snapshot->folder() == folder &&
            slot.snapshot->reach() == reach)
            return slot.snapshot;
    }
    auto snapshot = std::make_shared<const FolderSnapshot>(folder, reach);
    const std::lock_guard<std::mutex> hold(slot.lock);
    if (slot.epoch == epoch) slot.snapshot = snapshot;
    return snapshot;
}

// Passes how far a job came reading on to the window's thread.
class ReadingProgress final : public Progress {
public:
    explicit ReadingProgress(std::function<void(std::size_t, std::size_t)> tell) : tell_(std::move(tell)) {}
    void started() override {}
    void advanced(std::size_t done, std::size_t total) override { tell_(done, total); }
    void finished() override {}

private:
    std::function<void(std::size_t, std::size_t)> tell_;
};

}  // namespace

PreviewWorker::PreviewWorker(QObject* parent)
    : QObject(parent), latest_(std::make_shared<std::atomic<unsigned long long>>(0)),
      slot_(std::make_shared<SnapshotSlot>()) {
    pool_.setMaxThreadCount(1);
}

PreviewWorker::~PreviewWorker() {
    latest_->store(~0ull);
    pool_.waitForDone();
}

// Plans job's rule over the folder its request names, as its click would, and finds the step of
// every row; false when cancelled on the way. Touches no widget.
bool PreviewWorker::workOut(PreviewJob& job, SnapshotSlot& slot, const std::function<bool()>& cancelled,
                            Progress* reading) {
    const RenameRule& r = job.rule->rule();
    auto rows = std::make_shared<RowPreview>();
    const RunRequest& request = job.request;
    if (request.refusal || !request.kind) {
        rows->preview.refusal = request.refusal;
        rows->preview.noKindChosen = !request.refusal;
    } else {
        if (!job.folder || job.folder->folder() != request.folder || job.folder->reach() != request.reach)
            job.folder = snapshotFor(slot, job.folderEpoch, request.folder, request.reach);
        if (cancelled()) return false;
        rows->preview = previewRun(r, request, *job.folder, cancelled, reading);
        if (rows->preview.plan.abandoned || cancelled()) return false;
        if (!job.rowEntries || job.rowEntries->listing != rows->preview.plan.listing ||
            job.rowEntries->rowNames != job.rowNames)
            job.rowEntries = matchRows(rows->preview.plan.listing, job.rowNames);
        rows->stepOfRow = stepsOfRows(rows->preview.plan, *job.rowEntries);
    }
    job.rows = std::move(rows);
    return true;
}

void PreviewWorker::start(const std::shared_ptr<PreviewJob>& job,
                          std::function<void(std::shared_ptr<PreviewJob>)> done) {
    latest_->store(job->generation);
    auto latest = latest_;
    auto slot = slot_;
    QPointer<PreviewWorker> self(this);
    pool_.start([job, latest, slot, self, done = std::move(done)] {
        const auto cancelled = [&] { return latest->load() != job->generation; };
        ReadingProgress reading([&](std::size_t done, std::size_t total) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, generation = job->generation, done, total] {
                    if (self) self->showReading(generation, done, total);
                },
                Qt::QueuedConnection);
        });
        try {
            if (cancelled() || !workOut(*job, *slot, cancelled, &reading)) return;
        } catch (...) {
            return;  // out of memory matching rows: the preview shown stays until the next change
        }
        QMetaObject::invokeMethod(
            self.data(),
            [job, self, done] {
                if (self) done(job);
            },
            Qt::QueuedConnection);
    });
}

void PreviewWorker::workNow(PreviewJob& job, Progress* progress) {
    runAside(progress, [&job, slot = slot_] { workOut(job, *slot, [] { return false; }); });
}

void PreviewWorker::cancel() { latest_->store(0); }

void PreviewWorker::showReading(unsigned long long generation, std::size_t done, std::size_t total) {
    if (readingShower_ && latest_->load() == generation) readingShower_(generation, done, total);
}

void PreviewWorker::forgetFolder(unsigned long long epoch) {
    const std::lock_guard<std::mutex> hold(slot_->lock);
    slot_->snapshot.reset();
    slot_->epoch = epoch;
}

}  // namespace velmora
