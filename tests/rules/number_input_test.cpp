// Numbers typed in full width, as a Chinese input method in full-width mode types them, read as
// numbers wherever a rule asks for one: 起始 and 步长 of the numbering, the count of the deletions.
#include <map>

#include "interaction/click.h"
#include "interaction/preview.h"
#include "rules/common.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;

Text T(const char* utf8) { return Text::fromUtf8(utf8); }
Text B(std::string bytes) { return Text::fromBytes(std::move(bytes)); }

TEST(AsciiNumberText, turnsFullWidthDigitsSignsAndSpacesIntoAsciiAndNothingElse) {
    struct Case {
        const char* label;
        Text typed;
        Text expected;
    };
    const Case cases[] = {
        {"every digit", T("０１２３４５６７８９"), T("0123456789")},
        {"signs", T("－３＋７"), T("-3+7")},
        {"full-width spaces", T("　１２　"), T(" 12 ")},
        {"mixed with ASCII", T("1２-３"), T("12-3")},
        {"Chinese kept", T("第１集"), T("第1集")},
        {"the neighbours of the digits stay", T("／．："), T("／．：")},
        {"letters stay", T("ａｂｃ"), T("ａｂｃ")},
        {"after a four-byte character", T("𠀀０"), T("𠀀0")},
        // B0 A3 B0 A1 is 埃啊: the A3 B0 across the two characters is no digit.
        {"a trail byte A3 before a lead byte B0", B("\xB0\xA3\xB0\xA1"), B("\xB0\xA3\xB0\xA1")},
        // B0 A1 A1 A2 is 啊、: the A1 A1 across the two characters is no space.
        {"a trail byte A1 before a lead byte A1", B("\xB0\xA1\xA1\xA2"), B("\xB0\xA1\xA1\xA2")},
        {"a lone lead byte at the end is kept", B("\xA3\xB5\xA3"), B("5\xA3")},
        {"empty", T(""), T("")},
    };
    for (const Case& c : cases) EXPECT_EQ(asciiNumberText(c.typed).bytes(), c.expected.bytes()) << c.label;
}

// ---- Numbering: 起始 and 步长 ------------------------------------------------------------------

using Contents = std::map<std::string, std::string>;  // name afterwards -> old name

class FullWidthNumbering : public RuleTest {
protected:
    void set(const char* start, const char* step) {
        w.type(编辑框_模板, "n#");
        w.type(编辑框_起始, start);
        w.type(编辑框_步长, step);
    }
};

TEST_F(FullWidthNumbering, startAndStepTypedInFullWidthNumberTheEntries) {
    struct Case {
        const char* start;
        const char* step;
        Contents expected;
    };
    const Case cases[] = {
        {"３", "２", {{"n3.txt", "a.txt"}, {"n5.txt", "b.txt"}, {"n7.txt", "c.txt"}}},
        {"１０", "１０", {{"n10.txt", "a.txt"}, {"n20.txt", "b.txt"}, {"n30.txt", "c.txt"}}},
        {"－１", "＋１", {{"n-1.txt", "a.txt"}, {"n0.txt", "b.txt"}, {"n1.txt", "c.txt"}}},
        {"１", "－２", {{"n1.txt", "a.txt"}, {"n-1.txt", "b.txt"}, {"n-3.txt", "c.txt"}}},
        {"　５　", "1", {{"n5.txt", "a.txt"}, {"n6.txt", "b.txt"}, {"n7.txt", "c.txt"}}},
        {"1２", "　", {{"n12.txt", "a.txt"}, {"n13.txt", "b.txt"}, {"n14.txt", "c.txt"}}},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        for (const char* n : {"c.txt", "a.txt", "b.txt"}) folder.file(n, std::string("token:") + n);
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框_模板, "n#");
        win.type(编辑框_起始, c.start);
        win.type(编辑框_步长, c.step);
        runRenameRule(numbering(), win, s);
        EXPECT_EQ(whereTokensWent(folder), c.expected) << c.start << " / " << c.step;
    }
}

