// Random rule runs with hostile names and inputs on real folders. After every run: no file lost or
// overwritten, nothing left the folder, the reported renames are exactly what changed on disk,
// every report counts what really happened, and the list view is untouched.
//
// VELMORA_PROPERTY_SEED replays a run; VELMORA_PROPERTY_RUNS sets how many folders are tried.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <regex>

#include "core/fs/paths.h"
#include "core/plan/plan.h"
#include "core/text/encoding.h"
#include "core/text/name_patterns.h"
#include "interaction/click.h"
#include "interaction/history_prompts.h"
#include "interaction/preview.h"
#include "interaction/reasons.h"
#include "interaction/rule.h"
#include "rules/catalogue.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

namespace velmora::testing {
namespace {

using namespace component;
using Entries = std::map<std::string, std::string>;  // native name -> what it holds

unsigned envNumber(const char* name, unsigned fallback) {
    const char* value = std::getenv(name);
    return value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every entry directly in folder, with the tokens it holds.
Entries snapshot(const std::string& folder) {
    Entries entries;
    DIR* dir = opendir(folder.c_str());
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        lstat((folder + name).c_str(), &st);
        if (S_ISDIR(st.st_mode))
            entries[name] = "folder:" + readAll(folder + name + "/token");
        else
            entries[name] = readAll(folder + name);
    }
    closedir(dir);
    return entries;
}

// clang-format off
const char* const kHostileNames[] = {
    "第一课.mp4", "第十二课 上.mp4", "𠀀 rare.txt", "😀 clip.mkv", " lead space.txt", "trail .txt", ".hidden",
    "Readme.txt", "README.txt", "1.mp4", "01.mp4", "001.mp4", "a.mp4", "a-01.mp4", "a(Av123,P1).mp4",
    "第１课.mp4", "12345678-x.mp4", "頭髮.txt", "头发.txt", "x1x1x1", "no extension", "a.b.c.d",
    "bad\xFF name.txt", "..dots..mp4", "x-y", "y-x.txt", "x-y.txt", "1-2-3", "2-3-1", "3-1-2", "（全角）【括号】.avi", "2 next.mp4", "10.mp4", "abc", "ABC",
};

const char* const kHostileInputs[] = {
    "", "", "/", "..", "../", "\\", "?", "*", ":", "\"", "<", ">", "|", "a", "-", ".", ".mp4", "第",
    "一", "１", "2", "0", "abc", "99999999999", "-3", "(", ")", "（", "mp4", "😀", "1", "01", " ",
    "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx",
};
// clang-format on

struct NamedRule {
    const char* name;
    const RenameRule& (*rule)();
};

const NamedRule kRules[] = {
    {"deleteOccurrences", deleteOccurrences},
    {"deleteBefore", deleteBefore},
    {"deleteAfter", deleteAfter},
    {"deleteBetween", deleteBetween},
    {"videoNumbers", videoNumbers},
    {"replaceText", replaceTextRule},
    {"zeroPadding", zeroPadding},
    {"chineseConversion", chineseConversion},
    {"chineseNumerals", chineseNumerals},
    {"appendAfterNumber", appendAfterNumber},
    {"addPrefix", addPrefix},
    {"addSuffix", addSuffix},
    {"insertAtMarker", insertAtMarker},
    {"appendAfterExtension", appendAfterExtension},
    {"changeExtensions", changeExtensions},
    {"numbering", numbering},
    {"regexReplace", regexReplace},
    {"letterCase", letterCase},
    {"renameByList", renameByList},
};

// Templates and patterns for page " 更 多 ": shifts and swaps of the numbered names, collisions,
// empty results, invalid patterns.
const char* const kTemplates[] = {"* ##",
                                  "#",
                                  "##",
                                  "第##集",
                                  "*",
                                  "* - ###",
                                  "x#/",
                                  "#.mp4",
                                  "😀#",
                                  "<修改日期>_##",
                                  "<修改时间>",
                                  "<拍摄日期|修改时间:HHmm>#",
                                  "<艺术家|修改日期> #",
                                  "<拍照>#"};
const char* const kNumbers[] = {"", "1", "2", "0", "-1", "10", "x", "99999999999999999999"};
const char* const kPatterns[] = {"\\d+",  "^(\\d+) (.*)$", "第",  "(",   ".", "^.",
                                 "[a-z]", "(?<n>\\d)",     "mp4", "a|e", "$"};
const char* const kReplacements[] = {"", "$1", "$2 $1", "${n}0", "x", "/", "第$1集", "$", ".."};

// The count a report states, when the message is a report.
std::optional<long> reportedCount(const Shown& shown) {
    static const std::regex report(
        "^(删掉了|成功改了|修改了|有|成功改名|改了|一共有|总共更改)([0-9]+)(个|个文件被改名成功|个文件被改名|"
        "扩展名被修改)$");
    std::smatch m;
    const std::string text = shown.text.toUtf8();
    if (shown.style != style::okCancel && std::regex_match(text, m, report)) return std::stol(m[2]);
    if (text == "没有任何改动") return 0;
    return std::nullopt;
}

class Property {
public:
    explicit Property(unsigned seed) : random_(seed) {}

