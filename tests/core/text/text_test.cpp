#include "core/text/text.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

Text T(const char* utf8) { return Text::fromUtf8(utf8); }
Text B(std::string bytes) { return Text::fromBytes(std::move(bytes)); }

struct FindCase {
    const char* label;
    Text text;
    Text needle;
    int first;
    int last;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, givesOneBasedPositionsOnCharacterBoundaries) {
    const FindCase& c = GetParam();
    EXPECT_EQ(findText(c.text, c.needle), c.first);
    EXPECT_EQ(findTextReverse(c.text, c.needle), c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    ::testing::Values(FindCase{"emptyNeedleOnText", T("abc"), T(""), 1, 1},
                      FindCase{"emptyNeedleOnEmpty", T(""), T(""), -1, -1},
                      FindCase{"needleInEmpty", T(""), T("a"), -1, -1},
                      FindCase{"needleLongerThanText", T("ab"), T("abc"), -1, -1},
                      FindCase{"hyphens", T("a-b-c"), T("-"), 2, 4}, FindCase{"overlapping", T("aaa"), T("aa"), 1, 2},
                      FindCase{"doubleByteCountsTwo", T("第1课"), T("1"), 3, 3},
                      // 癨 is 0xB0 0x5C in GBK: its trail byte is a backslash, never found.
                      FindCase{"asciiInsideTrailByte", B("\xB0\x5C"), T("\\"), -1, -1},
                      // "中" then "文": the trail of 中 with the lead of 文 must not match "中"'s trail+lead.
                      FindCase{"doubleByteAcrossBoundary", B("\xD6\xD0\xCE\xC4"), B("\xD0\xCE"), -1, -1},
                      // An emoji is four bytes 0x95 0x32 0x82 0x36: its 2nd and 4th bytes are the digits 2 and 6.
                      FindCase{"digitInsideFourByteCharacter",
                               B("\x95\x32\x82\x36"
                                 "2"),
                               T("2"), 5, 5},
                      FindCase{"fourByteCharacterFound", T("a😀b😀"), T("😀"), 2, 7},
                      FindCase{"loneLeadByteAtEnd", B("a\x81"), B("\x81"), 2, 2}),
    [](const auto& info) { return std::string(info.param.label); });

struct ReplaceCase {
    const char* label;
    Text text;
    Text find;
    Text replacement;
    int start;
    int count;
    Text expected;
};

class ReplaceTextTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, replacesFromStartUpToCount) {
    const ReplaceCase& c = GetParam();
    EXPECT_EQ(replaceText(c.text, c.find, c.replacement, c.start, c.count).toUtf8(), c.expected.toUtf8());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    ::testing::Values(ReplaceCase{"onceFromThree", T("x1x1x1"), T("x"), T(""), 3, 1, T("x11x1")},
                      ReplaceCase{"twiceFromThree", T("x1x1x1"), T("x"), T(""), 3, 2, T("x111")},
                      ReplaceCase{"allFromThree", T("x1x1x1"), T("x"), T(""), 3, -1, T("x111")},
                      ReplaceCase{"startBeyondEnd", T("abc"), T("a"), T("z"), 4, -1, T("abc")},
                      ReplaceCase{"startBelowOne", T("abc"), T("a"), T("z"), -1, 1, T("zbc")},
                      ReplaceCase{"countZero", T("abc"), T("a"), T("z"), 1, 0, T("abc")},
                      ReplaceCase{"emptyFind", T("abc"), T(""), T("z"), 1, -1, T("abc")},
                      ReplaceCase{"neverInsideCharacter",
                                  B("\xB0\x5C"
                                    "\\"),
                                  T("\\"), T("/"), 1, -1,
                                  B("\xB0\x5C"
                                    "/")},
                      ReplaceCase{"loneLeadByteAtTheEndIsKept", B("a\x81"), T("b"), T("c"), 1, -1, B("a\x81")},
                      ReplaceCase{"doubleByteNeedle", T("第一课第一节"), T("一"), T("1"), 1, 1, T("第1课第一节")}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ByteSlices, countPlainBytesAndStayInRange) {
    EXPECT_EQ(midText(T("abc"), 3, 5), T("c"));
    EXPECT_EQ(midText(T("abc"), 4, 1), T(""));
    EXPECT_EQ(midText(T("abc"), 0, 1), T(""));
    EXPECT_EQ(midText(T("abc"), 1, 0), T(""));
    EXPECT_EQ(leftText(T("abc"), 0), T(""));
    EXPECT_EQ(leftText(T("abc"), 9), T("abc"));
    EXPECT_EQ(rightText(T("abc"), -1), T(""));
    EXPECT_EQ(rightText(T("abc"), 2), T("bc"));
    EXPECT_EQ(leftText(T("第"), 1).bytes(), std::string("\xB5"));  // may cut a character
}

TEST(ToInteger, readsLeadingDigitsAfterHalfWidthConversion) {
    EXPECT_EQ(toInteger(T("３")), 3);
    EXPECT_EQ(toInteger(T("12ab")), 12);
    EXPECT_EQ(toInteger(T("ab12")), 0);
    EXPECT_EQ(toInteger(T("")), 0);
    EXPECT_EQ(toInteger(T("  -7x")), -7);
    EXPECT_EQ(toInteger(T("3abc")), 3);
    EXPECT_EQ(toInteger(T("99999999999999999999")), 2147483647);
    EXPECT_EQ(toInteger(T("-99999999999999999999")), -2147483647 - 1);
}

TEST(ToHalfWidth, mapsTheFullWidthRowAndFourSymbols) {
    EXPECT_EQ(toHalfWidth(T("ＡＢ１２，（）")), T("AB12,()"));
    EXPECT_EQ(toHalfWidth(T("　～")), T(" ~"));  // full-width space; A1AB is ～
    EXPECT_EQ(toHalfWidth(B("\xA1\xEE\xA1\xEF")), T("**"));
    EXPECT_EQ(toHalfWidth(T("第一课")), T("第一课"));
    EXPECT_EQ(toHalfWidth(T("xＡ１")), T("xA1"));  // after a one-byte character
    EXPECT_EQ(toHalfWidth(B("\xA3\xA1\xA3\xFE\xA3\xA0")), B("!~\xA3\xA0"));  // both ends of the row
    EXPECT_EQ(toHalfWidth(B("a\xA3")), B("a\xA3"));  // a lone lead byte is kept
}

TEST(TrimText, removesHalfAndFullWidthSpacesAtBothEndsOnly) {
    EXPECT_EQ(trimText(T("  a b  ")), T("a b"));
    EXPECT_EQ(trimText(T("　第一　课　 ")), T("第一　课"));
    EXPECT_EQ(trimText(T("   ")), T(""));
    // B0 A1 A1 A1 is 啊 followed by a full-width space.
    EXPECT_EQ(trimText(B("\xB0\xA1\xA1\xA1")), B("\xB0\xA1"));
    // A1 B0 A1 A1 is one character A1B0 then a full-width space; the A1 A1 inside is not a space.
    EXPECT_EQ(trimText(B("\xA1\xB0\xA1\xA1")), B("\xA1\xB0"));
    EXPECT_EQ(trimText(trimText(T(" x "))), trimText(T(" x ")));
}

TEST(CaseAndCompare, stepOverDoubleByteCharacters) {
    EXPECT_EQ(toUpperText(T("ab第c")), T("AB第C"));
    // 0xB0 0x61: the trail byte is "a" and must stay.
    EXPECT_EQ(toUpperText(B("\xB0\x61"
                            "a")),
              B("\xB0\x61"
                "A"));
    EXPECT_LT(compareText(T("B"), T("a"), true), 0);
    EXPECT_EQ(compareText(T("ABC"), T("abc"), false), 0);
    EXPECT_LT(compareText(T("z"), T("第"), true), 0);
    EXPECT_LT(compareText(T("ab"), T("abc"), true), 0);
    EXPECT_NE(compareText(B("\xB0\x41"), B("\xB0\x61"), false), 0);  // trail bytes are not folded
}

TEST(Numbers, textAndArithmetic) {
    EXPECT_EQ(toText(-42), T("-42"));
    EXPECT_EQ(toText(0), T("0"));
    EXPECT_EQ(spaceText(3), T("   "));
    EXPECT_EQ(spaceText(-1), T(""));
    EXPECT_EQ(divideInteger(7, {2}), 3);
    EXPECT_EQ(divideInteger(-7, {2}), -3);
    EXPECT_EQ(divideInteger(100, {2, 5}), 10);
    EXPECT_EQ(bitAnd({0xFF, 0x0F, 0x3C}), 0x0C);
    EXPECT_EQ(bitAnd({0x0F}), 0x0F);
    EXPECT_EQ(bitAnd({}), 0);
    EXPECT_EQ(toBytes(T("a第")), std::string("a\xB5\xDA"));
}

}  // namespace
}  // namespace velmora
