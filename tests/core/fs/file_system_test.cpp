#include "core/fs/file_system.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "core/fs/name_watch.h"
#include "tests/support/temp_folder.h"

namespace velmora {
namespace {

using testing::TempFolder;

Text P(const TempFolder& f, const std::string& name) { return Text::fromUtf8(f.path() + name); }

TEST(RenameEntry, renamesFilesAndFoldersWithinTheFolder) {
    TempFolder f;
    f.file("a.mp4", "A");
    f.folder("dir");
    EXPECT_TRUE(renameEntry(P(f, "a.mp4"), P(f, "第1集.mp4")));
    EXPECT_TRUE(renameEntry(P(f, "dir"), P(f, "目录.2020")));
    EXPECT_EQ(f.entries(), (std::set<std::string>{"第1集.mp4", "目录.2020/"}));
    EXPECT_EQ(f.read("第1集.mp4"), "A");
}

TEST(RenameEntry, neverOverwritesAndLeavesBothEntriesAsTheyWere) {
    TempFolder f;
    f.file("a", "A");
    f.file("b", "B");
    EXPECT_FALSE(renameEntry(P(f, "a"), P(f, "b")));
    EXPECT_FALSE(FolderHandle(f.path()).rename("a", "b", RenameMethod::Fallback));
    EXPECT_EQ(f.read("a"), "A");
    EXPECT_EQ(f.read("b"), "B");
}

TEST(RenameEntry, refusesNamesThatAreNotNamesOrLeaveTheFolder) {
    TempFolder f;
    f.file("a", "A");
    f.folder("sub");
    const std::string tooLong(256, 'x');
    for (const std::string& bad : {std::string(""), std::string("."), std::string(".."), std::string("sub/a"),
                                   std::string("../a"), tooLong, std::string("a\0b", 3)})
        EXPECT_FALSE(renameEntry(P(f, "a"), Text::fromBytes(Text::fromUtf8(f.path()).bytes() + bad)));
    EXPECT_FALSE(renameEntry(P(f, "a"), P(f, "a"))) << "the same path is no rename";
    EXPECT_FALSE(renameEntry(P(f, "missing"), P(f, "b")));
    EXPECT_EQ(f.entries(), (std::set<std::string>{"a", "sub/"}));
    EXPECT_TRUE(renameEntry(P(f, "a"), P(f, std::string(255, 'y'))));
}

// Entries below the folder are renamed in their own folder, opened without following a link: a
// link put where a folder was leads nowhere else, and a folder renamed is found under its new name.
TEST(FolderHandle, renamesEntriesBelowInTheirOwnFolderAndFollowsNoLink) {
    TempFolder f;
    TempFolder outside;
    outside.file("x", "X");
    f.folder("sub");
    f.folder("sub/inner");
    f.file("sub/a", "A");
    ASSERT_EQ(symlink(outside.path().c_str(), (f.path() + "l").c_str()), 0);
    const FolderHandle folder(f.path());
    EXPECT_TRUE(folder.rename("sub/a", "sub/b"));
    EXPECT_EQ(folder.rename("sub/b", "b").error(), EXDEV);
    EXPECT_EQ(folder.rename("sub/b", "other/b").error(), EXDEV);
    EXPECT_EQ(folder.rename("sub/b", "sub/").error(), EXDEV);  // the folder itself, no entry in it
    EXPECT_FALSE(folder.rename("sub/b", "sub/inner/b"));
    EXPECT_FALSE(folder.rename("sub/b", "sub/.."));
    EXPECT_FALSE(folder.rename("l/x", "l/y"));
    EXPECT_EQ(outside.entries(), (std::set<std::string>{"x"}));

    EXPECT_TRUE(folder.rename("sub", "sub2"));
    EXPECT_TRUE(folder.rename("sub2/b", "sub2/c"));
    f.folder("sub");
    f.file("sub/b", "new");
    EXPECT_TRUE(folder.rename("sub/b", "sub/d"));  // the new folder of that name, not the one renamed
    EXPECT_EQ(f.read("sub/d"), "new");
    EXPECT_EQ(f.read("sub2/c"), "A");
    // A folder swapped for a link after it was opened once.
    ASSERT_EQ(rename((f.path() + "sub").c_str(), (f.path() + "sub3").c_str()), 0);
    ASSERT_EQ(symlink(outside.path().c_str(), (f.path() + "sub").c_str()), 0);
    EXPECT_FALSE(folder.rename("sub/x", "sub/y"));
    EXPECT_EQ(outside.entries(), (std::set<std::string>{"x"}));
}

// A run over many folders below holds only a few of them open: it never runs out of descriptors.
TEST(FolderHandle, renamesInMoreFoldersThanItMayHoldOpen) {
    TempFolder f;
    constexpr int folders = 300;
    for (int i = 0; i < folders; ++i) {
        f.folder("d" + std::to_string(i));
        f.file("d" + std::to_string(i) + "/a");
    }
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit fewer = before;
    fewer.rlim_cur = std::min<rlim_t>(before.rlim_cur, 200);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &fewer), 0);
    int renamed = 0;
    {
        const FolderHandle folder(f.path());
        for (int i = 0; i < folders; ++i)
            renamed += folder.rename("d" + std::to_string(i) + "/a", "d" + std::to_string(i) + "/b").hasValue();
    }
    setrlimit(RLIMIT_NOFILE, &before);
    EXPECT_EQ(renamed, folders);
    EXPECT_TRUE(f.exists("d299/b"));
}

