// The plan a confirmation shows.
#include <algorithm>

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

class Plan : public RuleTest {};

TEST_F(Plan, everyConfirmationShowsTheRenamesWithTheReasonsTheyWillFail) {
    files({"a.avi", "a.mkv", "b.avi", "b.mp3"});
    w.choose(组合框3, ".mp3");
    w.answer({answerCancel});
    run(changeExtensions());
    const auto shown = lines(w);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3], "b.mp3 → b.mp3  ✗ 名称无效");
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

}  // namespace
}  // namespace velmora::testing
