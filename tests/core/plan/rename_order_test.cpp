// Ordering the renames of one run so that chains and swaps succeed, and carrying the order out.
#include "core/plan/apply.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <functional>
#include <tuple>

#include "core/fs/file_system.h"
#include "tests/support/temp_folder.h"

namespace velmora {
namespace {

using Leg = RenameOperation::Leg;
using F = StepFailure;

struct Step {
    const char* from;
    const char* to;  // nullptr: the new name has no native form
};

std::vector<RenameRequest> planned(const std::vector<Step>& steps) {
    std::vector<RenameRequest> out;
    for (const Step& s : steps) out.push_back({s.from, s.to ? std::optional<NativeName>(s.to) : std::nullopt, true});
    return out;
}

// "from>to" per operation, in order.
std::vector<std::string> operations(const RenameOrder& order) {
    std::vector<std::string> out;
    for (const RenameOperation& op : order.operations) out.push_back(op.from + ">" + op.to);
    return out;
}

struct OrderCase {
    const char* label;
    std::vector<Step> steps;
    NameSet present;
    std::vector<std::string> operations;
    std::vector<F> failures;
};

TEST(OrderRenames, chainsCyclesAndFailures) {
    const OrderCase cases[] = {
        {"independent renames keep plan order",
         {{"a", "x"}, {"b", "y"}},
         {"a", "b"},
         {"a>x", "b>y"},
         {F::None, F::None}},
        {"a chain runs from its free end",
         {{"1", "2"}, {"2", "3"}, {"3", "4"}},
         {"1", "2", "3"},
         {"3>4", "2>3", "1>2"},
         {F::None, F::None, F::None}},
        {"a swap goes through a temporary name",
         {{"a.txt", "b.txt"}, {"b.txt", "a.txt"}},
         {"a.txt", "b.txt"},
         {"a.txt>改名中转1.txt", "b.txt>a.txt", "改名中转1.txt>b.txt"},
         {F::None, F::None}},
        {"a cycle of four: the temporary name avoids every name of the run and of the folder",
         {{"a", "b"}, {"b", "c"}, {"c", "改名中转1"}, {"改名中转1", "a"}},
         {"a", "b", "c", "改名中转1", "改名中转2"},
         {"a>改名中转3", "改名中转1>a", "c>改名中转1", "b>c", "改名中转3>b"},
         {F::None, F::None, F::None, F::None}},
        {"a name held by an entry that stays fails, and so does the chain behind it",
         {{"1", "2"}, {"2", "3"}, {"x", "y"}},
         {"1", "2", "3", "x"},
         {"x>y"},
         {F::Exists, F::Exists, F::None}},
        {"the earlier claimant gets a name; the loser stays and blocks the rename into its name",
         {{"a", "n"}, {"b", "n"}, {"c", "b"}},
         {"a", "b", "c"},
         {"a>n"},
         {F::None, F::TakenByRun, F::Exists}},
        {"a name taken by the run and held on disk fails for every claimant as existing",
         {{"a", "n"}, {"b", "n"}},
         {"a", "b", "n"},
         {},
         {F::Exists, F::Exists}},
        {"a failed rename inside a would-be cycle breaks it open",
         {{"a", "b"}, {"b", "a/x"}},
         {"a", "b"},
         {},
         {F::Exists, F::LeavesFolder}},
        {"invalid new names",
         {{"a", ""}, {"b", ".."}, {"c", "c"}, {"d", nullptr}, {"e", "f"}},
         {"a", "b", "c", "d", "e"},
         {"e>f"},
         {F::Invalid, F::LeavesFolder, F::Invalid, F::Invalid, F::None}},
        {"a swap, then an unrelated rename",
         {{"a", "b"}, {"b", "a"}, {"z", "y"}},
         {"a", "b", "z"},
         {"a>改名中转1", "b>a", "改名中转1>b", "z>y"},
         {F::None, F::None, F::None}},
        {"on a disk that tells case apart, a change of case is one rename and another case is another name",
         {{"a.txt", "A.txt"}, {"b", "B"}},
         {"a.txt", "b", "B"},
         {"a.txt>A.txt"},
         {F::None, F::Exists}},
        {"a rename into a name the run frees comes after it",
         {{"a", "gone"}, {"b", "a"}},
         {"a", "b"},
         {"a>gone", "b>a"},
         {F::None, F::None}},
        {"below the folder: a swap goes through a temporary name in its own folder; names of another folder "
         "are others; a new name in another folder leaves the folder",
         {{"d/a.txt", "d/b.txt"}, {"d/b.txt", "d/a.txt"}, {"e/a.txt", "e/b.txt"}, {"d/c", "e/c"}},
         {"d", "d/a.txt", "d/b.txt", "d/c", "e", "e/a.txt", "改名中转1.txt"},
         {"d/a.txt>d/改名中转1.txt", "d/b.txt>d/a.txt", "d/改名中转1.txt>d/b.txt", "e/a.txt>e/b.txt"},
         {F::None, F::None, F::None, F::LeavesFolder}},
    };
    for (const OrderCase& c : cases) {
        const RenameOrder order = orderRenames(planned(c.steps), c.present);
        EXPECT_EQ(operations(order), c.operations) << c.label;
        EXPECT_EQ(order.failures, c.failures) << c.label;
        EXPECT_EQ(orderedFailures(planned(c.steps), c.present), c.failures) << c.label;
    }
}

// Made in the listing's order, chains and cycles move as wholes, each in its own order, and the
// temporary names are those of plan order, which the plan shown before the run named.
TEST(OrderRenames, inListingOrderChainsAndCyclesStayWholeAndKeepTheirTemporaryNames) {
    const auto steps = planned(
        {{"1", "2"}, {"2", "3"}, {"a", "b"}, {"b", "a"}, {"c", "d"}, {"d", "c"}, {"x", "y"}, {"unlisted", "u"}});
    const NameSet listed{"x", "d", "c", "2", "b", "a", "1"};
    EXPECT_EQ(operations(orderRenames(steps, listed)),
              (std::vector<std::string>{"2>3", "1>2", "a>改名中转1", "b>a", "改名中转1>b", "c>改名中转2", "d>c",
                                        "改名中转2>d", "x>y", "unlisted>u"}));
    EXPECT_EQ(operations(orderRenames(steps, listed, nullptr, MadeIn::ListingOrder)),
              (std::vector<std::string>{"x>y", "c>改名中转2", "d>c", "改名中转2>d", "2>3", "1>2", "a>改名中转1", "b>a",
                                        "改名中转1>b", "unlisted>u"}));
    // Where case is ignored, the listing's spelling finds the step's.
    Disk folding;
    folding.ignoresCase = true;
    EXPECT_EQ(operations(orderRenames(planned({{"p.JPG", "p.jpg"}, {"Q.JPG", "q.jpg"}}), NameSet{"q.jpg", "P.jpg"},
                                      &folding, MadeIn::ListingOrder)),
              (std::vector<std::string>{"Q.JPG>改名中转2.JPG", "改名中转2.JPG>q.jpg", "p.JPG>改名中转1.JPG",
                                        "改名中转1.JPG>p.jpg"}));
}

// A step its rule refused fails with the rule's reason even where its new name is free, and its
// entry stays, so the rename into its name fails too.
TEST(OrderRenames, aRefusedStepFailsWithItsReasonAndItsEntryKeepsItsName) {
    std::vector<RenameRequest> steps = planned({{"1", "2"}, {"2", "3"}, {"a", "b"}});
    steps[1].refusal = F::OutOfRange;
    const RenameOrder order = orderRenames(steps, {"1", "2", "a"});
    EXPECT_EQ(operations(order), std::vector<std::string>{"a>b"});
    EXPECT_EQ(order.failures, (std::vector<F>{F::Exists, F::OutOfRange, F::None}));
}

TEST(OrderRenames, legsNameTheirStep) {
    const RenameOrder order = orderRenames(planned({{"x", "y"}, {"a", "b"}, {"b", "a"}}), {"x", "a", "b"});
    ASSERT_EQ(order.operations.size(), 4u);
    EXPECT_EQ(order.operations[0].step, 0u);
    EXPECT_EQ(order.operations[0].leg, Leg::Whole);
    EXPECT_EQ(order.operations[1].step, 1u);
    EXPECT_EQ(order.operations[1].leg, Leg::ToTemporary);
    EXPECT_EQ(order.operations[2].step, 2u);
    EXPECT_EQ(order.operations[3].step, 1u);
    EXPECT_EQ(order.operations[3].leg, Leg::FromTemporary);
}

TEST(OrderRenames, aLongNameGetsATemporaryNameWithoutItsExtension) {
    const std::string longExtension = "." + std::string(250, 'e');
    const RenameOrder order =
        orderRenames(planned({{("a" + longExtension).c_str(), "b"}, {"b", ("a" + longExtension).c_str()}}),
                     {"a" + longExtension, "b"});
    ASSERT_EQ(order.operations.size(), 3u);
    EXPECT_EQ(order.operations[0].to, "改名中转1");
}

TEST(ApplyOrder, makesTheOperationsAndReportsEachStep) {
    testing::TempFolder f;
    f.file("a", "A");
    f.file("b", "B");
    f.file("c", "C");
    const RenameOrder order =
        orderRenames(planned({{"a", "b"}, {"b", "a"}, {"c", "a"}}), namesIn(Text::fromUtf8(f.path())));
    std::vector<std::size_t> told;
    const AppliedOrder applied =
        applyOrder(FolderHandle(f.path()), order, [&told](std::size_t done) { told.push_back(done); });
    EXPECT_EQ(told, (std::vector<std::size_t>{0, 1, 2})) << "before each operation, the ones passed so far";
    EXPECT_EQ(f.read("a"), "B");
    EXPECT_EQ(f.read("b"), "A");
    EXPECT_EQ(f.read("c"), "C");
    EXPECT_EQ(applied.renamed, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(applied.made.size(), 3u);
}

// The disk changed after planning: the new name of a step under its temporary name was taken.
TEST(ApplyOrder, aStepThatCannotLeaveItsTemporaryNameGoesBack) {
    testing::TempFolder f;
    f.file("a", "A");
    f.file("b", "B");
    RenameOrder order;
    order.failures = {F::None};
    order.operations = {{0, Leg::ToTemporary, "a", "t"}, {0, Leg::FromTemporary, "t", "b"}};
    const AppliedOrder applied = applyOrder(FolderHandle(f.path()), order);
    EXPECT_EQ(f.entries(), (std::set<std::string>{"a", "b"}));
    EXPECT_EQ(f.read("a"), "A");
    EXPECT_EQ(applied.renamed, std::vector<bool>{false});
    ASSERT_EQ(applied.made.size(), 2u);
    EXPECT_EQ(applied.made[1].leg, Leg::TakenBack);
    EXPECT_EQ(applied.made[1].from + ">" + applied.made[1].to, "t>a");
}

TEST(ApplyOrder, aStepThatNeverReachedItsTemporaryNameIsNotMovedFromIt) {
    testing::TempFolder f;
    f.file("b", "B");
    f.file("t", "T");  // not ours: must stay where it is
    RenameOrder order;
    order.failures = {F::None};
    order.operations = {{0, Leg::ToTemporary, "a", "t"}, {0, Leg::FromTemporary, "t", "x"}};
    const AppliedOrder applied = applyOrder(FolderHandle(f.path()), order);
    EXPECT_EQ(f.entries(), (std::set<std::string>{"b", "t"}));
    EXPECT_TRUE(applied.made.empty());
}

// What the history and the report hear: every history step settled once with its fate, every
// planned step ended once with why it failed. Another program may take a name between two legs.
TEST(ApplyOperations, everyStepIsSettledOnceWithItsFateAndItsReason) {
    struct Told final : ApplyListener {
        std::function<void(const RenameOperation&)> meanwhile;
        std::vector<std::pair<std::size_t, bool>> settledSteps;
        std::vector<std::tuple<std::size_t, bool, int>> ended;
        void made(const RenameOperation& op) override {
            if (meanwhile) meanwhile(op);
        }
        void settled(std::size_t k, bool made) override { settledSteps.emplace_back(k, made); }
        void stepEnded(std::size_t step, bool renamed, int error) override { ended.emplace_back(step, renamed, error); }
    };
    using Settled = std::vector<std::pair<std::size_t, bool>>;
    using Ended = std::vector<std::tuple<std::size_t, bool, int>>;
    struct Case {
        const char* what;
        std::vector<RenameOperation> operations;
        const char* takenMeanwhile;  ///< made by another program once the first operation is made
        Settled settled;
        Ended ended;
        std::set<std::string> after;
    };
    const Case cases[] = {
        {"a whole rename and one onto a name that exists",
         {{0, Leg::Whole, "a", "x"}, {1, Leg::Whole, "b", "c"}},
         nullptr,
         {{0, true}, {1, false}},
         {{0, true, 0}, {1, false, EEXIST}},
         {"x", "b", "c"}},
        {"two legs through a temporary name",
         {{0, Leg::ToTemporary, "a", "t"}, {0, Leg::FromTemporary, "t", "x"}},
         nullptr,
         {{0, true}, {1, true}},
         {{0, true, 0}},
         {"x", "b", "c"}},
        {"the new name taken meanwhile: back to the old name, neither leg made",
         {{0, Leg::ToTemporary, "a", "t"}, {0, Leg::FromTemporary, "t", "x"}},
         "x",
         {{0, false}, {1, false}},
         {{0, false, EEXIST}},
         {"a", "b", "c", "x"}},
        {"the new and the old name taken meanwhile: it stays under the temporary name",
         {{0, Leg::ToTemporary, "a", "t"}, {0, Leg::FromTemporary, "t", "b"}},
         "a",
         {{0, true}, {1, false}},
         {{0, false, EEXIST}},
         {"a", "b", "c", "t"}},
        {"the temporary name held already: the step never moves, and says why",
         {{0, Leg::ToTemporary, "a", "c"}, {0, Leg::FromTemporary, "c", "x"}},
         nullptr,
         {{0, false}, {1, false}},
         {{0, false, EEXIST}},
         {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempFolder f;
        for (const char* name : {"a", "b", "c"}) f.file(name, name);
        RenameOrder order;
        order.operations = c.operations;
        order.failures.assign(2, F::None);
        Told told;
        const std::string path = f.path();
        bool once = false;
        told.meanwhile = [&](const RenameOperation&) {
            if (c.takenMeanwhile && !once) std::ofstream(path + c.takenMeanwhile) << "another program";
            once = true;
        };
        OrderOperations source(order);
        applyOperations(FolderHandle(f.path()), source, told);
        EXPECT_EQ(told.settledSteps, c.settled);
        EXPECT_EQ(told.ended, c.ended);
        EXPECT_EQ(f.entries(), c.after);
    }
}

}  // namespace
}  // namespace velmora
