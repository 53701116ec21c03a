// The plan blob: every step comes back byte for byte, whatever its names hold, and bytes that are
// not a whole plan are refused rather than read past their end.
#include "core/history/step_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

// GB18030 as the disk may hold it when its names are not UTF-8: 第 (two bytes) and a four-byte
// character, changed in its middle bytes so that the kept start and end cut characters apart.
const std::string kDi = "\xb5\xda";
const std::string kFourA = "\x95\x32\x82\x36";
const std::string kFourB = "\x95\x32\x83\x36";

TEST(StepCodec, everyStepComesBackByteForByte) {
    const std::vector<JournalStep> steps{
        {"第1集.mp4", "第01集.mp4", 1},
        {"aaa", "aa", 2},
        {"aa", "aaa", 3},
        {"abc", "abc", 4},
        {"x.mp4", "y.mp4", 5},
        {"", "new", 6},
        {"old", "", 7},
        {"", "", 8},
        {"abab", "ab", 1ull << 40},
        {std::string("\0\xff", 2), "\xff", ~0ull},
        {"name.mp4", "prefix-name.mp4-end", 0},
        {std::string(255, 'a'), std::string(256, 'a'), 9},
        {std::string(300, 'x') + "1", std::string(300, 'x') + "2", 10},
        {std::string(1020, '\xfe'), "short", 11},
        {kDi + "1" + kDi, kDi + "01" + kDi, 12},
        {kFourA + kFourA, kFourA + kFourB, 13},
        {kFourB + ".txt", kFourA + ".txt", 14},
        {"\xc3\x28\x80\xff", "\xc3\x28\x81\xff", 15},  // not UTF-8
    };
    for (const JournalStep& step : steps)
        EXPECT_EQ(decodeSteps(encodeSteps({step})), std::vector<JournalStep>{step}) << step.from << " -> " << step.to;
    const std::string blob = encodeSteps(steps);
    EXPECT_EQ(decodeSteps(blob), steps);
    // Step by step as a run reads its plan, and made the way a run writes it.
    StepEncoder encoder;
    for (const JournalStep& s : steps) encoder.add(s.from, s.to, s.inode);
    EXPECT_EQ(encoder.size(), steps.size());
    EXPECT_EQ(encoder.blob(), blob);
    StepDecoder decoder(blob);
    std::vector<JournalStep> read;
    for (JournalStep s; decoder.next(s);) read.push_back(s);
    EXPECT_EQ(read, steps);
    EXPECT_FALSE(decoder.damaged());
    // Only what changed is written: the old name (11 bytes) after its length, then the bytes kept
    // at the start (3) and at the end (8), the one new byte after its length, and the inode.
    EXPECT_EQ(encodeSteps({steps[0]}), std::string("\x0b第1集.mp4\x03\x08\x01"
                                                   "0\x01"));
    // A 255-byte name needs two bytes for its length.
    EXPECT_EQ(encodeSteps({steps[11]}).substr(0, 2), bytes({0xff, 0x01}));
    EXPECT_EQ(decodeSteps(""), std::vector<JournalStep>{});
}

TEST(StepCodec, aCutPlanIsRefused) {
    const std::vector<JournalStep> steps{{"a", "b", 7}, {std::string(200, 'c'), "dd", 1ull << 35}};
    const std::string blob = encodeSteps(steps);
    ASSERT_EQ(decodeSteps(blob), steps);
    const std::size_t firstStep = encodeSteps({steps[0]}).size();
    for (std::size_t cut = 1; cut < blob.size(); ++cut) {
        if (cut == firstStep)  // a whole step: the step count kept beside the plan tells
            EXPECT_EQ(decodeSteps(blob.substr(0, cut))->size(), 1u);
        else
            EXPECT_FALSE(decodeSteps(blob.substr(0, cut))) << "cut at " << cut;
    }
}

// Each blob holds one good step, then a damaged one.
TEST(StepCodec, aDamagedPlanIsRefused) {
    const std::string good = encodeSteps({{"ab", "ac", 1}});
    const std::string ten = bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x01});
    const std::string eleven = bytes({0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00});
    const struct {
        const char* what;
        std::string step;
    } cases[] = {
        {"name longer than the blob", bytes({5}) + "ab"},
        {"length past any size", ten + "ab"},
        {"number of eleven bytes", eleven},
        {"start kept longer than the name", bytes({2}) + "ab" + bytes({3, 0, 0, 1})},
        {"end kept longer than the name", bytes({2}) + "ab" + bytes({0, 3, 0, 1})},
        {"start and end overlap", bytes({2}) + "ab" + bytes({2, 1, 0, 1})},
        {"start and end wrap round", bytes({2}) + "ab" + bytes({1}) + ten + bytes({0, 1})},
        {"start wraps round", bytes({2}) + "ab" + ten + bytes({1, 0, 1})},
        {"new bytes past the end", bytes({2}) + "ab" + bytes({0, 0, 4}) + "xy"},
        {"no inode", bytes({2}) + "ab" + bytes({0, 0, 1}) + "x"},
        {"inode cut", bytes({2}) + "ab" + bytes({0, 0, 1}) + "x" + bytes({0x80})},
    };
    for (const auto& c : cases) {
        const std::string blob = good + c.step;
        EXPECT_FALSE(decodeSteps(blob)) << c.what;
        StepDecoder decoder(blob);
        JournalStep step;
        EXPECT_TRUE(decoder.next(step)) << c.what;
        EXPECT_FALSE(decoder.next(step)) << c.what;
        EXPECT_TRUE(decoder.damaged()) << c.what;
        EXPECT_FALSE(decoder.next(step)) << c.what << ": the decoder stays at the end";
    }
}

}  // namespace
}  // namespace velmora
