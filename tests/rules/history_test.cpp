// The rename history: taking runs back and redoing them, across folders and restarts, and what
// happens when the history cannot be written or read.
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "interaction/click.h"
#include "interaction/history_prompts.h"
#include "tests/reliability/read_only.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;
using Contents = std::map<std::string, std::string>;

Contents contents(const TempFolder& f) {
    Contents all;
    for (const std::string& name : f.entries()) all[name] = name.back() == '/' ? "" : f.read(name);
    return all;
}

std::string noSeparator(std::string path) {
    path.pop_back();
    return path;
}

// Runs raw SQL on the history file, as another program would.
void sql(const std::string& database, const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", c);
        out += two;
    }
    return out;
}

class History : public RuleTest {
protected:
    void undo(int answer = answerOk) {
        w.answer({answer});
        undoLastRun(w, s);
    }
    void redo() { redoLastRun(w, s); }
    void prefix(const char* text) {
        w.type(编辑框6, text);
        run(addPrefix());
    }
    /// The undo question about the run newest places down the history (0: the newest).
    std::string question(const TempFolder& folder, int n, std::size_t newest = 0) {
        return "撤销上次更名？\n“" + noSeparator(folder.path()) + "”中的" + std::to_string(n) + "个更名（" +
               runLabel(s.journal.runs().at(newest)).toUtf8() + "）";
    }
    TempFolder state;
};

TEST_F(History, aRunAndItsUndoLeaveTheFolderAsItWas) {
    files({"1.mp4", "2.mp4", "01.mp4", "10.mp4"});
    const Contents before = contents(f);
    run(zeroPadding());  // 1.mp4 fails: 01.mp4 exists; 2.mp4 becomes 02.mp4
    EXPECT_EQ(f.entries(), (Names{"1.mp4", "02.mp4", "01.mp4", "10.mp4"}));
    w.messages.clear();
    w.answer({answerOk});
    const MadeRenames undone = undoLastRun(w, s);
    EXPECT_EQ(contents(f), before);
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg(question(f, 1).c_str(), style::okCancel, "提示"),
                                              msg("撤销了1个", style::ok, "提示")}));
    EXPECT_EQ(w.planShown, std::vector<Text>{"02.mp4 → 2.mp4"_t}) << "the details list the renames as undo makes them";
    EXPECT_FALSE(s.journal.canUndo());
    // The list view follows what each of them renamed: (old name, new name).
    using Pairs = std::vector<std::pair<Text, Text>>;
    EXPECT_EQ(undone.folder, Text::fromUtf8(f.path()));
    EXPECT_EQ(undone.renamed, (Pairs{{"02.mp4"_t, "2.mp4"_t}}));
    EXPECT_EQ(redoLastRun(w, s).renamed, (Pairs{{"2.mp4"_t, "02.mp4"_t}}));
}