    void makeFolder(const std::string& folder) {
        std::uniform_int_distribution<int> pick(0, 99);
        int token = 0;
        for (const char* name : kHostileNames)
            if (pick(random_) < 60) write(folder + name, "token" + std::to_string(token++));
        const int numbered = pick(random_);
        for (int i = 0; i < numbered; ++i)
            write(folder + std::to_string(i) + " 第" + std::to_string(i) + "集.mp4", "token" + std::to_string(token++));
        const std::string longName = std::string(240 + pick(random_) % 15, 'L') + ".mp4";
        write(folder + longName, "token" + std::to_string(token++));
        for (const char* dir : {"photos.2020", "第一季", "a-b-c", "1"}) {
            if (pick(random_) < 50) continue;
            mkdir((folder + dir).c_str(), 0755);
            write(folder + dir + "/token", "token" + std::to_string(token++));
        }
        // Below the folder, two depths of the same hostile names: they collide only within their own
        // folder.
        for (const char* dir : {"第二季", "第二季/深"}) {
            mkdir((folder + dir).c_str(), 0755);
            for (const char* name : kHostileNames)
                if (pick(random_) < 30) write(folder + dir + "/" + name, "token" + std::to_string(token++));
        }
    }

    void randomInputs(FakeWindow& w, const Entries& entries) {
        std::uniform_int_distribution<std::size_t> input(0, std::size(kHostileInputs) + 3);
        for (Component box : {编辑框1, 编辑框2, 编辑框3, 编辑框4, 编辑框5, 编辑框6, 编辑框7, 编辑框8, 编辑框9, 编辑框10,
                              编辑框11, 编辑框12, 编辑框13, 编辑框18}) {
            const std::size_t i = input(random_);
            if (i < std::size(kHostileInputs)) {
                w.type(box, kHostileInputs[i]);
            } else {  // a needle equal to a whole name
                auto it = entries.begin();
                std::advance(it, static_cast<long>(random_() % std::max<std::size_t>(1, entries.size())));
                w.type(box, it == entries.end() ? "" : it->first.c_str());
            }
        }
        const std::pair<Component, Component> pairs[] = {
            {单选框13, 单选框14}, {单选框11, 单选框12}, {单选框1, 单选框2}, {单选框7, 单选框8},
            {单选框9, 单选框10},  {单选框15, 单选框16}, {单选框5, 单选框6}, {单选框3, 单选框4}};
        for (const auto& [a, b] : pairs) {
            const bool first = random_() % 2;
            w.setChecked(a, first);
            w.setChecked(b, !first);
        }
        for (Component box :
             {选择框1, 选择框2, 选择框3, 选择框4, 选择框6, 选择框_1头, 选择框_1尾, 选择框_2头, 选择框_2尾})
            w.setChecked(box, random_() % 3 != 0);
        w.type(编辑框_模板, pick(kTemplates));
        w.type(编辑框_起始, pick(kNumbers));
        w.type(编辑框_步长, pick(kNumbers));
        w.type(编辑框_查找, pick(kPatterns));
        w.type(编辑框_替换为, pick(kReplacements));
        if (random_() % 2 == 0) {  // swaps and cycles of names: x-y ↔ y-x, 1-2-3 → 2-3-1 → …
            const bool swap = random_() % 2;
            w.type(编辑框_查找, swap ? "^(\\w+)-(\\w+)$" : "^(\\w)-(\\w)-(\\w)$");
            w.type(编辑框_替换为, swap ? "$2-$1" : "$2-$3-$1");
        }
        for (Component box : {选择框_区分大小写, 选择框_包括扩展名, 选择框_只改扩展名})
            w.setChecked(box, random_() % 2);
        const Component cases[] = {单选框_大写, 单选框_小写, 单选框_首字母大写};
        const Component chosenCase = cases[random_() % 3];
        for (Component c : cases) w.setChecked(c, c == chosenCase);
        w.setSelection(组合框2, static_cast<int>(random_() % 13) - 2);
        w.setSelection(组合框3, static_cast<int>(random_() % 12) - 1);
        if (random_() % 4 == 0) w.typeIntoCombo(组合框3, pick(kHostileInputs));
        if (w.selection(组合框2) < -1) w.setSelection(组合框2, -1);
        randomList(w, entries);
        w.answer({static_cast<int>(random_() % 4 == 0), static_cast<int>(random_() % 4 == 0)});
        // Rows unchecked at random, and rows a filter hides: the entries left out.
        static const char* const kFilters[] = {"", "", "*.mp4", "*集* ?", "*.MP4;*.txt", "L*", "1*"};
        const NamePatterns filter(Text::fromUtf8(pick(kFilters)));
        w.unchecked.clear();
        for (const auto& entry : entries) {
            const std::string name = entry.first.substr(0, entry.first.find_last_not_of('/') + 1);
            if (random_() % 5 == 0 || !filter.matches(Text::fromUtf8(name).bytes()))
                w.unchecked.push_back(Text::fromUtf8(name));
        }
    }

