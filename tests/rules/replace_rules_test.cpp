#include <filesystem>

#include "interaction/click.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;

class ReplaceText : public RuleTest {};

TEST_F(ReplaceText, restrictedNearTheFrontOrAnyOccurrence) {
    struct Case {
        bool unrestricted;
        bool last;
        const char* find;
        const char* replacement;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {false, false, ".", "、", "01.abc.mp4", "01、abc.mp4"},
        {false, false, "-", "_", "12345678-x.mp4", "12345678-x.mp4"},
        {false, false, "-", "_", "1234567-x.mp4", "1234567_x.mp4"},
        {true, true, "-", "_", "a-b-c.txt", "a-b_c.txt"},
        {true, false, "-", "_", "a-b-c.txt", "a_b-c.txt"},
        {true, false, "abc", "", "abc.txt", "abc.txt"},
        {true, false, "mp", "MP", "a.mp4", "a.mp4"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        win.setChecked(单选框7, !c.unrestricted);
        win.setChecked(单选框8, c.unrestricted);
        win.setChecked(单选框9, !c.last);
        win.setChecked(单选框10, c.last);
        win.type(编辑框4, c.find);
        win.type(编辑框5, c.replacement);
        runRenameRule(replaceTextRule(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
    }
}

TEST_F(ReplaceText, folderFrontLimitIsSevenBytes) {
    f.folder("1234567-x");
    f.folder("123456-x");
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    w.type(编辑框4, "-");
    w.type(编辑框5, "_");
    run(replaceTextRule());
    EXPECT_EQ(f.entries(), (Names{"1234567-x/", "123456_x/"}));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("成功改了1个", style::ok, "提示")}));
}

TEST_F(ReplaceText, refusedCharactersAndMessagesInOrder) {
    files({"a-b.txt"});
    w.type(编辑框4, "-");
    for (const char* bad : {"?", "\"", "/", "\\", ":", "*", "<", ">", "|"}) {
        w.messages.clear();
        w.type(编辑框5, bad);
        run(replaceTextRule());
        EXPECT_EQ(w.messages, (std::vector<Shown>{msg("不能改成这个东西", style::ok)})) << bad;
    }
    w.type(编辑框5, "、");
    w.messages.clear();
    run(replaceTextRule());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("成功改名1个", style::ok, "提示")}));
    w.type(编辑框4, "");
    w.messages.clear();
    run(replaceTextRule());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("去掉啥？不能为空", style::information, "提示")}));
}

class ZeroPadding : public RuleTest {};

TEST_F(ZeroPadding, twoDigitsBelowAHundredEntries) {
    for (int i = 1; i <= 12; ++i) f.file(std::to_string(i) + ".mp4");
    run(zeroPadding());
    Names expected;
    for (int i = 1; i <= 12; ++i) expected.insert((i < 10 ? "0" : "") + std::to_string(i) + ".mp4");
    EXPECT_EQ(f.entries(), expected);
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("改了9个", style::ok, "修改成果如下")}));
}

TEST_F(ZeroPadding, threeDigitsFromAHundredEntries) {
    for (int i = 1; i <= 150; ++i) f.file(std::to_string(i) + ".mp4");
    run(zeroPadding());
    EXPECT_TRUE(f.exists("007.mp4"));
    EXPECT_TRUE(f.exists("042.mp4"));
    EXPECT_TRUE(f.exists("123.mp4"));
    EXPECT_EQ(f.entries().size(), 150u);
    EXPECT_EQ(w.messages.back(), msg("改了99个", style::ok, "修改成果如下"));
}

TEST_F(ZeroPadding, paddingWidensAtExactlyAHundredEntries) {
    for (const int count : {99, 100}) {
        TempFolder folder;
        for (int i = 1; i <= count; ++i) folder.file("v" + std::to_string(i) + ".mp4");
        FakeWindow win;
        win.setFolder(folder.path());
        runRenameRule(zeroPadding(), win, s);
        EXPECT_EQ(folder.exists("v001.mp4"), count == 100) << count;
        EXPECT_EQ(folder.exists("v01.mp4"), count == 99) << count;
        EXPECT_EQ(folder.exists("v010.mp4"), count == 100) << count;
        EXPECT_EQ(folder.exists("v10.mp4"), count == 99) << count;
    }
}

TEST_F(ZeroPadding, onlyTheNumberNearTheFrontOfTheNamePart) {
    files({"ab3cd.mp4", "abcdefgh1.mp4", "ab.mp4", "01 intro.mp4", "2 next.mp4", "😀1.mp4", "abcdef1.mp4",
           "abcdefg1.mp4"});
    run(zeroPadding());
    EXPECT_EQ(f.entries(), (Names{"ab03cd.mp4", "abcdefgh1.mp4", "ab.mp4", "01 intro.mp4", "02 next.mp4", "😀01.mp4",
                                  "abcdef01.mp4", "abcdefg1.mp4"}));
}