// A run's names are held once, compactly, and shared by the listing, the plan, the run's renames
// and the rows; every kind of name must come through a run, its undo and a second run byte for byte.
TEST_F(History, namesOfEveryKindSurviveARunItsUndoAndASecondRun) {
    std::string chinese255;
    for (int i = 0; i < 84; ++i) chinese255 += "中";
    chinese255 += "abc";  // 255 bytes: a prefix makes it too long
    const Names before = {"第1集 高清.mkv",
                          "😀 𠀀.txt",
                          "\xb5\xda"
                          "1.mp4",
                          "a\xff.txt",
                          chinese255,
                          "plain.mp4"};
    for (const std::string& n : before) f.file(n, "token:" + n);
    const Contents original = contents(f);
    w.type(编辑框6, "新");
    const RunResult first = run(addPrefix());
    // Names that are not UTF-8 are never renamed; a name at 255 bytes cannot grow.
    EXPECT_EQ(f.entries(), (Names{"新第1集 高清.mkv", "新😀 𠀀.txt",
                                  "\xb5\xda"
                                  "1.mp4",
                                  "a\xff.txt", chinese255, "新plain.mp4"}));
    using Pairs = std::set<std::pair<std::string, std::string>>;
    const auto pairsOf = [](const RenameList& renames) {
        Pairs out;
        for (const auto& [from, to] : renames) out.emplace(from.toUtf8(), to.toUtf8());
        return out;
    };
    EXPECT_EQ(
        pairsOf(first.renamed),
        (Pairs{{"第1集 高清.mkv", "新第1集 高清.mkv"}, {"😀 𠀀.txt", "新😀 𠀀.txt"}, {"plain.mp4", "新plain.mp4"}}));
    EXPECT_EQ(f.read("新😀 𠀀.txt"), "token:😀 𠀀.txt");
    undo();
    EXPECT_EQ(contents(f), original);
    w.type(编辑框6, "x");
    const RunResult second = run(addPrefix());
    EXPECT_EQ(f.entries(), (Names{"x第1集 高清.mkv", "x😀 𠀀.txt",
                                  "\xb5\xda"
                                  "1.mp4",
                                  "a\xff.txt", chinese255, "xplain.mp4"}));
    w.answer({answerOk});
    const MadeRenames undone = undoLastRun(w, s);
    std::vector<std::pair<Text, Text>> backwards;
    for (const auto& [from, to] : second.renamed) backwards.emplace(backwards.begin(), to, from);
    ASSERT_EQ(backwards.size(), 3u);
    EXPECT_EQ(undone.renamed, backwards) << "taken back newest first";
    EXPECT_EQ(contents(f), original);
}

TEST_F(History, severalRunsInTwoFoldersUndoneThenRedoneGoThroughTheSameStates) {
    TempFolder other;
    files({"a.mp4", "b.mp4", "第1集.mkv"});
    other.file("x.txt", "X");
    other.file("y.txt", "Y");
    const auto both = [&] { return std::make_pair(contents(f), contents(other)); };
    std::vector<std::pair<Contents, Contents>> states{both()};
    prefix("p");
    states.push_back(both());
    w.setFolder(other.path());
    prefix("q");
    states.push_back(both());
    w.setFolder(f.path());
    w.type(编辑框1, "p");
    run(deleteOccurrences());
    states.push_back(both());
    w.type(编辑框7, "-end");
    run(addSuffix());
    states.push_back(both());
    ASSERT_EQ(s.journal.runs().size(), 4u);

    w.messages.clear();
    for (std::size_t k = states.size() - 1; k-- > 0;) {
        undo();
        EXPECT_EQ(both(), states[k]) << "after taking back run " << k + 1;
    }
    EXPECT_FALSE(s.journal.canUndo());
    EXPECT_EQ(w.messages[0], msg(question(f, 3).c_str(), style::okCancel, "提示"));
    EXPECT_EQ(w.messages[4], msg(question(other, 2, 2).c_str(), style::okCancel, "提示"))
        << "the newest run, whatever its folder";
    undo();
    EXPECT_EQ(w.messages.size(), 8u) << "nothing left: no question";

    w.messages.clear();
    for (std::size_t k = 1; k < states.size(); ++k) {
        redo();
        EXPECT_EQ(both(), states[k]) << "after redoing run " << k;
    }
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg("重做了3个", style::ok, "提示"), msg("重做了2个", style::ok, "提示"),
                                  msg("重做了3个", style::ok, "提示"), msg("重做了3个", style::ok, "提示")}));
    redo();
    EXPECT_EQ(w.messages.size(), 4u) << "nothing left to redo";
    undo();
    EXPECT_EQ(both(), states[3]) << "undo walks back again from the top";
}

TEST_F(History, aRunThatRenamedNothingLeavesUndoAndRedoAsTheyWere) {
    files({"a.mp4", "b.mp4"});
    prefix("x");  // the run to take back
    prefix("y");
    undo();  // the run to redo
    struct Case {
        const char* what;
        std::function<void()> act;
    };
    const std::vector<Case> cases{
        {"a cancelled confirmation",
         [&] {
             w.answer({answerCancel});
             prefix("z");
         }},
        {"nothing to change",
         [&] {
             w.type(编辑框8, "never-there");
             run(deleteBefore());
         }},
        {"every rename fails",
         [&] {
             ReadOnlyFolder readOnly(f.path());
             ASSERT_TRUE(readOnly.ok());
             prefix("z");
         }},
    };
    for (const Case& c : cases) {
        c.act();
        EXPECT_EQ(s.journal.runs().size(), 2u) << c.what;
        EXPECT_TRUE(s.journal.canUndo()) << c.what;
        EXPECT_TRUE(s.journal.canRedo()) << c.what;
    }
    redo();
    EXPECT_TRUE(f.exists("yxa.mp4"));
    undo();
    undo();
    EXPECT_EQ(f.entries(), (Names{"a.mp4", "b.mp4"}));
}

