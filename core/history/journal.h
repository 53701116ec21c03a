#pragma once
// The rename history: every run's plan written down before its first rename, its progress while
// it renames, its end last. One SQLite database per user, shared by every Velmora process.

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/history/step_codec.h"
#include "core/text/text.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velmora {

enum class StepState : std::uint8_t { NotMade = 0, Made = 1, TakenBack = 2 };

/// The disk a run renamed on, as the history keeps it.
struct RunDisk {
    std::uint64_t device = 0;  ///< st_dev of the folder; 0 when not known
    bool lastingInodes = true;  ///< the disk's inode numbers survive a remount
};

/// Running, Undoing and Redoing belong to one process while it works on the run.
enum class RunState { Running = 0, Done = 1, Undoing = 2, Undone = 3, Redoing = 4 };

struct JournalRun {
    std::int64_t id = 0;
    Text folder;  ///< the folder as currentFolder held it
    std::int64_t started = 0;  ///< seconds since the epoch
    Text caption;  ///< the caption of the rule's button
    RunState state = RunState::Running;
    std::size_t stepCount = 0;
    std::size_t made = 0;  ///< steps made when the run last ended (or as far as progress was marked)
    std::string owner;  ///< the process working on it, empty when none
    RunDisk disk;
    std::vector<JournalStep> steps;  ///< only when loaded with them
    std::vector<StepState> states;  ///< one per step, only when loaded with steps
};

/// What the history offers: a run to take back, a run to put back. The history tells its
/// listeners whenever this changes.
struct UndoState {
    bool canUndo = false;
    bool canRedo = false;

    bool operator==(const UndoState& o) const { return canUndo == o.canUndo && canRedo == o.canRedo; }
    bool operator!=(const UndoState& o) const { return !(*this == o); }
};

class Journal;

/// Marks the progress of one run in batches and ends it. Made by Journal::begin.
class RunRecorder {
public:
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    /// Step index (0-based, plan order) was tried; made tells whether the rename happened.
    void step(std::size_t index, bool made);
    /// Ends the run: kept as done when a step was made, removed from the history otherwise; the
    /// journal's listeners hear of it. False when the end could not be written (the run then looks
    /// interrupted at the next start).
    bool finish();
    std::int64_t id() const { return id_; }

    /// A batch of progress is committed after this many renames or this much time, whichever first.
    static constexpr std::size_t kBatchSteps = 1000;
    static constexpr std::chrono::milliseconds kBatchTime{500};

private:
    friend class Journal;
    RunRecorder(Journal& journal, std::int64_t id, std::size_t steps);
    void flush();

    Journal& journal_;
    std::int64_t id_;
    std::vector<StepState> states_;
    std::size_t attempted_ = 0;
    std::size_t made_ = 0;
    std::size_t flushedAt_ = 0;
    std::chrono::steady_clock::time_point flushedWhen_;
    sqlite3_stmt* progress_ = nullptr;
    bool finished_ = false;
};

class Journal {
public:
    enum class Opened {
        Ok,  ///< opened or created
        MovedAside,  ///< the database could not be read: moved aside, a fresh one started
        Failed,  ///< nothing can be recorded
    };

    using UndoListener = std::function<void(UndoState)>;
    using ListenerId = std::size_t;

    /// Not open: nothing is recorded until open or openInMemory.
    Journal();
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    /// The state folder: $VELMORA_STATE_DIR, else $XDG_STATE_HOME/velmora, else
    /// ~/.local/state/velmora.
    static std::string defaultFolder();
    static constexpr const char* kFileName = "history.sqlite3";
    static constexpr int kBusyTimeoutMs = 5000;

    /// Opens folder/history.sqlite3, creating the folder and the database as needed.
    Opened open(const std::string& folder);
    /// A history that lives as long as this object (a session without a state folder).
    bool openInMemory();
    void close();
    bool isOpen() const { return db_ != nullptr; }
    /// Where an unreadable database was moved by the last open.
    const std::string& movedAsideTo() const { return movedAside_; }
    /// How long a write waits for another process's write to end.
    void setBusyTimeout(int ms);

    /// Commits the plan durably; null when the history cannot be written.
    std::unique_ptr<RunRecorder> begin(const Text& folder, const Text& caption, const std::vector<JournalStep>& steps,
                                       const RunDisk& disk = {});
    std::unique_ptr<RunRecorder> begin(const Text& folder, const Text& caption, const StepEncoder& plan,
                                       const RunDisk& disk = {});

    /// Every run, newest first, without steps.
    std::vector<JournalRun> runs();
    /// The newest run not yet taken back, with its steps.
    std::optional<JournalRun> newestDone();
    /// The run taken back last, while no newer run has renamed something since; with its steps.
    std::optional<JournalRun> lastUndone();
    bool canUndo();
    bool canRedo();
    /// Runs left in Running, Undoing or Redoing by a process that has gone, with their steps.
    std::vector<JournalRun> orphaned();

    /// Takes run for this process when it is still in state from (and owned by owner, when given):
    /// false when another process got there first or the journal cannot be written.
    bool claim(std::int64_t id, RunState from, RunState to, const std::optional<std::string>& owner = std::nullopt);
    /// Writes the step states and the run's new state, releasing it. Undone puts the run on top of
    /// the redo order; Done takes it off. Other runs keep their places.
    bool settle(std::int64_t id, RunState to, const std::vector<StepState>& states);
    /// Runs taken back can no longer be redone (a newer run renamed something).
    bool endRedo();
    bool remove(std::int64_t id);
    /// Keeps the newest keep runs; runs some process is working on are kept too.
    void prune(std::size_t keep);

    /// Calls listener with what can be undone and redone now, then each time that changes: by a run
    /// ending, a run claimed, settled or removed, redo ended, runs pruned, or another database
    /// opened or closed. A change another process made is heard of when this journal next claims
    /// a run or looks for one to undo or redo.
    /// Listeners are called on the thread that made the change, inside the call that made it.
    /// begin, the one call made on a worker thread (while the window paints), calls none: a run
    /// that has only begun changes nothing a listener is told. Not called from the destructor.
    ListenerId onUndoState(UndoListener listener);
    void removeListener(ListenerId id);

    /// Time spent writing runs down (plans, progress, ends) since the journal was made, for
    /// measuring what the history costs a run.
    std::chrono::nanoseconds timeWriting() const { return writing_; }

    /// This process as an owner of runs: boot, process id and process start time.
    static std::string self();
    /// True while the owner process still runs.
    static bool alive(const std::string& owner);

private:
    friend class RunRecorder;
    Opened openFile(const std::string& folder);
    void closeDatabase();
    bool clearRedo();
    bool deleteRun(std::int64_t id);
    /// Tells the listeners what can be undone and redone, when it is not what they were told last.
    void publish();
    bool exec(const char* sql);
    bool prepareSchema();
    bool writeStates(std::int64_t id, const std::vector<StepState>& states);
    void checkpointLater();
    std::optional<JournalRun> one(const char* where);
    std::vector<JournalRun> select(const std::string& where, bool withSteps);

    sqlite3* db_ = nullptr;
    std::string path_;  ///< the database file, empty in memory
    std::thread checkpointer_;
    std::string movedAside_;
    int busyTimeoutMs_ = kBusyTimeoutMs;
    std::chrono::nanoseconds writing_{0};
    std::map<ListenerId, UndoListener> listeners_;
    ListenerId nextListener_ = 1;
    std::optional<UndoState> told_;  ///< what the listeners were told last
    bool publishing_ = false;
    bool publishAgain_ = false;
};

}  // namespace velmora
