// What every renaming rule shares: folder checks, kinds, confirmation, collisions and the
// extension filter, run against each rule.
#include <filesystem>
#include <functional>
#include <map>
#include <new>
#include <stdexcept>

#include "core/fs/listing.h"
#include "interaction/folder_loading.h"
#include "interaction/preview.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;

struct RuleCase {
    const char* label;
    const RenameRule& (*rule)();
    std::function<void(FakeWindow&)> prepare;  ///< valid inputs
    const char* sample;  ///< a .mp4 file the rule renames
    const char* renamed;  ///< what it becomes ('#': any digit)
    const char* keptTarget;  ///< an entry the rule leaves alone that sample would become
    const char* noFolderCaption;
    bool readsKindBoxes;
    bool filters;  ///< has the extension filter
    bool firstEntryAsk;  ///< asks when the first entry is about to be renamed
};

void PrintTo(const RuleCase& c, std::ostream* out) { *out << c.label; }

void type(FakeWindow& w, Component c, const char* text) { w.type(c, text); }

// clang-format off
const RuleCase kRules[] = {
    {"deleteOccurrences", deleteOccurrences, [](FakeWindow& w) { type(w, 编辑框1, "x"); }, "ax.mp4", "a.mp4", "a.mp4", "信息：", true, false, false},
    {"deleteBefore", deleteBefore, [](FakeWindow& w) { type(w, 编辑框8, "-"); }, "p-a.mp4", "-a.mp4", "-a.mp4", "信息：", true, true, true},
    {"deleteAfter", deleteAfter, [](FakeWindow& w) { type(w, 编辑框9, "-"); }, "a-p.mp4", "a-.mp4", "a-.mp4", "信息：", true, true, true},
    {"deleteBetween", deleteBetween, [](FakeWindow& w) { type(w, 编辑框2, "("); type(w, 编辑框3, ")"); }, "a(1).mp4", "a.mp4", "a.mp4", "信息：", true, true, false},
    {"videoNumbers", videoNumbers, [](FakeWindow&) {}, "a.mp4", "a(Av#########,P#).mp4", nullptr, "信息：", false, true, true},
    {"replaceText", replaceTextRule, [](FakeWindow& w) { type(w, 编辑框4, "x"); type(w, 编辑框5, "y"); }, "ax.mp4", "ay.mp4", "ay.mp4", "提示", true, true, false},
    {"zeroPadding", zeroPadding, [](FakeWindow&) {}, "a1.mp4", "a01.mp4", "a01.mp4", "信息：", true, true, false},
    {"chineseConversion", chineseConversion, [](FakeWindow&) {}, "頭髮.mp4", "头发.mp4", "头发.mp4", "信息：", true, true, true},
    {"chineseNumerals", chineseNumerals, [](FakeWindow&) {}, "第一.mp4", "第1.mp4", "第1.mp4", "信息：", true, true, true},
    {"appendAfterNumber", appendAfterNumber, [](FakeWindow& w) { type(w, 编辑框13, "、"); }, "1a.mp4", "1、a.mp4", nullptr, "信息：", true, true, true},
    {"addPrefix", addPrefix, [](FakeWindow& w) { type(w, 编辑框6, "p"); }, "a.mp4", "pa.mp4", nullptr, "信息：", true, true, true},
    {"addSuffix", addSuffix, [](FakeWindow& w) { type(w, 编辑框7, "s"); }, "a.mp4", "as.mp4", nullptr, "信息：", true, true, true},
    {"insertAtMarker", insertAtMarker, [](FakeWindow& w) { type(w, 编辑框11, "a"); type(w, 编辑框12, "i"); }, "a.mp4", "ia.mp4", nullptr, "信息：", true, true, true},
    {"appendAfterExtension", appendAfterExtension, [](FakeWindow& w) { type(w, 编辑框18, ".bak"); }, "a.mp4", "a.mp4.bak", nullptr, "信息：", false, true, true},
    {"changeExtensions", changeExtensions, [](FakeWindow& w) { w.choose(组合框3, ".mp3"); }, "a.mp4", "a.mp3", nullptr, "信息：", false, true, false},
    {"numbering", numbering, [](FakeWindow&) {}, "a.mp4", "a 01.mp4", nullptr, "信息：", true, true, false},
    {"regexReplace", regexReplace, [](FakeWindow& w) { type(w, 编辑框_查找, "x+"); type(w, 编辑框_替换为, "y"); }, "axx.mp4", "ay.mp4", "ay.mp4", "信息：", true, true, false},
    {"letterCase", letterCase, [](FakeWindow&) {}, "A.mp4", "a.mp4", "a.mp4", "信息：", true, true, false},
    {"renameByList", renameByList, [](FakeWindow& w) { w.rows = {"a.mp4"_t, "a.MP4"_t}; type(w, 编辑框_名称列表, "b"); }, "a.mp4", "b.mp4", "b.mp4", "信息：", true, true, false},
};
// clang-format on