TEST_F(History, aNewRunEndsTheWayForwardToRunsTakenBack) {
    files({"a.mp4"});
    prefix("x");
    undo();
    EXPECT_TRUE(s.journal.canRedo());
    prefix("y");
    EXPECT_FALSE(s.journal.canRedo());
    w.messages.clear();
    redo();
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(f.entries(), Names{"ya.mp4"});
}

TEST_F(History, namesTakenMeanwhileStayAndAreReportedByUndoAndRedo) {
    files({"a.mp4", "b.mp4"});
    prefix("x");
    f.file("a.mp4", "newcomer");
    w.messages.clear();
    undo();
    EXPECT_EQ(f.entries(), (Names{"a.mp4", "b.mp4", "xa.mp4"}));
    EXPECT_EQ(f.read("a.mp4"), "newcomer");
    EXPECT_EQ(w.messages.back(), msg("撤销了1个，1个无法撤销", style::ok, "提示"));
    f.file("xb.mp4", "another");
    redo();
    EXPECT_EQ(w.messages.back(), msg("重做了0个，1个无法重做", style::ok, "提示"));
    EXPECT_EQ(f.read("b.mp4"), "token:b.mp4");
    EXPECT_EQ(f.read("xb.mp4"), "another");
}

// The history knows each entry by its inode: a name that now holds another file is not the
// entry the run renamed, whatever its name says.
TEST_F(History, undoAndRedoLeaveAloneAFileThatTookTheRenamedEntrysName) {
    files({"a.mp4", "b.mp4"});
    prefix("x");
    ASSERT_EQ(std::rename((f.path() + "xa.mp4").c_str(), (f.path() + "kept.mp4").c_str()), 0);
    f.file("xa.mp4", "newcomer");
    w.messages.clear();
    undo();
    EXPECT_EQ(f.entries(), (Names{"b.mp4", "kept.mp4", "xa.mp4"}));
    EXPECT_EQ(f.read("xa.mp4"), "newcomer");
    EXPECT_EQ(f.read("kept.mp4"), "token:a.mp4");
    EXPECT_EQ(w.messages.back(), msg("撤销了1个，1个无法撤销", style::ok, "提示"));

    // The same the other way: b.mp4 went back, the user moved it away and made another b.mp4.
    ASSERT_EQ(std::rename((f.path() + "b.mp4").c_str(), (f.path() + "b-old.mp4").c_str()), 0);
    f.file("b.mp4", "another");
    redo();
    EXPECT_EQ(w.messages.back(), msg("重做了0个，1个无法重做", style::ok, "提示"));
    EXPECT_EQ(f.entries(), (Names{"b-old.mp4", "b.mp4", "kept.mp4", "xa.mp4"}));
    EXPECT_EQ(f.read("b.mp4"), "another");
}

TEST_F(History, swapsAreCountedInEntriesByTheRunTheUndoAndTheRedo) {
    files({"1", "2", "3", "4"});
    w.type(编辑框_模板, "#");
    w.type(编辑框_起始, "4");
    w.type(编辑框_步长, "-1");
    run(numbering());  // two swaps, 1 <-> 4 and 2 <-> 3: six renames on disk
    EXPECT_EQ(w.messages.back(), msg("成功改名4个", style::ok, "提示"));
    EXPECT_EQ(f.read("1"), "token:4");
    w.messages.clear();
    undo();
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg(question(f, 4).c_str(), style::okCancel, "提示"),
                                              msg("撤销了4个", style::ok, "提示")}));
    EXPECT_EQ(f.read("1"), "token:1");
    EXPECT_EQ(f.read("4"), "token:4");
    redo();
    EXPECT_EQ(w.messages.back(), msg("重做了4个", style::ok, "提示"));
    EXPECT_EQ(f.read("1"), "token:4");
    EXPECT_EQ(f.read("3"), "token:2");
    EXPECT_EQ(f.entries(), (Names{"1", "2", "3", "4"}));
}

