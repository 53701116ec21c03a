#include <algorithm>

#include "core/fs/listing.h"
#include "interaction/click.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;

class DeleteOccurrences : public RuleTest {};

TEST_F(DeleteOccurrences, deletesOnceOrCountedTimesFromEitherEnd) {
    struct Case {
        const char* needle;
        const char* count;
        bool fromLast;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"a", "", false, "banana.txt", "bnana.txt"},  {"a", "", true, "banana.txt", "banan.txt"},
        {"a", "2", false, "banana.txt", "bnna.txt"},  {"a", "2", true, "banana.txt", "bann.txt"},
        {"a", "9", false, "banana.txt", "bnn.txt"},   {"a", "9", true, "banana.txt", "bnn.txt"},
        {".txt", "", false, "report.txt", "report"},  {"a", "3abc", false, "banana.txt", "bnn.txt"},
        {"a", "２", false, "banana.txt", "bnna.txt"}, {"a", "2147483647", true, "banana.txt", "bnn.txt"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name, "x");
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框1, c.needle);
        win.type(编辑框10, c.count);
        win.setChecked(单选框13, !c.fromLast);
        win.setChecked(单选框14, c.fromLast);
        runRenameRule(deleteOccurrences(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name << " " << c.needle << " x" << c.count;
        EXPECT_EQ(win.messages, (std::vector<Shown>{msg("一共有1个文件将被更名", style::okCancel, "请确认"),
                                                    msg("删掉了1个", style::ok, "修改成果提示")}));
    }
}

// Folders: the count runs forward from the located occurrence, and a count below 1 changes nothing.
TEST_F(DeleteOccurrences, foldersDeleteFromTheLocatedOccurrenceOnwards) {
    struct Case {
        const char* count;
        bool fromLast;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"", true, "axbx", "axb"},      {"", false, "axbx", "abx"},    {"2", true, "axbxcx", "axbxc"},
        {"2", false, "axbxcx", "abcx"}, {"-1", false, "axbx", "axbx"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.folder(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        win.setChecked(选择框1, false);
        win.setChecked(选择框2, true);
        win.type(编辑框1, "x");
        win.type(编辑框10, c.count);
        win.setChecked(单选框13, !c.fromLast);
        win.setChecked(单选框14, c.fromLast);
        runRenameRule(deleteOccurrences(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected + std::string("/")}) << c.name << " x" << c.count;
        const bool changed = std::string(c.name) != c.expected;
        EXPECT_EQ(win.messages, (std::vector<Shown>{msg("一共有1个文件将被更名", style::okCancel, "请确认"),
                                                    changed ? msg("删掉了1个", style::ok, "修改成果提示")
                                                            : msg("没有任何改动", style::ok, "没有改动")}))
            << c.name << " x" << c.count;
    }
}

TEST(VideoNumberDigits, drawEveryDigitAndOnlyDigits) {
    const std::string digits = randomDigits("Av"_t, 2000).toUtf8();
    ASSERT_EQ(digits.size(), 2002u);
    EXPECT_EQ(digits.substr(0, 2), "Av");
    for (char d = '0'; d <= '9'; ++d) EXPECT_NE(digits.find(d, 2), std::string::npos) << d;
    EXPECT_EQ(digits.find_first_not_of("0123456789", 2), std::string::npos);
}

TEST_F(DeleteOccurrences, aCountThatIsNotANumberIsRefusedOnceAndNothingIsRenamed) {
    files({"a1.txt", "a2.txt", "a3.txt"});
    w.type(编辑框1, "a");
    w.type(编辑框10, "abc");
    run(deleteOccurrences());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("一共有3个文件将被更名", style::okCancel, "请确认"),
                                              msg("输入的不是纯数字", style::information, "提示")}));
    EXPECT_EQ(f.entries(), (Names{"a1.txt", "a2.txt", "a3.txt"}));
}

