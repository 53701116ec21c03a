// Killing a rename run at any moment: a fresh start finds it, and taking it back leaves the folder
// exactly as it was; keeping it leaves exactly the renames that were made.
//
// VELMORA_KILL_RUNS (default 10), VELMORA_KILL_ENTRIES (default 2000) and VELMORA_KILL_SEED make
// longer or other runs.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <thread>

#include "interaction/history_prompts.h"
#include "tests/support/disk_image.h"
#include "tests/support/fake_window.h"
#include "tests/support/temp_folder.h"

namespace velmora::testing {
namespace {

using Contents = std::map<std::string, std::string>;
using Inodes = std::map<std::string, ino_t>;
using Clock = std::chrono::steady_clock;

long envNumber(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtol(value, nullptr, 10) : fallback;
}

Contents contents(const std::string& folder) { return contentsOf(folder); }

Inodes inodes(const std::string& folder) {
    Inodes all;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        struct stat st {};
        lstat(e.path().c_str(), &st);
        all[e.path().filename().string()] = st.st_ino;
    }
    return all;
}

// Every file holds its first name. Half the names start with "aa": deleting the first "a" gives a
// name that another file holds until its own rename, so chains form in whatever order the folder
// lists them.
Contents makeTemplate(const std::string& folder, long entries) {
    Contents made;
    for (long i = 0; i < entries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, i % 2 ? "aa%05ld.mp4" : "a%05ld.mp4", i / 2);
        std::ofstream(folder + name, std::ios::binary) << name;
        made[name] = name;
    }
    return made;
}

// The work folder of one run: hard links to the template's files (much faster to make than new
// files; a rename in one folder leaves the other's names alone).
Inodes linkFolder(const std::string& templateFolder, const Contents& files, const std::string& folder) {
    std::filesystem::create_directory(folder);
    for (const auto& [name, content] : files) link((templateFolder + name).c_str(), (folder + name).c_str());
    return inodes(folder);
}

// Renames made: names that hold another entry than at the start.
std::size_t renamesIn(const Inodes& now, const Inodes& original) {
    std::size_t n = 0;
    for (const auto& [name, inode] : now) {
        const auto it = original.find(name);
        n += it == original.end() || it->second != inode;
    }
    return n;
}

// The question at the next start about a run in folder (with its separator) that made n renames.
std::string startQuestion(const std::string& n, const std::string& folder) {
    return "上次更名没有完成（已更名" + n + "个），撤销这" + n + "个吗？\n“" + folder.substr(0, folder.size() - 1) +
           "”";
}

struct Outcome {
    bool killed = false;
    double seconds = 0;
};

