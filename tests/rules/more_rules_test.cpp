// Page " 更 多 ": numbering, regular expressions and letter case, with chains and swaps.
#include <algorithm>
#include <map>

#include "core/plan/plan.h"
#include "interaction/click.h"
#include "interaction/history_prompts.h"
#include "interaction/preview.h"
#include "interaction/reasons.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;
using Contents = std::map<std::string, std::string>;  // name -> the old name whose token it holds

std::vector<std::string> planOf(const FakeWindow& w) {
    std::vector<std::string> out;
    for (const Text& line : w.planShown) out.push_back(line.toUtf8());
    return out;
}

// ---- Numbering --------------------------------------------------------------------------------

class Numbering : public RuleTest {
protected:
    void set(const char* pattern, const char* start = "1", const char* step = "1") {
        w.type(编辑框_模板, pattern);
        w.type(编辑框_起始, start);
        w.type(编辑框_步长, step);
    }
};

TEST_F(Numbering, templatesGiveExactNamesInNaturalOrder) {
    struct Case {
        const char* label;
        std::vector<const char*> names;
        const char* pattern;
        const char* start;
        const char* step;
        Contents expected;  // new name -> old name
    };
    const Case cases[] = {
        {"episodes",
         {"c.mp4", "a.mp4", "b.mp4"},
         "第##集",
         "1",
         "1",
         {{"第01集.mp4", "a.mp4"}, {"第02集.mp4", "b.mp4"}, {"第03集.mp4", "c.mp4"}}},
        {"name and three digits", {"name.mkv"}, "* - ###", "1", "1", {{"name - 001.mkv", "name.mkv"}}},
        {"default template", {"b", "a"}, "* ##", "1", "1", {{"a 01", "a"}, {"b 02", "b"}}},
        {"several dots keep the last extension", {"a.b.c.txt"}, "*_#", "7", "1", {{"a.b.c_7.txt", "a.b.c.txt"}}},
        {"numbers anywhere by value",
         {"a10b1.txt", "a2b10.txt", "a2b9.txt"},
         "#",
         "1",
         "1",
         {{"1.txt", "a2b9.txt"}, {"2.txt", "a2b10.txt"}, {"3.txt", "a10b1.txt"}}},
        {"more digits when needed", {"x.txt", "y.txt"}, "#", "9", "1", {{"9.txt", "x.txt"}, {"10.txt", "y.txt"}}},
        {"start and negative step",
         {"1.txt", "2.txt", "3.txt"},
         "n##",
         "1",
         "-1",
         {{"n01.txt", "1.txt"}, {"n00.txt", "2.txt"}, {"n-01.txt", "3.txt"}}},
        {"empty start and step mean 1", {"q.txt", "p.txt"}, "##", "", " ", {{"01.txt", "p.txt"}, {"02.txt", "q.txt"}}},
        {"two runs of #", {"a.txt"}, "#-###", "5", "1", {{"5-005.txt", "a.txt"}}},
        {"GBK and four-byte characters",
         {"頭髮.txt", "😀 clip.mkv"},
         "𠀀*#",
         "1",
         "1",
         {{"𠀀頭髮2.txt", "頭髮.txt"}, {"𠀀😀 clip1.mkv", "😀 clip.mkv"}}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        for (const char* n : c.names) folder.file(n, std::string("token:") + n);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框_模板, c.pattern);
        win.type(编辑框_起始, c.start);
        win.type(编辑框_步长, c.step);
        runRenameRule(numbering(), win, s);
        EXPECT_EQ(whereTokensWent(folder), c.expected) << c.label;
        ASSERT_EQ(win.messages.size(), 2u) << c.label;
        EXPECT_EQ(win.messages[0], msg("确定更名吗？", style::okCancel, "提示"));
        EXPECT_EQ(win.messages[1],
                  msg(("成功改名" + std::to_string(c.expected.size()) + "个").c_str(), style::ok, "提示"));
    }
}

TEST_F(Numbering, lessonsOneToTwelveFollowTheirNumbers) {
    Contents expected;
    for (int i = 1; i <= 12; ++i) {
        const std::string old = "第" + std::to_string(i) + "课 讲义.pdf";
        f.file(old, "token:" + old);
        expected[(i < 10 ? "第0" : "第") + std::to_string(i) + "集.pdf"] = old;
    }
    set("第##集");
    run(numbering());
    EXPECT_EQ(whereTokensWent(f), expected);
}