TEST_F(DeleteOccurrences, foldersReportNoChangeAndNeverSeeTheCountRefusal) {
    f.folder("xa");
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    w.type(编辑框1, "x");
    w.type(编辑框10, "0");
    run(deleteOccurrences());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("一共有1个文件将被更名", style::okCancel, "请确认"),
                                              msg("没有任何改动", style::ok, "没有改动")}));
    w.messages.clear();
    w.answer({answerCancel});
    run(deleteOccurrences());
    EXPECT_EQ(w.messages.back(), msg("没有任何改动", style::ok, "没有改动"));
    EXPECT_EQ(f.entries(), Names{"xa/"});
}

TEST_F(DeleteOccurrences, checksInTheirOrderAndNothingToChange) {
    run(deleteOccurrences());
    w.setFolder("");
    run(deleteOccurrences());
    w.setFolder(f.path());
    files({"b.txt"});
    w.type(编辑框1, "zz");
    run(deleteOccurrences());
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg("去掉啥？不能为空", style::information), msg("路径呢？", style::information),
                                  msg("找不到需要改的文件名", style::ok, "提示")}));
}

TEST_F(DeleteOccurrences, twoNamesBecomingOneCountOnlyTheFirst) {
    files({"xa.txt", "ax.txt"});
    w.type(编辑框1, "x");
    run(deleteOccurrences());
    EXPECT_EQ(f.entries().size(), 2u);
    EXPECT_TRUE(f.exists("a.txt"));
    EXPECT_EQ(w.messages.end()[-2], msg("删掉了1个", style::ok, "修改成果提示"));
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：已有同名", style::information, "提示"));
}

class DeleteBeforeAfter : public RuleTest {};

TEST_F(DeleteBeforeAfter, cutsAtTheChosenOccurrenceWithOrWithoutTheMarker) {
    struct Case {
        bool after;
        bool last;
        bool including;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {false, false, false, "a-b-c.txt", "-b-c.txt"}, {false, false, true, "a-b-c.txt", "b-c.txt"},
        {false, true, true, "a-b-c.txt", "c.txt"},      {true, true, false, "a-b-c.txt", "a-b-.txt"},
        {true, true, true, "a-b-c.txt", "a-b.txt"},     {true, false, true, "a-b-c.txt", "a.txt"},
        {true, false, true, "-abc.txt", "-abc.txt"},    {true, false, false, "-abc.txt", "-.txt"},
        {true, false, true, "abc.t-t", "abc.t-t"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(c.after ? 编辑框9 : 编辑框8, "-");
        win.setChecked(c.after ? 单选框1 : 单选框11, !c.last);
        win.setChecked(c.after ? 单选框2 : 单选框12, c.last);
        win.setChecked(c.after ? 选择框4 : 选择框3, c.including);
        runRenameRule(c.after ? deleteAfter() : deleteBefore(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
    }
}

TEST_F(DeleteBeforeAfter, reportsCountSuccessesAndFolderPassesDiffer) {
    files({"x-1.txt"});
    w.type(编辑框9, "-");
    w.answer({answerCancel});
    run(deleteAfter());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("修改了0个", style::ok, "修改成果提示")}));

    w.messages.clear();
    f.file("x-.txt");  // x-1.txt would become x-.txt: the failure is not counted
    run(deleteAfter());
    EXPECT_EQ(w.messages.end()[-2], msg("修改了0个", style::ok, "修改成果提示"));
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：已有同名", style::information, "提示"));

    TempFolder folders;
    folders.folder("a-b");
    w.setFolder(folders.path());
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    w.messages.clear();
    run(deleteAfter());
    EXPECT_EQ(folders.entries(), Names{"a/"}) << "folders always lose the marker";
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示")}));

    w.type(编辑框8, "b");
    w.messages.clear();
    run(deleteBefore());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功改了0个", style::ok, "提示")}))
        << "a is left alone: no question";
}

class DeleteBetween : public RuleTest {};