TEST_F(History, chainsInsideOneRunGoBackInReverseOrder) {
    files({"a", "b"});
    std::vector<JournalStep> steps{{"b", "c", 0}, {"a", "b", 0}};
    for (JournalStep& step : steps) {
        struct stat st {};
        ASSERT_EQ(stat((f.path() + step.from).c_str(), &st), 0);
        step.inode = st.st_ino;
    }
    auto recorder = s.journal.begin(Text::fromUtf8(f.path()), "链"_t, steps);
    ASSERT_TRUE(recorder);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        ASSERT_EQ(std::rename((f.path() + steps[i].from).c_str(), (f.path() + steps[i].to).c_str()), 0);
        recorder->step(i, true);
    }
    ASSERT_TRUE(recorder->finish());
    undo();
    EXPECT_EQ(f.entries(), (Names{"a", "b"}));
    EXPECT_EQ(f.read("a"), "token:a");
    EXPECT_EQ(f.read("b"), "token:b");
}

TEST_F(History, survivesARestartAndNamesEachRunByItsButton) {
    files({"a.mp4"});
    const std::string dir = state.path() + "velmora";
    {
        Session first;
        ASSERT_EQ(first.journal.open(dir), Journal::Opened::Ok);
        w.type(编辑框6, "x");
        runRenameRule(addPrefix(), w, first, nullptr, "加前缀"_t);
    }
    {
        Session second;
        openHistory(w, second, dir);
        ASSERT_TRUE(second.journal.canUndo());
        const auto runs = second.journal.runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].caption, "加前缀"_t);
        EXPECT_EQ(runs[0].folder, Text::fromUtf8(f.path()));
        w.messages.clear();
        undoLastRun(w, second);
        EXPECT_EQ(w.messages.back(), msg("撤销了1个", style::ok, "提示"));
    }
    EXPECT_EQ(f.entries(), Names{"a.mp4"});
    Session third;
    openHistory(w, third, dir);
    EXPECT_FALSE(third.journal.canUndo());
    redoLastRun(w, third);
    EXPECT_EQ(f.entries(), Names{"xa.mp4"});
}

TEST_F(History, startUpKeepsTheNewestRuns) {
    const std::string dir = state.path() + "velmora";
    {
        Journal journal;
        ASSERT_EQ(journal.open(dir), Journal::Opened::Ok);
    }
    // Five runs more than are kept, each folder named by its number.
    sql(dir + "/history.sqlite3", "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                                      std::to_string(kKeptRuns + 4) +
                                      ") INSERT INTO runs(folder, started, caption, state, step_count) "
                                      "SELECT CAST(i AS BLOB), 0, x'', 1, 0 FROM n; "
                                      "INSERT INTO plans(run, steps) SELECT id, x'' FROM runs");
    Session session;
    openHistory(w, session, dir);
    const auto runs = session.journal.runs();
    ASSERT_EQ(runs.size(), kKeptRuns);
    EXPECT_EQ(runs.front().folder, toText(static_cast<long long>(kKeptRuns + 4)));
    EXPECT_EQ(runs.back().folder, toText(5));
    EXPECT_EQ(session.journal.newestDone()->folder, toText(static_cast<long long>(kKeptRuns + 4)))
        << "the plans of the runs kept are kept too";
}