TEST_F(ZeroPadding, asksBeforeTheFirstEntryWhateverItIsAndReportsAfterCancel) {
    files({"ab.mp4"});
    w.answer({answerCancel});
    run(zeroPadding());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("改了0个", style::ok, "修改成果如下")}));
    TempFolder empty;
    w.setFolder(empty.path());
    w.messages.clear();
    run(zeroPadding());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("改了0个", style::ok, "修改成果如下")}));
}

class ChineseConversion : public RuleTest {};

TEST_F(ChineseConversion, convertsByPhraseInTheChosenDirection) {
    files({"頭髮.txt", "發展.mp4", "plain.mp4"});
    run(chineseConversion());
    EXPECT_EQ(f.entries(), (Names{"头发.txt", "发展.mp4", "plain.mp4"}));
    EXPECT_EQ(w.messages.back(), msg("一共有2个文件被改名", style::ok, "提示"));

    w.setChecked(单选框15, false);
    w.setChecked(单选框16, true);
    toTraditionalClicked(w);
    EXPECT_EQ(w.caption(按钮5).toUtf8(), "简转繁");
    w.messages.clear();
    w.choose(组合框2, ".txt");
    run(chineseConversion());
    EXPECT_EQ(f.entries(), (Names{"头发.txt", "發展.mp4", "plain.mp4"}));
    w.setChecked(单选框15, true);
    toSimplifiedClicked(w);
    EXPECT_EQ(w.caption(按钮5).toUtf8(), "繁转简");
}

TEST_F(ChineseConversion, nothingToConvertIsSilentForFilesAndReportedForFolders) {
    files({"头发.txt"});
    run(chineseConversion());
    EXPECT_TRUE(w.messages.empty());
    f.folder("发展");
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    run(chineseConversion());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("一共有0个文件被改名", style::ok, "提示")}));
}

class ChineseNumerals : public RuleTest {};

TEST_F(ChineseNumerals, firstNumeralOfTheTableWithinEightBytes) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"第一课.mp4", "第1课.mp4"},
        {"第十课.mp4", "第10课.mp4"},
        {"第十二课.mp4", "第十2课.mp4"},
        {"第二十一课.mp4", "第二十1课.mp4"},
        {"第三课 第一节.mp4", "第3课 第一节.mp4"},
        {"甲乙丙丁九.mp4", "甲乙丙丁九.mp4"},
        {"甲乙丙九丁.mp4", "甲乙丙9丁.mp4"},
        {"a甲乙丙九.mp4", "a甲乙丙9.mp4"},
        {"ab甲乙丙九.mp4", "ab甲乙丙九.mp4"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        runRenameRule(chineseNumerals(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
    }
}

TEST_F(ChineseNumerals, aSecondClickConvertsTheNextNumeral) {
    files({"第十二课.mp4"});
    run(chineseNumerals());
    run(chineseNumerals());
    EXPECT_EQ(f.entries(), Names{"第102课.mp4"});
    EXPECT_EQ(w.messages.back(), msg("总共更改1个", style::ok, "更名数量"));
}

class AppendAfterNumber : public RuleTest {};

TEST_F(AppendAfterNumber, insertsAfterTheNumberInTheFirstFiveBytes) {
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"01 intro.mp4", "01、 intro.mp4"},   {"12.mp4", "12、.mp4"},         {"007abc.mp4", "007、abc.mp4"},
        {"123456789.mp4", "12345、6789.mp4"}, {"abc.mp4", "abc.mp4"},         {"ab0c.mp4", "ab0、c.mp4"},
        {"第1课.mp4", "第1课.mp4"},           {"abcdef0.mp4", "abcdef0.mp4"}, {"abcd0x.mp4", "abcd0、x.mp4"},
        {"abcde0x.mp4", "abcde0x.mp4"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框13, "、");
        runRenameRule(appendAfterNumber(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
        for (const Shown& m : win.messages) EXPECT_EQ(m.style, style::okCancel) << "only the question, never a report";
    }
}

TEST_F(AppendAfterNumber, emptyTextIsRefusedAfterTheFolderCheck) {
    w.setFolder("");
    run(appendAfterNumber());
    w.setFolder(f.path());
    run(appendAfterNumber());
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg("路径呢？", style::information), msg("加什么？", style::information)}));
}

}  // namespace
}  // namespace velmora::testing