// Runs the helper over folder (with a plan file, when given); kills it after delay when given.
Outcome runHelper(const std::string& folder, const std::string& state, const std::string& killAt,
                  std::optional<std::chrono::microseconds> delay, const std::string& plan = {}, bool below = false) {
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (!killAt.empty()) setenv("VELMORA_KILL_AT", killAt.c_str(), 1);
        if (below) setenv("VELMORA_KILL_BELOW", "1", 1);
        if (plan.empty())
            execl(VELMORA_KILL_HELPER, VELMORA_KILL_HELPER, folder.c_str(), state.c_str(), static_cast<char*>(nullptr));
        else
            execl(VELMORA_KILL_HELPER, VELMORA_KILL_HELPER, folder.c_str(), state.c_str(), plan.c_str(),
                  static_cast<char*>(nullptr));
        _exit(127);
    }
    if (delay) {
        std::this_thread::sleep_for(*delay);
        kill(child, SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Outcome outcome;
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    outcome.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (!outcome.killed) {
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << "the helper failed";
    }
    return outcome;
}

TEST(KillDuringARun, aFreshStartTakesTheRunBackExactlyOrKeepsExactlyWhatWasMade) {
    const long runs = envNumber("VELMORA_KILL_RUNS", 10);
    const long entries = envNumber("VELMORA_KILL_ENTRIES", 2000);
    const auto seed = static_cast<unsigned>(envNumber("VELMORA_KILL_SEED", 20261209));
    std::mt19937 random(seed);

    TempFolder templateFolder;
    const Contents files = makeTemplate(templateFolder.path(), entries);
    // One run left alone: how long a whole run takes, and that a finished run is simply done.
    // Then how long a run takes to reach its first rename: kills from outside aim between the two.
    double whole = 0;
    double firstRename = 0;
    {
        TempFolder root;
        const Inodes original = linkFolder(templateFolder.path(), files, root.path() + "work/");
        const Outcome outcome = runHelper(root.path() + "work/", root.path() + "state", "", std::nullopt);
        ASSERT_FALSE(outcome.killed);
        whole = outcome.seconds;
        FakeWindow w;
        Session s;
        openHistory(w, s, root.path() + "state");
        EXPECT_TRUE(w.messages.empty());
        ASSERT_GT(renamesIn(inodes(root.path() + "work/"), original), 0u);
        undoLastRun(w, s);
        EXPECT_EQ(contents(root.path() + "work/"), files);
        TempFolder again;
        linkFolder(templateFolder.path(), files, again.path() + "work/");
        firstRename = runHelper(again.path() + "work/", again.path() + "state", "0", std::nullopt).seconds;
    }

    int killed = 0;
    int killedFromOutside = 0;
    int exact = 0;
    int interrupted = 0;
    for (long run = 0; run < runs; ++run) {
        // The fixed moments first, then random ones: half after a random count of renames, half
        // at a random time from outside.
        std::string killAt;
        std::optional<std::chrono::microseconds> delay;
        switch (run) {
        case 0:
            killAt = "confirm";
            break;
        case 1:
            killAt = "commit";
            break;
        case 2:
            killAt = "0";
            break;
        case 3:
            killAt = std::to_string(entries);
            break;  // right after the last rename
        default:
            if (run % 2 == 0)
                killAt = std::to_string(std::uniform_int_distribution<long>(1, entries - 1)(random));
            else
                // On a loaded machine the run to the first rename may have taken longer than the
                // whole run did: the range must not be empty.
                delay = std::chrono::microseconds(
                    std::uniform_int_distribution<long>(static_cast<long>(std::min(firstRename, whole) * 0.9e6),
                                                        static_cast<long>(whole * 1.05e6))(random));
        }
        const bool takeBack = run < 4 || (run / 2) % 2 == 0;
        SCOPED_TRACE(::testing::Message() << "run " << run << " seed " << seed << " kill at "
                                          << (delay ? std::to_string(delay->count()) + " us" : killAt)
                                          << (takeBack ? ", taken back" : ", kept"));
        TempFolder root;
        const std::string folder = root.path() + "work/";
        const std::string state = root.path() + "state";
        const Inodes original = linkFolder(templateFolder.path(), files, folder);
        const Outcome outcome = runHelper(folder, state, killAt, delay);
        killed += outcome.killed;
        killedFromOutside += outcome.killed && delay;
        if (!delay) {
            ASSERT_TRUE(outcome.killed);
        }
        const Inodes after = inodes(folder);
        ASSERT_EQ(after.size(), original.size());
        const std::size_t made = renamesIn(after, original);
        if (run == 0 || run == 1 || run == 2) {
            EXPECT_EQ(made, 0u);
        }
        if (!delay && run >= 2) {
            EXPECT_LE(made, static_cast<std::size_t>(std::stol(killAt))) << "at most one per attempt";
        }
        if (run == 3) {
            EXPECT_GT(made, 0u);
        }

        // A fresh start.
        FakeWindow w;
        Session s;
        w.answer({takeBack ? answerOk : answerCancel});
        openHistory(w, s, state);
        const std::string n = std::to_string(made);
        const auto history = s.journal.runs();
        const bool asked = !w.messages.empty();
        interrupted += asked;
        if (made == 0) {
            EXPECT_FALSE(asked);
            EXPECT_TRUE(history.empty()) << "a run that renamed nothing is not kept";
        } else if (!asked) {
            // Killed only after the end of the run was written: an ordinary run in the history.
            EXPECT_TRUE(delay) << "a run killed in the middle must be found";
            ASSERT_EQ(history.size(), 1u);
            EXPECT_EQ(history[0].state, RunState::Done);
            EXPECT_EQ(history[0].made, made);
        } else if (takeBack) {
            EXPECT_EQ(w.messages, (std::vector<Shown>{msg(startQuestion(n, folder).c_str(), style::okCancel, "提示"),
                                                      msg(("撤销了" + n + "个").c_str(), style::ok, "提示")}));
            const bool restored = inodes(folder) == original && contents(folder) == files;
            EXPECT_TRUE(restored);
            exact += restored;
            continue;
        } else {
            ASSERT_EQ(w.messages.size(), 2u);
            EXPECT_EQ(w.messages[1], msg("已保留，可以用“撤销上次更名”撤销", style::information, "提示"))
                << "how to take it back later";
            EXPECT_EQ(inodes(folder), after) << "kept";
            ASSERT_EQ(history.size(), 1u);
            EXPECT_EQ(history[0].state, RunState::Done);
            EXPECT_EQ(history[0].made, made);
        }
        EXPECT_EQ(inodes(folder), after);
        // Whatever was kept goes back with the undo button.
        if (made > 0) {
            w.messages.clear();
            w.forgetAnswers();  // the start-up answer, when no question came
            undoLastRun(w, s);
            EXPECT_EQ(w.messages.back(), msg(("撤销了" + n + "个").c_str(), style::ok, "提示"));
        }
        const bool restored = inodes(folder) == original && contents(folder) == files;
        EXPECT_TRUE(restored) << "names and contents as at the start";
        exact += restored;
    }
    std::printf(
        "kill test: %ld entries, %ld runs, %d killed (%d from outside at random moments), %d found "
        "interrupted at the next start, %d restored exactly; a whole run takes %.2f s, %.2f s to its first rename "
        "(seed %u)\n",
        entries, runs, killed, killedFromOutside, interrupted, exact, whole, firstRename, seed);
    EXPECT_EQ(exact, runs);
}

// A plan over files x1.txt … xN.txt (name parts): cycles of 2 to 5 names, chains ending in a free
// name, and plain renames, shuffled. The disk order of the folder is whatever it is.
struct RandomPlan {
    std::vector<std::pair<std::string, std::string>> renames;  ///< name part -> new name part
    std::size_t files = 0;
    std::size_t operations = 0;  ///< renames on disk: one per step, one more per cycle
};

RandomPlan randomPlan(std::mt19937& random) {
    RandomPlan plan;
    std::vector<std::string> names;
    plan.files = std::uniform_int_distribution<std::size_t>(4, 12)(random);
    for (std::size_t i = 1; i <= plan.files; ++i) names.push_back("x" + std::to_string(i));
    std::shuffle(names.begin(), names.end(), random);
    std::size_t at = 0;
    int fresh = 0;
    while (at < names.size()) {
        const std::size_t left = names.size() - at;
        const int shape = std::uniform_int_distribution<int>(0, 3)(random);
        if (shape <= 1 && left >= 2) {  // a cycle
            const std::size_t n = std::min(left, std::uniform_int_distribution<std::size_t>(2, 5)(random));
            for (std::size_t k = 0; k < n; ++k) plan.renames.emplace_back(names[at + k], names[at + (k + 1) % n]);
            plan.operations += n + 1;
            at += n;
        } else if (shape == 2 && left >= 2) {  // a chain: each takes the next one's name, the last a free one
            const std::size_t n = std::min(left, std::uniform_int_distribution<std::size_t>(2, 4)(random));
            for (std::size_t k = 0; k + 1 < n; ++k) plan.renames.emplace_back(names[at + k], names[at + k + 1]);
            plan.renames.emplace_back(names[at + n - 1], "y" + std::to_string(++fresh));
            plan.operations += n;
            at += n;
        } else {  // a plain rename, or an entry left alone
            if (shape == 3) {
                plan.renames.emplace_back(names[at], "y" + std::to_string(++fresh));
                ++plan.operations;
            }
            ++at;
        }
    }
    std::shuffle(plan.renames.begin(), plan.renames.end(), random);
    return plan;
}

// Entries not under their first name: every file holds its first name.
std::size_t entriesMoved(const Contents& now) {
    std::size_t n = 0;
    for (const auto& [name, content] : now) n += name != content;
    return n;
}

// Plans with chains, swaps and cycles, killed after every rename they make (0 to all of them),
// then taken back at the next start, or kept there and taken back later with the undo button.
TEST(KillDuringARun, chainsSwapsAndCyclesKilledAfterEveryRenameAreTakenBackExactly) {
    const long plans = envNumber("VELMORA_KILL_PLANS", 6);
    const auto seed = static_cast<unsigned>(envNumber("VELMORA_KILL_SEED", 20261209));
    std::mt19937 random(seed);
    std::size_t cuts = 0;
    std::size_t askedAbout = 0;
    for (long p = 0; p < plans; ++p) {
        const RandomPlan plan = randomPlan(random);
        for (std::size_t killAt = 0; killAt <= plan.operations; ++killAt) {
            for (const bool atStart : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "plan " << p << " (seed " << seed << ", " << plan.files
                                                  << " files, " << plan.operations << " renames) killed after "
                                                  << killAt << (atStart ? ", taken back at start" : ", undone later"));
                TempFolder root;
                const std::string folder = root.path() + "work/";
                std::filesystem::create_directory(folder);
                Contents original;
                for (std::size_t i = 1; i <= plan.files; ++i) {
                    const std::string name = "x" + std::to_string(i) + ".txt";
                    std::ofstream(folder + name, std::ios::binary) << name;
                    original[name] = name;
                }
                {
                    std::ofstream planFile(root.path() + "plan");
                    for (const auto& [from, to] : plan.renames) planFile << from << '\t' << to << '\n';
                }
                const Outcome outcome = runHelper(folder, root.path() + "state", std::to_string(killAt), std::nullopt,
                                                  root.path() + "plan");
                ASSERT_TRUE(outcome.killed);
                const Contents after = contents(folder);
                ASSERT_EQ(after.size(), original.size()) << "no entry lost";
                const std::string n = std::to_string(entriesMoved(after));
                ++cuts;

                FakeWindow w;
                Session s;
                w.answer({atStart ? answerOk : answerCancel});
                openHistory(w, s, root.path() + "state");
                if (entriesMoved(after) == 0) {
                    EXPECT_TRUE(w.messages.empty());
                } else {
                    ++askedAbout;
                    ASSERT_FALSE(w.messages.empty());
                    EXPECT_EQ(w.messages[0], msg(startQuestion(n, folder).c_str(), style::okCancel, "提示"))
                        << "counted in entries";
                    if (!atStart) {
                        EXPECT_EQ(contents(folder), after) << "kept as it was";
                        w.messages.clear();
                        w.forgetAnswers();
                        undoLastRun(w, s);
                    }
                    EXPECT_EQ(w.messages.back(), msg(("撤销了" + n + "个").c_str(), style::ok, "提示"));
                }
                EXPECT_EQ(contents(folder), original) << "every name holds its own content, no temporary name left";
            }
        }
    }
    std::printf("kill test: %ld random plans with chains, swaps and cycles, %zu cuts, %zu asked about at start\n",
                plans, cuts, askedAbout);
}