class EveryRule : public RuleTest, public ::testing::WithParamInterface<RuleCase> {
protected:
    void SetUp() override { GetParam().prepare(w); }
    const RenameRule& rule() const { return GetParam().rule(); }
    bool renamedAs(const Names& names, const std::string& pattern) const {
        for (const auto& n : names)
            if (matches(n, pattern)) return true;
        return false;
    }
};

TEST_P(EveryRule, withoutAFolderAsksForOneAndDoesNothingElse) {
    files({GetParam().sample});
    w.setFolder("");
    run(rule());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("路径呢？", style::information, GetParam().noFolderCaption)}));
    EXPECT_EQ(f.entries(), Names{GetParam().sample});
}

TEST_P(EveryRule, refusesAFolderPathHoldingDesktopButNotDesktopCapitalised) {
    w.setFolder("/home/me/desktop/videos/");
    run(rule());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("请不要把视频放在桌面", style::information, "提示")}));

    w.messages.clear();
    f.folder("Desktop");
    f.file(std::string("Desktop/") + GetParam().sample);
    w.setFolder(f.path() + "Desktop/");
    run(rule());
    bool renamed = false;
    for (const auto& e : std::filesystem::directory_iterator(f.path() + "Desktop"))
        renamed = renamed || matches(e.path().filename().string(), GetParam().renamed);
    EXPECT_TRUE(renamed);
}

TEST_P(EveryRule, theRootOfTheFileSystemIsRefusedWithNothingElse) {
    w.setFolder("/");
    run(rule());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("什么都没有选择", style::information, "提示")}));
}

TEST_P(EveryRule, kindBoxesChooseFilesFirstAndNeitherMeansNothing) {
    files({GetParam().sample});
    f.folder(GetParam().sample + std::string(".d"));
    w.setChecked(选择框2, true);
    run(rule());
    if (&rule() == &changeExtensions()) {
        EXPECT_EQ(w.messages,
                  (std::vector<Shown>{msg("文件夹没有改后缀一说，请勾选文件", style::information, "提示")}));
    } else {
        EXPECT_TRUE(renamedAs(f.entries(), GetParam().renamed)) << "both checked: files";
    }
    EXPECT_TRUE(f.exists(GetParam().sample + std::string(".d"))) << "both checked: no folder is renamed";

    TempFolder other;
    other.file(GetParam().sample);
    w.setFolder(other.path());
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, false);
    w.messages.clear();
    run(rule());
    if (GetParam().readsKindBoxes) {
        EXPECT_TRUE(w.messages.empty());
        EXPECT_EQ(other.entries(), Names{GetParam().sample});
    } else {
        EXPECT_TRUE(renamedAs(other.entries(), GetParam().renamed)) << "this rule always treats files";
    }
}