TEST_F(History, thePlanIsDurableBeforeTheFirstRenameAndProgressComesInBatches) {
    const std::string dir = state.path() + "velmora";
    Journal writer;
    Journal reader;
    ASSERT_EQ(writer.open(dir), Journal::Opened::Ok);
    ASSERT_EQ(reader.open(dir), Journal::Opened::Ok);
    std::vector<JournalStep> steps;
    for (int i = 0; i < 2500; ++i) steps.push_back({"old" + std::to_string(i), "新" + std::to_string(i), 100u + i});
    steps.push_back({"", std::string("\xff\0x", 3), ~0ull});  // any bytes survive
    auto recorder = writer.begin(Text::fromUtf8(f.path()), "按钮"_t, steps);
    ASSERT_TRUE(recorder);
    const auto seen = [&] {
        auto runs = reader.orphaned();  // none: the writer is alive
        EXPECT_TRUE(runs.empty());
        return reader.runs().at(0);
    };
    EXPECT_EQ(seen().state, RunState::Running);
    EXPECT_EQ(seen().stepCount, steps.size());
    for (std::size_t i = 0; i < RunRecorder::kBatchSteps - 1; ++i) recorder->step(i, i % 2 == 0);
    EXPECT_EQ(seen().made, 0u) << "no batch yet";
    recorder->step(RunRecorder::kBatchSteps - 1, true);
    EXPECT_EQ(seen().made, RunRecorder::kBatchSteps / 2 + 1);
    for (std::size_t i = RunRecorder::kBatchSteps; i < steps.size(); ++i) recorder->step(i, true);
    ASSERT_TRUE(recorder->finish());
    const auto done = reader.newestDone();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->steps, steps);
    EXPECT_EQ(done->made, steps.size() - RunRecorder::kBatchSteps / 2 + 1);
    EXPECT_EQ(done->states[1], StepState::NotMade);
    EXPECT_EQ(done->states[2], StepState::Made);
}

// A history written before the step states had a table of their own: opening it keeps every run's
// states, so a run partly taken back is still taken back only where it was made.
TEST_F(History, aHistoryOfTheFirstVersionKeepsItsStepStates) {
    const std::string dir = state.path() + "velmora";
    std::filesystem::create_directories(dir);
    std::vector<JournalStep> steps{{"a.mp4", "b.mp4", 11}, {"c.mp4", "d.mp4", 12}, {"e.mp4", "f.mp4", 13}};
    sql(dir + "/history.sqlite3",
        "PRAGMA journal_mode = WAL;"
        "CREATE TABLE runs(id INTEGER PRIMARY KEY AUTOINCREMENT, folder BLOB NOT NULL, started INTEGER NOT NULL,"
        " caption BLOB NOT NULL, state INTEGER NOT NULL, owner TEXT, step_count INTEGER NOT NULL,"
        " attempted INTEGER NOT NULL DEFAULT 0, made INTEGER NOT NULL DEFAULT 0, undo_order INTEGER);"
        "CREATE INDEX runs_by_state ON runs(state);"
        "CREATE TABLE plans(run INTEGER PRIMARY KEY, steps BLOB NOT NULL, states BLOB);"
        "PRAGMA user_version = 1;"
        "INSERT INTO runs(folder, started, caption, state, step_count, made) VALUES(x'2f', 0, x'', 1, 3, 1);"
        "INSERT INTO runs(folder, started, caption, state, step_count, made, undo_order)"
        " VALUES(x'2f', 0, x'', 3, 3, 2, 1);"
        "INSERT INTO plans(run, steps, states) VALUES(1, x'" +
            hex(encodeSteps(steps)) + "', x'000100'), (2, x'" + hex(encodeSteps(steps)) + "', x'020202');");
    Journal journal;
    ASSERT_EQ(journal.open(dir), Journal::Opened::Ok);
    const auto done = journal.newestDone();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->steps, steps);
    EXPECT_EQ(done->states, (std::vector<StepState>{StepState::NotMade, StepState::Made, StepState::NotMade}));
    const auto undone = journal.lastUndone();
    ASSERT_TRUE(undone);
    EXPECT_EQ(undone->states, std::vector<StepState>(3, StepState::TakenBack));
    // Written again, the states are read back as written, not as the first version left them.
    ASSERT_TRUE(journal.claim(done->id, RunState::Done, RunState::Undoing));
    ASSERT_TRUE(
        journal.settle(done->id, RunState::Undone, {StepState::NotMade, StepState::TakenBack, StepState::NotMade}));
    EXPECT_EQ(journal.lastUndone()->states[1], StepState::TakenBack);
}

