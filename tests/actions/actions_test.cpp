// Creating entries and saving the list's names: the buttons that write files without renaming.
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "actions/actions.h"
#include "interaction/session.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

namespace velmora::testing {
namespace {

using namespace component;
using Names = std::set<std::string>;

// A real temp folder, a fake window pointing at it and a session.
class ActionTest : public ::testing::Test {
protected:
    ActionTest() { w.setFolder(f.path()); }

    FakeWindow w;
    Session s;
    TempFolder f;
};

class CreateEntries : public ActionTest {
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
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功创建3个文件夹", style::ok, "执行")}));
    w.type(编辑框15, "txt");
    w.messages.clear();
    createEntries(w, s);
    EXPECT_EQ(out(), (Names{"a/", "b/", "archive.tar/", "atxt", "btxt", "archive.tartxt"}));
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功创建3个文件夹", style::ok, "执行")}));
}

TEST_F(CreateEntries, existingEntriesAreLeftUntouchedAndNotCounted) {
    f.file("out/a.txt", "keep me");
    f.folder("out/b");
    w.rows.push_back(Text::fromUtf8("a.avi"));
    w.type(编辑框15, ".txt");
    createEntries(w, s);
    EXPECT_EQ(f.read("out/a.txt"), "keep me");
    EXPECT_EQ(w.messages.back(), msg("成功创建2个文件夹", style::ok, "执行"));  // b.txt and archive.tar.txt
    w.setContent(编辑框15, {});
    createEntries(w, s);
    EXPECT_EQ(w.messages.back(), msg("成功创建2个文件夹", style::ok, "执行"));  // a and archive.tar; b exists
}

TEST_F(CreateEntries, refusalsAndTheHintBoxes) {
    w.type(编辑框14, "将在这里创建");
    createEntries(w, s);
    w.setFolder("");
    w.type(编辑框14, "/x");
    createEntries(w, s);
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg("路径呢？", style::information), msg("路径呢？", style::information)}));
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
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("成功创建0个文件夹", style::ok, "执行")}));
    EXPECT_FALSE(f.exists("missing"));
}

class SaveNames : public ActionTest {
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
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg("已将原文件名存入txt文档内，\r\n并已将txt文档保存到本软件的同级文件夹",
                                      style::information, "提醒：")}));
    w.rows = {Text::fromUtf8("b")};
    saveOriginalNames(w);
    EXPECT_EQ(saved(), "b\r\n");
    w.rows.clear();
    w.messages.clear();
    saveOriginalNames(w);
    EXPECT_EQ(saved(), "b\r\n");
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("没有什么可以保存的", style::information, "提醒：")}));
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
    EXPECT_EQ(w.messages[0].style, style::information);
    EXPECT_EQ(w.messages[0].caption, "提醒："_t);
    w.messages.clear();
    saveOriginalNames(w, folder, {});
    EXPECT_EQ(f.read("原文件名保存.txt").size(), 400 * 42 + 10 * 1 + 90 * 2 + 300 * 3)
        << "the same save succeeds unlimited";
    EXPECT_EQ(w.messages.size(), 1u);
}

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