// Folders at three depths, each renamed after the folders inside it, killed after every rename: a
// fresh start finds the entries below folders renamed since, and takes the run back exactly, at
// start or later.
TEST(KillDuringARun, aRunBelowTheFolderKilledAfterEveryRenameIsTakenBackExactly) {
    for (int killAt = 0; killAt <= 4; ++killAt) {
        for (const bool atStart : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "killed after " << killAt << (atStart ? ", at start" : ", later"));
            TempFolder root;
            const std::string folder = root.path() + "work/";
            for (const char* d : {"", "aa1", "aa1/aa2", "aa1/aa2/aa3", "ab"})
                std::filesystem::create_directory(folder + d);
            for (const char* file : {"aa1/f", "aa1/aa2/f", "aa1/aa2/aa3/f", "ab/f"})
                std::ofstream(folder + file, std::ios::binary) << file;
            const Contents original = treeOf(folder);
            ASSERT_TRUE(
                runHelper(folder, root.path() + "state", std::to_string(killAt), std::nullopt, {}, true).killed);
            const Contents after = treeOf(folder);
            ASSERT_EQ(after.size(), original.size()) << "no entry lost";
            if (killAt == 4) {
                EXPECT_EQ(after, (Contents{{"a1/", ""},
                                           {"a1/a2/", ""},
                                           {"a1/a2/a3/", ""},
                                           {"a1/a2/a3/f", "aa1/aa2/aa3/f"},
                                           {"a1/a2/f", "aa1/aa2/f"},
                                           {"a1/f", "aa1/f"},
                                           {"b/", ""},
                                           {"b/f", "ab/f"}}));
            }

            FakeWindow w;
            Session s;
            w.answer({atStart ? answerOk : answerCancel});
            openHistory(w, s, root.path() + "state");
            const std::string n = std::to_string(killAt);
            if (killAt == 0) {
                EXPECT_TRUE(w.messages.empty());
            } else {
                ASSERT_FALSE(w.messages.empty());
                EXPECT_EQ(w.messages[0], msg(startQuestion(n, folder).c_str(), style::okCancel, "提示"));
                if (!atStart) {
                    EXPECT_EQ(treeOf(folder), after) << "kept as it was";
                    w.messages.clear();
                    w.forgetAnswers();
                    undoLastRun(w, s);
                }
                EXPECT_EQ(w.messages.back(), msg(("撤销了" + n + "个").c_str(), style::ok, "提示"));
            }
            EXPECT_EQ(treeOf(folder), original);
        }
    }
}

