// Faults injected around rename runs and the file operations: each must leave every file in place
// and every report honest.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include <filesystem>
#include <fstream>
#include <functional>

#include "actions/actions.h"
#include "core/fs/file_system.h"
#include "interaction/click.h"
#include "tests/reliability/read_only.h"
#include "tests/rules/rule_harness.h"

namespace {
// The name whose next unlinkat fails, as it does when the entry is held or protected.
std::string failingUnlink;
// A disk like a FAT card behind an old driver: no no-replace flag, no hard links.
bool refusesNoReplace = false;
bool refusesLinks = false;
int noReplaceAsked = 0;
// The name whose look-up fails with EIO, as on a disk going bad.
std::string failingLookUp;
}  // namespace

extern "C" int renameat2(int oldDir, const char* oldName, int newDir, const char* newName, unsigned flags) {
    if (refusesNoReplace && (flags & RENAME_NOREPLACE) != 0) {
        ++noReplaceAsked;
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(syscall(SYS_renameat2, oldDir, oldName, newDir, newName, flags));
}

extern "C" int linkat(int oldDir, const char* oldName, int newDir, const char* newName, int flags) {
    if (refusesLinks) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(syscall(SYS_linkat, oldDir, oldName, newDir, newName, flags));
}

extern "C" int fstatat(int dir, const char* name, struct stat* st, int flags) {
    if (!failingLookUp.empty() && failingLookUp == name) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(syscall(SYS_newfstatat, dir, name, st, flags));
}

// Takes the place of the C library's for the code under test.
extern "C" int unlinkat(int dir, const char* name, int flags) {
    if (!failingUnlink.empty() && failingUnlink == name) {
        failingUnlink.clear();
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(syscall(SYS_unlinkat, dir, name, flags));
}

namespace velmora::testing {
namespace {

using namespace component;

// A window that does something to the disk when the first message box is shown: after the
// listing, before any rename.
class Interrupting : public FakeWindow {
public:
    std::function<void()> atFirstMessage;
    int showMessage(const Text& text, MessageStyle style, std::optional<Text> caption) override {
        if (atFirstMessage) std::exchange(atFirstMessage, nullptr)();
        return FakeWindow::showMessage(text, style, caption);
    }
};

class FaultInjection : public RuleTest {
protected:
    Interrupting iw;
    void SetUp() override { iw.setFolder(f.path()); }
};

TEST_F(FaultInjection, aReadOnlyFolderRenamesNothingAndCountsNothing) {
    files({"a-1.txt", "b-2.txt"});
    ReadOnlyFolder readOnly(f.path());
    if (!readOnly.ok()) GTEST_SKIP() << "this file system cannot make a folder read-only here";
    iw.type(编辑框1, "-");
    runRenameRule(deleteOccurrences(), iw, s);
    EXPECT_EQ(iw.messages, (std::vector<Shown>{msg("一共有2个文件将被更名", style::okCancel, "请确认"),
                                               msg("2个无法更名：没有权限", style::information, "提示")}))
        << "no report of 0 for files, but the failures are told";
    iw.messages.clear();
    iw.type(编辑框8, "-");
    runRenameRule(deleteBefore(), iw, s);
    EXPECT_EQ(iw.messages.end()[-2], msg("成功改了0个", style::ok, "提示"));
    EXPECT_EQ(iw.messages.back(), msg("2个无法更名：没有权限", style::information, "提示"));
    EXPECT_EQ(f.entries(), (Names{"a-1.txt", "b-2.txt"}));
}

TEST_F(FaultInjection, anEntryDeletedAfterListingIsSkippedAndNotCounted) {
    files({"a-1.txt", "b-2.txt", "c-3.txt"});
    iw.type(编辑框1, "-");
    iw.atFirstMessage = [&] { std::filesystem::remove(f.path() + "b-2.txt"); };
    runRenameRule(deleteOccurrences(), iw, s);
    EXPECT_EQ(f.entries(), (Names{"a1.txt", "c3.txt"}));
    EXPECT_EQ(iw.messages.end()[-2], msg("删掉了2个", style::ok, "修改成果提示"));
    EXPECT_EQ(iw.messages.back(),
              msg("1个无法更名：找不到原来的文件，或这个磁盘不接受新名称", style::information, "提示"));
}

TEST_F(FaultInjection, theFolderRenamedOrRemovedMidRun) {
    TempFolder root;
    const std::string folder = root.path() + "work/";
    std::filesystem::create_directory(folder);
    for (const char* n : {"a-1.txt", "b-2.txt"}) std::ofstream(folder + n) << n;
    iw.setFolder(folder);
    iw.type(编辑框1, "-");
    iw.atFirstMessage = [&] { std::filesystem::rename(root.path() + "work", root.path() + "moved"); };
    runRenameRule(deleteOccurrences(), iw, s);
    EXPECT_EQ(root.entries(), (Names{"moved/"}));
    EXPECT_TRUE(std::filesystem::exists(root.path() + "moved/a-1.txt"));
    EXPECT_TRUE(std::filesystem::exists(root.path() + "moved/b-2.txt"));
    EXPECT_EQ(iw.messages.size(), 2u) << "nothing renamed, no report of a change";
    EXPECT_EQ(iw.messages.back(), msg("2个无法更名：找不到文件夹", style::information, "提示"));

    std::filesystem::create_directory(folder);
    std::ofstream(folder + "x-1.txt") << "x";
    iw.messages.clear();
    iw.atFirstMessage = [&] { std::filesystem::remove_all(folder); };
    runRenameRule(deleteOccurrences(), iw, s);
    EXPECT_EQ(iw.messages.size(), 2u);
    EXPECT_EQ(iw.messages.back(), msg("1个无法更名：找不到文件夹", style::information, "提示"));
    EXPECT_EQ(root.entries(), (Names{"moved/"}));
}

TEST_F(FaultInjection, aSymlinkedSubFolderIsRenamedAsALinkAndItsTargetStays) {
    TempFolder elsewhere;
    elsewhere.file("inside.txt", "kept");
    ASSERT_EQ(symlink(elsewhere.path().c_str(), (f.path() + "link-1").c_str()), 0);
    f.folder("real-2");
    iw.setChecked(选择框1, false);
    iw.setChecked(选择框2, true);
    iw.type(编辑框7, "_x");
    runRenameRule(addSuffix(), iw, s);
    EXPECT_EQ(f.entries(), (Names{"link-1_x", "real-2_x/"}));
    EXPECT_EQ(elsewhere.entries(), Names{"inside.txt"});
    EXPECT_EQ(elsewhere.read("inside.txt"), "kept");
}

TEST_F(FaultInjection, aSubFolderThatIsAMountPointKeepsItsNameAndIsNotCounted) {
    TempFolder source;
    source.file("mounted.txt", "M");
    f.folder("mount-1");
    f.folder("plain-2");
    if (mount(source.path().c_str(), (f.path() + "mount-1").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "no permission to bind-mount here";
    iw.setChecked(选择框1, false);
    iw.setChecked(选择框2, true);
    iw.type(编辑框8, "-");
    runRenameRule(deleteBefore(), iw, s);  // counts successes for folders too
    umount2((f.path() + "mount-1").c_str(), MNT_DETACH);
    EXPECT_EQ(f.entries(), (Names{"mount-1/", "-2/"}));
    EXPECT_EQ(iw.messages.end()[-2], msg("成功改了1个", style::ok, "提示"));
    EXPECT_EQ(iw.messages.back(), msg("1个无法更名：正在使用", style::information, "提示"));
    EXPECT_EQ(source.read("mounted.txt"), "M");
}

TEST_F(FaultInjection, aNameAtTheLengthLimitThatWouldGrowKeepsItsName) {
    const std::string longest = std::string(251, 'n') + ".mp4";
    files({longest.c_str(), "short.mp4"});
    iw.type(编辑框6, "p");
    runRenameRule(addPrefix(), iw, s);
    EXPECT_EQ(f.entries(), (Names{longest, "pshort.mp4"}));
    iw.type(编辑框4, "n");
    iw.type(编辑框5, "第");
    iw.messages.clear();
    runRenameRule(replaceTextRule(), iw, s);
    EXPECT_TRUE(f.exists(longest));
    EXPECT_EQ(iw.messages,
              (std::vector<Shown>{msg("确定更名吗？", style::okCancel, "提示"),
                                  msg("1个无法更名：名称太长，这个磁盘放不下", style::information, "提示")}))
        << "the failure is not counted, but told";
}

TEST_F(FaultInjection, aNameThatIsNotUtf8IsListedButNeverRenamed) {
    f.file("bad\xFF-1.txt", "B");
    files({"good-1.txt"});
    iw.type(编辑框1, "-");
    runRenameRule(deleteOccurrences(), iw, s);
    EXPECT_EQ(f.entries(), (Names{"bad\xFF-1.txt", "good1.txt"}));
    EXPECT_EQ(iw.messages.end()[-2], msg("删掉了1个", style::ok, "修改成果提示"));
    EXPECT_EQ(iw.messages.back(), msg("1个无法更名：名称无效", style::information, "提示"));
    iw.rows.clear();
    iw.pickedFolder = Text::fromUtf8(f.path());
}

TEST_F(FaultInjection, theNamesFileInAReadOnlyFolderFailsAndTheOldFileStays) {
    f.file("原文件名保存.txt", "old\r\n");
    ReadOnlyFolder readOnly(f.path());
    if (!readOnly.ok()) GTEST_SKIP() << "this file system cannot make a folder read-only here";
    iw.rows = {Text::fromUtf8("new.mp4")};
    saveOriginalNames(iw, Text::fromUtf8(f.path()), Text{});
    EXPECT_EQ(iw.messages,
              (std::vector<Shown>{msg("保存失败\r\n没有写入这个文件夹的权限", style::information, "提醒：")}));
    EXPECT_EQ(f.read("原文件名保存.txt"), "old\r\n");

    // The fallback folder cannot be made either: the reason is the fallback's.
    TempFolder other;
    other.file("plain");
    iw.messages.clear();
    saveOriginalNames(iw, Text::fromUtf8(f.path()), Text::fromUtf8(other.path() + "plain/velmora"));
    EXPECT_EQ(iw.messages, (std::vector<Shown>{msg("保存失败\r\n文件夹不存在", style::information, "提醒：")}));
    EXPECT_EQ(other.entries(), Names{"plain"});
}

TEST_F(FaultInjection, createInAMissingOrReadOnlyTargetCreatesNothing) {
    f.folder("target");
    iw.rows = {Text::fromUtf8("a.mp4"), Text::fromUtf8("b.mp4")};
    iw.type(编辑框14, (f.path() + "missing").c_str());
    createEntries(iw, s);
    EXPECT_EQ(iw.messages.back(), msg("成功创建0个文件夹", style::ok, "执行"));
    ReadOnlyFolder readOnly(f.path() + "target");
    if (!readOnly.ok()) GTEST_SKIP() << "this file system cannot make a folder read-only here";
    iw.type(编辑框14, (f.path() + "target").c_str());
    iw.type(编辑框15, ".txt");
    createEntries(iw, s);
    EXPECT_EQ(iw.messages.back(), msg("成功创建0个文件夹", style::ok, "执行"));
    EXPECT_TRUE(std::filesystem::is_empty(f.path() + "target"));
}

TEST_F(FaultInjection, withoutNoReplaceRenamesStillNeverOverwrite) {
    files({"a", "b"});
    f.folder("d");
    f.folder("e");
    const FolderHandle folder(f.path());
    EXPECT_FALSE(folder.rename("a", "b", RenameMethod::Fallback));
    EXPECT_FALSE(folder.rename("d", "e", RenameMethod::Fallback));
    EXPECT_FALSE(folder.rename("a", "d", RenameMethod::Fallback));
    EXPECT_FALSE(folder.rename("d", "a", RenameMethod::Fallback));
    EXPECT_EQ(f.read("a"), "token:a");
    EXPECT_EQ(f.read("b"), "token:b");
    EXPECT_EQ(f.entries(), (Names{"a", "b", "d/", "e/"}));
    // The new link is made, the old name cannot go: the new one goes again, the entry keeps one name.
    failingUnlink = "a";
    EXPECT_FALSE(folder.rename("a", "c", RenameMethod::Fallback));
    EXPECT_TRUE(failingUnlink.empty()) << "the old name was tried";
    EXPECT_EQ(f.entries(), (Names{"a", "b", "d/", "e/"}));
    EXPECT_EQ(f.read("a"), "token:a");
}

// The last resort of a disk that takes neither the no-replace flag nor hard links: a look-up of
// the new name, then the rename. The disk is asked for the flag once per folder.
TEST_F(FaultInjection, withoutNoReplaceOrLinksOnlyAFreeNameIsRenamedOnto) {
    files({"a", "b"});
    struct Restore {
        ~Restore() {
            refusesNoReplace = refusesLinks = false;
            failingLookUp.clear();
        }
    } restore;
    refusesNoReplace = refusesLinks = true;
    noReplaceAsked = 0;
    const FolderHandle folder(f.path());
    EXPECT_TRUE(folder.rename("a", "c"));
    const auto taken = folder.rename("c", "b");
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error(), EEXIST);
    EXPECT_EQ(noReplaceAsked, 1) << "a refusal of the flag is remembered";
    // A new name that cannot be looked up is not known to be free.
    failingLookUp = "d";
    const auto unknown = folder.rename("c", "d");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error(), EIO);
    EXPECT_EQ(f.entries(), (Names{"b", "c"}));
    EXPECT_EQ(f.read("c"), "token:a");
    EXPECT_EQ(f.read("b"), "token:b");
}

}  // namespace
}  // namespace velmora::testing