TEST_F(History, aReadOnlyStateFolderAsksBeforeRenamingWithoutHistory) {
    files({"a.mp4"});
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "database exists" : "no database yet");
        const std::string dir = state.path() + (existing ? "old" : "new");
        mkdir(dir.c_str(), 0755);
        if (existing) {
            Journal journal;
            ASSERT_EQ(journal.open(dir), Journal::Opened::Ok);
        }
        ReadOnlyFolder readOnly(dir);
        if (!readOnly.ok()) GTEST_SKIP() << "this file system cannot make a folder read-only";
        ASSERT_EQ(s.journal.open(dir), Journal::Opened::Failed);
        w.messages.clear();
        w.answer({answerOk, answerCancel});
        prefix("x");
        EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                                  msg("无法记录更名历史，仍然更名吗？", style::okCancel, "提示")}));
        EXPECT_EQ(f.entries(), Names{"a.mp4"}) << "Cancel renames nothing";
        w.answer({answerOk, answerOk});
        prefix("x");
        EXPECT_EQ(f.entries(), Names{"xa.mp4"}) << "OK renames without history";
        EXPECT_FALSE(s.journal.canUndo());
        ASSERT_EQ(std::rename((f.path() + "xa.mp4").c_str(), (f.path() + "a.mp4").c_str()), 0);
    }
}

TEST_F(History, aDatabaseLockedLongerThanTheTimeoutAsksToo) {
    files({"a.mp4"});
    const std::string dir = state.path() + "velmora";
    ASSERT_EQ(s.journal.open(dir), Journal::Opened::Ok);
    s.journal.setBusyTimeout(100);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open((dir + "/history.sqlite3").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; DELETE FROM runs;", nullptr, nullptr, nullptr), SQLITE_OK);
    w.answer({answerOk, answerCancel});
    prefix("x");
    EXPECT_EQ(w.messages.back(), msg("无法记录更名历史，仍然更名吗？", style::okCancel, "提示"));
    EXPECT_EQ(f.entries(), Names{"a.mp4"});
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    prefix("x");
    EXPECT_TRUE(s.journal.canUndo()) << "recorded again once the lock is gone";
}

TEST_F(History, anUnreadableDatabaseIsMovedAsideAndTheUserToldOnce) {
    files({"a.mp4"});
    const std::string dir = state.path() + "velmora";
    mkdir(dir.c_str(), 0755);
    const std::string garbage(5000, 'Z');
    std::ofstream(dir + "/history.sqlite3", std::ios::binary) << garbage;
    openHistory(w, s, dir);
    ASSERT_EQ(w.messages.size(), 1u);
    const std::string told = w.messages[0].text.toUtf8();
    EXPECT_EQ(told.rfind("更名历史无法读取，已把它另存为“history.sqlite3.broken-", 0), 0u) << told;
    EXPECT_EQ(w.messages[0].style, style::information);
    std::string aside;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("history.sqlite3.broken-", 0) == 0) aside = e.path();
    ASSERT_FALSE(aside.empty());
    EXPECT_NE(told.find(std::filesystem::path(aside).filename().string()), std::string::npos);
    std::ifstream in(aside, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage) << "kept as it was";
    prefix("x");
    EXPECT_TRUE(s.journal.canUndo()) << "a fresh history records";
    w.messages.clear();
    Session again;
    openHistory(w, again, dir);
    EXPECT_TRUE(w.messages.empty()) << "told once";
    EXPECT_TRUE(again.journal.canUndo());
}

