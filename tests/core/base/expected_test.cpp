// A value or the reason there is none.
#include "core/base/expected.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

namespace velmora {
namespace {

TEST(Expected, holdsEitherTheValueOrTheReason) {
    const Expected<std::string, int> found = std::string("name");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, "name");
    EXPECT_EQ(found->size(), 4u);

    const Expected<std::string, int> missing = unexpected(ENOENT);
    EXPECT_FALSE(missing);
    EXPECT_FALSE(missing.hasValue());
    EXPECT_EQ(missing.error(), ENOENT);
}

// A reason of the value's own type is still a reason, and a reason converts to the reason type.
TEST(Expected, aReasonOfTheValuesTypeIsStillAReason) {
    const struct {
        Expected<int, int> result;
        bool hasValue;
        int held;
    } rows[] = {
        {Expected<int, int>(7), true, 7},
        {Expected<int, int>(unexpected(7)), false, 7},
        {Expected<int, int>(unexpected(short{3})), false, 3},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.result.hasValue(), row.hasValue);
        EXPECT_EQ(row.hasValue ? row.result.value() : row.result.error(), row.held);
    }
    const Expected<int, std::string> why = unexpected("no room");
    EXPECT_EQ(why.error(), "no room");
}

TEST(Expected, voidIsSuccessOrAReason) {
    const Expected<void, int> done;
    EXPECT_TRUE(done);
    const Expected<void, int> failed = unexpected(EEXIST);
    EXPECT_FALSE(failed);
    EXPECT_EQ(failed.error(), EEXIST);
}

TEST(Expected, aValueMovesOut) {
    Expected<std::unique_ptr<int>, int> held = std::make_unique<int>(5);
    const std::unique_ptr<int> taken = std::move(held).value();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 5);
}

}  // namespace
}  // namespace velmora