// Two folders swapped through a temporary name after a folder inside each was renamed, killed
// after every rename: the entries inside are found under whichever name their folder has now.
TEST(KillDuringARun, aSwapOfFoldersBelowKilledAfterEveryRenameIsTakenBackExactly) {
    for (int killAt = 0; killAt <= 5; ++killAt) {
        SCOPED_TRACE(::testing::Message() << "killed after " << killAt);
        TempFolder root;
        const std::string folder = root.path() + "work/";
        for (const char* d : {"", "A", "A/x", "B", "B/x"}) std::filesystem::create_directory(folder + d);
        for (const char* file : {"A/x/f", "B/x/f"}) std::ofstream(folder + file, std::ios::binary) << file;
        std::ofstream(root.path() + "plan") << "A\tB\nB\tA\nx\ty\n";
        const Contents original = treeOf(folder);
        ASSERT_TRUE(
            runHelper(folder, root.path() + "state", std::to_string(killAt), std::nullopt, root.path() + "plan", true)
                .killed);
        if (killAt == 5) {
            ASSERT_EQ(
                treeOf(folder),
                (Contents{{"A/", ""}, {"A/y/", ""}, {"A/y/f", "B/x/f"}, {"B/", ""}, {"B/y/", ""}, {"B/y/f", "A/x/f"}}));
        }
        FakeWindow w;
        Session s;
        w.answer({answerOk});
        openHistory(w, s, root.path() + "state");
        EXPECT_EQ(treeOf(folder), original);
    }
}