TEST_F(Numbering, refusalsComeBeforeAnythingIsListed) {
    struct Case {
        const char* pattern;
        const char* start;
        const char* step;
        const char* message;
    };
    const Case cases[] = {
        {"第1集", "1", "1", "模板里要有#，#的位置放序号"},
        {"", "1", "1", "模板里要有#，#的位置放序号"},
        {"#", "1.5", "1", "起始和步长要填整数"},
        {"#", "1", "abc", "起始和步长要填整数"},
        {"#", "１．５", "1", "起始和步长要填整数"},
        {"#", "-", "1", "起始和步长要填整数"},
        {"#", "1", "99999999999999999999", "起始和步长要填整数"},
    };
    files({"a.txt"});
    for (const Case& c : cases) {
        w.messages.clear();
        set(c.pattern, c.start, c.step);
        run(numbering());
        EXPECT_EQ(w.messages, (std::vector<Shown>{msg(c.message, style::information, "提示")}))
            << c.pattern << " " << c.start;
        EXPECT_TRUE(s.entryList.empty()) << "nothing listed";
    }
    EXPECT_EQ(f.entries(), Names{"a.txt"});
}

TEST_F(Numbering, aTemplateGivingOneNameTwiceIsMarkedInThePlan) {
    files({"a.txt", "b.txt", "c.txt"});
    set("第#集", "1", "0");
    run(numbering());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"第1集.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}}));
    EXPECT_EQ(planOf(w),
              (std::vector<std::string>{"b.txt → 第1集.txt  ✗ 本次前面的改名已占用这个名称",
                                        "c.txt → 第1集.txt  ✗ 本次前面的改名已占用这个名称", "a.txt → 第1集.txt"}))
        << "the question's details show the failures first";
    EXPECT_EQ(w.messages.end()[-2], msg("成功改名1个", style::ok, "提示"));
    EXPECT_EQ(w.messages.back(), msg("2个无法更名：本次前面的改名已占用这个名称", style::information, "提示"));
}

// Numbers are whole numbers of 64 bits; an entry whose number lies past them fails with the reason,
// at either end of the range and whether the product or the sum overflows, and the entries before
// it are still renamed.
TEST_F(Numbering, aNumberPastTheRangeFailsWithItsReasonWhileTheOthersAreRenamed) {
    struct Case {
        const char* label;
        const char* start;
        const char* step;
        std::vector<std::string> plan;
        Contents expected;  // name afterwards -> old name
        std::size_t renamed;
    };
    const Case cases[] = {
        {"the sum passes the largest number",
         "9223372036854775806",
         "1",
         {"a.txt → 9223372036854775806.txt", "b.txt → 9223372036854775807.txt", "c.txt → c.txt  ✗ 序号超出范围"},
         {{"9223372036854775806.txt", "a.txt"}, {"9223372036854775807.txt", "b.txt"}, {"c.txt", "c.txt"}},
         2},
        {"the sum passes the smallest number, which is still a number",
         "-9223372036854775807",
         "-1",
         {"a.txt → -9223372036854775807.txt", "b.txt → -9223372036854775808.txt", "c.txt → c.txt  ✗ 序号超出范围"},
         {{"-9223372036854775807.txt", "a.txt"}, {"-9223372036854775808.txt", "b.txt"}, {"c.txt", "c.txt"}},
         2},
        {"the product passes the range",
         "0",
         "9223372036854775807",
         {"a.txt → 0.txt", "b.txt → 9223372036854775807.txt", "c.txt → c.txt  ✗ 序号超出范围"},
         {{"0.txt", "a.txt"}, {"9223372036854775807.txt", "b.txt"}, {"c.txt", "c.txt"}},
         2},
        {"every later number is past the range",
         "9223372036854775807",
         "9223372036854775807",
         {"a.txt → 9223372036854775807.txt", "b.txt → b.txt  ✗ 序号超出范围", "c.txt → c.txt  ✗ 序号超出范围"},
         {{"9223372036854775807.txt", "a.txt"}, {"b.txt", "b.txt"}, {"c.txt", "c.txt"}},
         1},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        for (const char* n : {"c.txt", "a.txt", "b.txt"}) folder.file(n, std::string("token:") + n);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框_模板, "#");
        win.type(编辑框_起始, c.start);
        win.type(编辑框_步长, c.step);
        const RunResult result = runRenameRule(numbering(), win, s);
        std::vector<std::string> failuresFirst = c.plan;
        std::stable_partition(failuresFirst.begin(), failuresFirst.end(),
                              [](const std::string& line) { return line.find("✗") != std::string::npos; });
        EXPECT_EQ(planOf(win), failuresFirst) << c.label;
        EXPECT_EQ(whereTokensWent(folder), c.expected) << c.label;
        EXPECT_EQ(result.renamed.size(), c.renamed) << c.label;
        ASSERT_EQ(win.messages.size(), 3u) << c.label;
        EXPECT_EQ(win.messages[1], msg(("成功改名" + std::to_string(c.renamed) + "个").c_str(), style::ok, "提示"))
            << c.label;
        EXPECT_EQ(win.messages[2],
                  msg((std::to_string(3 - c.renamed) + "个无法更名：序号超出范围").c_str(), style::information, "提示"))
            << c.label;
    }
}