// Everything a user sees when a files run over the sample alone is cancelled at its question: the
// question, then the rule's report with 0 or nothing.
const std::map<std::string, std::vector<Shown>>& afterCancel() {
    static const Shown sure = msg("确定更名吗？", style::okCancel, "提示");
    static const std::map<std::string, std::vector<Shown>> sequences = {
        {"deleteOccurrences", {msg("一共有1个文件将被更名", style::okCancel, "请确认")}},
        {"deleteBefore", {sure, msg("成功改了0个", style::ok, "提示")}},
        {"deleteAfter", {sure, msg("修改了0个", style::ok, "修改成果提示")}},
        {"deleteBetween", {msg("一共有1个文件将被更名", style::okCancel, "请确认")}},
        {"videoNumbers", {msg("文件名将被更改，确定吗？", style::okCancel, "提示")}},
        {"replaceText", {sure}},
        {"zeroPadding", {sure, msg("改了0个", style::ok, "修改成果如下")}},
        {"chineseConversion", {sure}},
        {"chineseNumerals", {sure, msg("总共更改0个", style::ok, "更名数量")}},
        {"appendAfterNumber", {sure}},
        {"addPrefix", {sure}},
        {"addSuffix", {sure}},
        {"insertAtMarker", {sure, msg("有0个文件被改名成功", style::ok)}},
        {"appendAfterExtension", {sure}},
        {"changeExtensions", {sure}},
        {"numbering", {sure}},
        {"regexReplace", {sure}},
        {"letterCase", {sure}},
        {"renameByList", {sure}},
    };
    return sequences;
}

TEST_P(EveryRule, cancelAtTheConfirmationRenamesNothingAndShowsExactlyTheRulesMessages) {
    const auto expected = afterCancel().find(GetParam().label);
    ASSERT_NE(expected, afterCancel().end()) << "add what this rule shows after Cancel";
    files({GetParam().sample});
    w.answer({answerCancel});
    run(rule());
    EXPECT_EQ(w.messages, expected->second);
    EXPECT_EQ(f.entries(), Names{GetParam().sample});
}

TEST_P(EveryRule, aNewNameThatExistsLeavesBothEntriesAsTheyWere) {
    if (!GetParam().keptTarget) GTEST_SKIP() << "every name changes under this rule";
    files({GetParam().sample, GetParam().keptTarget});
    run(rule());
    EXPECT_EQ(f.entries(), (Names{GetParam().sample, GetParam().keptTarget}));
    EXPECT_EQ(f.read(GetParam().keptTarget), std::string("token:") + GetParam().keptTarget);
    // A question, where the rule asks one, says so and leaves Enter on Cancel.
    if (w.messages.front().style == style::okCancel) {
        EXPECT_EQ(w.summaryShown.toUtf8(), "将更名0个，1个无法更名");
        EXPECT_TRUE(w.cancelShownByDefault);
    }
    // The failure is said last, whatever the rule reports; the rule's own report counts no success.
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：已有同名", style::information, "提示"));
    for (std::size_t i = 0; i + 1 < w.messages.size(); ++i) {
        const Shown& m = w.messages[i];
        if (m.style != style::okCancel) {
            EXPECT_EQ(m.text.bytes().find('1'), std::string::npos) << m << " counts a failure";
        }
    }
}

TEST_P(EveryRule, theSkippedExtensionIsComparedExactly) {
    if (!GetParam().filters) GTEST_SKIP() << "no extension filter";
    const std::string upper =
        std::string(GetParam().sample).replace(std::string(GetParam().sample).size() - 4, 4, ".MP4");
    f.file(GetParam().sample);
    TempFolder other;
    other.file(upper);
    w.choose(组合框2, ".mp4");
    run(rule());
    EXPECT_EQ(f.entries(), Names{GetParam().sample});
    w.setFolder(other.path());
    run(rule());
    EXPECT_NE(other.entries(), Names{upper});
}

// Whether a run asks first never depends on the order the disk lists files in: the first listed
// entry here is most likely one the rule leaves alone.
TEST_P(EveryRule, theQuestionComesWhateverEntryTheDiskListsFirst) {
    if (!GetParam().firstEntryAsk) GTEST_SKIP() << "asks elsewhere";
    for (const char* n : {"k1.txt", "k2.txt", "k3.txt", "k4.txt", "k5.txt"}) f.file(n);
    files({GetParam().sample});
    w.choose(组合框2, ".txt");
    w.answer({answerCancel});
    run(rule());
    ASSERT_FALSE(w.messages.empty());
    EXPECT_EQ(w.messages.front().style, style::okCancel) << "asked";
    EXPECT_EQ(w.summaryShown.toUtf8(), "将更名1个");
    EXPECT_FALSE(w.cancelShownByDefault);
    EXPECT_FALSE(renamedAs(f.entries(), GetParam().renamed)) << "cancelled";
}

