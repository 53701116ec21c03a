#include "core/text/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/text/text.h"

namespace velmora {
namespace {

std::string g(const char* utf8) { return Text::fromUtf8(utf8).bytes(); }

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

TEST(NaturalOrder, comparesNumbersAnywhereByValue) {
    EXPECT_EQ(sorted({g("第10课"), g("第2课"), g("第1课"), g("第12课")}),
              (std::vector<std::string>{g("第1课"), g("第2课"), g("第10课"), g("第12课")}));
    // Several numbers: the first that differs decides.
    EXPECT_EQ(sorted({"s2e10", "s10e1", "s2e9"}), (std::vector<std::string>{"s2e9", "s2e10", "s10e1"}));
    // Names without numbers follow their bytes; a number sorts before a letter, as '0'..'9' do.
    EXPECT_EQ(sorted({"b", "a", "a1", "9"}), (std::vector<std::string>{"9", "a", "a1", "b"}));
    // Numbers longer than any integer type still compare by value.
    EXPECT_LT(naturalCompare("x99999999999999999999999", "x100000000000000000000000"), 0);
}

// Paths part by part: a folder's entries stay together and follow the folder, numbers compare by
// value in every part.
TEST(NaturalOrder, pathsComparePartByPart) {
    std::vector<std::string> paths = {g("第1季/第10集"), "A 2/x", g("第1季"),   "A/x",
                                      g("第1季/第2集"),  "A",     g("第10季/a")};
    std::sort(paths.begin(), paths.end(), naturalPathLess);
    EXPECT_EQ(paths, (std::vector<std::string>{"A", "A/x", "A 2/x", g("第1季"), g("第1季/第2集"), g("第1季/第10集"),
                                               g("第10季/a")}));
    EXPECT_EQ(naturalPathCompare("a/b", "a/b"), 0);
}

TEST(NaturalOrder, isTotalOverLeadingZerosAndPrefixes) {
    EXPECT_LT(naturalCompare("01", "1"), 0);
    EXPECT_GT(naturalCompare("1", "01"), 0);
    EXPECT_EQ(naturalCompare("a7b", "a7b"), 0);
    EXPECT_LT(naturalCompare("a", "a0"), 0);
    EXPECT_LT(naturalCompare("", "a"), 0);
    EXPECT_LT(naturalCompare("a2", "a02b"), 0);  // equal numbers, then the shorter rest
}

TEST(NaturalOrder, neverReadsDigitBytesInsideFourByteCharacters) {
    // 𠀀 is 0x95 0x32 0x82 0x36 in GB18030: its second and fourth bytes are the digits '2' and
    // '6'. Compared by character, it sorts by its bytes after 'z'; read as numbers it would not.
    const std::string rare = g("𠀀");
    ASSERT_EQ(rare.size(), 4u);
    EXPECT_GT(naturalCompare(rare, "z"), 0);
    EXPECT_LT(naturalCompare("a" + rare, "a" + g("𠀁")), 0);
    EXPECT_LT(naturalCompare(g("第") + "9", g("第") + "10"), 0);
}

}  // namespace
}  // namespace velmora