// The preview judges the entry the same way: a failing step under its own name with the reason,
// counted in the status line.
TEST_F(Numbering, thePreviewCountsANumberPastTheRangeAsFailing) {
    files({"c.txt", "a.txt", "b.txt"});
    set("第#集", "9223372036854775806", "1");
    const FolderSnapshot snapshot(Text::fromUtf8(f.path()));
    const Preview preview = previewRun(numbering(), readRequest(numbering(), w), snapshot);
    ASSERT_EQ(preview.plan.steps.size(), 3u);
    EXPECT_EQ(preview.failures,
              (std::vector<StepFailure>{StepFailure::None, StepFailure::None, StepFailure::OutOfRange}));
    EXPECT_EQ(preview.plan.listing->text(preview.plan.steps.entry(2)).toUtf8(), "c.txt");
    EXPECT_EQ(preview.plan.steps.newNames()->text(2).toUtf8(), "c.txt") << "it keeps its own name";
    EXPECT_EQ(preview.plan.steps.newNames()->text(1).toUtf8(), "第9223372036854775807集.txt");
    EXPECT_EQ(previewStatus("加序号"_t, preview).toUtf8(), "加序号：将更名2个，1个无法更名");
    EXPECT_EQ((failureMark() + failureReason(preview.failures[2])).toUtf8(), "  ✗ 序号超出范围");
}

TEST_F(Numbering, foldersAreNumberedWithoutAnExtensionAndSkippedFilesTakeNoNumber) {
    f.folder("photos.2020");
    f.folder("photos.2019");
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    set("* #");
    run(numbering());
    EXPECT_EQ(f.entries(), (Names{"photos.2019 1/", "photos.2020 2/"}));

    TempFolder other;
    for (const char* n : {"a.mp4", "b.txt", "c.mp4"}) other.file(n);
    w.setFolder(other.path());
    w.setChecked(选择框1, true);
    w.choose(组合框2, ".txt");
    run(numbering());
    EXPECT_EQ(other.entries(), (Names{"a 1.mp4", "b.txt", "c 2.mp4"}));
}

TEST_F(Numbering, cancelEndsTheRunWithoutAnotherMessage) {
    files({"a.txt"});
    w.answer({answerCancel});
    run(numbering());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示")}));
    EXPECT_EQ(f.entries(), Names{"a.txt"});
}

// ---- Regular expressions ----------------------------------------------------------------------

class Regex : public RuleTest {
protected:
    void set(const char* find, const char* replacement, bool caseSensitive = true, bool wholeName = false) {
        w.type(编辑框_查找, find);
        w.type(编辑框_替换为, replacement);
        w.setChecked(选择框_区分大小写, caseSensitive);
        w.setChecked(选择框_包括扩展名, wholeName);
    }
};