TEST(RenameEntry, caseOnlyRenameOfOneFile) {
    TempFolder f;
    f.file("readme", "R");
    EXPECT_TRUE(renameEntry(P(f, "readme"), P(f, "README")));
    EXPECT_EQ(f.entries(), (std::set<std::string>{"README"}));
}

// Both names find one entry, as a case-only change does on a case-insensitive file system; here
// they are two links, so the new name is really taken and nothing may change.
TEST(RenameEntry, aRenameOntoAnotherLinkOfTheSameFileChangesNothing) {
    TempFolder f;
    f.file("A.JPG", "P");
    ASSERT_EQ(link((f.path() + "A.JPG").c_str(), (f.path() + "a.jpg").c_str()), 0);
    EXPECT_FALSE(renameEntry(P(f, "A.JPG"), P(f, "a.jpg")));
    EXPECT_EQ(f.entries(), (std::set<std::string>{"A.JPG", "a.jpg"}));
    EXPECT_EQ(f.read("A.JPG"), "P");
}

TEST(RenameEntry, fallbackRenamesFilesAndFoldersWithoutReplacing) {
    TempFolder f;
    f.file("a", "A");
    f.folder("d");
    f.folder("e");
    const FolderHandle folder(f.path());
    EXPECT_TRUE(folder.rename("a", "b", RenameMethod::Fallback));
    EXPECT_FALSE(folder.rename("d", "e", RenameMethod::Fallback));
    for (const int leftOver : {0, ENOENT, EEXIST}) {  // whatever an earlier call left in errno
        errno = leftOver;
        EXPECT_FALSE(folder.rename("d", "e", RenameMethod::Fallback)) << leftOver;
    }
    EXPECT_TRUE(folder.rename("d", "f", RenameMethod::Fallback));
    EXPECT_EQ(f.entries(), (std::set<std::string>{"b", "e/", "f/"}));
    EXPECT_EQ(f.read("b"), "A");
}

TEST(RenameEntry, aSymlinkIsRenamedAsALink) {
    TempFolder f;
    f.file("target", "T");
    ASSERT_EQ(symlink("target", (f.path() + "link").c_str()), 0);
    EXPECT_TRUE(renameEntry(P(f, "link"), P(f, "link2")));
    EXPECT_TRUE(FolderHandle(f.path()).rename("link2", "link3", RenameMethod::Fallback));
    EXPECT_EQ(f.entries(), (std::set<std::string>{"link3", "target"}));
    EXPECT_EQ(f.read("target"), "T");
}

