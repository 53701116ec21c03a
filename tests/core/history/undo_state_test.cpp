// What the history tells its listeners: what can be undone and redone, each time that changes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "core/history/journal.h"
#include "tests/support/temp_folder.h"

namespace velmora {

void PrintTo(const UndoState& s, std::ostream* os) { *os << "{undo " << s.canUndo << ", redo " << s.canRedo << "}"; }

namespace {

constexpr UndoState kNothing{false, false};
constexpr UndoState kUndo{true, false};
constexpr UndoState kRedo{false, true};

// One history file and two journals on it: this process's and another's.
struct Histories {
    testing::TempFolder folder;
    Journal mine;
    Journal other;
    std::int64_t id = 0;  ///< the run made last
    std::unique_ptr<RunRecorder> pending;

    Histories() {
        mine.open(folder.path());
        other.open(folder.path());
    }
    void run(Journal& j, bool made = true) {
        auto recorder = j.begin("/f/"_t, "加前缀"_t, {JournalStep{"a", "pa", 1}});
        recorder->step(0, made);
        recorder->finish();
        id = recorder->id();
    }
    void undo(Journal& j) {
        j.claim(id, RunState::Done, RunState::Undoing);
        j.settle(id, RunState::Undone, {StepState::TakenBack});
    }
};

TEST(UndoState, isToldOnEveryChangeOfWhatCanBeUndoneOrRedone) {
    using Step = std::function<void(Histories&)>;
    const Step none = [](Histories&) {};
    struct Row {
        const char* what;
        Step before;
        Step change;
        std::vector<UndoState> heard;
    };
    const std::vector<Row> rows = {
        {"a run renamed something", none, [](Histories& h) { h.run(h.mine); }, {kUndo}},
        {"a run renamed nothing", none, [](Histories& h) { h.run(h.mine, false); }, {}},
        {"a run whose recorder went without finishing ends all the same",
         none,
         [](Histories& h) {
             auto recorder = h.mine.begin("/f/"_t, {}, {JournalStep{"a", "b", 1}});
             recorder->step(0, true);
         },
         {kUndo}},
        {"a run has only begun",
         none,
         [](Histories& h) {
             h.pending = h.mine.begin("/f/"_t, {}, {JournalStep{"a", "b", 1}});
         },
         {}},
        {"the only run claimed for undoing",
         [](Histories& h) { h.run(h.mine); },
         [](Histories& h) { h.mine.claim(h.id, RunState::Done, RunState::Undoing); },
         {kNothing}},
        {"it is settled undone",
         [](Histories& h) { h.run(h.mine); },
         [](Histories& h) { h.undo(h.mine); },
         {kNothing, kRedo}},
        {"it is redone",
         [](Histories& h) {
             h.run(h.mine);
             h.undo(h.mine);
         },
         [](Histories& h) {
             h.mine.claim(h.id, RunState::Undone, RunState::Redoing);
             h.mine.settle(h.id, RunState::Done, {StepState::Made});
         },
         {kNothing, kUndo}},
        {"redo ended",
         [](Histories& h) {
             h.run(h.mine);
             h.undo(h.mine);
         },
         [](Histories& h) { h.mine.endRedo(); },
         {kNothing}},
        {"a new run ends redo",
         [](Histories& h) {
             h.run(h.mine);
             h.undo(h.mine);
         },
         [](Histories& h) { h.run(h.mine); },
         {kUndo}},
        {"the run removed", [](Histories& h) { h.run(h.mine); }, [](Histories& h) { h.mine.remove(h.id); }, {kNothing}},
        {"pruned to none", [](Histories& h) { h.run(h.mine); }, [](Histories& h) { h.mine.prune(0); }, {kNothing}},
        {"closed", [](Histories& h) { h.run(h.mine); }, [](Histories& h) { h.mine.close(); }, {kNothing}},
        {"another database opened",
         [](Histories& h) { h.run(h.mine); },
         [](Histories& h) { h.mine.openInMemory(); },
         {kNothing}},
        {"a claim of a run that is not there",
         none,
         [](Histories& h) { h.mine.claim(99, RunState::Done, RunState::Undoing); },
         {}},
        // Another process's change is heard when this one next looks for a run or claims one.
        {"another process undid the run, this one looks for it",
         [](Histories& h) { h.run(h.mine); },
         [](Histories& h) {
             h.undo(h.other);
             h.mine.newestDone();
         },
         {kRedo}},
        {"another process undid the run, this one claims it",
         [](Histories& h) { h.run(h.mine); },
         [](Histories& h) {
             h.undo(h.other);
             EXPECT_FALSE(h.mine.claim(h.id, RunState::Done, RunState::Undoing));
         },
         {kRedo}},
    };
    for (const Row& row : rows) {
        Histories h;
        row.before(h);
        std::vector<UndoState> heard;
        h.mine.onUndoState([&heard](UndoState s) { heard.push_back(s); });
        ASSERT_EQ(heard.size(), 1u) << row.what << ": a listener is told at once";
        heard.clear();
        row.change(h);
        EXPECT_EQ(heard, row.heard) << row.what;
        h.pending.reset();
    }
}

TEST(UndoState, stopsWhenTheListenerIsRemovedAndNeverFromTheDestructor) {
    std::vector<UndoState> heard;
    {
        Histories h;
        const auto id = h.mine.onUndoState([&heard](UndoState s) { heard.push_back(s); });
        h.run(h.mine);
        EXPECT_EQ(heard, (std::vector<UndoState>{kNothing, kUndo}));
        h.mine.removeListener(id);
        h.mine.remove(h.id);
        EXPECT_EQ(heard.size(), 2u);
        h.run(h.mine);
        h.mine.onUndoState([&heard](UndoState s) { heard.push_back(s); });
        heard.clear();
    }
    EXPECT_TRUE(heard.empty()) << "the window a listener serves may be gone by then";
}

TEST(UndoState, aChangeMadeByAListenerIsToldAfterIt) {
    Histories h;
    h.run(h.mine);
    std::vector<UndoState> heard;
    h.mine.onUndoState([&](UndoState s) {
        heard.push_back(s);
        if (s.canRedo) h.mine.endRedo();
    });
    heard.clear();
    h.undo(h.mine);
    EXPECT_EQ(heard, (std::vector<UndoState>{kNothing, kRedo, kNothing}));
}

}  // namespace
}  // namespace velmora