TEST_F(Regex, replacesEveryMatchOnCharacters) {
    struct Case {
        const char* find;
        const char* replacement;
        bool caseSensitive;
        bool wholeName;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {R"(\s*\[1080p\])", "", true, false, "电影 [1080p].mkv", "电影.mkv"},
        {R"((\d+)-(\d+))", "$2-$1", true, false, "10-20.mp4", "20-10.mp4"},
        {R"((?<ep>\d+))", "第${ep}集", true, false, "ep7.mp4", "ep第7集.mp4"},
        {"^.", "", true, false, "第一集.mp4", "一集.mp4"},
        {".", "y", true, false, "𠀀x.txt", "yy.txt"},
        {"^.", "", true, false, "😀 clip.mkv", " clip.mkv"},
        {"髮", "发", true, false, "頭髮.txt", "頭发.txt"},
        {"b", "x", false, false, "ABC.txt", "AxC.txt"},
        {"b", "x", true, false, "ABC.txt", "ABC.txt"},
        {"ａｂ", "x", false, false, "ＡＢ.txt", "x.txt"},
        {"JPG", "jpg", true, true, "a.JPG", "a.jpg"},
        {"JPG", "jpg", true, false, "a.JPG", "a.JPG"},
        {"READ", "read", true, false, "README", "readME"},
        {R"(\.)", "_", true, false, "a.b.c.txt", "a_b_c.txt"},
        {R"(\.)", "_", true, true, "a.b.c.txt", "a_b_c_txt"},
        {"a", "$$", true, false, "banana.txt", "b$n$n$.txt"},
        {"(x)|y", "[$1]", true, false, "xy.txt", "[x][].txt"},
        {".*", "", true, false, "all.txt", "all.txt"},
        {"zzz", "q", true, false, "abc.txt", "abc.txt"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name, "T");
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框_查找, c.find);
        win.type(编辑框_替换为, c.replacement);
        win.setChecked(选择框_区分大小写, c.caseSensitive);
        win.setChecked(选择框_包括扩展名, c.wholeName);
        runRenameRule(regexReplace(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.find << " on " << c.name;
        EXPECT_EQ(folder.read(c.expected), "T");
    }
}

TEST_F(Regex, refusalsNameTheFaultAndWhereItIs) {
    struct Case {
        const char* find;
        const char* replacement;
        const char* message;
    };
    const Case cases[] = {
        {"", "x", "查找内容不能为空"},
        {"(", "", "正则表达式有误：缺少右括号（第2个字符）"},
        {"a)", "", "正则表达式有误：多了一个右括号（第2个字符）"},
        {"第(", "", "正则表达式有误：缺少右括号（第3个字符）"},
        {"😀[", "", "正则表达式有误：字符组缺少结尾的]（第3个字符）"},
        {"*a", "", "正则表达式有误：量词前面没有可以重复的内容（第1个字符）"},
        {"a{2,1}", "", "正则表达式有误：{}里的数字前大后小（第6个字符）"},
        {"(a)", "$2", "替换内容有误：没有第2组"},
        {"(a)", "${x}", "替换内容有误：没有名为x的组"},
        {"(a)", "${1", "替换内容有误：${缺少}"},
        {"(a)", "$a", "替换内容有误：$后面要跟数字、{名称}或$"},
    };
    files({"a.txt"});
    for (const Case& c : cases) {
        w.messages.clear();
        set(c.find, c.replacement);
        run(regexReplace());
        EXPECT_EQ(w.messages, (std::vector<Shown>{msg(c.message, style::information, "提示")})) << c.find;
        EXPECT_TRUE(s.entryList.empty()) << "refused before listing";
    }
    EXPECT_EQ(f.entries(), Names{"a.txt"});
}

// Every compile error a pattern can provoke has words of its own; a number that does not match
// the library's own falls back to the text that shows only the number.
TEST_F(Regex, eachCompileErrorIsNamedInWords) {
    struct Case {
        std::string find;
        const char* fault;
    };
    const Case cases[] = {
        {R"(a\)", R"(末尾的\后面缺少字符)"},
        {R"(\c)", R"(末尾的\c后面缺少字符)"},
        {R"(\i)", R"(\后面的字符无法识别)"},
        {"a{99999}", "{}里的数字太大"},
        {R"([\B])", "字符组里的转义无效"},
        {"[z-a]", "字符组里的范围前大后小"},
        {"(?z)", "(?或(?-后面的字符无法识别"},
        {"[:alpha:]", "POSIX字符类只能写在[]里"},
        {"[[.a.]]", "不支持POSIX排序元素"},
        {R"((a)\2)", "引用了不存在的分组"},
        {"(?#abc", "注释(?#缺少右括号"},
        {std::string(300, '(') + std::string(300, ')'), "括号嵌套太深"},
        {"(?(1", "条件缺少右括号"},
        {"(?<=a+)b", "后顾断言的长度不固定"},
        {"(?+0)", "不能用相对值0"},
        {"(a)(?(1)a|b|c)", "条件分组的分支超过两个"},
        {"(?(?x)a)", "(?(后面应是断言"},
        {"(?+)", "(?+或(?-后面应是数字"},
        {"[[:foo:]]", "POSIX字符类名称未知"},
        {R"(\x{110000})", R"(\x{}或\o{}里的字符码太大)"},
        {R"((?<=\C))", R"(后顾断言里不能用\C)"},
        {R"(\U)", R"(不支持\F、\L、\l、\N{名称}、\U和\u)"},
        {"(?C256)", "(?C后面的数字大于255"},
        {"(?C1", "(?C缺少右括号"},
        {"(?Px", "(?P后面的字符无法识别"},
        {"(?<a", "分组名称有误（缺少结尾？）"},
        {"(?<a>x)(?<a>y)", "两个分组同名"},
        {"(?<1a>x)", "分组名称不能以数字开头"},
        {R"(\p)", R"(\P或\p写法有误)"},
        {R"(\p{Foo})", R"(\P或\p后面的属性未知)"},
        {"(?<" + std::string(33, 'n') + ">x)", "分组名称太长（最多32个字符）"},
        {R"([a-\d])", "字符组里的范围无效"},
        {"(?(DEFINE)a|b)", "DEFINE分组的分支多于一个"},
        {R"(\o)", R"(\o后面缺少左花括号)"},
        {R"(\g)", R"(\g后面应是分组名称或数字)"},
        {"(?R", "(?R后面应是右括号"},
        {"(*FOO)", "(*动词)无法识别"},
        {"(?99999999)", "分组编号太大"},
        {"(?<>a)", "缺少分组名称"},
        {R"(\o{8})", R"(\o{}里有非八进制字符)"},
        {"(?|(?<a>x)|(?<b>y))", "同一编号的分组不能有不同名称"},
        {"(*MARK)", "(*MARK)必须带参数"},
        {"(*MARK:" + std::string(300, 'x') + ")", "(*MARK)等的名称太长"},
        {R"(\x{g})", R"(\x{}里有非十六进制字符)"},
        {R"(\c€)", R"(\c后面应是可打印的ASCII字符)"},
        {R"(\k)", R"(\k后面应是分组名称)"},
        {R"([\N])", R"(字符组里不能用\N)"},
        {R"(\x{d800})", "不允许的字符码（代理区）"},
        {R"(\x{})", R"(\x{}、\o{}或\N{U+}里缺少数字)"},
        {"(?(VERSION=x)", "(?(VERSION条件有误"},
        {"(?C'abc", "标注字符串缺少结尾分隔符"},
        {"(?Cx)", "(?C后面的分隔符无法识别"},
        {"(?<=" + std::string(70000, 'a') + ")", "后顾断言太长"},
        {"(?^-i)", "选项里的连字符无效"},
        {"(*foo:a)", "(*断言)无法识别"},
        {"(?(*napla:x)a)", "(?(后面应是原子断言"},
        {R"((?=\K))", R"(环视里不能用\K)"},
    };
    files({"a.txt"});
    for (const Case& c : cases) {
        w.messages.clear();
        set(c.find.c_str(), "");
        run(regexReplace());
        ASSERT_EQ(w.messages.size(), 1u) << c.find;
        const std::string shown = w.messages[0].text.toUtf8();
        EXPECT_EQ(shown.rfind(std::string("正则表达式有误：") + c.fault + "（第", 0), 0u) << shown;
    }
    EXPECT_EQ(f.entries(), Names{"a.txt"});
}

TEST_F(Regex, patternsThatCollideLeaveTheLaterNameInNaturalOrder) {
    files({"a2.txt", "a1.txt", "a10.txt"});
    set(R"(\d)", "");
    run(regexReplace());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"a.txt", "a1.txt"}, {"a2.txt", "a2.txt"}, {"a10.txt", "a10.txt"}}));
    EXPECT_EQ(planOf(w),
              (std::vector<std::string>{"a2.txt → a.txt  ✗ 本次前面的改名已占用这个名称",
                                        "a10.txt → a.txt  ✗ 本次前面的改名已占用这个名称", "a1.txt → a.txt"}));
    EXPECT_EQ(w.messages.end()[-2], msg("成功改名1个", style::ok, "提示"));
    EXPECT_EQ(w.messages.back(), msg("2个无法更名：本次前面的改名已占用这个名称", style::information, "提示"));
}

