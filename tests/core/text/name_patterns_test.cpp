// The filter's patterns: * and ?, several patterns, letters without case, whole characters.
#include <gtest/gtest.h>

#include "core/text/name_patterns.h"

namespace velmora {
namespace {

struct PatternCase {
    const char* typed;
    const char* name;
    bool matches;
};

// clang-format off
const PatternCase kCases[] = {
    {"*.mp4", "第1集.mp4", true},
    {"*.mp4", "第1集.MP4", true},                 // letters without case, both ways
    {"*.MP4", "a.mp4", true},
    {"*.mp4", "a.mp4.part", false},               // the whole name must match
    {"*.mp4;*.mkv", "b.mkv", true},               // several patterns, ';' between them
    {"*.mp4 *.mkv", "b.mkv", true},               // or spaces
    {"*.mp4；*.mkv", "b.mkv", true},             // or the full-width semicolon of an input method
    {";; *.mkv ;", "b.avi", false},               // empty patterns choose nothing by themselves
    {"?.mp4", "a.mp4", true},
    {"?.mp4", "ab.mp4", false},
    {"?.mp4", "集.mp4", true},                    // ? is one character, not one byte
    {"第?集*", "第1集.mp4", true},
    {"第??集*", "第一集.mp4", false},             // 一 is a single character
    {"*课", "第一课", true},
    {"a*b*c", "axxbyyc", true},
    {"a*b*c", "axxbyy", false},
    {"*", "", true},
    {"x", "X", true},
    {"*.txt", "no match at all.mp4", false},
    {"", "anything", true},                       // an empty filter hides nothing
    {" ; ", "anything", true},
};
// clang-format on

TEST(NamePatterns, matchWholeNamesByPatterns) {
    for (const PatternCase& c : kCases) {
        const NamePatterns patterns(Text::fromUtf8(c.typed));
        EXPECT_EQ(patterns.matches(Text::fromUtf8(c.name).bytes()), c.matches) << c.typed << " / " << c.name;
    }
}

// The trail byte of a double-byte character can be an ASCII letter; it never folds, so a
// character does not match another whose trail byte is that letter in the other case.
TEST(NamePatterns, onlyAsciiLettersFold) {
    // GB18030 0x81 0x41 and 0x81 0x61 are two different characters.
    const std::string upper("\x81\x41", 2), lower("\x81\x61", 2);
    EXPECT_TRUE(NamePatterns(Text::fromBytes(upper)).matches(upper));
    EXPECT_FALSE(NamePatterns(Text::fromBytes(upper)).matches(lower));
    EXPECT_FALSE(NamePatterns(Text::fromBytes(lower)).matches(upper));
}

}  // namespace
}  // namespace velmora
