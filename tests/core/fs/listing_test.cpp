#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "core/fs/listing.h"
#include "interaction/preview.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

namespace velmora {
namespace {

using testing::TempFolder;

std::vector<std::string> ordered(const std::vector<const char*>& names) {
    std::vector<Text> texts;
    for (const char* n : names) texts.push_back(Text::fromUtf8(n));
    std::vector<std::string> out;
    for (std::size_t i : numberAwareOrder(texts)) out.push_back(texts[i].toUtf8());
    return out;
}

TEST(NumberAwareOrder, ordersLeadingNumbersOfUpToThreeDigitsByValue) {
    EXPECT_EQ(ordered({"1.txt", "10.txt", "2.txt", "abc.txt", "100.txt", "1000.txt"}),
              (std::vector<std::string>{"1.txt", "2.txt", "10.txt", "100.txt", "1000.txt", "abc.txt"}));
    EXPECT_EQ(ordered({"1.txt", "01.txt"}), (std::vector<std::string>{"01.txt", "1.txt"}));
    EXPECT_EQ(ordered({"b", "B", "第", "a"}), (std::vector<std::string>{"B", "a", "b", "第"}));
    // Keys that differ only past their eighth byte, or end before it as a part of another.
    EXPECT_EQ(ordered({"episode-long-b", "abc", "episode-long-a", "ab", "a", "episode-long"}),
              (std::vector<std::string>{"a", "ab", "abc", "episode-long", "episode-long-a", "episode-long-b"}));
    EXPECT_EQ(ordered({"第1集 高清b", "第1集 高清a", "第1集 高"}),
              (std::vector<std::string>{"第1集 高", "第1集 高清a", "第1集 高清b"}));
    // A name that spells out another's key keeps its found place beside it.
    EXPECT_EQ(ordered({"001加2个蛋蛋", "1"}), (std::vector<std::string>{"001加2个蛋蛋", "1"}));
    EXPECT_EQ(ordered({"1", "001加2个蛋蛋"}), (std::vector<std::string>{"1", "001加2个蛋蛋"}));
}

TEST(NumberAwareOrder, listsTrueNamesEvenWhenTheyHoldTheSortMarks) {
    const auto names = ordered({"2.txt", "1加1个蛋蛋.txt", "加2个蛋蛋x"});
    EXPECT_EQ(names, (std::vector<std::string>{"1加1个蛋蛋.txt", "2.txt", "加2个蛋蛋x"}));
}

TEST(EnumerateEntries, filesOrFoldersOfTheFolderOnly) {
    TempFolder f;
    f.file("b.txt");
    f.file(".hidden");
    f.folder("sub");
    f.folder("sub/inner");
    f.file("sub/deep.txt");
    std::set<std::string> files;
    for (const auto& e : enumerateEntries(Text::fromUtf8(f.path()), EntryKind::Files, ListingOrder::AsFound))
        files.insert(e.name.toUtf8());
    EXPECT_EQ(files, (std::set<std::string>{".hidden", "b.txt"}));
    const auto folders = enumerateEntries(Text::fromUtf8(f.path()), EntryKind::Folders, ListingOrder::AsFound);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].name.toUtf8(), "sub");
    EXPECT_TRUE(
        enumerateEntries(Text::fromUtf8(f.path() + "missing/"), EntryKind::Files, ListingOrder::AsFound).empty());
}

TEST(EnumerateEntries, aNameThatIsNotUtf8IsListedButMarkedInexact) {
    TempFolder f;
    f.file("bad\xFF.txt");
    const auto entries = enumerateEntries(Text::fromUtf8(f.path()), EntryKind::Files, ListingOrder::NumberAware);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].exact);
    EXPECT_EQ(entries[0].native, "bad\xFF.txt");
}

// A listing as found matches its folder until an entry of its kind comes, goes or is renamed;
// entries of the other kind do not count, and an empty folder matches an empty listing.
TEST(ListsTheSame, onlyWhileTheFolderHoldsExactlyTheListedEntries) {
    TempFolder f;
    const Text folder = Text::fromUtf8(f.path());
    const auto asFound = [&] { return enumerateEntries(folder, EntryKind::Files, ListingOrder::AsFound); };
    EXPECT_TRUE(listsTheSame(folder, EntryKind::Files, asFound()));
    f.file("a.mp4");
    f.file("b.mp4");
    const NameList listed = asFound();
    EXPECT_TRUE(listsTheSame(folder, EntryKind::Files, listed));
    f.folder("第1季");
    EXPECT_TRUE(listsTheSame(folder, EntryKind::Files, listed));
    EXPECT_FALSE(listsTheSame(folder, EntryKind::Folders, listed));
    f.file("c.mp4");
    EXPECT_FALSE(listsTheSame(folder, EntryKind::Files, listed));
    ASSERT_EQ(std::remove((f.path() + "c.mp4").c_str()), 0);
    ASSERT_EQ(std::rename((f.path() + "a.mp4").c_str(), (f.path() + "d.mp4").c_str()), 0);
    EXPECT_FALSE(listsTheSame(folder, EntryKind::Files, listed));
    EXPECT_FALSE(listsTheSame(Text::fromUtf8("/velmora-no-such-folder/"), EntryKind::Files, NameList()));
}

