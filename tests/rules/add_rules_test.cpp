#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/fs/file_system.h"
#include "interaction/click.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;

class PrefixSuffix : public RuleTest {};

TEST_F(PrefixSuffix, theExtensionStaysAndFoldersTakeTheSuffixAtTheEnd) {
    files({"a.mp4", "README", "archive.tar.gz"});
    w.type(编辑框6, "01-");
    run(addPrefix());
    EXPECT_EQ(f.entries(), (Names{"01-a.mp4", "01-README", "01-archive.tar.gz"}));
    w.type(编辑框7, "-01");
    run(addSuffix());
    EXPECT_EQ(f.entries(), (Names{"01-a-01.mp4", "01-README-01", "01-archive.tar-01.gz"}));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("确定更名吗？", style::okCancel, "提示")}));

    TempFolder folders;
    folders.folder("photos.2020");
    w.setFolder(folders.path());
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    run(addSuffix());
    EXPECT_EQ(folders.entries(), Names{"photos.2020-01/"});
}

TEST_F(PrefixSuffix, aTextWithASeparatorNeverMovesAnEntryOutOfTheFolder) {
    f.folder("inner");
    TempFolder work;
    work.file("a.mp4", "A");
    work.file("b.mp4", "B");
    w.setFolder(work.path());
    for (const char* text : {"../", "inner/", "/", "../../tmp/x"}) {
        w.type(编辑框6, text);
        w.type(编辑框7, text);
        run(addPrefix());
        run(addSuffix());
    }
    EXPECT_EQ(work.entries(), (Names{"a.mp4", "b.mp4"}));
    EXPECT_EQ(work.read("a.mp4"), "A");
}

TEST_F(PrefixSuffix, emptyTextIsRefusedBeforeTheFolderCheck) {
    w.setFolder("");
    run(addPrefix());
    run(addSuffix());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("加点啥？不能为空", style::information),
                                              msg("加点啥？不能为空", style::information)}));
}

class InsertAtMarker : public RuleTest {};

TEST_F(InsertAtMarker, beforeOrAfterTheFirstOrLastMarker) {
    struct Case {
        const char* marker;
        bool after;
        bool last;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"01", false, false, "第01集.mp4", "第E01集.mp4"}, {"01", true, false, "第01集.mp4", "第01E集.mp4"},
        {"-", true, false, "a-b-c.mp4", "a-Eb-c.mp4"},     {"-", true, true, "a-b-c.mp4", "a-b-Ec.mp4"},
        {"-", false, true, "a-b-c.mp4", "a-bE-c.mp4"},     {"mp", false, false, "clip.mp4", "clip.mp4"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file(c.name);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框11, c.marker);
        win.type(编辑框12, "E");
        win.setChecked(单选框3, !c.after);
        win.setChecked(单选框4, c.after);
        win.setChecked(单选框5, !c.last);
        win.setChecked(单选框6, c.last);
        runRenameRule(insertAtMarker(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.name;
        const bool changed = std::string(c.name) != c.expected;
        EXPECT_EQ(win.messages.back(), msg(changed ? "有1个文件被改名成功" : "有0个文件被改名成功", style::ok));
    }
}

TEST_F(InsertAtMarker, refusedCharactersOnlyInTheInsertText) {
    files({"a?b.mp4"});
    w.type(编辑框11, "?");
    w.type(编辑框12, "\"");
    run(insertAtMarker());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("不能改成这个东西", style::ok)}));
    w.type(编辑框12, "");
    w.messages.clear();
    run(insertAtMarker());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("弄啥呢？", style::information)}));
    w.setChecked(单选框4, true);
    w.setChecked(单选框3, false);
    insertAfterClicked(w);
    EXPECT_EQ(w.caption(按钮10).toUtf8(), "后面加");
    w.answer({answerCancel});
    w.type(编辑框12, "x");
    w.messages.clear();
    run(insertAtMarker());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("有0个文件被改名成功", style::ok)}));
}

class ExtensionRules : public RuleTest {};

TEST_F(ExtensionRules, appendAfterTheExtension) {
    files({"a.mp4", "README"});
    w.type(编辑框18, ".bak");
    w.setChecked(选择框1, false);
    run(appendAfterExtension());
    EXPECT_EQ(f.entries(), (Names{"a.mp4.bak", "README.bak"}));
}

TEST_F(ExtensionRules, changeAllWithItsOwnFilterAndTheFolderRefusal) {
    files({"a.avi", "archive.tar.gz", "README", "notes.txt", "notes2.TXT"});
    w.choose(组合框3, ".mp4");
    w.choose(组合框2, ".txt");
    run(changeExtensions());
    EXPECT_EQ(f.entries(), (Names{"a.mp4", "archive.tar.mp4", "README.mp4", "notes.txt", "notes2.mp4"}));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                              msg("一共有4扩展名被修改", style::information, "提示")}));

    w.messages.clear();
    w.setChecked(选择框2, true);
    run(changeExtensions());
    w.setSelection(组合框3, -1);
    run(changeExtensions());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("文件夹没有改后缀一说，请勾选文件", style::information, "提示"),
                                              msg("修改为什么？请先选择", style::information)}));
}

TEST_F(ExtensionRules, twoFilesBecomingOneNameKeepTheSecond) {
    files({"a.avi", "a.mkv"});
    w.choose(组合框3, ".mp4");
    run(changeExtensions());
    EXPECT_EQ(f.entries().size(), 2u);
    EXPECT_TRUE(f.exists("a.mp4"));
    EXPECT_EQ(w.messages.end()[-2], msg("一共有1扩展名被修改", style::information, "提示"));
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：已有同名", style::information, "提示"));
}

}  // namespace
}  // namespace velmora::testing