// The preview lists in the rule's natural order too, files and folders alike, so the entry it
// shows winning a collision is the one the click renames (not the first in the loader's order,
// nor in the order found).
TEST_F(Regex, thePreviewLetsTheSameEntryWinACollisionAsTheClick) {
    for (const char* n : {"a10.txt", "a9.txt", "a100.txt"}) f.file(n);
    for (const char* n : {"d10", "d9", "d100"}) f.folder(n);
    set(R"(\d)", "");
    const FolderSnapshot snapshot(Text::fromUtf8(f.path()));
    const auto winners = [&] {
        const Preview preview = previewRun(regexReplace(), readRequest(regexReplace(), w), snapshot);
        std::vector<std::string> out;
        for (std::size_t i = 0; i < preview.plan.steps.size(); ++i)
            if (preview.failures.at(i) == StepFailure::None)
                out.push_back(preview.plan.listing->text(preview.plan.steps.entry(i)).toUtf8());
        return out;
    };
    EXPECT_EQ(winners(), std::vector<std::string>{"a9.txt"});
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    EXPECT_EQ(winners(), std::vector<std::string>{"d9"});
}

TEST_F(Regex, aNameThatIsNotExactTextIsLeftAlone) {
    f.file("bad\xFF.txt");
    f.file("bad.txt");
    set("bad", "good");
    run(regexReplace());
    EXPECT_EQ(f.entries(), (Names{"bad\xFF.txt", "good.txt"}));
}