// Killed while x1.txt waits under its temporary name for x2.txt to move; meanwhile a new x1.txt
// appears. Taking back cannot give the entry its name, and the report says where it stays.
TEST(KillDuringARun, anEntryThatCannotGetItsNameBackIsNamedInTheReport) {
    TempFolder root;
    const std::string folder = root.path() + "work/";
    std::filesystem::create_directory(folder);
    for (const char* name : {"x1.txt", "x2.txt"}) std::ofstream(folder + name, std::ios::binary) << name;
    std::ofstream(root.path() + "plan") << "x1\tx2\nx2\tx1\n";
    ASSERT_TRUE(runHelper(folder, root.path() + "state", "1", std::nullopt, root.path() + "plan").killed);
    ASSERT_EQ(contents(folder), (Contents{{"x2.txt", "x2.txt"}, {"改名中转1.txt", "x1.txt"}}));
    std::ofstream(folder + "x1.txt", std::ios::binary) << "newcomer";

    FakeWindow w;
    Session s;
    w.answer({answerOk});
    openHistory(w, s, root.path() + "state");
    EXPECT_EQ(w.messages,
              (std::vector<Shown>{msg(startQuestion("1", folder).c_str(), style::okCancel, "提示"),
                                  msg("撤销了0个，1个无法撤销\n“改名中转1.txt”没能改回“x1.txt”", style::ok, "提示")}));
    EXPECT_EQ(contents(folder), (Contents{{"x1.txt", "newcomer"}, {"x2.txt", "x2.txt"}, {"改名中转1.txt", "x1.txt"}}));
}

