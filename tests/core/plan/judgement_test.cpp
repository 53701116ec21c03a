// One judgement of collisions: the plan's check over a listing (planFailures) and the check that
// asks the disk per name (PlanCheck) say the same of every step; rename order differs only where
// the run makes chains from their free end.
#include "core/plan/judgement.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/plan/plan.h"
#include "tests/support/temp_folder.h"

namespace velmora {
namespace {

using F = StepFailure;

struct Step {
    const char* from;
    const char* to;
    F refusal = F::None;
};

struct JudgeCase {
    const char* label;
    std::vector<const char*> listed;  // the listing the plan was made over
    std::vector<const char*> onDisk;  // what the folder holds when judged
    std::vector<Step> steps;
    bool ignoresCase;
    std::vector<F> inPlanOrder;
    std::vector<F> chained;  // the same steps in a plan that reorders chains
};

RunPlan planOf(const JudgeCase& c, const std::string& folder) {
    RunPlan plan;
    plan.folder = Text::fromUtf8(folder);
    auto listing = std::make_shared<NameList>();
    for (const char* name : c.listed) listing->addWithNative(name, 0);
    plan.listing = listing;
    for (const Step& s : c.steps) {
        std::size_t entry = 0;
        while (std::string(c.listed[entry]) != s.from) ++entry;
        plan.steps.push_back({entry, Text::fromUtf8(s.to), s.refusal});
    }
    auto disk = std::make_shared<Disk>();
    disk->ignoresCase = c.ignoresCase;
    plan.disk = disk;
    return plan;
}

TEST(StepJudgement, theListingAndTheDiskAgreeAndChainsDifferOnlyWhereTheyWait) {
    const JudgeCase cases[] = {
        {"a name held by an entry that stays", {"a", "b"}, {"a", "b"}, {{"a", "b"}}, false, {F::Exists}, {F::Exists}},
        {"a name freed by an earlier step",
         {"a", "b"},
         {"a", "b"},
         {{"b", "c"}, {"a", "b"}},
         false,
         {F::None, F::None},
         {F::None, F::None}},
        {"a name freed only by a later step: plan order does not wait",
         {"a", "b"},
         {"a", "b"},
         {{"a", "b"}, {"b", "c"}},
         false,
         {F::Exists, F::None},
         {F::None, F::None}},
        {"a swap", {"a", "b"}, {"a", "b"}, {{"a", "b"}, {"b", "a"}}, false, {F::Exists, F::Exists}, {F::None, F::None}},
        {"a name freed, taken again, and wanted once more",
         {"a", "b", "c"},
         {"a", "b", "c"},
         {{"a", "x"}, {"b", "a"}, {"c", "a"}},
         false,
         {F::None, F::None, F::TakenByRun},
         {F::None, F::None, F::TakenByRun}},
        {"a refused step frees nothing",
         {"a", "b"},
         {"a", "b"},
         {{"a", "z", F::OutOfRange}, {"b", "a"}},
         false,
         {F::OutOfRange, F::Exists},
         {F::OutOfRange, F::Exists}},
        {"a name that appeared after listing", {"a"}, {"a", "b"}, {{"a", "b"}}, false, {F::Exists}, {F::Exists}},
        {"ignoring case: the entry's own name in another case is free",
         {"a"},
         {"a"},
         {{"a", "A"}},
         true,
         {F::None},
         {F::None}},
        {"ignoring case: two steps want one name in two spellings",
         {"a", "b"},
         {"a", "b"},
         {{"a", "X"}, {"b", "x"}},
         true,
         {F::None, F::TakenByRun},
         {F::None, F::TakenByRun}},
        // The entries are gone: only the run holds the name when the second step wants it under
        // another case, so it is taken by the run, not the entry's own.
        {"ignoring case: a name the run took, wanted by an entry gone from the folder",
         {"x", "a"},
         {},
         {{"x", "A"}, {"a", "A"}},
         true,
         {F::None, F::TakenByRun},
         {F::None, F::TakenByRun}},
        // Below the folder entries are named by relative paths: names collide within one folder only.
        {"below: the same name in another folder is no collision",
         {"d/a", "e/b"},
         {"d/a", "e/b", "e/x"},
         {{"d/a", "d/x"}, {"e/b", "e/x"}},
         false,
         {F::None, F::Exists},
         {F::None, F::Exists}},
        {"below: a swap in one folder, and a new name in another folder",
         {"d/a", "d/b", "e/c"},
         {"d/a", "d/b", "e/c"},
         {{"d/a", "d/b"}, {"d/b", "d/a"}, {"e/c", "d/c"}},
         false,
         {F::Exists, F::Exists, F::LeavesFolder},
         {F::None, F::None, F::LeavesFolder}},
        {"below, ignoring case: the own name in another case is free, and so is a spelling another folder holds",
         {"d/a", "e/b"},
         {"d/a", "e/b", "d/X"},
         {{"d/a", "d/A"}, {"e/b", "e/x"}},
         true,
         {F::None, F::None},
         {F::None, F::None}},
    };
    for (const JudgeCase& c : cases) {
        SCOPED_TRACE(c.label);
        testing::TempFolder f;
        for (const std::string name : c.onDisk) {
            if (name.find('/') != std::string::npos) f.folder(name.substr(0, name.find('/')));
            f.file(name, name);
        }
        RunPlan plan = planOf(c, f.path());
        plan.reach = Reach::Below;
        EXPECT_EQ(planFailures(plan, namesIn(plan.folder, plan.reach)), c.inPlanOrder);
        PlanCheck check(plan.folder, c.steps.size(), plan.disk);
        std::vector<F> checked;
        for (const Step& s : c.steps)
            checked.push_back(check.check({s.from, Text::fromUtf8(s.from), true, Text::fromUtf8(s.to), s.refusal}));
        EXPECT_EQ(checked, c.inPlanOrder) << "asked of the disk";
        plan.reordersChains = true;
        EXPECT_EQ(planFailures(plan, namesIn(plan.folder, plan.reach)), c.chained) << "chains";
    }
}

// Two links of one file: the disk finds one entry under both names, the second of which holds the
// name all the same.
TEST(StepJudgement, aSecondLinkOfTheSameFileHoldsItsName) {
    testing::TempFolder f;
    f.file("x", "X");
    ASSERT_EQ(link((f.path() + "x").c_str(), (f.path() + "y").c_str()), 0);
    PlanCheck check(Text::fromUtf8(f.path()), 1);
    EXPECT_EQ(check.check({"x", "x"_t, true, "y"_t}), F::Exists);
}

}  // namespace
}  // namespace velmora