TEST_F(DeleteBetween, deletesBetweenTheChosenOccurrences) {
    struct Case {
        bool including;
        bool secondLast;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {true, false, "clip(Av123,P1).mp4", "clip.mp4"},
        {false, false, "clip(Av123,P1).mp4", "clip().mp4"},
        {true, true, "a(b)c(d).txt", "a.txt"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框2, "(");
        win.type(编辑框3, ")");
        win.setChecked(选择框6, c.including);
        win.setChecked(选择框_2头, !c.secondLast);
        win.setChecked(选择框_2尾, c.secondLast);
        runRenameRule(deleteBetween(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
        EXPECT_EQ(win.messages.back(), msg("有1个文件被改名成功", style::ok));
    }
}

TEST_F(DeleteBetween, previewCountsWhatRenamingLeavesAlone) {
    files({"a)b(c.txt", "a-b.txt", "x(1).txt"});
    w.type(编辑框2, "-");
    w.type(编辑框3, "-");
    w.choose(组合框2, ".txt");
    run(deleteBetween());
    // a-b.txt: same marker twice, counted but not renamed; x(1).txt has no "-".
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("一共有1个文件将被更名", style::okCancel, "请确认"),
                                              msg("有0个文件被改名成功", style::ok)}));
    EXPECT_EQ(f.entries(), (Names{"a)b(c.txt", "a-b.txt", "x(1).txt"}));
}

TEST_F(DeleteBetween, presetsAndExclusiveOccurrenceBoxes) {
    w.type(编辑框1, "（1）");
    w.type(编辑框2, "【");
    w.type(编辑框3, "，。");
    w.choose(组合框1, "B站括号");
    applySymbolPreset(w);
    EXPECT_EQ(w.content(编辑框1).toUtf8(), "(1)");
    EXPECT_EQ(w.content(编辑框2).toUtf8(), "[");
    EXPECT_EQ(w.content(编辑框3).toUtf8(), ",.");
    w.choose(组合框1, "中文符号");
    applySymbolPreset(w);
    EXPECT_EQ(w.content(编辑框1).toUtf8(), "（1）");
    w.setChecked(选择框_1尾, true);
    firstMarkerTailClicked(w);
    EXPECT_FALSE(w.checked(选择框_1头));
    w.setChecked(选择框_1尾, false);
    firstMarkerTailClicked(w);
    EXPECT_FALSE(w.checked(选择框_1头) || w.checked(选择框_1尾));
    w.setChecked(选择框_2尾, true);
    secondMarkerTailClicked(w);
    EXPECT_FALSE(w.checked(选择框_2头));
}

class VideoNumbers : public RuleTest {};

TEST_F(VideoNumbers, appendsNumbersWithTheListIndexAndSkipsFilteredFiles) {
    files({"a.mp4", "b.txt", "c", "d.mp3"});
    f.folder("dir");
    w.choose(组合框2, ".txt");
    w.setChecked(选择框1, false);
    // The number after P is the place in the listing, counting the skipped file too.
    const auto listed = enumerateEntries(Text::fromUtf8(f.path()), EntryKind::Files, ListingOrder::AsFound);
    ASSERT_EQ(listed.size(), 4u);
    run(videoNumbers());
    const Names after = f.entries();
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const std::string name = listed[i].name.toUtf8();
        if (name == "b.txt") continue;
        const std::string ext = name == "c" ? "" : name.substr(1);
        const std::string pattern = name.substr(0, 1) + "(Av#########,P" + std::to_string(i + 1) + ")" + ext;
        const bool found =
            std::any_of(after.begin(), after.end(), [&](const std::string& n) { return matches(n, pattern); });
        EXPECT_TRUE(found) << pattern;
    }
    EXPECT_EQ(after.size(), 5u);
    EXPECT_TRUE(f.exists("b.txt"));
    EXPECT_TRUE(f.exists("dir"));
}

TEST(RandomDigits, twoDrawsInTheSameMillisecondDiffer) {
    const Text a = randomDigits({}, 9);
    const Text b = randomDigits({}, 9);
    EXPECT_EQ(a.length(), 9);
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace velmora::testing