// On an exFAT card a change of case is two renames through a temporary name, and the card gives
// other inode numbers at every mount: killed between the two halves, and taken back by names
// after the card was out and in again.
TEST(KillOnACard, aCaseOnlyRunKilledAnywhereIsTakenBackByNames) {
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(ImageFormat::Exfat);
    DiskImage card(ImageFormat::Exfat);
    for (int killAt = 0; killAt <= 4; ++killAt) {
        SCOPED_TRACE(::testing::Message() << "killed after " << killAt << " renames");
        TempFolder state;
        const std::string folder = card.path() + "run" + std::to_string(killAt) + "/";
        std::filesystem::create_directory(folder);
        for (const char* name : {"img_1.png", "img_2.png"}) std::ofstream(folder + name, std::ios::binary) << name;
        const Contents original = contents(folder);
        std::ofstream(state.path() + "plan") << "img_1\tIMG_1\nimg_2\tIMG_2\n";
        ASSERT_TRUE(
            runHelper(folder, state.path() + "state", std::to_string(killAt), std::nullopt, state.path() + "plan")
                .killed);
        const std::size_t moved = entriesMoved(contents(folder));
        card.remount();
        FakeWindow w;
        Session s;
        w.answer({answerOk});
        openHistory(w, s, state.path() + "state");
        EXPECT_EQ(w.messages.empty(), killAt == 0);
        if (!w.messages.empty()) {
            const std::string n = std::to_string(moved);
            EXPECT_EQ(w.messages.back(), msg(("撤销了" + n + "个").c_str(), style::ok, "提示"));
        }
        EXPECT_EQ(contents(folder), original) << "every name back, no temporary name left";
    }
}

// A run on a card that is not in at the next start is left for a start that finds it.
TEST(KillOnACard, aRunWhoseCardIsOutAtStartIsKeptUntilItIsBack) {
    VELMORA_SKIP_WITHOUT_DISK_IMAGE(ImageFormat::Exfat);
    DiskImage card(ImageFormat::Exfat);
    TempFolder state;
    const std::string folder = card.path() + "work/";
    std::filesystem::create_directory(folder);
    for (const char* name : {"x1.txt", "x2.txt", "x3.txt"}) std::ofstream(folder + name, std::ios::binary) << name;
    const Contents original = contents(folder);
    std::ofstream(state.path() + "plan") << "x1\ty1\nx2\ty2\nx3\ty3\n";
    ASSERT_TRUE(runHelper(folder, state.path() + "state", "2", std::nullopt, state.path() + "plan").killed);
    card.unmount();
    {
        FakeWindow w;
        Session s;
        openHistory(w, s, state.path() + "state");
        EXPECT_TRUE(w.messages.empty()) << "nothing asked about a card that is out";
        const auto runs = s.journal.runs();
        ASSERT_EQ(runs.size(), 1u) << "kept";
        EXPECT_EQ(runs[0].state, RunState::Running);
    }
    card.mount();
    FakeWindow w;
    Session s;
    w.answer({answerOk});
    openHistory(w, s, state.path() + "state");
    EXPECT_EQ(w.messages, (std::vector<Shown>{msg(startQuestion("2", folder).c_str(), style::okCancel, "提示"),
                                              msg("撤销了2个", style::ok, "提示")}));
    EXPECT_EQ(contents(folder), original);
}

}  // namespace
}  // namespace velmora::testing
