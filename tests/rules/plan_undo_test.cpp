// The plan a confirmation shows.
#include <algorithm>

#include "core/fs/listing.h"
#include "core/plan/plan.h"
#include "interaction/click.h"
#include "interaction/plan_lines.h"
#include "interaction/preview.h"
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

// A plan of files as a click reads rule's request from w, over listing.
RunPlan planFiles(const RenameRule& rule, const Window& w, SharedListing listing,
                  const std::function<bool()>& cancelled = {}) {
    RunRequest request = readRequest(rule, w);
    EXPECT_FALSE(request.refusal);
    request.kind = Kind::Files;
    return planRequest(rule, request, std::move(listing), nullptr, cancelled);
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
    RunPlan stale = planFiles(addPrefix(), w, seen);
    if (asFound) stale.asFound = seen;
    ASSERT_EQ(stale.steps.size(), 1u);
    runRenameRule(addPrefix(), w, s, &stale);
    EXPECT_EQ(f.entries(), (Names{"pa1.mp4", "pb2.mp4"}));

    RunPlan current =
        planFiles(addPrefix(), w,
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
        const RunPlan called = planFiles(rule(), w, listing, [] { return true; });
        EXPECT_TRUE(called.abandoned);
        EXPECT_TRUE(called.steps.empty());
        const RunPlan whole = planFiles(rule(), w, listing, [] { return false; });
        EXPECT_FALSE(whole.abandoned);
        EXPECT_EQ(whole.steps.size(), 2u);
    }
}

// Any rule may refuse an entry with a reason. Entries named b… are refused here, by a rule that
// renames in listing order: the refusal is judged before the name, so it is the reason shown even
// where the new name would be free.
TEST_F(Plan, anEntryItsRuleRefusesFailsWithTheReasonAndIsLeftAlone) {
    RenameRule refusing;
    refusing.kinds = Kinds::FilesOnly;
    refusing.files = entryPass([](const Entry& e) -> std::optional<Text> {
        if (e.name.bytes()[0] != 'b') return "x"_t + e.name;
        e.refuse(StepFailure::OutOfRange);
        return "free.txt"_t;  // the refusal wins over a name
    });
    refusing.report = [](const RunOutcome& o) -> std::optional<Message> {
        return Message{"改了"_t + toText(o.count) + "个"_t, style::information, std::nullopt};
    };
    files({"a.txt", "b.txt", "c.txt"});

    const FolderSnapshot snapshot(Text::fromUtf8(f.path()));
    const Preview preview = previewRun(refusing, readRequest(refusing, w), snapshot);
    ASSERT_EQ(preview.plan.steps.size(), 3u);
    std::vector<std::string> refused;
    for (std::size_t i = 0; i < preview.plan.steps.size(); ++i) {
        const PlannedRename step = preview.plan.steps[i];
        const Text old = preview.plan.listing->text(step.entry);
        EXPECT_EQ(step.refusal, preview.plan.steps.refusal(i));
        if (step.refusal == StepFailure::None) {
            EXPECT_EQ(step.newName, "x"_t + old);
            EXPECT_EQ(preview.failures[i], StepFailure::None);
        } else {
            refused.push_back(old.toUtf8());
            EXPECT_EQ(step.newName, old) << "a refused entry keeps its own name";
            EXPECT_EQ(preview.failures[i], StepFailure::OutOfRange);
        }
    }
    EXPECT_EQ(refused, std::vector<std::string>{"b.txt"});
    EXPECT_EQ(previewStatus("试"_t, preview).toUtf8(), "试：将更名2个，1个无法更名");

    // The plan's lines: a refused step whose new name is free and valid still fails with the reason.
    PlanLines lines(Text::fromUtf8(f.path()), 2, [](std::size_t i) {
        return i == 0 ? PlanStep{"b.txt", "b.txt"_t, true, "free.txt"_t, StepFailure::OutOfRange}
                      : PlanStep{"c.txt", "c.txt"_t, true, "free.txt"_t};
    });
    EXPECT_EQ(lines.line(0).toUtf8(), "b.txt → free.txt  ✗ 序号超出范围");
    EXPECT_EQ(lines.line(1).toUtf8(), "c.txt → free.txt") << "the refused step took no name";

    run(refusing);
    EXPECT_EQ(f.entries(), (Names{"xa.txt", "b.txt", "xc.txt"}));
    EXPECT_EQ(f.read("b.txt"), "token:b.txt");
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("改了2个", style::information),
                                              msg("1个无法更名：序号超出范围", style::information, "提示")}));
}

TEST(PlanOfAFolderThatCannotBeRead, takesNoNameAsExisting) {
    EXPECT_TRUE(namesIn(Text::fromUtf8("/velmora-no-such-folder/")).empty());
}

}  // namespace
}  // namespace velmora::testing
