#include "interaction/folder_loading.h"

#include <gtest/gtest.h>

#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

namespace velmora {
namespace {

using namespace component;
using testing::FakeWindow;
using testing::msg;
using testing::TempFolder;

std::vector<std::string> rowsOf(const FakeWindow& w) {
    std::vector<std::string> out;
    for (const Text& r : w.rows) out.push_back(r.toUtf8());
    return out;
}

class Loading : public ::testing::Test {
protected:
    FakeWindow w;
    Session s;
    TempFolder f;
};

TEST_F(Loading, chosenFolderIsListedInNumberAwareOrderMinusTheSkippedExtension) {
    for (const char* n : {"10.mp4", "2.mp4", "1.mp4", "b.MP4", "c", "a.mp4"}) f.file(n);
    w.pickedFolder = Text::fromUtf8(f.path().substr(0, f.path().size() - 1));
    w.choose(组合框2, ".mp4");
    loadChosenFolder(w, s);
    EXPECT_EQ(w.currentFolder().toUtf8(), f.path());
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"b.MP4", "c"}));
    w.setSelection(组合框2, -1);
    loadChosenFolder(w, s);
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"1.mp4", "2.mp4", "10.mp4", "a.mp4", "b.MP4", "c"}))
        << "a second load replaces the rows";
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(Loading, foldersWhenOnlyTheFoldersBoxIsChecked) {
    f.file("x.txt");
    f.folder("series");
    w.pickedFolder = Text::fromUtf8(f.path());
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    loadChosenFolder(w, s);
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"series"}));
    w.setChecked(选择框2, false);
    loadChosenFolder(w, s);
    EXPECT_TRUE(rowsOf(w).empty()) << "neither box: nothing listed";
    EXPECT_EQ(w.currentFolder().toUtf8(), f.path());
}

TEST_F(Loading, refusalsOfTheFolderPicker) {
    w.setFolder("/kept/");
    loadChosenFolder(w, s);
    EXPECT_EQ(w.currentFolder().toUtf8(), "/kept/");
    w.pickedFolder = Text::fromUtf8("/home/me/desktop/v");
    loadChosenFolder(w, s);
    EXPECT_EQ(w.currentFolder(), Text{});
    w.pickedFolder = Text::fromUtf8("/");
    loadChosenFolder(w, s);
    EXPECT_EQ(w.currentFolder(), Text{});
    EXPECT_EQ(w.messages, (std::vector<testing::Shown>{msg("什么都没有选择", style::information, "提示"),
                                                       msg("请不要把视频放在桌面", style::information, "提示"),
                                                       msg("什么都没有选择", style::information, "提示")}));
}

TEST_F(Loading, aDropListsTheFolderHoldingTheDroppedEntry) {
    f.folder("series");
    f.file("2.mp4");
    f.file("1.mp4");
    w.rows = {Text::fromUtf8("old")};
    loadDroppedPath(w, s, Text::fromUtf8(f.path() + "2.mp4"));
    EXPECT_EQ(w.currentFolder().toUtf8(), f.path());
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"1.mp4", "2.mp4"}));
    EXPECT_TRUE(s.entryList.empty());
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    loadDroppedPath(w, s, Text::fromUtf8(f.path() + "series/"));
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"series"}));
    EXPECT_TRUE(w.messages.empty());
}

// The rows are the current folder's entries of the kind the boxes choose, minus the skipped
// extension, whenever one of them changes; without a folder there are none.
TEST_F(Loading, listingAgainFollowsTheKindBoxesAndTheSkippedExtension) {
    for (const char* n : {"2.mp4", "1.txt"}) f.file(n);
    f.folder("series");
    w.setFolder(f.path());
    w.rows = {Text::fromUtf8("stale")};
    relistFolder(w, s);
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"1.txt", "2.mp4"}));
    w.choose(组合框2, ".mp4");
    relistFolder(w, s);
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"1.txt"}));
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    relistFolder(w, s);
    EXPECT_EQ(rowsOf(w), (std::vector<std::string>{"series"}));
    w.setFolder("");
    relistFolder(w, s);
    EXPECT_TRUE(rowsOf(w).empty());
    EXPECT_TRUE(w.messages.empty());
}

TEST_F(Loading, rowsCopyClearAndTheExclusiveKindBoxes) {
    w.rows = {Text::fromUtf8("第1集.mkv")};
    EXPECT_EQ(copyRowName(w), Text{});  // no row selected: nothing copied, nothing to say
    EXPECT_EQ(w.clipboard, Text{});
    w.selected = 0;
    EXPECT_EQ(copyRowName(w).toUtf8(), "第1集.mkv");
    EXPECT_EQ(w.clipboard.toUtf8(), "第1集.mkv");
    w.setFolder("/v/");
    forgetFolder(w);
    EXPECT_TRUE(w.rows.empty());
    EXPECT_EQ(w.currentFolder(), Text{}) << "the rules refuse as with no folder";
    w.setChecked(选择框2, true);
    foldersBoxClicked(w);
    EXPECT_FALSE(w.checked(选择框1));
    w.setChecked(选择框1, true);
    filesBoxClicked(w);
    EXPECT_FALSE(w.checked(选择框2));
    w.setChecked(选择框1, false);
    filesBoxClicked(w);
    EXPECT_FALSE(w.checked(选择框1) || w.checked(选择框2));
}

}  // namespace
}  // namespace velmora