// Full width does not make a number of what is none: the same refusal as for its ASCII form.
TEST_F(FullWidthNumbering, whatIsNoWholeNumberInAsciiIsNoneInFullWidth) {
    const std::pair<const char*, const char*> cases[] = {
        {"１．５", "1"},
        {"1", "１　２"},
        {"－", "1"},
        {"1", "ａ"},
        {"－－１", "1"},
        {"1", "１－"},
        {"９９９９９９９９９９９９９９９９９９９９", "1"},
    };
    files({"a.txt"});
    for (const auto& [start, step] : cases) {
        w.messages.clear();
        set(start, step);
        run(numbering());
        EXPECT_EQ(w.messages, (std::vector<Shown>{msg("起始和步长要填整数", style::information, "提示")}))
            << start << " / " << step;
    }
    EXPECT_EQ(f.entries(), Names{"a.txt"});
}

// The preview reads the boxes through the same rule: no refusal, the numbers in the column.
TEST_F(FullWidthNumbering, thePreviewShowsTheNumbersOfAFullWidthStart) {
    files({"b.txt", "a.txt"});
    set("－１", "２");
    const FolderSnapshot snapshot(Text::fromUtf8(f.path()));
    const Preview preview = previewRun(numbering(), readRequest(numbering(), w), snapshot);
    EXPECT_FALSE(preview.refusal.has_value());
    ASSERT_EQ(preview.plan.steps.size(), 2u);
    EXPECT_EQ(preview.plan.steps.newNames()->text(0).toUtf8(), "n-1.txt");
    EXPECT_EQ(preview.plan.steps.newNames()->text(1).toUtf8(), "n1.txt");
    EXPECT_EQ(f.entries(), (Names{"a.txt", "b.txt"})) << "the preview touches nothing";
}

// ---- Deleting a text a counted number of times ---------------------------------------------

class FullWidthCount : public RuleTest {};

TEST_F(FullWidthCount, aFullWidthCountDeletesThatManyOccurrences) {
    struct Case {
        const char* count;
        bool fromLast;
        const char* expected;
    };
    const Case cases[] = {
        {"３", false, "bnn.txt"},      {"２", true, "bann.txt"},  {"＋２", false, "bnna.txt"},
        {"　２　", false, "bnna.txt"}, {"１", true, "banan.txt"}, {"1２", false, "bnn.txt"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.file("banana.txt", "x");
        FakeWindow win;
        win.setFolder(folder.path());
        win.type(编辑框1, "a");
        win.type(编辑框10, c.count);
        win.setChecked(单选框13, !c.fromLast);
        win.setChecked(单选框14, c.fromLast);
        runRenameRule(deleteOccurrences(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.count << (c.fromLast ? " from the last" : "");
    }
}

// Folders: a full-width count runs forward from the located occurrence, and one below 1 leaves
// the folder alone, as its ASCII form does.
TEST_F(FullWidthCount, foldersTakeAFullWidthCountAsTheirAsciiForm) {
    struct Case {
        const char* count;
        const char* expected;
    };
    const Case cases[] = {{"２", "abcx/"}, {"－１", "axbxcx/"}, {"＋３", "abc/"}};
    for (const Case& c : cases) {
        TempFolder folder;
        folder.folder("axbxcx");
        FakeWindow win;
        win.setFolder(folder.path());
        win.setChecked(选择框1, false);
        win.setChecked(选择框2, true);
        win.type(编辑框1, "x");
        win.type(编辑框10, c.count);
        win.setChecked(单选框13, true);
        runRenameRule(deleteOccurrences(), win, s);
        EXPECT_EQ(folder.entries(), Names{c.expected}) << c.count;
    }
}

TEST_F(FullWidthCount, aFullWidthZeroOrLettersAreRefusedAsNoNumber) {
    files({"a1.txt"});
    w.type(编辑框1, "a");
    for (const char* count : {"０", "ａｂｃ", "　"}) {
        w.messages.clear();
        w.type(编辑框10, count);
        run(deleteOccurrences());
        EXPECT_EQ(w.messages.back(), msg("输入的不是纯数字", style::information, "提示")) << count;
    }
    EXPECT_EQ(f.entries(), Names{"a1.txt"});
}

}  // namespace
}  // namespace velmora::testing
