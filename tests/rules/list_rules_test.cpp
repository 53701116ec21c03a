// Page " 列 表 ": renaming by a list of new names, importing the list, handing it to an editor.
#include <map>

#include "actions/actions.h"
#include "interaction/history_prompts.h"
#include "interaction/preview.h"
#include "tests/rules/rule_harness.h"

namespace velmora::testing {
namespace {

using namespace component;
using Contents = std::map<std::string, std::string>;  // name -> the old name whose token it holds

class ByList : public RuleTest {
protected:
    /// The list view shows these rows, in this order.
    void shown(std::initializer_list<const char*> rows) {
        w.rows.clear();
        for (const char* r : rows) w.rows.push_back(Text::fromUtf8(r));
    }
    void list(const char* utf8) { w.type(编辑框_名称列表, utf8); }
    Preview preview() {
        const FolderSnapshot folder(Text::fromUtf8(f.path()));
        return previewRun(renameByList(), readRequest(renameByList(), w), folder);
    }
    std::string status() { return previewStatus("按列表改名"_t, preview()).toUtf8(); }
};

// Line i names the i-th row the rules work on, as the rows are shown; rows of entries that are not
// there or not treated take no line.
TEST_F(ByList, linesPairWithTheEntriesInTheOrderShown) {
    struct Case {
        const char* label;
        std::vector<const char*> files;
        std::vector<const char*> rows;
        const char* list;
        bool withExtension;
        const char* skipped;  // item of 组合框2, or nullptr
        Contents expected;
    };
    const Case cases[] = {
        {"shown order, not the disk's",
         {"第1课.mp4", "第2课.mp4", "第10课.mp4"},
         {"第10课.mp4", "第1课.mp4", "第2课.mp4"},
         "十\n一\n二",
         false,
         nullptr,
         {{"十.mp4", "第10课.mp4"}, {"一.mp4", "第1课.mp4"}, {"二.mp4", "第2课.mp4"}}},
        {"the course titles: each lesson keeps its extension",
         {"第1课.mp4", "第2课.mkv"},
         {"第1课.mp4", "第2课.mkv"},
         "第1课 开篇词\n第2课 环境搭建",
         false,
         nullptr,
         {{"第1课 开篇词.mp4", "第1课.mp4"}, {"第2课 环境搭建.mkv", "第2课.mkv"}}},
        {"with extensions the line is the whole name",
         {"a.mp4", "b.txt"},
         {"a.mp4", "b.txt"},
         "x.mkv\ny",
         true,
         nullptr,
         {{"x.mkv", "a.mp4"}, {"y", "b.txt"}}},
        {"empty lines leave their entries, lines are trimmed, empty lines at the end count for nothing",
         {"a.mp4", "b.mp4", "c.mp4"},
         {"a.mp4", "b.mp4", "c.mp4"},
         "  甲 \r\n\n\t　丙\xC2\xA0\n\n  \n",
         false,
         nullptr,
         {{"甲.mp4", "a.mp4"}, {"b.mp4", "b.mp4"}, {"丙.mp4", "c.mp4"}}},
        {"rows of entries gone, and the skipped extension, take no line",
         {"a.mp4", "b.txt", "c.mp4"},
         {"gone.mp4", "c.mp4", "b.txt", "a.mp4"},
         "C\nA",
         false,
         ".txt",
         {{"C.mp4", "c.mp4"}, {"b.txt", "b.txt"}, {"A.mp4", "a.mp4"}}},
        {"a line that is the entry's own name changes nothing",
         {"a.mp4", "b.mp4"},
         {"a.mp4", "b.mp4"},
         "a\nB",
         false,
         nullptr,
         {{"a.mp4", "a.mp4"}, {"B.mp4", "b.mp4"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder folder;
        for (const char* n : c.files) folder.file(n, std::string("token:") + n);
        FakeWindow window;
        window.setFolder(folder.path());
        for (const char* r : c.rows) window.rows.push_back(Text::fromUtf8(r));
        window.type(编辑框_名称列表, c.list);
        window.setChecked(选择框_列表含扩展名, c.withExtension);
        if (c.skipped) window.choose(组合框2, c.skipped);
        Session session;
        runRenameRule(renameByList(), window, session);
        EXPECT_EQ(whereTokensWent(folder), c.expected);
        ASSERT_FALSE(window.messages.empty());
        EXPECT_EQ(window.messages.front(), msg("确定更名吗？", style::okCancel, "提示"));
    }
}

TEST_F(ByList, folderRowsPairWithFoldersWhenFoldersAreTreated) {
    f.folder("b");
    f.folder("a");
    f.file("a.txt");
    shown({"b", "a"});
    list("第二季\n第一季");
    w.setChecked(选择框1, false);
    w.setChecked(选择框2, true);
    run(renameByList());
    EXPECT_EQ(f.entries(), (Names{"a.txt", "第一季/", "第二季/"}));
    EXPECT_EQ(w.messages.back(), msg("成功改名2个", style::ok, "提示"));
}

// Fewer or more lines than entries: the status line says how many of each, the click refuses and
// renames nothing, whatever the lines would pair with.
TEST_F(ByList, aListOfAnotherLengthIsRefusedWithBothCounts) {
    struct Case {
        const char* list;
        const char* status;
        const char* refusal;
    };
    const Case cases[] = {
        {"x\ny", "按列表改名：列表有2行，要改名的有3个", "列表有2行，要改名的有3个，行数要一样"},
        {"x\ny\nz\nw", "按列表改名：列表有4行，要改名的有3个", "列表有4行，要改名的有3个，行数要一样"},
        {"x\n\ny\n\n", "按列表改名：列表有3行，要改名的有3个：将更名2个", nullptr},
        {"", "按列表改名：列表有0行，要改名的有3个", "列表有0行，要改名的有3个，行数要一样"},
    };
    files({"a.mp4", "b.mp4", "c.mp4"});
    shown({"a.mp4", "b.mp4", "c.mp4"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        list(c.list);
        w.messages.clear();
        const std::string said = status();
        if (c.refusal) {
            EXPECT_EQ(said, c.status);
            run(renameByList());
            EXPECT_EQ(w.messages, (std::vector<Shown>{msg(c.refusal, style::information, "提示")}));
            EXPECT_EQ(f.entries(), (Names{"a.mp4", "b.mp4", "c.mp4"}));
        } else {
            EXPECT_EQ(said, "按列表改名：将更名2个");
        }
    }
}

// While the counts differ the preview still pairs what it can, so a list can be checked as it is
// typed; the click renames nothing all the same.
TEST_F(ByList, aShortListIsPreviewedLineByLine) {
    files({"a.mp4", "b.mp4", "c.mp4"});
    shown({"c.mp4", "a.mp4", "b.mp4"});
    list("丙\n甲");
    const Preview p = preview();
    ASSERT_TRUE(p.refusal);
    ASSERT_EQ(p.plan.steps.size(), 2u);
    EXPECT_EQ((*p.plan.listing)[p.plan.steps[0].entry].name.toUtf8(), "c.mp4");
    EXPECT_EQ(p.plan.steps[0].newName.toUtf8(), "丙.mp4");
    EXPECT_EQ((*p.plan.listing)[p.plan.steps[1].entry].name.toUtf8(), "a.mp4");
    EXPECT_EQ(p.plan.steps[1].newName.toUtf8(), "甲.mp4");
}

// Two lines alike, a name held by an entry outside the run, a name no disk takes: each fails with
// its reason, and the other lines go through.
TEST_F(ByList, duplicatesAndCollisionsFailWithTheirReasons) {
    files({"a.mp4", "b.mp4", "c.mp4", "d.mp4", "keep.mp4"});
    shown({"a.mp4", "b.mp4", "c.mp4", "d.mp4"});  // keep.mp4 was copied in after loading
    list("same\nsame\nkeep\nx/y");
    run(renameByList());
    EXPECT_EQ(whereTokensWent(f), (Contents{{"same.mp4", "a.mp4"},
                                            {"b.mp4", "b.mp4"},
                                            {"c.mp4", "c.mp4"},
                                            {"d.mp4", "d.mp4"},
                                            {"keep.mp4", "keep.mp4"}}));
    ASSERT_GE(w.messages.size(), 3u);
    EXPECT_EQ(w.messages[1], msg("成功改名1个", style::ok, "提示"));
    const std::string failed = w.messages[2].text.toUtf8();
    EXPECT_EQ(failed.rfind("3个无法更名：", 0), 0u) << failed;
    EXPECT_NE(failed.find("已有同名"), std::string::npos) << failed;
}

// A swap and a rotation of three names through the list, each one run in the history: one undo
// brings every name back.
TEST_F(ByList, swapsAndRotationsSucceedAndOneUndoTakesThemBack) {
    struct Case {
        std::vector<const char*> names;
        const char* list;
        Contents expected;
    };
    const Case cases[] = {
        {{"a.mp4", "b.mp4"}, "b\na", {{"a.mp4", "b.mp4"}, {"b.mp4", "a.mp4"}}},
        {{"1.mp4", "2.mp4", "3.mp4"}, "2\n3\n1", {{"1.mp4", "3.mp4"}, {"2.mp4", "1.mp4"}, {"3.mp4", "2.mp4"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        TempFolder folder;
        FakeWindow window;
        Session session;
        window.setFolder(folder.path());
        Contents before;
        for (const char* n : c.names) {
            folder.file(n, std::string("token:") + n);
            window.rows.push_back(Text::fromUtf8(n));
            before[n] = n;
        }
        window.type(编辑框_名称列表, c.list);
        runRenameRule(renameByList(), window, session);
        EXPECT_EQ(whereTokensWent(folder), c.expected);
        EXPECT_EQ(window.messages.back(),
                  msg(("成功改名" + std::to_string(c.names.size()) + "个").c_str(), style::ok, "提示"));
        EXPECT_EQ(session.journal.runs().size(), 1u);
        undoLastRun(window, session);
        EXPECT_EQ(whereTokensWent(folder), before);
        EXPECT_FALSE(session.journal.newestDone()) << "one run, taken back whole";
    }
}

// A text file's bytes as an editor or a web page's copy leaves them: each encoding and line end
// gives the same list; what is not text is refused with the file's name.
TEST_F(ByList, importReadsEveryEncodingAndLineEndAndRefusesBinaries) {
    const std::string lines = "第1课 开篇词\n第2课 环境\n";
    const std::string crlf = "第1课 开篇词\r\n第2课 环境\r\n";
    const auto gb = [](const std::string& utf8) { return Text::fromUtf8(utf8).bytes(); };
    const auto utf16 = [](const std::string& utf8, bool little) {
        std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
        const std::u16string units = [&] {
            std::u16string u;
            for (std::size_t i = 0; i < utf8.size();) {  // the lines above hold BMP characters only
                const auto c = static_cast<unsigned char>(utf8[i]);
                const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
                char32_t v = n == 1 ? c : n == 2 ? c & 0x1F : c & 0x0F;
                for (int k = 1; k < n; ++k) v = (v << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
                u += static_cast<char16_t>(v);
                i += n;
            }
            return u;
        }();
        for (char16_t u : units) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            out += little ? std::string{lo, hi} : std::string{hi, lo};
        }
        return out;
    };
    const std::pair<const char*, std::string> texts[] = {
        {"UTF-8", lines},
        {"UTF-8, CR LF", crlf},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + crlf},
        {"UTF-16 LE with BOM", utf16(crlf, true)},
        {"UTF-16 BE with BOM", utf16(lines, false)},
        {"GB18030, CR LF", gb(crlf)},
        {"GB18030, CR", gb("第1课 开篇词\r第2课 环境\r")},
    };
    for (const auto& [label, bytes] : texts) {
        SCOPED_TRACE(label);
        f.file("list.txt", bytes);
        w.pickedFile = Text::fromUtf8(f.path() + "list.txt");
        w.type(编辑框_名称列表, "old");
        importNameList(w);
        EXPECT_EQ(w.content(编辑框_名称列表).toUtf8(), lines);
        EXPECT_TRUE(w.messages.empty()) << w.messages.front();
    }
    const std::pair<const char*, std::string> refused[] = {
        {"a picture", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)},
        {"UTF-16 without its BOM", std::string("a\0b\0", 4)},
        {"bytes no encoding reads", "\x80\xFF\xFE\x80"},
        {"UTF-16 with a BOM and half a character",
         "\xFF\xFE"
         "a"},
    };
    for (const auto& [label, bytes] : refused) {
        SCOPED_TRACE(label);
        f.file("图片.png", bytes);
        w.pickedFile = Text::fromUtf8(f.path() + "图片.png");
        w.type(编辑框_名称列表, "kept");
        w.messages.clear();
        importNameList(w);
        EXPECT_EQ(w.content(编辑框_名称列表).toUtf8(), "kept");
        EXPECT_EQ(w.messages, (std::vector<Shown>{msg("“图片.png”不是文本文件（或者编码无法识别），无法导入",
                                                      style::information, "提示")}));
    }
    w.messages.clear();
    w.pickedFile = Text::fromUtf8(f.path() + "没有这个.txt");
    importNameList(w);
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg("无法导入“没有这个.txt”：找不到这个文件", style::information, "提示")}));
    w.messages.clear();
    w.pickedFile = {};  // the chooser cancelled
    importNameList(w);
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.content(编辑框_名称列表).toUtf8(), "kept");
}

// Save the original names, rename, import that file with 列表里有扩展名: every name comes back.
TEST_F(ByList, theOriginalNamesFileBringsEveryNameBack) {
    files({"第1课.mp4", "第2课.mkv", "readme"});
    shown({"第1课.mp4", "第2课.mkv", "readme"});
    TempFolder program;
    saveOriginalNames(w, Text::fromUtf8(program.path()), {});
    list("a\nb\nc");
    run(renameByList());
    ASSERT_EQ(whereTokensWent(f), (Contents{{"a.mp4", "第1课.mp4"}, {"b.mkv", "第2课.mkv"}, {"c", "readme"}}));

    shown({"a.mp4", "b.mkv", "c"});  // the rows follow their entries
    w.pickedFile = Text::fromUtf8(program.path() + "原文件名保存.txt");
    importNameList(w);
    w.setChecked(选择框_列表含扩展名, true);
    w.messages.clear();
    run(renameByList());
    EXPECT_EQ(whereTokensWent(f),
              (Contents{{"第1课.mp4", "第1课.mp4"}, {"第2课.mkv", "第2课.mkv"}, {"readme", "readme"}}));
    EXPECT_EQ(w.messages.back(), msg("成功改名3个", style::ok, "提示"));
}

// The editor gets the list as it is, or, while it is empty, the names the list would give back
// unchanged: as the rows show them, with or without their extensions.
TEST_F(ByList, theEditorGetsTheListOrTheCurrentNames) {
    files({"第2课.mp4", "第1课.mp4", "notes.txt"});
    shown({"第2课.mp4", "第1课.mp4", "notes.txt"});
    w.choose(组合框2, ".txt");
    list(" \n\n");
    editNameList(w);
    w.setChecked(选择框_列表含扩展名, true);
    editNameList(w);
    list("x\ny");
    editNameList(w);
    w.editorOpens = false;
    editNameList(w);
    ASSERT_EQ(w.edited.size(), 4u);
    EXPECT_EQ(w.edited[0].first, "编辑框_名称列表");
    EXPECT_EQ(w.edited[0].second.toUtf8(), "第2课\n第1课\n");
    EXPECT_EQ(w.edited[1].second.toUtf8(), "第2课.mp4\n第1课.mp4\n");
    EXPECT_EQ(w.edited[2].second.toUtf8(), "x\ny");
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg("没有找到可以打开文本文件的编辑器", style::information, "提示")}));
}

}  // namespace
}  // namespace velmora::testing
