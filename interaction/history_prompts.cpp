#include "interaction/history_prompts.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fs/file_system.h"
#include "core/fs/folder_reader.h"
#include "core/fs/folder_walk.h"
#include "core/fs/listing.h"
#include "core/fs/paths.h"
#include "core/plan/plan.h"
#include "interaction/plan_lines.h"
#include "interaction/window.h"

namespace velmora {
namespace {

// Every name of the folder with its inode, as readdir gives them (the same source as the listing
// that recorded the inodes; stat may differ from it on some file systems).
std::unordered_map<std::string, std::uint64_t> inodesIn(const Text& folder) {
    std::unordered_map<std::string, std::uint64_t> inodes;
    const auto native = textToNative(folder);
    if (!native) return inodes;
    FolderReader reader(*native);
    while (const dirent* e = reader.next()) inodes.emplace(e->d_name, e->d_ino);
    return inodes;
}

// The same for the folder and every folder below it, by relative paths, in order of the paths so
// that the entries below a folder follow it.
std::map<std::string, std::uint64_t> inodesBelow(const Text& folder) {
    std::map<std::string, std::uint64_t> inodes;
    const auto native = textToNative(folder);
    if (!native) return inodes;
    walkBelow(*native, [&](const WalkedEntry& w) {
        inodes.emplace(w.path, w.entry->d_ino);
        return true;
    });
    return inodes;
}

// A run over the entries below its folder names them by relative paths.
bool reachesBelow(const JournalRun& run) {
    for (const JournalStep& step : run.steps)
        if (step.from.find('/') != std::string::npos) return true;
    return false;
}

std::size_t count(const std::vector<StepState>& states, StepState which) {
    std::size_t n = 0;
    for (StepState s : states) n += s == which;
    return n;
}

Text shownFolder(const Text& folder) {
    const Text separator = separatorText();
    if (folder.length() > separator.length() && rightText(folder, separator.length()) == separator)
        return leftText(folder, folder.length() - separator.length());
    return folder;
}

// The folder's device, or nothing when the folder is not there (a disk not mounted).
std::optional<std::uint64_t> deviceOf(const Text& folder) {
    const auto native = textToNative(folder);
    struct stat st {};
    if (!native || stat(native->empty() ? "." : native->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_dev);
}

// Where the disk gives no lasting inode numbers (exFAT, FAT), or the folder is on another device
// than when the run was made, its inode numbers say nothing: only names are compared.
bool byNamesOnly(const JournalRun& run) {
    if (!run.disk.lastingInodes) return true;
    if (run.disk.device == 0) return false;  // a run written before the history kept its disk
    const auto device = deviceOf(run.folder);
    return device && *device != run.disk.device;
}

// The names of a folder with their inodes, kept up to date as an undo or redo renames. By names
// only, a name holds an entry whenever it is there. A run below the folder reads every folder
// below it too, and a folder renamed takes the names inside it along.
class FolderInodes {
public:
    FolderInodes(const JournalRun& run, bool namesOnly) : below_(reachesBelow(run)), namesOnly_(namesOnly) {
        if (below_)
            paths_ = inodesBelow(run.folder);
        else
            inodes_ = inodesIn(run.folder);
    }
    bool below() const { return below_; }
    /// Below the folder: where the entry of inode is now, when one entry has it.
    std::optional<std::string> pathOf(std::uint64_t inode) const {
        if (byInode_.empty())
            for (const auto& [path, held] : paths_) byInode_.emplace(held, byInode_.count(held) ? std::string() : path);
        const auto it = byInode_.find(inode);
        if (it == byInode_.end() || it->second.empty()) return std::nullopt;
        return it->second;
    }
    bool holds(const NativeName& name, std::uint64_t inode) const {
        if (below_) {
            const auto it = paths_.find(name);
            return it != paths_.end() && (namesOnly_ || it->second == inode);
        }
        const auto it = inodes_.find(name);
        return it != inodes_.end() && (namesOnly_ || it->second == inode);
    }
    bool namesOnly() const { return namesOnly_; }
    void moved(const NativeName& from, const NativeName& to, std::uint64_t inode) {
        if (!below_) {
            inodes_.erase(from);
            inodes_[to] = inode;
            return;
        }
        paths_.erase(from);
        paths_[to] = inode;
        movedInside(from, to);
    }
    /// The names inside the folder from go under to, the folder's own name staying as it is.
    void movedInside(const NativeName& from, const NativeName& to) {
        if (!below_ || from == to) return;
        const std::string prefix = from + '/';
        std::vector<std::pair<std::string, std::uint64_t>> inside;
        auto it = paths_.lower_bound(prefix);
        while (it != paths_.end() && it->first.compare(0, prefix.size(), prefix) == 0) {
            inside.emplace_back(to + '/' + it->first.substr(prefix.size()), it->second);
            it = paths_.erase(it);
        }
        for (auto& [path, inode] : inside) paths_[std::move(path)] = inode;
    }

private:
    bool below_;
    std::unordered_map<std::string, std::uint64_t> inodes_;
    std::map<std::string, std::uint64_t> paths_;  ///< below the folder: in order, so a folder's names follow it
    mutable std::unordered_map<std::uint64_t, std::string> byInode_;  ///< empty path: two entries share the inode
    bool namesOnly_;
};

// Where an entry is along its path: 0 under the path's first old name, k under the new name of
// its k-th step; nothing when no name of the path holds it.
std::optional<std::size_t> positionOn(const JournalRun& run, const EntryPath& path, const FolderInodes& disk) {
    const std::uint64_t inode = run.steps[path.front()].inode;
    for (std::size_t k = path.size(); k > 0; --k)
        if (disk.holds(run.steps[path[k - 1]].to, inode)) return k;
    if (disk.holds(run.steps[path.front()].from, inode)) return 0;
    return std::nullopt;
}

// The same below the folder, by the entry's inode: the folders above it may have been renamed
// since, so its name alone tells where along its path it is (an entry never leaves its folder).
std::optional<std::size_t> positionBelow(const JournalRun& run, const EntryPath& path, const FolderInodes& disk) {
    const std::optional<std::string> now = disk.pathOf(run.steps[path.front()].inode);
    if (!now) return std::nullopt;
    const auto nameOf = [](std::string_view p) { return p.substr(p.rfind('/') + 1); };
    const std::string_view name = nameOf(*now);
    for (std::size_t k = path.size(); k > 0; --k)
        if (nameOf(run.steps[path[k - 1]].to) == name) return k;
    if (nameOf(run.steps[path.front()].from) == name) return 0;
    return std::nullopt;
}

Text countReport(const char* done, std::size_t n, const char* failedSuffix, std::size_t failed) {
    Text report = Text::fromUtf8(done) + toText(static_cast<long long>(n)) + "个"_t;
    if (failed > 0) report += "，"_t + toText(static_cast<long long>(failed)) + Text::fromUtf8(failedSuffix);
    return report;
}

// Per entry of a run: whether it takes part (some step of its path was in state from), and whether
// every such step reached the other state.
struct EntryTally {
    std::size_t done = 0;
    std::size_t failed = 0;
    std::vector<Text> stranded;  ///< "“where it is”没能改回“its name”" for entries left on the way
};

// Walks the steps of run in state from, in the given direction, each rename only when the name it
// renames still holds the entry the run renamed; an entry whose step fails is not moved further.
MadeRenames walk(Window& window, JournalRun& run, bool back, EntryTally& tally) {
    MadeRenames made{run.folder, {}};
    const auto native = textToNative(run.folder);
    const FolderHandle folder(native ? *native : NativeName{});
    FolderInodes disk(run, byNamesOnly(run));
    const std::vector<EntryPath> paths = entryPaths(run.steps);
    std::vector<std::uint32_t> pathOf(run.steps.size());
    for (std::size_t p = 0; p < paths.size(); ++p)
        for (std::size_t i : paths[p]) pathOf[i] = static_cast<std::uint32_t>(p);
    const StepState from = back ? StepState::Made : StepState::TakenBack;
    const StepState to = back ? StepState::TakenBack : StepState::Made;
    std::vector<std::uint8_t> entry(paths.size(), 0);  // bit 1 takes part, bit 2 failed
    for (std::size_t i = 0; i < run.steps.size(); ++i)
        if (run.states[i] == from) entry[pathOf[i]] |= 1;
    WindowProgress progress(window);
    ProgressThrottle throttle(&progress, run.steps.size());
    const std::size_t n = run.steps.size();
    for (std::size_t done = 0; done < n; ++done) {
        throttle.tick(done + 1);
        const std::size_t i = back ? n - 1 - done : done;
        if (run.states[i] != from) continue;
        std::uint8_t& e = entry[pathOf[i]];
        if (e & 2) continue;
        const JournalStep& step = run.steps[i];
        const NativeName& source = back ? step.to : step.from;
        const NativeName& target = back ? step.from : step.to;
        if (!disk.holds(source, step.inode) || !folder.rename(source, target)) {
            e |= 2;
            continue;
        }
        disk.moved(source, target, step.inode);
        run.states[i] = to;
        made.renamed.emplace_back(nativeToText(source).text, nativeToText(target).text);
    }
    for (std::size_t p = 0; p < paths.size(); ++p) {
        if (!(entry[p] & 1)) continue;
        if (!(entry[p] & 2)) {
            ++tally.done;
            continue;
        }
        ++tally.failed;
        if (!back) continue;
        // Left on the way back (a temporary name, say): the report says where.
        const std::optional<std::size_t> at = positionOn(run, paths[p], disk);
        if (at && *at > 0 && *at < paths[p].size())
            tally.stranded.push_back("“"_t + nativeToText(run.steps[paths[p][*at - 1]].to).text + "”没能改回“"_t +
                                     nativeToText(run.steps[paths[p].front()].from).text + "”"_t);
    }
    return made;
}

// Renames the made steps back, newest first, and settles the run as taken back. The run must be
// claimed (Undoing) by this process.
MadeRenames takeBack(Window& window, Session& session, JournalRun& run) {
    EntryTally tally;
    MadeRenames made = walk(window, run, true, tally);
    session.journal.settle(run.id, RunState::Undone, run.states);
    Text report = countReport("撤销了", tally.done, "个无法撤销", tally.failed);
    for (const Text& line : tally.stranded) report += "\n"_t + line;
    window.showMessage(report, style::ok, "提示"_t);
    return made;
}

}  // namespace

std::vector<EntryPath> entryPaths(const std::vector<JournalStep>& steps) {
    std::vector<EntryPath> paths;
    // The path whose entry a name holds now, by name and inode.
    std::unordered_map<std::string, std::size_t> endingAt;
    const auto key = [](const NativeName& name, std::uint64_t inode) {
        std::string k(name);
        k.push_back('\0');
        k.append(reinterpret_cast<const char*>(&inode), sizeof inode);
        return k;
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto it = endingAt.find(key(steps[i].from, steps[i].inode));
        std::size_t p = paths.size();
        if (it != endingAt.end()) {
            p = it->second;
            endingAt.erase(it);
        } else {
            paths.emplace_back();
        }
        paths[p].push_back(i);
        endingAt[key(steps[i].to, steps[i].inode)] = p;
    }
    return paths;
}

std::size_t entriesIn(const JournalRun& run, StepState which) {
    std::size_t n = 0;
    for (const EntryPath& path : entryPaths(run.steps)) {
        for (std::size_t i : path) {
            if (run.states[i] == which) {
                ++n;
                break;
            }
        }
    }
    return n;
}

std::size_t reconcileWithDisk(JournalRun& run) {
    run.states.resize(run.steps.size(), StepState::NotMade);
    if (run.state == RunState::Done || run.state == RunState::Undone) return 0;
    FolderInodes disk(run, byNamesOnly(run));
    const std::vector<EntryPath> paths = entryPaths(run.steps);
    // By names only, an entry is found only where no other entry of the run shares a name with it
    // and exactly one name of its path is there: a swap leaves the same names whether it was made
    // or not.
    std::unordered_map<std::string, std::size_t> sharedBy;  // name -> the one path using it, or none
    constexpr std::size_t shared = static_cast<std::size_t>(-1);
    if (disk.namesOnly()) {
        for (std::size_t p = 0; p < paths.size(); ++p) {
            for (std::size_t i : paths[p]) {
                for (const NativeName* name : {&run.steps[i].from, &run.steps[i].to}) {
                    const auto [it, added] = sharedBy.emplace(*name, p);
                    if (!added && it->second != p) it->second = shared;
                }
            }
        }
    }
    std::size_t unknown = 0;
    // Steps are made in order and a rename never overwrites, so an entry is where the last made
    // step of its path put it: the steps before that point were made, the ones after it were not.
    // An entry of a cycle has two steps (to a temporary name and on from it), so only its whole
    // path tells whether the first was made.
    // Below the folder, a folder is renamed after the entries inside it, which the history names
    // under the folder's old name: entries are found by their inodes; by names only they are placed
    // newest path first, and each placed folder's names are put back under its old name for the
    // paths before it.
    const bool byInode = disk.below() && !disk.namesOnly();
    for (std::size_t p = paths.size(); p-- > 0;) {
        const EntryPath& path = paths[p];
        std::optional<std::size_t> at = byInode ? positionBelow(run, path, disk) : positionOn(run, path, disk);
        if (disk.namesOnly()) {
            std::size_t present = 0;
            bool alone = true;
            for (std::size_t k = 0; k <= path.size(); ++k) {
                const NativeName& name = k == 0 ? run.steps[path[0]].from : run.steps[path[k - 1]].to;
                present += disk.holds(name, 0);
                alone = alone && sharedBy[name] != shared;
            }
            if (!alone || present != 1) {
                ++unknown;  // left as the history has it
                continue;
            }
        }
        if (!byInode && at && *at > 0) disk.movedInside(run.steps[path[*at - 1]].to, run.steps[path.front()].from);
        for (std::size_t k = 0; k < path.size(); ++k) {
            StepState& state = run.states[path[k]];
            const bool reached = at && k < *at;
            switch (run.state) {
            case RunState::Running:
                state = reached ? StepState::Made : StepState::NotMade;
                break;
            case RunState::Undoing:
                if (at && state == StepState::Made && !reached) state = StepState::TakenBack;
                break;
            case RunState::Redoing:
                if (at && state == StepState::TakenBack && reached) state = StepState::Made;
                break;
            case RunState::Done:
            case RunState::Undone:
                break;
            }
        }
    }
    return unknown;
}

std::vector<Text> describeUndo(const JournalRun& run) {
    std::vector<Text> lines;
    const Text arrow = " → "_t;
    for (std::size_t i = run.steps.size(); i-- > 0;)
        if (run.states[i] == StepState::Made)
            lines.push_back(nativeToText(run.steps[i].to).text + arrow + nativeToText(run.steps[i].from).text);
    return lines;
}

Text runLabel(const JournalRun& run) {
    const std::time_t started = static_cast<std::time_t>(run.started);
    const std::time_t now = std::time(nullptr);
    std::tm when{};
    std::tm today{};
    localtime_r(&started, &when);
    localtime_r(&now, &today);
    char time[32];
    if (when.tm_year == today.tm_year && when.tm_yday == today.tm_yday)
        std::snprintf(time, sizeof time, "%02d:%02d", when.tm_hour, when.tm_min);
    else
        std::snprintf(time, sizeof time, "%d月%d日 %02d:%02d", when.tm_mon + 1, when.tm_mday, when.tm_hour,
                      when.tm_min);
    const Text at = Text::fromUtf8(time);
    return run.caption.empty() ? at : run.caption + "，"_t + at;
}

void openHistory(Window& window, Session& session, const std::string& folder) {
    if (session.journal.open(folder) == Journal::Opened::MovedAside) {
        const std::string& aside = session.journal.movedAsideTo();
        const Text name = nativeToText(aside.substr(aside.rfind('/') + 1)).text;
        window.showMessage("更名历史无法读取，已把它另存为“"_t + name + "”，从现在起重新记录。"_t, style::information,
                           "提示"_t);
    }
    session.journal.prune(kKeptRuns);
    recoverInterruptedRuns(window, session);
}

void recoverInterruptedRuns(Window& window, Session& session) {
    Journal& journal = session.journal;
    for (JournalRun& run : journal.orphaned()) {
        // A disk not mounted now: the run waits, untouched, for a start that finds its folder.
        if (!deviceOf(run.folder)) continue;
        // Another Velmora starting at the same moment may take it first.
        if (!journal.claim(run.id, run.state, run.state, run.owner)) continue;
        const std::size_t unknown = reconcileWithDisk(run);
        if (run.state == RunState::Undoing) {
            // What is left can still be taken back with the undo button.
            journal.settle(run.id, count(run.states, StepState::Made) > 0 ? RunState::Done : RunState::Undone,
                           run.states);
            continue;
        }
        if (run.state == RunState::Redoing) {
            journal.settle(run.id, RunState::Done, run.states);
            continue;
        }
        const std::size_t made = entriesIn(run, StepState::Made);
        if (made == 0 && unknown == 0) {
            journal.remove(run.id);
            continue;
        }
        const Text n = toText(static_cast<long long>(made));
        Text counted = "已更名"_t + n + "个"_t;
        if (unknown > 0) counted += "，"_t + toText(static_cast<long long>(unknown)) + "个无法确定"_t;
        const Text question =
            "上次更名没有完成（"_t + counted + "），撤销这"_t + n + "个吗？\n“"_t + shownFolder(run.folder) + "”"_t;
        if (window.showMessage(question, style::okCancel, "提示"_t) == answerCancel) {
            journal.settle(run.id, RunState::Done, run.states);
            journal.endRedo();  // as a run that ends does
            window.showMessage("已保留，可以用“撤销上次更名”撤销"_t, style::information, "提示"_t);
            continue;
        }
        if (journal.claim(run.id, RunState::Running, RunState::Undoing)) takeBack(window, session, run);
    }
}

namespace {

// A run whose folder is not there (its disk not mounted) is kept for when it is.
bool folderThere(Window& window, const JournalRun& run) {
    if (deviceOf(run.folder)) return true;
    window.showMessage("找不到文件夹："_t + shownFolder(run.folder), style::information, "提示"_t);
    return false;
}

}  // namespace

MadeRenames undoLastRun(Window& window, Session& session) {
    std::optional<JournalRun> run = session.journal.newestDone();
    if (!run || !folderThere(window, *run)) return {};
    const std::size_t made = entriesIn(*run, StepState::Made);
    const Text question = "撤销上次更名？\n“"_t + shownFolder(run->folder) + "”中的"_t +
                          toText(static_cast<long long>(made)) + "个更名（"_t + runLabel(*run) + "）"_t;
    const JournalRun& shown = *run;
    if (window.confirmWithPlan(question, style::okCancel, "提示"_t,
                               [&shown] { return std::make_unique<PlanLines>(describeUndo(shown)); }) == answerCancel)
        return {};
    // Another window may have taken it back while the question was open.
    if (!session.journal.claim(run->id, RunState::Done, RunState::Undoing)) return {};
    return takeBack(window, session, *run);
}

MadeRenames redoLastRun(Window& window, Session& session) {
    std::optional<JournalRun> run = session.journal.lastUndone();
    if (!run || !folderThere(window, *run) || !session.journal.claim(run->id, RunState::Undone, RunState::Redoing))
        return {};
    EntryTally tally;
    MadeRenames made = walk(window, *run, false, tally);
    session.journal.settle(run->id, RunState::Done, run->states);
    window.showMessage(countReport("重做了", tally.done, "个无法重做", tally.failed), style::ok, "提示"_t);
    return made;
}

}  // namespace velmora