// ---- Letter case ------------------------------------------------------------------------------

class LetterCase : public RuleTest {
protected:
    void set(Component mode, bool extensionOnly) {
        for (Component c : {单选框_大写, 单选框_小写, 单选框_首字母大写}) w.setChecked(c, c == mode);
        w.setChecked(选择框_只改扩展名, extensionOnly);
    }
};

TEST_F(LetterCase, latinLettersChangeEverythingElseStays) {
    struct Case {
        Component mode;
        bool extensionOnly;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {单选框_小写, true, "IMG_001.JPG", "IMG_001.jpg"},
        {单选框_小写, false, "IMG_001.JPG", "img_001.JPG"},
        {单选框_大写, false, "abc def.txt", "ABC DEF.txt"},
        {单选框_首字母大写, false, "hello wORLD-2nd.txt", "Hello World-2Nd.txt"},
        {单选框_首字母大写, false, "第abc集.txt", "第Abc集.txt"},
        {单选框_大写, false, "ａｂｃ.txt", "ＡＢＣ.txt"},
        {单选框_首字母大写, false, "ｈｅｌｌｏ ｗＯＲＬＤ.txt", "Ｈｅｌｌｏ Ｗｏｒｌｄ.txt"},
        {单选框_小写, false, "Ａb.txt", "ａb.txt"},
        {单选框_大写, false, "癮癆a.txt", "癮癆A.txt"},  // their second bytes are 'a' and 'A'
        {单选框_小写, false, "癮癆A.txt", "癮癆a.txt"},
        {单选框_大写, false, "😀abc.txt", "😀ABC.txt"},
        {单选框_小写, false, "README", "readme"},
        {单选框_小写, true, "README", "README"},
        {单选框_小写, false, "My.Photo.JPG", "my.photo.JPG"},
        {单选框_小写, true, "My.Photo.JPG", "My.Photo.jpg"},
        {单选框_首字母大写, true, "a.mp4", "a.Mp4"},
        // The first and last letters of each range, and the characters just outside them.
        {单选框_小写, false, "@AZ[`az{.txt", "@az[`az{.txt"},
        {单选框_大写, false, "@AZ[`az{.txt", "@AZ[`AZ{.txt"},
        {单选框_小写, false, "＠ＡＺ［｀ａｚ｛.txt", "＠ａｚ［｀ａｚ｛.txt"},
        {单选框_大写, false, "＠ＡＺ［｀ａｚ｛.txt", "＠ＡＺ［｀ＡＺ｛.txt"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name, "T");
        FakeWindow win;
        win.setFolder(folder.path());
        for (Component r : {单选框_大写, 单选框_小写, 单选框_首字母大写}) win.setChecked(r, r == c.mode);
        win.setChecked(选择框_只改扩展名, c.extensionOnly);
        runRenameRule(letterCase(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
        EXPECT_EQ(folder.read(c.expected), "T");
    }
}

TEST_F(LetterCase, aCaseOnlyRenameOfOneEntry) {
    f.file("A.JPG", "photo");
    set(单选框_小写, true);
    run(letterCase());
    EXPECT_EQ(f.entries(), Names{"A.jpg"});
    EXPECT_EQ(f.read("A.jpg"), "photo");
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("成功改名1个", style::ok, "提示")}));
}