    // Rows for the list view and a list of new names for them: the rows a shuffled part of the
    // entries the run treats (now and then one that is gone), the lines other entries' names
    // (swaps, rotations, collisions), hostile inputs or empty; as many lines as rows, mostly.
    void randomList(FakeWindow& w, const Entries& entries) {
        w.rows.clear();
        if (random_() % 4 == 0) return;  // rows of another kind: the list pairs with nothing
        const bool folders = !w.checked(选择框1) && w.checked(选择框2);
        const SkippedExtension skipped{w.chosenText(组合框2), false};
        std::vector<Text> treated;
        for (const auto& [native, held] : entries) {
            const Decoded name = nativeToText(native);
            if ((held.rfind("folder:", 0) == 0) != folders || !name.exact) continue;
            if (!folders && skipsFile(skipped, name.text)) continue;
            treated.push_back(name.text);
        }
        std::shuffle(treated.begin(), treated.end(), random_);
        treated.resize(random_() % (treated.size() + 1));
        w.rows = treated;
        if (random_() % 5 == 0) w.rows.insert(w.rows.begin(), "gone.mp4"_t);
        const bool withExtension = random_() % 2;
        w.setChecked(选择框_列表含扩展名, withExtension);
        std::string list;
        std::size_t lines = treated.size() + (random_() % 6 == 0 ? 1 : 0);
        for (std::size_t i = 0; i < lines; ++i) {
            const unsigned kind = random_() % 6;
            if (kind <= 2 && !treated.empty()) {  // another row's name: swaps, rotations, shifts
                const Text& other = treated[(i + 1 + kind) % treated.size()];
                const std::size_t cut = withExtension || folders ? 0 : extensionOf(other).bytes().size();
                list += textToUtf8Lossy(leftText(other, other.length() - static_cast<int>(cut)));
            } else if (kind == 3) {
                list += pick(kHostileInputs);
            } else if (kind == 4) {
                list += "  ";  // an empty line leaves its entry alone
            } else {
                list += "第" + std::to_string(i) + "课 标题";
            }
            list += random_() % 2 ? "\n" : "\r\n";
        }
        w.type(编辑框_名称列表, list.c_str());
    }

