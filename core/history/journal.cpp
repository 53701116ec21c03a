#include "core/history/journal.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <thread>

#include "core/fs/file_system.h"
#include "core/fs/user_folders.h"
#include "core/history/process_identity.h"
#include "core/history/sqlite_statement.h"
#include "core/history/timed.h"

namespace velmora {
namespace {

// Version 3. A run's row stays small, because progress rewrites it while renaming (SQLite
// rewrites a whole row, large values included); its plan is one blob in a table of its own (one
// row per step made beginning a 100,000-entry run several times slower), and the state byte of
// every step is in a third table, so that writing the states never rewrites the plan.
// Version 1 kept the states beside the plan; they move when a version 1 history is opened.
// Version 3 adds the disk of each run: its device, and whether its inode numbers last.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS runs(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  folder BLOB NOT NULL,
  started INTEGER NOT NULL,
  caption BLOB NOT NULL,
  state INTEGER NOT NULL,
  owner TEXT,
  step_count INTEGER NOT NULL,
  attempted INTEGER NOT NULL DEFAULT 0,
  made INTEGER NOT NULL DEFAULT 0,
  undo_order INTEGER,
  device INTEGER,
  lasting INTEGER
);
CREATE INDEX IF NOT EXISTS runs_by_state ON runs(state);
CREATE TABLE IF NOT EXISTS plans(
  run INTEGER PRIMARY KEY,
  steps BLOB NOT NULL
);
CREATE TABLE IF NOT EXISTS step_states(
  run INTEGER PRIMARY KEY,
  states BLOB NOT NULL
);
PRAGMA user_version = 3;
)";

constexpr const char* kFromVersion1 =
    "INSERT OR REPLACE INTO step_states(run, states) "
    "SELECT run, states FROM plans WHERE states IS NOT NULL";

constexpr const char* kFromVersion2 =
    "ALTER TABLE runs ADD COLUMN device INTEGER; ALTER TABLE runs ADD COLUMN lasting INTEGER";

constexpr int kSchemaVersion = 3;

std::string statesBlob(const std::vector<StepState>& states) {
    std::string out(states.size(), '\0');
    for (std::size_t i = 0; i < states.size(); ++i) out[i] = static_cast<char>(states[i]);
    return out;
}

bool unreadable(int code) {
    code &= 0xff;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT || code == SQLITE_FORMAT;
}

std::string brokenName(const std::string& path) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = path + ".broken-" + stamp;
    for (int n = 2; access(name.c_str(), F_OK) == 0; ++n) name = path + ".broken-" + stamp + "-" + std::to_string(n);
    return name;
}

}  // namespace

// --- Journal -----------------------------------------------------------------------------------

Journal::Journal() = default;

Journal::~Journal() { closeDatabase(); }

std::string Journal::defaultFolder() {
    if (const char* dir = std::getenv("VELMORA_STATE_DIR"); dir && *dir) return dir;
    const NativeName state = userFolder(UserFolder::State, HomeFrom::HomeOrAccount);
    return state.empty() ? state : state + "/velmora";
}

void Journal::close() {
    closeDatabase();
    publish();
}

void Journal::closeDatabase() {
    if (checkpointer_.joinable()) checkpointer_.join();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    path_.clear();
}

// Copies the write-ahead log into the database file on a connection of its own, in a thread of
// its own: the log holds every committed transaction, so this changes nothing a crash could lose,
// and it keeps the log from growing run after run. A checkpoint does not stop this or any other
// process from writing meanwhile.
void Journal::checkpointLater() {
    if (path_.empty()) return;
    if (checkpointer_.joinable()) checkpointer_.join();
    checkpointer_ = std::thread([path = path_] {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK)
            sqlite3_exec(db, "PRAGMA synchronous = FULL; PRAGMA wal_checkpoint(PASSIVE)", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db);
    });
}

void Journal::setBusyTimeout(int ms) {
    busyTimeoutMs_ = ms;
    if (db_) sqlite3_busy_timeout(db_, ms);
}

