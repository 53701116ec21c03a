// The plan as the confirmation shows it, and the reasons on its failing lines.
#include "interaction/plan_lines.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "interaction/reasons.h"

namespace velmora {
namespace {

using F = StepFailure;

std::vector<RenameRequest> planned(const std::vector<std::pair<const char*, const char*>>& steps) {
    std::vector<RenameRequest> out;
    for (const auto& [from, to] : steps) out.push_back({from, NativeName(to), true});
    return out;
}

std::vector<std::string> shown(const std::vector<Text>& lines) {
    std::vector<std::string> out;
    for (const Text& l : lines) out.push_back(l.toUtf8());
    return out;
}

TEST(DescribeOrder, describedInTheOrderTheyWillBeMadeThenTheFailures) {
    const auto steps = planned({{"a", "b"}, {"b", "a"}, {"c", "x"}});
    const RenameOrder order = orderRenames(steps, {"a", "b", "c", "x"});
    const std::vector<Text> lines = describeOrder(order, {"a"_t, "b"_t, "c"_t}, {"b"_t, "a"_t, "x"_t});
    EXPECT_EQ(shown(lines), (std::vector<std::string>{"a → 改名中转1", "b → a", "改名中转1 → b", "c → x  ✗ 已有同名"}));
}

// A step its rule refused is shown with the rule's reason.
TEST(DescribeOrder, aRefusedStepIsShownWithItsReason) {
    std::vector<RenameRequest> steps = planned({{"1", "2"}, {"2", "3"}, {"a", "b"}});
    steps[1].refusal = F::OutOfRange;
    const RenameOrder order = orderRenames(steps, {"1", "2", "a"});
    const std::vector<Text> lines = describeOrder(order, {"1"_t, "2"_t, "a"_t}, {"2"_t, "3"_t, "b"_t});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].toUtf8(), "2 → 3  ✗ 序号超出范围");
}

// The character a disk refuses is named, unless it cannot be shown.
TEST(Reasons, aRefusedCharacterIsNamedUnlessItIsAControlCharacter) {
    const struct {
        const char* newName;
        const char* reason;
    } rows[] = {
        {"第1课:上.mp4", "这个磁盘的文件名里不能有 :"},
        {"a?b", "这个磁盘的文件名里不能有 ?"},
        {"a\tb", "这个磁盘的文件名里不能有控制字符"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(failureReason(F::DiskCharacter, Text::fromUtf8(row.newName)).toUtf8(), row.reason) << row.newName;
}

// Errnos that mean the same to a person read the same; one the table does not know reads as the
// disk's refusal.
TEST(Reasons, errnosThatMeanTheSameReadTheSame) {
    EXPECT_EQ(renameFailureReason(EEXIST), renameFailureReason(ENOTEMPTY));
    EXPECT_EQ(renameFailureReason(EACCES), renameFailureReason(EPERM));
    EXPECT_EQ(renameFailureReason(EEXIST), failureReason(F::Exists));
    EXPECT_EQ(renameFailureReason(ENAMETOOLONG), failureReason(F::TooLong));
    EXPECT_EQ(renameFailureReason(EXDEV), failureReason(F::LeavesFolder));
    EXPECT_EQ(renameFailureReason(ENOTCONN).toUtf8(), "磁盘拒绝了这次改名");
}

}  // namespace
}  // namespace velmora
