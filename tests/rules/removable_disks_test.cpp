// Renaming on the disks where files arrive: an exFAT card and an NTFS partition, each a real
// file system on a loop device mounted through FUSE. exFAT there takes no no-replace flag, no hard
// links, compares names without case and gives no lasting inode numbers; NTFS with Windows names
// refuses what Windows refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "interaction/click.h"
#include "interaction/history_prompts.h"
#include "interaction/preview.h"
#include "tests/rules/rule_harness.h"
#include "tests/support/disk_image.h"

namespace velmora::testing {
namespace {

using namespace component;
using Contents = std::map<std::string, std::string>;

// Every file holds the name it was made with.
Contents contents(const std::string& folder) { return contentsOf(folder); }

Contents made(const std::string& folder, std::initializer_list<const char*> names) {
    std::filesystem::create_directories(folder);
    Contents all;
    for (const char* name : names) {
        std::ofstream(folder + name, std::ios::binary) << name;
        all[name] = name;
    }
    return all;
}

std::vector<std::string> lines(const std::vector<Text>& texts) {
    std::vector<std::string> out;
    for (const Text& t : texts) out.push_back(t.toUtf8());
    return out;
}

// One image per format for the whole suite: each test works in a folder of its own on it.
class OnDisk : public ::testing::TestWithParam<ImageFormat> {
protected:
    static std::map<ImageFormat, std::unique_ptr<DiskImage>>& images() {
        static std::map<ImageFormat, std::unique_ptr<DiskImage>> all;
        return all;
    }
    static void TearDownTestSuite() { images().clear(); }

    void SetUp() override {
        VELMORA_SKIP_WITHOUT_DISK_IMAGE(GetParam());
        auto& image = images()[GetParam()];
        if (!image) image = std::make_unique<DiskImage>(GetParam());
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        folder = image->path() + name + "/";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        w.setFolder(folder);
        s.journal.close();
        ASSERT_EQ(s.journal.open(state.path()), Journal::Opened::Ok);
    }
    DiskImage& image() { return *images()[GetParam()]; }
    bool ignoresCase() const { return GetParam() == ImageFormat::Exfat; }
    void undo() {
        w.answer({answerOk});
        undoLastRun(w, s);
    }
    Preview preview(const RenameRule& rule) {
        const FolderSnapshot snapshot(w.currentFolder());
        return previewRun(rule, readRequest(rule, w), snapshot);
    }