// An entry whose row is unchecked or filtered out is left alone and counted nowhere; which entry
// that is goes by its name, so leaving out another name leaves the sample to the rule.
TEST_P(EveryRule, anEntryLeftOutIsLeftAloneAndCountedNowhere) {
    f.file(GetParam().sample);
    w.unchecked = {Text::fromUtf8(GetParam().sample)};
    run(rule());
    EXPECT_EQ(f.entries(), Names{GetParam().sample});
    for (const Shown& m : w.messages) {
        std::string said = m.text.toUtf8();
        // The list's refusal counts its own line too; the entry is what must go uncounted.
        if (said.rfind("列表有1行", 0) == 0) said.erase(0, std::string("列表有1行").size());
        EXPECT_EQ(said.find('1'), std::string::npos) << m << " counts it";
    }
    w.messages.clear();
    w.unchecked = {Text::fromUtf8(std::string("left out ") + GetParam().sample)};
    run(rule());
    EXPECT_TRUE(renamedAs(f.entries(), GetParam().renamed));
}

// With 包括子文件夹 an entry two folders down is renamed where it is: its transform sees its own
// name, and its new name stays in its folder.
TEST_P(EveryRule, anEntryBelowTheFolderIsRenamedInItsOwnFolder) {
    const std::string within = "第1季/花絮/";
    f.folder("第1季");
    f.folder(within);
    f.file(within + GetParam().sample);
    w.setChecked(选择框_包括子文件夹, true);
    if (GetParam().rule == renameByList) w.rows = {Text::fromUtf8(within + GetParam().sample)};
    run(rule());
    Names tree = f.tree();
    EXPECT_EQ(tree.erase("第1季/") + tree.erase(within), 2u);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_TRUE(matches(*tree.begin(), within + GetParam().renamed)) << *tree.begin();
}

INSTANTIATE_TEST_SUITE_P(Rules, EveryRule, ::testing::ValuesIn(kRules),
                         [](const auto& info) { return std::string(info.param.label); });

// The click handlers of radio buttons and check boxes: a caption that follows the chosen radio
// button, or a partner box that is unchecked. Nothing happens when the clicked box ends unchecked.
struct ClickCase {
    const char* label;
    void (*handler)(Window&);
    Component clicked;
    Component target;  ///< the button whose caption changes, or the partner box
    const char* caption;  ///< the new caption; nullptr for an exclusive pair
};

void PrintTo(const ClickCase& c, std::ostream* out) { *out << c.label; }

const ClickCase kClicks[] = {
    {"toSimplified", toSimplifiedClicked, 单选框15, 按钮5, "繁转简"},
    {"toTraditional", toTraditionalClicked, 单选框16, 按钮5, "简转繁"},
    {"insertBefore", insertBeforeClicked, 单选框3, 按钮10, "前面加"},
    {"insertAfter", insertAfterClicked, 单选框4, 按钮10, "后面加"},
    {"firstMarkerHead", firstMarkerHeadClicked, 选择框_1头, 选择框_1尾, nullptr},
    {"firstMarkerTail", firstMarkerTailClicked, 选择框_1尾, 选择框_1头, nullptr},
    {"secondMarkerHead", secondMarkerHeadClicked, 选择框_2头, 选择框_2尾, nullptr},
    {"secondMarkerTail", secondMarkerTailClicked, 选择框_2尾, 选择框_2头, nullptr},
    {"files", filesBoxClicked, 选择框1, 选择框2, nullptr},
    {"folders", foldersBoxClicked, 选择框2, 选择框1, nullptr},
};