TEST_F(LetterCase, twoEntriesWhoseNewNamesCollide) {
    files({"a.txt", "A.TXT"});
    set(单选框_小写, false);  // A.TXT → a.TXT: free
    run(letterCase());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"a.txt", "a.txt"}, {"a.TXT", "A.TXT"}}));
    w.messages.clear();
    set(单选框_小写, true);  // a.TXT → a.txt: held by the other file
    run(letterCase());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"a.txt", "a.txt"}, {"a.TXT", "A.TXT"}}));
    EXPECT_EQ(planOf(w), std::vector<std::string>{"a.TXT → a.txt  ✗ 已有同名"});
    EXPECT_EQ(w.messages.end()[-2], msg("成功改名0个", style::ok, "提示"));
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：已有同名", style::information, "提示"));

    TempFolder both;
    both.file("Ab.txt", "token:Ab.txt");
    both.file("aB.txt", "token:aB.txt");
    w.setFolder(both.path());
    set(单选框_小写, false);  // both want ab.txt; Ab.txt comes first
    run(letterCase());
    EXPECT_EQ(whereTokensWent(both), (Contents{{"ab.txt", "Ab.txt"}, {"aB.txt", "aB.txt"}}));
}

TEST_F(LetterCase, foldersChangeTheirWholeNameAndHaveNoExtension) {
    f.folder("Photos.2020");
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    set(单选框_小写, true);
    run(letterCase());
    EXPECT_EQ(f.entries(), Names{"Photos.2020/"});
    set(单选框_大写, false);
    run(letterCase());
    EXPECT_EQ(f.entries(), Names{"PHOTOS.2020/"});
}

// ---- Chains and swaps -------------------------------------------------------------------------

class Chains : public RuleTest {
protected:
    void undo() {
        w.forgetAnswers();
        w.messages.clear();
        undoLastRun(w, s);
    }
};

TEST_F(Chains, renumberingShiftedByOneSucceedsAndUndoesExactly) {
    for (int i = 1; i <= 12; ++i) {
        const std::string n = (i < 10 ? "第0" : "第") + std::to_string(i) + "集.mp4";
        f.file(n, "token:" + n);
    }
    const Contents before = whereTokensWent(f);
    w.type(编辑框_模板, "第##集");
    w.type(编辑框_起始, "2");
    run(numbering());
    Contents expected;
    for (int i = 1; i <= 12; ++i)
        expected[(i + 1 < 10 ? "第0" : "第") + std::to_string(i + 1) + "集.mp4"] =
            (i < 10 ? "第0" : "第") + std::to_string(i) + "集.mp4";
    EXPECT_EQ(whereTokensWent(f), expected);
    const auto plan = planOf(w);
    ASSERT_EQ(plan.size(), 12u);
    EXPECT_EQ(plan.front(), "第12集.mp4 → 第13集.mp4") << "the free end goes first";
    EXPECT_EQ(plan.back(), "第01集.mp4 → 第02集.mp4");
    EXPECT_EQ(w.messages.back(), msg("成功改名12个", style::ok, "提示"));
    undo();
    EXPECT_EQ(whereTokensWent(f), before);
    EXPECT_EQ(w.messages.back(), msg("撤销了12个", style::ok, "提示"));
}