    const NamedRule& pickRule() { return kRules[random_() % std::size(kRules)]; }
    bool coin() { return random_() % 3 == 0; }

private:
    template <std::size_t N>
    const char* pick(const char* const (&from)[N]) {
        return from[random_() % N];
    }
    static void write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    std::mt19937 random_;
};

TEST(Reliability, randomRuleRunsOnHostileFoldersLoseNothingAndReportTheTruth) {
    const unsigned seed = envNumber("VELMORA_PROPERTY_SEED", 20261208);
    const unsigned runs = envNumber("VELMORA_PROPERTY_RUNS", 12);
    std::printf("property seed %u, %u folders (VELMORA_PROPERTY_SEED replays)\n", seed, runs);
    Property property(seed);
    int operations = 0;
    int undos = 0;
    std::size_t renames = 0;
    std::size_t throughTemporary = 0;  // cycles broken by the rules that reorder chains
    for (unsigned run = 0; run < runs; ++run) {
        TempFolder root;
        const std::string folder = root.path() + "work/";
        mkdir(folder.c_str(), 0755);
        property.makeFolder(folder);
        for (int step = 0; step < 8; ++step, ++operations) {
            FakeWindow w;
            Session s;
            w.setFolder(folder);
            const Entries before = snapshot(folder);
            property.randomInputs(w, before);
            if (w.rows.empty()) w.rows = {Text::fromUtf8("row one"), Text::fromUtf8("第二行")};
            const auto rowsBefore = w.rows;
            const NamedRule& rule = property.pickRule();
            SCOPED_TRACE(::testing::Message()
                         << "seed " << seed << " folder " << run << " step " << step << " rule " << rule.name);

            const RunResult result = runRenameRule(rule.rule(), w, s);

            // Replaying the reported renames on the old listing must give exactly the new one.
            Entries replay = before;
            for (const auto& [from, to] : result.renamed) {
                const auto oldName = textToNative(from);
                const auto newName = textToNative(to);
                ASSERT_TRUE(oldName && newName);
                ASSERT_EQ(replay.count(*oldName), 1u) << *oldName << " was not there";
                ASSERT_EQ(replay.count(*newName), 0u) << *newName << " was overwritten";
                replay[*newName] = replay[*oldName];
                replay.erase(*oldName);
            }
            const Entries after = snapshot(folder);
            ASSERT_EQ(after, replay);
            ASSERT_EQ(root.entries(), (std::set<std::string>{"work/"})) << "something left the folder";
            renames += result.renamed.size();
            for (const auto& step : result.renamed)
                if (findText(step.second, "改名中转"_t) == 1) ++throughTemporary;

            // The plan shown in a confirmation: its unmarked lines are exactly the renames made.
            if (!result.renamed.empty() && !w.planShown.empty()) {
                std::vector<Text> unmarked;
                for (const Text& line : w.planShown)
                    if (findText(line, failureMark()) == notFound) unmarked.push_back(line);
                ASSERT_EQ(unmarked.size(), result.renamed.size());
                for (std::size_t i = 0; i < unmarked.size(); ++i)
                    EXPECT_EQ(unmarked[i], result.renamed[i].first + " → "_t + result.renamed[i].second);
            }

            // Sometimes take the run back: the folder must be exactly as before the run.
            if (!result.renamed.empty() && property.coin()) {
                w.forgetAnswers();
                undoLastRun(w, s);
                ASSERT_EQ(snapshot(folder), before) << "undo";
                EXPECT_EQ(w.messages.back().text,
                          "撤销了"_t + toText(static_cast<long long>(result.renamed.size())) + "个"_t);
                ++undos;
                continue;
            }

            // A report counts the entries that got a new name; a swap through a temporary name is
            // three renames on disk for two entries.
            std::size_t moved = 0;
            for (const auto& [name, token] : after)
                if (!before.count(name) || before.at(name) != token) ++moved;
            for (const Shown& m : w.messages) {
                if (const auto n = reportedCount(m)) {
                    EXPECT_EQ(static_cast<std::size_t>(*n), moved) << m;
                }
            }
            EXPECT_EQ(w.rows, rowsBefore);
        }
    }
    std::printf("%d rule runs, %zu renames checked (%zu to a temporary name), %d runs taken back\n", operations,
                renames, throughTemporary, undos);
}

// The preview of a click is the click: over random rules, inputs and hostile folders, previewing
// touches nothing on disk, and a click answered OK makes exactly the renames the preview showed as
// succeeding, in its order, and none of those it marked as failing.
// Every entry's old and final name, in name order, for renames made one after another.
std::map<Text, Text, bool (*)(const Text&, const Text&)> netRenames(const std::vector<std::pair<Text, Text>>& renamed) {
    std::map<Text, Text, bool (*)(const Text&, const Text&)> origin(
        [](const Text& a, const Text& b) { return a.bytes() < b.bytes(); });  // current name -> first name
    for (const auto& [from, to] : renamed) {
        const auto it = origin.find(from);
        const Text first = it == origin.end() ? from : it->second;
        if (it != origin.end()) origin.erase(it);
        origin.emplace(to, first);
    }
    std::map<Text, Text, bool (*)(const Text&, const Text&)> net(
        [](const Text& a, const Text& b) { return a.bytes() < b.bytes(); });  // first name -> final name
    for (const auto& [now, first] : origin)
        if (now != first) net.emplace(first, now);
    return net;
}

TEST(Reliability, aPreviewShowsExactlyWhatTheClickThenDoes) {
    const unsigned seed = envNumber("VELMORA_PROPERTY_SEED", 20261209);
    const unsigned runs = envNumber("VELMORA_PROPERTY_RUNS", 12);
    Property property(seed);
    std::size_t previewed = 0;
    std::size_t refusals = 0;
    std::size_t madeBelow = 0;  // renames of entries in folders below, made as previewed
    for (unsigned run = 0; run < runs; ++run) {
        TempFolder root;
        const std::string folder = root.path() + "work/";
        mkdir(folder.c_str(), 0755);
        property.makeFolder(folder);
        for (int step = 0; step < 8; ++step) {
            FakeWindow w;
            Session s;
            w.setFolder(folder);
            const Entries before = snapshot(folder);
            property.randomInputs(w, before);
            w.forgetAnswers();  // every question answered OK
            const bool below = step % 2 == 1;
            w.setChecked(选择框_包括子文件夹, below);
            const NamedRule& rule = property.pickRule();
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " folder " << run << " step " << step << " rule "
                                              << rule.name << (below ? " below" : ""));

            const auto tree = treeOf(folder);
            const RunRequest request = readRequest(rule.rule(), w);
            const FolderSnapshot cached(Text::fromUtf8(folder), request.reach);
            const Preview preview = previewRun(rule.rule(), request, cached);
            ASSERT_EQ(treeOf(folder), tree) << "a preview changed the disk";
            ASSERT_TRUE(w.messages.empty()) << "a preview showed a message";
            ASSERT_FALSE(preview.plan.abandoned);
            ASSERT_EQ(preview.failures.size(), preview.plan.steps.size());

            for (const PlannedRename step : preview.plan.steps) {
                const Text& name = (*preview.plan.listing)[step.entry].name;
                ASSERT_EQ(std::find(w.unchecked.begin(), w.unchecked.end(), name), w.unchecked.end())
                    << "an entry left out is planned";
            }
            std::vector<std::pair<Text, Text>> expected;
            for (std::size_t i = 0; i < preview.plan.steps.size(); ++i)
                if (preview.failures[i] == StepFailure::None)
                    expected.emplace_back((*preview.plan.listing)[preview.plan.steps[i].entry].name,
                                          preview.plan.steps[i].newName);
            EXPECT_EQ(expected.size(), preview.renames);
            // A refusal made on looking at the plan leaves the plan shown; the click renames nothing.
            if (preview.refusal) expected.clear();

            // Random video numbers are reused from the preview, as the window's click does.
            const bool random = rule.rule == &videoNumbers;
            const RunResult result = runRenameRule(rule.rule(), w, s, random ? &preview.plan : nullptr);
            if (rule.rule().reordersChains) {
                // Renamed in an order of its own, through temporary names: compare where each entry
                // ended up. The plan's renames stand side by side (a swap is two of them), so each is
                // already its entry's net rename.
                std::map<Text, Text, bool (*)(const Text&, const Text&)> planned(
                    [](const Text& a, const Text& b) { return a.bytes() < b.bytes(); });
                for (const auto& [from, to] : expected) planned.emplace(from, to);
                ASSERT_EQ(netRenames(result.renamed), planned);
            } else {
                ASSERT_EQ(result.renamed, expected);
            }
            if (preview.refusal) {
                ++refusals;
                EXPECT_NE(std::find(w.messages.begin(), w.messages.end(),
                                    Shown{preview.refusal->text, preview.refusal->style,
                                          preview.refusal->caption.value_or("信息："_t)}),
                          w.messages.end())
                    << "the click shows the refusal the preview states";
            }
            if (preview.noKindChosen) {
                EXPECT_TRUE(w.messages.empty());
            }
            previewed += preview.plan.steps.size();
            for (const auto& [from, to] : expected) madeBelow += findText(from, "/"_t) != notFound;
        }
    }
    std::printf("%zu previewed renames compared, %zu refusals, %zu renames below the folder\n", previewed, refusals,
                madeBelow);
    EXPECT_GT(previewed, 0u);
    EXPECT_GT(madeBelow, 0u);
}

}  // namespace
}  // namespace velmora::testing
