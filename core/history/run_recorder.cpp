// The recorder of one run: which steps were made, marked now and then while the run goes on, and
// the run's end.
#include <sqlite3.h>

#include "core/history/journal.h"
#include "core/history/sqlite_statement.h"
#include "core/history/timed.h"

namespace velmora {

RunRecorder::RunRecorder(Journal& journal, std::int64_t id, std::size_t steps)
    : journal_(journal), id_(id), states_(steps, StepState::NotMade), flushedWhen_(std::chrono::steady_clock::now()) {
    sqlite3_prepare_v2(journal_.db_, "UPDATE runs SET attempted = ?, made = ? WHERE id = ?", -1, &progress_, nullptr);
}

RunRecorder::~RunRecorder() {
    if (!finished_) finish();
    sqlite3_finalize(progress_);
}

void RunRecorder::step(std::size_t index, bool made) {
    ++attempted_;
    if (made && index < states_.size() && states_[index] != StepState::Made) {
        states_[index] = StepState::Made;
        ++made_;
    }
    // The clock is read every 64 steps only: renames take microseconds.
    if (attempted_ - flushedAt_ >= kBatchSteps ||
        ((attempted_ & 63) == 0 && std::chrono::steady_clock::now() - flushedWhen_ >= kBatchTime))
        flush();
}

// Progress marks are hints: after a crash the disk decides which steps were made, so they are
// committed without waiting for the disk.
void RunRecorder::flush() {
    const Timed timed(journal_.writing_);
    flushedAt_ = attempted_;
    flushedWhen_ = std::chrono::steady_clock::now();
    if (!progress_) return;
    journal_.exec("PRAGMA synchronous = NORMAL");
    sqlite3_reset(progress_);
    sqlite3_bind_int64(progress_, 1, static_cast<std::int64_t>(attempted_));
    sqlite3_bind_int64(progress_, 2, static_cast<std::int64_t>(made_));
    sqlite3_bind_int64(progress_, 3, id_);
    sqlite3_step(progress_);
    sqlite3_reset(progress_);
    journal_.exec("PRAGMA synchronous = FULL");
}

bool RunRecorder::finish() {
    const Timed timed(journal_.writing_);
    finished_ = true;
    sqlite3* db = journal_.db_;
    if (!db) return false;
    if (made_ == 0) return journal_.remove(id_);
    if (!journal_.exec("BEGIN IMMEDIATE")) return false;
    // A run that renamed something ends the way back to runs taken back before it.
    bool ok = journal_.clearRedo() &&
              Statement(db, "UPDATE runs SET state = 1, owner = NULL, attempted = ?, made = ? WHERE id = ?")
                  .bind(1, static_cast<std::int64_t>(attempted_))
                  .bind(2, static_cast<std::int64_t>(made_))
                  .bind(3, id_)
                  .done() &&
              journal_.writeStates(id_, states_);
    ok = ok && journal_.exec("COMMIT");
    if (!ok) journal_.exec("ROLLBACK");
    // The plan went to the write-ahead log only; the database file gets it now that the renames
    // are done, rather than before the first, and not while the user waits for the run's report.
    journal_.checkpointLater();
    journal_.publish();
    return ok;
}

}  // namespace velmora