TEST_F(Chains, aTwoNameSwapGoesThroughATemporaryNameAndUndoesExactly) {
    files({"1", "2"});
    w.type(编辑框_模板, "#");
    w.type(编辑框_起始, "2");
    w.type(编辑框_步长, "-1");
    run(numbering());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"1", "2"}, {"2", "1"}}));
    EXPECT_EQ(planOf(w), (std::vector<std::string>{"1 → 改名中转1", "2 → 1", "改名中转1 → 2"}));
    EXPECT_EQ(w.messages.back(), msg("成功改名2个", style::ok, "提示"));
    undo();
    EXPECT_EQ(whereTokensWent(f), (Contents{{"1", "1"}, {"2", "2"}}));
}

TEST_F(Chains, aThreeNameCycleByRegexAndABlockedChainStaysWhole) {
    files({"123.txt", "231.txt", "312.txt", "改名中转1.txt"});
    w.type(编辑框_查找, R"(^(\d)(\d)(\d)$)");
    w.type(编辑框_替换为, "$2$3$1");
    run(regexReplace());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"231.txt", "123.txt"},
                                            {"312.txt", "231.txt"},
                                            {"123.txt", "312.txt"},
                                            {"改名中转1.txt", "改名中转1.txt"}}));
    EXPECT_EQ(planOf(w), (std::vector<std::string>{"123.txt → 改名中转2.txt", "312.txt → 123.txt", "231.txt → 312.txt",
                                                   "改名中转2.txt → 231.txt"}))
        << "the temporary name avoids one that exists";

    // 1→2→3, but 3 is held by a folder: nothing of the chain can move.
    TempFolder blocked;
    blocked.file("1", "token:1");
    blocked.file("2", "token:2");
    blocked.folder("3");
    w.setFolder(blocked.path());
    w.type(编辑框_模板, "#");
    w.type(编辑框_起始, "2");
    w.type(编辑框_步长, "1");
    run(numbering());
    EXPECT_EQ(blocked.entries(), (Names{"1", "2", "3/"}));
    EXPECT_EQ(planOf(w), (std::vector<std::string>{"1 → 2  ✗ 已有同名", "2 → 3  ✗ 已有同名"}));
    EXPECT_EQ(w.messages.end()[-2], msg("成功改名0个", style::ok, "提示"));
    EXPECT_EQ(w.messages.back(), msg("2个无法更名：已有同名", style::information, "提示"));
}

// ---- Any target extension ---------------------------------------------------------------------

TEST_F(Chains, typedExtensionsGetTheirDotAndBadOnesAreRefused) {
    struct Case {
        const char* typed;
        const char* expected;  // the new name of a.avi, or the refusal
    };
    const Case cases[] = {
        {"mkv", "a.mkv"},   {".srt", "a.srt"}, {" ass ", "a.ass"},
        {"字幕", "a.字幕"}, {".癨", "a.癨"},  // 癨 is B0 5C: its second byte is a backslash
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file("a.avi");
        FakeWindow win;
        win.setFolder(folder.path());
        win.typeIntoCombo(组合框3, c.typed);
        runRenameRule(changeExtensions(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.typed;
    }
    files({"a.avi"});
    for (const char* bad : {"/", "a/b", "\\x", ".", "...", ""}) {
        w.messages.clear();
        w.typeIntoCombo(组合框3, bad);
        run(changeExtensions());
        const Shown expected = *bad ? msg("扩展名里不能有/或\\，也不能只有点", style::information, "提示")
                                    : msg("修改为什么？请先选择", style::information);
        EXPECT_EQ(w.messages, std::vector<Shown>{expected}) << bad;
    }
    EXPECT_EQ(f.entries(), Names{"a.avi"});
}

}  // namespace
}  // namespace velmora::testing