bool Journal::exec(const char* sql) { return db_ && sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool Journal::prepareSchema() {
    std::int64_t v = 0;
    {
        // Finished before writing: a statement left open would hold an old read snapshot.
        Statement version(db_, "PRAGMA user_version");
        if (!version.row()) return false;
        v = version.integer(0);
    }
    if (v > kSchemaVersion) return false;
    if (v < kSchemaVersion) {
        if (!exec("BEGIN IMMEDIATE")) return false;
        // A table of an older version keeps its columns through CREATE TABLE IF NOT EXISTS.
        if (!exec(kSchema) || (v == 1 && !exec(kFromVersion1)) || ((v == 1 || v == 2) && !exec(kFromVersion2)) ||
            !exec("COMMIT")) {
            exec("ROLLBACK");
            return false;
        }
    }
    // Reading the table proves the file is a database we can use, not only a valid header.
    return Statement(db_, "SELECT count(*) FROM runs").row();
}

Journal::Opened Journal::open(const std::string& folder) {
    const Opened opened = openFile(folder);
    publish();
    return opened;
}

Journal::Opened Journal::openFile(const std::string& folder) {
    closeDatabase();
    movedAside_.clear();
    if (!createDirectories(folder, 0700)) return Opened::Failed;
    const std::string path = folder + "/" + kFileName;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            closeDatabase();
            return Opened::Failed;
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, busyTimeoutMs_);
        // Turning WAL on and making the tables take locks that SQLite does not wait for by
        // itself when another process opens the history at the same moment.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyTimeoutMs_);
        bool ok = false;
        int code = SQLITE_OK;
        for (;;) {
            ok = exec("PRAGMA journal_mode = WAL") && exec("PRAGMA synchronous = FULL") &&
                 exec("PRAGMA wal_autocheckpoint = 0") && prepareSchema();
            code = sqlite3_errcode(db_) & 0xff;
            if (ok || (code != SQLITE_BUSY && code != SQLITE_LOCKED) || std::chrono::steady_clock::now() > deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (ok) {
            path_ = path;
            return movedAside_.empty() ? Opened::Ok : Opened::MovedAside;
        }
        closeDatabase();
        struct stat st {};
        if (attempt > 0 || !unreadable(code) || stat(path.c_str(), &st) != 0) return Opened::Failed;
        // Unreadable: keep it for whoever wants to look, and start afresh.
        movedAside_ = brokenName(path);
        if (::rename(path.c_str(), movedAside_.c_str()) != 0) {
            movedAside_.clear();
            return Opened::Failed;
        }
        ::rename((path + "-wal").c_str(), (movedAside_ + "-wal").c_str());
        unlink((path + "-shm").c_str());
    }
    return Opened::Failed;
}

bool Journal::openInMemory() {
    closeDatabase();
    const bool ok =
        sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK &&
        prepareSchema();
    if (!ok) closeDatabase();
    publish();
    return ok;
}

std::unique_ptr<RunRecorder> Journal::begin(const Text& folder, const Text& caption,
                                            const std::vector<JournalStep>& steps, const RunDisk& disk) {
    StepEncoder plan;
    for (const JournalStep& s : steps) plan.add(s.from, s.to, s.inode);
    return begin(folder, caption, plan, disk);
}

std::unique_ptr<RunRecorder> Journal::begin(const Text& folder, const Text& caption, const StepEncoder& plan,
                                            const RunDisk& disk) {
    const Timed timed(writing_);
    const std::size_t steps = plan.size();
    if (!db_ || !exec("BEGIN IMMEDIATE")) return nullptr;
    Statement insert(db_,
                     "INSERT INTO runs(folder, started, caption, state, owner, step_count, device, lasting) "
                     "VALUES(?, ?, ?, 0, ?, ?, ?, ?)");
    insert.bind(1, folder.bytes())
        .bind(2, static_cast<std::int64_t>(std::time(nullptr)))
        .bind(3, caption.bytes())
        .bindText(4, self())
        .bind(5, static_cast<std::int64_t>(steps))
        .bind(6, static_cast<std::int64_t>(disk.device))
        .bind(7, disk.lastingInodes ? 1 : 0);
    bool ok = insert.done();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    // Written into its row piece by piece: bound whole, the plan would be copied once more into the
    // row SQLite builds.
    ok = ok &&
         Statement(db_, "INSERT INTO plans(run, steps) VALUES(?, ?)")
             .bind(1, id)
             .bindZeros(2, plan.blob().size())
             .done() &&
         writeBlob(db_, "plans", "steps", id, plan.blob());
    if (!ok || !exec("COMMIT")) {
        exec("ROLLBACK");
        return nullptr;
    }
    return std::unique_ptr<RunRecorder>(new RunRecorder(*this, id, steps));
}

std::vector<JournalRun> Journal::select(const std::string& where, bool withSteps) {
    std::vector<JournalRun> runs;
    if (!db_) return runs;
    std::string sql = "SELECT id, folder, started, caption, state, step_count, made, owner, device, lasting";
    sql += withSteps ? ", steps, step_states.states FROM runs JOIN plans ON plans.run = runs.id "
                       "LEFT JOIN step_states ON step_states.run = runs.id "
                     : " FROM runs ";
    sql += where;
    Statement query(db_, sql.c_str());
    while (query.row()) {
        JournalRun run;
        run.id = query.integer(0);
        run.folder = Text::fromBytes(query.blob(1));
        run.started = query.integer(2);
        run.caption = Text::fromBytes(query.blob(3));
        run.state = static_cast<RunState>(query.integer(4));
        run.stepCount = static_cast<std::size_t>(query.integer(5));
        run.made = static_cast<std::size_t>(query.integer(6));
        run.owner = query.blob(7);
        run.disk.device = static_cast<std::uint64_t>(query.integer(8));  // 0 where older versions wrote none
        run.disk.lastingInodes = query.isNull(9) || query.integer(9) != 0;
        if (withSteps) {
            auto steps = decodeSteps(query.blob(10));
            if (!steps || steps->size() != run.stepCount) continue;  // a damaged row is never acted on
            run.steps = std::move(*steps);
            const std::string states = query.blob(11);
            run.states.assign(run.steps.size(), StepState::NotMade);
            for (std::size_t i = 0; i < states.size() && i < run.states.size(); ++i)
                run.states[i] = static_cast<StepState>(states[i]);
        }
        runs.push_back(std::move(run));
    }
    return runs;
}

std::optional<JournalRun> Journal::one(const char* where) {
    auto runs = select(where, true);
    if (runs.empty()) return std::nullopt;
    return std::move(runs.front());
}

std::vector<JournalRun> Journal::runs() { return select("ORDER BY id DESC", false); }

// Looking for a run to undo or redo may find that another process changed what there is.
std::optional<JournalRun> Journal::newestDone() {
    auto run = one("WHERE state = 1 ORDER BY id DESC LIMIT 1");
    publish();
    return run;
}

std::optional<JournalRun> Journal::lastUndone() {
    auto run = one("WHERE state = 3 AND undo_order IS NOT NULL ORDER BY undo_order DESC LIMIT 1");
    publish();
    return run;
}

bool Journal::canUndo() { return db_ && Statement(db_, "SELECT 1 FROM runs WHERE state = 1 LIMIT 1").row(); }

bool Journal::canRedo() {
    return db_ && Statement(db_, "SELECT 1 FROM runs WHERE state = 3 AND undo_order IS NOT NULL LIMIT 1").row();
}

std::vector<JournalRun> Journal::orphaned() {
    std::vector<JournalRun> found;
    for (JournalRun& run : select("WHERE state IN (0, 2, 4) ORDER BY id", true))
        if (!alive(run.owner)) found.push_back(std::move(run));
    return found;
}

bool Journal::claim(std::int64_t id, RunState from, RunState to, const std::optional<std::string>& owner) {
    if (!db_) return false;
    Statement update(db_, owner ? "UPDATE runs SET state = ?, owner = ? WHERE id = ? AND state = ? AND owner IS ?"
                                : "UPDATE runs SET state = ?, owner = ? WHERE id = ? AND state = ?");
    update.bind(1, static_cast<int>(to)).bindText(2, self()).bind(3, id).bind(4, static_cast<int>(from));
    if (owner && owner->empty())
        sqlite3_bind_null(update.get(), 5);
    else if (owner)
        update.bindText(5, *owner);
    const bool claimed = update.done() && sqlite3_changes(db_) == 1;
    // Claimed or not: a claim that fails finds the run in another process's hands.
    publish();
    return claimed;
}

bool Journal::settle(std::int64_t id, RunState to, const std::vector<StepState>& states) {
    if (!db_ || !exec("BEGIN IMMEDIATE")) return false;
    std::int64_t made = 0;
    for (StepState s : states) made += s == StepState::Made;
    const char* sql = to == RunState::Undone
                          ? "UPDATE runs SET state = ?, owner = NULL, made = ?, "
                            "undo_order = (SELECT IFNULL(MAX(undo_order), 0) + 1 FROM runs) WHERE id = ?"
                          : "UPDATE runs SET state = ?, owner = NULL, made = ?, undo_order = NULL WHERE id = ?";
    bool ok =
        Statement(db_, sql).bind(1, static_cast<int>(to)).bind(2, made).bind(3, id).done() && writeStates(id, states);
    ok = ok && exec("COMMIT");
    if (!ok) exec("ROLLBACK");
    publish();
    return ok;
}

bool Journal::writeStates(std::int64_t id, const std::vector<StepState>& states) {
    return Statement(db_, "INSERT OR REPLACE INTO step_states(run, states) VALUES(?, ?)")
        .bind(1, id)
        .bind(2, statesBlob(states))
        .done();
}

bool Journal::endRedo() {
    const bool ok = clearRedo();
    publish();
    return ok;
}

bool Journal::clearRedo() { return exec("UPDATE runs SET undo_order = NULL WHERE state = 3"); }

bool Journal::remove(std::int64_t id) {
    const bool ok = deleteRun(id);
    publish();
    return ok;
}

bool Journal::deleteRun(std::int64_t id) {
    return db_ && Statement(db_, "DELETE FROM plans WHERE run = ?").bind(1, id).done() &&
           Statement(db_, "DELETE FROM step_states WHERE run = ?").bind(1, id).done() &&
           Statement(db_, "DELETE FROM runs WHERE id = ?").bind(1, id).done();
}

void Journal::prune(std::size_t keep) {
    if (!db_) return;
    Statement(db_,
              "DELETE FROM runs WHERE state IN (1, 3) AND id NOT IN (SELECT id FROM runs ORDER BY id DESC LIMIT ?)")
        .bind(1, static_cast<std::int64_t>(keep))
        .done();
    exec("DELETE FROM plans WHERE run NOT IN (SELECT id FROM runs)");
    exec("DELETE FROM step_states WHERE run NOT IN (SELECT id FROM runs)");
    publish();
}

Journal::ListenerId Journal::onUndoState(UndoListener listener) {
    const ListenerId id = nextListener_++;
    listeners_.emplace(id, std::move(listener));
    told_.reset();  // the new listener is told at once (the others hear it again)
    publish();
    return id;
}

void Journal::removeListener(ListenerId id) { listeners_.erase(id); }

void Journal::publish() {
    // A listener that changes the history is told of its change once it returns.
    if (publishing_) {
        publishAgain_ = true;
        return;
    }
    struct Publishing {
        bool& flag;
        explicit Publishing(bool& f) : flag(f) { flag = true; }
        ~Publishing() { flag = false; }
    } publishing(publishing_);
    do {
        publishAgain_ = false;
        // Without listeners nothing is asked: a run pays nothing for a history nobody watches.
        if (listeners_.empty()) return;
        const UndoState now{canUndo(), canRedo()};
        if (told_ && *told_ == now) return;
        told_ = now;
        // Copied: a listener may stop listening while it is told.
        const auto listeners = listeners_;
        for (const auto& entry : listeners) entry.second(now);
    } while (publishAgain_);
}

std::string Journal::self() { return processIdentity(); }

bool Journal::alive(const std::string& owner) { return processAlive(owner); }

}  // namespace velmora
