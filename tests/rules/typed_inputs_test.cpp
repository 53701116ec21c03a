// Rules taken apart into what they read from the window and what they make of it.
#include <gtest/gtest.h>

#include "interaction/rule.h"
#include "rules/add/prefix_suffix.h"
#include "rules/catalogue.h"
#include "rules/replace/append_after_number.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

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

void pick(FakeWindow& w, Component on, Component off) {
    w.setChecked(on, true);
    w.setChecked(off, false);
}

void toggle(FakeWindow& w, Component box) { w.setChecked(box, !w.checked(box)); }

// The preview keeps the plan it made for as long as a click reads the same request, so a change to
// any input a rule reads must make the request differ, and a window left alone must read alike.
TEST(TypedInputs, aRequestChangesWithEveryInputItsRuleReads) {
    struct Case {
        const char* what;
        const RenameRule& (*rule)();
        void (*change)(FakeWindow&);
    };
    const Case cases[] = {
        {"kind", deleteBefore, [](FakeWindow& w) { pick(w, 选择框2, 选择框1); }},
        {"occurrences: needle", deleteOccurrences, [](FakeWindow& w) { w.type(编辑框1, "c"); }},
        {"occurrences: count", deleteOccurrences, [](FakeWindow& w) { w.type(编辑框10, "2"); }},
        {"occurrences: last", deleteOccurrences, [](FakeWindow& w) { pick(w, 单选框14, 单选框13); }},
        {"before: marker", deleteBefore, [](FakeWindow& w) { w.type(编辑框8, "c"); }},
        {"before: last", deleteBefore, [](FakeWindow& w) { pick(w, 单选框12, 单选框11); }},
        {"before: with marker", deleteBefore, [](FakeWindow& w) { toggle(w, 选择框3); }},
        {"after: marker", deleteAfter, [](FakeWindow& w) { w.type(编辑框9, "c"); }},
        {"after: first", deleteAfter, [](FakeWindow& w) { pick(w, 单选框1, 单选框2); }},
        {"after: with marker", deleteAfter, [](FakeWindow& w) { toggle(w, 选择框4); }},
        {"between: first marker", deleteBetween, [](FakeWindow& w) { w.type(编辑框2, "c"); }},
        {"between: second marker", deleteBetween, [](FakeWindow& w) { w.type(编辑框3, "c"); }},
        {"between: first marker's last", deleteBetween, [](FakeWindow& w) { pick(w, 选择框_1尾, 选择框_1头); }},
        {"between: second marker's last", deleteBetween, [](FakeWindow& w) { pick(w, 选择框_2尾, 选择框_2头); }},
        {"between: with markers", deleteBetween, [](FakeWindow& w) { toggle(w, 选择框6); }},
        {"replace: find", replaceTextRule, [](FakeWindow& w) { w.type(编辑框4, "c"); }},
        {"replace: with", replaceTextRule, [](FakeWindow& w) { w.type(编辑框5, "c"); }},
        {"replace: at an occurrence", replaceTextRule, [](FakeWindow& w) { pick(w, 单选框8, 单选框7); }},
        {"replace: last", replaceTextRule, [](FakeWindow& w) { pick(w, 单选框10, 单选框9); }},
        {"insert: marker", insertAtMarker, [](FakeWindow& w) { w.type(编辑框11, "c"); }},
        {"insert: text", insertAtMarker, [](FakeWindow& w) { w.type(编辑框12, "c"); }},
        {"insert: last", insertAtMarker, [](FakeWindow& w) { pick(w, 单选框6, 单选框5); }},
        {"insert: after", insertAtMarker, [](FakeWindow& w) { pick(w, 单选框4, 单选框3); }},
        {"new extension", changeExtensions, [](FakeWindow& w) { w.choose(组合框3, ".zip"); }},
        {"skipped extension", deleteBefore, [](FakeWindow& w) { w.choose(组合框2, ".txt"); }},
        {"skipped extension, where none was chosen", changeExtensions,
         [](FakeWindow& w) { w.choose(组合框2, ".txt"); }},
        {"numbering: template", numbering, [](FakeWindow& w) { w.type(编辑框_模板, "##"); }},
        {"numbering: start", numbering, [](FakeWindow& w) { w.type(编辑框_起始, "5"); }},
        {"numbering: step", numbering, [](FakeWindow& w) { w.type(编辑框_步长, "2"); }},
        {"case: upper", letterCase, [](FakeWindow& w) { pick(w, 单选框_大写, 单选框_小写); }},
        {"case: extension only", letterCase, [](FakeWindow& w) { toggle(w, 选择框_只改扩展名); }},
        {"regex: pattern", regexReplace, [](FakeWindow& w) { w.type(编辑框_查找, "b"); }},
        {"regex: replacement", regexReplace, [](FakeWindow& w) { w.type(编辑框_替换为, "c"); }},
        {"regex: case", regexReplace, [](FakeWindow& w) { toggle(w, 选择框_区分大小写); }},
        {"regex: whole name", regexReplace, [](FakeWindow& w) { toggle(w, 选择框_包括扩展名); }},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        FakeWindow w;
        w.setFolder(folder.path());
        for (Component box : {编辑框1, 编辑框2, 编辑框4, 编辑框8, 编辑框9, 编辑框11, 编辑框_查找}) w.type(box, "a");
        for (Component box : {编辑框3, 编辑框5, 编辑框12}) w.type(box, "b");
        w.type(编辑框10, "1");
        w.choose(组合框3, ".mp4");
        const RunRequest before = readRequest(c.rule(), w);
        ASSERT_FALSE(before.refusal) << c.what;
        EXPECT_TRUE(before.sameAs(readRequest(c.rule(), w))) << c.what;
        c.change(w);
        const RunRequest after = readRequest(c.rule(), w);
        ASSERT_FALSE(after.refusal) << c.what;
        EXPECT_FALSE(before.sameAs(after)) << c.what;
        EXPECT_FALSE(after.sameAs(before)) << c.what;
    }
}

}  // namespace
}  // namespace velmora::testing