class ClickHandler : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickHandler, actsOnlyOnItsTargetAndOnlyWhenTheClickedBoxEndsChecked) {
    const ClickCase& c = GetParam();
    for (const bool on : {true, false}) {
        FakeWindow w;
        w.setChecked(c.clicked, on);
        w.setChecked(c.target, true);
        w.setCaption(c.target, "旧"_t);
        const FakeWindow before = w;
        c.handler(w);
        EXPECT_EQ(w.checked(c.clicked), on) << "the clicked box keeps its state";
        if (c.caption) {
            EXPECT_EQ(w.caption(c.target).toUtf8(), on ? c.caption : "旧");
            EXPECT_TRUE(w.checked(c.target));
        } else {
            EXPECT_EQ(w.checked(c.target), !on);
            EXPECT_EQ(w.caption(c.target), "旧"_t);
        }
        for (Component other : {按钮5, 按钮10, 选择框1, 选择框2, 选择框_1头, 选择框_1尾, 选择框_2头, 选择框_2尾}) {
            if (other.name == c.target.name || other.name == c.clicked.name) continue;
            EXPECT_EQ(w.checked(other), before.checked(other)) << other.name;
            EXPECT_EQ(w.caption(other), before.caption(other)) << other.name;
        }
    }
}

// The checked entries are numbered one after the other: an unchecked one takes no number, and
// the preview plans as the click renames.
TEST_F(RuleTest, numberingGivesNoNumberToAnEntryLeftOut) {
    files({"a.mp4", "b.mp4", "c.mp4", "d.mp4"});
    w.unchecked = {"b.mp4"_t, "gone.mp4"_t};
    const FolderSnapshot snapshot(w.currentFolder());
    const Preview preview = previewRun(numbering(), readRequest(numbering(), w), snapshot);
    EXPECT_EQ(preview.renames, 3u);
    EXPECT_EQ(preview.plan.leftOut, 1u) << "only entries of the listing count";
    EXPECT_EQ(previewStatus("加序号"_t, preview).toUtf8(), "加序号：将更名3个，另有1个未选");
    run(numbering());
    EXPECT_EQ(f.entries(), (Names{"a 01.mp4", "b.mp4", "c 02.mp4", "d 03.mp4"}));
}

INSTANTIATE_TEST_SUITE_P(Boxes, ClickHandler, ::testing::ValuesIn(kClicks),
                         [](const auto& info) { return std::string(info.param.label); });

// A transform that throws (a listing beyond what one list holds, memory running out, a fault of
// ours) stops the click and the preview with the reason; nothing escapes, nothing is renamed.
class ThrowingRule : public RuleTest {};

TEST_F(ThrowingRule, stopsTheClickAndThePreviewWithTheReasonAndRenamesNothing) {
    struct Case {
        std::function<void()> raise;
        const char* reason;
    };
    const Case cases[] = {
        {[] { throw std::length_error("names beyond 4 GB"); }, "文件名太多或太长，超出了一次能处理的范围"},
        {[] { throw std::bad_alloc(); }, "内存不够"},
        {[] { throw std::runtime_error("?"); }, "程序内部出错"},
    };
    files({"a.mp4", "b.mp4"});
    w.setChecked(选择框1, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        RenameRule rule;
        rule.files = entryPass([&c](const Entry& e) -> std::optional<Text> {
            if (e.index == 2) c.raise();
            return "x"_t + e.name;
        });
        w.messages.clear();
        run(rule);
        ASSERT_EQ(w.messages.size(), 1u);
        EXPECT_EQ(w.messages[0].text.toUtf8(), std::string("更名没有完成：") + c.reason);
        EXPECT_EQ(f.entries(), (std::set<std::string>{"a.mp4", "b.mp4"}));
        const Preview preview = previewRun(rule, readRequest(rule, w), FolderSnapshot(Text::fromUtf8(f.path())));
        ASSERT_TRUE(preview.refusal);
        EXPECT_EQ(preview.refusal->text.toUtf8(), std::string("无法预览：") + c.reason);
    }
}

}  // namespace
}  // namespace velmora::testing