// Neither a history locked by another program nor one written by a newer version is broken:
// each is left where it is, whole, and this run goes on without history.
TEST_F(History, aHistoryThatCannotBeUsedForNowIsLeftAlone) {
    const std::string dir = state.path() + "velmora";
    const std::string database = dir + "/history.sqlite3";
    const auto asideFiles = [&] {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            n += e.path().filename().string().find("broken") != std::string::npos;
        return n;
    };
    mkdir(dir.c_str(), 0755);
    {
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(database.c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE; CREATE TABLE theirs(x);", nullptr, nullptr, nullptr),
                  SQLITE_OK);
        Journal journal;
        journal.setBusyTimeout(100);
        EXPECT_EQ(journal.open(dir), Journal::Opened::Failed) << "locked";
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        EXPECT_EQ(asideFiles(), 0);
    }
    std::filesystem::remove(database);
    {
        Journal journal;
        ASSERT_EQ(journal.open(dir), Journal::Opened::Ok);
    }
    // Marked older than it is: bringing it up to date fails, and it is left as it was.
    sql(database, "PRAGMA user_version = 2");
    {
        Journal journal;
        EXPECT_EQ(journal.open(dir), Journal::Opened::Failed) << "its columns are there already";
        EXPECT_EQ(asideFiles(), 0);
    }
    sql(database, "PRAGMA user_version = 4");
    Journal journal;
    EXPECT_EQ(journal.open(dir), Journal::Opened::Failed) << "newer";
    EXPECT_EQ(asideFiles(), 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK);
    sqlite3_stmt* version = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &version, nullptr);
    ASSERT_EQ(sqlite3_step(version), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(version, 0), 4);
    sqlite3_finalize(version);
    sqlite3_close(db);
}

TEST_F(History, twoWritersAtOnceLoseNothing) {
    const std::string dir = state.path() + "velmora";
    constexpr int kRuns = 15;
    std::vector<int> failures(2, 0);
    auto writer = [&](int who) {
        Journal journal;
        if (journal.open(dir) != Journal::Opened::Ok) {
            failures[who] = kRuns;
            return;
        }
        for (int i = 0; i < kRuns; ++i) {
            auto recorder = journal.begin(toText(who), toText(i), {{"a", "b", 1}, {"c", "d", 2}});
            if (!recorder) {
                ++failures[who];
                continue;
            }
            recorder->step(0, true);
            recorder->step(1, i % 2 == 0);
            if (!recorder->finish()) ++failures[who];
        }
    };
    std::thread one(writer, 0);
    std::thread two(writer, 1);
    one.join();
    two.join();
    EXPECT_EQ(failures, (std::vector<int>{0, 0}));
    Journal journal;
    ASSERT_EQ(journal.open(dir), Journal::Opened::Ok);
    const auto runs = journal.runs();
    ASSERT_EQ(runs.size(), 2u * kRuns);
    std::map<std::string, int> perWriter;
    std::size_t made = 0;
    for (const JournalRun& run : runs) {
        EXPECT_EQ(run.state, RunState::Done);
        ++perWriter[run.folder.toUtf8()];
        made += run.made;
    }
    EXPECT_EQ(perWriter, (std::map<std::string, int>{{"0", kRuns}, {"1", kRuns}}));
    EXPECT_EQ(made, 2u * (kRuns + (kRuns + 1) / 2));
}

// Two programs started at one moment make the history together: the one that finds the other
// setting it up waits for it instead of going on without history.
TEST_F(History, twoProgramsOpeningANewHistoryAtOnceBothHaveIt) {
    constexpr int kRounds = 40;
    int failed = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::string dir = state.path() + "round" + std::to_string(round);
        std::atomic<int> ready{0};
        std::atomic<int> notOpened{0};
        auto program = [&] {
            Journal journal;
            ++ready;
            while (ready < 2) std::this_thread::yield();
            if (journal.open(dir) != Journal::Opened::Ok) ++notOpened;
        };
        std::thread one(program);
        std::thread two(program);
        one.join();
        two.join();
        failed += notOpened;
    }
    EXPECT_EQ(failed, 0);
}

