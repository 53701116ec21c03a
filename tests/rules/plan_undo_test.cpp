// The plan a confirmation shows.
#include <algorithm>

#include "core/listing.h"
#include "core/plan.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;

std::vector<std::string> lines(const FakeWindow& w) {
    std::vector<std::string> out;
    for (const Text& t : w.planShown) out.push_back(t.toUtf8());
    std::sort(out.begin(), out.end());
    return out;
}

class Plan : public RuleTest {
protected:
    void appliesAPreviewedPlanOnlyToItsListing(bool asFound);
};

TEST_F(Plan, everyConfirmationShowsTheRenamesWithTheReasonsTheyWillFail) {
    files({"a.avi", "a.mkv", "b.avi", "b.mp3"});
    w.choose(组合框3, ".mp3");
    w.answer({answerCancel});
    run(changeExtensions());
    const auto shown = lines(w);
    // b.mp3 keeps its name: it is left alone, not listed as a rename that fails.
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2], "b.avi → b.mp3  ✗ 已有同名");
    // Whichever of a.avi and a.mkv comes first takes a.mp3; the other fails.
    const bool aviFirst = shown[0] == "a.avi → a.mp3";
    EXPECT_EQ(shown[aviFirst ? 1 : 0], aviFirst ? "a.mkv → a.mp3  ✗ 本次前面的改名已占用这个名称"
                                                : "a.avi → a.mp3  ✗ 本次前面的改名已占用这个名称");
    EXPECT_EQ(f.entries(), (Names{"a.avi", "a.mkv", "b.avi", "b.mp3"})) << "cancelled";
}

TEST_F(Plan, aPrefixThatWouldLeaveTheFolderIsMarked) {
    files({"a.mp4"});
    w.type(编辑框6, "../");
    run(addPrefix());
    EXPECT_EQ(lines(w), std::vector<std::string>{"a.mp4 → ../a.mp4  ✗ 会移出文件夹"});
    EXPECT_EQ(f.entries(), Names{"a.mp4"});
}

TEST_F(Plan, countedAndUpFrontConfirmationsShowOnlyWhatWillChange) {
    files({"a-1.txt", "b.txt"});
    w.type(编辑框1, "-");
    run(deleteOccurrences());
    EXPECT_EQ(lines(w), std::vector<std::string>{"a-1.txt → a1.txt"});
    w.type(编辑框4, "1");
    w.type(编辑框5, "一");
    run(replaceTextRule());
    EXPECT_EQ(lines(w), std::vector<std::string>{"a1.txt → a一.txt"});
    EXPECT_EQ(f.entries(), (Names{"a一.txt", "b.txt"}));
}

// A plan made before a file appeared is planned again, so the new file is renamed too. The file
// that appeared is the last one listed, so the listing the preview saw is a prefix of the new one.
// A plan made over the folder as it still is, is applied as it was made: here with the prefix
// typed before the box changed. Both for a plan that knows the listing as the folder gave it (the
// preview's, checked as the folder is read) and for one that knows only its sorted listing.
void Plan::appliesAPreviewedPlanOnlyToItsListing(bool asFound) {
    files({"a1.mp4", "b2.mp4"});
    w.type(编辑框6, "p");
    const Text folder = Text::fromUtf8(f.path());
    const auto listed =
        std::make_shared<const NameList>(enumerateEntries(folder, EntryKind::Files, ListingOrder::AsFound));
    ASSERT_EQ(listed->size(), 2u);
    auto seen = std::make_shared<NameList>();
    seen->addFrom(*listed, 0);
    RunPlan stale = planRun(addPrefix(), w, Kind::Files, folder, seen);
    if (asFound) stale.asFound = seen;
    ASSERT_EQ(stale.steps.size(), 1u);
    runRenameRule(addPrefix(), w, s, &stale);
    EXPECT_EQ(f.entries(), (Names{"pa1.mp4", "pb2.mp4"}));

    RunPlan current =
        planRun(addPrefix(), w, Kind::Files, folder,
                std::make_shared<const NameList>(enumerateEntries(folder, EntryKind::Files, ListingOrder::AsFound)));
    if (asFound) current.asFound = current.listing;
    w.type(编辑框6, "q");
    runRenameRule(addPrefix(), w, s, &current);
    EXPECT_EQ(f.entries(), (Names{"ppa1.mp4", "ppb2.mp4"}));
}

TEST_F(Plan, aPreviewedPlanIsAppliedOnlyToTheListingItWasMadeFrom) { appliesAPreviewedPlanOnlyToItsListing(false); }

TEST_F(Plan, aPreviewedPlanIsCheckedAgainstTheFolderAsItIsRead) { appliesAPreviewedPlanOnlyToItsListing(true); }

// Planning that is called off says so, for counted confirmations and for the others; planning
// that runs to the end does not.
TEST_F(Plan, planningCalledOffIsMarkedAbandoned) {
    files({"ax.mp4", "bx.mp4"});
    w.type(编辑框1, "x");
    w.type(编辑框6, "p");
    const Text folder = Text::fromUtf8(f.path());
    const auto listing =
        std::make_shared<const NameList>(enumerateEntries(folder, EntryKind::Files, ListingOrder::AsFound));
    for (const auto rule : {deleteOccurrences, addPrefix}) {
        const RunPlan called = planRun(rule(), w, Kind::Files, folder, listing, [] { return true; });
        EXPECT_TRUE(called.abandoned);
        EXPECT_TRUE(called.steps.empty());
        const RunPlan whole = planRun(rule(), w, Kind::Files, folder, listing, [] { return false; });
        EXPECT_FALSE(whole.abandoned);
        EXPECT_EQ(whole.steps.size(), 2u);
    }
}

TEST(PlanOfAFolderThatCannotBeRead, takesNoNameAsExisting) {
    EXPECT_TRUE(namesIn(Text::fromUtf8("/velmora-no-such-folder/")).empty());
}

}  // namespace
}  // namespace velmora::testing