    std::string folder;
    FakeWindow w;
    Session s;
    TempFolder state;
};

// Plain renames through rules of both kinds of apply (in listing order, and in the order that
// lets chains succeed), with undo and redo.
TEST_P(OnDisk, everyKindOfRuleRenamesAndIsTakenBack) {
    const Contents before = made(folder, {"第1课.mp4", "第2课.mp4", "第10课.mp4"});
    w.type(编辑框7, "-完");
    runRenameRule(addSuffix(), w, s);
    EXPECT_EQ(
        contents(folder),
        (Contents{{"第1课-完.mp4", "第1课.mp4"}, {"第2课-完.mp4", "第2课.mp4"}, {"第10课-完.mp4", "第10课.mp4"}}));
    EXPECT_TRUE(w.messages.empty() || w.messages.back().text.toUtf8().find("无法更名") == std::string::npos);
    undo();
    EXPECT_EQ(contents(folder), before);
    EXPECT_EQ(w.messages.back(), msg("撤销了3个", style::ok, "提示"));
    redoLastRun(w, s);
    EXPECT_EQ(w.messages.back(), msg("重做了3个", style::ok, "提示"));
    undo();

    // A swap by numbering: through a temporary name on any disk.
    w.type(编辑框_模板, "第#课");
    w.type(编辑框_起始, "3");
    w.type(编辑框_步长, "-1");
    made(folder, {"第3课.mp4"});
    std::filesystem::remove(folder + "第10课.mp4");
    runRenameRule(numbering(), w, s);
    EXPECT_EQ(contents(folder),
              (Contents{{"第3课.mp4", "第1课.mp4"}, {"第2课.mp4", "第2课.mp4"}, {"第1课.mp4", "第3课.mp4"}}));
    EXPECT_EQ(w.messages.back(), msg("成功改名2个", style::ok, "提示"));
    undo();
    EXPECT_EQ(contents(folder),
              (Contents{{"第1课.mp4", "第1课.mp4"}, {"第2课.mp4", "第2课.mp4"}, {"第3课.mp4", "第3课.mp4"}}));
}

// Letter case only: 全部小写 + 只改扩展名 turns every .JPG into .jpg, a regular expression and a
// plain replacement change case, and undo and redo take it back and forth.
TEST_P(OnDisk, caseOnlyRenamesSucceedThroughEveryRuleThatMakesThem) {
    const Contents before = made(folder, {"IMG_0001.JPG", "IMG_0002.JPG", "Readme.TXT"});
    w.setChecked(单选框_大写, false);
    w.setChecked(单选框_小写, true);
    w.setChecked(选择框_只改扩展名, true);
    const Preview shown = preview(letterCase());
    EXPECT_EQ(shown.failing, 0u);
    EXPECT_EQ(shown.renames, 3u);
    runRenameRule(letterCase(), w, s);
    EXPECT_EQ(
        contents(folder),
        (Contents{{"IMG_0001.jpg", "IMG_0001.JPG"}, {"IMG_0002.jpg", "IMG_0002.JPG"}, {"Readme.txt", "Readme.TXT"}}));
    EXPECT_EQ(w.messages.back(), msg("成功改名3个", style::ok, "提示"));
    undo();
    EXPECT_EQ(contents(folder), before);
    EXPECT_EQ(w.messages.back(), msg("撤销了3个", style::ok, "提示"));
    redoLastRun(w, s);
    EXPECT_EQ(w.messages.back(), msg("重做了3个", style::ok, "提示"));
    EXPECT_EQ(contents(folder).count("IMG_0001.jpg"), 1u);

    // A user's file already holds the first temporary name: the next one is taken.
    const std::string other = folder + "regex/";
    made(other, {"img_1.png", "改名中转-大小写1"});
    w.setFolder(other);
    w.type(编辑框_查找, "^img");
    w.type(编辑框_替换为, "IMG");
    runRenameRule(regexReplace(), w, s);
    EXPECT_EQ(contents(other), (Contents{{"IMG_1.png", "img_1.png"}, {"改名中转-大小写1", "改名中转-大小写1"}}));

    // The rules that rename in listing order make it through the history's two steps too.
    w.type(编辑框4, "IMG");
    w.type(编辑框5, "img");
    runRenameRule(replaceTextRule(), w, s);
    EXPECT_EQ(contents(other), (Contents{{"img_1.png", "img_1.png"}, {"改名中转-大小写1", "改名中转-大小写1"}}));
    undo();
    EXPECT_EQ(contents(other), (Contents{{"IMG_1.png", "img_1.png"}, {"改名中转-大小写1", "改名中转-大小写1"}}));
    EXPECT_EQ(w.messages.back(), msg("撤销了1个", style::ok, "提示"));
}

// Where names are compared without case, a name that another entry holds under another case is
// taken, in the preview, the plan and the run; two entries ending equal but for case: the later fails.
TEST_P(OnDisk, collisionsAsTheDiskSeesThem) {
    made(folder, {"a.txt", "B.TXT", "c.txt", "D.txt"});
    w.type(编辑框_查找, "^(B\\.TXT|D\\.txt|c\\.txt)$");
    w.type(编辑框_替换为, "A.TXT");
    w.setChecked(选择框_包括扩展名, true);
    const Preview shown = preview(regexReplace());
    runRenameRule(regexReplace(), w, s);
    EXPECT_EQ(contents(folder).size(), 4u);
    if (ignoresCase()) {
        EXPECT_EQ(shown.renames, 0u);
        EXPECT_EQ(shown.failing, 3u);
        EXPECT_EQ(contents(folder).count("B.TXT"), 1u);
        EXPECT_EQ(w.messages.back(), msg("3个无法更名：已有同名", style::information, "提示"));
    } else {
        EXPECT_EQ(shown.renames, 1u) << "A.TXT is free where case counts; the first takes it";
        EXPECT_EQ(contents(folder).count("A.TXT"), 1u);
        EXPECT_EQ(contents(folder).count("a.txt"), 1u);
    }

    // Two entries of one run ending with names equal but for case.
    const std::string pair = folder + "pair/";
    made(pair, {"x-Same.txt", "y-same.txt"});
    w.setFolder(pair);
    w.type(编辑框_查找, "^.-");
    w.type(编辑框_替换为, "");
    runRenameRule(regexReplace(), w, s);
    if (ignoresCase()) {
        EXPECT_EQ(contents(pair), (Contents{{"Same.txt", "x-Same.txt"}, {"y-same.txt", "y-same.txt"}}));
        EXPECT_EQ(w.messages.back(), msg("1个无法更名：本次前面的改名已占用这个名称", style::information, "提示"));
    } else {
        EXPECT_EQ(contents(pair), (Contents{{"Same.txt", "x-Same.txt"}, {"same.txt", "y-same.txt"}}));
    }
}

// Names the disk refuses are marked before the click, not tried, and reported.
TEST_P(OnDisk, namesTheDiskRefusesAreMarkedAndNeverTried) {
    made(folder, {"第1课 上.mp4", "a.txt"});
    w.type(编辑框_查找, " ");
    w.type(编辑框_替换为, ":");
    const Preview colon = preview(regexReplace());
    ASSERT_EQ(colon.failures.size(), 1u);
    EXPECT_EQ(colon.failures[0], StepFailure::DiskCharacter);
    EXPECT_EQ(previewStatus("替换"_t, colon).toUtf8(), "替换：将更名0个，1个无法更名");
    runRenameRule(regexReplace(), w, s);
    EXPECT_EQ(lines(w.planShown),
              (std::vector<std::string>{"第1课 上.mp4 → 第1课:上.mp4  ✗ 这个磁盘的文件名里不能有 :"}));
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：这个磁盘的文件名里不能有 :", style::information, "提示"));
    EXPECT_EQ(contents(folder).count("第1课 上.mp4"), 1u);

    struct Case {
        const char* suffix;
        StepFailure failure;
    };
    for (const Case& c : {Case{"?", StepFailure::DiskCharacter}, Case{".", StepFailure::DiskTrailingDotOrSpace}}) {
        w.type(编辑框18, c.suffix);  // after the extension: a.txt? and a.txt.
        const Preview p = preview(appendAfterExtension());
        ASSERT_EQ(p.failures.size(), 2u) << c.suffix;
        EXPECT_EQ(p.failures[0], c.failure) << c.suffix;
    }
    // A device name, with an extension.
    made(folder + "dev/", {"con-x.txt"});
    w.setFolder(folder + "dev/");
    w.type(编辑框_查找, "-x");
    w.type(编辑框_替换为, "");
    const Preview device = preview(regexReplace());
    ASSERT_EQ(device.failures.size(), 1u)
        << (device.refusal ? device.refusal->text.toUtf8() : std::string("no refusal"));
    EXPECT_EQ(device.failures[0], StepFailure::DiskDeviceName);
}

// A Chinese name of 100 characters is 100 units on these disks and 300 bytes on ext4.
TEST_P(OnDisk, longNamesInTheDisksOwnUnits) {
    made(folder, {"a.txt"});
    std::string hundred;
    for (int i = 0; i < 100; ++i) hundred += "课";
    w.type(编辑框6, hundred.c_str());
    const Preview here = preview(addPrefix());
    ASSERT_EQ(here.failures.size(), 1u);
    EXPECT_EQ(here.failures[0], StepFailure::None);
    runRenameRule(addPrefix(), w, s);
    EXPECT_EQ(contents(folder).count(hundred + "a.txt"), 1u);

    TempFolder ext4;
    ext4.file("a.txt");
    const FolderSnapshot there(Text::fromUtf8(ext4.path()));
    w.setFolder(ext4.path());
    const Preview longer = previewRun(addPrefix(), readRequest(addPrefix(), w), there);
    ASSERT_EQ(longer.failures.size(), 1u);
    EXPECT_EQ(longer.failures[0], StepFailure::TooLong);
}

// The disk goes away and comes back: a run on it is kept while it is away, and taken back by
// names once it is back with other inode numbers.
TEST_P(OnDisk, aRunWhoseDiskIsAwayIsKeptAndTakenBackWhenItReturns) {
    const Contents before = made(folder, {"a-1.mp4", "b-2.mp4"});
    w.type(编辑框7, "x");
    runRenameRule(addSuffix(), w, s);
    image().unmount();
    w.messages.clear();
    undo();
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg(("找不到文件夹：" + folder.substr(0, folder.size() - 1)).c_str(),
                                                  style::information, "提示")}));
    EXPECT_TRUE(s.journal.canUndo()) << "kept for when the disk is back";
    image().mount();
    undo();
    EXPECT_EQ(contents(folder), before);
    EXPECT_EQ(w.messages.back(), msg("撤销了2个", style::ok, "提示"));
}

INSTANTIATE_TEST_SUITE_P(Disks, OnDisk, ::testing::Values(ImageFormat::Exfat, ImageFormat::Ntfs),
                         [](const ::testing::TestParamInfo<ImageFormat>& info) {
                             return info.param == ImageFormat::Exfat ? "exfat" : "ntfs";
                         });

}  // namespace
}  // namespace velmora::testing
