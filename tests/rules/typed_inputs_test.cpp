// Rules taken apart into what they read from the window and what they make of it.
#include <gtest/gtest.h>

#include "rules/add/prefix_suffix.h"
#include "rules/replace/append_after_number.h"
#include "tests/support/fake_window.h"

namespace velmora::testing {
namespace {

using namespace component;

// Each reading takes its own box and no other, so typing into a neighbour's box changes nothing.
TEST(TypedInputs, eachRuleReadsItsOwnBox) {
    FakeWindow w;
    w.type(编辑框6, "前");
    w.type(编辑框7, "后");
    w.type(编辑框13, "、");
    EXPECT_EQ(readPrefixInputs(w), AffixInputs{"前"_t});
    EXPECT_EQ(readSuffixInputs(w), AffixInputs{"后"_t});
    EXPECT_EQ(readAfterNumberInputs(w), AfterNumberInputs{"、"_t});
    EXPECT_NE(readPrefixInputs(w), readSuffixInputs(w));
    w.type(编辑框6, "");
    EXPECT_EQ(readPrefixInputs(w), AffixInputs{});
}

TEST(TypedInputs, prefixAndSuffixGoAtTheEndsOfWhatTheyAreGiven) {
    struct Case {
        const char* text;
        const char* subject;
        const char* prefixed;
        const char* suffixed;
    };
    const Case cases[] = {
        {"01-", "a", "01-a", "a01-"},
        {"课件", "第1集", "课件第1集", "第1集课件"},
        {"x", "", "x", "x"},
        {"", "a.b", "a.b", "a.b"},
    };
    for (const Case& c : cases) {
        const AffixInputs in{Text::fromUtf8(c.text)};
        EXPECT_EQ(withPrefix(in, Text::fromUtf8(c.subject)).toUtf8(), c.prefixed) << c.subject;
        EXPECT_EQ(withSuffix(in, Text::fromUtf8(c.subject)).toUtf8(), c.suffixed) << c.subject;
    }
}

// Only the number among the first five bytes counts; where it is not found as written, or only
// further on, the name is left.
TEST(TypedInputs, theTextGoesRightAfterTheFrontNumber) {
    struct Case {
        const char* name;
        const char* expected;  // nullptr: left alone
    };
    const Case cases[] = {
        {"12abc.mp4", "12、abc.mp4"}, {"007.mp4", "007、.mp4"},  // the number is 7, found after its zeros
        {"3-3.mp4", "3、-3.mp4"},  // the first occurrence only
        {"abc.mp4", nullptr},  // no number: 0, not in the name
        {"abcdef0.mp4", nullptr},  // 0 is there, past the front
        {"ab0cd", "ab0、cd"},  // 0 read from a name without a leading number, found in the front
    };
    const AfterNumberInputs in{"、"_t};
    for (const Case& c : cases) {
        const std::optional<Text> made = insertedAfterNumber(in, Text::fromUtf8(c.name));
        if (!c.expected) {
            EXPECT_FALSE(made) << c.name << " -> " << made->toUtf8();
            continue;
        }
        ASSERT_TRUE(made) << c.name;
        EXPECT_EQ(made->toUtf8(), c.expected);
    }
}

}  // namespace
}  // namespace velmora::testing