// A run's owner is alive while its process runs; one that has exited owns nothing, even before
// its parent has collected it, and neither does another process under the same number.
TEST(JournalOwner, aProcessThatHasExitedOwnsNothing) {
    const std::string me = Journal::self();
    EXPECT_TRUE(Journal::alive(me));
    EXPECT_FALSE(Journal::alive(me + "0")) << "another start time";
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string owner = Journal::self();
        _exit(write(pipeFds[1], owner.data(), owner.size()) == static_cast<ssize_t>(owner.size()) ? 0 : 1);
    }
    close(pipeFds[1]);
    std::string owner;
    char buffer[256];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        owner.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    EXPECT_NE(owner, me);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);  // exited, not collected
    EXPECT_FALSE(Journal::alive(owner)) << owner;
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    EXPECT_FALSE(Journal::alive(owner)) << owner;
}

// Runs left behind by a process that is gone, each as a crash leaves it.
TEST_F(History, startUpClosesWhatAGoneProcessLeftUnfinished) {
    files({"a", "b", "c"});
    const std::string dir = state.path() + "velmora";
    const std::string database = dir + "/history.sqlite3";
    const auto inode = [&](const std::string& name) {
        struct stat st {};
        stat((f.path() + name).c_str(), &st);
        return static_cast<std::uint64_t>(st.st_ino);
    };
    const std::vector<JournalStep> steps{{"a", "xa", inode("a")}, {"b", "xb", inode("b")}, {"c", "xc", inode("c")}};
    // Begins a run in another journal and renames the first made steps, then the process "dies".
    const auto leave = [&](std::size_t made) {
        Journal crashed;
        ASSERT_EQ(crashed.open(dir), Journal::Opened::Ok);
        auto recorder = crashed.begin(Text::fromUtf8(f.path()), {}, steps);
        ASSERT_TRUE(recorder);
        for (std::size_t i = 0; i < made; ++i)
            ASSERT_EQ(std::rename((f.path() + steps[i].from).c_str(), (f.path() + steps[i].to).c_str()), 0);
        crashed.close();
        recorder.reset();
        sql(database, "UPDATE runs SET owner = 'gone' WHERE state IN (0, 2, 4)");
    };

    leave(0);
    openHistory(w, s, dir);
    EXPECT_TRUE(w.messages.empty()) << "nothing was renamed: closed without a question";
    EXPECT_TRUE(s.journal.runs().empty());

    leave(2);
    f.file("xc", "not ours");  // a name the run never made, held by another entry
    w.answer({answerCancel});
    openHistory(w, s, dir);
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{
                  msg(("上次更名没有完成（已更名2个），撤销这2个吗？\n“" + noSeparator(f.path()) + "”").c_str(),
                      style::okCancel, "提示"),
                  msg("已保留，可以用“撤销上次更名”撤销", style::information, "提示")}));
    EXPECT_EQ(f.entries(), (Names{"c", "xa", "xb", "xc"})) << "Cancel keeps them";
    ASSERT_TRUE(s.journal.canUndo());
    w.messages.clear();
    undo();
    EXPECT_EQ(w.messages.back(), msg("撤销了2个", style::ok, "提示"));
    EXPECT_EQ(f.entries(), (Names{"a", "b", "c", "xc"}));
    EXPECT_EQ(f.read("xc"), "not ours");

    // An undo that stopped halfway: b is back, a not yet. It is closed as far as it got, and
    // the undo button takes back the rest.
    sql(database,
        "UPDATE runs SET state = 2, owner = 'gone'; "
        "INSERT OR REPLACE INTO step_states(run, states) SELECT id, x'010100' FROM runs");
    ASSERT_EQ(std::rename((f.path() + "a").c_str(), (f.path() + "xa").c_str()), 0);
    w.messages.clear();
    openHistory(w, s, dir);
    EXPECT_TRUE(w.messages.empty());
    ASSERT_EQ(s.journal.runs().at(0).state, RunState::Done);
    EXPECT_EQ(s.journal.runs().at(0).made, 1u);
    undo();
    EXPECT_EQ(w.messages.back(), msg("撤销了1个", style::ok, "提示"));
    EXPECT_EQ(f.entries(), (Names{"a", "b", "c", "xc"}));
    redo();
    EXPECT_EQ(w.messages.back(), msg("重做了2个", style::ok, "提示"));
    EXPECT_EQ(f.entries(), (Names{"c", "xa", "xb", "xc"}));
}

}  // namespace
}  // namespace velmora::testing