// Below the folder: every depth, by relative paths in natural order of the paths; a link to a
// folder is an entry of its own and is not entered.
TEST(EnumerateEntries, belowTheFolderEveryDepthAndNoFolderThroughALink) {
    TempFolder f;
    TempFolder outside;
    outside.file("外面.mp4");
    for (const char* d : {"第1季", "第1季/花絮"}) f.folder(d);
    for (const char* n : {"a.txt", "第1季/第10集.mp4", "第1季/第2集.mp4", "第1季/花絮/a.mp4"}) f.file(n);
    ASSERT_EQ(symlink(outside.path().c_str(), (f.path() + "链接").c_str()), 0);
    ASSERT_EQ(symlink("a.txt", (f.path() + "文件链接").c_str()), 0);
    const Text folder = Text::fromUtf8(f.path());
    const auto names = [](const NameList& listed) {
        std::vector<std::string> out;
        for (const auto& e : listed) out.push_back(e.name.toUtf8());
        return out;
    };
    EXPECT_EQ(
        names(
            enumerateEntries(folder, EntryKind::Files, ListingOrder::Natural, nullptr, KeepNative::Yes, Reach::Below)),
        (std::vector<std::string>{"a.txt", "第1季/第2集.mp4", "第1季/第10集.mp4", "第1季/花絮/a.mp4", "文件链接"}));
    EXPECT_EQ(names(enumerateEntries(folder, EntryKind::Folders, ListingOrder::AsFound, nullptr, KeepNative::No,
                                     Reach::Below))
                  .size(),
              3u);
    EXPECT_EQ(names(enumerateEntries(folder, EntryKind::Folders, ListingOrder::NumberAware, nullptr, KeepNative::No,
                                     Reach::Below)),
              (std::vector<std::string>{"第1季", "第1季/花絮", "链接"}));
    EXPECT_EQ(names(enumerateEntries(folder, EntryKind::Files, ListingOrder::Natural)),
              (std::vector<std::string>{"a.txt", "文件链接"}));  // the folder itself only, as before

    // A listing as found below stays the same until an entry at any depth comes.
    const NameList found =
        enumerateEntries(folder, EntryKind::Files, ListingOrder::AsFound, nullptr, KeepNative::Yes, Reach::Below);
    EXPECT_TRUE(listsTheSame(folder, EntryKind::Files, found, nullptr, Reach::Below));
    f.file("第1季/花絮/b.mp4");
    EXPECT_FALSE(listsTheSame(folder, EntryKind::Files, found, nullptr, Reach::Below));
    const FolderSnapshot snapshot(folder, Reach::Below);
    EXPECT_TRUE(snapshot.names().contains("第1季/花絮/b.mp4"));
    EXPECT_EQ(snapshot.listing(EntryKind::Files, ListingOrder::AsFound)->size(), 6u);
}

// A folder of more sub-folders than files, as a folder of seasons holds.
TEST(FolderSnapshot, holdsTheFilesTheFoldersAndEveryName) {
    TempFolder f;
    f.file("a.txt");
    f.folder("第1季");
    f.folder("第2季");
    const FolderSnapshot snapshot(Text::fromUtf8(f.path()));
    EXPECT_EQ(snapshot.listing(EntryKind::Files, ListingOrder::AsFound)->size(), 1u);
    EXPECT_EQ(snapshot.listing(EntryKind::Folders, ListingOrder::AsFound)->size(), 2u);
    EXPECT_EQ(snapshot.names().size(), 3u);
    for (const char* name : {"a.txt", "第1季", "第2季"}) EXPECT_TRUE(snapshot.names().contains(name)) << name;
    EXPECT_FALSE(snapshot.names().contains("第3季"));
}

// Long work shows the progress bar after half a second and hides it when done; short work never
// shows it. The window hears of the work every 64th entry at most, so it stays responsive.
TEST(ProgressThrottle, progressOfLongWorkIsShownAndEndedShortWorkShowsNone) {
    testing::FakeWindow w;
    WindowProgress progress(w);
    {
        ProgressThrottle throttle(&progress, 128);
        throttle.tick(64);
        EXPECT_EQ(w.progressShown, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        throttle.tick(127);
        EXPECT_EQ(w.pumps, 0) << "only every 64th entry";
        throttle.tick(128);
        EXPECT_EQ(w.progressShown, 1);
        EXPECT_EQ(w.pumps, 1);
        EXPECT_EQ(w.progressEnded, 0);
    }
    EXPECT_EQ(w.progressEnded, 1);
    {
        ProgressThrottle throttle(&progress, 128);
        throttle.tick(64);
    }
    EXPECT_EQ(w.progressShown, 1);
    EXPECT_EQ(w.progressEnded, 1);
}

// Long work runs beside the window, which paints meanwhile; without a window it runs right here.
// Either way it is done, and its failure reaches the caller, when runAside returns; work that
// only goes on shows no progress bar.
TEST(RunAside, theWindowPaintsUntilTheWorkIsDone) {
    testing::FakeWindow w;
    WindowProgress progress(w);
    std::thread::id ranOn;
    bool done = false;
    runAside(&progress, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        ranOn = std::this_thread::get_id();
        done = true;
    });
    EXPECT_TRUE(done);
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_GE(w.pumps, 2);
    EXPECT_EQ(w.progressShown, 0);
    const int pumps = w.pumps;
    runAside(nullptr, [&] { ranOn = std::this_thread::get_id(); });
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(w.pumps, pumps);
    EXPECT_THROW(runAside(&progress, [] { throw std::runtime_error("disk full"); }), std::runtime_error);
}

}  // namespace
}  // namespace velmora
