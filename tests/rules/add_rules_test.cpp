#include <sys/resource.h>
#include <sys/stat.h>

#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/fs/file_system.h"
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
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", 1, "提示"), msg("确定更名吗？", 1, "提示")}));

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
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("加点啥？不能为空", 64), msg("加点啥？不能为空", 64)}));
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
        EXPECT_EQ(win.messages.back(), msg(changed ? "有1个文件被改名成功" : "有0个文件被改名成功", 0));
    }
}

TEST_F(InsertAtMarker, refusedCharactersOnlyInTheInsertText) {
    files({"a?b.mp4"});
    w.type(编辑框11, "?");
    w.type(编辑框12, "\"");
    run(insertAtMarker());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("不能改成这个东西", 0)}));
    w.type(编辑框12, "");
    w.messages.clear();
    run(insertAtMarker());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("弄啥呢？", 64)}));
    w.setChecked(单选框4, true);
    w.setChecked(单选框3, false);
    insertAfterClicked(w);
    EXPECT_EQ(w.caption(按钮10).toUtf8(), "后面加");
    w.answer({answerCancel});
    w.type(编辑框12, "x");
    w.messages.clear();
    run(insertAtMarker());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", 1, "提示"), msg("有0个文件被改名成功", 0)}));
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
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("确定更名吗？", 1, "提示"), msg("一共有4扩展名被修改", 64, "提示")}));

    w.messages.clear();
    w.setChecked(选择框2, true);
    run(changeExtensions());
    w.setSelection(组合框3, -1);
    run(changeExtensions());
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("文件夹没有改后缀一说，请勾选文件", 64, "提示"),
                                              msg("修改为什么？请先选择", 64)}));
}

TEST_F(ExtensionRules, twoFilesBecomingOneNameKeepTheSecond) {
    files({"a.avi", "a.mkv"});
    w.choose(组合框3, ".mp4");
    run(changeExtensions());
    EXPECT_EQ(f.entries().size(), 2u);
    EXPECT_TRUE(f.exists("a.mp4"));
    EXPECT_EQ(w.messages.end()[-2], msg("一共有1扩展名被修改", 64, "提示"));
    EXPECT_EQ(w.messages.back(), msg("1个无法更名：已有同名", 64, "提示"));
}

class CreateEntries : public RuleTest {
protected:
    CreateEntries() {
        w.rows = {Text::fromUtf8("a.mp4"), Text::fromUtf8("b.mkv"), Text::fromUtf8("archive.tar.gz")};
        w.type(编辑框14, (f.path() + "out").c_str());
        f.folder("out");
    }
    Names out() const {
        Names names;
        for (const auto& e : std::filesystem::directory_iterator(f.path() + "out"))
            names.insert(e.path().filename().string() + (e.is_directory() ? "/" : ""));
        return names;
    }
};

TEST_F(CreateEntries, oneFolderPerRowOrOneEmptyFile) {
    createEntries(w, s);
    EXPECT_EQ(out(), (Names{"a/", "b/", "archive.tar/"}));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功创建3个文件夹", 0, "执行")}));
    w.type(编辑框15, "txt");
    w.messages.clear();
    createEntries(w, s);
    EXPECT_EQ(out(), (Names{"a/", "b/", "archive.tar/", "atxt", "btxt", "archive.tartxt"}));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功创建3个文件夹", 0, "执行")}));
}

TEST_F(CreateEntries, existingEntriesAreLeftUntouchedAndNotCounted) {
    f.file("out/a.txt", "keep me");
    f.folder("out/b");
    w.rows.push_back(Text::fromUtf8("a.avi"));
    w.type(编辑框15, ".txt");
    createEntries(w, s);
    EXPECT_EQ(f.read("out/a.txt"), "keep me");
    EXPECT_EQ(w.messages.back(), msg("成功创建2个文件夹", 0, "执行"));  // b.txt and archive.tar.txt
    w.setContent(编辑框15, {});
    createEntries(w, s);
    EXPECT_EQ(w.messages.back(), msg("成功创建2个文件夹", 0, "执行"));  // a and archive.tar; b exists
}