TEST(Files, writeCreateAndReplace) {
    TempFolder f;
    EXPECT_TRUE(writeFile(P(f, "w.txt"), {"ab", "", "c"}));
    EXPECT_EQ(f.read("w.txt"), "abc");
    EXPECT_FALSE(writeFile(Text{}, {"x"}));
    EXPECT_FALSE(writeNewFile(P(f, "w.txt"), {}));
    EXPECT_EQ(f.read("w.txt"), "abc") << "creating never truncates";
    EXPECT_TRUE(writeNewFile(P(f, "n.txt"), {}));
    EXPECT_TRUE(replaceFile(P(f, "w.txt"), {"new"}));
    EXPECT_EQ(f.read("w.txt"), "new");
    EXPECT_EQ(f.entries(), (std::set<std::string>{"n.txt", "w.txt"}));
    EXPECT_TRUE(createDirectory(P(f, "d")));
    EXPECT_FALSE(createDirectory(P(f, "d")));
    EXPECT_FALSE(createDirectory(P(f, "missing/d")));
    EXPECT_TRUE(fileExists(P(f, "*.txt")));
    EXPECT_TRUE(fileExists(P(f, "d")));
    EXPECT_FALSE(fileExists(P(f, "*.mp4")));
    f.file("[1].txt");  // a name that glob reads as a pattern
    EXPECT_TRUE(fileExists(P(f, "[1].txt")));
    // Every missing folder of a path, from its first, one-letter component on (a relative path).
    char* here = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(f.path().c_str()), 0);
    EXPECT_TRUE(createDirectories(Text::fromUtf8("e/第2季/x")));
    EXPECT_TRUE(createDirectories(Text::fromUtf8("e/第2季/x")));  // there already
    ASSERT_EQ(chdir(here), 0);
    std::free(here);
    EXPECT_TRUE(f.exists("e/第2季/x"));
    EXPECT_FALSE(createDirectories(P(f, "w.txt/x")));
}

// New files are readable by everyone and writable by their owner, whatever way they were written.
TEST(Files, newFilesAreCreatedWithMode644) {
    TempFolder f;
    const mode_t previous = umask(022);
    EXPECT_TRUE(writeFile(P(f, "w.txt"), {"a"}));
    EXPECT_TRUE(writeNewFile(P(f, "n.txt"), {"a"}));
    EXPECT_TRUE(replaceFile(P(f, "r.txt"), {"a"}));
    umask(previous);
    for (const char* name : {"w.txt", "n.txt", "r.txt"}) {
        struct stat st {};
        ASSERT_EQ(stat((f.path() + name).c_str(), &st), 0) << name;
        EXPECT_EQ(st.st_mode & 0777, 0644u) << name;
    }
}

TEST(Files, replaceInAReadOnlyFolderFailsAndKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    TempFolder f;
    f.file("names.txt", "old");
    chmod(f.path().c_str(), 0555);
    EXPECT_FALSE(replaceFile(P(f, "names.txt"), {"new"}));
    chmod(f.path().c_str(), 0755);
    EXPECT_EQ(f.read("names.txt"), "old");
}

// The names a folder's change notices keep: every change by anyone, in order; case folded where
// the disk ignores it; and once the kernel lost some, never an answer again.
TEST(NameWatch, followsEveryChangeToTheFolderAndKnowsWhenItCannot) {
    using Answer = NameWatch::Answer;
    TempFolder f;
    f.file("a");
    const int dir = open(f.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0);
    auto watch = NameWatch::start(dir, false);
    auto folded = NameWatch::start(dir, true);
    ASSERT_TRUE(watch && folded);
    EXPECT_EQ(watch->holds("a"), Answer::Taken);
    EXPECT_EQ(watch->holds("A"), Answer::Free);
    EXPECT_EQ(folded->holds("A"), Answer::Taken);
    EXPECT_EQ(watch->holds("b"), Answer::Free);

    f.file("b");  // another program, through another path
    EXPECT_EQ(watch->holds("b"), Answer::Taken);
    ASSERT_EQ(rename((f.path() + "b").c_str(), (f.path() + "c").c_str()), 0);
    ASSERT_EQ(rename((f.path() + "a").c_str(), (f.path() + "b").c_str()), 0);
    EXPECT_EQ(watch->holds("a"), Answer::Free);
    EXPECT_EQ(watch->holds("b"), Answer::Taken);
    EXPECT_EQ(watch->holds("c"), Answer::Taken);
    EXPECT_EQ(folded->holds("C"), Answer::Taken);
    ASSERT_EQ(unlink((f.path() + "c").c_str()), 0);
    EXPECT_EQ(watch->holds("c"), Answer::Free);
    f.folder("d");
    EXPECT_EQ(folded->holds("D"), Answer::Taken);

    // More changes than the kernel queues: it drops the rest, and the watch never answers again,
    // not even for a name whose change came after the loss.
    std::ifstream limit("/proc/sys/fs/inotify/max_queued_events");
    std::size_t queued = 16384;
    limit >> queued;
    for (std::size_t i = 0; i <= queued; ++i) f.file("n" + std::to_string(i));
    f.file("late");
    EXPECT_EQ(watch->holds("late"), Answer::Unknown);
    EXPECT_EQ(watch->holds("a"), Answer::Unknown);
    close(dir);
}

}  // namespace
}  // namespace velmora