TEST_F(CreateEntries, refusalsAndTheHintBoxes) {
    w.type(编辑框14, "将在这里创建");
    createEntries(w, s);
    w.setFolder("");
    w.type(编辑框14, "/x");
    createEntries(w, s);
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("路径呢？", 64), msg("路径呢？", 64)}));
    w.type(编辑框14, "将在这里创建");
    w.setTextColour(编辑框14, TextColour::Grey);
    targetBoxFocused(w);
    EXPECT_EQ(w.content(编辑框14), Text{});
    EXPECT_EQ(w.colour(编辑框14), TextColour::Default);
    w.type(编辑框15, "typed");
    extensionBoxFocused(w);
    EXPECT_EQ(w.content(编辑框15).toUtf8(), "typed");
}

TEST_F(CreateEntries, aMissingTargetCreatesNothing) {
    w.type(编辑框14, (f.path() + "missing").c_str());
    createEntries(w, s);
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功创建0个文件夹", 0, "执行")}));
    EXPECT_FALSE(f.exists("missing"));
}

class SaveNames : public RuleTest {
protected:
    void TearDown() override { unlink(originalNamesPath().toUtf8().c_str()); }
    std::string saved() const {
        std::ifstream in(originalNamesPath().toUtf8(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(SaveNames, writesGbkLinesWithCrLfAndReplacesTheOldFile) {
    w.rows = {Text::fromUtf8("a.mp4"), Text{}, Text::fromUtf8("第1集.mkv")};
    saveOriginalNames(w);
    EXPECT_EQ(saved(), std::string("a.mp4\r\n\xB5\xDA"
                                   "1"
                                   "\xBC\xAF.mkv\r\n"));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg(
                              "已将原文件名存入txt文档内，\r\n并已将txt文档保存到本软件的同级文件夹", 64, "提醒：")}));
    w.rows = {Text::fromUtf8("b")};
    saveOriginalNames(w);
    EXPECT_EQ(saved(), "b\r\n");
    w.rows.clear();
    w.messages.clear();
    saveOriginalNames(w);
    EXPECT_EQ(saved(), "b\r\n");
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("没有什么可以保存的", 64, "提醒：")}));
    w.rows = {Text{}};
    saveOriginalNames(w);
    EXPECT_EQ(saved(), "");
}

// The file-size limit makes the write fail after its first few kilobytes, for root as well.
TEST_F(SaveNames, aSaveThatFailsPartWayLeavesTheOldFileWholeAndSaysSo) {
    f.file("原文件名保存.txt", "old names\r\n");
    const Text folder = Text::fromUtf8(f.path());
    for (int i = 0; i < 400; ++i) w.rows.push_back(Text::fromUtf8(std::string(40, 'a') + std::to_string(i)));
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    saveOriginalNames(w, folder, {});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(f.read("原文件名保存.txt"), "old names\r\n");
    EXPECT_EQ(f.entries(), Names{"原文件名保存.txt"}) << "the partial temporary file is removed";
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text.toUtf8().rfind("保存失败\r\n", 0), 0u) << w.messages[0];
    EXPECT_EQ(w.messages[0].style, 64);
    EXPECT_EQ(w.messages[0].caption, "提醒："_t);
    w.messages.clear();
    saveOriginalNames(w, folder, {});
    EXPECT_EQ(f.read("原文件名保存.txt").size(), 400 * 42 + 10 * 1 + 90 * 2 + 300 * 3)
        << "the same save succeeds unlimited";
    EXPECT_EQ(w.messages.size(), 1u);
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

// The data folder follows the XDG rules: an absolute XDG_DATA_HOME wins, anything else falls back
// to HOME, and without an absolute HOME there is none.
TEST(UserDataFolder, followsXdgDataHomeThenHome) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/data/me", "/home/me", "/data/me/velmora/"},
        {"/data/me/", "/home/me", "/data/me/velmora/"},
        {nullptr, "/home/me", "/home/me/.local/share/velmora/"},
        {"", "/home/me", "/home/me/.local/share/velmora/"},
        {"relative/data", "/home/我", "/home/我/.local/share/velmora/"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    const std::string savedXdg = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    const std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
    for (const Case& c : cases) {
        c.xdg ? setenv("XDG_DATA_HOME", c.xdg, 1) : unsetenv("XDG_DATA_HOME");
        c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
        EXPECT_EQ(userDataFolder().toUtf8(), c.expected) << (c.xdg ? c.xdg : "(unset)");
    }
    savedXdg.empty() ? unsetenv("XDG_DATA_HOME") : setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
    setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace velmora::testing
